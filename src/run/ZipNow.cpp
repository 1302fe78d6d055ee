// SPDX-License-Identifier: GPL-3.0-or-later
// Zip_Now and WriteToZip of the main window: one source file into the run's
// archive, within the volume limits, with the counters, the run log and the
// archive log.
#include <algorithm>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/RunOutcome.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/ZipArchiveComponent.h"
#include "run/ArchiveLog.h"
#include "run/ArchivePaths.h"
#include "run/NRV_FileSplit.h"
#include "run/ProgramEnd.h"
#include "run/RunDisplay.h"
#include "run/SourceFolder.h"
#include "run/Vaultora_Disk.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/Strings.h"

using namespace run_display;

namespace {
constexpr double kMb = 1048576.0;
}

bool frmMain_BackUp::Zip_Now(const QString& File) {
    vb::Handler h(QStringLiteral("Zip_Now of Formular frmMain_BackUp"));
    return h.Guard(false, [&] {
        if (!Zip_Wanted(File)) {
            ++runUnchanged_;
            return false;
        }
        return WriteToZip(File);
    });
}

// A run of new files only takes a file whose archive flag is set, or that the
// inclusion list names.
bool frmMain_BackUp::Zip_Wanted(const QString& File) {
    return !(optNewOnly->Value() && !(File_Included(File) || CurrentArchiveBit));
}

bool frmMain_BackUp::WriteToZip(const QString& File, const QString& StoredAs) {
    vb::Handler h(QStringLiteral("WriteToZip"));
    QString line;
    bool result = false;
    bool report = true;        // steps 20 to 22 follow
    QString pieces;            // the names of the pieces of a split file
    qint64 c = 0;              // the stored entry's compressed size
    qint64 u = 0;              // and its uncompressed size
    qint32 after = -1;         // the index of the stored entry

    const QString shownAs = StoredAs.isEmpty() ? File : StoredAs;
    auto nameField = [&] { return archive_log::NameField(shorten_path(shownAs, archive_log::kNameWidth)); };
    auto entryCount = [&]() -> qint32 {
        if (!ZipArchive)
            vb::Raise(vb::errObjectNotSet);
        return ZipArchive->Files().Count();
    };

    // A file of the walk's listing is not looked at again for its length.
    QString listedHost;
    platform::HostStat listedSt;
    const bool listed = LookedAt().take(File, &listedHost, &listedSt);

    const bool ok = TryFor(h, File, [&] {
        // file-count limit
        for (;;) {
            h.Erl = 1;
            vb::DoEventsThrottled();
            h.Erl = 2;
            // An empty volume always takes the file, so a limit below 1
            // cannot open new volumes without end.
            const qint32 count = entryCount();
            if (chkMaxFiles->Value() == 1 && count > 0 && double(count) >= vb::Val(txtMaxFiles->Text())) {
                if (Open_Zip(true)) {
                    if (ProgramEnded()) {
                        report = false;
                        return;
                    }
                    continue;
                }
                Status(144);
                ReportNotBackedUp(h.label(), h.Erl, 0, LangText(144), File);
                return;
            }
            break;
        }

        // size limits and free space
        for (;;) {
            h.Erl = 3;
            CurrentFileSize = double(listed ? listedSt.size : platform::FileLen(File));
            h.Erl = 4;
            if (chkMaxZIPsize->Value() == 1) {
                if (CurrentFileSize > ZipSizeLimit) {
                    // The file as it was before it was cut: its flag is
                    // cleared with the volume's files once every piece is in.
                    const platform::HostStat before =
                        listed ? listedSt : platform::StatHost(platform::HostPathOrRaise(File));
                    const QString host = listed ? listedHost : platform::ToHost(File);
                    if (StoreTooLarge(File) && chkResetArchiveBit->Value() == 1 && CurrentArchiveBit)
                        storedFiles_.push_back({host, before.size, qint64(before.mtime.tv_sec)});
                    report = false;
                    return;
                }
                // A file that fits no volume beside the archive's own bytes
                // goes alone into an empty one.
                if (CurrentZipSize + CurrentFileSize >= ZipSizeLimit && entryCount() > 0) {
                    if (Open_Zip(true)) {
                        if (ProgramEnded()) {
                            report = false;
                            return;
                        }
                        continue;
                    }
                    Status(145);
                    ReportNotBackedUp(h.label(), h.Erl, 0, LangText(145), File);
                    return;
                }
            }
            h.Erl = 5;
            if (gFreeSpace >= CurrentFileSize)
                break;
            h.Erl = 6;
            ZipArchive->Close();
            vb::Close(LogFileNo);
            AskForNewMedium(true);
            if (ProgramEnded()) {
                report = false;
                return;
            }
            PlayClip(QStringLiteral("compress.avi"));
            Refresh();
        }

        // storing
        h.Erl = 11;
        Status(146);
        h.Erl = 12;
        const qint32 before = entryCount() - 1;
        h.Erl = 14;
        // The file's attributes never keep it from being read here, so they
        // stay as they are while it is stored.
        vb::ErrInfo addError;
        try {
            ZipArchive->Files().AddFileByName(File, Slider1->Value(), true, chkOverwriteFile->Value() == 1,
                                              StoredAs);
        } catch (...) {
            addError = vb::ErrFrom(std::current_exception());
        }
        h.Erl = 16;
        after = entryCount() - 1;
        if (addError || after == before) {
            line = nameField() + archive_log::kFileLocked;
            ReportNotBackedUp(h.label(), 14, addError.Number,
                              addError ? addError.Description : QStringLiteral("The file was not stored"), File);
            return;
        }
        const platform::ZipArchiveEntry stored = ZipArchive->Files().Item(after);
        c = stored.CompressedSize();
        u = stored.UncompressedSize();
        // A file that changed while it was read is stored as it was read, and
        // its archive flag stays set so that the next run of new files takes
        // it again. One that grew is told in a trace line; one that shrank is
        // torn (neither version): it is not backed up, the error log names it
        // and the run is incomplete.
        const bool changed = double(u) != CurrentFileSize;
        if (changed && double(u) > CurrentFileSize)
            WriteLog(QStringLiteral("WriteToZip: changed while stored"), File, CurrentFileSize, u);
        else if (changed)
            ReportNotBackedUp(h.label(), 16, vb::errPathFileAccess,
                              QStringLiteral("The file changed while it was read (%1 bytes when listed, %2 read); "
                                             "the archive holds it as read")
                                  .arg(qint64(CurrentFileSize))
                                  .arg(u),
                              File);
        h.Erl = 17;
        // The flag is cleared once the volume has reached its destination
        // (Zip_Copy): a run that is stopped or fails leaves it set.
        if (chkResetArchiveBit->Value() == 1 && CurrentArchiveBit && !changed && StoredAs.isEmpty())
            // Kept by its host path, as the listing saw it or mapped here
            // while the mapping of the file just read is fresh (the flags are
            // settled much later).
            storedFiles_.push_back({listed ? listedHost : platform::ToHost(File), u, stored.ModificationSecs()});
        h.Erl = 18;
        // Files taken: a piece of a split file is not one (the file counts
        // once all its pieces are in); entries in the archive: those it
        // keeps, without the ones this file replaced.
        if (StoredAs.isEmpty())
            txtTotalFiles->setTextSoon(vb::CStr(vb::Val(txtTotalFiles->Text()) + 1));
        txtAnzFiles->setTextSoon(QString::number(ZipArchive->Files().Kept()));
        TotalUncompressed += double(u);
        TotalCompressed += double(c);
        txtTotalSize->setTextSoon(vb::Format(TotalUncompressed / kMb, QStringLiteral("###0.00")));
        txtCompSize->setTextSoon(vb::Format(TotalCompressed / kMb, QStringLiteral("###0.00")));
        CurrentZipSize += double(c);
        txtZipSize->setTextSoon(vb::Format(CurrentZipSize / kMb, QStringLiteral("###0.000")));
        h.Erl = 19;
        line = archive_log::StoredLine(nameField(), u, c);
        result = true;
    });
    if (!ok) {
        line = archive_log::ErrorLine(h.Err.Number, h.Err.Description);
        WriteLog(File, pieces, txtTotalFiles->Text(), txtAnzFiles->Text(), c, u, txtTotalSize->Text(),
                 txtCompSize->Text(), txtZipSize->Text(), after);
        result = false;
    }
    if (!report)
        return result;

    // reporting
    vb::Handler r(QStringLiteral("WriteToZip"));
    r.Next(20, [&] { LogLine(line); });
    r.Next(21, [&] {
        if (chkWriteLog->Value() == 1 && !vb::Trim(line).isEmpty())
            archive_log::Write(LogFileNo, line);
    });
    r.Next(22, [&] { vb::DoEventsThrottled(); });
    return result;
}

// A file larger than a whole volume: skipped, or split into pieces that are
// stored one by one, each named as if it stood beside the file ("<name>.1",
// ..., and the joiner "<name>.bat"). True when the file was split and every
// piece stored.
bool frmMain_BackUp::StoreTooLarge(const QString& File) {
    const QString field = archive_log::NameField(shorten_path(File, archive_log::kNameWidth));
    // Pieces are 10000 bytes smaller than a volume; a volume too small for
    // that cannot take pieces either, and a piece never exceeds 2 GiB.
    const double pieceSize = std::min(ZipSizeLimit - 10000, 2147483647.0);
    if (chkSplit->Value() == 0 || pieceSize < 1) {
        const QString line = field + archive_log::kTooLargeSkipped;
        ReportNotBackedUp(QStringLiteral("WriteToZip"), 4, 0, QStringLiteral("Larger than an archive volume, skipped"),
                          File);
        LogLine(line);
        if (chkWriteLog->Value() == 1)
            archive_log::Write(LogFileNo, line);
        return false;
    }
    PlayClip(QStringLiteral("splitdisk.avi"));
    Status(298);
    Refresh();
    const QString folder = txtPathTemp->Text() + QStringLiteral("\\splitfile");
    bool whole = SplitFiles(File, folder, vb::CLng(pieceSize));
    LogLine(field + archive_log::kTooLargeSplit);

    // Only this file's pieces and joiner: whatever else the folder holds is
    // not part of it.
    const QString name = DetermineFilename(File);
    QStringList names;
    vb::Quiet([&] {
        for (const platform::FindRecord& r : platform::FindEntries(folder + QStringLiteral("\\*.*"), platform::vbNormal)) {
            if (r.attributes & platform::vbDirectory || !r.name.startsWith(name + QLatin1Char('.')))
                continue;
            const QString suffix = r.name.mid(name.size() + 1);
            bool number = false;
            suffix.toInt(&number);
            if (suffix == QLatin1String("bat") || (number && !suffix.startsWith(QLatin1Char('0'))))
                names << r.name;
        }
    });
    whole = whole && !names.isEmpty();
    if (!names.isEmpty()) {
        ProgressBar2->setMax(int(names.size()));
        for (int i = 0; i < names.size(); ++i) {
            ProgressBar2->setValue(i + 1);
            whole = WriteToZip(folder + QLatin1Char('\\') + names.at(i), DetermineDirectory(File) + names.at(i)) && whole;
            if (ProgramEnded())
                return false;
        }
        ProgressBar2->setMax(100);
    }
    DelDir(folder);
    if (whole)
        txtTotalFiles->setTextSoon(vb::CStr(vb::Val(txtTotalFiles->Text()) + 1));
    PlayClip(QStringLiteral("compress.avi"));
    Refresh();
    return whole;
}
