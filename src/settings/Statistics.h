// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The backup statistics of the current profile, shown in the statistics
// frame of the main window. Neither procedure handles its errors: a counter
// that is not a number ends it with a VbError for the caller's handler; the
// values stored by the steps before stay stored.

// Shows the number of archives (".zip" and ".cry") in the backup folder and
// the five stored values.
void Load_Statistics();
// Adds the run that has just ended (txtTotalSize, txtTotalFiles,
// txtBackUpTime) to the shown values and stores all five.
void Save_Statistics();
// Clears the five shown values and stores them cleared ("0", "0", "N/A",
// "0", "0"), so that a later load shows the same.
void Reset_Statistics();
