// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The program's start-up: common services, language, the one-instance test,
// the splash window, the main window, the tray, and the command line
// ("/profile:<name>", "/dir:<folder>", "/run").

// The error log never shows a message box.
extern bool ErrorMsgBox;

// The command-line tail as the program got it (the arguments after the
// program's name joined by blanks). main() sets it before calling Main.
void SetCommand(const QString& commandLine);
QString Command();

// The switches of a command line. Each is found anywhere in the line without
// regard to case; a value runs from after the switch's colon to the next "/"
// (or the end) and is trimmed of blanks, so it can hold no "/". The "/dir:"
// value loses one trailing "\". "/run" counts wherever those four characters
// appear.
struct CommandSwitches {
    bool hasProfile = false;
    QString profile;
    bool hasDir = false;
    QString dir;
    bool run = false;
};
CommandSwitches ParseSwitches(const QString& commandLine);

// True when this start was asked for an unattended run.
bool UnattendedStart();

// True when this start is an unattended run with no display: no window of it
// can ever be seen, so what only shows (the main window's layout, its clips)
// is left out. The controls are made and read all the same.
bool UnseenStart();

// Applies the switches to the loaded main window in the order "/profile:",
// "/dir:", "/run". A profile that is not in the list gives way to the entry
// at the user setting "ProfileIndex" (default 0). "/run" runs the backup at
// once in RunMode; such a run ends the program.
void ApplyCommandLine(const QString& commandLine);

// The start-up sequence. Returns with the main window loaded (the program then
// runs until it is left), or with no window when the language file is missing
// or another instance of the program runs (after telling the user).
void Main();
