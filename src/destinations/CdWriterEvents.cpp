// SPDX-License-Identifier: GPL-3.0-or-later
// The CD writer's events while a disc is written: a one-line status in
// txtNews, the track's percentage in ProgressBar3, error messages, and the
// end of the write, which ends BurnCD's wait.
#include <algorithm>
#include <cmath>

#include "common/Globals.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/CDWriterXP.h"
#include "platform/Dialogs.h"
#include "run/RunDisplay.h"
#include "ui/frmMain_BackUp.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"

namespace {

// part of whole in per cent, rounded half to even, within 0 to 100; a whole
// of 0 gives 0.
qint16 Percent(qint64 part, qint64 whole) {
    if (whole <= 0)
        return 0;
    const double p = std::nearbyint(double(part) / double(whole) * 100.0);
    return qint16(std::clamp(p, 0.0, 100.0));
}

QString Track(qint16 track) { return vb::Format(double(track), QStringLiteral("0#")); }

void News(const QString& text) { run_display::StatusText(text); }

}  // namespace

void frmMain_BackUp::CDWriterXP1_CachingTrack(qint16 track, qint64 total) {
    vb::Quiet([&] { CdCacheTotal = total; });
}

void frmMain_BackUp::CDWriterXP1_CachingTrackStatus(qint64 cached) {
    vb::Handler h(QStringLiteral("CDWriterXP1_CachingTrackStatus of Formular fmainform"));
    h.Try([&] {
        News(QStringLiteral("Caching Track - ") +
             vb::Format(double(Percent(cached, CdCacheTotal)), QStringLiteral("0#")) + QStringLiteral(" %"));
        vb::DoEvents();
        vb::DoEvents();
    });
}

void frmMain_BackUp::CDWriterXP1_ClosingDisc() { vb::Quiet([] { News(QStringLiteral("Closing Disc....")); }); }

void frmMain_BackUp::CDWriterXP1_ClosingSession() {
    vb::Quiet([] { News(QStringLiteral("Closing Session....")); });
}

void frmMain_BackUp::CDWriterXP1_ClosingTrack(qint32 argument) {
    vb::Quiet([] { News(QStringLiteral("Closing Track....")); });
}

void frmMain_BackUp::CDWriterXP1_CreatingDirectories() {
    vb::Quiet([] { News(QStringLiteral("Creating Directories....")); });
}

void frmMain_BackUp::CDWriterXP1_PreparingToWrite() {
    vb::Quiet([] { News(QStringLiteral("Preparing to Write....")); });
    vb::Quiet([&] { ProgressBar3->setValue(0); });
}

void frmMain_BackUp::CDWriterXP1_ReadingFile(qint32 number) {
    News(QStringLiteral("Reading File...") + QString::number(number));
}

void frmMain_BackUp::CDWriterXP1_FileError(qint32 errorType, const QString& fileName) {
    vb::Quiet([&] { News(GetFileErrorText(errorType, fileName)); });
}

void frmMain_BackUp::CDWriterXP1_PreparingToWriteTrack(qint16 track, qint64 size) {
    vb::Quiet([&] { News(QStringLiteral("Preparing to Write Track #") + Track(track)); });
    vb::Quiet([&] { CdTrackSize = size; });
}

void frmMain_BackUp::CDWriterXP1_WritingTrack(qint16 track, qint64 written, qint64 third) {
    vb::Quiet([&] { News(QStringLiteral("Writing Track #") + Track(track) + QStringLiteral("... ")); });
    vb::Quiet([&] { ProgressBar3->setValue(Percent(written, CdTrackSize)); });
}

void frmMain_BackUp::CDWriterXP1_WriteError(qint32 errorType, qint32 code) {
    // The message comes first: the waiting BurnCD goes on only once it is closed.
    QString text;
    vb::Quiet([&] { text = GetWriteErrorText(*CDWriterXP1(), errorType, code); });
    vb::Quiet([&] { platform::MsgBox(text, platform::vbCritical, ProgramName); });
    // The reason the run gives for what the disc does not hold.
    vb::Quiet([&] {
        QString extra;
        if (!(errorType == 3 && code == 1051))
            extra = CDWriterXP1()->ExtendedErrorData();
        CdWriteFailure = extra.isEmpty() || text.contains(extra) ? text : text + QStringLiteral(" (") + extra +
                                                                              QLatin1Char(')');
    });
    vb::Quiet([] { News(QStringLiteral("A write error occurred..")); });
    vb::Quiet([&] {
        if (!CDWriterXP1()->Busy())
            CdWriting = false;
    });
    vb::Quiet([&] { ProgressBar3->hide(); });
    vb::Quiet([&] { EnableCdRecorderControls(); });
}

void frmMain_BackUp::CDWriterXP1_WriteComplete() {
    vb::Quiet([] { News(QStringLiteral("Writing Complete!")); });
    vb::Quiet([] { CdWriting = false; });
    CdWriteCompleted = true;
    vb::Quiet([&] { ProgressBar3->hide(); });
    vb::Quiet([&] { EnableCdRecorderControls(); });
    vb::Quiet([&] {
        platform::CDWriterXP* w = CDWriterXP1();
        if (!w->AfterWriteOption)
            w->AfterWriteAction();
    });
}
