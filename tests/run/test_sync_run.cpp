// SPDX-License-Identifier: GPL-3.0-or-later
// Runs in synchronisation mode.
#include <QDirIterator>
#include <QMap>

#include "ZipRunFixture.h"
#include "settings/SaveSettings.h"

using namespace ziprun;

namespace {

QMap<QString, QByteArray> Tree(const QString& root) { return testenv::treeContents(root); }

class SyncRun : public ZipRunTest {
protected:
    void SetUp() override {
        ZipRunTest::SetUp();
        f().optBuMode(2)->setValue(true);
        f().txtSourceSync->setText(Win(src));
        f().txtDestinySync->setText(Win(dest));
    }
};

}  // namespace

TEST_F(SyncRun, TreeOrOneFolderOneWayOrBothWays) {
    struct Case {
        int subDirs, bothWays;
        QMap<QString, QByteArray> source, destination;
    } cases[] = {
        {1, 1,
         {{"a.txt", "a"}, {"sub/b.txt", "b"}, {"back.txt", "back"}, {"only/d.txt", "d"}},
         {{"a.txt", "a"}, {"sub/b.txt", "b"}, {"back.txt", "back"}, {"only/d.txt", "d"}}},
        {1, 0,
         {{"a.txt", "a"}, {"sub/b.txt", "b"}},
         {{"a.txt", "a"}, {"sub/b.txt", "b"}, {"back.txt", "back"}, {"only/d.txt", "d"}}},
        {0, 1,
         {{"a.txt", "a"}, {"sub/b.txt", "b"}, {"back.txt", "back"}},
         {{"a.txt", "a"}, {"back.txt", "back"}, {"only/d.txt", "d"}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        src = testenv::tempDir(QString("s%1").arg(n));
        dest = testenv::tempDir(QString("d%1").arg(n++));
        testenv::writeFile(src + "/a.txt", "a");
        testenv::writeFile(src + "/sub/b.txt", "b");
        testenv::writeFile(dest + "/back.txt", "back");
        testenv::writeFile(dest + "/only/d.txt", "d");
        f().txtSourceSync->setText(Win(src));
        f().txtDestinySync->setText(Win(dest));
        f().chkSyncSubDirs->setValue(c.subDirs);
        f().chkSyncBothDirections->setValue(c.bothWays);
        Run();
        EXPECT_EQ(Tree(src), c.source);
        EXPECT_EQ(Tree(dest), c.destination);
        EXPECT_EQ(f().txtNews->Text().left(LangText(121).size()), LangText(121));
    }
    EXPECT_TRUE(ErrorLog().isEmpty()) << ErrorLog().toStdString();
}

TEST_F(SyncRun, AFileThatCannotBeCopiedIsNamedAndTheRunAndTheProgramAfterGoOn) {
    testenv::writeFile(src + "/a.txt", "newer");   // another size: copied
    testenv::writeFile(dest + "/a.txt", "old");
    QFile::setPermissions(dest + "/a.txt", QFile::ReadOwner);
    const QString after = testenv::tempDir("after") + "/after.sh";
    const QString marker = testenv::tempDir("marker") + "/ran.txt";
    testenv::writeFile(after, ("#!/bin/sh\necho ran > " + marker + "\n").toUtf8());
    QFile::setPermissions(after, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    f().chkSyncSubDirs->setValue(0);
    f().chkSyncBothDirections->setValue(0);
    f().chkRunAfter->setValue(1);
    f().txtPathAfter->setText(Win(after));
    f().optWaitAfter(4)->setValue(true);
    Run();
    EXPECT_EQ(testenv::readFile(dest + "/a.txt"), "old");
    // The file is named in the error log; the run went on to its end.
    EXPECT_TRUE(ErrorLog().contains("SynchronizeFiles")) << ErrorLog().toStdString();
    EXPECT_TRUE(ErrorLog().contains("  70  "));
    EXPECT_TRUE(ErrorLog().contains(Win(src) + "\\a.txt")) << ErrorLog().toStdString();
    EXPECT_EQ(testenv::readFile(marker), "ran\n");
}

TEST_F(SyncRun, RunSwitchSynchronisesTheProfilesFoldersAndEndsTheProgram) {
    const QString startUp = QString::fromUtf8(testenv::readFile(testenv::sourceDir() + "/app/main.cpp"));
    if (!startUp.contains("Main("))
        GTEST_SKIP() << "the program's start-up does not apply its command line yet";
    testenv::writeFile(src + "/a.txt", "a");
    testenv::writeFile(src + "/sub/b.txt", "b");
    testenv::writeFile(dest + "/back.txt", "back");
    f().chkSyncSubDirs->setValue(1);
    f().chkSyncBothDirections->setValue(1);
    Save_Settings();
    form.reset();

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(testenv::builtProgram(), {"/run", "/profile:P"});
    ASSERT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAll().toStdString();
    const QMap<QString, QByteArray> both = {{"a.txt", "a"}, {"sub/b.txt", "b"}, {"back.txt", "back"}};
    EXPECT_EQ(Tree(src), both);
    EXPECT_EQ(Tree(dest), both);
}

// A synchronisation that is refused (its folders not set, or one inside the
// other) says why in a box and in the status line, makes and copies
// nothing, and is not counted as a backup.
TEST_F(SyncRun, ARefusedSynchronisationSaysWhyAndCountsNoBackup) {
    struct Case {
        const char* name;
        QString source, destination;
        QString reason;
    } const cases[] = {
        {"not set", QString(), Win(dest), LangText(281)},
        {"inside", Win(src), Win(src) + "\\copy",
         "The destination of the synchronisation lies inside its source folder: " + Win(src) + "  -->>  " + Win(src) +
             "\\copy"},
    };
    testenv::writeFile(src + "/a.txt", "a");
    f().chkSyncSubDirs->setValue(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::Dialogs::scriptAnswers({});
        f().txtSourceSync->setText(c.source);
        f().txtDestinySync->setText(c.destination);
        const QString backups = f().lblNumberOfBackups->Caption();
        Run();
        EXPECT_EQ(f().txtNews->Text(), c.reason);
        EXPECT_EQ(f().lblNumberOfBackups->Caption(), backups);
        ASSERT_EQ(platform::Dialogs::shown().size(), 1);
        EXPECT_TRUE(platform::Dialogs::shown().at(0).prompt.endsWith(LangText(282)));
        EXPECT_EQ(Tree(src), (QMap<QString, QByteArray>{{"a.txt", "a"}}));
        EXPECT_TRUE(Tree(dest).isEmpty());
        EXPECT_TRUE(f().tbTools->Buttons(3).Enabled());   // Start can be clicked again
    }
}
