// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbCommandButton.h"

namespace ui {

VbCommandButton::VbCommandButton(const QString& name, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setObjectName(name);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { emit Click(); });
}

}  // namespace ui
