// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbTimer.h"

#include "ui/controls/VbControl.h"

namespace ui {

VbTimer::VbTimer(const QString& name, int interval, bool enabled, QObject* parent)
    : QObject(parent), interval_(interval), enabled_(enabled) {
    setObjectName(name);
    connect(&timer_, &QTimer::timeout, this, &VbTimer::Timer);
    apply();
}

void VbTimer::setInterval(int ms) {
    if (ms < 0)
        RaiseInvalidValue();
    interval_ = ms;
    apply();
}

void VbTimer::setEnabled(bool on) {
    enabled_ = on;
    apply();
}

void VbTimer::apply() {
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

}  // namespace ui
