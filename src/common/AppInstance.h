// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// One running program per user: the first instance holds an advisory lock
// (flock) on a file in the user's configuration folder (beside the settings
// database) for as long as it runs. The kernel lets the lock go when the
// process ends in any way, so whatever a dead instance left in the file (an
// empty file, garbage, its process number) never refuses a start.

// True when another instance of this user holds the lock. The first call
// that finds the lock free takes it for this process and keeps it.
bool PrevInstance();

// Gives the lock back (the program's exit does this first).
void ReleaseInstanceLock();

// Host path of the lock file.
QString InstanceLockPath();
