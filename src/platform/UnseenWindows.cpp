// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UnseenWindows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "platform/Dialogs.h"

namespace platform {

UnseenWindows::UnseenWindows() {
    if (!Dialogs::headless() || !QCoreApplication::instance())
        return;
    QCoreApplication::instance()->installEventFilter(this);
    installed_ = true;
}

UnseenWindows::~UnseenWindows() {
    if (installed_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool UnseenWindows::eventFilter(QObject* watched, QEvent* event) {
    // A window is polished once, before it is first shown; its children
    // follow its updates setting unless they switch their own off.
    if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow())
            widget->setUpdatesEnabled(false);
    }
    return false;
}

}  // namespace platform
