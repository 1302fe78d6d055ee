// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Paths inside the program are Windows paths ("C:\Data\x.txt",
// "\\server\share\x"); only this layer turns them into host paths.
// Drives: C: is the user's home folder, Z: is "/", mounted removable,
// optical and network file systems get D: to Y: (see Drives.h).
namespace platform {

// The host path for a Windows path, for every system call. Components that
// do not exist with their exact case are found without regard to case.
// Returns "" when the path maps to nothing (an unassigned drive letter, a
// network path whose share is not mounted, the empty text).
QString ToHost(const QString& windowsPath);

// The host path of `relative` (parts separated by "\\" or "/") beneath a
// Windows folder: the folder is mapped as ToHost maps it, each part below it
// is taken by its exact name, never matched without regard to case, so that
// a file restored under its stored name lands on exactly that name. ""
// when the folder maps to nothing or a part is empty, "." or "..".
QString ToHostBelow(const QString& windowsFolder, const QString& relative);

// The Windows form of a host path, for names shown and stored. Paths below
// no lettered drive come out as Z:\...
QString ToWindows(const QString& hostPath);

// The folder of the executable (the environment variable
// VAULTORA_PROGRAM_DIR, a host path, takes its place when set).
QString ProgramFolder();       // Windows form
QString ProgramFolderHost();   // host form

// Installs ToHost as the path resolver of the VB file numbers. Called by
// main() and by test set-ups.
void InstallPathLayer();

}  // namespace platform
