// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
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

// The platform's family and major version, as the shutdown request tests
// them: family 2 is the one with per-user rights to end the session.
struct PlatformVersion {
    int platformId = 0;
    int majorVersion = 0;
};

class SessionEnder {
public:
    virtual ~SessionEnder() = default;
    virtual PlatformVersion Version() = 0;
    // Makes sure this user may end the session; false when the system says
    // it may not.
    virtual bool EnableShutdownRight() = 0;
    // Ends the process that owns the desktop; false when there is none or it
    // could not be ended.
    virtual bool EndDesktopProcess() = 0;
    // Asks the system to end the session as `flags` say. False, with the
    // reason in *why, when the request was refused or could not be made.
    virtual bool EndSession(quint32 flags, QString* why) = 0;
};

// The object in use: the one a test installed, else the system's (logind on
// the system bus, see LogindSessionEnder.h).
SessionEnder& CurrentSessionEnder();

// Puts `ender` in place (not owned); nullptr brings back the system's.
void SetSessionEnder(SessionEnder* ender);

}  // namespace platform
