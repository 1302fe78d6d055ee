// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <vector>

// Folder synchronisation: the files of one folder (SynchronizeFiles) or of a
// folder tree (SynchronizeDir) are brought up to date in the other folder,
// one way or both ways, the newer copy of a file winning. No file or folder
// of the user's is ever deleted (only links inside the destination tree, which
// are replaced, and the partial copies a killed run left there). Windows
// paths. A name is its exact bytes: two names that differ only in case are
// two files, each paired with its own twin on the other side, and a copy
// never lands on a file of another name (a destination that cannot hold
// both, such as FAT, refuses the second, named in the error log).
//
// Every step writes its line at the top of the main window's run log and
// keeps the elapsed-time box current; the Stop command is seen between
// files and folders. A copy goes to a temporary name in the target folder
// and is renamed over the old file when complete, so a copy that fails
// leaves the old file as it was.

// One row of a folder comparison: a file name (without folder) and its code:
//   -2  only the first folder has it      -1  only the second folder has it
//   otherwise the sum of: 0 same time (whole seconds), 1 the first folder's
//   copy is newer, 2 the second's is newer; +4 the sizes differ; +8 the
//   attributes differ (read-only and hidden; Linux keeps no others).
struct CompareRow {
    QString name;
    qint32 code = 0;
    bool replacesLink = false;   // the second folder's copy is a symbolic link (code -2)
};
using CompareTable = std::vector<CompareRow>;

// The rows of the first folder's files in their listing order, then those
// only the second folder has. A folder that cannot be opened raises.
CompareTable CompareFiles(QString first, QString second);

// The files directly in the two folders. Each file is tried on its own: one
// that cannot be copied (unreadable, a read-only target, a full disk) is
// named in the error log and the run counts as incomplete, and the other
// files are still copied; so are entries that cannot be copied at all
// (FIFOs, sockets, devices). A folder that cannot be opened raises to the
// caller. A file of the destination that is a symbolic link is replaced by a
// real copy (told in the error log), never written through.
void SynchronizeFiles(QString source, QString destination, bool bothWays);

// The whole tree below the source; in two-way mode also the sub-folders that
// only the destination has. Every failure is named in the error log and the
// walk goes on. A destination folder that is missing is made and filled with
// the whole source folder, each file tried on its own. A sub-folder of the
// destination that is a symbolic link is not followed: the link is removed
// and a real folder takes its place.
void SynchronizeDir(QString source, QString destination, bool bothWays);

// Why a synchronisation of these two folders cannot be made (one sentence
// without the folders), or "" when it can: they are one folder, or one lies inside the other (the walk would
// then copy a tree into itself). They are compared where they really are:
// symbolic links followed as far as the folders exist; the parts not made
// yet are compared without regard to case, as a typed folder is found once
// made.
// A folder that maps to no host path is left to the walk to report.
QString SyncFoldersClash(const QString& source, const QString& destination);

// True when the two Windows paths name one folder where it really is (links
// followed; a part not made yet compared as written).
bool SameFolder(const QString& a, const QString& b);
