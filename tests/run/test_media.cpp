// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/mount.h>
#include <sys/statvfs.h>

#include "MediaTestSupport.h"
#include "run/Vaultora_Disk.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A small tmpfs of its own, so its free space stands still while a test
// reads it. Only root may mount; others skip.
class Tmpfs {
public:
    explicit Tmpfs(const QString& sizeOption) : dir_(testenv::tempDir(QStringLiteral("medium"))) {
        const QByteArray opts = "size=" + sizeOption.toLatin1();
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_).constData(), "tmpfs", 0, opts.constData()) == 0;
    }
    ~Tmpfs() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const QString& dir() const { return dir_; }
    struct statvfs stats() const {
        struct statvfs sv {};
        ::statvfs(QFile::encodeName(dir_).constData(), &sv);
        return sv;
    }

private:
    QString dir_;
    bool mounted_ = false;
};

}  // namespace

class MediaTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        form->chkFTP->setValue(0);
        form->chkMedia->setValue(1);
        form->txtSpareSpace->setText("0");
        form->txtPathTemp->setText(win(testenv::tempDir("temp")));
        gFreeSpace = 0;
        errors.clear();
    }
    QString row(int i) const { return form->lblDriveInfo(i)->Caption(); }
    QString caption(int i) const { return form->lblDesc(i)->Caption(); }
    void expectEmptyRowsBut(std::initializer_list<int> filled) {
        for (int i = 0; i <= 11; ++i) {
            if (std::find(filled.begin(), filled.end(), i) == filled.end()) {
                EXPECT_EQ(row(i), LangText(13)) << "row " << i;
            }
        }
    }
    // Messages shown so far as "title|style|text".
    static QStringList boxes() {
        QStringList out;
        for (const auto& s : platform::Dialogs::shown())
            out << s.title + "|" + QString::number(s.style) + "|" + s.prompt;
        return out;
    }
};

TEST_F(MediaTest, FtpOnlyDestination) {
    form->chkFTP->setValue(1);
    form->chkMedia->setValue(0);
    form->txtPathBackUp->setText("no path at all");
    EXPECT_TRUE(Update_Media());
    EXPECT_EQ(gFreeSpace, 1E12);
    EXPECT_EQ(row(1), LangText(4));
    EXPECT_EQ(row(4), LangText(5));
    EXPECT_EQ(form->txtRemainSpace->Text(), LangText(6));
    expectEmptyRowsBut({1, 4});
}

TEST_F(MediaTest, APathWithoutDriveOrServerIsRefusedWithoutAMessage) {
    bBackupStarted = true;
    for (const QString& dest : {QString("backup"), QString(""), QString("\\single")}) {
        SCOPED_TRACE(dest.toStdString());
        form->txtPathBackUp->setText(dest);
        platform::Dialogs::scriptAnswers({});
        EXPECT_FALSE(Update_Media());
        EXPECT_EQ(row(4), LangText(14));
        expectEmptyRowsBut({4});
        EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    }
}

TEST_F(MediaTest, AnUnknownDriveLetterFailsQuietly) {
    form->txtPathBackUp->setText("Q:\\Backup");
    bBackupStarted = true;
    platform::Dialogs::scriptAnswers({});
    EXPECT_FALSE(Update_Media());
    EXPECT_EQ(row(4), LangText(14));
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

TEST_F(MediaTest, ADriveWithoutItsMedium) {
    platform::SetDriveOverride('R', testenv::root() + "/no-medium-here");
    form->txtPathBackUp->setText("R:\\Backup");

    // No run since the program started: false at once, no message.
    platform::Dialogs::scriptAnswers({});
    EXPECT_FALSE(Update_Media());
    EXPECT_EQ(row(4), LangText(14));
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());

    // During a run: Retry asks again, Cancel gives up with the second box.
    bBackupStarted = true;
    platform::Dialogs::scriptAnswers({platform::vbRetry, platform::vbRetry, platform::vbCancel});
    EXPECT_FALSE(Update_Media());
    const QString ask = LangText(16) + "|277|" + LangText(15);
    EXPECT_EQ(boxes(), (QStringList{ask, ask, ask, LangText(19) + "|64|" + LangText(17) + kCrLf + LangText(18)}));
    EXPECT_EQ(row(4), LangText(14));

    // Unattended (nobody can click): the default answer is Cancel.
    platform::Dialogs::reset();
    ASSERT_TRUE(platform::Dialogs::headless());
    EXPECT_FALSE(Update_Media());
    EXPECT_TRUE(errors.empty());
}

TEST_F(MediaTest, TheHomeDriveIsReady) {
    form->txtPathBackUp->setText("C:\\Backups\\not yet made");
    EXPECT_TRUE(Update_Media());
    EXPECT_EQ(row(4), LangText(5));
    EXPECT_EQ(row(5), "C:");
    EXPECT_EQ(row(6), "C:\\");
    EXPECT_GT(gFreeSpace, 0);
    EXPECT_TRUE(row(3).endsWith(" Mb"));
    EXPECT_TRUE(QStringList({LangText(7), LangText(9), LangText(10), LangText(11), LangText(12)}).contains(row(1)));
    EXPECT_EQ(caption(9), "Total Size:");
    // A spare space of 2 GB or more is shown, not an overflow.
    form->txtSpareSpace->setText("3000000");
    EXPECT_TRUE(Update_Media());
    EXPECT_TRUE(errors.empty());
}

TEST_F(MediaTest, TheFolderPanelOfAVolumeOfItsOwn) {
    Tmpfs fs("10m");
    if (!fs.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    QDir(fs.dir()).mkpath("one");
    QDir(fs.dir()).mkpath("two/three");
    testenv::writeFile(fs.dir() + "/file.bin", QByteArray(300000, 'x'));
    platform::SetDriveOverride('R', fs.dir());
    form->txtSpareSpace->setText("1000");
    form->txtPathBackUp->setText("R:\\Backup");
    // The design captions come back in place of the disc status ones.
    form->lblDesc(6)->setCaption("Disc Status:");
    form->lblDesc(9)->setCaption("Used Space:");

    ASSERT_TRUE(Update_Media());
    const struct statvfs sv = fs.stats();
    const double freeBytes = double(sv.f_bfree) * sv.f_frsize;
    const double availBytes = double(sv.f_bavail) * sv.f_frsize;
    const double spare = 1000.0 * 1024;
    EXPECT_EQ(gFreeSpace, freeBytes - spare);
    EXPECT_EQ(row(0), MbFormatA(availBytes - spare));
    EXPECT_EQ(row(1), LangText(7));   // a RAM disk
    EXPECT_EQ(row(2), "tmpfs");
    EXPECT_EQ(row(3), MbFormatA(freeBytes));
    EXPECT_EQ(row(4), LangText(5));
    EXPECT_EQ(row(5), "R:");
    EXPECT_EQ(row(6), "R:\\");
    EXPECT_EQ(row(9), " 10.00 Mb");
    EXPECT_EQ(row(11), "2");
    EXPECT_EQ(caption(6), "Root Folder:");
    EXPECT_EQ(caption(9), "Total Size:");
    EXPECT_EQ(form->txtRemainSpace->Text(), MbFormatC(freeBytes - spare));
    // Get_DiskFree measures the drive's root whatever folder is named.
    EXPECT_EQ(Get_DiskFree("R:\\Backup\\deeper"), freeBytes - spare);
}

TEST_F(MediaTest, TheRootFolderCountFollowsTheRootBetweenChecks) {
    // Checked before every source entry of a run: a folder made or removed
    // in the root since the last check, or another root, is counted.
    const QString first = testenv::root() + "/drive-s", second = testenv::root() + "/drive-s2";
    QDir(first).mkpath("a");
    QDir(first).mkpath("b");
    QDir().mkpath(second);
    testenv::writeFile(first + "/file.txt", "not a folder");
    platform::SetDriveOverride('S', first);
    form->txtPathBackUp->setText("S:\Backup");
    const auto countAfterCheck = [&] {
        EXPECT_TRUE(Update_Media());
        return row(11);
    };
    EXPECT_EQ(countAfterCheck(), "2");
    EXPECT_EQ(countAfterCheck(), "2");
    QDir(first).mkpath("c");
    EXPECT_EQ(countAfterCheck(), "3");
    QDir(first).rmdir("a");
    QDir(first).rmdir("b");
    EXPECT_EQ(countAfterCheck(), "1");
    platform::SetDriveOverride('S', second);
    EXPECT_EQ(countAfterCheck(), "0");
    EXPECT_TRUE(errors.empty());
}

TEST_F(MediaTest, ANetworkPathWithoutAMountedShare) {
    form->txtSpareSpace->setText("1000");
    form->txtPathBackUp->setText("\\\\server\\share\\backup");
    EXPECT_TRUE(Update_Media());
    EXPECT_EQ(gFreeSpace, -1024000.0);
    EXPECT_EQ(row(0), MbFormatA(-1024000.0));
    EXPECT_EQ(row(3), MbFormatB(-1024000.0));
    EXPECT_EQ(row(1), LangText(20));
    EXPECT_EQ(row(4), LangText(5));
    EXPECT_EQ(form->txtRemainSpace->Text(), MbFormatC(-1024000.0));
    expectEmptyRowsBut({0, 1, 3, 4});
}

TEST_F(MediaTest, TheRecorderBranch) {
    // The box is ticked without its click handling, which would fall back
    // to the folder while no recorder is offered.
    form->chkUseCDRecorder->blockSignals(true);
    form->chkUseCDRecorder->setValue(1);
    form->chkUseCDRecorder->blockSignals(false);
    form->txtSpareSpace->setText("10");
    const QString temp = form->txtPathTemp->Text();
    EXPECT_EQ(Get_DiskFree("D:\\"), 0.0);                  // the disc's free space
    EXPECT_GT(Get_DiskFree(temp), 0.0);                    // the temp folder's disk
    const QString before = form->txtRemainSpace->Text();
    EXPECT_TRUE(Update_Media());                           // true without a disc
    EXPECT_EQ(row(4), LangText(14));
    EXPECT_EQ(row(3), MbFormatA(0));
    EXPECT_EQ(row(0), MbFormatA(-10240.0));
    EXPECT_EQ(form->txtRemainSpace->Text(), before);
}

TEST_F(MediaTest, LargeIntegerToDouble) {
    struct Case {
        qint32 low, high;
        double want;
    };
    const std::vector<Case> cases = {
        {0, 0, 0},
        {5, 1, 4294967296.0 + 5},
        {-1, 0, 4294967295.0},
        {0, -1, 18446744073709551616.0 - 4294967296.0},
        {qint32(0x80000000u), 2, 2 * 4294967296.0 + 2147483648.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LargeIntegerToDouble(c.low, c.high), c.want) << c.low << " " << c.high;
}

TEST_F(MediaTest, PanelNumberFormats) {
    struct Case {
        double bytes;
        const char *a, *b, *c;
    };
    const double mb = 1048576.0;
    const std::vector<Case> cases = {
        {10485760000.0 - 1024000.0, "9 999.02 Mb", "9 999.0 Mb", "9999.0"},
        {1234567.5 * mb, "1234 567.50 Mb", "1234 567.5 Mb", "1234567.5"},
        {5 * mb, " 5.00 Mb", " 5.0 Mb", "5.0"},
        {0, " 0.00 Mb", " 0.0 Mb", "0.0"},
        {10 * mb, " 10.00 Mb", " 10.0 Mb", "10.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        EXPECT_EQ(MbFormatA(c.bytes), c.a);
        EXPECT_EQ(MbFormatB(c.bytes), c.b);
        EXPECT_EQ(MbFormatC(c.bytes), c.c);
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(MbFormatA(10485760000.0 - 1024000.0), "9 999,02 Mb");
    EXPECT_EQ(MbFormatC(10485760000.0 - 1024000.0), "9999,0");
    QLocale::setDefault(QLocale::c());
}
