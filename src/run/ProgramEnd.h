// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

// VB's End statement: the program stops at once, in the middle of whatever
// it was doing. Open file numbers are closed first. The exit status is the
// outcome of the run (see common/RunOutcome.h).
//
// Tests replace the stop with a hook; End() then returns, and the code after
// each call of End() leaves its procedure when ProgramEnded() is true, so an
// in-process run ends as the program would.
void End();
bool ProgramEnded();

// An empty hook restores the real end of the process; the flag is cleared.
void SetEndHookForTest(std::function<void()> hook);
