// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbSlider.h"

#include "ui/controls/VbControl.h"

namespace ui {

VbSlider::VbSlider(const QString& name, int min, int max, int value, QWidget* parent)
    : QSlider(Qt::Horizontal, parent) {
    setObjectName(name);
    setRange(min, max);
    QSlider::setValue(value);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setPageStep(1);
}

void VbSlider::setValue(qint32 value) {
    if (value < minimum() || value > maximum())
        RaiseInvalidValue();
    QSlider::setValue(value);
}

}  // namespace ui
