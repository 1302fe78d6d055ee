// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QTimer>

#include "vb/Clock.h"

// While it lives, the program's clock stands at noon of `day` and runs a
// second further at every pass of the event loop, so that waits of seconds
// (BurnCD waits ten before it looks at the write) take milliseconds.
class FastClock {
public:
    explicit FastClock(const QDate& day = QDate::currentDate()) {
        vb::SetClockForTest(QDateTime(day, QTime(12, 0)));
        tick_.setInterval(0);
        QObject::connect(&tick_, &QTimer::timeout, [] { vb::AdvanceClockForTest(1000); });
        tick_.start();
    }
    ~FastClock() { vb::ResetClock(); }
    FastClock(const FastClock&) = delete;
    FastClock& operator=(const FastClock&) = delete;

private:
    QTimer tick_;
};
