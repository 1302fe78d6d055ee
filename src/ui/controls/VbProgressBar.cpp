// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbProgressBar.h"

#include "ui/controls/VbControl.h"

namespace ui {

VbProgressBar::VbProgressBar(const QString& name, QWidget* parent) : QProgressBar(parent) {
    setObjectName(name);
    setRange(0, 100);
    QProgressBar::setValue(0);
    setTextVisible(false);
}

void VbProgressBar::setValue(int value) {
    if (value < minimum() || value > maximum())
        RaiseInvalidValue();
    QProgressBar::setValue(value);
}

}  // namespace ui
