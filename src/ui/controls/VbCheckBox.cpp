// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbCheckBox.h"

#include "ui/controls/VbControl.h"

namespace ui {

VbCheckBox::VbCheckBox(const QString& name, const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent) {
    setObjectName(name);
    connect(this, &QCheckBox::stateChanged, this, [this](int) { emit Click(); });
}

int VbCheckBox::Value() const {
    switch (checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

void VbCheckBox::setValue(int value) {
    switch (value) {
    case 0: setCheckState(Qt::Unchecked); break;
    case 1: setCheckState(Qt::Checked); break;
    case 2: setCheckState(Qt::PartiallyChecked); break;
    default: RaiseInvalidValue();
    }
}

// A click by the user checks an unchecked or grayed box and clears a
// checked one; grayed is reached only by the program.
void VbCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace ui
