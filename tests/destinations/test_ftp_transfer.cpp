// SPDX-License-Identifier: GPL-3.0-or-later
// The FTP module against a real server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <sys/stat.h>

#include "destinations/FormFixture.h"
#include "destinations/NRV_InetFTP.h"
#include "destinations/Peers.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "ui/QtPrinters.h"
#include "ui/frmMain_BackUp.h"
#include "vb/VbError.h"

namespace {

const QString kPassword = QStringLiteral("secret");

QString Win(const QString& host) { return platform::ToWindows(host); }

int Mode(const QString& host) {
    struct stat st {};
    return ::stat(QFile::encodeName(host).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

}  // namespace

class FtpTransfer : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        // Waits of a fiftieth; request time-outs of 3 s.
        SetFtpTimingForTest(0.02, 3, 3);
    }
    void TearDown() override {
        SetFtpTimingForTest(1.0, 60, 20);
        FormFixture::TearDown();
    }
    void Connect(const peers::FtpServer& server, const QString& remoteDir = QStringLiteral("backup")) {
        ASSERT_TRUE(server.running());
        f().txtFTPserver->setText(QStringLiteral("127.0.0.1"));
        f().txtFTPport->setText(QString::number(server.port));
        f().txtFTPuser->setText(QStringLiteral("tester"));
        f().txtFTPpassword->setText(kPassword);
        f().chkProxy->setValue(0);
        f().txtFTPdir->setText(remoteDir);
    }
    // The commands of the run log, oldest first.
    QStringList Commands() const {
        QStringList out;
        for (const QString& line : form->RtbNews1->Text().split(QStringLiteral("\r\n")))
            if (line.startsWith(QLatin1String("COMMAND : ")))
                out.prepend(line.mid(10));
        return out;
    }
    QStringList LogLines() const { return form->RtbNews1->Text().split(QStringLiteral("\r\n")); }
    void ExpectNoPassword() {
        EXPECT_FALSE(form->RtbNews1->Text().contains(kPassword));
        EXPECT_FALSE(form->lblFTPstatus->Caption().contains(kPassword));
        EXPECT_FALSE(ErrorLog().contains(kPassword));
    }
};

// An upload into a fresh tree creates every folder and lands byte for byte,
// a name with blanks and "#" included; it goes up under its temporary name,
// is measured and renamed; the run log shows every command in the module's
// words.
TEST_F(FtpTransfer, UploadCreatesTheFoldersAndLandsByteForByte) {
    peers::FtpServer server;
    Connect(server, QStringLiteral("/a\\b/c"));
    const QString local = testenv::tempDir(QStringLiteral("up")) + QStringLiteral("/my archive #1.zip");
    const QByteArray data = testenv::randomBytes(300000, 7);
    testenv::writeFile(local, data);

    EXPECT_TRUE(FTPcopy_files(true, Win(local), QStringLiteral("my archive #1.zip")));
    EXPECT_EQ(testenv::readFile(server.root + QStringLiteral("/a\\b/c/my archive #1.zip")), data);
    EXPECT_EQ(Commands(), (QStringList{"DIR", "MKDIR a\\b", "CD a\\b", "MKDIR c", "CD c",
                                       "SEND " + Win(local) + " my archive #1.zip.part",
                                       "SIZE my archive #1.zip.part",
                                       "RENAME my archive #1.zip.part my archive #1.zip", "CLOSE"}));
    EXPECT_EQ(f().lblFTPstatus->Caption(), LangText(38));
    EXPECT_TRUE(LogLines().contains(LangText(27)));
    EXPECT_EQ(f().lstServerFiles->ListCount(), 0);

    // Uploaded again into the existing tree: the refused MKDIRs do not stop it.
    testenv::writeFile(local, "short");
    EXPECT_TRUE(FTPcopy_files(true, Win(local), QStringLiteral("my archive #1.zip")));
    EXPECT_EQ(testenv::readFile(server.root + QStringLiteral("/a\\b/c/my archive #1.zip")), "short");
    EXPECT_EQ(QDir(server.root + QStringLiteral("/a\\b/c")).entryList(QDir::Files), QStringList{"my archive #1.zip"});
    ExpectNoPassword();
}

// Older servers still take uploads onto an existing file: one that knows
// neither SIZE nor MLSD (what arrived cannot be asked; its files are listed
// by name), and one that never renames onto an existing file (the old file
// is moved aside and deleted once the new one has its name).
TEST_F(FtpTransfer, OlderServersStillTakeUploads) {
    const std::vector<QStringList> servers = {{"--no-size", "--no-mlsd"}, {"--keep-existing"}};
    for (const QStringList& args : servers) {
        SCOPED_TRACE(args.join(' ').toStdString());
        peers::FtpServer server(args);
        Connect(server);
        testenv::writeFile(server.root + QStringLiteral("/backup/x.zip"), "the old archive");
        const QString local = testenv::tempDir(QStringLiteral("up")) + QStringLiteral("/x.zip");
        const QByteArray data = testenv::randomBytes(70000, 9);
        testenv::writeFile(local, data);
        EXPECT_TRUE(FTPcopy_files(false, Win(local), QStringLiteral("x.zip"))) << f().RtbNews1->Text().toStdString();
        EXPECT_EQ(testenv::readFile(server.root + QStringLiteral("/backup/x.zip")), data);
        EXPECT_TRUE(FTPtest_connection(QString(), false));
        EXPECT_EQ(f().lstServerFiles->ListCount(), 1);
        EXPECT_EQ(f().lstServerFiles->List(0), "x.zip");
    }
}

// Refusals by the server fail the operation with the module's texts.
TEST_F(FtpTransfer, RefusalsFailWithTheirTexts) {
    peers::FtpServer server({QStringLiteral("--readonly"), QStringLiteral("locked")});
    const QString local = testenv::tempDir(QStringLiteral("up")) + QStringLiteral("/x.zip");
    testenv::writeFile(local, "data");
    const QString fetchDir = testenv::tempDir(QStringLiteral("fetch"));

    struct Case {
        const char* name;
        std::function<void()> setUp;
        std::function<bool()> call;
        QString failureText;   // the operation's own text
        bool reset = true;     // the connection was given up (FTP_Reset's text)
        QString shown = {};    // a part of the server's answer that the log shows
    };
    const std::vector<Case> cases = {
        {"refused login", [&] { f().txtFTPpassword->setText(QStringLiteral("wrong")); },
         [&] { return FTPcopy_files(false, Win(local), QStringLiteral("x.zip")); }, LangText(28), true, "530: "},
        {"read-only folder", [&] { f().txtFTPdir->setText(QStringLiteral("locked")); },
         [&] { return FTPcopy_files(false, Win(local), QStringLiteral("x.zip")); }, LangText(26), true, "550: "},
        {"missing folder", [&] { f().txtFTPdir->setText(QStringLiteral("nowhere")); },
         [&] { return FTPtest_connection(QString(), false); }, LangText(28)},
        {"missing file", [&] { f().txtFTPdir->setText(QStringLiteral("locked")); },
         [&] { return FTPretrieve_files(QString(), QStringLiteral("gone.zip"), Win(fetchDir), "gone.zip"); },
         LangText(25), false},
        {"missing local file", [] {},
         [&] { return FTPcopy_files(false, Win(local) + "x", QStringLiteral("x.zip")); }, LangText(26)},
        {"line break in a name", [] {},
         [&] { return FTPcopy_files(false, Win(local), QStringLiteral("x\r\nDELE y")); }, LangText(26)},
        {"line break in the user name", [&] { f().txtFTPuser->setText(QStringLiteral("tester\r\nSITE x")); },
         [&] { return FTPtest_connection(QString(), false); }, LangText(28)},
        {"NUL in a folder", [&] { f().txtFTPdir->setText(QStringLiteral("back") + QChar(0) + "up"); },
         [&] { return FTPtest_connection(QString(), true); }, LangText(28)},
        {"empty remote folder", [&] { f().txtFTPdir->setText(QString()); },
         [&] { return FTPtest_connection(QString(), true); }, LangText(28)},
        {"port 0", [&] { f().txtFTPport->setText("0"); },
         [&] { return FTPtest_connection(QString(), true); }, LangText(28)},
        {"port not a number", [&] { f().txtFTPport->setText("ftp"); },
         [&] { return FTPtest_connection(QString(), true); }, LangText(28)},
        {"port 65536", [&] { f().txtFTPport->setText("65536"); },
         [&] { return FTPtest_connection(QString(), true); }, LangText(28)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Connect(server);
        f().RtbNews1->setText(QString());
        c.setUp();
        EXPECT_FALSE(c.call());
        const QStringList lines = LogLines();
        EXPECT_TRUE(lines.contains(c.failureText)) << f().RtbNews1->Text().toStdString();
        EXPECT_EQ(lines.contains(LangText(26)), c.reset);
        if (!c.shown.isEmpty()) {
            EXPECT_TRUE(f().RtbNews1->Text().contains(c.shown)) << f().RtbNews1->Text().toStdString();
        }
        EXPECT_EQ(Commands().last(), "CLOSE");
        EXPECT_EQ(f().lstServerFiles->ListCount(), 0);
    }
    EXPECT_FALSE(QFile::exists(server.root + QStringLiteral("/locked/x.zip")));
    EXPECT_TRUE(QDir(fetchDir).isEmpty());
    ExpectNoPassword();
}

// Retrieval with a mask fetches every match whole under its own name; a
// local file that was longer loses its old tail; with a local name only the
// exact entry is fetched; a mask matching nothing changes nothing.
TEST_F(FtpTransfer, RetrievalFetchesTheMatchesWhole) {
    peers::FtpServer server;
    Connect(server);
    const QByteArray big = testenv::randomBytes(700000, 3);
    testenv::writeFile(server.root + QStringLiteral("/backup/P 2024 #1.zip"), big);
    testenv::writeFile(server.root + QStringLiteral("/backup/P2.zip"), "second");
    testenv::writeFile(server.root + QStringLiteral("/backup/notes.txt"), "not an archive");
    // Enough entries for a listing longer than one piece of 4096 characters.
    for (int i = 0; i < 120; ++i)
        testenv::writeFile(server.root + QStringLiteral("/backup/filler_with_a_long_name_%1.dat").arg(i), "x");
    const QString restore = testenv::tempDir(QStringLiteral("restore"));
    testenv::writeFile(restore + QStringLiteral("/P2.zip"), "an older and much longer local copy");

    EXPECT_TRUE(FTPretrieve_files(QString(), QStringLiteral("*.zip"), Win(restore), QString()));
    EXPECT_EQ(QDir(restore).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"P 2024 #1.zip", "P2.zip"}));
    EXPECT_EQ(testenv::readFile(restore + QStringLiteral("/P 2024 #1.zip")), big);
    EXPECT_EQ(testenv::readFile(restore + QStringLiteral("/P2.zip")), "second");
    EXPECT_TRUE(LogLines().contains(LangText(41)));
    EXPECT_EQ(f().lstServerFiles->ListCount(), 0);

    // One entry under a name of its own; "P2.zi?" is a mask, not that entry.
    const QString other = testenv::tempDir(QStringLiteral("other"));
    EXPECT_TRUE(FTPretrieve_files(QString(), QStringLiteral("P2.zip"), Win(other), QStringLiteral("mine.zip")));
    EXPECT_FALSE(FTPretrieve_files(QString(), QStringLiteral("P2.zi?"), Win(other), QStringLiteral("two.zip")));
    EXPECT_EQ(QDir(other).entryList(QDir::Files | QDir::Hidden), QStringList{"mine.zip"});

    // Nothing matches.
    f().RtbNews1->setText(QString());
    EXPECT_FALSE(FTPretrieve_files(QString(), QStringLiteral("*.cry"), Win(other), QString()));
    EXPECT_TRUE(LogLines().contains(LangText(25)));
    EXPECT_EQ(QDir(other).entryList(QDir::Files | QDir::Hidden), QStringList{"mine.zip"});

    // The connection check keeps the whole listing, in the server's order.
    EXPECT_TRUE(FTPtest_connection(QString(), false));
    EXPECT_EQ(f().lstServerFiles->ListCount(), 123);
    EXPECT_EQ(f().lstServerFiles->ListIndex(), 0);
    ExpectNoPassword();
}

// A download that fails leaves nothing at its local path (and keeps what
// was there), and the retrieval reports failure.
TEST_F(FtpTransfer, AFailedDownloadLeavesNoFile) {
    peers::FtpServer server({QStringLiteral("--no-retrieve"), QStringLiteral("backup")});
    Connect(server);
    testenv::writeFile(server.root + QStringLiteral("/backup/b.zip"), "on the server");
    const QString restore = testenv::tempDir(QStringLiteral("restore"));
    testenv::writeFile(restore + QStringLiteral("/b.zip"), "kept");
    EXPECT_FALSE(FTPretrieve_files(QString(), QStringLiteral("*.zip"), Win(restore), QString()));
    EXPECT_EQ(QDir(restore).entryList(QDir::Files | QDir::Hidden, QDir::Name), QStringList{"b.zip"});
    EXPECT_EQ(testenv::readFile(restore + QStringLiteral("/b.zip")), "kept");
    EXPECT_FALSE(FTPretrieve_files(QString(), QStringLiteral("b.zip"), Win(restore), QStringLiteral("c.zip")));
    EXPECT_EQ(QDir(restore).entryList(QDir::Files | QDir::Hidden, QDir::Name), QStringList{"b.zip"});
    EXPECT_TRUE(LogLines().contains(LangText(26)));
}

// The connection test goes through upload, retrieval and deletion, creates
// the remote folder, and leaves no test file on either side.
TEST_F(FtpTransfer, ConnectionTestLeavesNoFileBehind) {
    peers::FtpServer server;
    Connect(server, QStringLiteral("fresh/tree"));
    const QString restore = testenv::tempDir(QStringLiteral("restore"));
    f().txtFTPrestoreDir->setText(Win(restore));
    // A click on Retrieve and an upload asked for while the test waits
    // neither run nor disturb the test.
    bool buttonsDisabled = false;
    int nested = -1;
    QTimer::singleShot(100, [&] {
        buttonsDisabled = !f().cmdFTPretrieve->isEnabled() && !f().cmdTestFTPconnection->isEnabled();
        f().cmdFTPretrieve_Click();
        nested = FTPcopy_files(true, QStringLiteral("C:\\nothing.zip"), QStringLiteral("nothing.zip"));
    });
    f().cmdTestFTPconnection_Click();

    EXPECT_TRUE(buttonsDisabled);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(f().lblFTPstatus->Caption(), LangText(196));
    EXPECT_TRUE(LogLines().contains(LangText(27)));
    EXPECT_TRUE(LogLines().contains(LangText(41)));
    EXPECT_TRUE(QDir(server.root + QStringLiteral("/fresh/tree")).exists());
    EXPECT_TRUE(QDir(server.root + QStringLiteral("/fresh/tree")).isEmpty());
    EXPECT_TRUE(QDir(restore).isEmpty());
    EXPECT_FALSE(QFile::exists(testenv::home() + QStringLiteral("/testFTP.nrv")));
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    EXPECT_TRUE(f().cmdTestFTPconnection->isEnabled());
    EXPECT_EQ(f().lstServerFiles->ListCount(), 0);

    // Against a refusing server the test says so in its box.
    f().txtFTPpassword->setText(QStringLiteral("wrong"));
    f().cmdTestFTPconnection_Click();
    EXPECT_EQ(f().lblFTPstatus->Caption(), LangText(197));
    ASSERT_EQ(platform::Dialogs::shown().size(), 1);
    EXPECT_EQ(platform::Dialogs::shown()[0].prompt, LangText(198));
    EXPECT_EQ(platform::Dialogs::shown()[0].style, 64);
    EXPECT_EQ(platform::Dialogs::shown()[0].title, LangText(199));
    EXPECT_TRUE(f().cmdTestFTPconnection->isEnabled());
    ExpectNoPassword();
}

// The retrieve button fetches the mask's matches into the restore folder.
TEST_F(FtpTransfer, RetrieveButtonFetchesIntoTheRestoreFolder) {
    peers::FtpServer server;
    Connect(server);
    testenv::writeFile(server.root + QStringLiteral("/backup/x.zip"), "x");
    testenv::writeFile(server.root + QStringLiteral("/backup/y.txt"), "y");
    const QString restore = testenv::tempDir(QStringLiteral("restore")) + QStringLiteral("/sub/temp");
    f().txtFTPrestoreDir->setText(Win(restore));
    f().txtRetrieveMask->setText(QStringLiteral("*.zip"));
    f().cmdFTPretrieve_Click();
    EXPECT_EQ(QDir(restore).entryList(QDir::Files), QStringList{"x.zip"});
    EXPECT_TRUE(f().cmdFTPretrieve->isEnabled());
    // Readable by the user alone, also when it replaces a file of the user's.
    EXPECT_EQ(Mode(restore + "/x.zip"), 0600);
    testenv::writeFile(server.root + QStringLiteral("/backup/x.zip"), "x again");
    ::chmod(QFile::encodeName(restore + "/x.zip").constData(), 0644);
    f().cmdFTPretrieve_Click();
    EXPECT_EQ(testenv::readFile(restore + "/x.zip"), "x again");
    EXPECT_EQ(Mode(restore + "/x.zip"), 0600);
}

// Retrieve and the connection test refuse a restore folder that cannot take
// the files, with a message, before anything goes to or comes from the
// server (an empty one would put them at the top of the drive).
TEST_F(FtpTransfer, AnUnusableRestoreFolderIsRefusedBeforeAnythingIsFetched) {
    peers::FtpServer server;
    Connect(server);
    const QString probe = QStringLiteral("vaultora-restore-folder-probe.zip");
    testenv::writeFile(server.root + QStringLiteral("/backup/") + probe, "x");
    const QString aFile = testenv::tempDir(QStringLiteral("restore")) + QStringLiteral("/a file");
    testenv::writeFile(aFile, "not a folder");
    struct Case {
        QString folder, says;
    };
    const std::vector<Case> cases = {
        {"", "No restore folder is set."},
        {"   ", "No restore folder is set."},
        {Win(aFile) + "\\temp", "The restore folder " + Win(aFile) + "\\temp cannot be created."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        f().txtFTPrestoreDir->setText(c.folder);
        f().txtRetrieveMask->setText(probe);
        f().RtbNews1->setText(QString());
        platform::Dialogs::scriptAnswers({});
        f().cmdFTPretrieve_Click();
        f().cmdTestFTPconnection_Click();
        const auto& shown = platform::Dialogs::shown();
        ASSERT_EQ(shown.size(), 2);
        for (const auto& box : shown) {
            EXPECT_EQ(box.prompt, c.says + "\r\n" + LangText(189));
            EXPECT_EQ(box.style, 48);
        }
        EXPECT_TRUE(Commands().isEmpty());
        EXPECT_TRUE(f().cmdFTPretrieve->isEnabled());
        EXPECT_TRUE(f().cmdTestFTPconnection->isEnabled());
    }
    EXPECT_FALSE(QFileInfo::exists("/" + probe));
    EXPECT_FALSE(QFileInfo::exists(testenv::home() + "/" + probe));
    EXPECT_EQ(QDir(server.root + QStringLiteral("/backup")).entryList(QDir::Files), QStringList{probe});
    // The module refuses it too, with the reason in the log.
    QFile::remove(ErrorLogFile());
    EXPECT_FALSE(FTPretrieve_files(QString(), probe, QString(), QString()));
    EXPECT_TRUE(ErrorLog().contains("No restore folder is set."));
    EXPECT_FALSE(QFileInfo::exists("/" + probe));
}

// The restore-folder picker: a "temp" folder inside the choice; a network
// folder is refused for C:\temp; cancelling changes nothing.
TEST_F(FtpTransfer, RestoreFolderPicker) {
    struct Case {
        QString chosen, expected;
        int boxes;
    };
    const std::vector<Case> cases = {
        {"C:\\Archive", "C:\\Archive\\temp", 0},
        {"C:\\", "C:\\temp", 0},
        {"\\\\server\\share", "C:\\temp", 1},
        {"", "C:\\temp", 0},   // cancelled: the last choice stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        platform::Dialogs::scriptAnswers({c.chosen});
        f().cmdSelectPathFTPrestore_Click();
        EXPECT_EQ(f().txtFTPrestoreDir->Text(), c.expected);
        EXPECT_TRUE(QDir(platform::ToHost(c.expected)).exists());
        const auto& shown = platform::Dialogs::shown();
        ASSERT_EQ(shown.size(), 1 + c.boxes);
        EXPECT_EQ(shown[0].prompt, LangText(189));
        if (c.boxes) {
            EXPECT_EQ(shown[1].prompt, LangText(190) + "\r\n" + LangText(174));
            EXPECT_EQ(shown[1].style, 48);
        }
    }
}

// The request time-out is a time without progress: an upload slower than
// the time-out in all succeeds while bytes move; a server that stops reading
// fails it after the time-out.
TEST_F(FtpTransfer, TimeOutCountsOnlyTimeWithoutProgress) {
    const QString local = testenv::tempDir(QStringLiteral("up")) + QStringLiteral("/big.zip");
    const QByteArray data = testenv::randomBytes(3 * 1024 * 1024, 11);
    testenv::writeFile(local, data);
    {
        // 1 MB a second: about 3 s against a time-out of 2 s.
        peers::FtpServer server({QStringLiteral("--throttle"), QString::number(1024 * 1024)});
        Connect(server);
        QDir().mkpath(server.root + QStringLiteral("/backup"));
        SetFtpTimingForTest(0.02, 2, 2);
        QElapsedTimer t;
        t.start();
        EXPECT_TRUE(FTPcopy_files(false, Win(local), QStringLiteral("big.zip"))) << f().RtbNews1->Text().toStdString();
        EXPECT_GT(t.elapsed(), 2000);
        EXPECT_EQ(testenv::readFile(server.root + QStringLiteral("/backup/big.zip")), data);
    }
    {
        // More than the connection's buffers take in, so the stall shows
        // while the data still goes out.
        testenv::writeFile(local, testenv::randomBytes(24 * 1024 * 1024, 12));
        peers::FtpServer server({QStringLiteral("--stall-after"), QString::number(256 * 1024)});
        Connect(server);
        QDir().mkpath(server.root + QStringLiteral("/backup"));
        SetFtpTimingForTest(0.02, 2, 2);
        QElapsedTimer t;
        t.start();
        EXPECT_FALSE(FTPcopy_files(false, Win(local), QStringLiteral("big.zip")));
        // libcurl measures the speed over its last five seconds or so.
        EXPECT_LT(t.elapsed(), 15000);
        EXPECT_TRUE(LogLines().contains(LangText(26)));
    }
}

TEST(FtpPort, WholeNumbersFromOneTo65535) {
    struct Case {
        const char* text;
        int port;    // 0: refused
        int error;
    };
    const std::vector<Case> cases = {
        {"21", 21, 0}, {" 2121 ", 2121, 0}, {"65535", 65535, 0}, {"1", 1, 0},
        {"0", 0, 6}, {"65536", 0, 6}, {"-21", 0, 6}, {"21.5", 0, 6}, {"ftp", 0, 13}, {"", 0, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            EXPECT_EQ(FtpPortNumber(QString::fromUtf8(c.text)), c.port);
            EXPECT_EQ(c.error, 0);
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.number(), c.error);
        }
    }
}

// Through a proxy the control connects to the proxy and logs in as
// "user@server".
TEST_F(FtpTransfer, ThroughAProxyTheLoginNamesTheServer) {
    peers::FtpServer proxy({QStringLiteral("--user"), QStringLiteral("tester@far.example")});
    Connect(proxy);
    f().chkProxy->setValue(1);
    f().txtFTPProxy->setText(QStringLiteral("127.0.0.1"));
    f().txtFTPserver->setText(QStringLiteral("far.example"));
    QDir().mkpath(proxy.root + QStringLiteral("/backup"));
    testenv::writeFile(proxy.root + QStringLiteral("/backup/seen.zip"), "x");
    EXPECT_TRUE(FTPtest_connection(QString(), false));
    EXPECT_EQ(f().lstServerFiles->List(0), "seen.zip");
}

// A listed name becomes a local file name only as it stands: a server's
// "..\x.zip" is not fetched into the folder above the restore folder, and
// the error log says it was left on the server.
TEST_F(FtpTransfer, ListedNamesNeverLeaveTheRestoreFolder) {
    peers::FtpServer server;
    Connect(server);
    testenv::writeFile(server.root + QStringLiteral("/backup/..\\evil.zip"), "evil");
    testenv::writeFile(server.root + QStringLiteral("/backup/good.zip"), "good");
    const QString parent = testenv::tempDir(QStringLiteral("parent"));
    const QString restore = parent + QStringLiteral("/temp");
    EXPECT_FALSE(FTPretrieve_files(QString(), QStringLiteral("*.zip"), Win(restore), QString()));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("download of ..\\evil.zip failed"))) << ErrorLog().toStdString();
    EXPECT_EQ(QDir(restore).entryList(QDir::Files | QDir::Hidden), QStringList{"good.zip"});
    EXPECT_EQ(QDir(parent).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

// An upload that is cut, refused or cannot be renamed onto its name fails,
// leaves the server's file of that name as it was and no partial file, and
// keeps the server's answer for the report.
TEST_F(FtpTransfer, AFailedUploadLeavesTheServersFileWhole) {
    struct Case {
        const char* name;
        QStringList server;
        int bytes;            // the size of the upload
        const char* answer;   // a part of the failure's answer ("" any)
    };
    const std::vector<Case> cases = {
        {"data connection dropped, called complete", {"--drop-after", "1000"}, 5000,
         "the server holds 1000 of the 5000 bytes sent"},
        {"data connection dropped in a long upload", {"--drop-after", "65536"}, 8 << 20, ""},
        {"server full", {"--full-after", "1000"}, 5000, "452 Insufficient storage space."},
        {"upload refused", {"--refuse-stor"}, 5000, "553 Storing is refused here."},
        {"rename refused", {"--refuse-rnfr"}, 5000, "550 Renaming is refused here."},
    };
    const QString local = testenv::tempDir(QStringLiteral("up")) + QStringLiteral("/x.zip");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        peers::FtpServer server(c.server);
        Connect(server);
        const QString remote = server.root + QStringLiteral("/backup");
        testenv::writeFile(remote + QStringLiteral("/x.zip"), "the server's archive");
        testenv::writeFile(local, testenv::randomBytes(c.bytes, 5));
        f().RtbNews1->setText(QString());

        EXPECT_FALSE(FTPcopy_files(false, Win(local), QStringLiteral("x.zip")));
        EXPECT_EQ(testenv::readFile(remote + QStringLiteral("/x.zip")), "the server's archive");
        EXPECT_EQ(QDir(remote).entryList(QDir::Files | QDir::Hidden), QStringList{"x.zip"});
        EXPECT_FALSE(FtpLastFailure().Answer().isEmpty());
        EXPECT_TRUE(FtpLastFailure().Answer().contains(QString::fromUtf8(c.answer)))
            << FtpLastFailure().Answer().toStdString();
        EXPECT_FALSE(FtpLastFailure().login);
        EXPECT_TRUE(LogLines().contains(LangText(26)));
    }
}

// Retrieval passes over the folders of the remote folder, goes on after a
// file that the server refuses, and writes each refused file with the
// server's answer to the error log. From a server without MLSD the folders
// are not known as such: each is reported as a file that did not come.
TEST_F(FtpTransfer, RetrievalPassesOverFoldersAndGoesOnAfterAFailedFile) {
    struct Case {
        const char* name;
        QStringList server;
        QStringList reported;   // the entries the error log names
    };
    const std::vector<Case> cases = {
        {"names with their kind", {"--refuse-retr", "b*"}, {"b.zip"}},
        {"bare names", {"--refuse-retr", "b*", "--no-mlsd"}, {"b.zip", "old", "zz"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ErrorLogFile());
        peers::FtpServer server(c.server);
        Connect(server);
        const QString remote = server.root + QStringLiteral("/backup");
        testenv::writeFile(remote + QStringLiteral("/a.zip"), "a");
        testenv::writeFile(remote + QStringLiteral("/b.zip"), "b");
        testenv::writeFile(remote + QStringLiteral("/c [1].zip"), "c");
        testenv::writeFile(remote + QStringLiteral("/old/inner.zip"), "in a folder");
        QDir().mkpath(remote + QStringLiteral("/zz"));
        const QString restore = testenv::tempDir(QStringLiteral("restore"));

        EXPECT_FALSE(FTPretrieve_files(QString(), QStringLiteral("*"), Win(restore), QString()));
        EXPECT_EQ(QDir(restore).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
                  (QStringList{"a.zip", "c [1].zip"}));
        EXPECT_EQ(testenv::readFile(restore + QStringLiteral("/c [1].zip")), "c");
        const QStringList lines = ErrorLog().split(QLatin1Char('\n')).filter(QStringLiteral("FTPretrieve_files"));
        EXPECT_EQ(lines.size(), c.reported.size()) << ErrorLog().toStdString();
        for (const QString& entry : c.reported) {
            EXPECT_EQ(lines.filter(QStringLiteral("download of ") + entry + " failed: 550 ").size(), 1)
                << entry.toStdString() << "\n" << ErrorLog().toStdString();
        }
        EXPECT_EQ(lines.filter(QStringLiteral("b.zip failed: 550 Not allowed to read this file.")).size(), 1);
        EXPECT_EQ(f().lblFTPstatus->Caption(), LangText(26));

        // A name with "[" is fetched by itself: only "*" and "?" are wildcards.
        const QString one = testenv::tempDir(QStringLiteral("one"));
        EXPECT_TRUE(FTPretrieve_files(QString(), QStringLiteral("c [1].zip"), Win(one), QStringLiteral("mine.zip")));
        EXPECT_EQ(testenv::readFile(one + QStringLiteral("/mine.zip")), "c");
    }
}
