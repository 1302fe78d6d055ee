// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// Starting the program when the user logs in: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/vaultora.desktop) that starts the program's
// own executable.
namespace platform {

QString AutostartEntryPath();

// Writes the entry (the folder is created when missing); raises 75 when it
// cannot be written.
void CreateAutostartEntry(const QString& displayName, const QStringList& command);
// Removes the entry; a missing entry is no error.
void DeleteAutostartEntry();

// The Exec value of a desktop entry for a program and its arguments: each
// argument quoted where the desktop-entry rules need it, "%" doubled, and the
// whole value escaped as a desktop-entry string.
QString DesktopExecLine(const QStringList& command);

}  // namespace platform
