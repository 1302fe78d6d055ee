// SPDX-License-Identifier: GPL-3.0-or-later
// uuencode blocks of attachments: the line table, and files of the lengths
// around a 45-byte line decoded back by Python's binascii.
#include <gtest/gtest.h>

#include <QFile>

#include "destinations/modUUcode.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "destinations/UUDecode.h"

namespace {

QString Win(const QString& host) { return platform::ToWindows(host); }

QByteArray Encoded(const QByteArray& content, const QString& name = QStringLiteral("a.zip"), bool append = false,
                   const QByteArray& before = {}) {
    const QString dir = testenv::tempDir(QStringLiteral("uu"));
    testenv::writeFile(dir + "/" + name, content);
    if (!before.isEmpty())
        testenv::writeFile(dir + "/out.txt", before);
    EXPECT_EQ(UUEncodeFile(Win(dir + "/" + name), Win(dir + "/out.txt"), append), 0);
    return testenv::readFile(dir + "/out.txt");
}

}  // namespace

TEST(UUEncode, LineEncodingPadsAndWritesZeroAsBackquote) {
    QByteArray abc("abc");
    EXPECT_EQ(UUEncodeLine(abc), "86)C");
    QByteArray one("\0", 1);
    EXPECT_EQ(UUEncodeLine(one), "````");
    EXPECT_EQ(one, QByteArray("\0\0\0", 3));  // padded in place
    QByteArray empty;
    EXPECT_EQ(UUEncodeLine(empty), "");
}

TEST(UUEncode, BlocksOfTheTypicalLengths) {
    EXPECT_EQ(Encoded("abc"), "begin 600 a.zip\r\n#86)C\r\n`\r\nend\r\n");
    EXPECT_EQ(Encoded(""), "begin 600 a.zip\r\n \r\n`\r\nend\r\n");

    const QByteArray b45 = Encoded(testenv::randomBytes(45, 1));
    QList<QByteArray> lines = b45.split('\n');
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[1].size(), 62);  // "M" + 60 characters + CR
    EXPECT_TRUE(lines[1].startsWith('M'));
    EXPECT_EQ(lines[2], " \r");
    EXPECT_EQ(lines[3], "`\r");
    EXPECT_EQ(lines[4], "end\r");

    const QByteArray b46 = Encoded(testenv::randomBytes(46, 2));
    lines = b46.split('\n');
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[1].startsWith('M'));
    EXPECT_EQ(lines[2].size(), 6);  // "!" + 4 characters + CR
    EXPECT_EQ(lines[2][0], '!');

    // No blank inside the data: zero values are written "`".
    const QByteArray zeros = Encoded(QByteArray(10, '\0'));
    EXPECT_EQ(zeros.split('\n')[1], "*````````````````\r");
}

TEST(UUEncode, TheNameIsThePartAfterTheLastSeparatorAndAppendingStartsOnANewLine) {
    const QString dir = testenv::tempDir(QStringLiteral("uuname"));
    testenv::writeFile(dir + "/sub/P_BackUp_1.zip", "x");
    testenv::writeFile(dir + "/out.txt", "text without a line end");
    ASSERT_EQ(UUEncodeFile(Win(dir + "/sub/P_BackUp_1.zip"), Win(dir + "/out.txt"), true), 0);
    const QByteArray out = testenv::readFile(dir + "/out.txt");
    EXPECT_TRUE(out.startsWith("text without a line end\r\nbegin 600 P_BackUp_1.zip\r\n")) << out.constData();
    // A target made anew is its owner's only: it holds a copy of the archive.
    ASSERT_EQ(UUEncodeFile(Win(dir + "/sub/P_BackUp_1.zip"), Win(dir + "/new.txt"), false), 0);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(dir + "/new.txt") & others, QFile::Permissions());
}

TEST(UUEncode, ErrorsAreReturnedAsNumbers) {
    const QString dir = testenv::tempDir(QStringLiteral("uuerr"));
    EXPECT_EQ(UUEncodeFile(Win(dir + "/missing.zip"), Win(dir + "/out.txt"), false), 53);
    EXPECT_FALSE(QFile::exists(dir + "/out.txt"));
    testenv::writeFile(dir + "/a.zip", "x");
    EXPECT_EQ(UUEncodeFile(Win(dir + "/a.zip"), Win(dir + "/no/such/folder/out.txt"), false), 75);
}

TEST(UUEncode, AnIndependentDecoderGetsTheExactBytesBack) {
    QByteArray all;
    QMap<QString, QByteArray> expected;
    const QString dir = testenv::tempDir(QStringLiteral("uuround"));
    int n = 0;
    for (const int size : {0, 1, 2, 3, 44, 45, 46, 59, 90, 1000, 4097, 65537}) {
        const QString name = QStringLiteral("f%1.bin").arg(n++);
        expected[name] = testenv::randomBytes(size, quint32(size) + 7);
        testenv::writeFile(dir + "/" + name, expected[name]);
        ASSERT_EQ(UUEncodeFile(Win(dir + "/" + name), Win(dir + "/all.txt"), true), 0) << size;
    }
    EXPECT_EQ(uu::DecodedWithPython(testenv::readFile(dir + "/all.txt")), expected);
}
