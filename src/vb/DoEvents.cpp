// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/DoEvents.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace vb {
void DoEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void DoEventsThrottled() {
    // A real clock, not the settable one: a test that stops the program's
    // clock must still see its events run.
    static QElapsedTimer since;
    if (since.isValid() && since.elapsed() < 20)
        return;
    since.start();
    DoEvents();
}
}  // namespace vb
