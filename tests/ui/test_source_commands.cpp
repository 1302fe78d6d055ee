// SPDX-License-Identifier: GPL-3.0-or-later
// The source list's commands, the folder tree's selection and the pickers of
// the main window's path fields.
#include <QDir>
#include <QFileInfo>

#include "UiTest.h"
#include "common/NRV_FilePathInput.h"
#include "platform/FolderDialog.h"
#include "settings/ProfileFiles.h"

namespace {

class SourceCommandsTest : public UiTest {
protected:
    void fill(std::initializer_list<bool> ticks) {
        w->List1->Clear();
        int i = 0;
        for (bool t : ticks) {
            w->List1->AddItem(QString("C:\\e%1\\*.*").arg(i));
            w->List1->setSelected(i++, t);
        }
    }
    QStringList entries() const {
        QStringList out;
        for (int i = 0; i < w->List1->ListCount(); ++i)
            out << w->List1->List(i);
        return out;
    }
};
using platform::Dialogs;

TEST_F(SourceCommandsTest, TickUntickAndRemove) {
    fill({false, true, false});
    w->cmdSelect_Click();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(w->List1->Selected(i));
    w->cmdUnselect_Click();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(w->List1->Selected(i));

    fill({true, false, true, true, false});
    w->cmdExclude_Click();
    EXPECT_EQ(entries(), (QStringList{"C:\\e1\\*.*", "C:\\e4\\*.*"}));

    w->cmdExclude_Click();  // nothing ticked: nothing goes
    EXPECT_EQ(entries().size(), 2);

    w->List1->AddItem(kAutoAddMarker + "C:\\Data");
    w->List1->setSelected(2, true);
    w->cmdExclude_Click();  // the marker goes like any entry
    EXPECT_EQ(entries(), (QStringList{"C:\\e1\\*.*", "C:\\e4\\*.*"}));

    w->List1->Clear();
    w->cmdSelect_Click();  // an empty list
    w->cmdExclude_Click();
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_FALSE(QFile::exists(logHost()));
}

TEST_F(SourceCommandsTest, TheTreeShowsItsFolderAndTheAddCommandsTakeIt) {
    const QString data = testenv::home() + "/TreeData";
    QDir().mkpath(data + "/sub");
    testenv::writeFile(data + "/a.txt", "a");
    testenv::writeFile(data + "/b.txt", "b");
    w->FolderTreeview1->setSelectedFolder("C:\\TreeData");
    EXPECT_EQ(w->File1->Path(), "C:\\TreeData");
    ASSERT_EQ(w->File1->ListCount(), 2);

    w->List1->Clear();
    w->cmdDirPlus_Click();
    EXPECT_EQ(entries(), QStringList{"C:\\TreeData\\*.*"});
    w->File1->setSelected(1, true);
    w->File1->setListIndex(1);
    w->cmdFilesPlus_Click();
    EXPECT_EQ(entries().last(), "C:\\TreeData\\b.txt");
    w->chkAddNewSub->setValue(0);
    w->cmdSubPlus_Click();
    EXPECT_TRUE(entries().contains("C:\\TreeData\\sub\\*.*"));
    for (int i = 0; i < w->List1->ListCount(); ++i)
        EXPECT_TRUE(w->List1->Selected(i));

    // The virtual nodes show the C: drive.
    for (const char* node : {"Desktop", "My Computer"}) {
        w->File1->setPath("C:\\TreeData");
        for (int i = 0; i < w->FolderTreeview1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = w->FolderTreeview1->topLevelItem(i);
            QTreeWidgetItem* hit = top->text(0) == node ? top : nullptr;
            for (int k = 0; !hit && k < top->childCount(); ++k)
                if (top->child(k)->text(0) == node)
                    hit = top->child(k);
            if (hit)
                w->FolderTreeview1->setCurrentItem(hit);
        }
        EXPECT_EQ(w->FolderTreeview1->SelectedFolder(), node);
        EXPECT_EQ(w->File1->Path(), "C:\\") << node;
    }
}

TEST_F(SourceCommandsTest, FolderPickersWithAnAnswerAndWithCancel) {
    const QString work = testenv::home() + "/work";
    QDir().mkpath(work);
    w->txtPathBackUp->setText("C:\\Old");
    w->txtZipArchive->setText("x.zip");

    Dialogs::scriptAnswers({QString()});
    w->cmdSelectPath_Click();  // cancelled: the destination stays, the archive box empties
    EXPECT_EQ(w->txtPathBackUp->Text(), "C:\\Old");
    EXPECT_EQ(w->txtZipArchive->Text(), "");
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown()[0].prompt, LangText(201));
    EXPECT_EQ(Dialogs::shown()[0].defaultText, platform::ProgramFolder());
    EXPECT_EQ(Dialogs::shown()[0].rootFolder, "");
    EXPECT_EQ(Dialogs::shown()[0].style, 0);

    Dialogs::scriptAnswers({QString("C:\\")});
    w->cmdSelectPath_Click();  // a drive root is kept without its separator
    EXPECT_EQ(w->txtPathBackUp->Text(), "C:");

    struct Case {
        const char* what;
        void (frmMain_BackUp::*click)();
        ui::VbTextBox* frmMain_BackUp::*box;
        QString answer, expected;
        QString message;  // "" for none
        QString created;  // host folder made, "" for none
    };
    const Case cases[] = {
        {"temp: a folder", &frmMain_BackUp::cmdSelectPathTemp_Click, &frmMain_BackUp::txtPathTemp, "C:\\work",
         "C:\\work\\temp", "", work + "/temp"},
        {"temp: a root", &frmMain_BackUp::cmdSelectPathTemp_Click, &frmMain_BackUp::txtPathTemp, "C:\\",
         "C:\\temp", "", testenv::home() + "/temp"},
        {"temp: a network folder", &frmMain_BackUp::cmdSelectPathTemp_Click, &frmMain_BackUp::txtPathTemp,
         "\\\\server\\share", "C:\\temp", LangText(190) + "\r\n" + LangText(176), ""},
        {"temp: cancel", &frmMain_BackUp::cmdSelectPathTemp_Click, &frmMain_BackUp::txtPathTemp, "",
         "C:\\temp", "", ""},
        {"FTP restore: a folder", &frmMain_BackUp::cmdSelectPathFTPrestore_Click,
         &frmMain_BackUp::txtFTPrestoreDir, "C:\\work\\", "C:\\work\\temp", "", work + "/temp"},
        {"FTP restore: a network folder", &frmMain_BackUp::cmdSelectPathFTPrestore_Click,
         &frmMain_BackUp::txtFTPrestoreDir, "\\\\srv\\x", "C:\\temp", LangText(190) + "\r\n" + LangText(174), ""},
        {"sync source", &frmMain_BackUp::cmdSelectSyncSourceDirectory_Click, &frmMain_BackUp::txtSourceSync,
         "C:\\work\\src", "C:\\work\\src\\", "", work + "/src"},
        {"sync source: cancel", &frmMain_BackUp::cmdSelectSyncSourceDirectory_Click,
         &frmMain_BackUp::txtSourceSync, "", "C:\\work\\src\\", "", ""},
        {"sync destination", &frmMain_BackUp::cmdSelectSyncDestinyDirectory_Click,
         &frmMain_BackUp::txtDestinySync, "C:\\work\\dst", "C:\\work\\dst\\", "", work + "/dst"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dialogs::scriptAnswers({c.answer});
        (w.get()->*c.click)();
        EXPECT_EQ((w.get()->*c.box)->Text(), c.expected);
        ASSERT_GE(Dialogs::shown().size(), 1);
        EXPECT_EQ(Dialogs::shown()[0].kind, Dialogs::Kind::FolderPicker);
        EXPECT_EQ(Dialogs::shown()[0].defaultText, platform::ProgramFolder());
        if (c.message.isEmpty()) {
            EXPECT_EQ(Dialogs::shown().size(), 1);
        } else {
            ASSERT_EQ(Dialogs::shown().size(), 2);
            EXPECT_EQ(Dialogs::shown()[1].prompt, c.message);
            EXPECT_EQ(Dialogs::shown()[1].style, platform::vbExclamation);
        }
        if (!c.created.isEmpty()) {
            EXPECT_TRUE(QFileInfo(c.created).isDir()) << c.created.toStdString();
        }
    }
}

TEST_F(SourceCommandsTest, ProgramPickersKeepTheBoxWhenCancelled) {
    w->txtPathBefore->setText("C:\\tools\\old");
    Dialogs::scriptAnswers({QString()});
    w->cmdSelectPathBefore_Click();  // cancelled before any choice: the box stays
    EXPECT_EQ(w->txtPathBefore->Text(), "C:\\tools\\old");
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown()[0].kind, Dialogs::Kind::OpenFile);
    EXPECT_EQ(Dialogs::shown()[0].title, LangText(307));
    EXPECT_EQ(Dialogs::shown()[0].filter, "Program Files (*.exe)|*.exe|All Files (*.*)|*.*");

    Dialogs::scriptAnswers({QString("C:\\tools\\stop-db")});
    w->cmdSelectPathBefore_Click();
    EXPECT_EQ(w->txtPathBefore->Text(), "C:\\tools\\stop-db");
    w->txtPathAfter->setText("");
    Dialogs::scriptAnswers({QString()});
    w->cmdSelectPathAfter_Click();  // the shared dialog remembers, the box does not take it
    EXPECT_EQ(w->txtPathAfter->Text(), "");
    EXPECT_EQ(Dialogs::shown()[0].defaultText, "C:\\tools");
    Dialogs::scriptAnswers({QString("C:\\tools\\start-db")});
    w->cmdSelectPathAfter_Click();
    EXPECT_EQ(w->txtPathAfter->Text(), "C:\\tools\\start-db");
    EXPECT_EQ(w->txtPathBefore->Text(), "C:\\tools\\stop-db");
}

// The picker's window itself: held inside its root, files listed on request.
TEST_F(SourceCommandsTest, TheFolderDialogKeepsToItsRoot) {
    const QString root = testenv::tempDir("pickroot");
    const QString outside = testenv::tempDir("pickoutside");
    QDir().mkpath(root + "/inner");
    testenv::writeFile(root + "/inner/f.txt", "x");

    platform::FolderDialog d(nullptr, "Pick", outside, root, false);
    EXPECT_EQ(QFileInfo(d.directory().absolutePath()).canonicalFilePath(), QFileInfo(root).canonicalFilePath());
    EXPECT_TRUE(d.insideRoot(root + "/inner"));
    EXPECT_FALSE(d.insideRoot(outside));
    EXPECT_FALSE(d.insideRoot(root + "/.."));
    EXPECT_FALSE(d.insideRoot(root + "x"));
    emit d.directoryEntered(outside);  // the user went up: back to the root
    EXPECT_EQ(QFileInfo(d.directory().absolutePath()).canonicalFilePath(), QFileInfo(root).canonicalFilePath());

    d.setDirectory(root + "/inner");
    d.accept();  // the folder shown is the answer
    EXPECT_EQ(d.chosen(), QFileInfo(root + "/inner").canonicalFilePath());

    platform::FolderDialog files(nullptr, "Pick", root + "/inner", root, true);
    EXPECT_FALSE(files.testOption(QFileDialog::ShowDirsOnly));
    files.selectFile(root + "/inner/f.txt");
    files.accept();
    EXPECT_EQ(files.chosen(), QFileInfo(root + "/inner/f.txt").canonicalFilePath());
    platform::FolderDialog folder(nullptr, "Pick", root + "/inner", root, true);
    folder.accept();  // with files listed a folder can still be chosen
    EXPECT_EQ(folder.chosen(), QFileInfo(root + "/inner").canonicalFilePath());
}

TEST_F(SourceCommandsTest, BrowseForFolderPassesItsRoot) {
    Dialogs::scriptAnswers({QString("C:\\Root\\a")});
    EXPECT_EQ(BrowseForFolder(w.get(), "Pick", QVariant(), QString("C:\\Root"), false), "C:\\Root\\a");
    EXPECT_EQ(Dialogs::shown()[0].rootFolder, "C:\\Root");
    Dialogs::scriptAnswers({QString()});
    BrowseForFolder(w.get(), "Pick", QString("C:\\x"), QVariant(), false);  // no root: the whole computer
    EXPECT_EQ(Dialogs::shown()[0].rootFolder, "");
}

}  // namespace
