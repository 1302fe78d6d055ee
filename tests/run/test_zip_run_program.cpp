// SPDX-License-Identifier: GPL-3.0-or-later
// The built program started with "/run /profile: /dir:", offscreen, on a
// profile saved beforehand; the archive at the destination read with
// independent readers.
#include "ZipRunFixture.h"
#include "settings/SaveSettings.h"

using namespace ziprun;

namespace {

class ZipRunProgram : public ZipRunTest {};

TEST_F(ZipRunProgram, RunSwitchBacksUpTheProfileAndEndsTheProgram) {
    const QString startUp = QString::fromUtf8(testenv::readFile(testenv::sourceDir() + QStringLiteral("/app/main.cpp")));
    if (!startUp.contains(QStringLiteral("Main(")))
        GTEST_SKIP() << "the program's start-up does not apply its command line yet";

    const QString a = WriteSource(QStringLiteral("a.txt"), QByteArray("text for the archive ").repeated(100));
    const QString b = WriteSource(QStringLiteral("sub/b.bin"), Incompressible(3000, 5));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    AddSource(Win(src) + QStringLiteral("\\sub\\*.*"));
    const QString elsewhere = testenv::tempDir(QStringLiteral("not-here"));
    f().txtPathBackUp->setText(Win(elsewhere));  // "/dir:" names the destination of this start
    Save_Settings();

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(testenv::builtProgram(),
                  {QStringLiteral("/run"), QStringLiteral("/profile:P"), QStringLiteral("/dir:") + Win(dest) + "\\"});
    ASSERT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAll().toStdString();

    const QString archive = dest + QLatin1Char('/') + TodaysName(1);
    EXPECT_EQ(FilesIn(dest), QStringList({TodaysName(1), TodaysName(1) + QStringLiteral(".log")}));
    EXPECT_TRUE(FilesIn(elsewhere).isEmpty());
    EXPECT_TRUE(UnzipTestPasses(archive));
    const ZipListing z = ReadWithPython(archive);
    ASSERT_TRUE(z.readable);
    ASSERT_EQ(z.entries.size(), 2);
    EXPECT_EQ(z.find(QStringLiteral("/a.txt"))->data, testenv::readFile(a));
    EXPECT_EQ(z.find(QStringLiteral("/sub/b.bin"))->data, testenv::readFile(b));
    EXPECT_EQ(LogLines(archive + QStringLiteral(".log")).size(), 2);
    EXPECT_TRUE(TempIsClean());
}

}  // namespace
