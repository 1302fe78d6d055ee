// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of the archive log, byte for byte.
#include <gtest/gtest.h>

#include <QFile>

#include "support/TestEnv.h"
#include "platform/Paths.h"
#include "run/ArchiveLog.h"
#include "vb/FileNumbers.h"

using namespace archive_log;

namespace {

QString Blanks(int n) { return QString(n, QLatin1Char(' ')); }

TEST(ArchiveLog, StoredLines) {
    const QString field = NameField(QStringLiteral("C:\\Data\\report.doc"));
    ASSERT_EQ(field.size(), 66);
    struct {
        qint64 u, c;
        QString tail;
    } const cases[] = {
        {24576, 6144, QStringLiteral("24576") + Blanks(6) + "--> " + "6144" + Blanks(7) + "75 %"},
        {0, 0, QStringLiteral("0") + Blanks(10) + "--> " + "0" + Blanks(10) + "00 %"},
        {100, 101, QStringLiteral("100") + Blanks(8) + "--> " + "101" + Blanks(8) + "-01 %"},
        {8, 1, QStringLiteral("8") + Blanks(10) + "--> " + "1" + Blanks(10) + "88 %"},    // 87.5 to even
        {8, 3, QStringLiteral("8") + Blanks(10) + "--> " + "3" + Blanks(10) + "62 %"},    // 62.5 to even
        {8, 5, QStringLiteral("8") + Blanks(10) + "--> " + "5" + Blanks(10) + "38 %"},    // 37.5 to even
        {8, 9, QStringLiteral("8") + Blanks(10) + "--> " + "9" + Blanks(10) + "-12 %"},   // -12.5 to even
        {8, 0, QStringLiteral("8") + Blanks(10) + "--> " + "0" + Blanks(10) + "100 %"},
        {5000000000LL, 4000000000LL, QStringLiteral("5000000000") + Blanks(1) + "--> " + "4000000000" + Blanks(1) + "20 %"},
        {123456789012LL, 12345678901LL, QStringLiteral("123456789012--> 12345678901") + "90 %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StoredLine(field, c.u, c.c), QStringLiteral("C:\\Data\\report.doc") + Blanks(48) + c.tail)
            << c.u << " " << c.c;
}

TEST(ArchiveLog, NameFieldIsAlways66Wide) {
    EXPECT_EQ(NameField(QString()), Blanks(66));
    EXPECT_EQ(NameField(QString(65, 'x')), QString(65, 'x') + " ");
    EXPECT_EQ(NameField(QString(70, 'y')), QString(65, 'y') + " ");
    EXPECT_EQ(NameField(QStringLiteral("a")) + kFileLocked,
              QStringLiteral("a") + Blanks(65) + "File locked - skipped backup");
    EXPECT_EQ(NameField(QStringLiteral("a")) + kTooLargeSkipped,
              QStringLiteral("a") + Blanks(65) + "to large - file was skipped");
    EXPECT_EQ(ErrorLine(53, QStringLiteral("File not found")), QStringLiteral("53:File not found"));
}

TEST(ArchiveLog, WrittenBetweenQuotesWithCrLf) {
    platform::InstallPathLayer();
    const QString host = testenv::tempDir(QStringLiteral("log")) + QStringLiteral("/a.log");
    const int no = vb::FreeFile();
    vb::Open(platform::ToWindows(host), vb::OpenMode::Append, no);
    Write(no, QStringLiteral("one"));
    Write(no, NameField(QStringLiteral("C:\\\u00e9t\u00e9.txt")) + kFileLocked);
    vb::Close(no);
    const QByteArray expected = QByteArray("\"one\"\r\n\"") +
                                QStringLiteral("C:\\\u00e9t\u00e9.txt").toUtf8() + QByteArray(56, ' ') +
                                "File locked - skipped backup\"\r\n";
    EXPECT_EQ(testenv::readFile(host), expected);
}

}  // namespace
