// SPDX-License-Identifier: GPL-3.0-or-later
// The add commands of the sources tab and the folder tree's selection.
#include "settings/ProfileFiles.h"
#include "ui/frmMain_BackUp.h"
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
