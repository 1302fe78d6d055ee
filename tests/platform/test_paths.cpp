// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "FakeMounts.h"
#include "support/TestEnv.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/PathResolver.h"
#include "platform/Paths.h"
#include "vb/FileNumbers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

using namespace platform;

namespace {

// Drives of a known shape: /mnt/data (ext4, under /mnt), an NFS export, an
// SMB share and a FAT stick at temporary folders, and system mounts that
// get no letter.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        nfs = testenv::tempDir("nfs");
        smb = testenv::tempDir("smb");
        usb = testenv::tempDir("usb");
        mounts = std::make_unique<FakeMounts>(QList<FakeMounts::Mount>{
            {"/proc", "proc", "proc"},
            {"/boot/efi", "vfat", "/dev/vda1"},
            {"/run/user/1000", "tmpfs", "tmpfs"},
            {usb, "vfat", "/dev/sdz1"},
            {smb, "cifs", "//Server/Share"},
            {nfs, "nfs4", "nas:/export/media"},
            {"/mnt/data", "ext4", "/dev/vdb"},
        });
        home = testenv::home();
    }
    void TearDown() override { mounts.reset(); }

    QString nfs, smb, usb, home;
    std::unique_ptr<FakeMounts> mounts;
};

TEST_F(PathsTest, DriveLettersFollowTheMountPoints) {
    // /mnt/data < .../nfs-* < .../smb-* < .../usb-*; /boot/efi, /proc and
    // /run/user get none.
    EXPECT_EQ(DriveLetters(), (QStringList{"C:", "D:", "E:", "F:", "G:", "Z:"}));
    EXPECT_EQ(DriveRootHost('c'), home);
    EXPECT_EQ(DriveRootHost('D'), "/mnt/data");
    EXPECT_EQ(DriveRootHost('E'), nfs);
    EXPECT_EQ(DriveRootHost('F'), smb);
    EXPECT_EQ(DriveRootHost('G'), usb);
    EXPECT_EQ(DriveRootHost('Z'), "/");
    EXPECT_EQ(DriveRootHost('H'), "");

    // An override takes its letter; the mounts move to the free ones.
    const QString other = testenv::tempDir("other");
    SetDriveOverride('E', other);
    EXPECT_EQ(DriveRootHost('D'), "/mnt/data");
    EXPECT_EQ(DriveRootHost('E'), other);
    EXPECT_EQ(DriveRootHost('F'), nfs);
    EXPECT_EQ(DriveRootHost('H'), usb);
    SetDriveOverride('E', {});
    EXPECT_EQ(DriveRootHost('E'), nfs);
}

TEST_F(PathsTest, WindowsToHost) {
    const QString parentOfHome = QFileInfo(home).absolutePath();
    const struct {
        const char* windows;
        QString host;
    } cases[] = {
        {"C:\\", home},
        {"C:", home},
        {"c:\\Data\\x.txt", home + "/Data/x.txt"},
        {"C:\\Data\\", home + "/Data"},
        {"C:/Data/x.txt", home + "/Data/x.txt"},
        {"C:\\Data\\\\\\x.txt", home + "/Data/x.txt"},   // doubled separators count once
        {"C:\\a\\.\\b\\..\\c", home + "/a/c"},
        {"C:\\..\\Common", parentOfHome + "/Common"},     // ".." after the mapping
        {"Z:\\", "/"},
        {"Z:\\..\\..", "/"},
        {"Z:\\tmp\\x", "/tmp/x"},
        {"\\tmp\\x", "/tmp/x"},
        {"/tmp/x", "/tmp/x"},
        {"D:\\photos\\2004", "/mnt/data/photos/2004"},
        {"g:\\", usb},
        {"\\\\?\\C:\\x", home + "/x"},
        {"\\\\server\\share\\docs\\a.txt", smb + "/docs/a.txt"},
        {"//SERVER/share/", smb},
        {"\\\\nas\\export\\media\\film.avi", nfs + "/film.avi"},
        {"\\\\?\\UNC\\Server\\Share\\x", smb + "/x"},
        {"\\\\nas\\export\\x", ""},        // only export/media is mounted
        {"\\\\other\\share\\x", ""},
        {"\\\\server", ""},
        {"\\\\.\\pipe\\x", ""},
        {"Q:\\x", ""},                    // no drive Q:
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToHost(QString::fromUtf8(c.windows)), c.host) << c.windows;
}

TEST_F(PathsTest, RelativePathsStartAtTheCurrentFolder) {
    const QString dir = testenv::tempDir("cwd");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir));
    EXPECT_EQ(ToHost("a\\b.txt"), dir + "/a/b.txt");
    EXPECT_EQ(ToHost("..\\x"), QFileInfo(dir).absolutePath() + "/x");
    EXPECT_EQ(ToWindows("rel.txt"), ToWindows(dir) + "\\rel.txt");
    QDir::setCurrent(saved);
}

TEST_F(PathsTest, HostToWindows) {
    const struct {
        QString host;
        const char* windows;
    } cases[] = {
        {home, "C:\\"},
        {home + "/Data/x.txt", "C:\\Data\\x.txt"},
        {home + "/Data/", "C:\\Data"},
        {"/", "Z:\\"},
        {"/tmp/a/b", "Z:\\tmp\\a\\b"},
        {"/mnt/data/x", "D:\\x"},
        {"/mnt/database", "Z:\\mnt\\database"},   // not below /mnt/data
        {smb + "/docs", "F:\\docs"},
        {usb, "G:\\"},
        {"", ""},
        {"C:\\Already\\Windows", "C:\\Already\\Windows"},   // not converted twice
        {"\\\\srv\\share/x", "\\\\srv\\share\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToWindows(c.host), QString::fromUtf8(c.windows)) << c.host.toStdString();

    // A share without a letter (all of D: to Y: taken) keeps its UNC form.
    for (char l = 'D'; l <= 'Y'; ++l)
        SetDriveOverride(QChar(l), testenv::tempDir("full"));
    EXPECT_EQ(ToWindows(smb + "/docs"), "\\\\Server\\Share\\docs");
    EXPECT_EQ(ToWindows(nfs), "\\\\nas\\export\\media");
    ClearDriveOverrides();
}

TEST_F(PathsTest, ProgramFolderAndItsCommonSibling) {
    EXPECT_EQ(ProgramFolderHost(), testenv::programDir());
    EXPECT_EQ(ToHost(ProgramFolder()), testenv::programDir());
    EXPECT_EQ(ToHost(ProgramFolder() + "\\..\\Common"), testenv::commonDir());
    // As the program writes it, in another case: the existing folder is found.
    EXPECT_EQ(ToHost(ProgramFolder() + "\\..\\common\\"), testenv::commonDir());
}

TEST_F(PathsTest, ComponentsAreFoundWithoutRegardToCase) {
    const QString docs = home + "/Docs";
    testenv::writeFile(docs + "/Report.TXT", "r");
    testenv::writeFile(docs + "/Sub Dir/Deep/file.doc", "d");
    testenv::writeFile(docs + "/twin/abc", "1");
    testenv::writeFile(docs + "/twin/ABC", "2");

    const struct {
        const char* windows;
        QString host;
    } cases[] = {
        {"C:\\Docs\\Report.TXT", docs + "/Report.TXT"},
        {"C:\\DOCS\\report.txt", docs + "/Report.TXT"},
        {"c:\\docs\\SUB DIR\\deep\\FILE.DOC", docs + "/Sub Dir/Deep/file.doc"},
        {"C:\\docs\\sub dir\\deep\\", docs + "/Sub Dir/Deep"},
        {"C:\\docs\\New.txt", docs + "/New.txt"},                   // missing: kept as written
        {"C:\\docs\\missing\\Deep\\X.txt", docs + "/missing/Deep/X.txt"},
        {"C:\\docs\\twin\\abc", docs + "/twin/abc"},                // exact case wins
        {"C:\\docs\\twin\\Abc", docs + "/twin/ABC"},                // else the first in sorted order
        {"C:\\DOCS\\SUB DIR\\..\\REPORT.TXT", docs + "/Report.TXT"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToHost(QString::fromUtf8(c.windows)), c.host) << c.windows;
}

// A name of a listing joined to a folder already mapped is taken as it is:
// another name that differs from it only in case is another file. Below a
// folder of ExactNamesBelow a whole path maps its names the same way, while
// the folder itself, as typed, is still found in any case.
TEST_F(PathsTest, NamesOfAListingAreExact) {
    const QString docs = home + "/Docs";
    testenv::writeFile(docs + "/Report.TXT", "r");
    testenv::writeFile(docs + "/twin/abc", "1");
    testenv::writeFile(docs + "/twin/ABC", "2");
    const struct {
        QString folder;
        const char* name;
        QString host;   // "" = not a plain name
        bool missing;   // nothing of that name in any case
    } cases[] = {
        {docs, "Report.TXT", docs + "/Report.TXT", false},
        {docs, "REPORT.txt", docs + "/REPORT.txt", false},
        {docs, "New.txt", docs + "/New.txt", true},
        {docs + "/twin", "abc", docs + "/twin/abc", false},
        {docs + "/twin", "aBc", docs + "/twin/aBc", false},
        {"/", "x", "/x", true},
        {docs, "", "", false},
        {docs, "..", "", false},
        {docs, ".", "", false},
        {docs, "a/b", "", false},
        {docs, "a\\b", "", false},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        bool missing = !c.missing;
        EXPECT_EQ(ResolveHostChild(c.folder, name, &missing), c.host) << c.name;
        EXPECT_EQ(missing, c.missing) << c.name;
    }

    // A whole path below an exact folder, and the same path outside one.
    const struct {
        const char* windows;
        QString typed, exact;
    } paths[] = {
        {"C:\\Docs\\Report.TXT", docs + "/Report.TXT", docs + "/Report.TXT"},
        {"C:\\Docs\\report.txt", docs + "/Report.TXT", docs + "/report.txt"},
        {"C:\\docs\\report.txt", docs + "/Report.TXT", docs + "/report.txt"},
        {"C:\\DOCS\\TWIN\\Abc", docs + "/twin/ABC", docs + "/TWIN/Abc"},
        {"C:\\docs\\twin\\ABC", docs + "/twin/ABC", docs + "/twin/ABC"},
    };
    for (const auto& p : paths)
        EXPECT_EQ(ToHost(QString::fromUtf8(p.windows)), p.typed) << p.windows;
    {
        const ExactNamesBelow exact("C:\\DOCS");
        for (const auto& p : paths)
            EXPECT_EQ(ToHost(QString::fromUtf8(p.windows)), p.exact) << p.windows;
    }
    for (const auto& p : paths)
        EXPECT_EQ(ToHost(QString::fromUtf8(p.windows)), p.typed) << p.windows;
}

TEST_F(PathsTest, CaseLookupSeesNewEntries) {
    const QString dir = testenv::tempDir("cache");
    const QString w = ToWindows(dir);
    EXPECT_EQ(ToHost(w + "\\LATER.TXT"), dir + "/LATER.TXT");   // the folder is read once here
    testenv::writeFile(dir + "/later.txt", "x");                // made by someone else
    EXPECT_EQ(ToHost(w + "\\LATER.TXT"), dir + "/later.txt");
    QFile::remove(dir + "/later.txt");
    EXPECT_EQ(ToHost(w + "\\LATER.TXT"), dir + "/LATER.TXT");

    // Made by this layer: found at once, also in a folder read before.
    testenv::writeFile(dir + "/src.bin", "abc");
    FileCopy(w + "\\src.bin", w + "\\Copy.Bin");
    EXPECT_EQ(ToHost(w + "\\COPY.BIN"), dir + "/Copy.Bin");
    Name(w + "\\copy.bin", w + "\\Moved.bin");
    EXPECT_EQ(ToHost(w + "\\moved.BIN"), dir + "/Moved.bin");
    EXPECT_EQ(ToHost(w + "\\copy.bin"), dir + "/copy.bin");
}

// Copies made side by side on several threads into one folder keep its
// cached names current: every copy is found there by its own name (and,
// typed in another case, by the whole path), and so is a file that somebody
// else makes there afterwards, or meanwhile.
TEST_F(PathsTest, CachedNamesAfterCopiesOnSeveralThreads) {
    const QString src = testenv::tempDir("own-src");
    const QString dir = testenv::tempDir("own-dst");
    const QString w = ToWindows(dir);
    constexpr int kFiles = 40;
    for (int i = 0; i < kFiles; ++i)
        testenv::writeFile(src + QString("/f%1.txt").arg(i), QByteArray::number(i));
    // Whether the folder's names hold `name` in some case.
    auto there = [&](const QString& name) {
        bool missing = true;
        EXPECT_EQ(ResolveHostChild(dir, name, &missing), dir + "/" + name);
        return !missing;
    };
    // The folder is read (and cached) before the copies.
    EXPECT_FALSE(there("F0.TXT"));
    auto copyEvery = [&](int first) {
        for (int i = first; i < kFiles; i += 2)
            CopyHostFile(src + QString("/f%1.txt").arg(i), ResolveHostChild(dir, QString("Copy%1.Txt").arg(i)), true);
    };
    std::thread other(copyEvery, 1);
    copyEvery(0);
    other.join();
    for (int i = 0; i < kFiles; ++i) {
        EXPECT_TRUE(there(QString("Copy%1.Txt").arg(i))) << i;
        EXPECT_EQ(ToHost(w + QString("\\COPY%1.TXT").arg(i)), dir + QString("/Copy%1.Txt").arg(i)) << i;
    }
    // Another case of a name that is there is no file of its own, but the
    // folder holds the name in some case.
    EXPECT_TRUE(there("copy3.txt"));
    EXPECT_FALSE(there("Copy3.Txt.not"));

    // Made by somebody else after the copies (the folder's time moves with
    // it, as it does on any file system that keeps it finely).
    testenv::writeFile(dir + "/Stranger.TXT", "s");
    const struct timespec later[2] = {{0, UTIME_OMIT}, {1000000000, 1}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(dir).constData(), later, 0), 0);
    EXPECT_TRUE(there("Stranger.TXT"));
    EXPECT_EQ(ToHost(w + "\\stranger.txt"), dir + "/Stranger.TXT");

    // Made by somebody else after this process looked the target up and
    // before its copy changed the folder.
    const QString target = ResolveHostChild(dir, "two.txt");
    testenv::writeFile(dir + "/Between.TXT", "b");
    const struct timespec again[2] = {{0, UTIME_OMIT}, {1000000100, 1}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(dir).constData(), again, 0), 0);
    CopyHostFile(src + "/f1.txt", target, true);
    EXPECT_TRUE(there("Between.TXT"));
    EXPECT_EQ(ToHost(w + "\\BETWEEN.txt"), dir + "/Between.TXT");
    EXPECT_TRUE(there("two.txt"));
    EXPECT_EQ(ToHost(w + "\\Two.Txt"), dir + "/two.txt");
}

// A path mapped a moment ago is mapped anew once this layer has removed or
// renamed an entry.
TEST_F(PathsTest, RecentMappingsEndWithTheLayersOwnChanges) {
    const QString dir = testenv::tempDir("recent");
    const QString w = ToWindows(dir);
    testenv::writeFile(dir + "/Note.txt", "1");
    EXPECT_EQ(ToHost(w + "\\Note.txt"), dir + "/Note.txt");
    Kill(w + "\\Note.txt");
    testenv::writeFile(dir + "/NOTE.TXT", "2");
    EXPECT_EQ(ToHost(w + "\\Note.txt"), dir + "/NOTE.TXT");
    EXPECT_EQ(FileLen(w + "\\Note.txt"), 1);
    Name(w + "\\NOTE.TXT", w + "\\other.txt");
    testenv::writeFile(dir + "/note.txt", "three");
    EXPECT_EQ(ToHost(w + "\\Note.txt"), dir + "/note.txt");
    EXPECT_EQ(FileLen(w + "\\Note.txt"), 5);
}

// The names of a folder are mapped by joining them to the folder's host path
// as it was worked out before: that path follows its drive when the drive
// moves, and a name that is not there as written is still looked up.
TEST_F(PathsTest, NamesInAFolderMappedBeforeFollowTheDriveAndTheDisk) {
    const QString a = testenv::tempDir("drive-a");
    const QString b = testenv::tempDir("drive-b");
    testenv::writeFile(a + "/sub/x.txt", "a");
    testenv::writeFile(b + "/sub/x.txt", "b");
    testenv::writeFile(b + "/sub/y.txt", "b");
    SetDriveOverride('Q', a);
    EXPECT_EQ(ToHost("Q:\\sub\\x.txt"), a + "/sub/x.txt");
    SetDriveOverride('Q', b);
    EXPECT_EQ(ToHost("Q:\\sub\\x.txt"), b + "/sub/x.txt");
    // renamed by someone else: the folder's kept path has no such name now
    ASSERT_TRUE(QDir().rename(b + "/sub", b + "/SUB"));
    EXPECT_EQ(ToHost("Q:\\sub\\y.txt"), b + "/SUB/y.txt");
    EXPECT_EQ(ToHost("Q:\\sub\\Y.TXT"), b + "/SUB/y.txt");
    EXPECT_EQ(ToHost("Q:\\sub\\z.txt"), b + "/SUB/z.txt");
    SetDriveOverride('Q', QString());
}

TEST_F(PathsTest, RoundTripsOfExistingPaths) {
    const QString dir = testenv::tempDir("round");
    testenv::writeFile(dir + "/A b/c.d", "x");
    for (const QString& host : {dir, dir + "/A b", dir + "/A b/c.d", home, usb, smb + "", QString("/")})
        EXPECT_EQ(ToHost(ToWindows(host)), host) << host.toStdString();
}

TEST(PathsRealMounts, HomeAndRootAlwaysHaveTheirLetters) {
    const QStringList letters = DriveLetters();
    EXPECT_EQ(letters.first(), "C:");
    EXPECT_EQ(letters.last(), "Z:");
    EXPECT_EQ(ToHost("C:\\"), testenv::home());
    EXPECT_EQ(ToWindows(testenv::home() + "/x"), "C:\\x");
}

TEST(PathLayer, VbFileNumbersGoThroughIt) {
    InstallPathLayer();
    EXPECT_EQ(vb::ResolveHostPath("c:\\Notes\\a.txt"), testenv::home() + "/Notes/a.txt");
    EXPECT_EQ(vb::ResolveHostPath("/tmp/x"), "/tmp/x");   // host paths pass unchanged
    QDir().mkpath(testenv::home() + "/Notes");
    const int n = vb::FreeFile();
    vb::Open("C:\\NOTES\\Made.txt", vb::OpenMode::Output, n);
    vb::Print(n, "hi");
    vb::Close(n);
    EXPECT_EQ(testenv::readFile(testenv::home() + "/Notes/Made.txt"), "hi\r\n");
    vb::SetHostPathResolver({});
}

}  // namespace
