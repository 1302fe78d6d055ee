// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbFocusFilter.h"

#include <QFocusEvent>
#include <QWidget>

namespace ui {

VbFocusFilter::VbFocusFilter(QWidget* target) : QObject(target) {
    target->installEventFilter(this);
}

bool VbFocusFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (t == QEvent::FocusIn || t == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (t == QEvent::FocusIn && !inside_) {
                inside_ = true;
                emit GotFocus();
            } else if (t == QEvent::FocusOut && inside_) {
                inside_ = false;
                emit LostFocus();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ui
