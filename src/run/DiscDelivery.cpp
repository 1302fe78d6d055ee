// SPDX-License-Identifier: GPL-3.0-or-later
// What a run puts on the disc image, and what becomes of it: a volume or a
// copied file counts as backed up only once the disc holds it. Until then
// the archive flags of its files stay set; a write that fails, or a file
// left off a full disc, is reported as not backed up, and a volume's working
// archive is kept at the run's end as an undelivered one.
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_Language.h"
#include "common/RunOutcome.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/CDWriterXP.h"
#include "platform/Dialogs.h"
#include "run/ArchivePaths.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

bool frmMain_BackUp::PutOnDiscImage(const QString& folder, const QStringList& files, QString* why) {
    for (;;) {
        bool added = true;
        for (const QString& f : files)
            added = AddImage2CD(folder, f) && added;
        double free = 0, image = 0;
        QString notReady;
        vb::Quiet([&] {
            free = double(FreeCdSpace());
            image = CdImageSize();
            notReady = CDWriterXP1()->NotReadyReason();
        });
        if (added && notReady.isEmpty() && !(free < image))
            return true;
        QString refusal;
        if (!added)
            refusal = QStringLiteral("It could not be put on the disc image");
        else if (!notReady.isEmpty())
            refusal = notReady;
        else
            refusal = QStringLiteral("The disc has no room for it (the image needs %1 bytes, the disc has %2 free)")
                          .arg(qint64(image))
                          .arg(qint64(free));
        for (const QString& f : files)
            RemoveImage2CD(folder, f);
        // What the image held before is written now.
        WriteDiscImage();
        int answer = platform::vbCancel;
        vb::Quiet([&] {
            // A recorder that cannot be used says why before it asks.
            const QString prompt = notReady.isEmpty() ? LangText(308) : notReady + vb::vbCrLf + LangText(308);
            answer = platform::MsgBox(prompt, platform::vbOKCancel | platform::vbExclamation, ProgramName);
        });
        if (answer != platform::vbOK) {
            *why = refusal + QStringLiteral(", and no new disc was inserted");
            return false;
        }
        OpenCopy2CD();
    }
}

bool frmMain_BackUp::WriteDiscImage() {
    const bool written = BurnCD();
    if (!written) {
        DiscImageNotWritten(QStringLiteral("The disc write failed: ") + CdWriteFailure);
        return false;
    }
    std::vector<OnDiscImage> done;
    done.swap(onDiscImage_);
    for (const OnDiscImage& d : done)
        ClearArchiveBits(d.files);
    return true;
}

void frmMain_BackUp::DiscImageNotWritten(const QString& why) {
    std::vector<OnDiscImage> lost;
    lost.swap(onDiscImage_);
    for (const OnDiscImage& d : lost)
        LeftOffDisc(d.what, why, d.archive);
}

void frmMain_BackUp::LeftOffDisc(const QString& what, const QString& why, const QString& archive) {
    const QString label = optBuMode(0)->Value() ? QStringLiteral("Zip_Copy error_cd")
                                                : QStringLiteral("Copy_Now of Formular frmMain_BackUp");
    ReportNotBackedUp(label, 10, 0, why, what);
    if (!archive.isEmpty())
        undeliveredToDisc_ << archive;
}

void frmMain_BackUp::DeliveredElsewhere(const QString& archive) {
    undeliveredToDisc_.removeAll(archive);
    for (OnDiscImage& d : onDiscImage_)
        if (d.archive == archive)
            d.archive.clear();
}

void frmMain_BackUp::KeepUndeliveredToDisc() {
    QStringList archives;
    archives.swap(undeliveredToDisc_);
    for (const QString& archive : archives) {
        if (!FileExists(archive))
            continue;
        const QString kept = KeepUndelivered(txtPathTemp->Text(), archive, archive + QStringLiteral(".log"));
        if (!kept.isEmpty())
            WriteErrorLog(false, ProgramName, QStringLiteral("Zip_Copy error_cd"), 10, 0,
                          QStringLiteral("The archive that was not written to a disc is kept in ") + kept +
                              QStringLiteral(": ") + sParseFile(archive));
    }
}
