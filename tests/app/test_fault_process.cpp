// SPDX-License-Identifier: GPL-3.0-or-later
// The built program as a process meeting faults: killed in the middle of a
// ZIP run, and started on garbage (a settings database that is no database,
// a language file that cannot be read, a profile file of noise). Each start
// is bounded in time; every archive left behind passes unzip -t.
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <map>

#include "platform/Database.h"
#include "run/ZipRunFixture.h"
#include "settings/SaveSettings.h"

using namespace ziprun;

namespace {

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
        // The damaged database is replaced by an empty one, and the run goes on.
        {"a settings database that is no database", SettingsDatabase, 0},
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
        testenv::writeFile(language, english);
        const QString errors = ErrorLog();
        switch (c.kind) {
        case SettingsDatabase: {
            // Moved aside and told in the error log; the run found no
            // profile there and backed nothing up.
            const QString config = env.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/vaultora");
            EXPECT_EQ(FilesIn(config, QStringLiteral("settings.db.corrupt-*")).size(), 1);
            EXPECT_TRUE(errors.contains(QStringLiteral("moved aside"))) << errors.toStdString();
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
