// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The steps of a run around the backup itself: the program run before a
// backup (after the first medium check), the registry export into the
// archive (ZIP mode, before the walk of the source list) and the program run
// after a backup (in the after-phase). They read the options of the main
// window.

// The program before / after a backup: when its run-it box is ticked and its
// file exists, the run log names it, the program is started with its
// arguments and waited for as its wait mode says (not at all, until it has
// ended, or the given seconds). The command line is split at the first blank
// as Windows splits an unquoted path, so a program path with blanks is not
// found. A program that cannot be started is written to the error log and
// the run goes on.
void RunProgramBefore();
void RunProgramAfter();

// The registry export of a ZIP run: "<temp>\YYYYMMDDregistry.reg" (".txt"
// with the text option), written by the program's own registry editor, waited
// for 15 seconds, added to the archive like any file and deleted again.
void ExportRegistry();

// "<temporary folder>\YYYYMMDDregistry.<reg|txt>" for today.
QString RegistryExportFile();

// The stand-in for the system's registry editor: takes the command line
// "regedit /e <file> [<key>]" and writes the export file (the REGEDIT4 form,
// or the readable text form for a file ending in ".txt"); no key exports the
// whole registry. An unquoted file name runs to the end of the command line.
// False when the command is not such an export or the file was not written.
bool RunRegistryEditor(const QString& commandLine);
