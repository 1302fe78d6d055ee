// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbPictureBox.h"

#include <QMouseEvent>

#include "ui/controls/VbControl.h"

namespace ui {

VbPictureBox::VbPictureBox(const QString& name, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
}

void VbPictureBox::setBackColor(qint32 vbColor) {
    backColor_ = vbColor;
    QPalette p = palette();
    p.setColor(QPalette::Window, VbColor(vbColor));
    setPalette(p);
    setAutoFillBackground(true);
    update();
}

void VbPictureBox::mouseReleaseEvent(QMouseEvent* event) {
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void VbPictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QFrame::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

}  // namespace ui
