// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

// Waits, letting pending events run, until the process that platform::Shell
// started under ProcessId has ended, and returns its exit code. No time
// limit, but a request to end the program (platform::TerminationRequested)
// ends the wait at once: a program still running then gives
// platform::kStillActive (259, which no ended program returns here). An
// identifier that names no process gives 0 at once.
qint32 fWait(qint32 ProcessId);
