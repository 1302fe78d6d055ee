// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

// Ending the session after a run, through platform::CurrentSessionEnder().
// How: 1 shut down, 2 restart, 4 log off, 8 power off (any other value logs
// off). Force: 0 none, 1 force, 2 force only programs that do not respond.
// An e-mail notice still on its way is given up to a minute first. A request
// the system refuses is written to the error log.
void ExitWindowsSession(qint32 How, qint32 Force);

// The request flags for How and Force; `windows2000` tells whether the
// platform knows "force only the programs that do not respond" (else a
// Force of 2 becomes 1 after the flags were decided, and adds no bit).
// *endForce receives the force mode in effect afterwards.
quint32 SessionEndFlags(qint32 How, qint32 Force, bool windows2000, qint32* endForce = nullptr);

void SetShutdownPrivilege();
void TerminateExplorer();
bool IsWindowsNT();
bool IsWindows2000();
