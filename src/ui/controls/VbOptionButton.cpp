// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbOptionButton.h"

namespace ui {

void VbOptionGroup::add(VbOptionButton* button) {
    button->group_ = this;
    members_.append(button);
}

VbOptionButton* VbOptionGroup::selected() const {
    for (const auto& b : members_)
        if (b && b->isChecked())
            return b;
    return nullptr;
}

void VbOptionGroup::clearOthers(VbOptionButton* keep) {
    for (const auto& b : members_)
        if (b && b != keep && b->isChecked())
            b->setChecked(false);
}

VbOptionButton::VbOptionButton(const QString& name, const QString& caption, int index,
                               QWidget* parent)
    : QRadioButton(caption, parent), index_(index) {
    setObjectName(index < 0 ? name : name + QLatin1Char('_') + QString::number(index));
    setAutoExclusive(false);
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        if (group_)
            group_->clearOthers(this);
        emit Click();
    });
}

// The user can select a button but not clear it by clicking it again.
void VbOptionButton::nextCheckState() {
    if (!isChecked())
        setChecked(true);
}

}  // namespace ui
