// SPDX-License-Identifier: GPL-3.0-or-later
#include <QProcess>
#include <sys/mount.h>

#include "SettingsTest.h"
#include "settings/LoadSettings.h"
#include "settings/ProfileFiles.h"

namespace {
struct FileCase {
    const char* name;
    QStringList entries;  // "[x] text" ticked, "[ ] text" not
    QByteArray bytes;
};
}  // namespace

class ProfileFileBytes : public SettingsTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ProfileFileBytes, AreTwoLinesPerEntryAndLoadBack) {
    const FileCase& c = GetParam();
    for (const QString& e : c.entries) {
        f->List1->AddItem(e.mid(4));
        f->List1->setSelected(f->List1->ListCount() - 1, e.startsWith("[x]"));
    }
    saveProfile("Bytes");
    EXPECT_EQ(testenv::readFile(pflHost("Bytes")), c.bytes);

    f->chkAddNewSub->setValue(1);
    f->List1->AddItem("C:\\left over\\*.*");
    loadProfile("Bytes");
    EXPECT_EQ(listEntries(), c.entries);
    EXPECT_EQ(errorsLabelled("saveProfile of Modul Vaultora_Sub") + errorsLabelled("loadProfile of Modul Vaultora_Sub"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileFileBytes,
    ::testing::Values(
        FileCase{"empty", {}, ""},
        FileCase{"one", {"[x] C:\\Data\\*.*"}, "C:\\Data\\*.*\r\n-1 \r\n"},
        FileCase{"several",
                 {"[x] C:\\Smith, John\\*.*", "[ ] \\\\server\\share\\Data\\*.*", "[x] D:\\report 1.doc",
                  "[ ] C:\\Übung\\*.*"},
                 "C:\\Smith, John\\*.*\r\n-1 \r\n\\\\server\\share\\Data\\*.*\r\n 0 \r\nD:\\report 1.doc\r\n-1 \r\n"
                 "C:\\\xC3\x9C" "bung\\*.*\r\n 0 \r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, BlankProfileNameWritesNoFile) {
    f->List1->AddItem("C:\\Data\\*.*");
    saveProfile("   ");
    EXPECT_FALSE(QFile::exists(pflHost("   ")));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(SettingsTest, ProfileNameThatCannotBeAFileNameIsLoggedAndWritesNothing) {
    f->List1->AddItem("C:\\Data\\*.*");
    for (const QString name : {"a:b", "a/b", "a\\b", "x*", "what?", "q\"t", "<a>", "p|q"}) {
        QFile::remove(logHost());
        saveProfile(name);
        const QStringList lines = logLines();
        ASSERT_EQ(lines.size(), 2) << name.toStdString();
        EXPECT_TRUE(lines[0].contains("  saveProfile of Modul Vaultora_Sub  ")) << lines[0].toStdString();
        // Trace: the name, the entry count, the entry at the current index.
        EXPECT_EQ(lines[1], name + " 1 C:\\Data\\*.*");
    }
    QDir program(testenv::programDir());
    EXPECT_TRUE(program.entryList({"*.pfl"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(testenv::programDir() + "/a").entryList(QDir::Files).isEmpty());
}

TEST_F(SettingsTest, ReadOnlyProfileFileIsNotReplaced) {
    testenv::writeFile(pflHost("Locked"), "C:\\Old\\*.*\r\n-1 \r\n");
    QFile::setPermissions(pflHost("Locked"), QFile::ReadOwner | QFile::ReadGroup);
    f->List1->AddItem("C:\\New\\*.*");
    saveProfile("Locked");
    EXPECT_EQ(testenv::readFile(pflHost("Locked")), "C:\\Old\\*.*\r\n-1 \r\n");
    EXPECT_EQ(errorsLabelled("saveProfile of Modul Vaultora_Sub"), 1);
    QFile::setPermissions(pflHost("Locked"), QFile::ReadOwner | QFile::WriteOwner);
}

// A save that fails part way (the disk fills up) leaves the previous file
// whole and no temporary file behind.
TEST_F(SettingsTest, SaveThatFailsPartWayKeepsTheOldFile) {
    if (!testenv::isRoot())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QString dir = testenv::tempDir("tinyfs");
    ASSERT_EQ(::mount("tmpfs", dir.toLocal8Bit().constData(), "tmpfs", 0, "size=64k"), 0);
    const QByteArray oldProgramDir = qgetenv("VAULTORA_PROGRAM_DIR");
    qputenv("VAULTORA_PROGRAM_DIR", dir.toLocal8Bit());
    const QByteArray good = "C:\\Good\\*.*\r\n-1 \r\n";
    testenv::writeFile(dir + "/Full.pfl", good);

    const QString longEntry = "C:\\" + QString(1000, 'x') + "\\*.*";
    for (int i = 0; i < 200; ++i)
        f->List1->AddItem(longEntry);
    saveProfile("Full");

    const QByteArray after = testenv::readFile(dir + "/Full.pfl");
    const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    qputenv("VAULTORA_PROGRAM_DIR", oldProgramDir);
    ::umount(dir.toLocal8Bit().constData());

    EXPECT_EQ(after, good);
    EXPECT_EQ(left, QStringList{"Full.pfl"});
    // The log lies beside that program folder.
    const QStringList lines = QString::fromUtf8(testenv::readFile(dir + "/../Common/error.log")).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("  saveProfile of Modul Vaultora_Sub  ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("  61  Disk full")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("Full 200 C:\\xxx")) << lines[1].left(40).toStdString();
}

namespace {
struct LoadCase {
    const char* name;
    int addNewSub;
    QByteArray file;
    QStringList entries;
    int loadErrors;
};
}  // namespace

class ProfileFileLoad : public SettingsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(ProfileFileLoad, FollowsTheReaderRules) {
    const LoadCase& c = GetParam();
    testenv::writeFile(pflHost("Rules"), c.file);
    f->chkAddNewSub->setValue(c.addNewSub);
    loadProfile("Rules");
    EXPECT_EQ(listEntries(), c.entries);
    EXPECT_EQ(errorsLabelled("loadProfile of Modul Vaultora_Sub"), c.loadErrors);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileFileLoad,
    ::testing::Values(
        // A name is its exact bytes: only the drive letter's case makes a
        // duplicate, which is dropped.
        LoadCase{"duplicate_drive_letter_case", 0, "C:\\Data\\*.*\r\n 0 \r\nc:\\Data\\*.*\r\n-1 \r\n", {"[ ] C:\\Data\\*.*"}, 0},
        LoadCase{"other_case_is_another_folder", 0, "C:\\Data\\*.*\r\n 0 \r\nc:\\DATA\\*.*\r\n-1 \r\n",
                 {"[ ] C:\\Data\\*.*", "[x] c:\\DATA\\*.*"}, 0},
        LoadCase{"flag_two_selects_flag_x_drops", 0, "C:\\A\\*.*\r\n2\r\nC:\\B\\*.*\r\nx\r\nC:\\C\\*.*\r\n 0 \r\n",
                 {"[x] C:\\A\\*.*", "[ ] C:\\C\\*.*"}, 0},
        // A line that is no path takes no flag line; its flag line is passed
        // over in turn.
        LoadCase{"other_lines", 0, "garbage\r\n-1 \r\nC:\\A\\*.*\r\n-1 \r\n", {"[x] C:\\A\\*.*"}, 0},
        LoadCase{"lf_only_and_unc", 0, "\\\\srv\\sh\\*.*\n-1 \n", {"[x] \\\\srv\\sh\\*.*"}, 0},
        LoadCase{"last_entry_without_flag", 0, "C:\\A\\*.*\r\n-1 \r\nC:\\B\\*.*\r\n", {"[x] C:\\A\\*.*"}, 1},
        LoadCase{"marker_dropped_without_option", 0,
                 "** automatically add new subdirectories to C:\\Nowhere\r\n-1 \r\nC:\\A\\*.*\r\n 0 \r\n",
                 {"[ ] C:\\A\\*.*"}, 0},
        // Unticked markers are kept without a walk; a second copy of a
        // marker sets the mark of the first.
        LoadCase{"markers_kept_with_option", 1,
                 "** automatically add new subdirectories to C:\\Nowhere\r\n 0 \r\n"
                 "** automatically add new subdirectories to C:\\Nowhere\r\n 0 \r\n",
                 {"[ ] ** automatically add new subdirectories to C:\\Nowhere",
                  "[ ] ** automatically add new subdirectories to C:\\Nowhere"},
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, LoadingWithoutAFileEmptiesTheListSilently) {
    f->List1->AddItem("C:\\x\\*.*");
    FileList = QStringList{"C:\\x\\a", "C:\\x\\b", ""};
    loadProfile("No such profile");
    EXPECT_EQ(f->List1->ListCount(), 0);
    EXPECT_EQ(FileList, QStringList{QString()});
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

TEST_F(SettingsTest, MarkerEntryIsAnnouncedAndATickedOneAddsTheNewSubfolders) {
    const QString root = testenv::tempDir("marked");
    QDir().mkpath(root + "/one/deep");
    QDir().mkpath(root + "/two");
    const QString marker = kAutoAddMarker + win(root);
    testenv::writeFile(pflHost("Marked"), (marker + "\r\n-1 \r\n").toUtf8());
    bSoundAvailable = true;
    f->chkSound->setValue(1);
    f->chkAddNewSub->setValue(1);
    f->RtbNews1->setText("older line");
    loadProfile("Marked");

    EXPECT_EQ(f->txtNews->Text(), LangText(204));
    EXPECT_EQ(f->RtbNews1->Text(), LangText(204) + "\r\nolder line");
    EXPECT_EQ(spoken, QStringList{"1|" + LangText(204)});
    QStringList entries = listEntries();
    ASSERT_EQ(entries.size(), 5);
    EXPECT_EQ(entries[0], "[x] " + marker);
    EXPECT_EQ(entries[1], "[x] " + win(root) + "\\*.*");
    entries = entries.mid(2);
    entries.sort();
    EXPECT_EQ(entries, QStringList({"[x] " + win(root) + "\\one\\*.*", "[x] " + win(root) + "\\one\\deep\\*.*",
                                    "[x] " + win(root) + "\\two\\*.*"}));
}

TEST_F(SettingsTest, AddProfileComparesWithLetterCase) {
    f->cmbProfiles->AddItem("Standard");
    add_profile("standard", f->cmbProfiles->ListCount());
    add_profile("Standard", f->cmbProfiles->ListCount());
    add_profile("   ", f->cmbProfiles->ListCount());
    // Only the first `count` items are compared.
    add_profile("Standard", 0);
    QStringList items;
    for (int i = 0; i < f->cmbProfiles->ListCount(); ++i)
        items << f->cmbProfiles->List(i);
    EXPECT_EQ(items, QStringList({"Standard", "standard", "Standard"}));
}

TEST_F(SettingsTest, ClearProfileEmptiesListAndNameButKeepsItems) {
    f->cmbProfiles->AddItem("Standard");
    f->cmbProfiles->setText("Standard");
    f->List1->AddItem("C:\\x\\*.*");
    cmdClearProfile_Click();
    EXPECT_EQ(f->List1->ListCount(), 0);
    EXPECT_EQ(f->cmbProfiles->Text(), "");
    EXPECT_EQ(f->cmbProfiles->ListCount(), 1);
}

// A fresh install has no profile file: the fallback profile is offered all
// the same, and stays pickable once other profiles have files.
TEST_F(SettingsTest, TheFallbackProfileIsAlwaysInTheList) {
    ASSERT_FALSE(QFile::exists(pflHost("Standard")));
    auto items = [&] {
        QStringList out;
        for (int i = 0; i < f->cmbProfiles->ListCount(); ++i)
            out << f->cmbProfiles->List(i);
        return out;
    };
    f->cmbProfiles->setText("Standard");
    Load_Settings();
    EXPECT_EQ(items(), QStringList{"Standard"});
    f->txtProfile->setText("Work");
    f->cmdSaveProfile();
    EXPECT_EQ(items(), QStringList({"Standard", "Work"}));

    // As at the next start: a new window lists the files, then the fallback.
    f->cmbProfiles->Clear();
    f->cmbProfiles->setText("Work");
    Load_Settings();
    EXPECT_EQ(items(), QStringList({"Work", "Standard"}));
    f->cmbProfiles->setListIndex(1);
    f->cmbProfiles_Click();
    EXPECT_EQ(f->cmbProfiles->Text(), "Standard");
    EXPECT_EQ(f->txtProfile->Text(), "Standard");
}
