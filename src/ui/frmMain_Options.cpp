// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's backup-mode switch and the option handlers that keep the
// stored settings, the filter lists and the destination panel in step with
// what the user types.
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "platform/Autostart.h"
#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"
#include "platform/UserFolders.h"
#include "settings/SettingsKeys.h"
#include "vb/DoEvents.h"
#include "run/Vaultora_Disk.h"
#include "settings/FilterMasks.h"
#include "settings/LoadSettings.h"
#include "settings/SaveSettings.h"
#include "settings/Statistics.h"
#include "ui/controls/VbControl.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/NumberText.h"
#include "vb/ErrorHandling.h"
#include "vb/VbError.h"

namespace {
// Each assignment on its own: a failing one is skipped, the rest still runs.
void ShowAll(std::initializer_list<QWidget*> widgets, bool visible) {
    for (QWidget* w : widgets)
        vb::Quiet([&] {
            if (w)
                w->setVisible(visible);
        });
}

// Puts a cleaned text into a box the user may be typing into, keeping the
// caret in front of the same characters after it.
void ReplaceKeepingCaret(ui::VbTextBox* box, const QString& text) {
    const QString old = box->Text();
    if (old == text)
        return;
    const int after = int(old.size()) - box->cursorPosition();
    box->setText(text);
    box->setCursorPosition(std::clamp(int(text.size()) - after, 0, int(text.size())));
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

// The e-mail notice is set up in the set-up wizard: the button says where.
void frmMain_BackUp::cmdSetupEmail_Click() {
    vb::Handler h(QStringLiteral("cmdSetupEmail_Click of Formular frmMain_BackUp"));
    if (!h.Next(10, [] { platform::MsgBox(LangText(334), platform::vbInformation, LangText(23)); }))
        vb::DoEvents();
    vb::DoEvents();
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
    h.Next(40, [] { Reset_Statistics(); });
}

// A trailing "\" goes when the text is set by the program (a profile load, a
// picker, "/dir:") at once, one per nested Change as before; while the user
// types into the box it waits until the box is left, so that "C:\dest" can be
// typed one character after the other.
void frmMain_BackUp::txtPathBackUp_Change() {
    vb::Quiet([&] {
        const QString t = txtPathBackUp->Text();
        if (!txtPathBackUp->hasFocus() && t.endsWith(QLatin1Char('\\')))
            txtPathBackUp->setText(t.left(t.size() - 1));  // runs this handler again
    });
    vb::Quiet([] { Update_Media(); });
}

void frmMain_BackUp::txtPathBackUp_LostFocus() {
    vb::Quiet([&] {
        QString t = txtPathBackUp->Text();
        while (t.endsWith(QLatin1Char('\\')))
            t.chop(1);
        if (t != txtPathBackUp->Text())
            txtPathBackUp->setText(t);
    });
}

// The spare space is read as a 32-bit whole number everywhere: a number
// beyond that range is refused as it is typed (the box gets back the last
// number it took), so that no later load or run trips over it. While the user
// types, a decimal stays as typed; the box is cleaned when it is left.
void frmMain_BackUp::txtSpareSpace_Change() {
    vb::Handler h(QStringLiteral("txtSpareSpace_Change of Formular frmMain_BackUp"));
    bool measure = true;
    h.Next(10, [&] {
        const QString t = txtSpareSpace->Text();
        const bool typing = txtSpareSpace->hasFocus();
        if (!vb::IsNumeric(t)) {
            // Half typed ("", "-", "."): the panel waits for a number.
            if (typing)
                measure = false;
            else
                ReplaceKeepingCaret(txtSpareSpace, QStringLiteral("0"));
            return;
        }
        qint32 whole = 0;
        try {
            whole = vb::CLng(t);
        } catch (const vb::VbError&) {
            const QString back = typing ? spareSpaceTaken_ : QStringLiteral("0");
            ReplaceKeepingCaret(txtSpareSpace, back);  // runs this handler again for the number taken
            measure = false;
            if (!LoadingSettings)
                platform::MsgBox(LangText(331), platform::vbExclamation | platform::vbOKOnly, LangText(16));
            return;
        }
        if (!typing)
            ReplaceKeepingCaret(txtSpareSpace, QString::number(whole));
        spareSpaceTaken_ = QString::number(whole);
    });
    if (measure)
        h.Next(20, [] { Update_Media(); });
}

void frmMain_BackUp::txtSpareSpace_LostFocus() {
    vb::Handler h(QStringLiteral("txtSpareSpace_LostFocus of Formular frmMain_BackUp"));
    h.Next(10, [&] {
        const QString t = txtSpareSpace->Text();
        const QString clean = vb::IsNumeric(t) ? spareSpaceTaken_ : QStringLiteral("0");
        if (clean != t)
            txtSpareSpace->setText(clean);  // measured again by its Change
    });
}

namespace {

// At least one destination for a finished archive: with none ticked the
// folder destination is ticked again (and says so, unless a profile is being
// loaded, when the boxes pass through such a state one after the other).
void DestinationRule(frmMain_BackUp& w) {
    if (w.chkFTP->Value() != 0 || w.chkMedia->Value() != 0 || w.chkSendEmail->Value() != 0)
        return;
    if (!w.LoadingSettings)
        platform::MsgBox(LangText(287), platform::vbInformation | platform::vbOKOnly, LangText(23));
    w.chkMedia->setValue(1);  // its Click finds the rule met
}

// A count of days or seconds: the whole part of the absolute value of the
// leading number, in its shortest text; beyond the 32-bit range that the run
// reads it with, that range's limit.
QString CleanCount(const QString& text) {
    double v = std::fabs(vb::Val(text));
    constexpr double kMax = std::numeric_limits<qint32>::max();
    if (!(v <= kMax))
        v = kMax;
    return vb::NumberText(std::floor(v), QStringLiteral("."));
}

// A count box is cleaned when the program puts a text into it (a profile
// load) and when the user leaves it; while the user types, the text stays as
// typed, so that "2.5" is never read as "2" followed by "5".
void CleanCountBox(ui::VbTextBox* box, const QString& label) {
    vb::Handler h(label);
    h.Next(10, [&] {
        if (!box->hasFocus())
            ReplaceKeepingCaret(box, CleanCount(box->Text()));
    });
    vb::DoEvents();
}

void LeaveCountBox(ui::VbTextBox* box, const QString& label) {
    vb::Handler h(label);
    h.Next(10, [&] { ReplaceKeepingCaret(box, CleanCount(box->Text())); });
}

void NextVersionOnly(ui::VbCheckBox* box) {
    vb::Quiet([&] {
        if (box->Value() == 1) {
            InNextVersion();
            box->setValue(0);
        }
    });
}

}  // namespace

// The e-mail notice is a destination of its own (set up in the wizard), so
// a tick stays.
void frmMain_BackUp::chkSendEmail_Click() {
    vb::Handler h(QStringLiteral("chksendemail_Click of Formular frmMain_BackUp"));
    if (!h.Next(10, [&] { DestinationRule(*this); }))
        vb::DoEvents();
    vb::DoEvents();
}

void frmMain_BackUp::chkFTP_Click() {
    vb::Handler h(QStringLiteral("chkFTP_Click of Formular frmMain_BackUp"));
    if (!h.Next(10, [&] { DestinationRule(*this); }))
        vb::DoEvents();
    vb::DoEvents();
}

void frmMain_BackUp::chkMedia_Click() {
    vb::Quiet([&] { DestinationRule(*this); });
}

void frmMain_BackUp::chkInclOutlook_Click() { NextVersionOnly(chkInclOutlook); }

void frmMain_BackUp::chkInclOutlookE_Click() { NextVersionOnly(chkInclOutlookE); }

void frmMain_BackUp::chkOverwriteFile_Click() {}

void frmMain_BackUp::chkHiddenFolders_Click() {
    bool on = false;
    vb::Quiet([&] { on = chkHiddenFolders->Value() == 1; });
    vb::Quiet([&] { FolderTreeview1->setShowHidden(on); });
    vb::Quiet([&] { File1->setHidden(on); });
    vb::Quiet([&] { File1->setSystem(on); });
}

// The warning about automatically added subfolders, once per profile.
void frmMain_BackUp::chkAddNewSub_Click() {
    if (chkAddNewSub->Value() != 1)
        return;
    const QString app = settings::ProfileSettingsApp(cmbProfiles->Text());
    const QString key = QStringLiteral("chkAddNewSubWarning");
    double shown = 0;
    vb::Quiet([&] { shown = vb::Val(platform::GetSetting(app, QStringLiteral("Settings"), key, QStringLiteral("0"))); });
    if (shown != 0)
        return;
    const QString crlf = QStringLiteral("\r\n");
    vb::Quiet([&] {
        platform::MsgBox(LangText(221) + crlf + LangText(222) + crlf + LangText(223) + crlf + LangText(224) + crlf +
                             crlf + LangText(225) + crlf + LangText(226),
                         platform::vbInformation | platform::vbOKOnly, LangText(227));
    });
    vb::Quiet([&] { platform::SaveSetting(app, QStringLiteral("Settings"), key, QStringLiteral("-1")); });
}

// Starting with the session: an autostart entry that starts this program.
void frmMain_BackUp::chkStartWithWindow_Click() {
    vb::Quiet([&] {
        if (chkStartWithWindow->Value() == 1)
            platform::CreateAutostartEntry(ProgramName, {platform::ProgramExecutable()});
        else
            platform::DeleteAutostartEntry();
    });
}

void frmMain_BackUp::txtExclYoungDay_Change() {
    CleanCountBox(txtExclYoungDay, QStringLiteral("txtExclYoungDay_Change of Formular frmMain_BackUp"));
}

void frmMain_BackUp::txtExclYoungDay_LostFocus() {
    LeaveCountBox(txtExclYoungDay, QStringLiteral("txtExclYoungDay_LostFocus of Formular frmMain_BackUp"));
}

// The days an archive is kept: a whole number, and at least 1 once the box
// is left (0 would mean every earlier archive).
void frmMain_BackUp::txtDeleteArchive_Change() {
    CleanCountBox(txtDeleteArchive, QStringLiteral("txtDeleteArchive_Change of Formular frmMain_BackUp"));
}

void frmMain_BackUp::txtDeleteArchive_LostFocus() {
    LeaveCountBox(txtDeleteArchive, QStringLiteral("txtDeleteArchive_LostFocus of Formular frmMain_BackUp"));
    vb::Quiet([&] {
        if (!(vb::Val(txtDeleteArchive->Text()) >= 1))
            txtDeleteArchive->setText(QStringLiteral("1"));
    });
}

void frmMain_BackUp::txtWaitSecondsBefore_Change() {
    CleanCountBox(txtWaitSecondsBefore, QStringLiteral("txtWaitSecondsBefore_Change of Formular frmMain_BackUp"));
}

void frmMain_BackUp::txtWaitSecondsBefore_LostFocus() {
    LeaveCountBox(txtWaitSecondsBefore, QStringLiteral("txtWaitSecondsBefore_LostFocus of Formular frmMain_BackUp"));
}

void frmMain_BackUp::txtWaitSecondsAfter_Change() {
    CleanCountBox(txtWaitSecondsAfter, QStringLiteral("txtWaitSecondsAfter_Change of Formular frmMain_BackUp"));
}

void frmMain_BackUp::txtWaitSecondsAfter_LostFocus() {
    LeaveCountBox(txtWaitSecondsAfter, QStringLiteral("txtWaitSecondsAfter_LostFocus of Formular frmMain_BackUp"));
}

// The largest archive in Mb: 0.7 to 1000.
void frmMain_BackUp::txtMaxZIPsize_LostFocus() {
    vb::Handler h(QStringLiteral("txtMaxZIPsize_lostfocus of Formular frmMain_BackUp"));
    h.Next(10, [&] {
        const QString t = txtMaxZIPsize->Text();
        if (!vb::IsNumeric(t)) {
            // A run reads a size without a number as 0 and would leave every
            // file out as too large: the default comes back with the message.
            txtMaxZIPsize->setText(QStringLiteral("100"));
            platform::MsgBox(LangText(228), platform::vbOKOnly, LangText(16));
            return;
        }
        const double v = vb::Val(t);
        if (v < 0.7 || v > 1000) {
            txtMaxZIPsize->setText(QStringLiteral("100"));
            platform::MsgBox(LangText(229), platform::vbOKOnly, LangText(16));
        }
    });
}

// The most files in one archive: a whole number of at least 1.
void frmMain_BackUp::txtMaxFiles_LostFocus() {
    vb::Quiet([&] {
        const QString t = txtMaxFiles->Text();
        const bool numeric = vb::IsNumeric(t);
        bool ok = false;
        vb::Quiet([&] {
            const qint32 whole = vb::CLng(vb::Val(t));
            txtMaxFiles->setText(QString::number(whole));
            ok = numeric && whole >= 1;
        });
        if (!ok) {
            txtMaxFiles->setText(QStringLiteral("100"));
            platform::MsgBox(LangText(242), platform::vbOKOnly, LangText(16));
        }
    });
}

void frmMain_BackUp::Save_Settings_IfIdle() {
    vb::Quiet([] {
        if (!RunMode)
            Save_Settings();
    });
}
