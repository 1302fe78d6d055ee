// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// The profile files "<program folder>\<profile>.pfl" (the source list of a
// profile, two lines per entry: the entry text, then "-1 " when it is ticked
// or " 0 " when not) and the profile box of the main window.

// The marker entry that asks for new subfolders of a folder to be added each
// time the profile is loaded; the folder follows the prefix.
inline const QString kAutoAddMarker = QStringLiteral("** automatically add new subdirectories to ");

// The longest path an entry can hold (the longest path Windows takes).
inline constexpr qsizetype kLongestPath = 32767;

// The full paths of the files of the source folder a run is working on,
// followed by one empty element; the run and its file search share it, and a
// profile load resets it to one empty element.
extern QStringList FileList;

// The file of a profile.
QString ProfileFilePath(const QString& name);

// Writes List1 into the profile's file. The list is written to a temporary
// file beside it, which replaces the old file only once it is complete.
void saveProfile(const QString& name);
// Replaces List1 by the entries of the profile's file.
void loadProfile(const QString& name);
// Adds name to cmbProfiles unless one of its first `count` items equals it.
void add_profile(const QString& name, qint16 count);
// Empties List1 and the text of cmbProfiles (the items stay).
void cmdClearProfile_Click();
