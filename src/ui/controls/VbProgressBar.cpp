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
    if (value == this->value())
        return;
    // QProgressBar paints itself at once on every visible change; a run moves
    // its bars for every file, so the bar is drawn with the next round of
    // events instead (a DoEvents or the event loop), like any other change.
    if (!updatesEnabled()) {
        QProgressBar::setValue(value);
        return;
    }
    setUpdatesEnabled(false);
    QProgressBar::setValue(value);
    setUpdatesEnabled(true);   // schedules the paint
}

}  // namespace ui
