// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/Vaultora_CDWriterXP.h"

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_Time.h"
#include "platform/CDWriterXP.h"
#include "platform/Dialogs.h"
#include "platform/WindowsPattern.h"
#include "run/RunDisplay.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/Strings.h"

bool CdWriting = false;
qint64 CdTrackSize = 0;
qint64 CdCacheTotal = 0;
QString CdWriteFailure;
bool CdWriteCompleted = false;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

platform::CDWriterXP& Writer() { return *fMainForm->CDWriterXP1(); }

void Critical(const QString& text) { platform::MsgBox(text, platform::vbCritical, ProgramName); }

// Closes the incomplete last session of the disc; says so when that fails.
void CloseFormerSession() {
    if (!Writer().CloseSession(false))
        Critical(QStringLiteral("Error attempting to Close former Session!"));
}

// How long BurnCD waits: at most 10 seconds for the write to start, then at
// most 1801 steps of a second; after a cancel, the bounded wait for the
// drive.
constexpr qint32 kStartSeconds = 10;
constexpr int kMaxSteps = 1800;
constexpr qint64 kCancelWaitMs = 60000;

}  // namespace

QString CdImageFolder(const QString& CdPath) {
    QString folder = CdPath.trimmed();
    if (folder.size() >= 2 && folder.at(1) == QLatin1Char(':'))
        folder = folder.mid(folder.size() >= 3 ? 3 : 2);   // a bare "D:" is the root too
    while (folder.startsWith(QLatin1Char('\\')) || folder.startsWith(QLatin1Char('/')))
        folder.remove(0, 1);
    if (!folder.isEmpty())
        folder = sFixDirString(folder);
    return folder;
}

double CdImageSize() {
    platform::CDWriterXP& w = Writer();
    return double(w.ConvertSpace(w.ImageSpace(), 1));
}

QStringList CdDiscFiles(const QString& pattern) {
    const platform::WindowsPattern match(pattern);
    QStringList out;
    for (const QString& name : Writer().DiscFiles())
        if (match.matches(name))
            out << name;
    return out;
}

namespace {

// Runs `change` with the image path of the entry for FilePath in the folder
// CdPath; an error is logged with the label and leaves the entry as it was.
template <class F>
bool ChangeImage(const QString& label, const QString& CdPath, const QString& FilePath, F&& change) {
    vb::Handler h(label);
    const bool done = h.Try([&] {
        h.Erl = 1;
        const QString entry = CdImageFolder(CdPath) + sParseFile(FilePath);
        h.Erl = 5;
        change(Writer(), entry);
    });
    vb::DoEvents();
    return done;
}

}  // namespace

bool AddImage2CD(const QString& CdPath, const QString& FilePath) {
    return ChangeImage(QStringLiteral("AddImage2CD of Formular frmOptions"), CdPath, FilePath,
                [&](platform::CDWriterXP& w, const QString& entry) { w.AddFile(entry, FilePath); });
}

void RemoveImage2CD(const QString& CdPath, const QString& FilePath) {
    ChangeImage(QStringLiteral("RemoveImage2CD of Formular frmOptions"), CdPath, FilePath,
                [](platform::CDWriterXP& w, const QString& entry) { w.RemoveFile(entry); });
}

void OpenCopy2CD() {
    vb::Handler h(QStringLiteral("OpenCopy2CD of Formular frmOptions"));
    h.Try([&] {
        platform::CDWriterXP& w = Writer();
        h.Erl = 1;
        w.RefreshDiscInfo();
        h.Erl = 2;
        const QString notReady = w.NotReadyReason();
        if (!notReady.isEmpty()) {
            Critical(notReady);
            return;
        }
        const qint32 status = w.DiscStatus();
        if (status == 2 || status == 3) {
            Critical(QStringLiteral("Disk closed") + kCrLf + QStringLiteral("Please insert a new media."));
            return;
        }
        if (status != 1)
            return;   // an empty disc needs nothing
        h.Erl = 4;
        switch (w.SessionStatus()) {
        case 1:
            CloseFormerSession();
            break;
        case 2:
            Critical(QStringLiteral("Unexpected error.") + kCrLf + QStringLiteral("Please insert a new media."));
            return;
        default:
            break;
        }
        h.Erl = 5;
        if (w.ImportSession(true))
            return;
        Critical(QStringLiteral("Previous Session could not be imported") + kCrLf +
                 QStringLiteral("Only ISO/Joliet tracks (Mode1) can be imported."));
        Critical(QStringLiteral("The CD recorder will exit now") + kCrLf + QStringLiteral("Insert a new media."));
    });
    vb::DoEvents();
}

bool BurnCD() {
    vb::Handler h(QStringLiteral("BurnCD of Formular frmOptions"));
    frmMain_BackUp* f = fMainForm;
    CdWriteFailure.clear();
    CdWriteCompleted = false;
    // Only an image that holds something is written: an empty one would
    // only fail, with its messages and its wait.
    bool empty = false;
    vb::Quiet([&] { empty = CdImageSize() <= 0; });
    if (empty)
        return true;
    const bool ran = h.Try([&] {
        platform::CDWriterXP& w = Writer();
        h.Erl = 1;
        CdWriting = true;
        f->EnableCdRecorderControls();
        f->ProgressBar3->show();
        h.Erl = 2;
        w.BurnSetting7 = 1;
        w.BurnSetting4 = false;
        w.BurnSetting5 = true;
        w.BurnSetting9 = true;
        w.VolumeLabel = vb::Format(vb::Date(), QStringLiteral("YYYY-MM-DD"));
        w.AfterWriteOption = false;
        w.BurnSetting3 = true;
        w.StartWrite(f->chkUseBurnProof->Value() == 1);
        h.Erl = 3;
        run_display::PlayClip(QStringLiteral("adddatacd.avi"));
        h.Erl = 4;
        // A write that failed before it started has said so by now.
        for (qint32 s = 0; s < kStartSeconds && CdWriting && !w.WriteStarted(); ++s)
            Wait(1);
        h.Erl = 5;
        if (!w.WriteStarted()) {
            Critical(QStringLiteral("Disc Write could not be started."));
            if (CdWriteFailure.isEmpty())
                CdWriteFailure = QStringLiteral("Disc Write could not be started.");
            CdWriting = false;
            f->ProgressBar3->hide();
        }
        h.Erl = 6;
        int n = 0;
        while (CdWriting) {
            Wait(1);
            if (++n > kMaxSteps)
                break;
            vb::DoEvents();
        }
        if (CdWriting && w.Busy()) {
            // The write did not end in time. It is stopped before the run
            // goes on and deletes the temporary files the image reads.
            CdWriteFailure = QStringLiteral("The disc write did not end within 30 minutes and was cancelled.");
            w.CancelWrite();
            const qint64 until = vb::MonotonicMs() + kCancelWaitMs;
            while (w.Busy() && vb::MonotonicMs() < until)
                Wait(1);
        }
    });
    // 7.
    vb::Quiet([&] {
        // A write that is over can leave no flag standing, or the recorder
        // could never be changed again.
        if (!Writer().Busy())
            CdWriting = false;
        run_display::StopClip();
        f->EnableCdRecorderControls();
    });
    vb::DoEvents();
    if (!ran && CdWriteFailure.isEmpty())
        CdWriteFailure = h.Err.Description;
    const bool written = ran && CdWriteCompleted && CdWriteFailure.isEmpty();
    if (!written && CdWriteFailure.isEmpty())
        CdWriteFailure = QStringLiteral("The disc write did not end.");
    return written;
}

QString DeviceErrorText(qint32 code) {
    static const char* const texts[] = {
        "No additional error data was reported",
        "Abnormal I/O Termination",
        "The drive is not ready",
        "Communication with drive unit failed",
        "The drive could not track properly",
        "Writing error of unknown origin",
        "Writing occurred, but recovery is needed",
        "Recovery attempt failed",
        "A buffer under-run has occurred",
        "The disc could not be read",
        "The drive's attempts at reading retries failed",   // 1010
        "The read timed out",
        "While reading, the LEC was not recovered",
        "The CIRC could not be validated",
        "Reading of the UPC failed",
        "Reading of the ISRC failed",
        "Streaming while reading was interrupted",
        "Drive could not position media",
        "An incompatible parameter length was sent to the drive",
        "A transfer error occurred to the drive",
        "An invalid command was sent to the drive",   // 1020
        "Error trying to write past the end of the media",
        "Invalid command field",
        "An incompatible parameter field was sent to the drive",
        "A command parameter is not supported",
        "A command parameter had an invalid value",
        "The SCSI/ATAPI bus was reset and caused a write failure",
        "A command parameter changed while in progress",
        "The disc is not compatible with the drive mode",
        "The drive does not recognize the format of the disc",
        "The disc format is not compatible with the drive",   // 1030
        "The disc is of an unknown format",
        "The drive cannot write because of an incompatible format",
        "A disc is not present",
        "The drive had an unknown failure",
        "The drive has timed out while completing a command",
        "The disc could not be erased",
        "The Table of Contents is unrecoverable",
        "Error trying to write past the user area of the media",
        "Packet recording is not configured correctly",
        "The current track mode is incompatible with the disc format",   // 1040
        "Packet recording has incorrect size",
        "A generic session closing error occurred",
        "Error closing Lead-in area",
        "Error closing Lead-out area",
        "While closing, the track was never completed",
        "Error attempting to write to a reserved track",
        "Power calibration area is full",
        "A flaw exists in the Power calibration area",
        "The disc's PMA could not be updated",
        "The disc's PMA is full",   // 1050
        "Unknown error - use extended data for more information",
        "No Error Reported",
        "A seek command was interrupted by another command",   // 1053
    };
    static_assert(std::size(texts) == 54);
    QString text;
    if (code >= 1000 && code <= 1053)
        text = QString::fromLatin1(texts[code - 1000]);
    return text + QStringLiteral(" (") + QString::number(code) + QStringLiteral(").");
}

QString GetWriteErrorText(platform::CDWriterXP& writer, qint32 errorType, qint32 code) {
    switch (errorType) {
    case 0:
        return QStringLiteral("The read buffer could not be initialized...check your memory/disc resources.");
    case 1:
        return QStringLiteral("The write buffer could not be initialized...check your memory/disc resources.");
    case 2:
        return QStringLiteral("A file error was encountered while writing the disc.");
    case 3:
        if (code == 1051)
            return QStringLiteral("An unknown device error has occurred (") + QString::number(code) +
                   QStringLiteral(").") + kCrLf + QStringLiteral("Extended Error Data - ") +
                   writer.ExtendedErrorData();
        return DeviceErrorText(code);
    case 4:
        return QStringLiteral("Tracks have been added the disc image...Please add tracks and try again.");
    case 5:
        return QStringLiteral("Tracks have been added the disc image with an invalid format...Please try again.");
    default:
        return QStringLiteral("Unknown writing error.");
    }
}

QString GetFileErrorText(qint32 errorType, const QString& fileName) {
    switch (errorType) {
    case 0: return QStringLiteral("Error opening file: ") + fileName;
    case 1: return QStringLiteral("Error reading file: ") + fileName;
    case 2: return QStringLiteral("Error writing file: ") + fileName;
    case 4: return QStringLiteral("Error buffering file: ") + fileName;
    default: return QStringLiteral("Unknown file error!:");
    }
}
