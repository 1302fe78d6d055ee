// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of the sources tab (tick, untick, remove, the add commands and
// the folder tree's selection) and the pickers of the window's path fields.
#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_FilePathInput.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "settings/ProfileFiles.h"
#include "ui/frmMain_BackUp.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

namespace {
void AddWith(frmMain_BackUp& w, bool onlyFile, bool withSubs) {
    bool only = onlyFile, subs = withSubs, pop = true;
    QString path;
    w.AddItem(only, subs, path, pop);
}
}  // namespace

void frmMain_BackUp::cmdDirPlus_Click() {
    vb::Quiet([&] { AddWith(*this, false, false); });
}

void frmMain_BackUp::cmdFilesPlus_Click() {
    vb::Quiet([&] { AddWith(*this, true, false); });
}

void frmMain_BackUp::File1_DblClick() {
    vb::Quiet([&] { AddWith(*this, true, false); });
}

void frmMain_BackUp::cmdSubPlus_Click() {
    vb::Handler h(QStringLiteral("cmdSubPlus_Click of Formular frmMain_BackUp"));
    if (chkAddNewSub->Value() == 1) {
        QString marker;
        h.Next(10, [&] { marker = kAutoAddMarker + File1->Path(); });
        h.Next(20, [&] {
            if (VerificaDup(marker) == -1)
                List1->AddItem(marker);
        });
        h.Next(30, [&] { List1->setSelected(VerificaDup(marker), true); });
    }
    h.Next(40, [&] { AddWith(*this, false, true); });
}

void frmMain_BackUp::FolderTreeview1_Select() {
    vb::Quiet([&] {
        static const QStringList virtualNodes = {"N.r.v",       "Microsoft Windows Network", "Entire Network",
                                                 "My Network Places", "Desktop",              "My Computer"};
        const QString selected = FolderTreeview1->SelectedFolder();
        File1->setPath(virtualNodes.contains(selected) ? QStringLiteral("C:\\") : selected);
    });
}

void frmMain_BackUp::cmdSelect_Click() {
    for (int i = 0; i < List1->ListCount(); ++i)
        vb::Quiet([&] { List1->setSelected(i, true); });
}

void frmMain_BackUp::cmdUnselect_Click() {
    for (int i = 0; i < List1->ListCount(); ++i)
        vb::Quiet([&] { List1->setSelected(i, false); });
}

// Removes every ticked entry, from the last one up.
void frmMain_BackUp::cmdExclude_Click() {
    try {
        for (int i = List1->ListCount() - 1; i >= 0; --i)
            if (List1->Selected(i))
                List1->RemoveItem(i);
    } catch (...) {
        const vb::ErrInfo err = vb::ErrFrom(std::current_exception());
        if (err.Number == 68) {
            platform::MsgBox(LangText(200), platform::vbCritical, ProgramName);
        } else {
            vb::Handler h(QStringLiteral("cmdExclude_Click"));
            h.Log(err);
        }
    }
}

namespace {

// The folder picker of the path fields: owned by the main window, opened in
// the program folder, folders only. "" when cancelled.
QString PickFolder(frmMain_BackUp* owner, const QString& prompt) {
    return BrowseForFolder(owner, prompt, platform::ProgramFolder(), QVariant(), false);
}

// A working folder "<chosen>\temp", created at once. A network folder cannot
// hold it: the user is told (textNo names the second line) and C:\temp is
// taken.
QString TempFolderBelow(QString folder, int textNo) {
    if (folder.startsWith(QLatin1String("\\\\"))) {
        platform::MsgBox(LangText(190) + QStringLiteral("\r\n") + LangText(textNo), platform::vbExclamation,
                         LangText(23));
        folder = QStringLiteral("C:\\");
    } else {
        folder = sFixDirString(folder);
    }
    return folder + QStringLiteral("temp");
}

// A "temp" folder below the one the user picks goes into the box and is made.
void PickWorkFolder(frmMain_BackUp* w, const QString& prompt, ui::VbTextBox* box, int networkTextNo) {
    QString folder;
    vb::Quiet([&] { folder = PickFolder(w, prompt); });
    if (folder.isEmpty())
        return;
    vb::Quiet([&] { box->setText(TempFolderBelow(folder, networkTextNo)); });
    vb::Quiet([&] { CreateDirectoryStruct(box->Text()); });
}

void PickSyncFolder(frmMain_BackUp* w, ui::VbTextBox* box) {
    QString folder;
    vb::Quiet([&] { folder = PickFolder(w, LangText(202)); });
    if (folder.isEmpty())
        return;
    vb::Quiet([&] { box->setText(sFixDirString(folder)); });
    vb::Quiet([&] { CreateDirectoryStruct(box->Text()); });
}

void PickProgram(frmMain_BackUp* w, ui::VbTextBox* box, const QString& label) {
    vb::Handler h(label);
    h.Try([&] {
        w->dlgCommonDialog->setDialogTitle(LangText(307));
        w->dlgCommonDialog->setFilter(QStringLiteral("Program Files (*.exe)|*.exe") +
                                      QStringLiteral("|All Files (*.*)|*.*"));
        // A cancelled dialog leaves the box as it was.
        if (w->dlgCommonDialog->ShowOpen())
            box->setText(w->dlgCommonDialog->FileName());
    });
    vb::DoEvents();
}

}  // namespace

void frmMain_BackUp::cmdSelectPath_Click() {
    QString folder;
    vb::Quiet([&] { folder = PickFolder(this, LangText(201)); });
    if (!folder.isEmpty())
        vb::Quiet([&] { txtPathBackUp->setText(folder); });
    vb::Quiet([&] { txtZipArchive->setText(QString()); });
}

void frmMain_BackUp::cmdSelectPathTemp_Click() { PickWorkFolder(this, LangText(202), txtPathTemp, 176); }

void frmMain_BackUp::cmdSelectPathFTPrestore_Click() {
    PickWorkFolder(this, LangText(189), txtFTPrestoreDir, 174);
}

void frmMain_BackUp::cmdSelectSyncSourceDirectory_Click() { PickSyncFolder(this, txtSourceSync); }

void frmMain_BackUp::cmdSelectSyncDestinyDirectory_Click() { PickSyncFolder(this, txtDestinySync); }

void frmMain_BackUp::cmdSelectPathBefore_Click() {
    PickProgram(this, txtPathBefore, QStringLiteral("cmdSelectPathBefore_Click of Formular frmMain_BackUp"));
}

void frmMain_BackUp::cmdSelectPathAfter_Click() {
    PickProgram(this, txtPathAfter, QStringLiteral("cmdSelectPathAfter_Click of Formular frmMain_BackUp"));
}

void frmMain_BackUp::ErrorIndicator_DblClick() {
    vb::Handler h(QStringLiteral("ErrorIndicator_DblClick of Formular frmMain_BackUp"));
    h.Next(10, [&] { lblError_Click(); });
    h.Next(20, [] { vb::DoEvents(); });
}
