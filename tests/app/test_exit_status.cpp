// SPDX-License-Identifier: GPL-3.0-or-later
// The exit status of "/run": 0 when the run completed as asked, 1 when it
// ran but something was not backed up, 2 when it could not run at all; a
// run that did not complete always leaves an error-log line.
#include <QProcess>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include "common/AppInstance.h"
#include "run/ZipRunFixture.h"
#include "settings/SaveSettings.h"

using namespace ziprun;

namespace {

// A small file system of its own for the destination (root only).
class SmallMount {
public:
    SmallMount(const QString& where, const char* options) : where_(QFile::encodeName(where)) {
        QDir().mkpath(where);
        ok_ = ::geteuid() == 0 && ::mount("tmpfs", where_.constData(), "tmpfs", 0, options) == 0;
    }
    ~SmallMount() {
        if (ok_)
            ::umount2(where_.constData(), MNT_DETACH);
    }
    bool ok() const { return ok_; }
    void remountReadOnly() {
        ok_ = ok_ && ::mount(nullptr, where_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray where_;
    bool ok_ = false;
};

class ExitStatus : public ZipRunTest {
protected:
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
        ZipRunTest::TearDown();
    }
    int RunProgram(const QStringList& args) {
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(testenv::builtProgram(), args);
        EXPECT_TRUE(program.waitForStarted(10000));
        EXPECT_TRUE(program.waitForFinished(60000)) << program.readAll().toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        return program.exitCode();
    }
    QProcess program;
};

}  // namespace

TEST_F(ExitStatus, TellsACompleteARefusedAndAnImpossibleRun) {
    enum Start { Complete, NoSuchProfile, NothingTicked, SecondStart };
    struct Case {
        const char* name;
        Start start;
        int status;
        const char* logged;   // a text of the error-log line ("" none)
    } const cases[] = {
        {"a run that completes", Complete, 0, ""},
        {"a profile that is not there", NoSuchProfile, 2, "There is no profile of this name: Nope"},
        {"a profile with nothing to back up", NothingTicked, 2, "no source entry to back up"},
        {"a second start while one runs", SecondStart, 2, "This start was refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        if (c.start == NothingTicked)
            f().List1->setSelected(0, false);
        Save_Settings();
        int held = -1;
        if (c.start == SecondStart) {
            // Another instance holds the lock for as long as this test wants.
            QDir().mkpath(QFileInfo(InstanceLockPath()).absolutePath());
            held = ::open(QFile::encodeName(InstanceLockPath()).constData(), O_RDWR | O_CREAT, 0600);
            ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        }
        const QString profile = c.start == NoSuchProfile ? QStringLiteral("/profile:Nope") : QStringLiteral("/profile:P");
        EXPECT_EQ(RunProgram({QStringLiteral("/run"), profile, QStringLiteral("/dir:") + Win(dest)}), c.status)
            << program.readAll().toStdString();
        if (held >= 0)
            ::close(held);
        const QString errors = ErrorLog();
        if (*c.logged)
            EXPECT_TRUE(errors.contains(QString::fromUtf8(c.logged))) << errors.toStdString();
        if (c.start == Complete)
            EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")).size(), 1);
    }
}

TEST_F(ExitStatus, AFullOrReadOnlyDestinationIsARunThatDidNotComplete) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a small file system for the destination needs root";
    struct Case {
        const char* name;
        int mode;        // optBuMode: 0 ZIP, 1 copy
        bool readOnly;   // else full
    } const cases[] = {
        {"ZIP onto a full destination", 0, false},
        {"copy onto a full destination", 1, false},
        {"ZIP onto a read-only destination", 0, true},
        {"copy onto a read-only destination", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        SmallMount mount(dest, "size=256k");
        if (!mount.ok())
            GTEST_SKIP() << "tmpfs cannot be mounted here";
        if (c.readOnly)
            mount.remountReadOnly();
        WriteSource(QStringLiteral("small.txt"), QByteArray("small\n"));
        WriteSource(QStringLiteral("large.bin"), Incompressible(1024 * 1024, 5));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        f().optBuMode(c.mode)->setValue(true);
        Save_Settings();
        const int status = RunProgram({QStringLiteral("/run"), QStringLiteral("/profile:P")});
        EXPECT_EQ(status, 1) << program.readAll().toStdString();
        // The error log says what was not backed up: the archive that did
        // not reach the destination, or the file that was not copied.
        const QString errors = ErrorLog();
        if (c.mode == 0)
            EXPECT_TRUE(errors.contains(LangText(124) + QLatin1Char(' ') + LangText(128))) << errors.toStdString();
        else
            EXPECT_TRUE(errors.contains(Win(src) + QStringLiteral("\\large.bin"))) << errors.toStdString();
    }
}
