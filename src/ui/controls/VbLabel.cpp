// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbLabel.h"

#include <QMouseEvent>

#include "ui/controls/VbControl.h"

namespace ui {

VbLabel::VbLabel(const QString& name, const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
    setObjectName(name);
    setTextFormat(Qt::PlainText);
}

void VbLabel::setLink(bool on) {
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
    setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (on)
        setForeColor(0xC00000);  // dark blue
}

qint32 VbLabel::ForeColor() const { return VbColorValue(palette().color(QPalette::WindowText)); }

void VbLabel::setForeColor(qint32 vbColor) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, VbColor(vbColor));
    setPalette(p);
}

void VbLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void VbLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

}  // namespace ui
