// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <thread>

#include <ctime>

#include "VbTestSupport.h"
#include "vb/Clock.h"
#include "vb/DoEvents.h"

using namespace vb;

class ClockTest : public LocaleTest {
protected:
    void TearDown() override {
        ResetClock();
        LocaleTest::TearDown();
    }
};

TEST_F(ClockTest, FixedClockStandsUntilAdvanced) {
    SetClockForTest(QDateTime(QDate(2004, 3, 7), QTime(23, 59, 58, 600)));
    const qint64 mono = MonotonicMs();
    EXPECT_EQ(Now(), QDateTime(QDate(2004, 3, 7), QTime(23, 59, 58)));  // whole seconds
    EXPECT_EQ(Date(), QDate(2004, 3, 7));
    EXPECT_DOUBLE_EQ(Timer(), 86398.6);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(MonotonicMs(), mono);

    AdvanceClockForTest(2000);  // over midnight
    EXPECT_EQ(Now(), QDateTime(QDate(2004, 3, 8), QTime(0, 0, 0)));
    EXPECT_DOUBLE_EQ(Timer(), 0.6);
    EXPECT_EQ(MonotonicMs(), mono + 2000);  // the steady clock does not jump back
    EXPECT_TRUE(ClockIsSet());
}

TEST_F(ClockTest, RunningClockStartsAtTheGivenTime) {
    SetClockForTest(QDateTime(QDate(2004, 3, 7), QTime(10, 0)), true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GE(Timer(), 36000.04);
    EXPECT_LT(Timer(), 36010.0);
}

TEST_F(ClockTest, RealClockAfterReset) {
    SetClockForTest(QDateTime(QDate(1999, 1, 1), QTime(1, 0)));
    ResetClock();
    EXPECT_FALSE(ClockIsSet());
    EXPECT_LE(std::abs(Now().secsTo(QDateTime::currentDateTime())), 2);
    const qint64 a = MonotonicMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(MonotonicMs() - a, 15);
}

TEST_F(ClockTest, ThrottledDoEventsRunsEventsAtMostEvery20ms) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);
    QElapsedTimer t;
    t.start();
    int calls = 0;
    while (t.elapsed() < 200) {
        DoEventsThrottled();
        ++calls;
    }
    EXPECT_GT(ticks, 2);          // events do run
    EXPECT_LE(ticks, 200 / 20 + 2);  // but not on every call
    EXPECT_GT(calls, ticks * 10);
}

// The local fields of many moments, in a zone that changes its clocks:
// every moment shows what a local date-time of it shows, also within the
// hours around each change.
TEST(LocalFields, AreThoseOfTheLocalDateTime) {
    const QByteArray oldTz = qgetenv("TZ");
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    // 2026-03-29 01:00 UTC the clocks go forward, 2026-10-25 01:00 UTC back.
    for (const qint64 change : {qint64(1774746000), qint64(1792890000)}) {
        ASSERT_NE(QDateTime::fromSecsSinceEpoch(change - 1).offsetFromUtc(),
                  QDateTime::fromSecsSinceEpoch(change).offsetFromUtc());
        for (qint64 s = change - 2 * 86400; s < change + 2 * 86400; s += 599) {
            const QDateTime local = QDateTime::fromSecsSinceEpoch(s);
            const QDateTime fields = LocalFields(s);
            ASSERT_EQ(fields.date(), local.date()) << s;
            ASSERT_EQ(fields.time(), local.time()) << s;
        }
    }
    // Before 1970 and far apart, in an order that leaves the day behind.
    for (const qint64 s : {qint64(-2000000000), qint64(-1), qint64(0), qint64(2147483647), qint64(86399)}) {
        EXPECT_EQ(LocalFields(s).date(), QDateTime::fromSecsSinceEpoch(s).date()) << s;
        EXPECT_EQ(LocalFields(s).time(), QDateTime::fromSecsSinceEpoch(s).time()) << s;
    }
    if (hadTz)
        qputenv("TZ", oldTz);
    else
        qunsetenv("TZ");
    ::tzset();
}
