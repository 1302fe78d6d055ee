// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

// Ending the session after a run. How: 1 shut down, 2 restart, 4 log off,
// 8 power off (any other value logs off). Force: 0 none, 1 force, 2 force
// only programs that do not respond. The request goes to
// platform::CurrentSessionEnder(); while the system's one cannot end the
// session, a line at the top of the run log says so.
void ExitWindowsSession(qint32 How, qint32 Force);

// The request flags for How and Force.
quint32 SessionEndFlags(qint32 How, qint32 Force);
