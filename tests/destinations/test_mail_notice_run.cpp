// SPDX-License-Identifier: GPL-3.0-or-later
// A "/run" with the e-mail option: an aiosmtpd server receives the notice,
// and its uuencode blocks decode to the archive and the log that the run
// left at its destination, although the run deleted its temporary files and
// ended right after starting the notice.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include "destinations/MailNotice.h"
#include "destinations/MailPeers.h"
#include "destinations/UUDecode.h"
#include "run/ZipRunFixture.h"
#include "settings/SettingsKeys.h"

namespace {

// The SMTP sink of helpers/smtp_sink.py.
class SmtpSink {
public:
    SmtpSink() {
        folder = testenv::tempDir("smtp");
        process.start("/usr/bin/python3",
                      {testenv::sourceDir() + "/tests/destinations/helpers/smtp_sink.py", folder});
        if (process.waitForReadyRead(15000))
            port = process.readLine().trimmed().toInt();
    }
    ~SmtpSink() {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }
    QStringList Messages() const { return QDir(folder).entryList({"*.eml"}, QDir::Files, QDir::Name); }

    QString folder;
    QProcess process;
    int port = 0;
};

}  // namespace

class MailNoticeRunTest : public ziprun::ZipRunTest {
protected:
    void TearDown() override {
        RunMode = false;
        ZipRunTest::TearDown();
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
    EXPECT_EQ(envelope.mid(0, 3), QStringList({"<host.example.org>", "backup@example.org", "backup@example.org"}));
    EXPECT_FALSE(QFile::exists(ErrorLogFile())) << ErrorLog().toStdString();
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
