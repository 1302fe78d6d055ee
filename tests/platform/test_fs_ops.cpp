// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ErrorOf.h"
#include "support/TestEnv.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "vb/VbError.h"

using namespace platform;

namespace {

using testenv::errorOf;

mode_t modeOf(const QString& host) {
    struct stat st {};
    ::stat(QFile::encodeName(host).constData(), &st);
    return st.st_mode & 07777;
}

QStringList leftovers(const QString& dir) {
    return QDir(dir).entryList({".vaultora-copy-*"}, QDir::Files | QDir::Hidden);
}

TEST(Attributes, GetAndSetRoundTrips) {
    const QString dir = testenv::tempDir("attr");
    testenv::writeFile(dir + "/a.txt", "a");
    testenv::writeFile(dir + "/.dot", "d");
    QDir().mkpath(dir + "/sub");
    const QString w = ToWindows(dir);
    const QString a = w + "\\a.txt";
    EXPECT_EQ(GetAttr(a), vbArchive);         // a new file, never cleared

    SetAttr(a, vbReadOnly);
    EXPECT_TRUE(GetAttr(a) & vbReadOnly);
    EXPECT_EQ(modeOf(dir + "/a.txt") & S_IWUSR, 0u);
    SetAttr(a, vbNormal);
    EXPECT_FALSE(GetAttr(a) & vbReadOnly);
    EXPECT_NE(modeOf(dir + "/a.txt") & S_IWUSR, 0u);

    // Hidden comes from the name; system does not exist here.
    SetAttr(a, vbHidden | vbSystem);
    EXPECT_EQ(GetAttr(a) & (vbHidden | vbSystem), 0);
    EXPECT_TRUE(GetAttr(w + "\\.dot") & vbHidden);
    SetAttr(w + "\\.dot", vbNormal);
    EXPECT_TRUE(GetAttr(w + "\\.dot") & vbHidden);

    EXPECT_EQ(GetAttr(w + "\\sub") & ~vbArchive, vbDirectory);
    EXPECT_EQ(GetAttr(w + "\\sub\\") & vbDirectory, vbDirectory);

    SetAttr(a, vbNormal);                     // SetAttr sets the whole set: archive off
    EXPECT_FALSE(GetAttr(a) & vbArchive);
    EXPECT_EQ(GetFileAttributes(a), kFileAttributeNormal);
    SetAttr(a, vbArchive | vbReadOnly);
    EXPECT_EQ(GetAttr(a), vbArchive | vbReadOnly);
    SetAttr(a, vbNormal);
    testenv::writeFile(dir + "/a.txt", "changed");
    EXPECT_TRUE(GetAttr(a) & vbArchive);      // a change sets it again

    EXPECT_EQ(errorOf([&] { SetAttr(a, vbDirectory); }), vb::errInvalidCall);
    EXPECT_EQ(errorOf([&] { GetAttr(w + "\\missing.txt"); }), vb::errFileNotFound);
    EXPECT_EQ(errorOf([&] { GetAttr(w + "\\no\\missing.txt"); }), vb::errPathNotFound);
    EXPECT_EQ(errorOf([&] { SetAttr(w + "\\missing.txt", 0); }), vb::errFileNotFound);
}

TEST(Attributes, Win32FormAndTheRunsSaveAndRestore) {
    const QString dir = testenv::tempDir("win32");
    testenv::writeFile(dir + "/f", "f");
    const QString f = ToWindows(dir) + "\\f";
    EXPECT_EQ(GetFileAttributes(ToWindows(dir) + "\\missing"), kInvalidFileAttributes);
    EXPECT_EQ(GetFileAttributes("Q:\\x"), kInvalidFileAttributes);

    // Saved, cleared so the file can be read, put back.
    ASSERT_TRUE(SetFileAttributes(f, vbReadOnly | vbArchive));
    const quint32 saved = GetFileAttributes(f);
    EXPECT_TRUE(saved & vbReadOnly);
    ASSERT_TRUE(SetFileAttributes(f, 0));
    EXPECT_FALSE(GetFileAttributes(f) & vbReadOnly);
    ASSERT_TRUE(SetFileAttributes(f, saved));
    EXPECT_EQ(GetFileAttributes(f), saved);
    // "Normal" clears read-only; the failed-query value changes nothing.
    EXPECT_FALSE(SetFileAttributes(f, kInvalidFileAttributes));
    EXPECT_TRUE(GetFileAttributes(f) & vbReadOnly);
    EXPECT_TRUE(SetFileAttributes(f, kFileAttributeNormal));
    EXPECT_FALSE(GetFileAttributes(f) & vbReadOnly);
    EXPECT_FALSE(SetFileAttributes(ToWindows(dir) + "\\missing", 0));
}

TEST(FileFacts, LengthAndDate) {
    const QString dir = testenv::tempDir("facts");
    const QString big = dir + "/big.bin";
    {
        const int fd = ::open(QFile::encodeName(big).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 5LL * 1024 * 1024 * 1024 + 7), 0);   // sparse
        ::close(fd);
    }
    const QString w = ToWindows(dir);
    EXPECT_EQ(FileLen(w + "\\big.bin"), 5LL * 1024 * 1024 * 1024 + 7);
    EXPECT_EQ(errorOf([&] { FileLen(w + "\\none"); }), vb::errFileNotFound);

    const QDateTime when(QDate(2004, 2, 29), QTime(23, 59, 58), Qt::LocalTime);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(when.toSecsSinceEpoch()), 600000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(big).constData(), times, 0), 0);
    EXPECT_EQ(FileDateTime(w + "\\BIG.BIN"), when);   // whole seconds, local time
    EXPECT_EQ(errorOf([&] { FileDateTime(w + "\\none"); }), vb::errFileNotFound);
    QFile::remove(big);
}

TEST(FileChanges, KillMkDirRmDir) {
    const QString dir = testenv::tempDir("kill");
    for (const char* n : {"a_BackUp_1.tmp", "b_backup_2.tmp", "keep.txt", ".c_BackUp_3.tmp"})
        testenv::writeFile(dir + "/" + n, "x");
    const QString w = ToWindows(dir);
    Kill(w + "\\*_BackUp_*");
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{".c_BackUp_3.tmp", "keep.txt"}));   // hidden ones stay with wildcards
    EXPECT_EQ(errorOf([&] { Kill(w + "\\*_BackUp_*"); }), vb::errFileNotFound);
    Kill(w + "\\.c_backup_3.TMP");                             // by its name it goes
    EXPECT_FALSE(QFile::exists(dir + "/.c_BackUp_3.tmp"));

    ::chmod(QFile::encodeName(dir + "/keep.txt").constData(), 0444);
    EXPECT_EQ(errorOf([&] { Kill(w + "\\keep.txt"); }), vb::errPathFileAccess);
    EXPECT_TRUE(QFile::exists(dir + "/keep.txt"));
    ::chmod(QFile::encodeName(dir + "/keep.txt").constData(), 0644);
    EXPECT_EQ(errorOf([&] { Kill(""); }), vb::errFileNotFound);

    MkDir(w + "\\New");
    EXPECT_TRUE(QFileInfo(dir + "/New").isDir());
    EXPECT_EQ(errorOf([&] { MkDir(w + "\\new"); }), vb::errPathFileAccess);
    EXPECT_EQ(errorOf([&] { MkDir(w + "\\no\\such"); }), vb::errPathNotFound);
    EXPECT_EQ(errorOf([&] { Kill(w + "\\New"); }), vb::errFileNotFound);   // not a file
    testenv::writeFile(dir + "/New/inside", "i");
    EXPECT_EQ(errorOf([&] { RmDir(w + "\\NEW"); }), vb::errPathFileAccess);
    QFile::remove(dir + "/New/inside");
    RmDir(w + "\\NEW");
    EXPECT_FALSE(QFileInfo::exists(dir + "/New"));
    EXPECT_EQ(errorOf([&] { RmDir(w + "\\New"); }), vb::errPathNotFound);
    EXPECT_EQ(errorOf([&] { RmDir("C:\\"); }), vb::errPathFileAccess);
}

TEST(FileChanges, FileCopyReplacesAndKeepsTheDate) {
    const QString dir = testenv::tempDir("copy");
    testenv::writeFile(dir + "/src.dat", "new content");
    testenv::writeFile(dir + "/out/dst.dat", "old");
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1100000000, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(dir + "/src.dat").constData(), times, 0);
    const QString w = ToWindows(dir);

    FileCopy(w + "\\src.dat", w + "\\OUT\\DST.DAT");   // the existing target, found without case
    EXPECT_EQ(testenv::readFile(dir + "/out/dst.dat"), "new content");
    EXPECT_EQ(QFileInfo(dir + "/out/dst.dat").lastModified().toSecsSinceEpoch(), 1100000000);
    FileCopy(w + "\\src.dat", w + "\\out\\second.dat");
    EXPECT_EQ(testenv::readFile(dir + "/out/second.dat"), "new content");
    EXPECT_TRUE(leftovers(dir + "/out").isEmpty());

    EXPECT_EQ(errorOf([&] { FileCopy(w + "\\none.dat", w + "\\x.dat"); }), vb::errFileNotFound);
    EXPECT_EQ(errorOf([&] { FileCopy(w + "\\src.dat", w + "\\no\\x.dat"); }), vb::errPathNotFound);
    EXPECT_EQ(errorOf([&] { FileCopy(w + "\\src.dat", w + "\\out"); }), vb::errPathFileAccess);
    ::chmod(QFile::encodeName(dir + "/out/dst.dat").constData(), 0444);
    testenv::writeFile(dir + "/src.dat", "third");
    EXPECT_EQ(errorOf([&] { FileCopy(w + "\\src.dat", w + "\\out\\dst.dat"); }), vb::errPermissionDenied);
    ::chmod(QFile::encodeName(dir + "/out/dst.dat").constData(), 0644);
    EXPECT_EQ(testenv::readFile(dir + "/out/dst.dat"), "new content");
}

TEST(FileChanges, AFailedCopyLeavesTheOldTarget) {
    const QString dir = testenv::tempDir("atomic");
    testenv::writeFile(dir + "/big.bin", QByteArray(1024 * 1024, 'b'));
    testenv::writeFile(dir + "/target.bin", "old target");
    const QString w = ToWindows(dir);

    // A file-size limit makes the copy fail part-way through.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int err = errorOf([&] { FileCopy(w + "\\big.bin", w + "\\target.bin"); });
    const int err2 = errorOf([&] { FileCopy(w + "\\big.bin", w + "\\fresh.bin"); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(err, vb::errDiskFull);
    EXPECT_EQ(err2, vb::errDiskFull);
    EXPECT_EQ(testenv::readFile(dir + "/target.bin"), "old target");
    EXPECT_FALSE(QFile::exists(dir + "/fresh.bin"));
    EXPECT_TRUE(leftovers(dir).isEmpty());
}

TEST(FileChanges, ACopyOntoAFullDiskLeavesTheOldTarget) {
    if (!testenv::isRoot())
        GTEST_SKIP() << "mounting needs root";
    const QString dir = testenv::tempDir("full");
    const QString ram = testenv::tempDir("fullram");
    testenv::writeFile(dir + "/big.bin", QByteArray(2 * 1024 * 1024, 'b'));
    const QByteArray where = QFile::encodeName(ram);
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=512k") != 0)
        GTEST_SKIP() << "cannot mount tmpfs";
    testenv::writeFile(ram + "/target.bin", "old target");
    const int err = errorOf([&] { FileCopy(ToWindows(dir) + "\\big.bin", ToWindows(ram) + "\\target.bin"); });
    const QByteArray after = testenv::readFile(ram + "/target.bin");
    const QStringList rest = leftovers(ram);
    ::umount2(where.constData(), MNT_DETACH);
    EXPECT_EQ(err, vb::errDiskFull);
    EXPECT_EQ(after, "old target");
    EXPECT_TRUE(rest.isEmpty()) << rest.join(",").toStdString();
}

TEST(FileChanges, NameRenamesAndMoves) {
    const QString dir = testenv::tempDir("name");
    testenv::writeFile(dir + "/a.txt", "a");
    testenv::writeFile(dir + "/b.txt", "b");
    testenv::writeFile(dir + "/folder/in.txt", "i");
    QDir().mkpath(dir + "/target");
    const QString w = ToWindows(dir);

    EXPECT_EQ(errorOf([&] { Name(w + "\\a.txt", w + "\\B.TXT"); }), vb::errFileExists);
    EXPECT_EQ(testenv::readFile(dir + "/b.txt"), "b");
    Name(w + "\\a.txt", w + "\\A.TXT");                 // a change of case only
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files).contains("A.TXT"));
    EXPECT_FALSE(QDir(dir).entryList(QDir::Files).contains("a.txt"));
    Name(w + "\\a.txt", w + "\\target\\moved.txt");    // found without case, moved
    EXPECT_EQ(testenv::readFile(dir + "/target/moved.txt"), "a");
    Name(w + "\\folder", w + "\\target\\folder2");
    EXPECT_EQ(testenv::readFile(dir + "/target/folder2/in.txt"), "i");
    EXPECT_EQ(errorOf([&] { Name(w + "\\gone.txt", w + "\\x.txt"); }), vb::errFileNotFound);
    EXPECT_EQ(errorOf([&] { Name(w + "\\b.txt", w + "\\no\\x.txt"); }), vb::errPathNotFound);
}

}  // namespace
