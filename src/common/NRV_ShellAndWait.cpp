// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_ShellAndWait.h"

#include <QThread>

#include "platform/Process.h"
#include "platform/TerminationRequest.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

qint32 fWait(qint32 ProcessId) {
    vb::Handler h(QStringLiteral("fWait of Modul NRV_ShellAndWait"), QStringLiteral("Common"));
    qint32 exitCode = 0;
    bool stillActive = false;
    h.Next(1, [&] { exitCode = platform::ProcessExitCode(ProcessId, &stillActive); });
    while (stillActive && !platform::TerminationRequested()) {
        vb::DoEvents();
        QThread::msleep(5);
        stillActive = false;
        h.Next(2, [&] { exitCode = platform::ProcessExitCode(ProcessId, &stillActive); });
    }
    return exitCode;
}
