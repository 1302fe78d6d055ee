// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_Time.h"

#include <QThread>
#include <cmath>

#include "vb/Clock.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

void Wait(qint32 Seconds) {
    vb::Handler h(QStringLiteral("Wait of Modul NRV_Time"));
    h.Try([&] {
        const double now = vb::Timer();
        const qint64 startMs = vb::MonotonicMs();
        // Rounding the start to a whole second moves the end by up to half a
        // second either way.
        const double waitMs = (std::nearbyint(now) + double(Seconds) - now) * 1000.0;
        while (double(vb::MonotonicMs() - startMs) < waitMs) {
            vb::DoEvents();
            QThread::msleep(2);
        }
        vb::DoEvents();
    });
}
