// SPDX-License-Identifier: GPL-3.0-or-later
// A copy keeps the holes of a sparse file: the data lands where it was, and
// the holes take no room on the disk; and it lands whole wherever it goes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ErrorOf.h"
#include "support/TestEnv.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"

namespace {

struct Stat {
    qint64 size = 0;
    qint64 allocated = 0;   // bytes the disk holds for the file
};

Stat statOf(const QString& host) {
    struct stat st {};
    ::stat(QFile::encodeName(host).constData(), &st);
    return {qint64(st.st_size), qint64(st.st_blocks) * 512};
}

}  // namespace

TEST(SparseCopy, HolesStayHoles) {
    platform::InstallPathLayer();
    constexpr qint64 kSize = 64ll << 20;
    const QByteArray chunk(4096, 'x');
    struct Case {
        const char* name;
        std::vector<qint64> dataAt;   // offsets of 4 KiB of data
    } const cases[] = {
        {"data at both ends", {0, kSize - 4096}},
        {"a hole at the end", {0, 1 << 20}},
        {"a hole at the start", {kSize - 4096}},
        {"no data at all", {}},
    };
    const QString dir = testenv::tempDir("sparse");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString from = dir + "/sparse.bin";
        const QString to = dir + "/copy.bin";
        QFile::remove(from);
        QFile::remove(to);
        const int fd = ::open(QFile::encodeName(from).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        for (const qint64 at : c.dataAt)
            ASSERT_EQ(::pwrite(fd, chunk.constData(), size_t(chunk.size()), at), chunk.size());
        ASSERT_EQ(::ftruncate(fd, kSize), 0);
        ::close(fd);
        if (statOf(from).allocated > 8 << 20)
            GTEST_SKIP() << "this file system keeps no holes";

        platform::CopyHostFile(from, to, true);

        const Stat copy = statOf(to);
        EXPECT_EQ(copy.size, kSize);
        EXPECT_LE(copy.allocated, 8 << 20);
        EXPECT_EQ(testenv::readFile(to), testenv::readFile(from));
    }
}

// A copy lands whole, with its mode and time, whether its target is new or
// replaced, or came after the caller found nothing there: replaced then too,
// or refused without overwriting; no temporary file stays in the folder.
TEST(FileCopy, TargetsNewReplacedAndComeMeanwhile) {
    platform::InstallPathLayer();
    const QString dir = testenv::tempDir("targets");
    const QString from = dir + "/from.bin";
    testenv::writeFile(from, "the source's bytes");
    ::chmod(QFile::encodeName(from).constData(), 0640);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1500000000, 123456789}};
    ::utimensat(AT_FDCWD, QFile::encodeName(from).constData(), times, 0);
    const platform::HostStat src = platform::StatHost(from);
    auto same = [&](const QString& to) {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(to).constData(), &st), 0);
        EXPECT_EQ(testenv::readFile(to), "the source's bytes");
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
        EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    };
    const struct {
        const char* name;
        bool before;       // a file is at the target before the copy
        bool toldMissing;  // the caller says it found nothing there
        bool overwrite;
        int error;         // 0: copied
    } cases[] = {
        {"new", false, false, true, 0},
        {"new, told missing", false, true, false, 0},
        {"replaced", true, false, true, 0},
        {"came meanwhile, replaced", true, true, true, 0},
        {"came meanwhile, kept", true, true, false, vb::errFileExists},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString to = dir + "/" + c.name + ".bin";
        if (c.before)
            testenv::writeFile(to, "what was there");
        const int error = testenv::errorOf(
            [&] { platform::CopyHostFileData(from, to, c.overwrite, &src, c.toldMissing); });
        EXPECT_EQ(error, c.error);
        if (c.error)
            EXPECT_EQ(testenv::readFile(to), "what was there");
        else
            same(to);
    }
    const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left.filter(".vaultora-copy-"), QStringList());
}

// The caller's look at the source stands for the file as its first read
// begins: a file rewritten since that look (shorter, or as long with a new
// time) is read once more, and the copy is the file as it is now, not an
// error.
TEST(FileCopy, AFileChangedSinceTheCallersLookIsCopiedAsItIsNow) {
    platform::InstallPathLayer();
    const QString dir = testenv::tempDir("changed-since-look");
    const QString from = dir + "/from.bin";
    for (const char* looked : {"a longer older text", "same size!"}) {
        SCOPED_TRACE(looked);
        testenv::writeFile(from, looked);
        const struct timespec old[2] = {{0, UTIME_OMIT}, {1400000000, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(from).constData(), old, 0);
        const platform::HostStat look = platform::StatHost(from);
        testenv::writeFile(from, "now: 10 b.");
        const struct timespec now[2] = {{0, UTIME_OMIT}, {1500000000, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(from).constData(), now, 0);
        const QString to = dir + "/to.bin";
        QFile::remove(to);
        EXPECT_EQ(testenv::errorOf([&] { platform::CopyHostFileData(from, to, true, &look, false); }), 0);
        EXPECT_EQ(testenv::readFile(to), "now: 10 b.");
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(to).constData(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    }
}
