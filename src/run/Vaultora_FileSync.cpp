// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/Vaultora_FileSync.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <thread>

#include "platform/HostNames.h"
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/RunOutcome.h"
#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "platform/HostFiles.h"
#include "platform/PathResolver.h"
#include "platform/ScriptingFileSystem.h"
#include "run/ArchivePaths.h"
#include "run/RunDisplay.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/Strings.h"

namespace {

const QString kTo = QStringLiteral("  -->>  ");
const QString kBack = QStringLiteral("  <<--  ");
constexpr int kPathColumn = 40;

const platform::ScriptingFileSystem& Fso() {
    static const platform::ScriptingFileSystem fso;
    return fso;
}

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('\\')) ? folder : folder + QLatin1Char('\\');
}

// The left column of a log line: the path shortened to 40 characters and
// filled with blanks to that width.
QString column(const QString& path) {
    QString s = fMainForm ? fMainForm->shorten_path(path, kPathColumn) : vb::Left(path, kPathColumn);
    if (s.size() < kPathColumn)
        s += QString(kPathColumn - s.size(), QLatin1Char(' '));
    return s;
}

void writeLine(const QString& line) { run_display::LogLine(line); }

// The elapsed-time box: whole seconds since the run started. The text is
// formatted again only when the rounded number changes.
void showTime() {
    if (!fMainForm || !fMainForm->txtBackUpTime)
        return;
    // The clock is read at most every few milliseconds: the box shows whole
    // seconds, and reading the time of day costs more than a row's work.
    static QElapsedTimer sinceRead;
    static QString text;
    if (!sinceRead.isValid() || sinceRead.elapsed() >= 5) {
        sinceRead.start();
        text = vb::Format(vb::Timer() - double(BackUpStartTime), QStringLiteral("###0"));
    }
    if (fMainForm->txtBackUpTime->Text() != text)
        fMainForm->txtBackUpTime->setText(text);
}

// Per file, per row and per folder step: events run, but not more often than
// the window needs them (a tree of many small folders would otherwise be
// repainted several times a folder).
void yieldRow() { vb::DoEventsThrottled(); }
void yieldStep() { vb::DoEventsThrottled(); }


// The attribute word compared: read-only and hidden.
quint32 attributeWord(const platform::ListedFile& f) {
    quint32 a = 0;
    if (!(f.mode & S_IWUSR))
        a |= platform::vbReadOnly;
    if (f.name.startsWith(QLatin1Char('.')))
        a |= platform::vbHidden;
    return a;
}

// The direction of a row's copy: 1 to the destination, 2 back to the
// source, 0 none.
int direction(qint32 code) {
    if (code == 0 || code == 8)
        return 0;
    if (code == -2)
        return 1;
    if (code == -1)
        return 2;
    return (code & 3) == 2 ? 2 : 1;
}


const QString kFilesLabel = QStringLiteral("SynchronizeFiles of Modul Vaultora_FileSync");
const QString kDirLabel = QStringLiteral("SynchronizeDir of Modul Vaultora_FileSync");

// One step of the walk on `what`; a failure names it in the error log.
template <class F>
bool Attempt(const QString& label, int erl, const QString& what, F&& step) {
    vb::Handler h(label);
    h.Erl = erl;
    return TryFor(h, what, std::forward<F>(step));
}

// The entries of a folder that cannot be copied (FIFOs, sockets, devices),
// each named in the error log.
void ReportUncopyable(const QString& folder, const QStringList& names) {
    for (const QString& name : names)
        ReportNotBackedUp(kFilesLabel, 5, vb::errPathFileAccess, QStringLiteral("Not a file that can be copied"),
                          withSlash(folder) + name);
}

// A symbolic link inside the destination tree is never written through.
bool IsLinkHost(const QString& host) {
    struct stat st {};
    return !host.isEmpty() && ::lstat(platform::HostBytes(host).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A folder the destination lacks: made, and filled with the source folder's
// whole tree. Every file is tried on its own; the files get no lines.
void CopyWholeFolder(const QString& source, const QString& destination) {
    platform::FsoFolder from;
    if (!Attempt(kDirLabel, 2, source, [&] { from = Fso().GetFolder(source); }))
        return;
    if (!Fso().FolderExists(destination) &&
        !Attempt(kDirLabel, 2, source, [&] { Fso().CreateFolder(destination); }))
        return;
    const QString to = withSlash(destination);
    std::vector<platform::ListedFile> files;
    QStringList others;
    if (!Attempt(kDirLabel, 2, source, [&] { files = platform::ListFolderFiles(from.hostPath(), &others); }))
        return;
    ReportUncopyable(source, others);
    for (const platform::ListedFile& f : files) {
        Attempt(kFilesLabel, 2, from.Path() + QLatin1Char('\\') + f.name,
                [&] { Fso().CopyFile(withSlash(from.Path()) + f.name, to + f.name, true); });
        yieldRow();
        if (CancelBackUp)
            return;
    }
    std::vector<platform::FsoFolder> subFolders;
    if (!Attempt(kDirLabel, 2, source, [&] { subFolders = from.SubFolders(); }))
        return;
    for (const platform::FsoFolder& sub : subFolders) {
        CopyWholeFolder(sub.Path(), to + sub.Name());
        if (CancelBackUp)
            return;
    }
}

// The comparison of two open folders, with the names of the entries that
// cannot be copied.
CompareTable Compare(const platform::FsoFolder& a, const platform::FsoFolder& b, QStringList* firstOthers,
                     QStringList* secondOthers);

// One helper thread that reads a folder while this thread reads the other
// one of a pair: the two listings are most of a comparison's time.
class ListingHelper {
public:
    ~ListingHelper() {
        if (!thread_.joinable())
            return;
        {
            std::lock_guard<std::mutex> g(lock_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    // Runs `job` on the helper; `wait` returns once it is done.
    void start(std::function<void()> job) {
        if (!thread_.joinable())
            thread_ = std::thread([this] { work(); });
        bool sleeping;
        {
            std::lock_guard<std::mutex> g(lock_);
            job_ = std::move(job);
            done_.store(false);
            pending_.store(true);
            sleeping = helperSleeps_;
        }
        if (sleeping)
            wake_.notify_one();
    }
    void wait() {
        // A folder is read in well under a millisecond: the other side is
        // waited for a moment without sleeping, as waking a sleeping thread
        // costs about as much.
        spinFor([&] { return done_.load(); });
        std::unique_lock<std::mutex> g(lock_);
        callerSleeps_ = true;
        finished_.wait(g, [&] { return done_.load(); });
        callerSleeps_ = false;
    }

private:
    template <class Ready>
    static void spinFor(Ready ready) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
        while (!ready() && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
    }

    void work() {
        for (;;) {
            spinFor([&] { return pending_.load(); });
            std::unique_lock<std::mutex> g(lock_);
            helperSleeps_ = true;
            wake_.wait(g, [&] { return quit_ || job_; });
            helperSleeps_ = false;
            if (!job_)
                return;
            std::function<void()> job = std::move(job_);
            job_ = nullptr;
            pending_.store(false);
            g.unlock();
            job();
            g.lock();
            done_.store(true);
            const bool waited = callerSleeps_;
            g.unlock();
            if (waited)
                finished_.notify_one();
        }
    }

    std::mutex lock_;
    std::condition_variable wake_, finished_;
    std::function<void()> job_;
    std::atomic<bool> done_{true};
    std::atomic<bool> pending_{false};
    bool helperSleeps_ = false;
    bool callerSleeps_ = false;
    bool quit_ = false;
    std::thread thread_;
};

ListingHelper& Helper() {
    static ListingHelper h;
    return h;
}

}  // namespace

CompareTable CompareFiles(QString first, QString second) {
    // Opening either folder may fail; that goes to the caller.
    const platform::FsoFolder a = Fso().GetFolder(first);
    const platform::FsoFolder b = Fso().GetFolder(second);
    return Compare(a, b, nullptr, nullptr);
}

namespace {

CompareTable Compare(const platform::FsoFolder& a, const platform::FsoFolder& b, QStringList* firstOthers,
                     QStringList* secondOthers) {
    // Each folder is read once, with the times, sizes and modes of its files,
    // the second on the helper thread meanwhile (the listing touches nothing
    // but the folder). Once both are open, a listing that fails is passed
    // over (no rows).
    std::vector<platform::ListedFile> firstFiles, secondFiles;
    QStringList helperOthers;
    const QString secondHost = b.hostPath();
    const bool wantOthers = secondOthers != nullptr;
    Helper().start([&secondFiles, &helperOthers, secondHost, wantOthers] {
        vb::Quiet([&] { secondFiles = platform::ListFolderFiles(secondHost, wantOthers ? &helperOthers : nullptr); });
    });
    vb::Quiet([&] { firstFiles = platform::ListFolderFiles(a.hostPath(), firstOthers); });
    Helper().wait();
    if (secondOthers)
        *secondOthers += helperOthers;
    // The partial copies that a killed run left are no files of the user's:
    // they are neither compared nor copied, and go from the destination.
    auto dropLeftovers = [](std::vector<platform::ListedFile>& files, const QString& folderHost, bool remove) {
        std::erase_if(files, [&](const platform::ListedFile& f) {
            if (!platform::IsCopyLeftoverName(f.name))
                return false;
            if (remove)
                vb::Quiet([&] { platform::RemoveHostFile(folderHost + QLatin1Char('/') + f.name, true); });
            return true;
        });
    };
    dropLeftovers(firstFiles, a.hostPath(), false);
    dropLeftovers(secondFiles, b.hostPath(), true);

    CompareTable table;
    table.reserve(firstFiles.size() + secondFiles.size());

    // The second folder's files by name, for one lookup per file of the first.
    QHash<QString, qsizetype> secondByName;
    secondByName.reserve(qsizetype(secondFiles.size()));
    for (qsizetype i = qsizetype(secondFiles.size()) - 1; i >= 0; --i)
        secondByName.insert(secondFiles[size_t(i)].name, i);

    QSet<QString> firstNames;
    firstNames.reserve(qsizetype(firstFiles.size()));
    for (const platform::ListedFile& here : firstFiles) {
        const QString& key = here.name;
        firstNames.insert(key);
        CompareRow row{here.name, 0};
        const auto other = secondByName.constFind(key);
        if (other == secondByName.constEnd()) {
            row.code = -2;
        } else {
            const platform::ListedFile& there = secondFiles[size_t(other.value())];
            if (there.isLink) {
                // The second folder's copy is a link: it is replaced by a
                // real copy, never written through.
                row.code = -2;
                row.replacesLink = true;
                table.push_back(std::move(row));
                continue;
            }
            const qint64 d = there.mtimeSeconds - here.mtimeSeconds;
            if (d < 0)
                row.code = 1;
            else if (d > 0)
                row.code = 2;
            if (attributeWord(here) != attributeWord(there))
                row.code += 8;
            if (here.size != there.size)
                row.code += 4;
        }
        table.push_back(std::move(row));
    }
    for (size_t i = 0; i < secondFiles.size(); ++i)
        if (!firstNames.contains(secondFiles[i].name))
            table.push_back({secondFiles[i].name, -1});
    table.shrink_to_fit();
    return table;
}


}  // namespace

namespace {

// SynchronizeFiles of two folders; `opened`, when given, are the two folders
// as the caller just opened them, else they are opened here (a failure goes
// to the caller).
void SyncFiles(QString source, QString destination, bool bothWays, const platform::FsoFolder* openedSource,
               const platform::FsoFolder* openedDestination) {
    showTime();
    writeLine(column(source) + kTo + destination);
    yieldStep();
    QStringList sourceOthers, destinationOthers;
    platform::FsoFolder a, b;
    if (!openedSource) {
        a = Fso().GetFolder(source);
        b = Fso().GetFolder(destination);
        openedSource = &a;
        openedDestination = &b;
    }
    const CompareTable table = Compare(*openedSource, *openedDestination, &sourceOthers, &destinationOthers);
    yieldStep();
    ReportUncopyable(source, sourceOthers);
    if (bothWays)
        ReportUncopyable(destination, destinationOthers);
    if (CancelBackUp)
        return;
    source = withSlash(source);
    destination = withSlash(destination);
    // Each file is tried on its own: one that cannot be copied is named in
    // the error log, and the others still are.
    for (const CompareRow& row : table) {
        const int way = direction(row.code);
        showTime();
        if (way == 1) {
            writeLine(column(source + row.name) + kTo + destination + row.name);
            yieldRow();
            const bool copied = Attempt(kFilesLabel, 3, source + row.name,
                                        [&] { Fso().CopyFile(source + row.name, destination + row.name, true); });
            if (copied && row.replacesLink)
                WriteErrorLog(false, ProgramName, kFilesLabel, 3, 0,
                              QStringLiteral("A link in the destination was replaced by a copy of the file: ") +
                                  destination + row.name);
        } else if (way == 2 && bothWays) {
            writeLine(column(source + row.name) + kBack + destination + row.name);
            yieldRow();
            Attempt(kFilesLabel, 4, destination + row.name,
                    [&] { Fso().CopyFile(destination + row.name, source + row.name, true); });
        }
        yieldRow();
        if (CancelBackUp)
            return;
    }
}

}  // namespace

void SynchronizeFiles(QString source, QString destination, bool bothWays) {
    const platform::ExactNamesBelow exactSource(source), exactDestination(destination);
    SyncFiles(std::move(source), std::move(destination), bothWays, nullptr, nullptr);
}

namespace {

// SynchronizeDir; `listed`, when given, is the source folder as its parent's
// listing found it: it is only looked at again, not mapped again.
void SyncDir(QString source, QString destination, bool bothWays, const platform::FsoFolder* listed) {
    // Every failure is named in the error log and the work goes on with the
    // next step.
    platform::FsoFolder from, to;
    const bool opened = vb::Quiet([&] {
        if (listed && platform::StatHost(listed->hostPath()).kind == platform::EntryKind::Folder)
            from = *listed;
        else
            from = Fso().GetFolder(source);
        to = Fso().GetFolder(destination);
    });
    if (!opened) {
        CopyWholeFolder(source, destination);
        return;
    }
    // A destination that finds names in any case (FAT) may give the folder of
    // another name (photos/ for Photos/): nothing goes into it.
    if (platform::NameHeldInOtherCase(to.hostPath())) {
        Attempt(kDirLabel, 2, source, [&] { platform::RaiseNameRefused(to.hostPath(), true); });
        return;
    }
    vb::Quiet([&] {
        showTime();
        writeLine(column(source) + kTo + destination);
    });
    yieldStep();
    // The two folders are the ones just opened: they are not looked up again.
    Attempt(kDirLabel, 4, source, [&] { SyncFiles(source, destination, bothWays, &from, &to); });
    yieldStep();
    if (CancelBackUp)
        return;
    source = withSlash(source);
    destination = withSlash(destination);

    QSet<QString> sourceFolders;
    std::vector<platform::FsoFolder> subFolders;
    Attempt(kDirLabel, 6, source, [&] { subFolders = from.SubFolders(); });
    for (const platform::FsoFolder& sub : subFolders) {
        QString name, path;
        vb::Quiet([&] {
            name = sub.Name();
            path = sub.Path();
        });
        vb::Quiet([&] {
            showTime();
            writeLine(QStringLiteral("Synchronyze Dir: ") + name);
        });
        yieldStep();
        sourceFolders.insert(name);
        yieldStep();
        if (CancelBackUp)
            return;
        vb::Quiet([&] {
            showTime();
            writeLine(column(path) + kTo + destination + name);
        });
        yieldStep();
        // A link in the destination tree is not followed: it goes, and a
        // real folder takes its place.
        const QString target = destination + name;
        const QString targetHost = to.hostPath() + QLatin1Char('/') + name;
        if (IsLinkHost(targetHost) &&
            Attempt(kDirLabel, 6, path, [&] { platform::RemoveHostFile(targetHost, true); }))
            WriteErrorLog(false, ProgramName, kDirLabel, 6, 0,
                          QStringLiteral("A link in the destination was replaced by a folder: ") + target);
        SyncDir(path, target, bothWays, &sub);
        yieldStep();
        if (CancelBackUp)
            return;
    }
    if (!bothWays)
        return;

    std::vector<platform::FsoFolder> destinationFolders;
    Attempt(kDirLabel, 8, destination, [&] { destinationFolders = to.SubFolders(); });
    for (const platform::FsoFolder& sub : destinationFolders) {
        vb::Quiet([&] {
            const QString name = sub.Name();
            if (sourceFolders.contains(name))
                return;
            showTime();
            writeLine(column(sub.Path()) + kTo + source + name);
            yieldStep();
            CopyWholeFolder(sub.Path(), source + name);
        });
        yieldStep();
        if (CancelBackUp)
            return;
    }
}

}  // namespace

void SynchronizeDir(QString source, QString destination, bool bothWays) {
    const platform::ExactNamesBelow exactSource(source), exactDestination(destination);
    SyncDir(std::move(source), std::move(destination), bothWays, nullptr);
}

namespace {

// Where a folder really is: its host path's parts with symbolic links
// resolved as far as the path exists; `existing` of the parts are there.
struct RealPlace {
    QStringList parts;
    qsizetype existing = 0;
};

RealPlace RealPlaceOf(const QString& host) {
    QString head = host;
    QStringList rest;
    RealPlace place;
    for (;;) {
        if (char* real = ::realpath(platform::HostBytes(head).constData(), nullptr)) {
            place.parts = platform::HostText(real).split(QLatin1Char('/'), Qt::SkipEmptyParts);
            std::free(real);
            break;
        }
        if (head == QLatin1String("/"))
            break;
        rest.prepend(platform::HostName(head));
        head = platform::HostParent(head);
    }
    place.existing = place.parts.size();
    place.parts += rest;
    return place;
}

// True when `inner` is `outer` or lies below it.
bool Within(const RealPlace& inner, const RealPlace& outer) {
    if (inner.parts.size() < outer.parts.size())
        return false;
    for (qsizetype i = 0; i < outer.parts.size(); ++i) {
        // Parts not made yet are typed names: they will be found without
        // regard to case once the first of the two is made.
        const bool made = i < inner.existing && i < outer.existing;
        if (made ? inner.parts[i] != outer.parts[i] : inner.parts[i].toCaseFolded() != outer.parts[i].toCaseFolded())
            return false;
    }
    return true;
}

}  // namespace

bool SameFolder(const QString& a, const QString& b) {
    const platform::HostPath one = platform::ResolveWindowsPath(a);
    const platform::HostPath other = platform::ResolveWindowsPath(b);
    if (!one.ok() || !other.ok())
        return false;
    const RealPlace x = RealPlaceOf(one.path);
    const RealPlace y = RealPlaceOf(other.path);
    return Within(x, y) && Within(y, x);
}

QString SyncFoldersClash(const QString& source, const QString& destination) {
    const platform::HostPath from = platform::ResolveWindowsPath(source);
    const platform::HostPath to = platform::ResolveWindowsPath(destination);
    if (!from.ok() || !to.ok())
        return {};
    const RealPlace s = RealPlaceOf(from.path);
    const RealPlace d = RealPlaceOf(to.path);
    const bool destinationInSource = Within(d, s);
    const bool sourceInDestination = Within(s, d);
    if (destinationInSource && sourceInDestination)
        return QStringLiteral("The source and the destination of the synchronisation are the same folder");
    if (destinationInSource)
        return QStringLiteral("The destination of the synchronisation lies inside its source folder");
    if (sourceInDestination)
        return QStringLiteral("The source of the synchronisation lies inside its destination folder");
    return {};
}
