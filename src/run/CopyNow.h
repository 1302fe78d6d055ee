// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Copy mode looks at each source file once: the walk maps the folder of a
// source entry to its host path once, reads each file's status for its
// attributes, and Copy_Now copies the file with that status instead of
// mapping and reading it again.
namespace copy_source {

// The folder whose files come next ("C:\Data\", with its "\").
void EnterFolder(const QString& windowsFolder);
// GetAttributes of `file` (a Windows path), with one look at the disk when
// it is a file of that folder; what the look saw is kept for Copy_Now.
qint32 Attributes(const QString& file);
// No file of a folder is being walked (a single-file entry, the walk's end).
void Forget();
// The walk of a run is over, however it ended: the copies still in hand on
// worker threads are done and finished (error lines, archive flags), and
// later copies are made on the window's thread until the next walk.
void FinishCopies();
// The number of worker threads that copies are made on during a run (0: on
// the window's thread), for a test that compares both ways.
void SetWorkerThreads(int threads);
int WorkerThreads();

}  // namespace copy_source
