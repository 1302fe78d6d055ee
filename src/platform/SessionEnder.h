// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

// Ending the desktop session after a backup run: power off, restart or log
// off. The program asks through one object, which tests replace by their
// own.
namespace platform {

// What to end, in the bit values the program's shutdown request uses.
enum SessionEndFlags : quint32 {
    SessionLogOff = 0,
    SessionShutDown = 1,
    SessionRestart = 2,
    SessionForce = 4,
    SessionPowerOff = 8,
    SessionForceIfHung = 16,
};

class SessionEnder {
public:
    virtual ~SessionEnder() = default;
    // Asks the system to end the session as `flags` say. False when the
    // request could not be made.
    virtual bool EndSession(quint32 flags) = 0;
};

// The object in use: the one a test installed, else the system's. The
// system's one does not end anything yet: it notes the request on stderr
// and returns false.
SessionEnder& CurrentSessionEnder();

// Puts `ender` in place (not owned); nullptr brings back the system's.
void SetSessionEnder(SessionEnder* ender);

}  // namespace platform
