// SPDX-License-Identifier: GPL-3.0-or-later
// The backup-mode switch and the option handlers of the main window.
#include <gtest/gtest.h>

#include <QDir>

#include "support/TestEnv.h"
#include "ui/controls/VbControl.h"
#include "ui/frmMain_BackUp.h"

namespace {

struct ModeLayout {
    int mode;
    bool mediaTab, zipTab, list, sync, frame8, mediaEnabled;
    int frame2Height;
};

TEST(BackupModeSwitch, EachModeGivesItsLayout) {
    frmMain_BackUp w;
    const ModeLayout table[] = {
        {0, true, true, true, false, true, true, 920},
        {1, true, false, true, false, false, false, 1830},
        {2, false, false, false, true, false, false, 1830},
    };
    for (const ModeLayout& m : table) {
        w.optBuMode_Click(0);  // from the ZIP layout every time
        w.optBuMode_Click(m.mode);
        SCOPED_TRACE(m.mode);
        EXPECT_EQ(w.SSTab1->TabVisible(3), m.mediaTab);
        EXPECT_EQ(w.SSTab1->TabVisible(4), m.zipTab);
        EXPECT_EQ(ui::Visible(w.List1), m.list);
        EXPECT_EQ(ui::Visible(w.picSync), m.sync);
        EXPECT_EQ(w.Frame8->isEnabled(), m.frame8);
        // whole pixels: 920 twips show as 61 pixels
        EXPECT_EQ(ui::HeightTwips(w.Frame2), ui::PixelsToTwips(ui::TwipsToPixels(m.frame2Height)));
        if (m.mode != 2) {
            EXPECT_EQ(w.chkMedia->isEnabled(), m.mediaEnabled);
        }
    }
}

TEST(BackupModeSwitch, CopyModeTicksTheFolderDestinationAndItStays) {
    frmMain_BackUp w;
    w.chkMedia->setValue(0);
    w.optBuMode_Click(1);
    EXPECT_EQ(w.chkMedia->Value(), 1);
    EXPECT_FALSE(w.chkMedia->isEnabled());
    w.optBuMode_Click(0);
    EXPECT_EQ(w.chkMedia->Value(), 1);
    EXPECT_TRUE(w.chkMedia->isEnabled());
    w.List1->AddItem("C:\\x\\*.*");
    w.optBuMode_Click(2);
    EXPECT_EQ(w.List1->ListCount(), 1);  // hidden, not cleared
    const bool tab3 = w.SSTab1->TabVisible(3);
    w.optBuMode_Click(7);  // outside 0 to 2: nothing changes
    EXPECT_EQ(w.SSTab1->TabVisible(3), tab3);
}

TEST(OptionHandlers, SpareSpaceBecomesAWholeNumber) {
    frmMain_BackUp w;
    const struct {
        const char* typed;
        const char* shown;
    } table[] = {{"12.5", "12"}, {"13.5", "14"}, {"abc", "0"}, {"", "0"}, {"7", "7"}};
    for (const auto& c : table) {
        w.txtSpareSpace->setText(c.typed);
        EXPECT_EQ(w.txtSpareSpace->Text(), c.shown) << c.typed;
    }
}

TEST(OptionHandlers, DestinationLosesOneTrailingBackslash) {
    frmMain_BackUp w;
    w.txtPathBackUp->setText("C:\\Backup\\");
    EXPECT_EQ(w.txtPathBackUp->Text(), "C:\\Backup");
}

}  // namespace

namespace {

TEST(SourceCommands, SubfolderAddKeepsOneTickedMarker) {
    frmMain_BackUp w;
    QDir().mkpath(testenv::home() + "/Data/sub");
    w.File1->setPath("C:\\Data");
    w.chkAddNewSub->setValue(1);
    w.cmdSubPlus_Click();
    w.cmdSubPlus_Click();
    int markers = 0;
    for (int i = 0; i < w.List1->ListCount(); ++i)
        if (w.List1->List(i).startsWith("** automatically add new subdirectories to ")) {
            ++markers;
            EXPECT_EQ(w.List1->List(i), "** automatically add new subdirectories to C:\\Data");
            EXPECT_TRUE(w.List1->Selected(i));
        }
    EXPECT_EQ(markers, 1);
    EXPECT_NE(w.VerificaDup("C:\\Data\\sub\\*.*"), -1);
}

}  // namespace
