// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vb {
// Let pending window messages, timer ticks and socket events run (VB's
// DoEvents). Does nothing before the application object exists.
void DoEvents();

// DoEvents for hot loops: processes events at most every ~20 ms and returns
// at once otherwise.
void DoEventsThrottled();
}
