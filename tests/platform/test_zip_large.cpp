// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include "ZipTestSupport.h"
#include "platform/ZipArchiveComponent.h"

using platform::ZipArchiveComponent;
using namespace ziptest;

TEST(ZipArchiveLarge, AnEntryOfMoreThanFourGiBUsesZip64) {
    const QString dir = testenv::tempDir("zip64");
    const qint64 size = (qint64(1) << 32) + 1234567;  // just over 4 GiB
    if (freeBytes(dir) < (qint64(2) << 30))
        GTEST_SKIP() << "less than 2 GiB free";
    const QString big = dir + "/sparse.img";
    {
        const int fd = ::open(QFile::encodeName(big).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
        ASSERT_EQ(::pwrite(fd, "tail", 4, size - 4), 4);
        ::close(fd);
    }
    testenv::writeFile(dir + "/small.txt", "after the big one");
    const QString zip = dir + "/big.zip";
    {
        ZipArchiveComponent c;
        c.Create(win(zip));
        c.Files().AddFileByName(win(big), 1, true, true);
        EXPECT_EQ(c.Files().Item(0).UncompressedSize(), size);
        EXPECT_LT(c.Files().Item(0).CompressedSize(), size / 100);
        c.Close();
    }
    ::unlink(QFile::encodeName(big).constData());
    {
        ZipArchiveComponent c;  // appending after a ZIP64 entry
        c.Open(win(zip));
        ASSERT_EQ(c.Files().Count(), 1);
        EXPECT_EQ(c.Files().Item(0).UncompressedSize(), size);
        c.Files().AddFileByName(win(dir + "/small.txt"), 6, true, true);
        c.Close();
    }
    const ProcResult t = unzipTest(zip);
    EXPECT_EQ(t.rc, 0) << t.out.toStdString() << t.err.toStdString();
    const QJsonObject read = pythonRead(zip);
    EXPECT_TRUE(read["testzip"].isNull());
    const QJsonArray e = read["entries"].toArray();
    ASSERT_EQ(e.size(), 2);
    EXPECT_EQ(e[0].toObject()["size"].toInteger(), size);
    EXPECT_EQ(e[1].toObject()["sha"].toString(), sha256("after the big one"));
}

TEST(ZipArchiveLarge, MoreThan65535EntriesUseTheZip64EndRecord) {
    // 100 files, each stored 660 times under the same name (no overwrite).
    const QString dir = testenv::tempDir("zip-many");
    const int files = 100;
    const int times = 660;
    for (int i = 0; i < files; ++i)
        testenv::writeFile(dir + "/f/" + QString::number(i), QByteArray::number(i % 7));
    const QString zip = dir + "/many.zip";
    {
        ZipArchiveComponent c;
        c.Create(win(zip));
        for (int t = 0; t < times; ++t)
            for (int i = 0; i < files; ++i)
                if (t + 1 < times || i + 1 < files)
                    c.Files().AddFileByName(win(dir + "/f/" + QString::number(i)), 6, false, false);
        c.Close();
        c.Open(win(zip));  // and once more after reopening
        EXPECT_EQ(c.Files().Count(), files * times - 1);
        c.Files().AddFileByName(win(dir + "/f/" + QString::number(files - 1)), 6, false, false);
        c.Close();
    }
    ZipArchiveComponent c;
    c.Open(win(zip));
    ASSERT_EQ(c.Files().Count(), files * times);
    EXPECT_EQ(c.Files().Item(files * times - 1).Name(), QString::number(files - 1));
    c.Close();
    const ProcResult t = unzipTest(zip);
    EXPECT_EQ(t.rc, 0) << t.err.toStdString();
    const QJsonObject read = pythonRead(zip);
    EXPECT_TRUE(read["testzip"].isNull());
    EXPECT_EQ(read["entries"].toArray().size(), files * times);
}

TEST(ZipArchiveLarge, AFullDiskIsReportedAsDiskFull) {
    if (!testenv::isRoot())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const QString dir = testenv::tempDir("zip-full");
    testenv::writeFile(dir + "/small.bin", randomBytes(100000, 1));
    testenv::writeFile(dir + "/large.bin", randomBytes(3000000, 2));
    // Deflated, and stored (whose data is written by other means).
    for (const int level : {6, 0}) {
        SCOPED_TRACE(level);
        const QString mnt = dir + QStringLiteral("/mnt%1").arg(level);
        QDir().mkpath(mnt);
        if (::mount("tmpfs", QFile::encodeName(mnt).constData(), "tmpfs", 0, "size=1m") != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted here";
        struct Unmount {
            QByteArray p;
            ~Unmount() { ::umount2(p.constData(), MNT_DETACH); }
        } unmount{QFile::encodeName(mnt)};
        ZipArchiveComponent c;
        c.Create(win(mnt + "/full.zip"));
        c.Files().AddFileByName(win(dir + "/small.bin"), level, true, true);
        expectVbError(vb::errDiskFull, [&] { c.Files().AddFileByName(win(dir + "/large.bin"), level, true, true); });
        EXPECT_EQ(c.Files().Count(), 1);
        expectVbError(vb::errDiskFull, [&] { c.Files().AddFileByName(win(dir + "/small.bin"), level, true, true); });
        expectVbError(vb::errDiskFull, [&] { c.Close(); });
        c.Close();  // closed now: harmless
    }
}
