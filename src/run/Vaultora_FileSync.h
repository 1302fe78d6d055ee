// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Folder synchronisation: the files of one folder (SynchronizeFiles) or of a
// folder tree (SynchronizeDir) are brought up to date in the other folder,
// one way or both ways. Windows paths.
//
// Not available yet: each writes a line saying so at the top of the run log
// and changes nothing.
void SynchronizeFiles(const QString& source, const QString& destination, bool bothWays);
void SynchronizeDir(const QString& source, const QString& destination, bool bothWays);
