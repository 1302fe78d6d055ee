// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbFrame.h"

#include <QMouseEvent>

namespace ui {

VbFrame::VbFrame(const QString& name, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent) {
    setObjectName(name);
}

void VbFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    QGroupBox::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

}  // namespace ui
