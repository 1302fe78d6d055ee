// SPDX-License-Identifier: GPL-3.0-or-later
// A ZIP run whose files are read and deflated ahead writes the same volumes,
// byte for byte, as a run that reads each file in its turn; Stop still ends
// it after the file at work.
#include "ZipRunFixture.h"

#include "platform/ZipArchiveState.h"

using namespace ziprun;

namespace {

// A volume's bytes with the entries' times blanked (the DOS date of each
// local and directory record, the seconds of each time-stamp field): the
// pieces of a split file are made anew by every run, so only their times
// may differ between two runs.
QByteArray WithoutEntryTimes(const QString& hostPath) {
    static const char* script = R"(
import struct, sys, zipfile
data = bytearray(open(sys.argv[1], 'rb').read())
def blank_extra(at, size):
    end = at + size
    while at + 4 <= end:
        tag, n = struct.unpack_from('<HH', data, at)
        if tag == 0x5455 and n >= 5:
            data[at + 5:at + 9] = bytes(4)
        at += 4 + n
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    h = info.header_offset
    n, m = struct.unpack_from('<HH', data, h + 26)
    data[h + 10:h + 14] = bytes(4)
    blank_extra(h + 30 + n, m)
at = data.rfind(b'PK\x05\x06')
size, start = struct.unpack_from('<II', data, at + 12)
end = start + size
while start < end:
    n, m, k = struct.unpack_from('<HHH', data, start + 28)
    data[start + 12:start + 16] = bytes(4)
    blank_extra(start + 46 + n, m)
    start += 46 + n + m + k
sys.stdout.buffer.write(data)
)";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), hostPath});
    p.waitForFinished(60000);
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

class ZipRunReadAhead : public ZipRunTest {
protected:
    void TearDown() override {
        platform::ZipArchiveState::setReadAhead(0, size_t(128) << 20);
        ZipRunTest::TearDown();
    }

    void Tree() {
        WriteSource(QStringLiteral("a/empty.txt"), QByteArray());
        WriteSource(QStringLiteral("a/one.txt"), QByteArray("1"));
        WriteSource(QStringLiteral("a/random.bin"), Incompressible(400000, 3));
        QByteArray big;
        while (big.size() < 30 * 1000 * 1000)
            big += "a line of a large, compressible file " + QByteArray::number(big.size()) + "\n";
        WriteSource(QStringLiteral("a/big.log"), big);
        for (int i = 0; i < 12; ++i)
            WriteSource(QStringLiteral("b/f%1.txt").arg(i, 2, 10, QLatin1Char('0')),
                        QByteArray("small file ").repeated(i * 40 + 1));
        WriteSource(QStringLiteral("b/skip.tmp"), QByteArray("excluded by the mask list"));
        AddSource(Win(src) + QStringLiteral("\\a\\*.*"));
        AddSource(Win(src) + QStringLiteral("\\b\\*.*"));
        f().txtExclusions->setText(QStringLiteral("*.tmp"));
        f().chkMaxFiles->setValue(1);
        f().txtMaxFiles->setText(QStringLiteral("5"));
    }

    // The volumes at the destination, by name (with `timesBlanked`, their
    // entries' times blanked).
    QMap<QString, QByteArray> Volumes(bool timesBlanked = false) const {
        QMap<QString, QByteArray> v;
        for (const QString& n : FilesIn(dest, QStringLiteral("*.zip"))) {
            const QString path = dest + QLatin1Char('/') + n;
            v.insert(n, timesBlanked ? WithoutEntryTimes(path) : testenv::readFile(path));
        }
        return v;
    }

    // Runs the profile without and then with the read-ahead: the same
    // volumes, byte for byte, at least `volumes` of them, each whole.
    void ExpectTheSameVolumesWithReadAhead(int volumes, bool timesBlanked = false) {
        platform::ZipArchiveState::setReadAhead(0, size_t(128) << 20);
        Run();
        const QMap<QString, QByteArray> plain = Volumes(timesBlanked);
        ASSERT_GE(plain.size(), volumes);
        for (const QString& n : FilesIn(dest))
            QFile::remove(dest + QLatin1Char('/') + n);

        platform::ZipArchiveState::setReadAhead(4, size_t(128) << 20);
        Run();
        const QMap<QString, QByteArray> ahead = Volumes(timesBlanked);
        ASSERT_EQ(ahead.keys(), plain.keys());
        for (const QString& n : plain.keys()) {
            EXPECT_FALSE(ahead.value(n).isEmpty()) << n.toStdString();
            EXPECT_TRUE(ahead.value(n) == plain.value(n)) << n.toStdString();
            EXPECT_TRUE(UnzipTestPasses(dest + QLatin1Char('/') + n)) << n.toStdString();
        }
        EXPECT_EQ(ErrorLog().toStdString(), "");
    }
};

}  // namespace

TEST_F(ZipRunReadAhead, TheVolumesAreTheSameBytesAsWithoutReadAhead) {
    Tree();
    ExpectTheSameVolumesWithReadAhead(3);
}

// Volumes closed for their size and a file split into pieces between the
// files read ahead: the pieces are stored in their turn, and the volumes
// are still those of a run without the read-ahead (but for the pieces'
// times: they are made again by each run).
TEST_F(ZipRunReadAhead, VolumesBySizeAndASplitFileAreTheSameBytesAsWithoutReadAhead) {
    Tree();
    for (int i = 0; i < 40; ++i)
        WriteSource(QStringLiteral("c/g%1.txt").arg(i, 2, 10, QLatin1Char('0')),
                    QByteArray("another small file ").repeated(i * 30 + 1) + Incompressible(2000 * i, i));
    AddSource(Win(src) + QStringLiteral("\\c\\*.*"));
    f().chkMaxFiles->setValue(0);
    f().chkMaxZIPsize->setValue(1);
    f().chkSplit->setValue(1);
    f().txtMaxZIPsize->setText(QStringLiteral("4"));   // big.log (30 MB) goes in pieces
    ExpectTheSameVolumesWithReadAhead(6, true);
    bool piece = false;
    for (const QString& n : FilesIn(dest, QStringLiteral("*.zip")))
        piece = piece || ReadWithPython(dest + QLatin1Char('/') + n).find(QStringLiteral("/big.log.1")) != nullptr;
    EXPECT_TRUE(piece) << "the large file was split";
}

TEST_F(ZipRunReadAhead, StopEndsTheRunAfterTheFileAtWork) {
    Tree();
    platform::ZipArchiveState::setReadAhead(4, size_t(128) << 20);
    QObject::connect(f().txtTotalFiles, &ui::VbTextBox::Change, f().txtTotalFiles, [this] {
        if (f().txtTotalFiles->Text() == QStringLiteral("6"))
            f().cmdCancelBackUp_Click();
    });
    Run();
    EXPECT_EQ(f().txtTotalFiles->Text(), QStringLiteral("6"));
    EXPECT_EQ(f().txtNews->Text(), LangText(120));
    // The first volume was full and delivered before the Stop; nothing after it.
    EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")), QStringList{TodaysName(1)});
    EXPECT_TRUE(UnzipTestPasses(dest + QLatin1Char('/') + TodaysName(1)));
    EXPECT_TRUE(TempIsClean());
    EXPECT_EQ(ErrorLog().toStdString(), "");
}
