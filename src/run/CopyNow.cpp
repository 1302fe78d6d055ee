// SPDX-License-Identifier: GPL-3.0-or-later
// Copy mode: each selected file copied as a plain file into the destination
// folder, with or without its folder structure, or put on the disc image.
#include <limits>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/RunOutcome.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/ArchiveBits.h"
#include "platform/Dialogs.h"
#include "platform/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/PathResolver.h"
#include "platform/Paths.h"
#include "platform/ScriptingFileSystem.h"
#include "run/CopyNow.h"
#include "run/ProgramEnd.h"
#include "run/SourceFolder.h"
#include "run/RunDisplay.h"
#include "run/Vaultora_Disk.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/Strings.h"

using namespace run_display;

namespace {

constexpr double kMb = 1048576.0;

// The target folder that the last copy made sure of, its host path ("" when
// it could not be mapped) and the drive table it was mapped with.
QString lastTargetFolder;
QString lastTargetFolderHost;
std::shared_ptr<const platform::DriveTable> lastTargetTable;

// The host path of the target: its name looked up in the target folder
// mapped before, or the whole path mapped again when that folder is not
// known or the drives have changed since.
QString TargetHost(const QString& target, const QString& folder) {
    if (folder == lastTargetFolder && !lastTargetFolderHost.isEmpty() &&
        platform::DriveTable::Current() == lastTargetTable) {
        // The folder is the target up to its last "\"; a name with another
        // separator in it is mapped as a whole.
        if (target.size() > folder.size() + 1 && target.startsWith(folder) &&
            target.at(folder.size()) == QLatin1Char('\\')) {
            const QString host = platform::ResolveHostChild(lastTargetFolderHost, target.mid(folder.size() + 1));
            if (!host.isEmpty())
                return host;
        }
    }
    return platform::HostPathOrRaise(target);
}

// ---- one look at each source file ----

SourceFolder listedFolder;

// ---- the free space of the destination ----

// Measured after a copy at most a few times a second; in between what each
// copy takes is subtracted, rounded up to large clusters so that the figure
// errs low. Near the end of the room, and before a file is found not to fit,
// it is measured for every file, as a decision needs the true figure.
constexpr qint64 kMeasureEveryMs = 250;
constexpr double kNearlyFull = 64.0 * 1048576;
constexpr qint64 kCluster = 128 * 1024;
qint64 freeMeasuredAt = std::numeric_limits<qint64>::min() / 2;

double SpaceTaken(qint64 size) { return double((size + kCluster - 1) / kCluster * kCluster + kCluster); }

void MeasureFreeSpace(const QString& destination) {
    gFreeSpace = Get_DiskFree(destination);
    freeMeasuredAt = vb::SteadyMs();
}

}  // namespace

void copy_source::EnterFolder(const QString& windowsFolder) {
    LookedAt().clear();
    listedFolder.enter(windowsFolder);
}

void copy_source::Forget() {
    LookedAt().clear();
    listedFolder.clear();
}

qint32 copy_source::Attributes(const QString& file) {
    LookedAt().clear();
    QString host;
    platform::HostStat st;
    const qint32 a = listedFolder.attributes(file, &host, &st);
    if (!host.isEmpty())
        LookedAt().keep(file, host, st);
    return a;
}

bool frmMain_BackUp::Copy_Now(const QString& File) {
    const QString label = QStringLiteral("Copy_Now of Formular frmMain_BackUp");
    vb::Handler h(label);
    if (!optBuMode(1)->Value() || chkMedia->Value() == 0)
        return false;

    // Sizes are 64-bit: a file of 2 GB or more is copied like any other.
    qint64 size = 0;
    bool copied = false;
    bool clearFlag = true;
    bool leftOut = false;   // new files only, and this one is not new
    // A failure names the file in the error log: it is not backed up.
    TryFor(h, File, [&] {
        // room on the destination
        h.Erl = 2;
        // The source is looked up once (by the walk, when it listed the
        // file); the copy and its flag work on the host file.
        QString sourceHost;
        platform::HostStat st;
        if (!LookedAt().take(File, &sourceHost, &st)) {
            sourceHost = platform::HostPathOrRaise(File);
            st = platform::StatHost(sourceHost);
        }
        if (st.kind != platform::EntryKind::File)
            platform::RaiseMissing(sourceHost);
        size = st.size;
        const bool cd = chkUseCDRecorder->Value() == 1;
        if (gFreeSpace < double(size) + kNearlyFull)
            MeasureFreeSpace(txtPathBackUp->Text());
        // (The disc's room is the disc image's own question, below.)
        while (!cd && gFreeSpace < double(size)) {
            AskForNewMedium(false);
            if (ProgramEnded())
                return;
            gFreeSpace = Get_DiskFree(txtPathBackUp->Text());
        }

        // the target
        h.Erl = 3;
        const QString D = txtPathBackUp->Text();
        const bool network = File.startsWith(QLatin1String("\\\\"));
        QString target;
        if (chkInclSubDirStruct->Value() == 1) {
            const QString below = network ? vb::Mid(File, 2) : vb::Mid(File, 4);
            target = cd ? below : D + QLatin1Char('\\') + below;
        } else {
            target = cd ? QString() : D + QLatin1Char('\\') + sParseFile(File);
        }
        h.Erl = 4;
        // The files of a folder go into one target folder: it is built (with
        // its parents) when it is missing, and looked at again only when the
        // target folder changes.
        const QString folder = sParsePath(target);
        if (!cd && !(folder == lastTargetFolder && !lastTargetFolder.isEmpty())) {
            // Nothing is written through a link inside the destination: a
            // linked folder on the way is replaced by a real one.
            vb::Quiet([&] {
                const platform::HostPath mapped = platform::ResolveWindowsPath(folder);
                if (!mapped.ok())
                    return;
                for (const QString& link :
                     platform::ReplaceLinkedFolders(platform::HostPathOrRaise(D), mapped.path))
                    WriteErrorLog(false, ProgramName, label, 4, 0,
                                  QStringLiteral("A link in the destination was replaced by a folder: ") +
                                      platform::ToWindows(link));
            });
            if (!platform::ScriptingFileSystem().FolderExists(folder))
                CreateDirectoryStruct(folder);
            lastTargetFolder = folder;
            lastTargetTable = platform::DriveTable::Current();
            const platform::HostPath mapped = platform::ResolveWindowsPath(folder);
            lastTargetFolderHost = mapped.ok() ? mapped.path : QString();
        }
        h.Erl = 5;
        Status(123);

        // From here to the copy itself errors are passed over.
        bool included = false;
        vb::Quiet([&] { included = File_Included(File); });
        if (optNewOnly->Value() && !(included || CurrentArchiveBit)) {
            leftOut = true;   // nothing is copied, counted or logged
            return;
        }
        if (cd) {
            // The file is backed up once the disc holds it: its archive flag
            // waits for the write.
            QString why;
            if (PutOnDiscImage(sParsePath(target), {File}, &why)) {
                copied = true;
                std::vector<StoredFile> flag;
                if (chkResetArchiveBit->Value() == 1 && CurrentArchiveBit)
                    flag.push_back({sourceHost, st.size, qint64(st.mtime.tv_sec)});
                onDiscImage_.push_back({File, std::move(flag), {}});
            } else {
                LeftOffDisc(File, why, {});
            }
            clearFlag = false;
        } else {
            // The copy goes through a temporary name and replaces the target
            // only when complete. A copy that fails is written to the error
            // log, and the file keeps its archive flag for the next run.
            vb::Handler copy(label);
            copy.Erl = 8;
            copied = vb::Quiet([&] { platform::CopyHostFile(sourceHost, TargetHost(target, folder), true, &st); });
            if (!copied) {
                // The folder may have gone since it was built: build it again.
                CreateDirectoryStruct(folder);
                copied = TryFor(copy, File,
                                [&] { platform::CopyHostFile(sourceHost, platform::HostPathOrRaise(target), true, &st); });
            }
            if (!copied)
                clearFlag = false;
        }

        // the archive flag
        h.Erl = 9;
        if (clearFlag && chkResetArchiveBit->Value() == 1 && CurrentArchiveBit)
            // Written with the other clears of the same moment; the size and
            // time read before the copy, so a file changed meanwhile keeps it.
            vb::Quiet([&] { platform::ClearArchiveBitSoon(sourceHost, st.size, st.mtime); });
    });
    if (ProgramEnded() || leftOut)
        return false;

    // counters and the run log
    h.Next(10, [&] {
        TotalUncompressed += double(size);
        // Counters that change with every file: shown at most once a frame.
        SetCounter(txtTotalSize, vb::Format(TotalUncompressed / kMb, QStringLiteral("###0.00")));
        SetCounter(txtTotalFiles, vb::CStr(vb::Val(txtTotalFiles->Text()) + 1));
        const qint64 now = vb::SteadyMs();
        if (chkUseCDRecorder->Value() == 1 || !copied || now - freeMeasuredAt >= kMeasureEveryMs ||
            now < freeMeasuredAt || gFreeSpace - SpaceTaken(size) < kNearlyFull)
            MeasureFreeSpace(txtPathBackUp->Text());
        else
            gFreeSpace -= SpaceTaken(size);
        SetCounter(txtRemainSpace, vb::Format(gFreeSpace / kMb, QStringLiteral("###0.0")));
    });
    h.Next(11, [&] { LogLine(shorten_path(File, 71)); });
    h.Next(12, [&] { vb::DoEventsThrottled(); });
    return copied;
}
