// SPDX-License-Identifier: GPL-3.0-or-later
// Ending the session after a run: the request flags per platform with a
// recorder in place of the system, and the requests that reach logind, here
// a stand-in on a private bus (nothing is ever shut down).
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "destinations/NRV_modShutDown.h"
#include "platform/LogindSessionEnder.h"
#include "platform/Paths.h"
#include "platform/SessionEnder.h"
#include "support/TestEnv.h"

namespace {

class Recorder : public platform::SessionEnder {
public:
    platform::PlatformVersion version{2, 5};
    bool refuse = false;
    QStringList calls;
    platform::PlatformVersion Version() override { return version; }
    bool EnableShutdownRight() override {
        calls << "right";
        return true;
    }
    bool EndDesktopProcess() override {
        calls << "desktop";
        return true;
    }
    bool EndSession(quint32 flags, QString* why) override {
        calls << QStringLiteral("end %1").arg(flags);
        if (refuse && why)
            *why = "Access denied";
        return !refuse;
    }
};

class ShutdownTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::InstallPathLayer();
        InstallErrorLog();
        ProgramName = "Vaultora";
    }
    void SetUp() override {
        platform::SetSessionEnder(&recorder);
        QFile::remove(ErrorLogFile());
    }
    void TearDown() override { platform::SetSessionEnder(nullptr); }
    static QString ErrorLogFile() { return testenv::commonDir() + "/error.log"; }
    Recorder recorder;
};

}  // namespace

TEST_F(ShutdownTest, FlagsAndStepsPerPlatform) {
    struct Case {
        qint32 how, force;
        platform::PlatformVersion version;
        QStringList calls;
    };
    const platform::PlatformVersion nt4{2, 4}, nt5{2, 5}, win9x{1, 4};
    const std::vector<Case> cases = {
        {8, 1, nt5, {"right", "end 13"}},     // what the run asks for
        {8, 0, nt5, {"right", "end 9"}},
        {1, 0, nt5, {"right", "end 1"}},
        {1, 2, nt5, {"right", "end 17"}},     // force only the hung programs
        {2, 0, nt5, {"right", "end 3"}},
        {2, 1, nt5, {"right", "end 7"}},
        {4, 0, nt5, {"right", "end 0"}},
        {3, 0, nt5, {"right", "end 0"}},      // unknown: log off
        {0, 1, nt5, {"right", "end 4"}},
        {4, 2, nt4, {"right", "end 0"}},      // 2 turns into 1 after the flags were made
        {1, 2, nt4, {"right", "end 1"}},
        {4, 1, win9x, {"desktop", "end 4"}},  // the desktop's process goes first
        {4, 2, win9x, {"desktop", "end 0"}},
        {8, 1, win9x, {"end 13"}},
    };
    for (const Case& c : cases) {
        recorder.calls.clear();
        recorder.version = c.version;
        ExitWindowsSession(c.how, c.force);
        EXPECT_EQ(recorder.calls, c.calls) << c.how << "," << c.force << " on " << c.version.platformId << "."
                                           << c.version.majorVersion;
    }
    EXPECT_FALSE(QFile::exists(ErrorLogFile()));
}

TEST_F(ShutdownTest, ARefusedRequestIsInTheErrorLog) {
    recorder.refuse = true;
    ExitWindowsSession(8, 1);
    const QString log = QString::fromUtf8(testenv::readFile(ErrorLogFile()));
    EXPECT_TRUE(log.contains("ExitWindowsSession of Modul NRV_modShutDown")) << log.toStdString();
    EXPECT_TRUE(log.contains("Access denied")) << log.toStdString();
}

namespace {

// A private bus with the logind stand-in of python3-dbusmock on it.
class LogindStandIn {
public:
    explicit LogindStandIn(const QString& parameters = {}) {
        dir_ = testenv::tempDir("logind");
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!bus_.waitForReadyRead(10000))
            return;
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
        mock_.setProcessEnvironment(env);
        QStringList args{"-m", "dbusmock", "--system", "-t", "logind", "-l", log()};
        if (!parameters.isEmpty())
            args << "-p" << parameters;
        mock_.start("/usr/bin/python3", args);
        connection_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, "logind-test"));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && connection_->isConnected() &&
               !connection_->interface()->isServiceRegistered("org.freedesktop.login1"))
            QThread::msleep(20);
    }
    ~LogindStandIn() {
        connection_.reset();
        QDBusConnection::disconnectFromBus("logind-test");
        for (QProcess* p : {&mock_, &bus_}) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
            p->waitForFinished(5000);
        }
    }
    bool ready() const {
        return connection_ && connection_->isConnected() &&
               connection_->interface()->isServiceRegistered("org.freedesktop.login1");
    }
    QDBusConnection& bus() { return *connection_; }
    QString log() const { return dir_ + "/calls.log"; }
    QString calls() const { return QString::fromUtf8(testenv::readFile(log())); }

private:
    QString dir_, address_;
    QProcess bus_, mock_;
    std::unique_ptr<QDBusConnection> connection_;
};

}  // namespace

TEST(Logind, EachKindOfEndIsItsRequest) {
    LogindStandIn logind;
    ASSERT_TRUE(logind.ready());
    platform::LogindSessionEnder ender(logind.bus(), 5000);
    EXPECT_TRUE(ender.EnableShutdownRight());
    qputenv("XDG_SESSION_ID", "c7");
    QString why;
    EXPECT_TRUE(ender.EndSession(13, &why)) << why.toStdString();  // the run's power off
    EXPECT_TRUE(ender.EndSession(7, &why)) << why.toStdString();   // restart
    EXPECT_TRUE(ender.EndSession(4, &why)) << why.toStdString();   // log off
    qunsetenv("XDG_SESSION_ID");
    QStringList calls;
    for (const QString& line : logind.calls().split('\n', Qt::SkipEmptyParts))
        calls << line.section(' ', 1);  // without the time stamp
    EXPECT_EQ(calls, QStringList({"CanPowerOff", "PowerOff True", "Reboot True", "TerminateSession \"c7\""}));
}

TEST(Logind, NoRightAndNoServiceAreFailures) {
    {
        LogindStandIn logind(R"({"CanPowerOff": "no", "CanReboot": "na"})");
        ASSERT_TRUE(logind.ready());
        platform::LogindSessionEnder ender(logind.bus(), 5000);
        EXPECT_FALSE(ender.EnableShutdownRight());
    }
    // A bus without logind: the request fails with the reason.
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    {
        QDBusConnection c = QDBusConnection::connectToBus(address, "no-logind");
        platform::LogindSessionEnder ender(c, 5000);
        QString why;
        EXPECT_FALSE(ender.EndSession(13, &why));
        EXPECT_TRUE(why.startsWith("PowerOff: ")) << why.toStdString();
    }
    QDBusConnection::disconnectFromBus("no-logind");
    bus.terminate();
    bus.waitForFinished(5000);
    // And the tests' own system bus leads nowhere, so no test ends this machine.
    platform::LogindSessionEnder system(QDBusConnection::systemBus(), 2000);
    QString why;
    EXPECT_FALSE(system.EndSession(13, &why));
}
