// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vb {
// Let pending window messages, timer ticks and socket events run (VB's
// DoEvents). Does nothing before the application object exists.
void DoEvents();
}
