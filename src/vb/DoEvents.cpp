// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/DoEvents.h"

#include <QCoreApplication>

namespace vb {
void DoEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
}  // namespace vb
