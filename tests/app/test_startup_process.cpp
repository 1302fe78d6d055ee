// SPDX-License-Identifier: GPL-3.0-or-later
// The built program started as a process, offscreen, on this test's settings
// store: the one-instance lock and the profile switch of the command line.
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "AppTest.h"
#include "common/AppInstance.h"

namespace {

class StartupProcess : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        QFile::remove(InstanceLockPath());
        // A program folder of its own, with the language file beside it.
        const QString root = testenv::tempDir("app");
        programDir = root + "/Vaultora";
        QDir().mkpath(programDir);
        QDir().mkpath(root + "/Common/language");
        QFile::copy(testenv::commonDir() + "/language/english.lng", root + "/Common/language/english.lng");
    }
    void TearDown() override {
        for (auto& p : running) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
        AppTest::TearDown();
    }

    QProcess* start(const QStringList& args, bool withoutDisplay = false) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VAULTORA_PROGRAM_DIR", programDir);
        if (withoutDisplay) {
            env.remove("QT_QPA_PLATFORM");
            env.remove("DISPLAY");
            env.remove("WAYLAND_DISPLAY");
        } else {
            env.insert("QT_QPA_PLATFORM", "offscreen");
        }
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(testenv::builtProgram(), args);
        EXPECT_TRUE(p->waitForStarted(10000));
        running.push_back(std::move(p));
        return running.back().get();
    }

    // The program holds the one-instance lock: it is past the set-up of its
    // services and answers a request to end.
    static bool waitForLock(QProcess* p) {
        QElapsedTimer t;
        t.start();
        const QByteArray pid = QByteArray::number(p->processId());
        while (t.elapsed() < 30000 && p->state() == QProcess::Running) {
            if (testenv::readFile(InstanceLockPath()).split('\n').value(0) == pid)
                return true;
            QThread::msleep(20);
        }
        return false;
    }

    // Asks the program to end as the session's end does, and waits for it.
    static void endNormally(QProcess* p) {
        p->terminate();
        ASSERT_TRUE(p->waitForFinished(30000)) << p->readAll().toStdString();
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << p->readAll().toStdString();
        EXPECT_EQ(p->exitCode(), 0);
    }

    QString programDir;
    std::vector<std::unique_ptr<QProcess>> running;
};

TEST_F(StartupProcess, ASecondInstanceIsRefusedAndTheFirstRunsOn) {
    QProcess* first = start({});
    ASSERT_TRUE(waitForLock(first)) << first->readAll().toStdString();

    QProcess* second = start({});
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    const QString said = QString::fromUtf8(second->readAll());
    EXPECT_TRUE(said.contains(LangText(306))) << said.toStdString();
    EXPECT_TRUE(said.contains("Vaultora Info")) << said.toStdString();

    EXPECT_EQ(first->state(), QProcess::Running);
    endNormally(first);
    EXPECT_FALSE(QFile::exists(InstanceLockPath()));
}

TEST_F(StartupProcess, ProfileSwitchShowsThatProfile) {
    writeProfileFile(programDir, "Standard");
    writeProfileFile(programDir, "Travel");
    storeUser("ProfileText", "Standard");
    storeProfile("Standard", "txtCommandlineBefore", "--standard");
    storeProfile("Travel", "txtCommandlineBefore", "--travel");

    // Started without a display at all: the program finds its own platform.
    QProcess* program = start({"/profile:  travel  "}, true);
    ASSERT_TRUE(waitForLock(program)) << program->readAll().toStdString();
    endNormally(program);

    // The window showed Travel with its own options, so closing it saved
    // Travel as the current profile and Travel's options unchanged.
    EXPECT_EQ(storedUser("ProfileText"), "Travel");
    EXPECT_EQ(storedProfile("Travel", "txtCommandlineBefore"), "--travel");
    EXPECT_EQ(storedProfile("Standard", "txtCommandlineBefore"), "--standard");
}

TEST_F(StartupProcess, AnUnknownProfileFallsBackToTheFirstEntry) {
    writeProfileFile(programDir, "Travel");
    storeUser("ProfileText", "Standard");
    storeProfile("Travel", "txtCommandlineBefore", "--travel");

    QProcess* program = start({"/profile:nosuch"});
    ASSERT_TRUE(waitForLock(program)) << program->readAll().toStdString();
    endNormally(program);
    EXPECT_EQ(storedUser("ProfileText"), "Travel");
    EXPECT_EQ(storedProfile("Travel", "txtCommandlineBefore"), "--travel");
}

}  // namespace
