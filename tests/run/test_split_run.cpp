// SPDX-License-Identifier: GPL-3.0-or-later
// A ZIP run that meets a file larger than a whole volume and splits it.
#include "ZipRunFixture.h"
#include "platform/FileSystem.h"
#include "run/NRV_FileSplit.h"

using namespace ziprun;

namespace {

class SplitRun : public ZipRunTest {};

}  // namespace

TEST_F(SplitRun, PiecesAndBatchFileGoIntoTheVolumesAndJoinToTheFile) {
    const QByteArray big = Incompressible(100000, 11);
    WriteSource("report.pst", big);
    WriteSource("small.txt", "small");
    AddSource(Win(src) + "\\*.*");
    f().chkMaxZIPsize->setValue(1);
    f().chkSplit->setValue(1);
    f().txtMaxZIPsize->setText("0.05");   // 52428.8 bytes a volume: pieces of 42429 bytes
    Run();

    // Each piece is stored once, beside where the file itself would stand.
    const QString folder = Win(src).mid(3).replace('\\', '/') + "/";
    QMap<QString, QByteArray> stored;
    for (const QString& name : FilesIn(dest, "*.zip")) {
        EXPECT_TRUE(UnzipTestPasses(dest + "/" + name)) << name.toStdString();
        const ZipListing z = ReadWithPython(dest + "/" + name);
        ASSERT_TRUE(z.readable) << name.toStdString();
        for (const ZipEntry& e : z.entries) {
            EXPECT_TRUE(e.name.startsWith(folder)) << e.name.toStdString();
            EXPECT_FALSE(stored.contains(e.name.mid(folder.size()))) << e.name.toStdString();
            stored.insert(e.name.mid(folder.size()), e.data);
        }
    }
    ASSERT_TRUE(stored.contains("report.pst.1") && stored.contains("report.pst.2") && stored.contains("report.pst.3"))
        << QStringList(stored.keys()).join(", ").toStdString();
    EXPECT_FALSE(stored.contains("report.pst")) << "the whole file is not stored";
    EXPECT_FALSE(stored.contains("report.pst.4"));
    EXPECT_EQ(stored["report.pst.1"].size(), 42429);
    EXPECT_EQ(stored["report.pst.2"].size(), 42429);
    EXPECT_TRUE(stored["report.pst.1"] + stored["report.pst.2"] + stored["report.pst.3"] == big);
    EXPECT_EQ(stored["report.pst.bat"], RejoinBatchText("report.pst", 3));
    EXPECT_EQ(stored["small.txt"], "small");
    // Files taken: the split file once, however many pieces it made.
    EXPECT_EQ(f().txtTotalFiles->Text(), "2");
    EXPECT_FALSE(QFileInfo::exists(temp + "/splitfile")) << "the pieces' folder is gone after the run";
    EXPECT_TRUE(TempIsClean());

    // Its archive flag is cleared like any other file's: a run of new files
    // does not store it again.
    EXPECT_FALSE(platform::GetAttr(Win(src + "/report.pst")) & platform::vbArchive);
    for (const QString& name : FilesIn(dest))
        QFile::remove(dest + "/" + name);
    f().optNewOnly->setValue(true);
    Run();
    for (const QString& name : FilesIn(dest, "*.zip"))
        for (const ZipEntry& e : ReadWithPython(dest + "/" + name).entries)
            EXPECT_FALSE(e.name.contains("report.pst")) << e.name.toStdString();
}
