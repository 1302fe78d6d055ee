// SPDX-License-Identifier: GPL-3.0-or-later
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <csignal>

#include "CommonTest.h"
#include "common/NRV_Capture.h"
#include "common/NRV_ShellAndWait.h"
#include "common/NRV_Time.h"
#include "platform/Process.h"
#include "support/TerminationSoon.h"
#include "vb/Clock.h"

namespace {
class WaitTest : public CommonTest {
protected:
    void TearDown() override {
        vb::ResetClock();
        CommonTest::TearDown();
    }
};

// Runs `Wait(seconds)` on a fixed clock that moves 10 ms at every event
// round, and returns the clock's time when it came back.
QTime waitOnFixedClock(const QTime& start, int seconds, QDate day = QDate(2004, 3, 7)) {
    vb::SetClockForTest(QDateTime(day, start));
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [] { vb::AdvanceClockForTest(10); });
    tick.start(0);
    Wait(seconds);
    tick.stop();
    return vb::Now().time();
}
}  // namespace

TEST_F(WaitTest, WaitStartsOnTheRoundedSecond) {
    struct Case {
        QTime start;
        int seconds;
        QTime earliest;
    } cases[] = {
        {QTime(10, 0, 0, 400), 3, QTime(10, 0, 3)},
        {QTime(10, 0, 0, 600), 3, QTime(10, 0, 4)},
        {QTime(10, 0, 0, 0), 0, QTime(10, 0, 0)},
        {QTime(23, 59, 59, 400), 3, QTime(0, 0, 2)},  // across midnight
    };
    for (const Case& c : cases) {
        const QTime end = waitOnFixedClock(c.start, c.seconds);
        SCOPED_TRACE(c.start.toString("hh:mm:ss.zzz").toStdString());
        EXPECT_GE(end, c.earliest);
        EXPECT_LE(end, c.earliest.addMSecs(50));
    }
}

TEST_F(WaitTest, WaitOnTheRealClockLetsEventsRun) {
    int ticks = 0;
    QTimer t;
    QObject::connect(&t, &QTimer::timeout, [&] { ++ticks; });
    t.start(50);
    QElapsedTimer elapsed;
    elapsed.start();
    Wait(1);
    EXPECT_GE(elapsed.elapsed(), 450);
    EXPECT_LE(elapsed.elapsed(), 1700);
    EXPECT_GE(ticks, 5);
}

TEST_F(WaitTest, FWaitReturnsTheExitCode) {
    const QString dir = hostDir("fwait");
    testenv::writeFile(dir + "/exit2.sh", "#!/bin/sh\nsleep 0.3\nexit 2\n");
    QFile::setPermissions(dir + "/exit2.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const qint64 pid = platform::Shell(win(dir + "/exit2.sh"), 1);
    ASSERT_GT(pid, 0);
    int ticks = 0;
    QTimer t;
    QObject::connect(&t, &QTimer::timeout, [&] { ++ticks; });
    t.start(20);
    EXPECT_EQ(fWait(qint32(pid)), 2);
    EXPECT_GE(ticks, 3);  // events ran while waiting
}

// A request to end the program ends the wait for a program that would run
// for ten minutes at once; the program, asked to end in turn, is gone.
TEST_F(WaitTest, ARequestToEndEndsFWaitAndTheProgramIsAskedToEnd) {
    const qint64 pid = platform::Shell("sleep 600", 1);
    ASSERT_GT(pid, 0);
    // Should the wait not end on the request, the program's end ends it.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [pid] { ::kill(pid_t(pid), SIGKILL); });
    safety.start(30000);
    {
        const testenv::TerminationSoon request(100);
        EXPECT_EQ(fWait(qint32(pid)), platform::kStillActive);
        EXPECT_TRUE(platform::ProcessRunning(pid));
        EXPECT_TRUE(platform::EndProgram(pid, 10000));
    }
    EXPECT_FALSE(platform::ProcessRunning(pid));
    bool stillActive = true;
    EXPECT_EQ(platform::ProcessExitCode(pid, &stillActive), 128 + SIGTERM);
    EXPECT_FALSE(stillActive);
}

TEST_F(WaitTest, FWaitOfNoProcessIsZeroAtOnce) {
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(fWait(0x7ffffff0), 0);
    EXPECT_LT(elapsed.elapsed(), 500);
}

TEST_F(WaitTest, CaptureWritesABitmapAndFillsTheClipboard) {
    const QString dir = hostDir("capture");
    QGuiApplication::clipboard()->setText("what the user had copied");
    ASSERT_TRUE(Capture_Desktop(win(dir) + "\\shot.bmp"));
    const QByteArray bytes = testenv::readFile(dir + "/shot.bmp");
    ASSERT_GT(bytes.size(), 54);
    EXPECT_TRUE(bytes.startsWith("BM"));
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(bytes, "BMP"));
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), picture.size());
}

TEST_F(WaitTest, CaptureToAnUnwritablePlaceFails) {
    const QString dir = hostDir("capturefail");
    EXPECT_FALSE(Capture_Desktop(win(dir) + "\\no\\such\\folder\\shot.bmp"));
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains("  Capture_Desktop of Modul NRV_Capture  "));
}
