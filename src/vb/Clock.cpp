// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/Clock.h"

#include <QHash>

#include <chrono>
#include <climits>
#include <mutex>

#include "vb/VbLocale.h"

namespace vb {
namespace {
struct TestClock {
    std::mutex mutex;
    bool set = false;
    bool running = false;
    QDateTime base;        // the wall time at `steadyAtBase` (+ advances)
    qint64 advanced = 0;   // ms added by AdvanceClockForTest
    qint64 steadyAtBase = 0;
    qint64 monoBase = 0;   // what MonotonicMs showed when the clock was set
};

TestClock& testClock() {
    static TestClock c;
    return c;
}

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The current time with milliseconds, on the test clock when one is set.
QDateTime preciseNow() {
    TestClock& c = testClock();
    std::lock_guard lock(c.mutex);
    if (!c.set)
        return QDateTime::currentDateTime();
    const qint64 elapsed = c.running ? steadyMs() - c.steadyAtBase : 0;
    return c.base.addMSecs(c.advanced + elapsed);
}
}  // namespace

qint64 SteadyMs() { return steadyMs(); }

QDateTime Now() {
    QDateTime t = preciseNow();
    const QTime tm = t.time();
    t.setTime(QTime(tm.hour(), tm.minute(), tm.second()));
    return t;
}

QDate Date() { return preciseNow().date(); }

QTime Time() { return Now().time(); }

double Timer() { return preciseNow().time().msecsSinceStartOfDay() / 1000.0; }

qint64 MonotonicMs() {
    TestClock& c = testClock();
    std::lock_guard lock(c.mutex);
    if (!c.set)
        return steadyMs();
    const qint64 elapsed = c.running ? steadyMs() - c.steadyAtBase : 0;
    return c.monoBase + c.advanced + elapsed;
}

void SetClockForTest(const QDateTime& now, bool running) {
    const qint64 mono = MonotonicMs();
    TestClock& c = testClock();
    std::lock_guard lock(c.mutex);
    c.set = true;
    c.running = running;
    c.base = now;
    c.advanced = 0;
    c.steadyAtBase = steadyMs();
    c.monoBase = mono;
}

void AdvanceClockForTest(qint64 ms) {
    TestClock& c = testClock();
    std::lock_guard lock(c.mutex);
    if (c.set)
        c.advanced += ms;
}

void ResetClock() {
    TestClock& c = testClock();
    std::lock_guard lock(c.mutex);
    c.set = false;
}

bool ClockIsSet() {
    TestClock& c = testClock();
    std::lock_guard lock(c.mutex);
    return c.set;
}

QString ShortDateText(const QDate& date) { return DateLocale().toString(date, ShortDatePattern()); }

QString LongTimeText(const QTime& time) { return DateLocale().toString(time, LongTimePattern()); }

QString GeneralDateText(const QDateTime& value) {
    const QDate d = value.date();
    const QTime t = value.time();
    const bool midnight = t.msecsSinceStartOfDay() < 1000;
    if (d == QDate(1899, 12, 30))
        return LongTimeText(t);
    if (midnight)
        return ShortDateText(d);
    return ShortDateText(d) + QLatin1Char(' ') + LongTimeText(t);
}

QDateTime LocalFields(qint64 secs) {
    // The zone's offset from UTC for each day met, when it is the same at
    // the day's first and last second (no change of the clocks that day).
    constexpr qint64 kDay = 86400;
    constexpr int kChanges = INT_MIN;
    thread_local QHash<qint64, int> offsets;
    const qint64 day = secs >= 0 ? secs / kDay : -((-secs + kDay - 1) / kDay);
    auto at = offsets.constFind(day);
    if (at == offsets.constEnd()) {
        if (offsets.size() >= 4096)
            offsets.clear();
        const int first = QDateTime::fromSecsSinceEpoch(day * kDay).offsetFromUtc();
        const int last = QDateTime::fromSecsSinceEpoch(day * kDay + kDay - 1).offsetFromUtc();
        at = offsets.insert(day, first == last ? first : kChanges);
    }
    const int offset = *at != kChanges ? *at : QDateTime::fromSecsSinceEpoch(secs).offsetFromUtc();
    return QDateTime::fromSecsSinceEpoch(secs + offset, Qt::UTC);
}

}  // namespace vb
