// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls: names and kinds, design values, the toolbar
// positions, the window's twips geometry.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSet>
#include <QTabBar>

#include "QtPrinters.h"
#include "ui/controls/VbControl.h"
#include "ui/frmMain_BackUp.h"
#include "vb/VbError.h"

namespace {

struct Kind {
    const char* kind;
    std::vector<const char*> names;
};

// Every control the rest of the program addresses, by kind. Elements of a
// control array are "<name>_<index>".
const std::vector<Kind>& controlTable() {
    static const std::vector<Kind> table = {
        {"ui::VbToolbar", {"tbTools"}},
        {"QMenu", {"mnuPopup"}},
        {"QAction", {"mnuHelp", "mnuShow", "mnuExit", "mnuExit1", "mnuHelp1", "mnuAbout"}},
        {"ui::VbTabControl", {"SSTab1", "SSTab2"}},
        {"ui::VbRichTextBox", {"RtbNews1"}},
        {"ui::VbStatusBar", {"sbStatusBar"}},
        {"ui::VbPictureBox", {"ErrorIndicator", "pctArchive", "picSync"}},
        {"ui::VbAnimation", {"Animation1", "Animation2"}},
        {"ui::VbAniGif", {"AniGIF1"}},
        {"ui::VbProgressBar", {"ProgressBar1", "ProgressBar2", "ProgressBar3"}},
        {"ui::VbTimer", {"TimerRT", "tmrtimeout"}},
        {"ui::VbCommonDialog", {"dlgCommonDialog"}},
        {"ui::VbComboBox", {"cmbProfiles", "cmbLanguage", "cboDevices", "cboWriteSpeed"}},
        {"ui::VbListBox", {"List1", "lstServerFiles", "lstTasks"}},
        {"ui::VbFolderTree", {"FolderTreeview1"}},
        {"ui::VbFileListBox", {"File1"}},
        {"ui::VbDatePicker", {"DTPicker1", "DTPicker2"}},
        {"ui::VbSlider", {"Slider1"}},
        {"ui::VbFrame",
         {"Frame2", "Frame3", "Frame4", "Frame5", "Frame7", "Frame8", "Frame10", "Frame11", "Frame12",
          "frmZipStatistc"}},
        {"ui::VbOptionButton",
         {"optBuMode_0", "optBuMode_1", "optBuMode_2", "optArchive_0", "optArchive_1", "optArchive_2",
          "optNewOnly", "optComplete", "optCompleteNoFilter", "optRegistryTXT", "optRegistryREG",
          "optWaitBefore_0", "optWaitBefore_1", "optWaitBefore_2", "optWaitAfter_3", "optWaitAfter_4",
          "optWaitAfter_5"}},
        {"ui::VbCheckBox",
         {"chkProfileStandard", "chkSound", "chkSystray", "chkWinOnTop", "chkStartWithWindow",
          "chkSelectionWarning", "chkAddNewSub", "chkHiddenFolders", "chkResetArchiveBit", "chkExclOldFiles",
          "chkExclYoungFiles", "chkExclYoungDayFiles", "chkMaxFiles", "chkMaxZIPsize", "chkSplit",
          "chkAppendArchive", "chkDeleteArchive", "chkEncrypt", "chkRemeberPassword", "chkWriteLog",
          "chkOverwriteFile", "chkInclSubDirStruct", "chkInclRegistry", "chkInclOutlook", "chkInclOutlookE",
          "chkShutdown", "chkMedia", "chkFTP", "chkSendEmail", "chkUseCDRecorder", "chkUseBurnProof",
          "chkProxy", "chkRunBefore", "chkRunAfter", "chkSyncBothDirections", "chkSyncSubDirs"}},
        {"ui::VbTextBox",
         {"txtNews", "txtProfile", "txtZipSize", "txtAnzFiles", "txtTotalFiles", "txtTotalSize", "txtCompSize",
          "txtBackUpTime", "txtRemainSpace", "txtZipArchive", "txtExclusions", "txtDirExclusions",
          "txtInclusions", "txtExclYoungDay", "txtMaxFiles", "txtMaxZIPsize", "txtDeleteArchive",
          "txtEncryptPassword", "txtPathBackUp", "txtPathTemp", "txtSpareSpace", "txtFTPserver", "txtFTPport",
          "txtFTPuser", "txtFTPpassword", "txtFTPProxy", "txtFTPdir", "txtFTPrestoreDir", "txtRetrieveMask",
          "txtPathBefore", "txtCommandlineBefore", "txtPathAfter", "txtCommandlineAfter",
          "txtWaitSecondsBefore", "txtWaitSecondsAfter", "txtSourceSync", "txtDestinySync"}},
        {"ui::VbCommandButton",
         {"cmdSelect", "cmdUnselect", "cmdExclude", "cmdDirPlus", "cmdSubPlus", "cmdFilesPlus", "cmdSetupMedia",
          "cmdSetupFTP", "cmdSetupEmail", "cmdSelectPath", "cmdSelectPathTemp", "cmdFTPretrieve",
          "cmdTestFTPconnection", "cmdSelectPathFTPrestore", "cmdConfigAS", "cmdSelectPathBefore",
          "cmdSelectPathAfter", "cmdSelectSyncSourceDirectory", "cmdSelectSyncDestinyDirectory", "cmdNew",
          "cmdProps", "cdmDelete", "cmdRun", "Command1"}},
        {"ui::VbLabel",
         {"lblError", "Label22", "Label1_0", "Label26", "Label41_0", "Label43_0", "Label44_0", "Label18",
          "Label19", "Label42", "Label56", "lblAnzOfArchives", "lblTotalSizeOfArchives", "lblNumberOfBackups",
          "lblLastBackupDate", "lblAverageBuTime", "lblTotalNumOfFiles", "Label4", "lblFTPstatus", "lblInfo_0",
          "lblInfo_4", "lblDriveInfo_0", "lblDriveInfo_11", "lblDesc_0", "lblDesc_11", "Label32", "lblNRVHome",
          "Label7"}},
    };
    return table;
}

}  // namespace

TEST(MainWindow, EveryControlHasItsNameAndKind) {
    frmMain_BackUp w;
    for (const Kind& k : controlTable())
        for (const char* name : k.names) {
            QObject* o = w.findChild<QObject*>(QString::fromLatin1(name));
            ASSERT_NE(o, nullptr) << name;
            EXPECT_TRUE(o->inherits(k.kind)) << name << " is a " << o->metaObject()->className();
            EXPECT_TRUE(w.Controls().contains(o)) << name << " is missing from Controls()";
        }
    // Names are unique; nothing in the collection is unnamed.
    QSet<QString> names;
    for (QObject* o : w.Controls()) {
        EXPECT_FALSE(o->objectName().isEmpty()) << o->metaObject()->className();
        EXPECT_FALSE(names.contains(o->objectName())) << o->objectName().toStdString();
        names.insert(o->objectName());
    }
    // The members are the named controls.
    EXPECT_EQ(w.optWaitAfter(5)->objectName(), "optWaitAfter_5");
    EXPECT_EQ(w.optWaitAfter(5)->Index(), 5);
    EXPECT_EQ(w.optComplete->Index(), 1);
    EXPECT_EQ(w.lblDriveInfo(11)->objectName(), "lblDriveInfo_11");
    EXPECT_EQ(fMainForm, &w);
}

TEST(MainWindow, DesignValuesAndCaptions) {
    frmMain_BackUp w;
    EXPECT_EQ(w.SSTab1->Tabs(), 6);
    EXPECT_EQ(w.SSTab1->Tab(), 0);
    EXPECT_EQ(w.SSTab2->Tabs(), 2);
    EXPECT_EQ(w.TimerRT->Interval(), 5000);
    EXPECT_FALSE(w.TimerRT->Enabled());
    EXPECT_FALSE(w.tmrtimeout->Enabled());
    EXPECT_EQ(w.Slider1->Min(), 0);
    EXPECT_EQ(w.Slider1->Max(), 9);
    EXPECT_EQ(w.Slider1->Value(), 6);

    // Check boxes checked by design; all others clear.
    const QSet<QString> checked = {"chkHiddenFolders", "chkMaxFiles", "chkMedia", "chkAppendArchive", "chkSplit",
                                   "chkOverwriteFile", "chkInclSubDirStruct", "chkResetArchiveBit", "chkSound",
                                   "chkMaxZIPsize"};
    for (ui::VbCheckBox* c : w.findChildren<ui::VbCheckBox*>())
        EXPECT_EQ(c->Value(), checked.contains(c->objectName()) ? 1 : 0) << c->objectName().toStdString();
    // One selected member per option group.
    EXPECT_TRUE(w.optBuMode(0)->Value());
    EXPECT_TRUE(w.optArchive(0)->Value());
    EXPECT_TRUE(w.optNewOnly->Value());
    EXPECT_FALSE(w.optComplete->Value() || w.optCompleteNoFilter->Value());
    EXPECT_TRUE(w.optRegistryREG->Value());
    EXPECT_TRUE(w.optWaitBefore(1)->Value());
    EXPECT_TRUE(w.optWaitAfter(4)->Value());

    const char* desc[12] = {"Available Space:", "Drive Type:", "File System:", "Free Space:",
                            "Is Ready:",        "Path:",       "Root Folder:", "Serial Number:",
                            "Share Name:",      "Total Size:", "Volume Name:", "Sub Folders:"};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(w.lblDesc(i)->Caption(), desc[i]);
    const char* scheduleButtons[4][2] = {
        {"cmdNew", "&Add New"}, {"cmdProps", "&Properties"}, {"cdmDelete", "&Delete"}, {"cmdRun", "&Run Now!"}};
    for (auto& b : scheduleButtons)
        EXPECT_EQ(w.findChild<ui::VbCommandButton*>(b[0])->Caption(), b[1]);
    EXPECT_EQ(w.Label4->Caption(), "Dest. Directory:");
    EXPECT_EQ(w.lblError->Caption(), "Click Error log");
    EXPECT_TRUE(w.lblError->isHidden());
    EXPECT_EQ(w.lblLastBackupDate->Caption(), "N/A");
    EXPECT_EQ(w.Command1->Caption(), "Generate Text");
    EXPECT_EQ(w.frmZipStatistc->toolTip(), "DblClick to reset backup statistics");
    EXPECT_EQ(w.mnuPopup->title(), "Popup");
    EXPECT_EQ(w.mnuPopup->actions(), QList<QAction*>({w.mnuHelp, w.mnuShow, w.mnuExit}));
    EXPECT_EQ(w.mnuExit1->text(), "&Exit");
    // Panels shown at first: the folder destination, not FTP or hand-over.
    EXPECT_FALSE(w.Frame3->isHidden());
    EXPECT_TRUE(w.Frame10->isHidden());
    EXPECT_TRUE(w.Frame11->isHidden());
    EXPECT_TRUE(w.picSync->isHidden());
    EXPECT_TRUE(w.cboDevices->isHidden());
    EXPECT_TRUE(w.Animation1->isHidden());
    EXPECT_EQ(w.ErrorIndicator->BackColor(), 0xFF00);
    EXPECT_EQ(w.cmbProfiles->isEditable(), true);
    EXPECT_EQ(w.cmbLanguage->isEditable(), false);
}

TEST(MainWindow, ToolbarButtonsByPosition) {
    frmMain_BackUp w;
    struct Pos {
        int position;
        const char* key;
        const char* caption;
        const char* tip;
    } table[] = {
        {1, "Exit", "Exit", "Program Exit"},
        {3, "Start", "Start", "Start backup"},
        {4, "Stop", "Stop", "Cancel backup"},
        {6, "SaveAs", "Save", "Save current profile"},
        {7, "New", "New", "Create a new profile"},
        {8, "Delete", "Delete", "Delete current profile"},
        {10, "Restore", "Restore", ""},
        {12, "Help", "Help", "Get Help"},
        {15, "Home", "Home", "Goto n.r.v Homepage"},
        {16, "Update", "Update", "Check for new program version"},
        {18, "Minimize", "Minimize", "Minimize to system tray"},
    };
    for (const Pos& p : table) {
        ui::VbToolButton& b = w.tbTools->Buttons(p.position);
        EXPECT_EQ(b.Key(), p.key) << p.position;
        EXPECT_EQ(b.Caption(), p.caption) << p.position;
        EXPECT_EQ(b.ToolTipText(), p.tip) << p.position;
    }
    for (int sep : {2, 5, 9, 11, 13, 17})
        EXPECT_EQ(w.tbTools->Buttons(sep).ButtonStyle(), ui::VbToolButton::Style::Separator) << sep;
    EXPECT_EQ(w.tbTools->Count(), 18);
    EXPECT_FALSE(w.tbTools->Buttons(4).Enabled());  // Stop only during a run
    EXPECT_TRUE(w.tbTools->Buttons(3).Enabled());

    QStringList clicked, menu;
    // Only the keys are checked here: the window's own commands stay out of it.
    QObject::disconnect(w.tbTools, nullptr, &w, nullptr);
    QObject::connect(w.tbTools, &ui::VbToolbar::ButtonClick, [&](const QString& k) { clicked << k; });
    QObject::connect(w.tbTools, &ui::VbToolbar::ButtonMenuClick, [&](const QString& k) { menu << k; });
    w.tbTools->Buttons(3).action()->trigger();
    w.tbTools->Buttons(16).action()->trigger();
    const QList<QAction*> items = w.tbTools->Buttons(12).action()->menu()->actions();
    QStringList texts;
    for (QAction* a : items) {
        texts << (a->isSeparator() ? "-" : a->text());
        if (!a->isSeparator())
            a->trigger();
    }
    EXPECT_EQ(clicked, QStringList({"Start", "Update"}));
    EXPECT_EQ(menu, QStringList({"Product", "Tips", "Forum", "About"}));
    EXPECT_EQ(texts, QStringList({"Product description", "-", "Help && Tips and Tricks", "Support forum", "-",
                                  "About"}));
    try {
        w.tbTools->Buttons(19);
        ADD_FAILURE() << "no error for position 19";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 35600);
    }
}

TEST(MainWindow, PlacementInTwips) {
    frmMain_BackUp w;
    EXPECT_NEAR(w.Width(), 9730, 15);
    EXPECT_NEAR(w.Height(), 7785, 15);
    w.show();
    QApplication::processEvents();
    w.setLeft(1000);
    w.setTop(1500);
    w.setHeight(8000);
    w.setWidth(10000);
    QApplication::processEvents();
    EXPECT_NEAR(w.Left(), 1000, 15);
    EXPECT_NEAR(w.Top(), 1500, 15);
    EXPECT_NEAR(w.Width(), 10000, 15);
    EXPECT_NEAR(w.Height(), 8000, 15);
    EXPECT_EQ(w.WindowState(), 0);
}

TEST(MainWindow, TabVisibilityAndTheModeFrameHeight) {
    frmMain_BackUp w;
    w.SSTab1->setTabVisible(3, false);
    w.SSTab1->setTabVisible(4, false);
    EXPECT_FALSE(w.SSTab1->TabVisible(3));
    EXPECT_TRUE(w.SSTab1->TabVisible(5));
    w.SSTab1->setTabVisible(4, true);
    EXPECT_TRUE(w.SSTab1->TabVisible(4));
    ui::SetHeightTwips(w.Frame2, 1830);
    EXPECT_EQ(w.Frame2->height(), 122);
    ui::SetHeightTwips(w.Frame2, 920);
    EXPECT_EQ(w.Frame2->height(), 61);
}
