// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QObject;

// The developer's dump of a window's texts for a translation: each control,
// numbered in the order of the window's controls (menu entries included),
// gives its caption and tool tip as "C<n><caption>" and "O<n><tip>" lines in
// the dump file, and "<name>.Caption= txc(<n>)" and "<name>.ToolTipText=
// txo(<n>)" lines in the code listing. A line whose value the control does
// not have is left out. Both files are written whole (through a temporary
// file), in the Windows-1252 code page with CR LF line ends; a file that
// cannot be written is left as it was.
void WriteLanguageDump(const QObject* window, const QString& dumpHostPath, const QString& codeHostPath);

// The fuller listing of the same window, added to the end of the dump file:
// "<name><tag><text>" for text boxes and combo boxes, "<name><tag><caption>"
// for frames, labels, menu entries, buttons and check boxes, both for the
// other controls, and "<name><tag><index><tool tip>" for a member of a
// control array. A value the control does not have drops its line.
void AppendLanguagePropertyDump(const QObject* window, const QString& dumpHostPath);
