// SPDX-License-Identifier: GPL-3.0-or-later
// Backup runs with the FTP destination against a real server on 127.0.0.1.
#include <gtest/gtest.h>

#include "destinations/NRV_InetFTP.h"
#include "destinations/Peers.h"
#include "run/ZipRunFixture.h"
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
}
