// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathResolver.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include "platform/HostNames.h"
#include "platform/DriveTable.h"
#include "platform/MountTable.h"
#include "vb/Clock.h"

namespace platform {
namespace {

bool isSep(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }

bool existsNoFollow(const QString& hostPath) {
    struct stat st {};
    const QByteArray p = platform::HostBytes(hostPath);
    return ::lstat(p.constData(), &st) == 0;
}

QString joinHost(const QStringList& parts, qsizetype count) {
    if (count <= 0)
        return QStringLiteral("/");
    QString out;
    for (qsizetype i = 0; i < count; ++i) {
        out += QLatin1Char('/');
        out += parts[i];
    }
    return out;
}

// ---- case-insensitive lookup of names in a folder, cached per folder ----

struct FolderNames {
    struct timespec mtime {};
    dev_t dev = 0;
    ino_t ino = 0;
    QHash<QString, QStringList> byFolded;   // folded name -> names, sorted
    quint64 serial = 0;   // tells this reading of the folder from a later one
    int pending = 0;      // changes by this process under way (OwnFolderChange)
};

struct NameCache {
    std::mutex lock;
    QHash<QString, FolderNames> folders;
    quint64 nextSerial = 1;
};

NameCache& nameCache() {
    static NameCache c;
    return c;
}

bool readFolder(const QString& dir, const struct stat& st, FolderNames* out) {
    const QByteArray p = platform::HostBytes(dir);
    DIR* d = ::opendir(p.constData());
    if (!d)
        return false;
    out->byFolded.clear();
    out->mtime = st.st_mtim;
    out->dev = st.st_dev;
    out->ino = st.st_ino;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        const QString name = platform::HostText(n);
        out->byFolded[name.toCaseFolded()].append(name);
    }
    ::closedir(d);
    for (QStringList& names : out->byFolded)
        if (names.size() > 1)
            names.sort();
    return true;
}

bool sameStamp(const FolderNames& f, const struct stat& st) {
    return f.dev == st.st_dev && f.ino == st.st_ino && f.mtime.tv_sec == st.st_mtim.tv_sec &&
           f.mtime.tv_nsec == st.st_mtim.tv_nsec;
}

bool statFolder(const QByteArray& dp, struct stat* st) { return ::stat(dp.constData(), st) == 0; }

// The host path of `name` in the folder `dir`.
QString childOf(const QString& dir, const QString& name) {
    return dir == QLatin1String("/") ? QLatin1Char('/') + name : dir + QLatin1Char('/') + name;
}

// The first of the cached names of one folded name that is in `dir`; empty
// when none is (the cached names are stale).
QString firstPresent(const QString& dir, const QStringList& candidates) {
    for (const QString& candidate : candidates)
        if (existsNoFollow(childOf(dir, candidate)))
            return candidate;
    return {};
}

// The cached names of a folder are taken as they are when its stamp is the
// one they were read or last kept with, or while this process changes the
// folder (its stamp then moves under the names, which the change itself
// keeps current). `st` is the folder's status read just before the cache was
// taken: a stamp moved by a change that ended in between is read again.
bool namesCurrent(const FolderNames& f, const QByteArray& dp, struct stat* st) {
    if (sameStamp(f, *st) || f.pending > 0)
        return true;
    return statFolder(dp, st) && sameStamp(f, *st);
}

// The actual name in `dir` for `name`: itself when it exists as written,
// else (unless `exact`) the first (sorted) entry equal to it without regard
// to case; empty when there is none. With `exact` another entry that differs
// only in case is never taken for it: it is another file.
QString lookupName(const QString& dir, const QString& name, bool* missing = nullptr, bool exact = false) {
    const QString exactPath = childOf(dir, name);
    const QString key = name.toCaseFolded();
    const QByteArray dp = platform::HostBytes(dir);
    NameCache& c = nameCache();
    // Told only where the folder's names were looked through.
    if (missing)
        *missing = false;
    // A folder whose names are cached and current tells without a look at
    // the entry itself (a copy into it asks for every file).
    {
        std::unique_lock<std::mutex> g(c.lock);
        auto it = c.folders.find(dir);
        if (it != c.folders.end()) {
            bool current = it->pending > 0;
            if (!current) {
                g.unlock();
                struct stat st {};
                const bool there = statFolder(dp, &st) && S_ISDIR(st.st_mode);
                g.lock();
                it = c.folders.find(dir);
                current = there && it != c.folders.end() && (sameStamp(*it, st) || it->pending > 0);
            }
            if (current) {
                const auto hit = it->byFolded.constFind(key);
                if (hit == it->byFolded.cend() || (exact && !hit->contains(name))) {
                    if (missing)
                        *missing = hit == it->byFolded.cend();
                    return {};
                }
                const QStringList candidates = *hit;
                g.unlock();
                if (candidates.contains(name) && existsNoFollow(exactPath))
                    return name;
                if (!exact)
                    if (QString found = firstPresent(dir, candidates); !found.isEmpty())
                        return found;
                // Stale names: looked up the long way.
            }
        }
    }
    if (existsNoFollow(exactPath) && !exact)
        return name;
    struct stat st {};
    if (!statFolder(dp, &st) || !S_ISDIR(st.st_mode))
        return {};
    std::lock_guard<std::mutex> g(c.lock);
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto it = c.folders.find(dir);
        if (it == c.folders.end() || attempt == 1 || !namesCurrent(*it, dp, &st)) {
            if (c.folders.size() >= 128 && it == c.folders.end())
                c.folders.clear();
            FolderNames fresh;
            if (!readFolder(dir, st, &fresh))
                return {};
            fresh.serial = c.nextSerial++;
            it = c.folders.insert(dir, std::move(fresh));
        }
        const auto hit = it->byFolded.constFind(key);
        if (hit == it->byFolded.cend() || (exact && !hit->contains(name))) {
            if (missing)
                *missing = hit == it->byFolded.cend();
            return {};
        }
        if (exact) {
            if (existsNoFollow(exactPath))
                return name;
        } else if (QString found = firstPresent(dir, *hit); !found.isEmpty()) {
            return found;
        }
        // The cached names are stale: read the folder once more.
    }
    return {};
}

// Paths just mapped that exist as written: a file is usually mapped several
// times in a row (its attributes, its length, reading it). Such a mapping is
// taken again without a new look at the disk for a short while, unless the
// drives changed or this layer noted an entry made or removed meanwhile (the
// entries that OwnFolderChange makes leave them).
constexpr qint64 kRecentMs = 100;
constexpr int kRecentSlots = 8;

struct RecentPath {
    QString windows;
    QString host;
    std::shared_ptr<const DriveTable> table;
    qint64 at = 0;
    quint64 generation = 0;
};

struct RecentPaths {
    std::mutex lock;
    RecentPath slot[kRecentSlots];
    int next = 0;
    quint64 generation = 1;
};

RecentPaths& recentPaths() {
    static RecentPaths r;
    return r;
}

bool recentHost(const QString& windows, const std::shared_ptr<const DriveTable>& table, QString* host) {
    RecentPaths& r = recentPaths();
    const qint64 now = vb::SteadyMs();
    std::lock_guard<std::mutex> g(r.lock);
    for (const RecentPath& p : r.slot) {
        if (p.generation == r.generation && p.table == table && now - p.at < kRecentMs && now >= p.at &&
            p.windows == windows) {
            *host = p.host;
            return true;
        }
    }
    return false;
}

void rememberHost(const QString& windows, const QString& host, const std::shared_ptr<const DriveTable>& table) {
    RecentPaths& r = recentPaths();
    std::lock_guard<std::mutex> g(r.lock);
    RecentPath& p = r.slot[r.next];
    r.next = (r.next + 1) % kRecentSlots;
    p.windows = windows;
    p.host = host;
    p.table = table;
    p.at = vb::SteadyMs();
    p.generation = r.generation;
}

void forgetRecentHosts() {
    RecentPaths& r = recentPaths();
    std::lock_guard<std::mutex> g(r.lock);
    ++r.generation;
}

// Adds the Windows components of `rest` to `host`, dropping "." and applying
// ".." to the host path built so far (and lowering *keep when it climbs
// into the leading components).
void appendWindowsParts(const QString& rest, QStringList* host, qsizetype* keep) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !isSep(rest[i]))
            continue;
        const QString part = rest.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!host->isEmpty())
                host->removeLast();
            *keep = std::min(*keep, host->size());
            continue;
        }
        host->append(part);
    }
}

// The host path that a folder of a drive path ("X:\a\b\") or of a path
// rooted at "/" ("\a\b\") is made of, before any look at the disk: it
// follows from the drive table alone, so it is kept for that table. The files
// of a folder are mapped by joining their names to it.
struct FolderHosts {
    std::mutex lock;
    std::shared_ptr<const DriveTable> table;
    QHash<QString, QString> byFolder;
};

FolderHosts& folderHosts() {
    static FolderHosts f;
    return f;
}

bool joinedFolderHost(const QString& folder, const std::shared_ptr<const DriveTable>& table, QString* hostOut) {
    FolderHosts& c = folderHosts();
    std::lock_guard<std::mutex> g(c.lock);
    if (c.table != table) {
        c.byFolder.clear();
        c.table = table;
    }
    const auto hit = c.byFolder.constFind(folder);
    if (hit != c.byFolder.cend()) {
        *hostOut = *hit;
        return true;
    }
    QStringList host;
    QString rest;
    if (folder.size() >= 2 && folder[1] == QLatin1Char(':')) {
        const DriveRoot* d = table->drive(folder[0]);
        if (!d)
            return false;
        host = d->hostRoot.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        rest = folder.mid(2);
    } else {
        rest = folder;
    }
    qsizetype keep = host.size();
    appendWindowsParts(rest, &host, &keep);
    if (c.byFolder.size() >= 1024)
        c.byFolder.clear();
    *hostOut = c.byFolder.insert(folder, joinHost(host, host.size())).value();
    return true;
}

// The folders below which every name is taken as written (ExactNamesBelow).
struct ExactRoots {
    std::mutex lock;
    QStringList roots;
};

ExactRoots& exactRoots() {
    static ExactRoots r;
    return r;
}

QStringList exactRootsNow() {
    ExactRoots& r = exactRoots();
    std::lock_guard<std::mutex> g(r.lock);
    return r.roots;
}

// The innermost folder of ExactNamesBelow that is `hostPath` or holds it;
// "" when there is none.
QString innermostExactRoot(const QString& hostPath) {
    QString best;
    for (const QString& root : exactRootsNow())
        if (root.size() > best.size() && IsSameOrBelow(hostPath, root))
            best = root;
    return best;
}

}  // namespace

bool FoldsLetterCase(const QString& folderHost) {
    // A copy asks for every file of a folder in a row.
    thread_local QString lastFolder;
    thread_local bool lastFolds = false;
    if (folderHost == lastFolder && !lastFolder.isEmpty())
        return lastFolds;
    struct stat st {};
    if (::stat(platform::HostBytes(folderHost).constData(), &st) != 0)
        return false;
    static std::mutex lock;
    static QHash<dev_t, bool> known;
    {
        std::lock_guard<std::mutex> g(lock);
        const auto it = known.constFind(st.st_dev);
        if (it != known.cend()) {
            lastFolder = folderHost;
            lastFolds = *it;
            return *it;
        }
    }
    struct statfs fs {};
    bool folds = false;
    if (::statfs(platform::HostBytes(folderHost).constData(), &fs) == 0) {
        switch (quint32(fs.f_type)) {
        case 0x4d44:       // FAT (msdos, vfat)
        case 0x2011BAB0:   // exFAT
        case 0x5346544e:   // NTFS
        case 0x7366746e:   // NTFS (ntfs3)
        case 0x65735546:   // FUSE (ntfs-3g, exfat-fuse ...): answered by a look below
        case 0x517B:       // SMB
        case 0xFF534D42:   // CIFS
        case 0xFE534D42:   // SMB2
            folds = true;
            break;
        default:
            break;
        }
    }
    {
        std::lock_guard<std::mutex> g(lock);
        known.insert(st.st_dev, folds);
    }
    lastFolder = folderHost;
    lastFolds = folds;
    return folds;
}

namespace {

void noteEntry(const QString& hostPath, bool created) {
    forgetRecentHosts();
    const int slash = int(hostPath.lastIndexOf(QLatin1Char('/')));
    if (slash < 0)
        return;
    const QString dir = slash == 0 ? QStringLiteral("/") : hostPath.left(slash);
    const QString name = hostPath.mid(slash + 1);
    if (name.isEmpty())
        return;
    NameCache& c = nameCache();
    std::lock_guard<std::mutex> g(c.lock);
    auto it = c.folders.find(dir);
    if (it == c.folders.end())
        return;
    struct stat st {};
    const QByteArray dp = platform::HostBytes(dir);
    if (::stat(dp.constData(), &st) != 0) {
        c.folders.erase(it);
        return;
    }
    QStringList& names = it->byFolded[name.toCaseFolded()];
    if (created) {
        if (!names.contains(name)) {
            names.append(name);
            names.sort();
        }
    } else {
        names.removeAll(name);
    }
    it->mtime = st.st_mtim;
    it->dev = st.st_dev;
    it->ino = st.st_ino;
}

}  // namespace

OwnFolderChange::OwnFolderChange(const QString& folderHost) : folder_(folderHost) {
    NameCache& c = nameCache();
    std::unique_lock<std::mutex> g(c.lock);
    auto it = c.folders.find(folder_);
    if (it == c.folders.end())
        return;
    // Beside another change of this process the stamp tells nothing: the
    // names are counted on without a look.
    if (it->pending > 0) {
        serial_ = it->serial;
        ++it->pending;
        return;
    }
    g.unlock();
    struct stat st {};
    const QByteArray dp = platform::HostBytes(folder_);
    const bool there = statFolder(dp, &st);
    g.lock();
    it = c.folders.find(folder_);
    if (it == c.folders.end())
        return;
    if (there && namesCurrent(*it, dp, &st)) {
        serial_ = it->serial;
        ++it->pending;
    } else {
        c.folders.erase(it);   // changed by somebody else: read anew when asked
    }
}

void OwnFolderChange::done(const QString& created) {
    if (done_)
        return;
    done_ = true;
    const bool made = !created.isEmpty();
    if (!serial_)
        return;
    struct stat st {};
    const bool there = statFolder(platform::HostBytes(folder_), &st);
    const QString key = created.toCaseFolded();
    NameCache& c = nameCache();
    std::lock_guard<std::mutex> g(c.lock);
    auto it = c.folders.find(folder_);
    if (it == c.folders.end() || it->serial != serial_)
        return;   // read anew meanwhile
    --it->pending;
    if (!there || st.st_dev != it->dev || st.st_ino != it->ino) {
        c.folders.erase(it);
        return;
    }
    if (made) {
        QStringList& names = it->byFolded[key];
        if (!names.contains(created)) {
            names.append(created);
            names.sort();
        }
    }
    // Of the stamps that changes running side by side read after them, the
    // latest is the folder's.
    if (st.st_mtim.tv_sec > it->mtime.tv_sec ||
        (st.st_mtim.tv_sec == it->mtime.tv_sec && st.st_mtim.tv_nsec > it->mtime.tv_nsec))
        it->mtime = st.st_mtim;
}

OwnFolderChange::~OwnFolderChange() {
    if (!done_ && serial_) {
        NameCache& c = nameCache();
        std::lock_guard<std::mutex> g(c.lock);
        auto it = c.folders.find(folder_);
        if (it != c.folders.end() && it->serial == serial_)
            c.folders.erase(it);
    }
    // The paths mapped a moment ago stay: each exists as written, and an
    // entry made (or replaced) beside them maps none of them anew.
}

void NoteEntryCreated(const QString& hostPath) { noteEntry(hostPath, true); }
void NoteEntryRemoved(const QString& hostPath) { noteEntry(hostPath, false); }

bool IsPlainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString ResolveHostChild(const QString& folderHost, const QString& name, bool* missing) {
    if (missing)
        *missing = false;
    if (folderHost.isEmpty() || !IsPlainName(name))
        return {};
    if (missing)
        lookupName(folderHost, name, missing, true);
    return childOf(folderHost, name);
}

ExactNamesBelow::ExactNamesBelow(const QString& windowsFolder) {
    const HostPath h = ResolveWindowsPath(windowsFolder);
    if (!h.ok())
        return;
    root_ = h.path;
    ExactRoots& r = exactRoots();
    std::lock_guard<std::mutex> g(r.lock);
    r.roots.append(root_);
}

ExactNamesBelow::~ExactNamesBelow() {
    if (root_.isEmpty())
        return;
    ExactRoots& r = exactRoots();
    std::lock_guard<std::mutex> g(r.lock);
    r.roots.removeOne(root_);
}

bool NameHeldInOtherCase(const QString& hostPath) {
    const int slash = int(hostPath.lastIndexOf(QLatin1Char('/')));
    if (slash < 0 || !FoldsLetterCase(slash == 0 ? QStringLiteral("/") : hostPath.left(slash)))
        return false;
    // The parts below the run's folder that holds the path (only the last
    // part outside such a folder): the parts above it were typed, and the
    // file system finds them in any case as the person meant them.
    QString root = innermostExactRoot(hostPath);
    qsizetype from = root.isEmpty() ? slash : root.size();
    if (root == QLatin1String("/"))
        from = 0;
    for (qsizetype at = from; at >= 0 && at < hostPath.size();) {
        const qsizetype next = hostPath.indexOf(QLatin1Char('/'), at + 1);
        const qsizetype end = next < 0 ? hostPath.size() : next;
        const QString dir = at == 0 ? QStringLiteral("/") : hostPath.left(at);
        const QString name = hostPath.mid(at + 1, end - at - 1);
        if (!name.isEmpty() && existsNoFollow(hostPath.left(end))) {
            bool missing = false;
            if (lookupName(dir, name, &missing, true).isEmpty())
                return true;   // there, but under another name
        }
        if (next < 0)
            break;
        at = next;
    }
    return false;
}

void SplitWindowsPath(const QString& windowsPath, QString* folder, QString* last) {
    qsizetype cut = -1;
    for (qsizetype i = windowsPath.size() - 1; i >= 0; --i) {
        if (isSep(windowsPath[i])) {
            cut = i;
            break;
        }
    }
    if (cut < 0 && windowsPath.size() >= 2 && windowsPath[1] == QLatin1Char(':'))
        cut = 1;   // "C:name"
    if (folder)
        *folder = cut < 0 ? QString() : windowsPath.left(cut + 1);
    if (last)
        *last = cut < 0 ? windowsPath : windowsPath.mid(cut + 1);
}

HostPath ResolveWindowsPath(const QString& windowsPathIn) {
    HostPath out;
    QString s = windowsPathIn;
    if (s.isEmpty())
        return out;

    // Long-path and device prefixes.
    if (s.startsWith(QLatin1String("\\\\?\\UNC\\"), Qt::CaseInsensitive))
        s = QStringLiteral("\\\\") + s.mid(8);
    else if (s.startsWith(QLatin1String("\\\\?\\")))
        s = s.mid(4);
    else if (s.startsWith(QLatin1String("\\\\.\\")) || s.startsWith(QLatin1String("//./"))) {
        out.status = HostPathStatus::Invalid;
        return out;
    }

    const auto table = DriveTable::Current();
    // A relative path depends on the current folder: it is always mapped anew.
    const bool rooted = isSep(s[0]) || (s.size() >= 2 && s[1] == QLatin1Char(':'));
    if (rooted && recentHost(windowsPathIn, table, &out.path)) {
        out.status = HostPathStatus::Ok;
        return out;
    }
    // A name in a folder of a drive (or of "/"): joined to the folder's host
    // path, which is all a full mapping would do when the name exists as
    // written.
    const bool driveOrSlash = (s.size() >= 2 && s[1] == QLatin1Char(':') && s[0].isLetter() && s[0].unicode() < 128) ||
                              (isSep(s[0]) && !(s.size() >= 2 && isSep(s[1])));
    if (driveOrSlash) {
        qsizetype cut = s.size() - 1;
        while (cut >= 0 && !isSep(s[cut]))
            --cut;
        const QString name = cut > 0 ? s.mid(cut + 1) : QString();
        QString folderHost;
        if (!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
            joinedFolderHost(s.left(cut + 1), table, &folderHost)) {
            const QString candidate = childOf(folderHost, name);
            if (existsNoFollow(candidate)) {
                rememberHost(windowsPathIn, candidate, table);
                out.status = HostPathStatus::Ok;
                out.path = candidate;
                return out;
            }
        }
    }
    QStringList host;   // host components of the root
    QString rest;       // the Windows part below the root

    if (s.size() >= 2 && isSep(s[0]) && isSep(s[1])) {
        QString unc = s.mid(2);
        unc.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const QStringList parts = unc.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        if (parts.size() < 2) {
            out.status = HostPathStatus::Invalid;
            return out;
        }
        int used = 0;
        const NetworkShare* share = table->shareFor(parts, &used);
        if (!share) {
            out.status = HostPathStatus::NoShare;
            return out;
        }
        host = share->hostRoot.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        rest = parts.mid(used).join(QLatin1Char('/'));
    } else if (s.size() >= 2 && s[1] == QLatin1Char(':') && s[0].isLetter() && s[0].unicode() < 128) {
        const DriveRoot* d = table->drive(s[0]);
        if (!d) {
            out.status = HostPathStatus::NoDrive;
            return out;
        }
        host = d->hostRoot.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        rest = s.mid(2);
    } else if (isSep(s[0])) {
        rest = s;
    } else {
        host = QDir::currentPath().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        rest = s;
    }

    // The leading host components that are taken as they are (the drive's
    // root); ".." may climb out of it.
    qsizetype keep = host.size();
    appendWindowsParts(rest, &host, &keep);

    out.status = HostPathStatus::Ok;
    out.path = joinHost(host, host.size());
    if (host.isEmpty())
        return out;
    if (existsNoFollow(out.path)) {
        if (rooted)
            rememberHost(windowsPathIn, out.path, table);
        return out;
    }

    // Not there as written: keep the longest prefix that exists, then look
    // the remaining components up without regard to case. The drive's own
    // root is taken as it is.
    if (host.size() <= keep)
        return out;
    qsizetype k = host.size() - 1;
    while (k > keep && !existsNoFollow(joinHost(host, k)))
        --k;
    QString cur = joinHost(host, k);
    // Below a folder whose names are exact, the parts are taken as written.
    const QStringList roots = exactRootsNow();
    for (qsizetype i = k; i < host.size(); ++i) {
        const bool exact = std::any_of(roots.begin(), roots.end(), [&](const QString& r) { return IsSameOrBelow(cur, r); });
        const QString actual = exact ? QString() : lookupName(cur, host[i]);
        if (actual.isEmpty()) {
            for (qsizetype j = i; j < host.size(); ++j) {
                if (cur != QLatin1String("/"))
                    cur += QLatin1Char('/');
                cur += host[j];
            }
            break;
        }
        if (cur != QLatin1String("/"))
            cur += QLatin1Char('/');
        cur += actual;
    }
    out.path = cur;
    return out;
}

QString HostToWindows(const QString& hostPathIn) {
    if (hostPathIn.isEmpty())
        return {};
    // Already in Windows form (a drive or network path): tidied, not mapped.
    if ((hostPathIn.size() >= 2 && hostPathIn[1] == QLatin1Char(':') && hostPathIn[0].isLetter()) ||
        hostPathIn.startsWith(QLatin1String("\\\\"))) {
        QString w = hostPathIn;
        w.replace(QLatin1Char('/'), QLatin1Char('\\'));
        return w;
    }
    const QString host = QDir::cleanPath(QDir::current().absoluteFilePath(hostPathIn));
    const auto table = DriveTable::Current();

    const DriveRoot* best = nullptr;
    for (const DriveRoot& d : table->drives()) {
        if (!IsSameOrBelow(host, d.hostRoot))
            continue;
        if (!best || d.hostRoot.size() > best->hostRoot.size())
            best = &d;
    }
    const NetworkShare* share = nullptr;
    for (const NetworkShare& s : table->shares()) {
        if (!IsSameOrBelow(host, s.hostRoot))
            continue;
        if (!share || s.hostRoot.size() > share->hostRoot.size())
            share = &s;
    }

    auto below = [&](const QString& root) {
        QString r = root == QLatin1String("/") ? host.mid(1) : host.mid(root.size() + 1);
        r.replace(QLatin1Char('/'), QLatin1Char('\\'));
        return r;
    };
    if (share && (!best || share->hostRoot.size() > best->hostRoot.size())) {
        QString w = QStringLiteral("\\\\") + share->uncParts.join(QLatin1Char('\\'));
        const QString r = below(share->hostRoot);
        if (!r.isEmpty())
            w += QLatin1Char('\\') + r;
        return w;
    }
    if (!best)   // cannot happen: Z: is "/" unless overridden
        return host;
    return QString(best->letter) + QStringLiteral(":\\") + below(best->hostRoot);
}

}  // namespace platform
