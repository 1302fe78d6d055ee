// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's CD recorder destination: the switch between folder and
// recorder, the recorder and write-speed lists, the disc status panel and
// the free space of the disc.
#include <QAbstractItemView>
#include <cmath>

#include "common/Globals.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/CDWriterXP.h"
#include "platform/Dialogs.h"
#include "run/Vaultora_Disk.h"
#include "settings/KeyControls.h"
#include "ui/frmMain_BackUp.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

namespace {

// The highest speed factor listed: a drive that reports more (some report
// their DVD or interface speed) gets its list from here down.
constexpr qint32 kMaxListedSpeed = 52;

// Whether the selected recorder offers buffer-underrun protection, as the
// last choice of recorder found; the box stays disabled while writing.
bool burnProofOffered = false;

// A write flag is ended by a change of recorder, but never while the drive
// is still writing.
void EndWriteFlag(platform::CDWriterXP* w) {
    if (!w->Busy())
        CdWriting = false;
}

}  // namespace

platform::CDWriterXP* frmMain_BackUp::CDWriterXP1() {
    if (cdWriter_)
        return cdWriter_;
    std::unique_ptr<platform::CDWriterXP> made = platform::CreateCDWriterXP();
    cdWriter_ = made.release();
    cdWriter_->setParent(this);
    using W = platform::CDWriterXP;
    using F = frmMain_BackUp;
    connect(cdWriter_, &W::ClosingDisc, this, &F::CDWriterXP1_ClosingDisc);
    connect(cdWriter_, &W::ClosingSession, this, &F::CDWriterXP1_ClosingSession);
    connect(cdWriter_, &W::WriteComplete, this, &F::CDWriterXP1_WriteComplete);
    connect(cdWriter_, &W::PreparingToWrite, this, &F::CDWriterXP1_PreparingToWrite);
    connect(cdWriter_, &W::CreatingDirectories, this, &F::CDWriterXP1_CreatingDirectories);
    connect(cdWriter_, &W::PreparingToWriteTrack, this, &F::CDWriterXP1_PreparingToWriteTrack);
    connect(cdWriter_, &W::WritingTrack, this, &F::CDWriterXP1_WritingTrack);
    connect(cdWriter_, &W::WriteError, this, &F::CDWriterXP1_WriteError);
    connect(cdWriter_, &W::ClosingTrack, this, &F::CDWriterXP1_ClosingTrack);
    connect(cdWriter_, &W::CachingTrack, this, &F::CDWriterXP1_CachingTrack);
    connect(cdWriter_, &W::CachingTrackStatus, this, &F::CDWriterXP1_CachingTrackStatus);
    connect(cdWriter_, &W::ReadingFile, this, &F::CDWriterXP1_ReadingFile);
    connect(cdWriter_, &W::FileError, this, &F::CDWriterXP1_FileError);
    return cdWriter_;
}

void frmMain_BackUp::EnableCdRecorderControls() {
    const bool idle = !CdWriting;
    chkUseCDRecorder->setEnabled(idle);
    cboDevices->setEnabled(idle);
    cboWriteSpeed->setEnabled(idle);
    chkUseBurnProof->setEnabled(idle && burnProofOffered);
}

namespace {

void LoadWriteSpeedCombo(frmMain_BackUp* f) {
    vb::Handler h(QStringLiteral("LoadWriteSpeedCombo of Formular frmMain_BackUp"));
    if (!h.Try([&] {
            qint32 s = f->CDWriterXP1()->MaxWriteSpeed();
            if (s > kMaxListedSpeed)
                s = kMaxListedSpeed;
            f->cboWriteSpeed->Clear();
            if (s > 0) {
                do {
                    f->cboWriteSpeed->AddItem(QString::number(s) + QStringLiteral("x"));
                    f->cboWriteSpeed->setItemData(f->cboWriteSpeed->ListCount() - 1, s);
                    if (s < 5)
                        s = qint32(std::nearbyint(s / 2.0));   // halves to the even neighbour
                    else
                        s -= 4;
                } while (s > 0);
            } else {
                f->cboWriteSpeed->AddItem(QStringLiteral("Default"));
            }
            f->cboWriteSpeed->setListIndex(0);
        }))
        vb::DoEvents();
}

void LoadDriveCombo(frmMain_BackUp* f) {
    vb::Handler h(QStringLiteral("LoadDriveCombo of Formular frmMain_BackUp"));
    if (!h.Try([&] {
            platform::CDWriterXP* w = f->CDWriterXP1();
            f->cboDevices->Clear();
            EndWriteFlag(w);
            const qint16 n = w->DeviceCount();
            for (qint16 i = 0; i < n; ++i)
                f->cboDevices->AddItem(w->DeviceTextA(i) + QStringLiteral(": ") + w->DeviceTextC(i) +
                                       QStringLiteral(" ") + w->DeviceTextB(i));
            if (f->cboDevices->ListCount() == 0) {
                platform::MsgBox(QStringLiteral("There are no compatible CDR drives reported.\r\n"
                                                "Some older CDR drives are not currently supported."),
                                 platform::vbInformation, ProgramName);
                return;
            }
            // A long line (an image file's path) is shown whole in the open
            // list and in the box's tip.
            f->cboDevices->view()->setMinimumWidth(f->cboDevices->view()->sizeHintForColumn(0) + 24);
            f->cboDevices->setListIndex(0);
        }))
        vb::DoEvents();
}

}  // namespace

void frmMain_BackUp::chkUseCDRecorder_Click() {
    vb::Handler h(QStringLiteral("chkUseCDRecorder_Click of Formular frmMain_BackUp"));
    if (chkUseCDRecorder->Value() == 1) {
        h.Next(1, [&] { Label4->setCaption(QStringLiteral("Recorder:")); });
        h.Next(2, [&] {
            txtPathBackUp->hide();
            cmdSelectPath->hide();
        });
        h.Next(3, [&] {
            cboDevices->show();
            cboWriteSpeed->show();
            chkUseBurnProof->show();
        });
        h.Next(4, [&] { Frame3->update(); });
        h.Next(5, [&] { LoadDriveCombo(this); });
        if (cboDevices->ListCount() > 0) {
            h.Next(6, [&] {
                if (SavedCdDevice >= 0)
                    cboDevices->setListIndex(SavedCdDevice);
            });
            // A profile saved while no recorder was listed holds -1 (or an
            // index the new recorder's list lacks): the first speed stays
            // chosen rather than an empty box.
            h.Next(7, [&] {
                if (SavedCdSpeed >= 0 && SavedCdSpeed < cboWriteSpeed->ListCount())
                    cboWriteSpeed->setListIndex(SavedCdSpeed);
            });
            h.Next(8, [&] { chkAppendArchive->setValue(0); });
            h.Next(9, [&] { Update_Media(); });
            vb::DoEvents();
            return;
        }
    }
    // Not ticked, or no recorder: the folder is the destination (unticking
    // runs this handler once more for that state).
    h.Next(10, [&] { chkUseCDRecorder->setValue(0); });
    h.Next(11, [&] { Label4->setCaption(QStringLiteral("Dest. Directory:")); });
    h.Next(12, [&] {
        txtPathBackUp->show();
        cmdSelectPath->show();
    });
    h.Next(13, [&] {
        cboDevices->hide();
        cboWriteSpeed->hide();
        chkUseBurnProof->hide();
    });
    h.Next(14, [&] { Update_Media(); });
}

void frmMain_BackUp::cboDevices_Click() {
    vb::Handler h(QStringLiteral("cboDevices_Click of Formular frmMain_BackUp"));
    if (!h.Try([&] {
            platform::CDWriterXP* w = CDWriterXP1();
            h.Erl = 1;
            EndWriteFlag(w);
            h.Erl = 2;
            // Only an entry that names a recorder selects one.
            const qint16 index = cboDevices->ListIndex();
            if (index < 0 || index >= w->DeviceCount())
                return;
            w->SelectDevice(index);
            cboDevices->setToolTip(cboDevices->Text());
            h.Erl = 3;
            LoadWriteSpeedCombo(this);
            h.Erl = 4;
            burnProofOffered = w->BurnProofSupported();
            chkUseBurnProof->setValue(0);
            EnableCdRecorderControls();
            h.Erl = 5;
            Update_Media();
        }))
        vb::DoEvents();
}

void frmMain_BackUp::cboWriteSpeed_Click() {
    vb::Handler h(QStringLiteral("cboWriteSpeed_Click of Formular frmMain_BackUp"));
    if (!h.Try([&] {
            if (cboWriteSpeed->Text() == QLatin1String("Default"))
                return;   // the recorder keeps its own speed
            if (cboWriteSpeed->ListIndex() < 0)
                cboWriteSpeed->setListIndex(0);
            CDWriterXP1()->SetWriteSpeed(qint16(cboWriteSpeed->ItemData(cboWriteSpeed->ListIndex())));
        }))
        vb::DoEvents();
}

void frmMain_BackUp::chkAppendArchive_Click() {
    vb::Handler h(QStringLiteral("chkAppendArchive_Click of Formular frmMain_BackUp"));
    if (!h.Try([&] {
            if (chkUseCDRecorder->Value() == 1 && chkAppendArchive->Value() == 1) {
                platform::MsgBox(LangText(233), platform::vbInformation, ProgramName + QStringLiteral(" Info"));
                chkAppendArchive->setValue(0);
            }
        }))
        vb::DoEvents();
}

qint64 frmMain_BackUp::FreeCdSpace() {
    vb::Handler h(QStringLiteral("FreeCdSpace of Formular frmMain_BackUp"));
    const qint64 free = h.Guard(qint64(0), [&] {
        platform::CDWriterXP* w = CDWriterXP1();
        return w->ConvertSpace(w->DiscFreeSpace(1), 1);
    });
    vb::DoEvents();
    return free;
}

void frmMain_BackUp::SetStatusCDR() {
    vb::Handler h(QStringLiteral("SetStatusCDR of Formular frmMain_BackUp"));
    h.Try([&] {
        platform::CDWriterXP* w = CDWriterXP1();
        h.Erl = 1;
        if (!w->DiscReady()) {
            lblDriveInfo(4)->setCaption(LangText(14));
            return;
        }
        h.Erl = 2;
        lblDriveInfo(4)->setCaption(LangText(5));
        lblDesc(8)->setCaption(QStringLiteral("Num. Sessions:"));
        lblDriveInfo(8)->setCaption(QString::number(w->SessionCount()));
        h.Erl = 3;
        switch (w->DiscType()) {
        case 0: lblDriveInfo(1)->setCaption(QStringLiteral("CD-DA/CD-ROM")); break;
        case 16: lblDriveInfo(1)->setCaption(QStringLiteral("CDI")); break;
        case 32: lblDriveInfo(1)->setCaption(QStringLiteral("CD-ROM XA")); break;
        case 255: lblDriveInfo(1)->setCaption(LangText(12)); break;
        default: break;
        }
        h.Erl = 4;
        lblDesc(6)->setCaption(QStringLiteral("Disc Status:"));
        switch (w->DiscStatus()) {
        case 0: lblDriveInfo(6)->setCaption(QStringLiteral("Empty Disc")); break;
        case 1: lblDriveInfo(6)->setCaption(QStringLiteral("Disc Open")); break;
        case 2: lblDriveInfo(6)->setCaption(QStringLiteral("Disc is Closed")); break;
        case 3: lblDriveInfo(6)->setCaption(LangText(12)); break;
        default: break;
        }
        h.Erl = 5;
        lblDesc(7)->setCaption(QStringLiteral("Session Status:"));
        switch (w->SessionStatus()) {
        case 0: lblDriveInfo(7)->setCaption(QStringLiteral("Empty Session")); break;
        case 1: lblDriveInfo(7)->setCaption(QStringLiteral("Incomplete Session")); break;
        case 2: lblDriveInfo(7)->setCaption(QStringLiteral("Unknown")); break;
        case 3: lblDriveInfo(7)->setCaption(QStringLiteral("Closed Session")); break;
        default: break;
        }
        h.Erl = 6;
        lblDriveInfo(10)->setCaption(w->VolumeLabel);
        lblDriveInfo(11)->setCaption(QString::number(w->DiscInfoCount()));
    });
    vb::DoEvents();
}
