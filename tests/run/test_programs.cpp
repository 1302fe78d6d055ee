// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <csignal>
#include <memory>

#include "CopySyncTest.h"
#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "run/RunPrograms.h"
#include "ui/frmMain_BackUp.h"
#include "support/TerminationSoon.h"
#include "vb/Clock.h"

namespace {

class Programs : public CopySyncTest {
protected:
    void SetUp() override {
        CopySyncTest::SetUp();
        set_language("english.lng");
        w = std::make_unique<frmMain_BackUp>();
        dir = testenv::tempDir("programs");
        record = dir + "/record.txt";
    }
    void TearDown() override {
        w.reset();
        CopySyncTest::TearDown();
    }

    // A program that notes its start with its arguments, sleeps, and notes its end.
    QString script(const QString& name, double sleepSeconds) {
        const QString path = dir + "/" + name;
        testenv::writeFile(path, QString("#!/bin/sh\nprintf start >> '%1'\nfor a in \"$@\"; do printf ' %s|' \"$a\" >> '%1'; done\n"
                                         "echo >> '%1'\n"
                                         "sleep %2\necho exit >> '%1'\n")
                                     .arg(record)
                                     .arg(sleepSeconds)
                                     .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QStringList recorded() const {
        return QString::fromUtf8(testenv::readFile(record)).split('\n', Qt::SkipEmptyParts);
    }
    bool waitForRecord(int lines) const {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            if (recorded().size() >= lines)
                return true;
            QThread::msleep(10);
        }
        return false;
    }

    struct Setup {
        ui::VbCheckBox* run;
        ui::VbTextBox* path;
        ui::VbTextBox* args;
        ui::VbTextBox* seconds;
        void (*start)();
    };
    Setup before() const {
        return {w->chkRunBefore, w->txtPathBefore, w->txtCommandlineBefore, w->txtWaitSecondsBefore, RunProgramBefore};
    }
    Setup after() const {
        return {w->chkRunAfter, w->txtPathAfter, w->txtCommandlineAfter, w->txtWaitSecondsAfter, RunProgramAfter};
    }

    std::unique_ptr<frmMain_BackUp> w;
    QString dir, record;
};

}  // namespace

TEST_F(Programs, EachWaitModeBeforeAndAfter) {
    enum Mode { NoWait, UntilEnd, Seconds };
    struct Case {
        bool isBefore;
        Mode mode;
        QString seconds;
        double programSleeps;
        qint64 minMs, maxMs;   // how long the step takes
        bool endedOnReturn;
    } cases[] = {
        {true, NoWait, "", 0.8, 0, 500, false},
        {true, UntilEnd, "", 0.6, 550, 5000, true},
        {true, Seconds, "1", 2.2, 450, 1600, false},
        {true, Seconds, "no number", 0.8, 0, 600, false},
        {false, NoWait, "", 0.8, 0, 500, false},
        {false, UntilEnd, "", 0.6, 550, 5000, true},
        {false, Seconds, "2 seconds", 0.1, 1450, 2600, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        QFile::remove(record);
        const Setup s = c.isBefore ? before() : after();
        const int first = c.isBefore ? 0 : 5;   // the no-wait option; the others follow
        const int step = c.isBefore ? 1 : -1;
        (c.isBefore ? w->optWaitBefore(first + step * int(c.mode)) : w->optWaitAfter(first + step * int(c.mode)))
            ->setValue(true);
        const QString program = script(QString("prog%1.sh").arg(n++), c.programSleeps);
        s.run->setValue(1);
        s.path->setText(" " + win(program) + " ");
        s.args->setText("\"two words\" $HOME;x");
        s.seconds->setText(c.seconds);

        QElapsedTimer t;
        t.start();
        s.start();
        const qint64 took = t.elapsed();
        EXPECT_GE(took, c.minMs);
        EXPECT_LE(took, c.maxMs);
        EXPECT_EQ(recorded().contains("exit"), c.endedOnReturn);
        EXPECT_EQ(w->RtbNews1->Text(), " " + win(program) + "  " + LangText(220));
        ASSERT_TRUE(waitForRecord(2));
        EXPECT_EQ(recorded(), (QStringList{"start two words| $HOME;x|", "exit"})) << "arguments reach it as given";
    }
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(Programs, NothingStartsWithoutTheBoxOrTheFile) {
    const QString program = script("prog.sh", 0);
    struct Case {
        int run;
        QString path;
    } cases[] = {
        {0, win(program)},                  // the box is clear
        {1, ""},                            // no path
        {1, win(dir + "/missing.sh")},      // no such file
        {1, win(dir) + "\\"},               // a folder
    };
    for (const Case& c : cases) {
        w->RtbNews1->setText("old");
        w->chkRunBefore->setValue(c.run);
        w->txtPathBefore->setText(c.path);
        w->optWaitBefore(1)->setValue(true);
        RunProgramBefore();
        EXPECT_EQ(w->RtbNews1->Text(), "old") << c.path.toStdString();
    }
    QThread::msleep(100);
    EXPECT_FALSE(QFile::exists(record));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(Programs, AProgramPathWithABlankIsCutAtTheBlankAndAFailedStartIsLogged) {
    QDir().mkpath(dir + "/my tools");
    const QString program = script("my tools/job.sh", 0);
    w->chkRunAfter->setValue(1);
    w->txtPathAfter->setText(win(program));
    w->txtCommandlineAfter->setText("-x");
    w->optWaitAfter(4)->setValue(true);

    RunProgramAfter();   // "<dir>\my" does not exist: the start fails, the run goes on
    EXPECT_EQ(w->RtbNews1->Text(), win(program) + " " + LangText(220));
    EXPECT_TRUE(logMentions("cmdBackUpNow  11  53  "));
    EXPECT_FALSE(QFile::exists(record));

    // With a program of the first word's name, that one runs, with the rest as arguments.
    script("my", 0);
    RunProgramAfter();
    EXPECT_EQ(recorded(), (QStringList{"start tools\\job.sh| -x|", "exit"}));
}

// A request to end the program while the run waits for its program ends the
// wait at once: the program is asked to end too and is gone, the error log
// names it, and the run is stopped. A program started once the request came
// (the program after a stopped run) still runs, but is not waited for.
TEST_F(Programs, ARequestToEndStopsTheWaitAndTheProgramWaitedFor) {
    const QString pidFile = dir + "/pid";
    const QString program = dir + "/longjob.sh";
    testenv::writeFile(program, QString("#!/bin/sh\necho $$ > '%1'\nexec sleep 600\n").arg(pidFile).toUtf8());
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto startedPid = [&] {
        QElapsedTimer t;
        t.start();
        while (testenv::readFile(pidFile).trimmed().isEmpty() && t.elapsed() < 10000)
            QThread::msleep(10);
        return pid_t(testenv::readFile(pidFile).trimmed().toInt());
    };
    // The program, waited for until it ends, before or after the run.
    auto runIt = [&](ui::VbCheckBox* run, ui::VbTextBox* path, ui::VbOptionButton* untilEnd, void (*start)()) {
        QFile::remove(pidFile);
        run->setValue(1);
        path->setText(win(program));
        untilEnd->setValue(true);
        start();
        return startedPid();
    };
    CancelBackUp = false;
    {
        const testenv::TerminationSoon request(300, [] { CancelBackUp = true; });
        const pid_t pid = runIt(w->chkRunBefore, w->txtPathBefore, w->optWaitBefore(1), RunProgramBefore);
        ASSERT_GT(pid, 0);
        EXPECT_NE(::kill(pid, 0), 0) << "the program is gone";
        EXPECT_TRUE(CancelBackUp);
        EXPECT_TRUE(logMentions("cmdBackUpNow  12  0  The run was asked to end while the program was still running; "
                                "the program was stopped: " + win(program)))
            << logBytes().toStdString();

        // The request stands: the program after starts and is left to run.
        const pid_t after = runIt(w->chkRunAfter, w->txtPathAfter, w->optWaitAfter(4), RunProgramAfter);
        ASSERT_GT(after, 0);
        EXPECT_EQ(::kill(after, 0), 0) << "the program after runs on";
        ::kill(after, SIGKILL);
        EXPECT_TRUE(logMentions("cmdBackUpNow  12  0  The program was not waited for: the run was asked to end: " +
                                win(program)))
            << logBytes().toStdString();
    }
    CancelBackUp = false;
}
