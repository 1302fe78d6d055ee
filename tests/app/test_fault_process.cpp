// SPDX-License-Identifier: GPL-3.0-or-later
// The built program as a process meeting faults: killed in the middle of a
// ZIP run, and started on garbage (a settings database that is no database,
// a language file that cannot be read, a profile file of noise), refused,
// or onto a destination that is full or read-only; each ends with the exit
// status that tells how it went. Each start is bounded in time; every
// archive left behind passes unzip -t.
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include "common/AppInstance.h"
#include "destinations/MailPeers.h"
#include "platform/Database.h"
#include "run/ZipRunFixture.h"
#include "platform/SettingsStore.h"
#include "support/SmallMount.h"
#include "settings/SaveSettings.h"
#include "settings/SettingsKeys.h"

using namespace ziprun;

namespace {

// Another process holds an exclusive lock on a settings database (a new one,
// in rollback-journal mode, so that nobody can even read it) until this goes.
class DatabaseLock {
public:
    explicit DatabaseLock(const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-c"),
                       QStringLiteral("import sqlite3, sys\n"
                                      "con = sqlite3.connect(sys.argv[1], isolation_level=None)\n"
                                      "con.execute('BEGIN EXCLUSIVE')\n"
                                      "con.execute('CREATE TABLE IF NOT EXISTS t(x)')\n"
                                      "print('locked', flush=True)\n"
                                      "sys.stdin.read()\n"),
                       path});
        held_ = process.waitForReadyRead(15000) && process.readLine().trimmed() == "locked";
    }
    ~DatabaseLock() {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }
    bool held() const { return held_; }

private:
    QProcess process;
    bool held_ = false;
};

// The process has its handler for SIGTERM in place (its caught-signal mask in
// /proc says so): from now on a termination request is a request, not a kill.
bool WaitUntilItTakesTerminationRequests(QProcess& p) {
    QElapsedTimer t;
    t.start();
    const QString status = QStringLiteral("/proc/%1/status").arg(p.processId());
    while (t.elapsed() < 30000 && p.state() == QProcess::Running) {
        for (const QByteArray& line : testenv::readFile(status).split('\n'))
            if (line.startsWith("SigCgt:") && (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1)
                return true;
        QThread::msleep(10);
    }
    return false;
}

class ProcessFaults : public ZipRunTest {
protected:
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
        ZipRunTest::TearDown();
    }

    void Start(const QStringList& args) {
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(testenv::builtProgram(), args);
        ASSERT_TRUE(program.waitForStarted(10000));
    }
    // Starts the program, waits for its end and gives its exit status.
    int StatusOf(const QStringList& args) {
        Start(args);
        EXPECT_TRUE(program.waitForFinished(60000)) << program.readAll().toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        return program.exitCode();
    }
    // Runs the profile saved as "P" to its end, into the test's destination;
    // the program ends with `status`.
    void RunToTheEnd(int timeoutMs = 120000, int status = 0) {
        Start({QStringLiteral("/run"), QStringLiteral("/profile:P"), QStringLiteral("/dir:") + Win(dest)});
        ASSERT_TRUE(program.waitForFinished(timeoutMs)) << program.readAll().toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << program.readAll().toStdString();
        EXPECT_EQ(program.exitCode(), status);
    }

    // Name and SHA-256 of every file of a folder.
    static std::map<QString, QByteArray> Hashes(const QString& dir) {
        std::map<QString, QByteArray> out;
        for (const QString& name : FilesIn(dir))
            out[name] = QCryptographicHash::hash(testenv::readFile(dir + QLatin1Char('/') + name),
                                                 QCryptographicHash::Sha256);
        return out;
    }
    void ExpectEveryArchivePassesUnzipTest() {
        for (const QString& name : FilesIn(dest, QStringLiteral("*.zip")))
            EXPECT_TRUE(UnzipTestPasses(dest + QLatin1Char('/') + name)) << name.toStdString();
    }

    QProcess program;
};

}  // namespace

TEST_F(ProcessFaults, AKilledZipRunLeavesTheDestinationAsItWasAndTheNextRunCompletes) {
    // A first run puts today's archive at the destination; the runs after it
    // append to it (in the temporary folder, then copied back).
    f().chkAppendArchive->setValue(1);
    f().txtMaxZIPsize->setText(QStringLiteral("500"));
    WriteSource(QStringLiteral("first.txt"), QByteArray("the first run's file\n").repeated(100));
    QDir().mkpath(src + QStringLiteral("/big"));   // empty for the first run
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    AddSource(Win(src) + QStringLiteral("\\big\\*.*"));
    Save_Settings();
    RunToTheEnd();
    ASSERT_EQ(FilesIn(dest, QStringLiteral("*.zip")).size(), 1);
    const auto before = Hashes(dest);

    // Enough to deflate for the run to take a few seconds.
    for (int i = 0; i < 60; ++i)
        WriteSource(QStringLiteral("big/part%1.bin").arg(i), Incompressible(1024 * 1024, quint32(i + 10)));
    Start({QStringLiteral("/run"), QStringLiteral("/profile:P")});
    // Kill it once its archive in the temporary folder has grown past a few MB.
    QElapsedTimer t;
    t.start();
    qint64 working = 0;
    while (t.elapsed() < 60000 && program.state() == QProcess::Running) {
        working = 0;
        for (const QString& name : FilesIn(temp, QStringLiteral("*_BackUp_*.zip")))
            working = std::max(working, QFileInfo(temp + QLatin1Char('/') + name).size());
        if (working > 8 * 1024 * 1024)
            break;
        QThread::msleep(5);
    }
    ASSERT_EQ(program.state(), QProcess::Running) << "the run ended before it could be killed";
    ::kill(pid_t(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(Hashes(dest), before);   // the earlier archive and its log, byte for byte
    EXPECT_FALSE(TempIsClean());       // the killed run's leftovers

    RunToTheEnd();

    EXPECT_TRUE(TempIsClean());  // the leftovers went at the start of the run
    const QStringList archives = FilesIn(dest, QStringLiteral("*.zip"));
    ASSERT_EQ(archives.size(), 1);
    ExpectEveryArchivePassesUnzipTest();
    const ZipListing z = ReadWithPython(dest + QLatin1Char('/') + archives[0]);
    ASSERT_TRUE(z.readable);
    EXPECT_EQ(z.entries.size(), 61);  // the first run's file and this run's
    EXPECT_NE(z.find(QStringLiteral("/first.txt")), nullptr);
    EXPECT_NE(z.find(QStringLiteral("/big/part59.bin")), nullptr);
}

TEST_F(ProcessFaults, GarbageAtTheStartGivesAClearErrorAndNoCrash) {
    enum Kind { SettingsDatabase, LanguageFile, ProfileFile };
    struct Case {
        const char* name;
        Kind kind;
        int status;   // the program's exit status
    } const cases[] = {
        // The damaged database is replaced by an empty one: an unattended run
        // does not run on the defaults of the empty one.
        {"a settings database that is no database", SettingsDatabase, 2},
        {"a language file whose text number cannot be read", LanguageFile, 2},
        {"a profile file of noise", ProfileFile, 2},
    };
    const QString language = testenv::commonDir() + QStringLiteral("/language/english.lng");
    const QByteArray english = testenv::readFile(language);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        Save_Settings();
        const QString db = platform::Database::defaultPath();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        switch (c.kind) {
        case SettingsDatabase:
            // The program's own database: another folder, so that this
            // process keeps the one it has open.
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), testenv::tempDir(QStringLiteral("config")));
            QDir().mkpath(env.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/vaultora"));
            testenv::writeFile(env.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/vaultora/settings.db"),
                               Incompressible(64 * 1024, 3));
            break;
        case LanguageFile:
            testenv::writeFile(language, english + "T00x9\tnot a number\r\n");
            break;
        case ProfileFile:
            testenv::writeFile(testenv::programDir() + QStringLiteral("/P.pfl"), Incompressible(32 * 1024, 4));
            break;
        }
        program.setProcessEnvironment(env);
        RunToTheEnd(60000, c.status);
        const QString said = QString::fromLocal8Bit(program.readAll());
        testenv::writeFile(language, english);
        const QString errors = ErrorLog();
        switch (c.kind) {
        case SettingsDatabase: {
            // Moved aside and told in the error log and on standard error;
            // nothing ran.
            const QString config = env.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/vaultora");
            EXPECT_EQ(FilesIn(config, QStringLiteral("settings.db.corrupt-*")).size(), 1);
            EXPECT_TRUE(errors.contains(QStringLiteral("moved aside"))) << errors.toStdString();
            EXPECT_TRUE(said.contains(QStringLiteral("The run does not start on default settings"))) << said.toStdString();
            EXPECT_TRUE(FilesIn(dest).isEmpty());
            break;
        }
        case LanguageFile:
            EXPECT_TRUE(errors.contains(QStringLiteral("set_language of Modul NRV_Language"))) << errors.toStdString();
            EXPECT_TRUE(FilesIn(dest).isEmpty());  // the program ended before its window
            break;
        case ProfileFile:
            EXPECT_TRUE(FilesIn(dest, QStringLiteral("*.zip")).isEmpty());  // nothing to back up
            EXPECT_TRUE(errors.contains(QStringLiteral("no source entry to back up: P"))) << errors.toStdString();
            break;
        }
        ExpectEveryArchivePassesUnzipTest();
        program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    }
}

// The exit status of "/run": 0 when the run completed as asked, 1 when it
// ran but something was not backed up or not delivered, 2 when it could not
// run at all; a run that did not complete always leaves an error-log line,
// and a start that could not run says why on standard error. None of them
// waits for a click.
TEST_F(ProcessFaults, ExitStatusTellsACompleteARefusedAndAnImpossibleRun) {
    enum Start {
        Complete,
        NoSuchProfile,
        NothingTicked,
        SecondStart,
        UnusableSettings,
        LockedSettings,
        MailRefused,
        MailDropped
    };
    struct Case {
        const char* name;
        Start start;
        int status;
        const char* logged;   // a text of the error-log line ("" none)
        const char* said;     // a text on standard error ("" none)
    } const cases[] = {
        {"a run that completes", Complete, 0, "", ""},
        {"a profile that is not there", NoSuchProfile, 2, "There is no profile of this name: Nope",
         "There is no profile of this name: Nope"},
        {"a profile with nothing to back up", NothingTicked, 2, "no source entry to back up", ""},
        {"a second start while one runs", SecondStart, 2, "This start was refused", "This start was refused"},
        {"a settings folder that cannot be made", UnusableSettings, 2, "The settings cannot be used: ",
         "The settings cannot be used: "},
        {"a settings database that another process keeps locked", LockedSettings, 2, "database is locked",
         "The settings cannot be used: "},
        {"an e-mail notice that the server refuses", MailRefused, 1, "550 5.1.1 no such user here", ""},
        {"an e-mail notice whose server drops the connection in the message", MailDropped, 1,
         "The server closed the connection before the notice was sent", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        if (c.start == NothingTicked)
            f().List1->setSelected(0, false);
        std::unique_ptr<mailpeer::SmtpSink> sink;
        if (c.start == MailDropped)   // more than the server reads before it drops
            WriteSource(QStringLiteral("b.bin"), testenv::randomBytes(1024 * 1024, 4));
        if (c.start == MailRefused || c.start == MailDropped) {
            sink = std::make_unique<mailpeer::SmtpSink>(c.start == MailRefused ? QStringLiteral("refuse-rcpt")
                                                                                : QStringLiteral("drop-in-data"));
            ASSERT_GT(sink->port, 0);
            settings::WriteUser(QStringLiteral("txtSMTPserver"), QStringLiteral("127.0.0.1"));
            settings::WriteUser(QStringLiteral("txtSMTPport"), QString::number(sink->port));
            settings::WriteProfile(QStringLiteral("txtSMTPeMail"), QStringLiteral("backup@example.org"));
            f().chkSendEmail->setValue(1);
        }
        Save_Settings();
        int held = -1;
        if (c.start == SecondStart) {
            // Another instance holds the lock for as long as this test wants.
            QDir().mkpath(QFileInfo(InstanceLockPath()).absolutePath());
            held = ::open(QFile::encodeName(InstanceLockPath()).constData(), O_RDWR | O_CREAT, 0600);
            ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString blocked = testenv::tempDir(QStringLiteral("blocked")) + QStringLiteral("/a file");
        if (c.start == UnusableSettings) {
            // The settings folder would have to be made below a file.
            testenv::writeFile(blocked, "not a folder");
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), blocked);
        }
        std::unique_ptr<DatabaseLock> lock;
        if (c.start == LockedSettings) {
            const QString config = testenv::tempDir(QStringLiteral("config"));
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
            lock = std::make_unique<DatabaseLock>(config + QStringLiteral("/vaultora/settings.db"));
            ASSERT_TRUE(lock->held());
        }
        program.setProcessEnvironment(env);
        const QString profile = c.start == NoSuchProfile ? QStringLiteral("/profile:Nope") : QStringLiteral("/profile:P");
        const int status = StatusOf({QStringLiteral("/run"), profile, QStringLiteral("/dir:") + Win(dest)});
        const QString said = QString::fromLocal8Bit(program.readAll());
        EXPECT_EQ(status, c.status) << said.toStdString();
        if (held >= 0)
            ::close(held);
        const QString errors = ErrorLog();
        if (*c.logged) {
            EXPECT_TRUE(errors.contains(QString::fromUtf8(c.logged))) << errors.toStdString();
        }
        if (*c.said) {
            EXPECT_TRUE(said.contains(QString::fromUtf8(c.said))) << said.toStdString();
        }
        // No message box came up (headless, a box is told on standard error
        // as "[message] ...").
        EXPECT_FALSE(said.contains(QStringLiteral("[message]"))) << said.toStdString();
        // Only a run that ran put its archive at the destination.
        EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")).size(), c.status == 2 ? 0 : 1);
        if (c.start == UnusableSettings) {   // the message names the folder
            EXPECT_TRUE(errors.contains(blocked + QStringLiteral("/vaultora"))) << errors.toStdString();
        }
        program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    }
}

// Asked to end while it waits for a settings database that another process
// keeps locked, the program ends (with its status) instead of waiting on.
TEST_F(ProcessFaults, ATerminationRequestEndsTheWaitForALockedSettingsDatabase) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString config = testenv::tempDir(QStringLiteral("config"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    DatabaseLock lock(config + QStringLiteral("/vaultora/settings.db"));
    ASSERT_TRUE(lock.held());
    program.setProcessEnvironment(env);
    Start({QStringLiteral("/run"), QStringLiteral("/profile:P")});
    ASSERT_TRUE(WaitUntilItTakesTerminationRequests(program));
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
}

// Asked to end while an unattended run waits for its program before (one
// that would run for ten minutes), the program ends at once with status 1:
// the program it started is stopped, the error log names it, and nothing is
// backed up.
TEST_F(ProcessFaults, ATerminationRequestEndsTheWaitForTheProgramBefore) {
    const QString pidFile = testenv::tempDir(QStringLiteral("job")) + QStringLiteral("/pid");
    const QString job = QFileInfo(pidFile).absolutePath() + QStringLiteral("/job.sh");
    testenv::writeFile(job, QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 600\n").arg(pidFile).toUtf8());
    QFile::setPermissions(job, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().chkRunBefore->setValue(1);
    f().txtPathBefore->setText(Win(job));
    f().optWaitBefore(1)->setValue(true);
    Save_Settings();
    Start({QStringLiteral("/run"), QStringLiteral("/profile:P"), QStringLiteral("/dir:") + Win(dest)});
    QElapsedTimer t;
    t.start();
    while (testenv::readFile(pidFile).trimmed().isEmpty() && t.elapsed() < 30000 &&
           program.state() == QProcess::Running)
        QThread::msleep(10);
    const pid_t sleeper = pid_t(testenv::readFile(pidFile).trimmed().toInt());
    ASSERT_GT(sleeper, 0) << program.readAll().toStdString();
    ::kill(pid_t(program.processId()), SIGTERM);
    const bool ended = program.waitForFinished(30000);
    if (!ended)
        ::kill(sleeper, SIGKILL);
    ASSERT_TRUE(ended);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_NE(::kill(sleeper, 0), 0) << "the program before is gone";
    const QString errors = ErrorLog();
    EXPECT_TRUE(errors.contains(QStringLiteral("the program was stopped: ") + Win(job))) << errors.toStdString();
    EXPECT_TRUE(FilesIn(dest, QStringLiteral("*.zip")).isEmpty());
}

TEST_F(ProcessFaults, ExitStatusOfAFullOrReadOnlyDestinationIsOne) {
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
        testenv::SmallMount mount(dest, "size=256k");
        if (!mount.ok())
            GTEST_SKIP() << "tmpfs cannot be mounted here";
        if (c.readOnly)
            mount.remountReadOnly();
        WriteSource(QStringLiteral("small.txt"), QByteArray("small\n"));
        WriteSource(QStringLiteral("large.bin"), Incompressible(1024 * 1024, 5));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        f().optBuMode(c.mode)->setValue(true);
        Save_Settings();
        const int status = StatusOf({QStringLiteral("/run"), QStringLiteral("/profile:P")});
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

// A synchronisation of a folder with itself, or with a folder inside it,
// would copy a tree into itself: it is refused before anything is made or
// copied, with an error-log line and exit status 2. Folders are compared
// where they really are (links followed; parts not made yet without regard
// to case); a folder that only shares the start of its name runs.
TEST_F(ProcessFaults, ASynchronisationOfAFolderWithItselfOrInsideItIsRefused) {
    enum Pair { Same, DestinationInside, SourceInside, ThroughALink, NotMadeYetOtherCase, NameShared, NotSet };
    struct Case {
        const char* name;
        Pair pair;
        int status;
        const char* logged;
    } const cases[] = {
        {"one folder", Same, 2, "are the same folder"},
        {"a destination inside the source, not made yet", DestinationInside, 2, "lies inside its source folder"},
        {"a source inside the destination", SourceInside, 2, "lies inside its destination folder"},
        {"a destination that is a link to the source", ThroughALink, 2, "are the same folder"},
        {"two folders not made yet, told apart only by case", NotMadeYetOtherCase, 2, "lies inside its source"},
        {"folders whose names only start alike", NameShared, 0, ""},
        {"a new profile's folders, not chosen yet", NotSet, 2, "synchronisation is not set"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const QString root = testenv::tempDir(QStringLiteral("pair"));
        const QString data = root + QStringLiteral("/data");
        testenv::writeFile(data + QStringLiteral("/a.txt"), "a");
        testenv::writeFile(data + QStringLiteral("/sub/b.txt"), "b");
        QString source = data, destination = data;
        switch (c.pair) {
        case Same:
        case NotSet:
            break;
        case DestinationInside:
            destination = data + QStringLiteral("/backup");
            break;
        case SourceInside:
            source = data + QStringLiteral("/sub");
            break;
        case ThroughALink:
            destination = root + QStringLiteral("/link");
            ASSERT_TRUE(QFile::link(data, destination));
            break;
        case NotMadeYetOtherCase:
            source = root + QStringLiteral("/Fresh");
            destination = root + QStringLiteral("/fresh/copy");
            break;
        case NameShared:
            destination = data + QStringLiteral("2");
            break;
        }
        f().optBuMode(2)->setValue(true);
        f().chkSyncSubDirs->setValue(1);
        f().chkSyncBothDirections->setValue(1);
        f().txtSourceSync->setText(Win(source));
        f().txtDestinySync->setText(Win(destination));
        Save_Settings();
        if (c.pair == NotSet)   // as a profile stored before these options were set
            for (const char* key : {"txtSourceSync", "txtDestinySync"})
                platform::DeleteSetting(settings::ProfileSettingsApp(QStringLiteral("P")), QStringLiteral("Settings"),
                                        QString::fromLatin1(key));
        const auto before = testenv::treeContents(root);
        const QStringList entriesBefore = QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);

        EXPECT_EQ(StatusOf({QStringLiteral("/run"), QStringLiteral("/profile:P")}), c.status)
            << program.readAll().toStdString();
        const QString errors = ErrorLog();
        if (c.status == 0) {
            EXPECT_EQ(testenv::treeContents(destination), testenv::treeContents(data));
            continue;
        }
        EXPECT_TRUE(errors.contains(QString::fromUtf8(c.logged))) << errors.toStdString();
        EXPECT_EQ(testenv::treeContents(root), before);
        EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), entriesBefore);
        EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/backup")));
    }
}
