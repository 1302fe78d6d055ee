// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/NRV_modShutDown.h"

#include "destinations/PendingDestination.h"
#include "platform/SessionEnder.h"
#include "vb/ErrorHandling.h"

quint32 SessionEndFlags(qint32 How, qint32 Force) {
    quint32 flags = platform::SessionLogOff;
    switch (How) {
    case 1:
        flags = platform::SessionShutDown;
        break;
    case 2:
        flags = platform::SessionShutDown | platform::SessionRestart;
        break;
    case 8:
        flags = platform::SessionShutDown | platform::SessionPowerOff;
        break;
    default:   // 4, and anything unknown, logs off
        break;
    }
    if (Force == 1)
        flags |= platform::SessionForce;
    if (Force == 2)
        flags |= platform::SessionForceIfHung;
    return flags;
}

void ExitWindowsSession(qint32 How, qint32 Force) {
    vb::Handler h(QStringLiteral("ExitWindowsSession of Modul NRV_modShutDown"));
    bool ended = false;
    h.Next(1, [&] { ended = platform::CurrentSessionEnder().EndSession(SessionEndFlags(How, Force)); });
    if (!ended)
        ReportDestinationNotAvailable(QStringLiteral("ExitWindowsSession"));
}
