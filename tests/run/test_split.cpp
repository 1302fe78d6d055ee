// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>

#include "CopySyncTest.h"
#include "run/NRV_FileSplit.h"

namespace {

class Split : public CopySyncTest {};

QByteArray crlf(const QStringList& lines) { return (lines.join("\r\n") + "\r\n").toLatin1(); }

}  // namespace

TEST_F(Split, PiecesAndBatchFileAsTheTableOrders) {
    struct Case {
        const char* what;
        qint64 size;
        qint32 pieceSize;
        QList<qint64> pieces;
        QStringList batch;
    } cases[] = {
        {"two and a half pieces", 2500, 1000, {1000, 1000, 500},
         {"@ECHO OFF", "ECHO Joining Files...", "IF EXIST \"report.pst\" DEL \"report.pst\"",
          "COPY /B \"report.pst.1\"+\"report.pst.2\"+\"report.pst.3\"", "DEL \"report.pst.2\"",
          "DEL \"report.pst.3\"", "REN \"report.pst.1\" \"report.pst\"", "DEL \"report.pst.bat\"", "ECHO Done!"}},
        {"exactly one piece", 1000, 1000, {1000},
         {"@ECHO OFF", "ECHO Joining Files...", "IF EXIST \"report.pst\" DEL \"report.pst\"",
          "REN \"report.pst.1\" \"report.pst\"", "DEL \"report.pst.bat\"", "ECHO Done!"}},
        {"a multiple of the piece size ends with a full piece", 3000, 1500, {1500, 1500},
         {"@ECHO OFF", "ECHO Joining Files...", "IF EXIST \"report.pst\" DEL \"report.pst\"",
          "COPY /B \"report.pst.1\"+\"report.pst.2\"", "DEL \"report.pst.2\"",
          "REN \"report.pst.1\" \"report.pst\"", "DEL \"report.pst.bat\"", "ECHO Done!"}},
        // pieces larger than the copy buffer
        {"pieces of many megabytes", (qint64(9) << 20) * 2 + 7, qint32(9) << 20, {qint64(9) << 20, qint64(9) << 20, 7},
         {"@ECHO OFF", "ECHO Joining Files...", "IF EXIST \"report.pst\" DEL \"report.pst\"",
          "COPY /B \"report.pst.1\"+\"report.pst.2\"+\"report.pst.3\"", "DEL \"report.pst.2\"",
          "DEL \"report.pst.3\"", "REN \"report.pst.1\" \"report.pst\"", "DEL \"report.pst.bat\"", "ECHO Done!"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString dir = testenv::tempDir(QString("split%1").arg(n++));
        const QByteArray data = pattern(c.size, n);
        testenv::writeFile(dir + "/report.pst", data);
        const QString out = dir + "/temp/splitfile";   // created by the split

        EXPECT_TRUE(SplitFiles(win(dir + "/report.pst"), win(out), c.pieceSize));

        QStringList expected;
        QByteArray joined;
        for (int i = 1; i <= c.pieces.size(); ++i) {
            const QByteArray piece = testenv::readFile(out + QString("/report.pst.%1").arg(i));
            EXPECT_EQ(piece.size(), c.pieces[i - 1]) << "piece " << i;
            joined += piece;
            expected << QString("report.pst.%1").arg(i);
        }
        expected << "report.pst.bat";
        expected.sort();
        EXPECT_EQ(entries(out), expected);   // no temporary file is left
        EXPECT_TRUE(joined == data) << "the pieces joined in order are the source";
        EXPECT_EQ(testenv::readFile(out + "/report.pst.bat"), crlf(c.batch));
        EXPECT_EQ(testenv::readFile(dir + "/report.pst"), data) << "the source is left as it was";
    }
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(Split, AnExistingPieceIsReplacedAndAReadOnlySourceCanBeSplit) {
    const QString dir = testenv::tempDir("existing");
    const QString out = dir + "/splitfile";
    const QByteArray data = pattern(2500);
    testenv::writeFile(dir + "/report.pst", data);
    QFile::setPermissions(dir + "/report.pst", QFile::ReadOwner);
    testenv::writeFile(out + "/REPORT.PST.2", "old piece of another run");   // other case: the same name

    EXPECT_TRUE(SplitFiles(win(dir) + "\\report.pst", win(out), 1000));
    EXPECT_EQ(entries(out), (QStringList{"report.pst.1", "report.pst.2", "report.pst.3", "report.pst.bat"}));
    EXPECT_EQ(testenv::readFile(out + "/report.pst.2"), data.mid(1000, 1000));
}

TEST_F(Split, ASourceThatIsGoneCreatesNothingAndIsLogged) {
    const QString dir = testenv::tempDir("gone");
    const QString out = dir + "/splitfile";
    EXPECT_FALSE(SplitFiles(win(dir) + "\\report.pst", win(out), 1000));
    EXPECT_FALSE(QFileInfo::exists(dir + "/report.pst")) << "no empty file of the source's name";
    EXPECT_TRUE(entries(out).isEmpty());
    EXPECT_TRUE(logMentions("SplitFiles of Modul NRV_FileSplit  2  53  "));
}

TEST_F(Split, APieceThatCannotBeWrittenStopsTheSplitWithoutBatchFile) {
    const QString dir = testenv::tempDir("blocked");
    const QString out = dir + "/splitfile";
    testenv::writeFile(dir + "/report.pst", pattern(2500));
    QDir().mkpath(out + "/report.pst.2/inside");   // a folder where piece 2 should go

    EXPECT_FALSE(SplitFiles(win(dir) + "\\report.pst", win(out), 1000));
    EXPECT_EQ(entries(out), (QStringList{"report.pst.1", "report.pst.2"}));   // no batch, no temporary file
    EXPECT_TRUE(QFileInfo(out + "/report.pst.2").isDir());
    EXPECT_TRUE(logMentions("SplitFiles of Modul NRV_FileSplit"));
}

TEST_F(Split, FolderAndNameOfAPath) {
    struct Case {
        QString path, folder, name;
    } cases[] = {
        {"report.pst", "", "report.pst"},
        {"C:\\report.pst", "C:\\", "report.pst"},
        {"C:\\Data\\report.pst", "C:\\Data\\", "report.pst"},
        {"\\\\srv\\share\\x\\y.z", "\\\\srv\\share\\x\\", "y.z"},
        {"C:\\Data\\", "C:\\Data\\", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetermineDirectory(c.path), c.folder) << c.path.toStdString();
        EXPECT_EQ(DetermineFilename(c.path), c.name) << c.path.toStdString();
    }
}

TEST_F(Split, BatchNamesInTheWindowsCodePage) {
    const QByteArray b = RejoinBatchText(QString::fromUtf8("Bücher €.doc"), 1);
    EXPECT_TRUE(b.contains("IF EXIST \"B\xFC" "cher \x80.doc\" DEL"));
}
