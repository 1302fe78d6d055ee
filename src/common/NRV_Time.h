// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

// Waits `Seconds` seconds, letting pending events run meanwhile. The start
// is the clock's time of day rounded to a whole second, so the wait lasts
// Seconds give or take half a second. Measured on the steady clock: a wait
// across midnight ends on time as well.
void Wait(qint32 Seconds);
