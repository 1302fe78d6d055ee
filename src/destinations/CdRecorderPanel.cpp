// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's CD recorder destination: the switch between folder and
// recorder, the recorder list and the disc status. No recorder is offered
// yet, so the destination always falls back to the folder.
#include "common/Globals.h"
#include "destinations/PendingDestination.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "run/Vaultora_Disk.h"
#include "ui/frmMain_BackUp.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

void frmMain_BackUp::chkUseCDRecorder_Click() {
    vb::Handler h(QStringLiteral("chkUseCDRecorder_Click of Formular frmMain_BackUp"));
    if (chkUseCDRecorder->Value() == 1) {
        // The recorder list stays empty: say so, then fall back to the
        // folder (unticking runs this handler once more for that state).
        h.Next(1, [&] {
            cboDevices->Clear();
            CdWriting = false;
        });
        ReportDestinationNotAvailable(QStringLiteral("chkUseCDRecorder"));
    }
    h.Next(2, [&] { chkUseCDRecorder->setValue(0); });
    h.Next(3, [&] { Label4->setCaption(QStringLiteral("Dest. Directory:")); });
    h.Next(4, [&] {
        txtPathBackUp->show();
        cmdSelectPath->show();
    });
    h.Next(5, [&] {
        cboDevices->hide();
        cboWriteSpeed->hide();
        chkUseBurnProof->hide();
    });
    h.Next(6, [&] { Update_Media(); });
}

void frmMain_BackUp::cboDevices_Click() {
    vb::Handler h(QStringLiteral("cboDevices_Click of Formular frmMain_BackUp"));
    if (!h.Try([&] {
            CdWriting = false;
            Update_Media();
        }))
        vb::DoEvents();
}

qint32 frmMain_BackUp::FreeCdSpace() {
    ReportDestinationNotAvailable(QStringLiteral("FreeCdSpace"));
    vb::DoEvents();
    return 0;
}

void frmMain_BackUp::SetStatusCDR() {
    lblDriveInfo(4)->setCaption(LangText(14));
    ReportDestinationNotAvailable(QStringLiteral("SetStatusCDR"));
    vb::DoEvents();
}
