// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over to the shutdown program: a running Morrowick (a stub of
// this test) is asked to close, the start settings are written, and the
// program beside this one's folder is started. The one-second waits run on
// a clock that the test moves ten times faster.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <csignal>

#include "destinations/FormTest.h"
#include "destinations/MailPeers.h"
#include "platform/SettingsStore.h"
#include "platform/SiblingProcess.h"
#include "support/TestEnv.h"

using mailpeer::RunUntil;

namespace {

// A script named Morrowick in `folder`: it notes each close request in
// "<folder>/requests" and then ends, or goes on when `ignore` is true.
QString WriteSibling(const QString& folder, bool ignore) {
    const QString path = folder + "/Morrowick";
    testenv::writeFile(path, QStringLiteral(R"(#!/usr/bin/python3
import signal, sys, time
def term(*_):
    with open("%1/requests", "a") as f:
        f.write("TERM\n")
    if not %2:
        sys.exit(0)
signal.signal(signal.SIGTERM, term)
open("%1/running", "w").close()
for _ in range(600):
    time.sleep(0.1)
)")
                                 .arg(folder, ignore ? "True" : "False")
                                 .toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

}  // namespace

class HandOffTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        form->cmbProfiles->setText("Daily");
        form->txtPathBackUp->setText("D:\\Backup");
        // The sibling program that the hand-over starts: it notes its start.
        siblingDir = QDir::cleanPath(testenv::programDir() + "/../Morrowick");
        QDir(siblingDir).removeRecursively();
        QDir().mkpath(siblingDir);
        testenv::writeFile(siblingDir + "/Morrowick",
                           "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/started\"\n");
        QFile::setPermissions(siblingDir + "/Morrowick", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // One second of the program's clock every 100 ms.
        vb::SetClockForTest(QDateTime(QDate(2026, 5, 4), QTime(10, 0, 0)), false);
        clock.setInterval(100);
        QObject::connect(&clock, &QTimer::timeout, [] { vb::AdvanceClockForTest(1000); });
        clock.start();
    }
    void TearDown() override {
        clock.stop();
        for (QProcess* p : running) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        FormTest::TearDown();
    }

    // Starts a stub Morrowick of its own folder and waits until it runs.
    QString StartSibling(bool ignore) {
        const QString folder = testenv::tempDir("sibling");
        auto* p = new QProcess;
        p->start(WriteSibling(folder, ignore), {});
        running << p;
        EXPECT_TRUE(RunUntil([&] { return QFile::exists(folder + "/running"); }));
        return folder;
    }
    static int Requests(const QString& folder) {
        return testenv::readFile(folder + "/requests").count("TERM");
    }
    static QString Stored(const char* key) {
        return platform::GetSetting("NRV\\Morrowick\\" + UserName, "Settings", key, "<none>");
    }
    bool Started() const {
        return RunUntil([&] { return QFile::exists(siblingDir + "/started"); }, 5000);
    }

    QString siblingDir;
    QTimer clock;
    QList<QProcess*> running;
};

TEST_F(HandOffTest, NoSiblingRunning) {
    form->cmdConfigAS_Click();
    EXPECT_EQ(Stored("txtStartProgram"), QCoreApplication::applicationFilePath());
    EXPECT_EQ(Stored("txtProgramParameters"), "/run /profile:Daily /dir:D:\\Backup");
    EXPECT_EQ(Stored("chkStartProgram"), "1");
    EXPECT_TRUE(Started());
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

TEST_F(HandOffTest, ASiblingThatClosesAtOnceIsAskedOnce) {
    const QString sibling = StartSibling(false);
    form->cmdConfigAS_Click();
    EXPECT_EQ(Requests(sibling), 1);
    EXPECT_TRUE(RunUntil([&] { return running.first()->state() == QProcess::NotRunning; }));
    EXPECT_TRUE(Started());
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

TEST_F(HandOffTest, ASiblingThatNeverClosesIsAskedSixTimesThenReported) {
    const QString sibling = StartSibling(true);
    const qint64 before = vb::MonotonicMs();
    form->cmdConfigAS_Click();
    EXPECT_EQ(Requests(sibling), 6);
    // About a second after each request.
    EXPECT_GE(vb::MonotonicMs() - before, 5500);
    ASSERT_EQ(platform::Dialogs::shown().size(), 1);
    EXPECT_EQ(platform::Dialogs::shown().first().prompt, LangText(148) + "\r\n" + LangText(149));
    EXPECT_EQ(platform::Dialogs::shown().first().style, platform::vbCritical);
    EXPECT_EQ(platform::Dialogs::shown().first().title, LangText(16));
    // The settings are written and the start is tried all the same.
    EXPECT_EQ(Stored("chkStartProgram"), "1");
    EXPECT_TRUE(Started());
}

TEST_F(HandOffTest, AMissingSiblingProgramIsReportedAndTheSettingsStay) {
    QFile::remove(siblingDir + "/Morrowick");
    form->cmdConfigAS_Click();
    ASSERT_EQ(platform::Dialogs::shown().size(), 1);
    EXPECT_EQ(platform::Dialogs::shown().first().prompt, LangText(170) + "\r\n" + LangText(149));
    EXPECT_EQ(platform::Dialogs::shown().first().style, platform::vbCritical);
    EXPECT_EQ(Stored("txtProgramParameters"), "/run /profile:Daily /dir:D:\\Backup");
}

TEST(SiblingProcess, FoundByNameOnlyWhileItRuns) {
    EXPECT_TRUE(platform::FindOwnProcesses("Morrowick-none").isEmpty());
    const QString folder = testenv::tempDir("find");
    QProcess p;
    p.start(WriteSibling(folder, false), {});
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(folder + "/running"); }));
    const QList<qint64> found = platform::FindOwnProcesses("Morrowick");
    EXPECT_TRUE(found.contains(p.processId()));
    ASSERT_TRUE(platform::AskProcessToClose(p.processId()));
    ASSERT_TRUE(RunUntil([&] { return !platform::FindOwnProcesses("Morrowick").contains(p.processId()); }));
    p.waitForFinished(5000);
}
