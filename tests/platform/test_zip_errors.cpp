// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "ZipTestSupport.h"
#include "platform/ZipArchiveComponent.h"

using platform::ZipArchiveComponent;
using namespace ziptest;

namespace {

// A small archive with a few entries of each kind, as bytes.
QByteArray sampleArchive(const QString& dir) {
    testenv::writeFile(dir + "/s/a.txt", textBytes(5000));
    testenv::writeFile(dir + "/s/b.bin", randomBytes(3000, 7));
    testenv::writeFile(dir + "/s/c.txt", "c");
    testenv::writeFile(dir + "/s/e.txt", {});
    {
        ZipArchiveComponent c;
        c.Create(win(dir + "/sample.zip"));
        c.SetComment("sample");
        c.Files().AddFileByName(win(dir + "/s/a.txt"), 6, true, true);
        c.Files().AddFileByName(win(dir + "/s/b.bin"), 0, true, true);
        c.Files().AddFileByName(win(dir + "/s/c.txt"), 9, true, true);
        c.Files().AddFileByName(win(dir + "/s/e.txt"), 6, true, true);
        c.Close();
    }
    return testenv::readFile(dir + "/sample.zip");
}

}  // namespace

TEST(ZipArchiveErrors, FailuresRaiseVbErrors) {
    const QString dir = testenv::tempDir("zip-err");
    testenv::writeFile(dir + "/file.txt", "x");
    QDir().mkpath(dir + "/folder");
    ZipArchiveComponent c;
    struct Case {
        const char* what;
        int number;
        std::function<void()> call;
    };
    const std::vector<Case> closed = {
        {"open a missing archive", vb::errFileNotFound, [&] { c.Open(win(dir + "/missing.zip")); }},
        {"create in a missing folder", vb::errPathNotFound, [&] { c.Create(win(dir + "/no/such/x.zip")); }},
        {"add with nothing open", vb::errObjectNotSet,
         [&] { c.Files().AddFileByName(win(dir + "/file.txt"), 6, true, true); }},
        {"item with nothing open", vb::errSubscript, [&] { c.Files().Item(0); }},
        {"comment with nothing open", vb::errObjectNotSet, [&] { c.SetComment("x"); }},
    };
    for (const Case& k : closed) {
        SCOPED_TRACE(k.what);
        expectVbError(k.number, k.call);
    }
    EXPECT_EQ(c.Files().Count(), 0);

    c.Create(win(dir + "/e.zip"));
    c.Files().AddFileByName(win(dir + "/file.txt"), 6, true, true);
    const std::vector<Case> open = {
        {"missing source file", vb::errFileNotFound,
         [&] { c.Files().AddFileByName(win(dir + "/nope.txt"), 6, true, true); }},
        {"a folder as source", vb::errPathFileAccess,
         [&] { c.Files().AddFileByName(win(dir + "/folder"), 6, true, true); }},
        {"the archive into itself", vb::errPathFileAccess,
         [&] { c.Files().AddFileByName(win(dir + "/e.zip"), 6, true, true); }},
        {"level above 9", vb::errInvalidCall, [&] { c.Files().AddFileByName(win(dir + "/file.txt"), 10, true, true); }},
        {"negative level", vb::errInvalidCall, [&] { c.Files().AddFileByName(win(dir + "/file.txt"), -1, true, true); }},
        {"a drive root names nothing", vb::errBadFileNameOrNumber,
         [&] { c.Files().AddFileByName("Z:\\", 6, true, true); }},
        {"index below 0", vb::errSubscript, [&] { c.Files().Item(-1); }},
        {"index past the end", vb::errSubscript, [&] { c.Files().Item(1); }},
        {"index text past the end", vb::errSubscript, [&] { c.Files().Item(QString("1")); }},
        {"index text that is no number", vb::errTypeMismatch, [&] { c.Files().Item(QString("first")); }},
    };
    for (const Case& k : open) {
        SCOPED_TRACE(k.what);
        expectVbError(k.number, k.call);
        EXPECT_EQ(c.Files().Count(), 1);  // a failed add stores nothing
    }
    EXPECT_EQ(c.Files().Item(QString(" 0 ")).Name(), QString(win(dir + "/file.txt")).mid(3));
    const auto item = c.Files().Item(0);
    c.Close();
    expectVbError(vb::errObjectNotSet, [&] { item.Extract(win(dir)); });  // its archive is closed
    EXPECT_EQ(unzipTest(dir + "/e.zip").rc, 0);
}

TEST(ZipArchiveErrors, AFileThatCannotBeReadLeavesNoEntry) {
    // Reading /proc/self/mem from its start fails after the file was opened,
    // so the entry is begun and must then be dropped again.
    const QString dir = testenv::tempDir("zip-unreadable");
    testenv::writeFile(dir + "/good.txt", textBytes(4000));
    ZipArchiveComponent c;
    c.Create(win(dir + "/u.zip"));
    c.Files().AddFileByName(win(dir + "/good.txt"), 6, true, true);
    expectVbError(vb::errDeviceIO, [&] { c.Files().AddFileByName("Z:\\proc\\self\\mem", 6, true, true); });
    EXPECT_EQ(c.Files().Count(), 1);
    c.Files().AddFileByName(win(dir + "/good.txt"), 6, false, true);
    EXPECT_EQ(c.Files().Count(), 2);
    c.Close();
    EXPECT_EQ(unzipTest(dir + "/u.zip").rc, 0);
    const QJsonObject read = pythonRead(dir + "/u.zip");
    EXPECT_TRUE(read["testzip"].isNull());
    EXPECT_EQ(read["entries"].toArray().size(), 2);
}

TEST(ZipArchiveErrors, OpenRefusesWhatIsNoArchive) {
    const QString dir = testenv::tempDir("zip-garbage");
    const QByteArray good = sampleArchive(dir);
    QByteArray badOffset = good;
    badOffset[badOffset.lastIndexOf(QByteArray("PK\x05\x06", 4)) + 19] = char(0x7F);  // directory offset far off
    QByteArray badCentral = good;
    const qsizetype cd = badCentral.indexOf(QByteArray("PK\x01\x02", 4));
    badCentral[cd + 1] = 'X';  // first directory record lost its signature
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {"empty file", {}},
        {"random bytes", randomBytes(5000, 3)},
        {"text", "this is not an archive\r\n"},
        {"only the entries", good.left(good.indexOf(QByteArray("PK\x01\x02", 4)))},
        {"cut inside the directory", good.left(good.size() - 40)},
        {"directory offset out of range", badOffset},
        {"directory record damaged", badCentral},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const QString p = dir + "/bad.zip";
        testenv::writeFile(p, k.bytes);
        ZipArchiveComponent c;
        expectVbError(321, [&] { c.Open(win(p)); });
        EXPECT_EQ(c.Files().Count(), 0);
        c.Close();
        EXPECT_EQ(testenv::readFile(p), k.bytes);  // left untouched
    }
}

TEST(ZipArchiveErrors, DamagedArchivesNeverCrashTheReader) {
    // Mutated copies of a valid archive: each is opened, listed and extracted
    // from; any outcome but a VbError or success is a fault.
    const QString dir = testenv::tempDir("zip-mutate");
    const QByteArray good = sampleArchive(dir);
    const QString p = dir + "/m.zip";
    const QString out = dir + "/out";
    quint32 x = 12345;
    auto next = [&] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    int opened = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = good;
        const int kind = round % 4;
        if (kind == 3) {
            bytes.truncate(qsizetype(next() % quint32(bytes.size())));
        } else {
            const int flips = 1 + int(next() % 8);
            for (int i = 0; i < flips; ++i) {
                // Mostly in the directory and the end record, where the reader looks first.
                const qsizetype tail = qMin<qsizetype>(bytes.size(), 400);
                const qsizetype at = kind == 0 ? qsizetype(next() % quint32(bytes.size()))
                                               : bytes.size() - 1 - qsizetype(next() % quint32(tail));
                bytes[at] = char(next() & 0xFF);
            }
        }
        testenv::writeFile(p, bytes);
        ZipArchiveComponent c;
        try {
            c.Open(win(p));
        } catch (const vb::VbError&) {
            continue;
        }
        ++opened;
        for (int i = 0; i < c.Files().Count(); ++i) {
            try {
                const auto e = c.Files().Item(i);
                (void)e.Name();
                (void)e.ModificationDate().toString();
                e.Extract(win(out));
            } catch (const vb::VbError&) {
            }
        }
        // Adding to a damaged but readable archive must fail cleanly or work.
        try {
            c.Files().AddFileByName(win(dir + "/s/c.txt"), 6, true, true);
            c.Close();
        } catch (const vb::VbError&) {
        }
    }
    EXPECT_GT(opened, 0);
    // Nothing was written outside the output folder.
    QStringList left = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    left.sort();
    QStringList expected{"m.zip", "s", "sample.zip"};
    if (QFileInfo::exists(out))
        expected << "out";
    expected.sort();
    EXPECT_EQ(left, expected);
}

TEST(ZipArchiveErrors, ReadsZip64FieldsAndAppendsAfterThem) {
    // A small archive written the way large ones are: sizes and offset in the
    // ZIP64 block, the directory found through the ZIP64 end record.
    const QString dir = testenv::tempDir("zip64-fields");
    const QString zip = dir + "/z64.zip";
    const ProcResult made = run("/usr/bin/python3", {"-c", R"PY(
import struct, sys, zlib
data = b"hello, zip64"
name = b"dir/a.txt"
crc = zlib.crc32(data)
local = struct.pack("<IHHHHHIIIHH", 0x04034b50, 45, 0, 0, 0, 0x21, crc, 0xFFFFFFFF, 0xFFFFFFFF, len(name), 20)
local += name + struct.pack("<HHQQ", 1, 16, len(data), len(data)) + data
z64 = struct.pack("<HHQQQ", 1, 24, len(data), len(data), 0)
cen = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, 45, 45, 0, 0, 0, 0x21, crc, 0xFFFFFFFF, 0xFFFFFFFF,
                  len(name), len(z64), 0, 0, 0, 0, 0xFFFFFFFF) + name + z64
cdoff = len(local)
rec = struct.pack("<IQHHIIQQQQ", 0x06064b50, 44, 45, 45, 0, 0, 1, 1, len(cen), cdoff)
loc = struct.pack("<IIQI", 0x07064b50, 0, cdoff + len(cen), 1)
end = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
open(sys.argv[1], "wb").write(local + cen + rec + loc + end)
)PY", zip});
    ASSERT_EQ(made.rc, 0) << made.err.toStdString();
    ASSERT_EQ(unzipTest(zip).rc, 0);  // the hand-made archive is sound
    testenv::writeFile(dir + "/b.txt", "appended");
    {
        ZipArchiveComponent c;
        c.Open(win(zip));
        ASSERT_EQ(c.Files().Count(), 1);
        EXPECT_EQ(c.Files().Item(0).Name(), "dir\\a.txt");
        EXPECT_EQ(c.Files().Item(0).UncompressedSize(), 12);
        c.Files().Item(0).Extract(win(dir + "/out"));
        EXPECT_EQ(testenv::readFile(dir + "/out/dir/a.txt"), "hello, zip64");
        c.Files().AddFileByName(win(dir + "/b.txt"), 6, false, true);
        c.Close();
    }
    EXPECT_EQ(unzipTest(zip).rc, 0);
    const QJsonObject read = pythonRead(zip);
    EXPECT_TRUE(read["testzip"].isNull());
    const QJsonArray e = read["entries"].toArray();
    ASSERT_EQ(e.size(), 2);
    EXPECT_EQ(e[0].toObject()["sha"].toString(), sha256("hello, zip64"));
    EXPECT_EQ(e[1].toObject()["sha"].toString(), sha256("appended"));
}

TEST(ZipArchiveErrors, AnArchiveChangedAfterItWasWrittenIsCheckedAgain) {
    // An archive this process wrote opens again without a second look at
    // its entries; once it changed on disk, its headers are checked again.
    const QString dir = testenv::tempDir("zip-rewritten");
    testenv::writeFile(dir + "/a.txt", "first file");
    testenv::writeFile(dir + "/b.txt", "second file");
    const QString p = dir + "/w.zip";
    {
        ZipArchiveComponent c;
        c.Create(win(p));
        c.Files().AddFileByName(win(dir + "/a.txt"), 6, false, false);
        c.Files().AddFileByName(win(dir + "/b.txt"), 6, false, false);
        c.Close();
        c.Open(win(p));
        EXPECT_EQ(c.Files().Count(), 2);
        c.Close();
    }
    // The second entry's local header no longer names it: damaged.
    QByteArray bytes = testenv::readFile(p);
    const qsizetype at = bytes.indexOf("b.txt");
    ASSERT_GT(at, 0);
    bytes[at] = 'x';
    testenv::writeFile(p, bytes);
    ZipArchiveComponent c;
    expectVbError(321, [&] { c.Open(win(p)); });
}
