// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TestEnv.h"
#include "VbTestSupport.h"
#include "vb/FileNumbers.h"

using namespace vb;

class FileNumbers : public LocaleTest {
protected:
    QString dir;
    void SetUp() override {
        LocaleTest::SetUp();
        dir = testenv::tempDir(QStringLiteral("filenumbers"));
        // Windows-looking paths "C:\name" map into the test folder.
        SetHostPathResolver([this](const QString& w) {
            QString rest = w;
            if (rest.startsWith(QLatin1String("C:\\"), Qt::CaseInsensitive))
                rest = rest.mid(3);
            return dir + QLatin1Char('/') + rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        });
    }
    void TearDown() override {
        CloseAll();
        SetHostPathResolver({});
        LocaleTest::TearDown();
    }
    QString host(const QString& name) const { return dir + QLatin1Char('/') + name; }
};

TEST_F(FileNumbers, PrintThenReadBackLines) {
    const int f = FreeFile();
    EXPECT_EQ(f, 1);
    Open("C:\\a.txt", OpenMode::Output, f);
    EXPECT_EQ(FreeFile(), 2);
    Print(f, "first");
    PrintNoNewline(f, "sec");
    Print(f, QString::fromUtf8("ond äöü"));
    Print(f);
    Close(f);
    EXPECT_EQ(testenv::readFile(host("a.txt")), QByteArray("first\r\nsecond \xC3\xA4\xC3\xB6\xC3\xBC\r\n\r\n"));

    Open("C:\\a.txt", OpenMode::Append, f);
    EXPECT_EQ(Seek(f), 25);
    Print(f, "more");
    Close(f);

    Open("c:\\a.txt", OpenMode::Input, f);
    EXPECT_EQ(Lof(f), 30);
    QStringList lines;
    while (!Eof(f))
        lines << LineInput(f);
    EXPECT_EQ(lines, QStringList({"first", QString::fromUtf8("second äöü"), "", "more"}));
    EXPECT_EQ(ErrorOf([&] { LineInput(f); }), errInputPastEnd);
    Close(f);
    Close(f);  // closing again does nothing
    EXPECT_FALSE(IsOpen(f));
}

TEST_F(FileNumbers, ReadsAnyLineEndAndOldCodePages) {
    // CR LF, lone CR, lone LF, a Windows-1252 line, a UTF-8 BOM, no line end at the end.
    testenv::writeFile(host("mixed.txt"), QByteArray("\xEF\xBB\xBF" "a\r\nb\rc\nd\xE9\xE4\r\n\x80 end"));
    Open("C:\\mixed.txt", OpenMode::Input, 3);
    QStringList lines;
    while (!Eof(3))
        lines << LineInput(3);
    EXPECT_EQ(lines, QStringList({"a", "b", "c", QString::fromUtf8("déä"), QString::fromUtf8("€ end")}));
}

TEST_F(FileNumbers, WriteAndInputFields) {
    Open("C:\\w.txt", OpenMode::Output, 1);
    Write(1, "text, with comma", 5, -2.5, true, QDateTime(QDate(2004, 3, 7), QTime(14, 5, 9)), FileValue());
    Write(1, "x");
    Close(1);
    EXPECT_EQ(testenv::readFile(host("w.txt")),
              QByteArray("\"text, with comma\",5,-2.5,#TRUE#,#2004-03-07 14:05:09#,\r\n\"x\"\r\n"));

    Open("C:\\w.txt", OpenMode::Input, 1);
    QString s, empty, x;
    qint32 n = 0;
    double d = 0;
    bool b = false;
    QDateTime t;
    Input(1, s, n, d, b, t, empty);
    EXPECT_EQ(s, "text, with comma");
    EXPECT_EQ(n, 5);
    EXPECT_DOUBLE_EQ(d, -2.5);
    EXPECT_TRUE(b);
    EXPECT_EQ(t, QDateTime(QDate(2004, 3, 7), QTime(14, 5, 9)));
    EXPECT_EQ(empty, "");
    Input(1, x);
    EXPECT_EQ(x, "x");
    EXPECT_TRUE(Eof(1));
    EXPECT_EQ(ErrorOf([] { InputField(1); }), errInputPastEnd);
}

TEST_F(FileNumbers, PrintFormOfValues) {
    Open("C:\\p.txt", OpenMode::Output, 1);
    PrintValues(1, {5, "x"});
    PrintValues(1, {"name", "", "", FileValue()});
    PrintValues(1, {-3, true, 1.5, QDateTime(QDate(2004, 3, 7), QTime(0, 0))});
    Close(1);
    EXPECT_EQ(testenv::readFile(host("p.txt")), QByteArray(" 5 x\r\nname\r\n-3 True 1.5 3/7/2004\r\n"));
}

TEST_F(FileNumbers, BinaryGetPutSeek) {
    Open("C:\\b.bin", OpenMode::Binary, 2);
    EXPECT_TRUE(Eof(2));
    Put(2, 1, QByteArray("0123456789"));
    Put(2, 0, QByteArray("AB"));
    EXPECT_EQ(Lof(2), 12);
    EXPECT_EQ(Get(2, 3, 4), QByteArray("2345"));
    EXPECT_EQ(Seek(2), 7);
    EXPECT_EQ(Get(2, 0, 3), QByteArray("678"));
    EXPECT_FALSE(Eof(2));
    EXPECT_EQ(Get(2, 0, 10), QByteArray("9AB"));  // short at the end
    EXPECT_TRUE(Eof(2));
    Seek(2, 11);
    EXPECT_EQ(InputChars(2, 2), "AB");
    EXPECT_EQ(ErrorOf([] { Seek(2, 0); }), errBadRecordNumber);
    Close(2);
}

TEST_F(FileNumbers, BinaryOpenOfAReadOnlyFileReads) {
    testenv::writeFile(host("ro.bin"), "data");
    ::chmod(QFile::encodeName(host("ro.bin")).constData(), 0444);
    Open("C:\\ro.bin", OpenMode::Binary, 1);
    EXPECT_EQ(Get(1, 1, 4), QByteArray("data"));
    if (::geteuid() != 0) {
        EXPECT_EQ(ErrorOf([] { Put(1, 1, "x"); }), errPathFileAccess);
    }
}

TEST_F(FileNumbers, ErrorsAreVbs) {
    testenv::writeFile(host("exists.txt"), "x\r\n");
    QDir(dir).mkdir("sub");
    const struct {
        const char* what;
        std::function<void()> f;
        int error;
    } cases[] = {
        {"missing file for Input", [] { Open("C:\\nothere.txt", OpenMode::Input, 1); }, errFileNotFound},
        {"missing folder", [] { Open("C:\\nodir\\x.txt", OpenMode::Output, 1); }, errPathNotFound},
        {"missing folder for Input", [] { Open("C:\\nodir\\x.txt", OpenMode::Input, 1); }, errPathNotFound},
        {"a folder", [] { Open("C:\\sub", OpenMode::Output, 1); }, errPathFileAccess},
        {"number 0", [] { Open("C:\\exists.txt", OpenMode::Input, 0); }, errBadFileNameOrNumber},
        {"number 512", [] { Open("C:\\exists.txt", OpenMode::Input, 512); }, errBadFileNameOrNumber},
        {"wildcard name", [] { Open("C:\\*.txt", OpenMode::Output, 1); }, errBadFileNameOrNumber},
        {"empty name", [] { Open("", OpenMode::Output, 1); }, errBadFileNameOrNumber},
        {"read a closed number", [] { LineInput(7); }, errBadFileNameOrNumber},
        {"print to a closed number", [] { Print(7, "x"); }, errBadFileNameOrNumber},
        {"eof of a closed number", [] { Eof(7); }, errBadFileNameOrNumber},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.f), c.error) << c.what;
    EXPECT_FALSE(IsOpen(1));

    Open("C:\\exists.txt", OpenMode::Input, 1);
    EXPECT_EQ(ErrorOf([] { Open("C:\\other.txt", OpenMode::Output, 1); }), errFileAlreadyOpen);
    EXPECT_EQ(ErrorOf([] { Print(1, "x"); }), errBadFileMode);
    EXPECT_EQ(ErrorOf([] { Get(1, 1, 1); }), errBadFileMode);
    EXPECT_EQ(ErrorOf([] { Open("C:\\exists.txt", OpenMode::Output, 2); }), errFileAlreadyOpen);
    Open("C:\\exists.txt", OpenMode::Input, 2);  // reading twice is allowed
    LineInput(1);
    EXPECT_EQ(ErrorOf([] { LineInput(1); }), errInputPastEnd);
    EXPECT_EQ(ErrorOf([] { InputChars(1, 1); }), errInputPastEnd);
    CloseAll();

    Open("C:\\out.txt", OpenMode::Output, 1);
    EXPECT_EQ(ErrorOf([] { LineInput(1); }), errBadFileMode);
    EXPECT_EQ(ErrorOf([] { Open("C:\\out.txt", OpenMode::Input, 3); }), errFileAlreadyOpen);
    EXPECT_EQ(ErrorOf([] { Open("C:\\out.txt", OpenMode::Append, 4); }), errFileAlreadyOpen);
}

TEST_F(FileNumbers, AFullDiskIsReportedNotSwallowed) {
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    SetHostPathResolver([](const QString&) { return QStringLiteral("/dev/full"); });
    Open("C:\\full", OpenMode::Output, 1);
    EXPECT_EQ(ErrorOf([] { Print(1, "line"); }), errDiskFull);
    Close(1);
    Open("C:\\full", OpenMode::Binary, 1);
    Put(1, 0, QByteArray(100, 'x'));  // buffered: the failure shows at the close
    EXPECT_EQ(ErrorOf([] { Close(1); }), errDiskFull);
    EXPECT_FALSE(IsOpen(1));
}

TEST_F(FileNumbers, OneFileUnderTwoPathsIsStillOneFile) {
    QDir(dir).mkdir("real");
    ASSERT_TRUE(QFile::link(host("real"), host("alias")));
    Open("C:\\real\\log.txt", OpenMode::Output, 1);
    EXPECT_EQ(ErrorOf([] { Open("C:\\alias\\log.txt", OpenMode::Append, 2); }), errFileAlreadyOpen);
}

TEST_F(FileNumbers, FreeFileSkipsOpenNumbers) {
    Open("C:\\f1.txt", OpenMode::Output, 1);
    Open("C:\\f3.txt", OpenMode::Output, 3);
    EXPECT_EQ(FreeFile(), 2);
    Close(1);
    EXPECT_EQ(FreeFile(), 1);
}
