// SPDX-License-Identifier: GPL-3.0-or-later
// The FTP module against a real server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_Language.h"
#include "destinations/NRV_InetFTP.h"
#include "destinations/Peers.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "ui/QtPrinters.h"
#include "ui/frmMain_BackUp.h"

namespace {

const QString kPassword = QStringLiteral("secret");

QString Win(const QString& host) { return platform::ToWindows(host); }

}  // namespace

class FtpTransfer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::InstallPathLayer();
        InstallErrorLog();
        ProgramName = QStringLiteral("Vaultora");
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(set_language(QStringLiteral("english.lng")));
    }
    void SetUp() override {
        platform::Dialogs::scriptAnswers({});
        form = std::make_unique<frmMain_BackUp>();
        // Waits of a fiftieth; request time-outs of 3 s.
        SetFtpTimingForTest(0.02, 3, 3);
        QFile::remove(ErrorLogFile());
    }
    void TearDown() override {
        form.reset();
        SetFtpTimingForTest(1.0, 60, 20);
        platform::Dialogs::reset();
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
    frmMain_BackUp& f() { return *form; }
    static QString ErrorLogFile() { return testenv::commonDir() + QStringLiteral("/error.log"); }
    static QString ErrorLog() { return QString::fromUtf8(testenv::readFile(ErrorLogFile())); }
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
    std::unique_ptr<frmMain_BackUp> form;
};

// An upload into a fresh tree creates every folder and lands byte for byte,
// a name with blanks and "#" included; the run log shows every command in
// the module's words.
TEST_F(FtpTransfer, UploadCreatesTheFoldersAndLandsByteForByte) {
    peers::FtpServer server;
    Connect(server, QStringLiteral("/a\\b/c"));
    const QString local = testenv::tempDir(QStringLiteral("up")) + QStringLiteral("/my archive #1.zip");
    const QByteArray data = testenv::randomBytes(300000, 7);
    testenv::writeFile(local, data);

    EXPECT_TRUE(FTPcopy_files(true, Win(local), QStringLiteral("my archive #1.zip")));
    EXPECT_EQ(testenv::readFile(server.root + QStringLiteral("/a\\b/c/my archive #1.zip")), data);
    EXPECT_EQ(Commands(), (QStringList{"DIR", "MKDIR a\\b", "CD a\\b", "MKDIR c", "CD c",
                                       "SEND " + Win(local) + " my archive #1.zip", "CLOSE"}));
    EXPECT_EQ(f().lblFTPstatus->Caption(), LangText(38));
    EXPECT_TRUE(LogLines().contains(LangText(27)));
    EXPECT_EQ(f().lstServerFiles->ListCount(), 0);

    // Uploaded again into the existing tree: the refused MKDIRs do not stop it.
    testenv::writeFile(local, "short");
    EXPECT_TRUE(FTPcopy_files(true, Win(local), QStringLiteral("my archive #1.zip")));
    EXPECT_EQ(testenv::readFile(server.root + QStringLiteral("/a\\b/c/my archive #1.zip")), "short");
    ExpectNoPassword();
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
