// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDBusConnection>

#include "platform/SessionEnder.h"

namespace platform {

// Ends the session through systemd-logind (org.freedesktop.login1 on the
// given bus): power off and shut down are PowerOff, restart is Reboot, log
// off is TerminateSession of this program's session ($XDG_SESSION_ID, else
// the caller's own). Each request lets the system ask for a password where
// its policy wants one. The force bits cannot be carried out: logind
// decides itself whether programs that delay the end (inhibitors) are
// waited for.
class LogindSessionEnder final : public SessionEnder {
public:
    explicit LogindSessionEnder(const QDBusConnection& bus, int timeoutMs = 25000);

    // Family 2 from version 5 on: the right to end the session is per user,
    // and nothing ends the desktop's process by hand.
    PlatformVersion Version() override { return {2, 5}; }
    // True when CanPowerOff or CanReboot answers "yes" or "challenge".
    bool EnableShutdownRight() override;
    // There is no process to end by hand here: logind ends the session's
    // processes itself. Always false.
    bool EndDesktopProcess() override { return false; }
    bool EndSession(quint32 flags, QString* why) override;

private:
    QDBusConnection bus_;
    int timeoutMs_;
};

}  // namespace platform
