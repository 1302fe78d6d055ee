// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/NRV_modShutDown.h"

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "destinations/MailNotice.h"
#include "platform/SessionEnder.h"
#include "vb/ErrorHandling.h"

namespace {
const QString kModule = QStringLiteral(" of Modul NRV_modShutDown");
QString label(const char* procedure) { return QString::fromLatin1(procedure) + kModule; }
}  // namespace

quint32 SessionEndFlags(qint32 How, qint32 Force, bool windows2000, qint32* endForce) {
    quint32 flags = platform::SessionLogOff;
    switch (How) {
    case 1: flags = platform::SessionShutDown; break;
    case 2: flags = platform::SessionShutDown | platform::SessionRestart; break;
    case 8: flags = platform::SessionShutDown | platform::SessionPowerOff; break;
    default: break;  // 4, and anything unknown, logs off
    }
    if (Force == 1)
        flags |= platform::SessionForce;
    // Before 2000 "only the hung ones" does not exist: it becomes a plain
    // force, after the force bit was decided, so it adds no bit.
    if (!windows2000 && Force == 2)
        Force = 1;
    if (Force == 2)
        flags |= platform::SessionForceIfHung;
    if (endForce)
        *endForce = Force;
    return flags;
}

void ExitWindowsSession(qint32 How, qint32 Force) {
    vb::Handler h(label("ExitWindowsSession"));
    // The notice would be cut off with the session.
    h.Next(1, [] { WaitForMailNotice(); });
    quint32 flags = 0;
    bool nt = false;
    h.Next(2, [&] { flags = SessionEndFlags(How, Force, IsWindows2000(), &Force); });
    h.Next(3, [&] { nt = IsWindowsNT(); });
    if (nt)
        h.Next(4, [] { SetShutdownPrivilege(); });
    else if (How == 4 && Force == 1)
        h.Next(5, [] { TerminateExplorer(); });
    h.Next(6, [&] {
        QString why;
        if (!platform::CurrentSessionEnder().EndSession(flags, &why))
            // A run that was to end the session and did not must not look
            // as if it had.
            WriteErrorLog(true, ProgramName, label("ExitWindowsSession"), 6, 0,
                          QStringLiteral("The session was not ended (flags %1): %2").arg(flags).arg(why));
    });
}

void SetShutdownPrivilege() {
    vb::Handler h(label("SetShutdownPrivilege"));
    h.Next(1, [] { platform::CurrentSessionEnder().EnableShutdownRight(); });
}

void TerminateExplorer() {
    vb::Handler h(label("TerminateExplorer"));
    h.Next(1, [] { platform::CurrentSessionEnder().EndDesktopProcess(); });
}

bool IsWindowsNT() {
    vb::Handler h(label("IsWindowsNT"));
    return h.Guard(false, [] { return platform::CurrentSessionEnder().Version().platformId == 2; });
}

bool IsWindows2000() {
    vb::Handler h(label("IsWindows2000"));
    return h.Guard(false, [] {
        const platform::PlatformVersion v = platform::CurrentSessionEnder().Version();
        return v.platformId == 2 && v.majorVersion > 4;
    });
}
