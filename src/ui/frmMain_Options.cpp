// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's backup-mode switch and the option handlers that keep the
// stored settings, the filter lists and the destination panel in step with
// what the user types.
#include <QWidget>
#include <initializer_list>

#include "common/Globals.h"
#include "run/Vaultora_Disk.h"
#include "settings/FilterMasks.h"
#include "settings/LoadSettings.h"
#include "settings/SaveSettings.h"
#include "settings/Statistics.h"
#include "ui/controls/VbControl.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"

namespace {
// Each assignment on its own: a failing one is skipped, the rest still runs.
void ShowAll(std::initializer_list<QWidget*> widgets, bool visible) {
    for (QWidget* w : widgets)
        vb::Quiet([&] {
            if (w)
                w->setVisible(visible);
        });
}
}  // namespace

void frmMain_BackUp::optBuMode_Click(int Index) {
    if (Index < 0 || Index > 2)
        return;
    auto quiet = [](auto&& f) { vb::Quiet(f); };
    if (Index == 0 || Index == 1) {
        quiet([&] { Label1(0)->setCaption(LangText(284)); });
        quiet([&] { SSTab1->setTabVisible(3, true); });
        ShowAll({List1, cmdSelect, cmdUnselect, cmdExclude, FolderTreeview1, File1, cmdDirPlus, cmdSubPlus,
                 chkAddNewSub, cmdFilesPlus},
                true);
        ShowAll({picSync, Label26}, false);
        ShowAll({Label43(0), txtTotalFiles, txtTotalSize, Label44(0), Label56, txtCompSize, Label42, ProgressBar1,
                 ProgressBar2, Frame7, Frame5, Frame12, Frame4},
                true);
        quiet([&] { tbTools->Buttons(10).setEnabled(true); });
        if (Index == 0) {
            quiet([&] { Load_Statistics(); });
            quiet([&] { SSTab1->setTabVisible(4, true); });
            ShowAll({Label41(0), txtZipSize, Label18, txtAnzFiles, Label19}, true);
            quiet([&] { ui::SetHeightTwips(Frame2, 920); });
            quiet([&] { Frame8->setEnabled(true); });
            ShowAll({frmZipStatistc, pctArchive, chkSendEmail, chkFTP}, true);
            quiet([&] { chkMedia->setEnabled(true); });
            ShowAll({cmdSetupMedia, cmdSetupFTP, cmdSetupEmail}, true);
        } else {
            quiet([&] { SSTab1->setTabVisible(4, false); });
            ShowAll({Label41(0), txtZipSize, Label18, txtAnzFiles, Label19}, false);
            quiet([&] { ui::SetHeightTwips(Frame2, 1830); });
            quiet([&] { Frame8->setEnabled(false); });
            ShowAll({pctArchive, chkSendEmail, chkFTP}, false);
            quiet([&] { chkMedia->setValue(1); });
            quiet([&] { chkMedia->setEnabled(false); });
            ShowAll({cmdSetupMedia, cmdSetupFTP, cmdSetupEmail}, false);
        }
        return;
    }
    quiet([&] { Label1(0)->setCaption(LangText(285)); });
    quiet([&] { SSTab1->setTabVisible(3, false); });
    quiet([&] { SSTab1->setTabVisible(4, false); });
    ShowAll({Label41(0), txtZipSize, Label18, txtAnzFiles, Label19, List1, cmdSelect, cmdUnselect, cmdExclude,
             FolderTreeview1, File1, cmdDirPlus, cmdSubPlus, chkAddNewSub, cmdFilesPlus},
            false);
    ShowAll({picSync, Label26}, true);
    ShowAll({Label43(0), txtTotalFiles, txtTotalSize, Label44(0), Label56, txtCompSize, Label42, ProgressBar1,
             ProgressBar2, Frame7},
            false);
    quiet([&] { ui::SetHeightTwips(Frame2, 1830); });
    quiet([&] { Frame8->setEnabled(false); });
    ShowAll({Frame5, Frame12, Frame4, pctArchive}, false);
}

void frmMain_BackUp::cmdSetupFTP_Click() {
    ShowAll({Frame3}, false);
    ShowAll({Frame10}, true);
    ShowAll({Frame11}, false);
}

void frmMain_BackUp::cmdSetupMedia_Click() {
    ShowAll({Frame3}, true);
    ShowAll({Frame10, Frame11}, false);
    vb::Quiet([&] { chkMedia->setValue(1); });
}

void frmMain_BackUp::txtExclusions_LostFocus() {
    vb::Handler h(QStringLiteral("txtExclusions_LostFocus of Formular frmMain_BackUp"));
    h.Next(10, [] { Save_Settings(); });
    h.Next(20, [] { load_backup_exclusions(); });
}

void frmMain_BackUp::txtDirExclusions_LostFocus() {
    vb::Handler h(QStringLiteral("txtDirExclusions_LostFocus of Formular frmMain_BackUp"));
    h.Next(10, [] { Save_Settings(); });
    h.Next(20, [] { load_backup_DirExclusions(); });
}

void frmMain_BackUp::txtInclusions_LostFocus() {
    vb::Handler h(QStringLiteral("txtInclusions_LostFocus of Formular frmMain_BackUp"));
    h.Next(10, [] { Save_Settings(); });
    h.Next(20, [] { load_backup_inclusions(); });
}

void frmMain_BackUp::frmZipStatistc_DblClick() {
    vb::Handler h(QStringLiteral("frmZipStatistc_DblClick of Formular frmMain_BackUp"));
    h.Next(10, [&] { txtTotalFiles->setText(QStringLiteral("0")); });
    h.Next(20, [&] { txtTotalSize->setText(QStringLiteral("0")); });
    h.Next(30, [&] { txtCompSize->setText(QStringLiteral("0")); });
    h.Next(40, [&] { lblTotalSizeOfArchives->setCaption(QStringLiteral("0")); });
    h.Next(50, [&] { lblNumberOfBackups->setCaption(QStringLiteral("0")); });
    h.Next(60, [&] { lblLastBackupDate->setCaption(QStringLiteral("N/A")); });
    h.Next(70, [] { Save_Statistics(); });
    h.Next(80, [&] { lblTotalNumOfFiles->setCaption(QStringLiteral("0")); });
    h.Next(90, [&] { lblAverageBuTime->setCaption(QStringLiteral("0")); });
}

void frmMain_BackUp::txtPathBackUp_Change() {
    vb::Quiet([&] {
        const QString t = txtPathBackUp->Text();
        if (t.endsWith(QLatin1Char('\\')))
            txtPathBackUp->setText(t.left(t.size() - 1));  // runs this handler again
    });
    vb::Quiet([] { Update_Media(); });
}

void frmMain_BackUp::txtSpareSpace_Change() {
    vb::Handler h(QStringLiteral("txtSpareSpace_Change of Formular frmMain_BackUp"));
    h.Next(10, [&] {
        const QString t = txtSpareSpace->Text();
        QString whole = QStringLiteral("0");
        if (vb::IsNumeric(t))
            whole = QString::number(vb::CLng(t));
        if (whole != t)
            txtSpareSpace->setText(whole);
    });
    h.Next(20, [] { Update_Media(); });
}
