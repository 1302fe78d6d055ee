// SPDX-License-Identifier: GPL-3.0-or-later
// A "/run" with the e-mail option: an aiosmtpd server receives the notice,
// and its uuencode blocks decode to the archive and the log that the run
// left at its destination, although the run deleted its temporary files and
// ended right after starting the notice.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "common/RunOutcome.h"
#include "platform/Dialogs.h"

#include "destinations/MailNotice.h"
#include "destinations/MailPeers.h"
#include "destinations/UUDecode.h"
#include "run/ZipRunFixture.h"
#include "settings/SettingsKeys.h"

using mailpeer::SmtpSink;

class MailNoticeRunTest : public ziprun::ZipRunTest {
protected:
    void TearDown() override {
        RunMode = false;
        SetMailNoticeTimesForTest({});
        ZipRunTest::TearDown();
    }
    void UseServer(int port) {
        settings::WriteUser("txtSMTPserver", "127.0.0.1");
        settings::WriteUser("txtSMTPport", QString::number(port));
        settings::WriteProfile("txtSMTPeMail", "backup@example.org");
    }
    // An unattended run to its end (the program's end waits for the notices).
    void RunUnattended() {
        RunMode = true;
        bool ended = false;
        SetEndHookForTest([&] { ended = true; });
        Run();
        ASSERT_TRUE(ended);
    }
};

TEST_F(MailNoticeRunTest, AnUnattendedRunsNoticeCarriesTheArchiveAndItsLog) {
    SmtpSink sink;
    ASSERT_GT(sink.port, 0);
    settings::WriteUser("txtSMTPserver", "127.0.0.1");
    settings::WriteUser("txtSMTPport", QString::number(sink.port));
    settings::WriteUser("txtDomain", "host.example.org");
    settings::WriteProfile("txtSMTPeMail", "backup@example.org");
    WriteSource("a.txt", "alpha\r\n");
    WriteSource("sub/b.bin", testenv::randomBytes(70000, 5));
    WriteSource("c.dat", QByteArray(59, '.'));
    AddSource(ziprun::Win(src) + "\\*.*");
    AddSource(ziprun::Win(src) + "\\sub\\*.*");
    f().chkSendEmail->setValue(1);

    RunMode = true;
    bool ended = false;
    SetEndHookForTest([&] { ended = true; });
    Run();
    ASSERT_TRUE(ended);
    // The program's end came after the notice was through.
    ASSERT_EQ(sink.Messages().size(), 1);
    EXPECT_TRUE(TempIsClean());
    EXPECT_FALSE(QFile::exists(temp + "/Temp.dat"));

    const QString name = TodaysName(1);
    const QByteArray archive = testenv::readFile(dest + "/" + name);
    const QByteArray log = testenv::readFile(dest + "/" + name + ".log");
    ASSERT_FALSE(archive.isEmpty()) << ziprun::FilesIn(dest).join(" ").toStdString() << ErrorLog().toStdString();
    ASSERT_FALSE(log.isEmpty());
    const QByteArray message = testenv::readFile(sink.folder + "/1.eml");
    const QMap<QString, QByteArray> files = uu::DecodedWithPython(message);
    EXPECT_EQ(files.keys(), QStringList({name, name + ".log"}));
    EXPECT_EQ(files.value(name), archive);
    EXPECT_EQ(files.value(name + ".log"), log);
    EXPECT_TRUE(message.startsWith("DATE: "));

    const QStringList envelope = QString::fromUtf8(testenv::readFile(sink.folder + "/1.env")).split('\n');
    EXPECT_EQ(envelope.mid(0, 3), QStringList({"host.example.org", "backup@example.org", "backup@example.org"}));
    EXPECT_FALSE(QFile::exists(ErrorLogFile())) << ErrorLog().toStdString();
}

// The server of these tests holds its clients to RFC 5321 as strict servers
// do, so that a notice that arrives there was written as the standard says.
TEST_F(MailNoticeRunTest, TheTestServerRefusesCommandsOutsideTheStandardSyntax) {
    SmtpSink sink;
    ASSERT_GT(sink.port, 0);
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, quint16(sink.port));
    ASSERT_TRUE(s.waitForConnected(10000));
    auto reply = [&s](const QByteArray& line) {
        if (!line.isEmpty())
            s.write(line + "\r\n");
        while (!s.canReadLine())
            if (!s.waitForReadyRead(10000))
                return QByteArray();
        return s.readLine().left(3);
    };
    EXPECT_EQ(reply({}), "220");
    const std::pair<const char*, const char*> lines[] = {
        {"HELO <example.org>", "501"},          {"HELO example.org", "250"},
        {"MAIL FROM: <a@example.org>", "501"},  {"MAIL FROM:<a@example.org>", "250"},
        {"RCPT TO: <b@example.org>", "501"},    {"RCPT TO:<b@example.org>", "250"},
    };
    for (const auto& [line, code] : lines)
        EXPECT_EQ(reply(line), code) << line;
}

TEST_F(MailNoticeRunTest, AttachmentsOfEveryLengthAroundALineArriveWhole) {
    SmtpSink sink;
    ASSERT_GT(sink.port, 0);
    settings::WriteUser("txtSMTPserver", "127.0.0.1");
    settings::WriteUser("txtSMTPport", QString::number(sink.port));
    settings::WriteProfile("txtSMTPeMail", "backup@example.org");
    // 59 = 45 + 14: the block's last line starts with "." and must be doubled
    // on the way for the server to keep it.
    const std::vector<int> sizes = {0, 1, 44, 45, 46, 59, 104, 1237, 40001};
    for (size_t i = 0; i < sizes.size(); ++i) {
        SCOPED_TRACE(sizes[i]);
        const QByteArray zip = testenv::randomBytes(sizes[i], quint32(i) + 1);
        const QByteArray log = QByteArray(sizes[sizes.size() - 1 - i] % 97, '.');
        testenv::writeFile(temp + "/X.zip", zip);
        testenv::writeFile(temp + "/X.zip.log", log);
        f().SendMailNotice(ziprun::Win(temp + "/X.zip"));
        WaitForMailNotice();
        ASSERT_EQ(sink.Messages().size(), i + 1);
        const QMap<QString, QByteArray> files =
            uu::DecodedWithPython(testenv::readFile(sink.folder + QStringLiteral("/%1.eml").arg(i + 1)));
        EXPECT_EQ(files.value("X.zip"), zip);
        EXPECT_EQ(files.value("X.zip.log"), log);
    }
}

// A run of several volumes announces each of them, in order, each notice with
// its own volume and log.
TEST_F(MailNoticeRunTest, EveryVolumeOfARunIsAnnouncedInOrder) {
    SmtpSink sink;
    ASSERT_GT(sink.port, 0);
    UseServer(sink.port);
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        WriteSource(name, QByteArray("the file ") + name + "\r\n");
    AddSource(ziprun::Win(src) + "\\*.*");
    f().chkMaxFiles->setValue(1);
    f().txtMaxFiles->setText("1");
    f().chkSendEmail->setValue(1);
    RunUnattended();

    ASSERT_EQ(sink.Messages().size(), 3) << ErrorLog().toStdString();
    for (int volume = 1; volume <= 3; ++volume) {
        SCOPED_TRACE(volume);
        const QString name = TodaysName(volume);
        const QMap<QString, QByteArray> files =
            uu::DecodedWithPython(testenv::readFile(sink.folder + QStringLiteral("/%1.eml").arg(volume)));
        EXPECT_EQ(files.keys(), QStringList({name, name + ".log"}));
        EXPECT_EQ(files.value(name), testenv::readFile(dest + "/" + name));
    }
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Complete) << ErrorLog().toStdString();
    EXPECT_FALSE(QFile::exists(temp + "/Temp.dat"));
    EXPECT_FALSE(QFile::exists(temp + "/Temp2.dat"));
}

// A notice that does not arrive is something the run did not do: the run is
// incomplete (exit status 1) and the error log says why; the archive at the
// destination is not touched.
TEST_F(MailNoticeRunTest, ANoticeThatDoesNotArriveMakesTheRunIncomplete) {
    struct Case {
        const char* mode;    // smtp_sink.py's mode; "" no server at all
        const char* logged;  // in the error log
    } const cases[] = {
        {"refuse-rcpt", "550 5.1.1 no such user here"},
        {"refuse-data", "554 5.6.0 message refused"},
        {"silent-data", "did not answer within"},
        {"", "sckSMTP_Error of Formular frmMain_BackUp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        SetUp();
        std::unique_ptr<SmtpSink> sink;
        int port = 0;
        if (*c.mode) {
            sink = std::make_unique<SmtpSink>(QString::fromLatin1(c.mode));
            port = sink->port;
        } else {
            QTcpServer closed;
            closed.listen(QHostAddress::LocalHost, 0);
            port = closed.serverPort();
        }
        ASSERT_GT(port, 0);
        UseServer(port);
        MailNoticeTimes times;
        times.replyMs = 500;  // the minute for a reply, shortened
        SetMailNoticeTimesForTest(times);
        WriteSource("a.txt", "alpha\r\n");
        AddSource(ziprun::Win(src) + "\\*.*");
        f().chkSendEmail->setValue(1);
        RunUnattended();

        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
        const QString errors = ErrorLog();
        EXPECT_TRUE(errors.contains(QString::fromLatin1(c.logged))) << errors.toStdString();
        EXPECT_TRUE(errors.contains("the e-mail notice of " + TodaysName(1))) << errors.toStdString();
        EXPECT_TRUE(QFile::exists(dest + "/" + TodaysName(1)));
        // An unattended run waits for no click.
        EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
        if (sink) {
            EXPECT_TRUE(sink->Messages().isEmpty());
        }
    }
}
