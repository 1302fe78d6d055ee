// SPDX-License-Identifier: GPL-3.0-or-later
// Appending to an archive that is damaged: the component either refuses it at
// the open and leaves the file as it was, or takes the new file into an
// archive that every reader lists whole. Never an archive that says it took
// the file and then lists it, or its old entries, no more.
#include <gtest/gtest.h>

#include <QDir>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "ZipTestSupport.h"
#include "platform/ZipArchiveComponent.h"
#include "platform/ZipArchiveReader.h"
#include "support/ErrorOf.h"

using namespace ziptest;

namespace {

quint16 get16(const QByteArray& b, qsizetype at) { return quint16(uchar(b[at]) | (uchar(b[at + 1]) << 8)); }
quint32 get32(const QByteArray& b, qsizetype at) { return get16(b, at) | (quint32(get16(b, at + 2)) << 16); }
void set16(QByteArray& b, qsizetype at, quint32 v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
void set32(QByteArray& b, qsizetype at, quint32 v) {
    set16(b, at, v & 0xFFFF);
    set16(b, at + 2, v >> 16);
}

// A sound archive of three entries made by the component.
QByteArray soundArchive(const QString& dir) {
    QDir().mkpath(dir + "/src");
    testenv::writeFile(dir + "/src/one.txt", textBytes(3000));
    testenv::writeFile(dir + "/src/two.bin", randomBytes(2000, 7));
    testenv::writeFile(dir + "/src/three.txt", "three\n");
    platform::ZipArchiveComponent zip;
    zip.Create(win(dir + "/sound.zip"));
    for (const char* name : {"one.txt", "two.bin", "three.txt"})
        zip.Files().AddFileByName(win(dir + "/src/" + name), 6, false, false);
    zip.Close();
    return testenv::readFile(dir + "/sound.zip");
}

// Damage done to the end record (22 bytes, no comment, at the end).
QByteArray withSlackInTheDirectory(QByteArray z) {
    const qsizetype end = z.size() - 22;
    z.insert(end, "JUNK!");
    set32(z, end + 5 + 12, get32(z, end + 5 + 12) + 5);  // the directory size counts the junk
    return z;
}
QByteArray withACountTooSmall(QByteArray z) {
    const qsizetype end = z.size() - 22;
    set16(z, end + 8, get16(z, end + 8) - 1);
    set16(z, end + 10, get16(z, end + 10) - 1);
    return z;
}

// A second end record behind the real one, its comment running past the end
// of the file: the record nearest to the end is the one every reader (and
// the writer that appends) takes.
QByteArray withABrokenLastEndRecord(const QByteArray& z) {
    QByteArray end("PK\x05\x06\0\0\0\0\x01\0\x01\0", 12);
    QByteArray tail(10, '\0');
    set32(tail, 0, 46);    // directory size
    set32(tail, 4, 0);     // directory offset
    set16(tail, 8, 255);   // comment length: far more than follows
    return z + end + tail + "ab";
}

}  // namespace

TEST(ZipAppendFaults, ADamagedArchiveIsRefusedUntouchedOrExtendedSoundly) {
    const QString work = testenv::tempDir("zip-append-faults");
    const QByteArray sound = soundArchive(work);
    ASSERT_EQ(unzipTest(work + "/sound.zip").rc, 0);
    testenv::writeFile(work + "/added.txt", "the file added to the archive\n");

    struct Case {
        const char* name;
        QByteArray bytes;
        bool refused;  // Open raises 321 and the file stays as it was
    } cases[] = {
        {"bytes in front (a self-extracting stub)", QByteArray(300, 'S') + sound, false},
        {"bytes in the directory that belong to no entry", withSlackInTheDirectory(sound), true},
        {"an entry count smaller than the directory", withACountTooSmall(sound), true},
        {"a broken end record behind the real one", withABrokenLastEndRecord(sound), true},
        {"an end record cut short behind the real one", sound + QByteArray("PK\x05\x06\0\0\0\0\x01\0\x01\0", 12), true},
        {"cut short in the directory", sound.left(sound.size() - 40), true},
        {"cut short in the data", sound.left(sound.size() / 2), true},
        {"no archive at all", randomBytes(4096, 3), true},
        {"an end record alone pointing nowhere",
         QByteArray("PK\x05\x06\0\0\0\0\x05\0\x05\0\xff\0\0\0\xff\xff\0\0\0\0", 22), true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = work + QStringLiteral("/case%1.zip").arg(++n);
        testenv::writeFile(path, c.bytes);
        int err = 0;
        try {
            platform::ZipArchiveComponent zip;
            zip.Open(win(path));
            zip.Files().AddFileByName(win(work + "/added.txt"), 6, false, true);
            zip.Close();
        } catch (const vb::VbError& e) {
            err = e.number();
        }
        if (c.refused) {
            EXPECT_EQ(err, 321);
            EXPECT_EQ(testenv::readFile(path), c.bytes);  // not touched
            continue;
        }
        ASSERT_EQ(err, 0);
        EXPECT_LE(unzipTest(path).rc, 1);  // 1: the warning about the bytes in front
        EXPECT_EQ(pythonRead(path).value("testzip").toString(), "");
        platform::ZipArchiveReader r;
        ASSERT_TRUE(r.open(path));
        QStringList names;
        for (const auto& e : r.entries())
            names << e.name;
        EXPECT_EQ(names, (QStringList{"one.txt", "two.bin", "three.txt", "added.txt"}));
    }
}

TEST(ZipAppendFaults, AFifoIsRefusedWithoutWaitingForAWriter) {
    const QString work = testenv::tempDir("zip-fifo");
    const QString fifo = work + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    // Should the add wait for a writer, this one comes after 10 s: the test
    // then fails instead of hanging.
    std::atomic<bool> done{false}, woke{false};
    std::thread writer([&] {
        for (int i = 0; i < 1000 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done)
            return;
        woke = true;
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    platform::ZipArchiveComponent zip;
    zip.Create(win(work + "/a.zip"));
    EXPECT_EQ(testenv::errorOf([&] { zip.Files().AddFileByName(win(fifo), 6, false, false); }), 75);
    done = true;
    writer.join();
    EXPECT_FALSE(woke);
    EXPECT_EQ(zip.Files().Count(), 0);
    zip.Close();
    EXPECT_EQ(unzipTest(work + "/a.zip").rc, 1);  // 1: "zipfile is empty"
}
