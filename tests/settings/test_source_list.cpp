// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsTest.h"
#include "platform/ScriptingFileSystem.h"

namespace {
void MakeTree(const QString& root, const QStringList& folders) {
    for (const QString& sub : folders)
        QDir().mkpath(root + "/" + sub);
}
}  // namespace

class SourceListTest : public SettingsTest {
protected:
    // AddItem for a folder, as the add-folder commands call it.
    void addFolder(const QString& path, bool withSubs, bool popMessage = false) {
        bool onlyFile = false;
        QString addPath = path;
        f->AddItem(onlyFile, withSubs, addPath, popMessage);
    }
    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < f->List1->ListCount(); ++i)
            out << f->List1->List(i);
        return out;
    }
};

TEST_F(SourceListTest, FolderTreeIsAddedDepthFirstInListingOrder) {
    const QString host = testenv::tempDir("tree");
    MakeTree(host, {"a/b/c", "a/d"});
    const QString a = win(host + "/a");
    addFolder(a, true);

    QStringList expected = {a + "\\*.*"};
    for (const QString& sub : platform::ScriptingFileSystem().GetFolder(a).SubFolderNames()) {
        expected << a + "\\" + sub + "\\*.*";
        if (sub == "b")
            expected << a + "\\b\\c\\*.*";
    }
    EXPECT_EQ(texts(), expected);
    for (int i = 0; i < f->List1->ListCount(); ++i)
        EXPECT_TRUE(f->List1->Selected(i));

    // Without sub-folders only the folder; again nothing is added twice.
    f->List1->Clear();
    addFolder(a + "\\", false);
    addFolder(a, true);
    EXPECT_EQ(texts().size(), 4);
    EXPECT_EQ(texts()[0], a + "\\*.*");
}

// Folders whose names differ only in case are two folders: "Subfolders >"
// adds both, and "Folder >" on the second adds it beside the first.
TEST_F(SourceListTest, FolderTwinsAreTwoEntries) {
    const QString host = testenv::tempDir("twins");
    MakeTree(host, {"top/Photos/x", "top/photos/y"});
    const QString top = win(host + "/top");
    addFolder(top, true);
    QStringList got = texts();
    got.sort();
    QStringList want = {top + "\\*.*", top + "\\Photos\\*.*", top + "\\Photos\\x\\*.*",
                        top + "\\photos\\*.*", top + "\\photos\\y\\*.*"};
    want.sort();
    EXPECT_EQ(got, want);

    f->List1->Clear();
    f->chkSelectionWarning->setValue(1);
    addFolder(top + "\\Photos", false);
    addFolder(top + "\\photos", false, true);
    EXPECT_EQ(texts(), (QStringList{top + "\\Photos\\*.*", top + "\\photos\\*.*"}));
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

TEST_F(SourceListTest, DriveRootGetsItsOwnEntryForm) {
    addFolder("C:\\", false);
    EXPECT_EQ(texts(), QStringList{"C:\\*.*"});
}

TEST_F(SourceListTest, ExcludedAndRecycledFoldersAreSkippedOnlyWhenTheyHaveSubfolders) {
    const QString host = testenv::tempDir("excl");
    MakeTree(host, {"top/temp/inner", "top/Temp2", "top/Recycled/x", "top/keep", "leaf/temp", "leaf/Recycled"});
    BackupDirExclusions = {};
    ParseMaskList("temp", false, BackupDirExclusions, "test");

    addFolder(win(host + "/top"), true);
    QStringList got = texts();
    got.sort();
    const QString top = win(host + "/top");
    QStringList want = {top + "\\*.*", top + "\\keep\\*.*", top + "\\Temp2\\*.*"};
    want.sort();
    EXPECT_EQ(got, want);

    // Leaf folders come straight from the walk without the test.
    f->List1->Clear();
    addFolder(win(host + "/leaf"), true);
    got = texts();
    got.sort();
    const QString leaf = win(host + "/leaf");
    want = {leaf + "\\*.*", leaf + "\\Recycled\\*.*", leaf + "\\temp\\*.*"};
    want.sort();
    EXPECT_EQ(got, want);

    // The excluded folder itself, added on its own.
    f->List1->Clear();
    addFolder(win(host + "/leaf/temp"), false);
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(SourceListTest, BackupMarkInAnyCaseKeepsAFolderOut) {
    const QString host = testenv::tempDir("marks");
    MakeTree(host, {"my backup_2004/sub", "plain/old BACKUP_x"});
    addFolder(win(host + "/my backup_2004"), true);
    EXPECT_TRUE(texts().isEmpty());
    addFolder(win(host + "/plain"), true);
    EXPECT_EQ(texts(), QStringList{win(host + "/plain") + "\\*.*"});
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

TEST_F(SourceListTest, DuplicateWarningOnlyWhenAskedAndWanted) {
    const QString host = testenv::tempDir("dups");
    testenv::writeFile(host + "/report.doc", "x");
    testenv::writeFile(host + "/other.txt", "x");
    f->File1->setPath(win(host));
    ASSERT_EQ(f->File1->ListCount(), 2);
    const int report = f->File1->List(0) == "report.doc" ? 0 : 1;
    f->File1->setListIndex(report);
    f->File1->setSelected(report, true);
    f->File1->setSelected(1 - report, false);

    auto addFiles = [&](bool popMessage) {
        bool onlyFile = true, withSubs = false;
        QString addPath;
        f->AddItem(onlyFile, withSubs, addPath, popMessage);
        return addPath;
    };
    f->chkSelectionWarning->setValue(1);
    EXPECT_EQ(addFiles(true), win(host) + "\\");
    EXPECT_EQ(texts(), QStringList{win(host) + "\\report.doc"});
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());

    // The same file with its drive letter in the other case is a duplicate;
    // a name in another letter case is another file.
    const QString entry = f->List1->List(0);
    f->List1->setList(0, entry.left(1).toLower() + entry.mid(1));
    addFiles(true);
    ASSERT_EQ(platform::Dialogs::shown().size(), 1);
    EXPECT_EQ(platform::Dialogs::shown()[0].prompt, LangText(203) + "\r\n\r\n" + win(host) + "\\report.doc");
    EXPECT_EQ(platform::Dialogs::shown()[0].style, 48);
    EXPECT_EQ(f->List1->ListCount(), 1);
    f->List1->setList(0, entry.left(3) + entry.mid(3).toUpper());
    addFiles(true);
    EXPECT_EQ(platform::Dialogs::shown().size(), 1);
    EXPECT_EQ(texts(), (QStringList{entry.left(3) + entry.mid(3).toUpper(), entry}));

    f->chkSelectionWarning->setValue(0);
    addFiles(true);
    EXPECT_EQ(platform::Dialogs::shown().size(), 1);

    // Two selected files are each added; a run without a selection adds nothing.
    f->List1->Clear();
    f->File1->setSelected(1 - report, true);
    addFiles(false);
    EXPECT_EQ(f->List1->ListCount(), 2);
    f->File1->setSelected(0, false);
    f->File1->setSelected(1, false);
    f->List1->Clear();
    addFiles(false);
    EXPECT_EQ(f->List1->ListCount(), 0);
}

// A name is its exact bytes: only the drive letter may differ in case.
TEST_F(SourceListTest, VerificaDupComparesNamesExactly) {
    f->List1->AddItem("C:\\Data\\*.*");
    f->List1->AddItem("D:\\x.doc");
    f->List1->AddItem("c:\\Photos\\*.*");
    f->List1->AddItem("C:\\Photos\\*.*");
    const struct {
        const char* item;
        int found;
    } cases[] = {{"C:\\Data\\*.*", 0},  {"c:\\Data\\*.*", 0},   {"c:\\data\\*.*", -1},
                 {"D:\\X.DOC", -1},      {"d:\\x.doc", 1},        {"D:\\x.do", -1},
                 {"C:\\photos\\*.*", -1}, {"C:\\Photos\\*.*", 2}, {"c:\\Photos\\*.*", 2}};
    for (const auto& c : cases)
        EXPECT_EQ(f->VerificaDup(QString::fromUtf8(c.item)), c.found) << c.item;
    f->List1->Clear();
    EXPECT_EQ(f->VerificaDup(""), -1);
}

TEST_F(SourceListTest, FolderExclusionTestsTheLastNameAndAnInvalidMaskExcludes) {
    ParseMaskList("backup,temp,te?p#", false, BackupDirExclusions, "test");
    const struct {
        const char* path;
        bool excluded;
    } cases[] = {{"C:\\Data\\Temp\\", true}, {"C:\\Data\\temp", true},  {"C:\\Temp\\Data", false},
                 {"C:\\", false},           {"C:\\x\\tezp1", true},    {"C:\\x\\*.*", false}};
    for (const auto& c : cases)
        EXPECT_EQ(f->File_DirExcluded(c.path), c.excluded) << c.path;
    EXPECT_EQ(errorsLabelled("File_DirExcluded of Formular frmMain_BackUp"), 0);

    ParseMaskList("[a-", false, BackupDirExclusions, "test");
    EXPECT_TRUE(f->File_DirExcluded("C:\\anything"));
    EXPECT_EQ(errorsLabelled("File_DirExcluded of Formular frmMain_BackUp"), 1);
}
