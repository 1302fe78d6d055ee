// SPDX-License-Identifier: GPL-3.0-or-later
// A destination that fills up: a small tmpfs mounted by the test (root
// only), given its own drive letter.
#include <QProcess>
#include <utime.h>

#include "ZipRunFixture.h"
#include "platform/Drives.h"
#include "run/NewMediumHook.h"

using namespace ziprun;

namespace {

class FullMedium : public ZipRunTest {
protected:
    void SetUp() override {
        if (!testenv::isRoot())
            GTEST_SKIP() << "mounting a tmpfs needs root";
        ZipRunTest::SetUp();
        mount = testenv::tempDir(QStringLiteral("medium"));
        if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                        QStringLiteral("size=2m"), QStringLiteral("tmpfs"), mount}) != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted here";
        mounted = true;
        platform::SetDriveOverride(QLatin1Char('T'), mount);
        // Leave about 700 KB free on the 2 MB medium.
        testenv::writeFile(mount + QStringLiteral("/filler"), QByteArray(1400 * 1024, 'f'));
        f().txtPathBackUp->setText(QStringLiteral("T:\\backup"));
        f().txtMaxZIPsize->setText(QStringLiteral("1"));
        // One small file, then one that does not fit the room left.
        AddSource(Win(QFileInfo(WriteSource(QStringLiteral("one/small.bin"), Incompressible(300 * 1024, 1))).absolutePath()) +
                  QStringLiteral("\\*.*"));
        AddSource(Win(QFileInfo(WriteSource(QStringLiteral("two/large.bin"), Incompressible(900 * 1024, 2))).absolutePath()) +
                  QStringLiteral("\\*.*"));
    }
    void TearDown() override {
        SetNewMediumHookForTest({});
        if (mounted) {
            platform::SetDriveOverride(QLatin1Char('T'), QString());
            QProcess::execute(QStringLiteral("umount"), {mount});
        }
        ZipRunTest::TearDown();
    }
    QString backup() const { return mount + QStringLiteral("/backup"); }

    QString mount;
    bool mounted = false;
};

TEST_F(FullMedium, NewMediumPromptThenTheNextVolume) {
    int prompts = 0;
    SetNewMediumHookForTest([&] {
        ++prompts;
        QFile::remove(mount + QStringLiteral("/filler"));  // the user makes room
    });
    platform::Dialogs::scriptAnswers({int(platform::vbOK)});

    Run();

    EXPECT_EQ(prompts, 1);
    EXPECT_FALSE(ProgramEnded());
    EXPECT_EQ(FilesIn(backup(), QStringLiteral("*.zip")), QStringList({TodaysName(1), TodaysName(2)}));
    const QStringList expected[] = {{QStringLiteral("small.bin")}, {QStringLiteral("large.bin")}};
    for (int v = 1; v <= 2; ++v) {
        const QString archive = backup() + QLatin1Char('/') + TodaysName(v);
        EXPECT_TRUE(UnzipTestPasses(archive)) << v;
        const ZipListing z = ReadWithPython(archive);
        ASSERT_TRUE(z.readable) << v;
        ASSERT_EQ(z.entries.size(), 1) << v;
        EXPECT_TRUE(z.entries[0].name.endsWith(expected[v - 1][0])) << v;
        EXPECT_EQ(LogLines(archive + QStringLiteral(".log")).size(), 1);
    }
    EXPECT_TRUE(TempIsClean());
    EXPECT_TRUE(f().txtNews->Text().startsWith(LangText(121)));
}

TEST_F(FullMedium, UnattendedTheProgramEndsAtThePromptAndKeepsOldArchives) {
    QDir().mkpath(backup());
    const QString old = backup() + QStringLiteral("/P_BackUp_d20000101.zip");
    testenv::writeFile(old, QByteArray("an old archive"));
    struct utimbuf longAgo {946684800, 946684800};
    ::utime(QFile::encodeName(old).constData(), &longAgo);
    f().chkDeleteArchive->setValue(1);
    f().txtDeleteArchive->setText(QStringLiteral("1"));
    platform::Dialogs::scriptAnswers({});  // nobody answers: every box takes its default

    Run();

    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(FilesIn(backup()), QStringList({QStringLiteral("P_BackUp_d20000101.zip")}));
    EXPECT_EQ(testenv::readFile(old), QByteArray("an old archive"));
    const auto& shown = platform::Dialogs::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].prompt.startsWith(LangText(124)));
    EXPECT_EQ(shown[0].answer.toInt(), int(platform::vbCancel));
    EXPECT_TRUE(shown[1].prompt.startsWith(LangText(127)));
}

// Copy mode keeps count of the room it uses between measurements: the file
// of a folder that no longer fits still brings the prompt before it is
// copied, and after the user made room the copy goes on with it.
TEST_F(FullMedium, CopyModeAsksForANewMediumWhenTheNextFileOfAFolderDoesNotFit) {
    f().optBuMode(1)->setValue(true);
    f().chkInclSubDirStruct->setValue(0);
    f().List1->Clear();
    const QByteArray parts[] = {Incompressible(250 * 1024, 3), Incompressible(250 * 1024, 4),
                                Incompressible(250 * 1024, 5)};
    for (int i = 0; i < 3; ++i)
        WriteSource(QStringLiteral("three/part%1.bin").arg(i), parts[i]);
    AddSource(Win(src) + QStringLiteral("\\three\\*.*"));
    int prompts = 0;
    int copiedBeforePrompt = -1;
    SetNewMediumHookForTest([&] {
        ++prompts;
        copiedBeforePrompt = int(FilesIn(backup()).size());
        QFile::remove(mount + QStringLiteral("/filler"));
    });
    platform::Dialogs::scriptAnswers({int(platform::vbOK)});

    Run();

    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(copiedBeforePrompt, 2);
    EXPECT_FALSE(ProgramEnded());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(testenv::readFile(backup() + QStringLiteral("/part%1.bin").arg(i)), parts[i]) << i;
    EXPECT_EQ(f().txtTotalFiles->Text(), QStringLiteral("3"));
    EXPECT_TRUE(ErrorLog().isEmpty()) << ErrorLog().toStdString();
}

}  // namespace
