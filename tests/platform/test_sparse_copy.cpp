// SPDX-License-Identifier: GPL-3.0-or-later
// A copy keeps the holes of a sparse file: the data lands where it was, and
// the holes take no room on the disk.
#include <gtest/gtest.h>

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
