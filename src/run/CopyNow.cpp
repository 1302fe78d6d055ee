// SPDX-License-Identifier: GPL-3.0-or-later
// Copy mode: each selected file copied as a plain file into the destination
// folder, with or without its folder structure, or put on the disc image.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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
QString lastTargetFolderKey;   // without regard to case
QString lastTargetFolderHost;
std::shared_ptr<const platform::DriveTable> lastTargetTable;

// Splits a Windows folder at its last "\\" into its parent and a plain name
// ("" when the last part is no plain name).
QString PlainLast(const QString& folder, QString* parent) {
    const qsizetype cut = folder.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0)
        return {};
    const QString last = folder.mid(cut + 1);
    if (!platform::IsPlainName(last))
        return {};
    *parent = folder.left(cut);
    return last;
}

using DriveTablePtr = std::shared_ptr<const platform::DriveTable>;

// A target folder one level below the folder mapped last, or beside it (as
// the walk goes): its parent's host path follows from that mapping, and
// only its own name is looked up. False for any other folder, and when the
// drives have changed since (`table` is the current drive table).
bool NearLastFolder(const QString& folder, const DriveTablePtr& table, QString* parentHost, QString* name) {
    if (lastTargetFolder.isEmpty() || lastTargetFolderHost.isEmpty() || table != lastTargetTable)
        return false;
    QString parent, lastParent;
    *name = PlainLast(folder, &parent);
    if (name->isEmpty())
        return false;
    if (parent == lastTargetFolder) {
        *parentHost = lastTargetFolderHost;
        return true;
    }
    if (PlainLast(lastTargetFolder, &lastParent).isEmpty() || parent != lastParent ||
        lastTargetFolderHost == QLatin1String("/"))
        return false;
    *parentHost = platform::HostParent(lastTargetFolderHost);
    return true;
}

// The target's folder as mapped before and the target's name in it, when
// that folder is the one mapped last and the drives have not changed since
// (`table` is the current drive table). The name is then looked up in it
// (ResolveHostChild, on any thread).
bool InMappedFolder(const QString& target, const QString& folder, const DriveTablePtr& table, QString* folderHost,
                    QString* name) {
    if (folder != lastTargetFolder || lastTargetFolderHost.isEmpty() || table != lastTargetTable)
        return false;
    // The folder is the target up to its last "\"; a name with another
    // separator in it is mapped as a whole.
    if (target.size() <= folder.size() + 1 || !target.startsWith(folder) || target.at(folder.size()) != QLatin1Char('\\'))
        return false;
    *name = target.mid(folder.size() + 1);
    if (!platform::IsPlainName(*name))
        return false;
    *folderHost = lastTargetFolderHost;
    return true;
}

// The host path of the target: its name looked up in the target folder
// mapped before, or the whole path mapped again when that folder is not
// known or the drives have changed since.
QString TargetHost(const QString& target, const QString& folder, const DriveTablePtr& table) {
    QString folderHost, name;
    if (InMappedFolder(target, folder, table, &folderHost, &name)) {
        const QString host = platform::ResolveHostChild(folderHost, name);
        if (!host.isEmpty())
            return host;
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

// ---- copies on worker threads ----

// During a run the copies themselves are made on worker threads, while this
// thread keeps every decision in order: the room, the target, the counters,
// the run log, and, once a copy is done, its error line or its archive flag.
// A copy that failed on a worker is tried once more here, as a copy made here
// is. Near the end of the room, onto a target that a copy still in hand
// writes (or one of its name in another case, which a FAT destination would
// take for the same file), and outside a run, copies are
// made here, in turn, after the ones in hand are done.
struct CopyJob {
    QString file;         // the source's Windows path, for the error log
    QString sourceHost;
    QString target;       // Windows path
    QString targetHost;   // looked up by the worker: the name in its folder
    QString targetFolderHost;
    QString targetName;
    QString folder;       // the target's folder (Windows path)
    QString targetKey;    // the target's Windows path without regard to case
    platform::HostStat st;
    bool clearFlag = false;
    double reserved = 0;  // the room it was counted to take
    // written by the worker
    platform::CopiedFile made;
    std::exception_ptr error;
    bool done = false;
};

class CopyWorkers {
public:
    ~CopyWorkers() { stop(); }

    // Worker threads for a run: two where there are cores to spare (more
    // copy no faster: the file system's own work per file is shared);
    // VAULTORA_COPY_THREADS overrides (0: every copy on this thread).
    static int& Threads() {
        static int n = [] {
            bool ok = false;
            const int forced = qEnvironmentVariableIntValue("VAULTORA_COPY_THREADS", &ok);
            if (ok)
                return std::clamp(forced, 0, 16);
            return std::clamp(int(std::thread::hardware_concurrency()) - 1, 0, 2);
        }();
        return n;
    }

    bool on() const { return on_; }
    void allow() { on_ = Threads() > 0; }
    double reserved() const { return reserved_; }
    bool holds(const QString& key) const {
        return std::any_of(jobs_.begin(), jobs_.end(), [&](const auto& j) { return j->targetKey == key; });
    }
    bool full() const { return !jobs_.empty() && jobs_.size() >= size_t(8 * Threads()); }

    void submit(std::shared_ptr<CopyJob> job) {
        if (threads_.empty())
            for (int i = 0; i < Threads(); ++i)
                threads_.emplace_back([this] { work(); });
        reserved_ += job->reserved;
        jobs_.push_back(job);
        bool idle;
        {
            std::lock_guard<std::mutex> g(lock_);
            queue_.push_back(std::move(job));
            idle = idle_ > 0;
        }
        if (idle)   // a busy worker takes the next copy without being woken
            wake_.notify_one();
    }

    // The oldest copy in hand, once it is done (waiting for it with `wait`);
    // null when there is none or it is not done.
    std::shared_ptr<CopyJob> takeDone(bool wait) {
        if (jobs_.empty())
            return nullptr;
        {
            std::unique_lock<std::mutex> g(lock_);
            if (!jobs_.front()->done) {
                if (!wait)
                    return nullptr;
                waiting_ = true;
                finished_.wait(g, [&] { return jobs_.front()->done; });
                waiting_ = false;
            }
        }
        std::shared_ptr<CopyJob> job = std::move(jobs_.front());
        jobs_.pop_front();
        reserved_ -= job->reserved;
        if (jobs_.empty())
            reserved_ = 0;
        return job;
    }

    // Ends the worker threads (every copy handed over is done by then).
    void stop() {
        {
            std::lock_guard<std::mutex> g(lock_);
            quit_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_)
            t.join();
        threads_.clear();
        quit_ = false;
        on_ = false;
    }

private:
    void work() {
        for (;;) {
            std::shared_ptr<CopyJob> job;
            {
                std::unique_lock<std::mutex> g(lock_);
                ++idle_;
                wake_.wait(g, [&] { return quit_ || !queue_.empty(); });
                --idle_;
                if (queue_.empty())
                    return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            try {
                bool missing = false;
                job->targetHost = platform::ResolveHostChild(job->targetFolderHost, job->targetName, &missing);
                job->made = platform::CopyHostFileData(job->sourceHost, job->targetHost, true, &job->st, missing, true);
            } catch (...) {
                job->error = std::current_exception();
            }
            bool waited;
            {
                std::lock_guard<std::mutex> g(lock_);
                job->done = true;
                waited = waiting_;
            }
            if (waited)
                finished_.notify_all();
        }
    }

    bool on_ = false;
    double reserved_ = 0;
    std::deque<std::shared_ptr<CopyJob>> jobs_;   // handed over, oldest first (this thread's)
    std::mutex lock_;
    std::condition_variable wake_, finished_;
    std::deque<std::shared_ptr<CopyJob>> queue_;  // not yet taken by a worker
    bool quit_ = false;
    int idle_ = 0;           // workers waiting for a copy
    bool waiting_ = false;   // this thread waits for a copy to be done
    std::vector<std::thread> threads_;
};

CopyWorkers& Workers() {
    static CopyWorkers w;
    return w;
}

const QString kCopyLabel = QStringLiteral("Copy_Now of Formular frmMain_BackUp");

// A copy failed here is the second attempt: the folder may have gone since
// it was built, so it is built again first; a failure then is named in the
// error log. True when the copy is made.
bool CopyAgain(const QString& file, const QString& sourceHost, const QString& target, const QString& folder,
               const platform::HostStat& st) {
    vb::Handler copy(kCopyLabel);
    copy.Erl = 8;
    CreateDirectoryStruct(folder);
    return TryFor(copy, file,
                  [&] { platform::CopyHostFile(sourceHost, platform::HostPathOrRaise(target), true, &st, true); });
}

// The copies in hand take room that a measurement may not show yet.
void MeasureFreeSpace(const QString& destination) {
    gFreeSpace = Get_DiskFree(destination) - Workers().reserved();
    freeMeasuredAt = vb::SteadyMs();
}

// The end of a copy made on a worker: what a copy made here does after it.
void Finish(CopyJob& job) {
    bool copied = !job.error;
    if (copied) {
        vb::Quiet([&] { platform::NoteHostFileCopied(job.targetHost, job.made); });
    } else {
        copied = CopyAgain(job.file, job.sourceHost, job.target, job.folder, job.st);
        // The room may be gone (another program filled the disk): it is
        // measured now, so that the next file is decided on a true figure.
        if (fMainForm)
            vb::Quiet([] { MeasureFreeSpace(fMainForm->txtPathBackUp->Text()); });
    }
    if (copied && job.clearFlag)
        vb::Quiet([&] { platform::ClearArchiveBitSoon(job.sourceHost, job.st.size, job.st.mtime); });
}

// Finishes the copies that are done; with `all` waits for every one.
void FinishDone(bool all) {
    while (std::shared_ptr<CopyJob> job = Workers().takeDone(all))
        Finish(*job);
}

}  // namespace

void copy_source::FinishCopies() {
    FinishDone(true);
    Workers().stop();
    // The next run looks at its target folders anew: the destination may
    // have changed in between.
    lastTargetFolder.clear();
    lastTargetFolderKey.clear();
    lastTargetFolderHost.clear();
    lastTargetTable.reset();
}

void copy_source::SetWorkerThreads(int threads) {
    FinishCopies();
    CopyWorkers::Threads() = std::max(threads, 0);
}

int copy_source::WorkerThreads() { return CopyWorkers::Threads(); }

void copy_source::EnterFolder(const QString& windowsFolder) {
    Workers().allow();
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
        LookedAt().keep(file, host, st, listedFolder.table());
    return a;
}

bool frmMain_BackUp::Copy_Now(const QString& File) {
    const QString& label = kCopyLabel;
    vb::Handler h(label);
    if (!optBuMode(1)->Value() || chkMedia->Value() == 0)
        return false;
    // The copies that workers have done meanwhile are finished first.
    FinishDone(false);

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
        // The drive table that the look at the file found current: the
        // target is mapped with it too.
        DriveTablePtr table;
        if (!LookedAt().take(File, &sourceHost, &st, &table)) {
            sourceHost = platform::HostPathOrRaise(File);
            st = platform::StatHost(sourceHost);
        }
        if (!table)
            table = platform::DriveTable::Current();
        if (st.kind != platform::EntryKind::File)
            platform::RaiseMissing(sourceHost);
        size = st.size;
        const bool cd = chkUseCDRecorder->Value() == 1;
        // A copy goes to a worker only while the room is plenty, counted
        // without what the copies in hand take (a measurement made meanwhile
        // may not show that yet); else the copies in hand are done first and
        // this one is made here, with the room measured as before.
        if (Workers().full())
            Finish(*Workers().takeDone(true));
        bool onWorker = Workers().on() && !cd && gFreeSpace - Workers().reserved() >= SpaceTaken(size) + kNearlyFull;
        if (!onWorker)
            FinishDone(true);
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
            // The folder is mapped once; only one that has to be built (or
            // had a link on its way) is mapped again after. One next to the
            // folder before is looked up by its name in its known parent,
            // and made there when it is missing.
            QString parentHost, name;
            platform::HostPath mapped;
            // (Only a folder inside the destination: the destination itself
            // may be a link, and is used as it is.)
            const bool near =
                folder.startsWith(D + QLatin1Char('\\')) && NearLastFolder(folder, table, &parentHost, &name);
            if (near) {
                mapped.path = platform::ResolveHostChild(parentHost, name);
                mapped.status = platform::HostPathStatus::Ok;
            }
            if (mapped.path.isEmpty())
                mapped = platform::ResolveWindowsPath(folder);
            bool replaced = false;
            // Nothing is written through a link inside the destination: a
            // linked folder on the way is replaced by a real one. The way to
            // a known parent was looked at when it was mapped (in this run):
            // only the new folder's own name is looked at then.
            vb::Quiet([&] {
                if (!mapped.ok())
                    return;
                const QString from = near ? parentHost : platform::HostPathOrRaise(D);
                for (const QString& link : platform::ReplaceLinkedFolders(from, mapped.path)) {
                    replaced = true;
                    WriteErrorLog(false, ProgramName, label, 4, 0,
                                  QStringLiteral("A link in the destination was replaced by a folder: ") +
                                      platform::ToWindows(link));
                }
            });
            if (replaced || !mapped.ok() || platform::StatHost(mapped.path).kind != platform::EntryKind::Folder) {
                // Anything but a plain new folder in a known parent (and a
                // failure there) is built as any folder is, errors logged.
                if (!(near && !replaced && platform::MakeHostFolder(mapped.path))) {
                    CreateDirectoryStruct(folder);
                    mapped = platform::ResolveWindowsPath(folder);
                }
            }
            lastTargetFolder = folder;
            lastTargetFolderKey = folder.toCaseFolded();
            lastTargetTable = platform::DriveTable::Current();
            lastTargetFolderHost = mapped.ok() ? mapped.path : QString();
        }
        h.Erl = 5;
        Status(123);

        // From here to the copy itself errors are passed over.
        bool included = false;
        vb::Quiet([&] { included = File_Included(File); });
        if (optNewOnly->Value() && !(included || CurrentArchiveBit)) {
            leftOut = true;   // nothing is copied or logged; the run counts it as unchanged
            ++runUnchanged_;
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
            const bool flag = chkResetArchiveBit->Value() == 1 && CurrentArchiveBit;
            auto job = std::make_shared<CopyJob>();
            if (onWorker && !InMappedFolder(target, folder, table, &job->targetFolderHost, &job->targetName)) {
                onWorker = false;
                FinishDone(true);   // made here, after the copies in hand
            }
            if (onWorker) {
                // Two copies onto one target are made in their order (the
                // folder's part of the key is folded once for its files).
                job->targetKey = lastTargetFolderKey + QLatin1Char('\\') + job->targetName.toCaseFolded();
                if (Workers().holds(job->targetKey))
                    FinishDone(true);
            }
            if (onWorker) {
                job->file = File;
                job->sourceHost = sourceHost;
                job->target = target;
                job->folder = folder;
                job->st = st;
                job->clearFlag = flag;
                job->reserved = SpaceTaken(size);
                Workers().submit(std::move(job));
                copied = true;     // as far as this thread knows: the worker's end tells
                clearFlag = false; // cleared when the copy is done
            } else {
                copied = vb::Quiet([&] { platform::CopyHostFile(sourceHost, TargetHost(target, folder, table), true, &st, true); });
                if (!copied)
                    copied = CopyAgain(File, sourceHost, target, folder, st);
                if (!copied)
                    clearFlag = false;
            }
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
