// SPDX-License-Identifier: GPL-3.0-or-later
// Backup runs with the FTP destination against a real server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <csignal>

#include "common/RunOutcome.h"
#include "destinations/NRV_InetFTP.h"
#include "destinations/Peers.h"
#include "platform/ArchiveFlag.h"
#include "run/ZipRunFixture.h"
#include "settings/SaveSettings.h"
#include "support/TerminationSoon.h"
#include "ui/QtPrinters.h"

using namespace ziprun;

class FtpRun : public ZipRunTest {
protected:
    void SetUp() override {
        ZipRunTest::SetUp();
        SetFtpTimingForTest(0.02, 5, 5);
        ASSERT_TRUE(server.running());
        f().chkFTP->setValue(1);
        f().txtFTPserver->setText(QStringLiteral("127.0.0.1"));
        f().txtFTPport->setText(QString::number(server.port));
        f().txtFTPuser->setText(QStringLiteral("tester"));
        f().txtFTPpassword->setText(QStringLiteral("secret"));
        f().txtFTPdir->setText(QStringLiteral("backup"));
        QDir().mkpath(remote());
    }
    void TearDown() override {
        SetFtpTimingForTest(1.0, 60, 20);
        ZipRunTest::TearDown();
    }
    QString remote() const { return server.root + QStringLiteral("/backup"); }
    // A first run that appends to the server's archive, of one file "a.txt";
    // the host path of the archive it left on the server.
    QString FirstAppendingRun() {
        f().chkMedia->setValue(0);
        f().chkAppendArchive->setValue(1);
        WriteSource(QStringLiteral("a.txt"), QByteArray("first a"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        Run();
        const QStringList first = QDir(remote()).entryList({QStringLiteral("*.zip")}, QDir::Files);
        EXPECT_EQ(first.size(), 1);
        return first.isEmpty() ? QString() : remote() + QLatin1Char('/') + first[0];
    }
    // The archives kept in the temporary folder after a failed upload.
    QStringList KeptArchives() const {
        QStringList out;
        QDirIterator it(temp + QStringLiteral("/undelivered"), {QStringLiteral("*.zip")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        return out;
    }
    // A run to `slow` (a server at 30 kB a second) alone of an archive that
    // takes it half a minute.
    void UploadSlowlyTo(const peers::FtpServer& slow) {
        f().txtFTPport->setText(QString::number(slow.port));
        f().chkMedia->setValue(0);
        f().Slider1->setValue(0);
        WriteSource(QStringLiteral("a.bin"), testenv::randomBytes(1024 * 1024, 21));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
    }
    peers::FtpServer server;
};

// A run to a folder and the server: archive and log land on the server byte
// for byte as in the folder, plain and encrypted.
TEST_F(FtpRun, UploadsTheArchiveAndItsLog) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("alpha line\r\n").repeated(500));
    WriteSource(QStringLiteral("sub/b.bin"), Incompressible(40000, 2));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    AddSource(Win(src) + QStringLiteral("\\sub\\*.*"));

    for (bool encrypt : {false, true}) {
        SCOPED_TRACE(encrypt ? "encrypted" : "plain");
        f().chkEncrypt->setValue(encrypt ? 1 : 0);
        f().txtEncryptPassword->setText(QStringLiteral("pass word"));
        Run();
        const QString name = TodaysName(1) + (encrypt ? QStringLiteral(".cry") : QString());
        ASSERT_TRUE(QFile::exists(dest + QLatin1Char('/') + name)) << FilesIn(dest).join(' ').toStdString() << f().RtbNews1->Text().toStdString();
        EXPECT_EQ(testenv::readFile(remote() + QLatin1Char('/') + name),
                  testenv::readFile(dest + QLatin1Char('/') + name));
        EXPECT_EQ(testenv::readFile(remote() + QLatin1Char('/') + name + QStringLiteral(".log")),
                  testenv::readFile(dest + QLatin1Char('/') + name + QStringLiteral(".log")));
        if (!encrypt) {
            EXPECT_TRUE(UnzipTestPasses(remote() + QLatin1Char('/') + name));
        }
        EXPECT_TRUE(TempIsClean());
    }
    EXPECT_FALSE(f().RtbNews1->Text().contains(QStringLiteral("secret")));
    EXPECT_FALSE(ErrorLog().contains(QStringLiteral("secret")));
}

// Appending to an archive that lies only on the server: the run fetches it
// back first, so the next upload holds the old entries and the new ones.
TEST_F(FtpRun, AppendingFetchesTheServersArchiveFirst) {
    const QString archive = FirstAppendingRun();
    ASSERT_TRUE(QFile::exists(archive));
    const QString name = QFileInfo(archive).fileName();
    ASSERT_EQ(ReadWithPython(archive).entries.size(), 1);

    const QString c = WriteSource(QStringLiteral("c.txt"), QByteArray("new c"));
    Run();

    EXPECT_EQ(QDir(remote()).entryList(QDir::Files, QDir::Name),
              QStringList({name, name + QStringLiteral(".log")}));
    EXPECT_TRUE(UnzipTestPasses(archive));
    const ZipListing z = ReadWithPython(archive);
    ASSERT_TRUE(z.readable);
    ASSERT_EQ(z.entries.size(), 2);
    EXPECT_EQ(z.find(QStringLiteral("/a.txt"))->data, QByteArray("first a"));
    EXPECT_EQ(z.find(QStringLiteral("/c.txt"))->data, testenv::readFile(c));
    EXPECT_EQ(LogLines(archive + QStringLiteral(".log")).size(), 1 + 2);
    EXPECT_TRUE(TempIsClean());
}

// When the server's archive cannot be fetched, the run does not replace it
// with one that holds only this run's files.
TEST_F(FtpRun, AnArchiveThatCannotBeFetchedIsNotReplaced) {
    const QString archive = FirstAppendingRun();
    ASSERT_TRUE(QFile::exists(archive));
    const QByteArray before = testenv::readFile(archive);

    // The same folder, served without downloads.
    peers::FtpServer noRetrieve({QStringLiteral("--no-retrieve"), QStringLiteral("backup")});
    ASSERT_TRUE(noRetrieve.running());
    const QString moved = noRetrieve.root + QStringLiteral("/backup/") + QFileInfo(archive).fileName();
    ASSERT_TRUE(QFile::copy(archive, moved));
    f().txtFTPport->setText(QString::number(noRetrieve.port));
    WriteSource(QStringLiteral("c.txt"), QByteArray("new c"));
    Run();
    EXPECT_EQ(testenv::readFile(moved), before);
    // The error log names the archive and the server's answer.
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("FTP download of ") + QFileInfo(archive).fileName() +
                                    QStringLiteral(" failed: 550 ")))
        << ErrorLog().toStdString();
}

// An appending run whose upload fails (the data connection dropped, the
// server full, the upload or the rename refused) leaves the server's archive
// of the day as it was, keeps the grown archive in the temporary folder, the
// new file keeps its archive flag, and the error log names the archive and
// the server's answer. The next run against a working server appends again.
TEST_F(FtpRun, AFailedUploadInAnAppendingRunLosesNothing) {
    const QString archive = FirstAppendingRun();
    ASSERT_TRUE(QFile::exists(archive));
    const QString name = QFileInfo(archive).fileName();
    const QByteArray before = testenv::readFile(archive);
    const QString c = WriteSource(QStringLiteral("c.txt"), QByteArray("new c"));

    struct Case {
        const char* name;
        QStringList server;
        const char* answer;
    };
    const std::vector<Case> cases = {
        {"data connection dropped", {"--drop-after", "100"}, "the server holds 100 of the"},
        {"server full", {"--full-after", "100"}, "452 Insufficient storage space."},
        {"upload refused", {"--refuse-stor"}, "553 Storing is refused here."},
        {"rename refused", {"--refuse-rnfr"}, "550 Renaming is refused here."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ResetRunOutcome();
        QFile::remove(ErrorLogFile());
        QDir(temp + QStringLiteral("/undelivered")).removeRecursively();
        QStringList args{QStringLiteral("--root"), server.root};
        args << k.server;
        peers::FtpServer faulty(args);
        ASSERT_TRUE(faulty.running());
        f().txtFTPport->setText(QString::number(faulty.port));
        Run();

        EXPECT_EQ(testenv::readFile(archive), before);
        EXPECT_EQ(QDir(remote()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                  QStringList({name, name + QStringLiteral(".log")}));
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
        const QStringList lines = ErrorLog().split(QLatin1Char('\n')).filter(QStringLiteral("Zip_Copy error_ftp"));
        EXPECT_EQ(lines.filter(QStringLiteral("FTP upload of ") + name + QStringLiteral(" failed")).size(), 1)
            << ErrorLog().toStdString();
        EXPECT_EQ(lines.filter(QString::fromUtf8(k.answer)).size(), 1) << ErrorLog().toStdString();
        EXPECT_TRUE(platform::ArchiveFlagIsSet(c));
        const QStringList kept = KeptArchives();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(QFileInfo(kept[0]).fileName(), name);
        EXPECT_TRUE(ErrorLog().contains(Win(QFileInfo(kept[0]).absolutePath()))) << ErrorLog().toStdString();
        const ZipListing z = ReadWithPython(kept[0]);
        EXPECT_TRUE(z.readable);
        EXPECT_TRUE(z.find(QStringLiteral("/a.txt")));
        EXPECT_TRUE(z.find(QStringLiteral("/c.txt")));
        EXPECT_TRUE(QFile::exists(kept[0] + QStringLiteral(".log")));
        for (const QString& file : {kept[0], kept[0] + QStringLiteral(".log")})
            EXPECT_EQ(QFile::permissions(file) & 0x0FFF, QFile::ReadUser | QFile::WriteUser) << file.toStdString();
        EXPECT_TRUE(TempIsClean());
    }

    ResetRunOutcome();
    f().txtFTPport->setText(QString::number(server.port));
    Run();
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Complete);
    const ZipListing z = ReadWithPython(archive);
    ASSERT_TRUE(z.readable);
    EXPECT_TRUE(z.find(QStringLiteral("/a.txt")));
    EXPECT_EQ(z.find(QStringLiteral("/c.txt"))->data, QByteArray("new c"));
    EXPECT_FALSE(platform::ArchiveFlagIsSet(c));
}

// A request to end the program during an upload that would take half a
// minute ends the upload at once, as a failed one: the server keeps nothing
// of it, the archive is kept below "undelivered", the run is incomplete. So
// too for a run started from the window, whose event loop the request ends.
TEST_F(FtpRun, ARequestToEndAbortsTheUploadAsAFailedOne) {
    for (const bool fromWindow : {false, true}) {
        SCOPED_TRACE(fromWindow ? "from the window" : "unattended");
        SetUp();
        QDir(temp + QStringLiteral("/undelivered")).removeRecursively();
        peers::FtpServer slow({QStringLiteral("--root"), server.root, QStringLiteral("--throttle"), QStringLiteral("30000")});
        ASSERT_TRUE(slow.running());
        UploadSlowlyTo(slow);
        ResetRunOutcome();
        CancelBackUp = false;
        {
            // The request comes a second after the archive went on its way:
            // by then all of it is in the connection's buffers, and the
            // transfer only waits for the server to read it.
            const QString part = remote() + QLatin1Char('/') + TodaysName(1) + QStringLiteral(".part");
            QElapsedTimer seen;
            const testenv::TerminationSoon request(
                [part, seen]() mutable {
                    if (!seen.isValid() && QFile::exists(part))
                        seen.start();
                    return seen.isValid() && seen.elapsed() >= 1000;
                },
                [fromWindow] {
                    CancelBackUp = true;
                    if (fromWindow)
                        QCoreApplication::quit();
                });
            if (fromWindow) {
                QTimer::singleShot(0, [&] {
                    Run();
                    QCoreApplication::exit(0);
                });
                QCoreApplication::exec();
            } else {
                Run();
            }
        }
        const QString name = TodaysName(1);
        EXPECT_TRUE(QDir(remote()).entryList(QDir::Files | QDir::Hidden).isEmpty())
            << QDir(remote()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
        EXPECT_TRUE(ErrorLog().contains(QStringLiteral("FTP upload of ") + name +
                                        QStringLiteral(" failed: the program was asked to end")))
            << ErrorLog().toStdString();
        const QStringList kept = KeptArchives();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(QFileInfo(kept[0]).fileName(), name);
        const ZipListing z = ReadWithPython(kept[0]);
        ASSERT_TRUE(z.readable);
        EXPECT_TRUE(z.find(QStringLiteral("/a.bin")));
        CancelBackUp = false;
    }
}

// The built program, asked to end (SIGTERM) while its unattended run uploads
// to a slow server, ends the upload as a failed one and ends with status 1.
TEST_F(FtpRun, TheProgramAskedToEndDuringTheUploadEndsWithStatusOne) {
    peers::FtpServer slow({QStringLiteral("--throttle"), QStringLiteral("30000")});
    ASSERT_TRUE(slow.running());
    const QString backup = slow.root + QStringLiteral("/backup");
    QDir().mkpath(backup);
    UploadSlowlyTo(slow);
    Save_Settings();

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(testenv::builtProgram(), {QStringLiteral("/run"), QStringLiteral("/profile:P")});
    ASSERT_TRUE(program.waitForStarted(10000));
    // The upload is under way once its part is on the server.
    QElapsedTimer t;
    t.start();
    while (QDir(backup).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty() && t.elapsed() < 60000 &&
           program.state() == QProcess::Running)
        QThread::msleep(10);
    ASSERT_FALSE(QDir(backup).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty())
        << program.readAll().toStdString();
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1) << program.readAll().toStdString();
    EXPECT_TRUE(QDir(backup).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << QDir(backup).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("failed: the program was asked to end"))) << ErrorLog().toStdString();
    EXPECT_EQ(KeptArchives().size(), 1);
}

// A profile name with "#", "[", "?" or "*" finds its volume on the server:
// the second appending run continues it instead of replacing it. (A name
// with "?" or "*" cannot name the local archive log.)
TEST_F(FtpRun, AProfileNameWithWildcardCharactersFindsItsVolume) {
    struct Case {
        const char* profile;
        bool log;
    } const cases[] = {{"P#[1]", true}, {"P#[?*", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        SetUp();
        QDir(remote()).removeRecursively();
        QDir().mkpath(remote());
        f().cmbProfiles->setText(QString::fromUtf8(c.profile));
        f().chkWriteLog->setValue(c.log ? 1 : 0);
        const QString archive = FirstAppendingRun();
        ASSERT_TRUE(QFileInfo(archive).fileName().startsWith(QString::fromUtf8(c.profile) + "_BackUp_d"))
            << ErrorLog().toStdString();
        WriteSource(QStringLiteral("c.txt"), QByteArray("new c"));
        Run();
        EXPECT_EQ(QDir(remote()).entryList({QStringLiteral("*.zip")}, QDir::Files).size(), 1);
        const ZipListing z = ReadWithPython(archive);
        ASSERT_TRUE(z.readable);
        EXPECT_TRUE(z.find(QStringLiteral("/a.txt")));
        EXPECT_TRUE(z.find(QStringLiteral("/c.txt")));
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Complete) << ErrorLog().toStdString();
    }
}

// A refused login is written to the error log as a refused FTP login, with
// the server's answer: before appending the run cannot start (status 2), at
// the upload the archive did not arrive (status 1).
TEST_F(FtpRun, ARefusedLoginIsLoggedAsSuch) {
    struct Case {
        const char* name;
        bool append;
        RunOutcome outcome;
    } const cases[] = {
        {"the check before appending", true, RunOutcome::NotRun},
        {"the upload after the copy to the folder", false, RunOutcome::Incomplete},
    };
    WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().txtFTPpassword->setText(QStringLiteral("wrong"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetRunOutcome();
        QFile::remove(ErrorLogFile());
        // The check before appending is made when the server is the only
        // destination.
        f().chkMedia->setValue(c.append ? 0 : 1);
        f().chkAppendArchive->setValue(c.append ? 1 : 0);
        Run();
        EXPECT_EQ(CurrentRunOutcome(), c.outcome);
        EXPECT_TRUE(ErrorLog().contains(QStringLiteral("FTP login failed: 530 "))) << ErrorLog().toStdString();
        EXPECT_FALSE(ErrorLog().contains(LangText(107))) << ErrorLog().toStdString();
        EXPECT_FALSE(ErrorLog().contains(QStringLiteral("wrong")));
        EXPECT_TRUE(QDir(remote()).isEmpty());
    }
}

// The built program: a "/run" whose upload the server refuses for want of
// space ends with status 1, and its error log names the archive and the
// server's answer.
TEST_F(FtpRun, TheProgramEndsWithStatusOneWhenTheUploadFails) {
    peers::FtpServer full({QStringLiteral("--full-after"), QStringLiteral("100")});
    ASSERT_TRUE(full.running());
    QDir().mkpath(full.root + QStringLiteral("/backup"));
    WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n").repeated(100));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().chkMedia->setValue(0);
    f().txtFTPport->setText(QString::number(full.port));
    Save_Settings();

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(testenv::builtProgram(), {QStringLiteral("/run"), QStringLiteral("/profile:P")});
    ASSERT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1) << program.readAll().toStdString();
    const QString errors = ErrorLog();
    EXPECT_TRUE(errors.contains(QStringLiteral("FTP upload of ") + TodaysName(1) +
                                QStringLiteral(" failed: 452 Insufficient storage space.")))
        << errors.toStdString();
    EXPECT_TRUE(QDir(full.root + QStringLiteral("/backup")).isEmpty());
}
