// SPDX-License-Identifier: GPL-3.0-or-later
// ZIP runs whose destination is the CD recorder, written by libisoburn to a
// "stdio:" disc image file and read back with xorriso.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <vector>

#include "FastClock.h"
#include "run/ZipRunFixture.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/CDWriterXP.h"

using namespace ziprun;

namespace {

struct Xorriso {
    bool ran = false;
    QString out;
};

Xorriso RunXorriso(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("xorriso"), args);
    Xorriso r;
    r.ran = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    r.out = QString::fromLocal8Bit(p.readAll());
    return r;
}

// The sessions xorriso finds on the disc image.
int Sessions(const QString& iso) {
    const Xorriso x = RunXorriso({QStringLiteral("-indev"), iso, QStringLiteral("-toc")});
    return x.ran ? int(x.out.count(QRegularExpression(QStringLiteral("(?m)^ISO session")))) : -1;
}

// The files of the disc's newest session, extracted by xorriso.
QMap<QString, QByteArray> NewestTree(const QString& iso, const QString& into) {
    const Xorriso x = RunXorriso({QStringLiteral("-osirrox"), QStringLiteral("on"), QStringLiteral("-indev"), iso,
                                  QStringLiteral("-extract"), QStringLiteral("/"), into});
    EXPECT_TRUE(x.ran) << x.out.toStdString();
    return testenv::treeContents(into);
}

bool HaveXorriso() { return RunXorriso({QStringLiteral("-version")}).ran; }

}  // namespace

class CdBurnRun : public ZipRunTest {
protected:
    void SetUp() override {
        if (!HaveXorriso())
            GTEST_SKIP() << "xorriso is not installed";
        disc = testenv::tempDir(QStringLiteral("disc"));
        iso = disc + QStringLiteral("/backup-disc.iso");
    }
    void TearDown() override {
        if (form)
            ZipRunTest::TearDown();
        qunsetenv("VAULTORA_CD_DRIVES");
    }
    // The window, with the image file as its recorder; capacity "" is the
    // file system's free space.
    void Start(const QString& capacity = {}) {
        qputenv("VAULTORA_CD_DRIVES", ("stdio:" + iso + capacity).toLocal8Bit());
        ZipRunTest::SetUp();
        f().txtPathBackUp->setText(QStringLiteral("C:\\nowhere"));
        f().chkUseCDRecorder->setValue(1);
        ASSERT_EQ(f().chkUseCDRecorder->Value(), 1);
        const int last = f().cboDevices->ListCount() - 1;
        ASSERT_GE(last, 0);
        f().cboDevices->setListIndex(last);
        ASSERT_EQ(f().cboDevices->Text(), Win(disc).left(1) + ": Image file " + Win(iso));
    }
    void RunOn(const QDate& day) {
        const FastClock clock(day);
        Run();
    }
    QString disc, iso;
};

TEST_F(CdBurnRun, TwoRunsMakeTwoSessionsThatHoldBothArchives) {
    Start();
    WriteSource("a.txt", "first file");
    WriteSource("sub/b.bin", Incompressible(70000, 1));
    AddSource(Win(src) + "\\*.*");
    AddSource(Win(src) + "\\sub\\*.*");
    const QDate today = QDate::currentDate();

    RunOn(today);
    ASSERT_EQ(ErrorLog().toStdString(), "");
    ASSERT_TRUE(QFileInfo::exists(iso));
    EXPECT_EQ(Sessions(iso), 1);
    EXPECT_FALSE(CdWriting);
    const QString base = archive_naming::BaseName("P", archive_naming::Daily, today);
    const QString name1 = archive_naming::VolumeName(base, 1);
    const QMap<QString, QByteArray> first = NewestTree(iso, testenv::tempDir("x1"));
    ASSERT_TRUE(first.contains(name1)) << first.keys().join(",").toStdString();
    EXPECT_TRUE(first.contains(name1 + ".log"));
    EXPECT_TRUE(TempIsClean());

    // The status panel reads the written disc.
    f().SetStatusCDR();
    EXPECT_EQ(f().lblDriveInfo(4)->Caption(), LangText(5));
    EXPECT_EQ(f().lblDriveInfo(6)->Caption(), "Disc Open");
    EXPECT_EQ(f().lblDriveInfo(8)->Caption(), "1");
    EXPECT_EQ(f().lblDriveInfo(10)->Caption(), today.toString("yyyy-MM-dd"));

    // The next run finds the disc appendable, imports its session and adds a
    // second one; its archive is numbered after the one on the disc, so
    // neither hides the other.
    WriteSource("c.txt", "added on the second day");
    RunOn(today);
    ASSERT_EQ(ErrorLog().toStdString(), "");
    EXPECT_EQ(Sessions(iso), 2);
    const QString name2 = archive_naming::VolumeName(base, 2);
    const QString out2 = testenv::tempDir("x2");
    const QMap<QString, QByteArray> second = NewestTree(iso, out2);
    ASSERT_TRUE(second.contains(name1));
    ASSERT_TRUE(second.contains(name2));
    EXPECT_EQ(second.value(name1), first.value(name1));   // the first archive, byte for byte
    EXPECT_TRUE(UnzipTestPasses(out2 + "/" + name1));
    const ZipListing z = ReadWithPython(out2 + "/" + name2);
    ASSERT_TRUE(z.readable);
    ASSERT_NE(z.find("c.txt"), nullptr);
    EXPECT_EQ(z.find("c.txt")->data, QByteArray("added on the second day"));
    ASSERT_NE(z.find("b.bin"), nullptr);
    EXPECT_EQ(z.find("b.bin")->data, Incompressible(70000, 1));
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

TEST_F(CdBurnRun, AnArchiveThatWouldOverflowTheDiscAsksForANewOne) {
    Start("@1200K");
    f().txtMaxZIPsize->setText("1");   // an archive of at most 1 MB fits the disc's free space
    WriteSource("big.bin", Incompressible(400 * 1024, 2));
    AddSource(Win(src) + "\\*.*");
    platform::Dialogs::scriptAnswers({});   // every box gets its default: Cancel for the new disc
    RunOn(QDate::currentDate());
    bool asked = false;
    for (const platform::Dialogs::Shown& s : platform::Dialogs::shown())
        if (s.prompt == LangText(308))
            asked = true;
    EXPECT_TRUE(asked);
    // Nothing went on the disc.
    EXPECT_FALSE(QFileInfo(iso).size() > 0 && Sessions(iso) > 0);
    EXPECT_FALSE(CdWriting);
}

// libburn's set-up and a write leave the program's signal handling as it
// was: the library can never end the program. (CTest runs each test in a
// process of its own, so the library is set up here.)
TEST_F(CdBurnRun, TheLibraryNeverTakesTheSignals) {
    auto handlers = [] {
        std::vector<void (*)(int)> out;
        for (int s = 1; s < 32; ++s) {
            struct sigaction a {};
            sigaction(s, nullptr, &a);
            out.push_back(a.sa_handler);
        }
        return out;
    };
    const auto before = handlers();
    Start();
    f().SetStatusCDR();
    EXPECT_EQ(f().lblDriveInfo(6)->Caption(), "Empty Disc");
    AddImage2CD("", Win(WriteSource("a.txt", "a")));
    const FastClock clock;
    BurnCD();
    EXPECT_EQ(f().txtNews->Text(), "Writing Complete!");
    EXPECT_TRUE(handlers() == before);
}

TEST_F(CdBurnRun, ACopyRunPutsTheFilesOnTheDiscWithTheirFolders) {
    Start();
    f().optBuMode(1)->setValue(true);
    f().chkInclSubDirStruct->setValue(1);
    f().optNewOnly->setValue(false);
    WriteSource("a.txt", "plain copy");
    WriteSource("sub/b.bin", Incompressible(5000, 3));
    AddSource(Win(src) + "\\*.*");
    AddSource(Win(src) + "\\sub\\*.*");
    RunOn(QDate::currentDate());
    ASSERT_EQ(ErrorLog().toStdString(), "");
    EXPECT_EQ(Sessions(iso), 1);
    // The folders of the sources, without their drive.
    const QString folder = Win(src).mid(3).replace('\\', '/');
    const QMap<QString, QByteArray> tree = NewestTree(iso, testenv::tempDir("x"));
    EXPECT_EQ(tree.value(folder + "/a.txt"), QByteArray("plain copy")) << tree.keys().join(",").toStdString();
    EXPECT_EQ(tree.value(folder + "/sub/b.bin"), Incompressible(5000, 3));
    EXPECT_EQ(tree.size(), 2);
}

TEST_F(CdBurnRun, AFileGoneBeforeTheWriteIsReportedAndNothingIsWritten) {
    Start();
    const QString gone = WriteSource("gone.txt", "soon gone");
    AddImage2CD("", Win(gone));
    ASSERT_GT(CdImageSize(), 0.0);
    QFile::remove(gone);
    const FastClock clock;
    BurnCD();
    EXPECT_EQ(f().txtNews->Text(), "A write error occurred..");
    QStringList shown;
    for (const platform::Dialogs::Shown& s : platform::Dialogs::shown())
        shown << s.prompt;
    EXPECT_EQ(shown, (QStringList{"A file error was encountered while writing the disc.",
                                  "Disc Write could not be started."}));
    EXPECT_FALSE(CdWriting);
    EXPECT_FALSE(QFileInfo(iso).size() > 0);
    // A file that does not exist is not taken into the image at all.
    AddImage2CD("", Win(gone));
    EXPECT_EQ(CdImageSize(), 0.0);
    EXPECT_TRUE(ErrorLog().contains("AddImage2CD of Formular frmOptions"));
}

TEST_F(CdBurnRun, TheImageSizeFollowsItsEntries) {
    Start();
    const QString a = Win(WriteSource("a.bin", Incompressible(5000, 4)));
    const QString b = Win(WriteSource("b.bin", Incompressible(3000, 5)));
    EXPECT_EQ(CdImageSize(), 0.0);
    AddImage2CD("D:\\x\\y", a);
    const double one = CdImageSize();
    EXPECT_GE(one, 5000.0);
    AddImage2CD("D:\\x\\y", a);   // the same entry again replaces it
    EXPECT_EQ(CdImageSize(), one);
    AddImage2CD("D:\\x\\y", b);
    const double two = CdImageSize();
    EXPECT_GE(two - one, 3000.0);
    RemoveImage2CD("D:\\x\\y", b);
    EXPECT_EQ(CdImageSize(), one);
    RemoveImage2CD("D:\\x\\y", a);
    EXPECT_EQ(CdImageSize(), 0.0);
    EXPECT_GT(f().FreeCdSpace(), 0);
}

TEST(CdPseudoDrives, AddressesAndDeclaredCapacities) {
    const QList<platform::PseudoDrive> d = platform::PseudoDrivesFrom(
        " stdio:/home/me/a.iso@700M ;stdio:/b@x.iso;/dev/sr0;stdio:;stdio:/c.iso@8G;stdio:/d.iso@1024");
    ASSERT_EQ(d.size(), 4);
    EXPECT_EQ(d[0].address, "stdio:/home/me/a.iso");
    EXPECT_EQ(d[0].path, "/home/me/a.iso");
    EXPECT_EQ(d[0].capacity, 700LL * 1024 * 1024);
    EXPECT_EQ(d[1].path, "/b@x.iso");   // not a capacity
    EXPECT_EQ(d[1].capacity, -1);
    EXPECT_EQ(d[2].capacity, 8LL * 1024 * 1024 * 1024);   // beyond 32 bits
    EXPECT_EQ(d[3].capacity, 1024);
}
