// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ArchiveBits.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <chrono>
#include <sys/stat.h>

#include "platform/HostNames.h"
#include "platform/Database.h"
#include "vb/Clock.h"

namespace platform {
namespace {

struct Stamp {
    qint64 size = 0;
    qint64 mtimeNs = 0;
};

bool stamp(const QString& path, Stamp* out) {
    struct stat st {};
    if (::stat(platform::HostBytes(path).constData(), &st) != 0)
        return false;
    out->size = st.st_size;
    out->mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

// An absolute path with nothing to clean ("//", "/./", "/../", a trailing
// "/") is its own key: a listed file's path always is.
bool isCleanAbsolute(const QString& p) {
    const qsizetype n = p.size();
    if (n < 2 || p[0] != QLatin1Char('/') || p[n - 1] == QLatin1Char('/'))
        return false;
    qsizetype part = 1;   // where the current component starts
    for (qsizetype i = 1; i <= n; ++i) {
        if (i < n && p[i] != QLatin1Char('/'))
            continue;
        const qsizetype len = i - part;
        if (len == 0 || (p[part] == QLatin1Char('.') && (len == 1 || (len == 2 && p[part + 1] == QLatin1Char('.')))))
            return false;
        part = i + 1;
    }
    return true;
}

QString key(const QString& hostPath) {
    if (isCleanAbsolute(hostPath))
        return hostPath;
    return QDir::cleanPath(QDir(hostPath).absolutePath());
}

// The records of one folder's files, read with one query: a listing asks for
// the bits of many files of the same folder in a row. The cache is dropped
// by every change made here and is read again after a short while, so that
// a change by another running copy of the program shows soon.
constexpr qint64 kFolderCacheMs = 500;
constexpr int kFolderRowLimit = 4096;   // a folder with more records below it is asked file by file

struct FolderRecords {
    QString folder;              // the key of the folder ("" = none cached)
    const Database* db = nullptr;
    qint64 readAt = 0;
    bool complete = false;       // false: too many records, ask file by file
    QHash<QString, Stamp> rows;  // key of the file -> its record
};

// Two folders are kept: a copy asks for the bits of its source and of its
// target folder in turn.
struct FolderCache {
    FolderRecords slot[2];
    int last = 0;   // the slot used last
};

FolderCache& folderCache() {
    static FolderCache c;
    return c;
}

void forgetFolderRecords() {
    for (FolderRecords& f : folderCache().slot)
        f.folder.clear();
}

// Clears not yet written: a run that clears the bits of many files writes
// them in one transaction a few times a second instead of one per file.
constexpr qint64 kPendingMs = 40;

struct PendingClears {
    QString dbPath;               // the database they belong to
    qint64 since = 0;             // when the oldest of them was made
    QHash<QString, Stamp> rows;   // key of the file -> its new record
};

PendingClears& pendingClears() {
    static PendingClears p;
    return p;
}

// The pending record of `k` in the current database, when there is one.
const Stamp* pendingOf(const QString& k) {
    PendingClears& p = pendingClears();
    if (p.rows.isEmpty() || p.dbPath != Database::shared().path())
        return nullptr;
    const auto it = p.rows.constFind(k);
    return it == p.rows.cend() ? nullptr : &*it;
}

void dropPending(const QString& k) {
    PendingClears& p = pendingClears();
    if (!p.rows.isEmpty())
        p.rows.remove(k);
}

// The record of `k` (a key): true and `out` set when there is one.
bool recordOf(const QString& k, Stamp* out) {
    Database& db = Database::shared();
    const qsizetype slash = k.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash <= 0 ? QStringLiteral("/") : k.left(slash);
    FolderCache& cache = folderCache();
    int use = cache.slot[0].folder == folder ? 0 : cache.slot[1].folder == folder ? 1 : 1 - cache.last;
    cache.last = use;
    FolderRecords& f = cache.slot[use];
    const qint64 now = vb::SteadyMs();
    if (f.folder != folder || f.db != &db || now - f.readAt >= kFolderCacheMs || now < f.readAt) {
        f.folder.clear();
        f.rows.clear();
        const QString low = folder == QLatin1String("/") ? folder : folder + QLatin1Char('/');
        const QString high = low.left(low.size() - 1) + QLatin1Char('0');   // '0' follows '/'
        Database::Query q(db, "SELECT path, size, mtime_ns FROM archive_bits WHERE path >= ?1 AND path < ?2 LIMIT ?3");
        q.bindBytes(1, HostBytes(low)).bindBytes(2, HostBytes(high)).bind(3, qint64(kFolderRowLimit) + 1);
        int n = 0;
        bool complete = true;
        while (q.next()) {
            if (++n > kFolderRowLimit) {
                complete = false;
                f.rows.clear();
                break;
            }
            const QString path = HostText(q.bytes(0));
            if (path.indexOf(QLatin1Char('/'), low.size()) >= 0)
                continue;   // below a subfolder
            f.rows.insert(path, Stamp{q.int64(1), q.int64(2)});
        }
        f.folder = folder;
        f.db = &db;
        f.readAt = now;
        f.complete = complete;
    }
    if (f.complete) {
        const auto it = f.rows.constFind(k);
        if (it == f.rows.cend())
            return false;
        *out = *it;
        return true;
    }
    Database::Query q(db, "SELECT size, mtime_ns FROM archive_bits WHERE path = ?1");
    q.bindBytes(1, HostBytes(k));
    if (!q.next())
        return false;
    *out = Stamp{q.int64(0), q.int64(1)};
    return true;
}

void record(const QString& hostPath, const Stamp& now);

bool bitSet(const QString& hostPath, const Stamp& now) {
    const QString k = key(hostPath);
    Stamp recorded;
    if (const Stamp* p = pendingOf(k))
        recorded = *p;
    else if (!recordOf(k, &recorded))
        return true;
    return recorded.size != now.size || recorded.mtimeNs != now.mtimeNs;
}

}  // namespace

bool ArchiveBitSet(const QString& hostPath) {
    Stamp now;
    if (!stamp(hostPath, &now))
        return true;
    return bitSet(hostPath, now);
}

bool ArchiveBitSet(const QString& hostPath, qint64 size, const struct timespec& mtime) {
    return bitSet(hostPath, Stamp{size, qint64(mtime.tv_sec) * 1000000000 + mtime.tv_nsec});
}

void ClearArchiveBit(const QString& hostPath) {
    Stamp now;
    if (!stamp(hostPath, &now)) {
        SetArchiveBit(hostPath);
        return;
    }
    record(hostPath, now);
}

void ClearArchiveBit(const QString& hostPath, qint64 size, const struct timespec& mtime) {
    record(hostPath, Stamp{size, qint64(mtime.tv_sec) * 1000000000 + mtime.tv_nsec});
}

namespace {
void record(const QString& hostPath, const Stamp& now) {
    forgetFolderRecords();
    dropPending(key(hostPath));
    Database::Query q(Database::shared(),
                      "INSERT INTO archive_bits(path, size, mtime_ns) VALUES(?1, ?2, ?3) "
                      "ON CONFLICT(path) DO UPDATE SET size = excluded.size, mtime_ns = excluded.mtime_ns");
    q.bindBytes(1, HostBytes(key(hostPath))).bind(2, now.size).bind(3, now.mtimeNs);
    q.run();
}
}  // namespace

void ClearArchiveBitSoon(const QString& hostPath, qint64 size, const struct timespec& mtime) {
    PendingClears& p = pendingClears();
    const QString dbPath = Database::shared().path();
    if (!p.rows.isEmpty() && p.dbPath != dbPath)
        p.rows.clear();   // made for a database that is no longer the current one
    const qint64 now = vb::SteadyMs();
    if (p.rows.isEmpty()) {
        p.dbPath = dbPath;
        p.since = now;
    }
    p.rows.insert(key(hostPath), Stamp{size, qint64(mtime.tv_sec) * 1000000000 + mtime.tv_nsec});
    if (now - p.since >= kPendingMs || now < p.since)
        FlushArchiveBits();
}

void FlushArchiveBits() {
    PendingClears& p = pendingClears();
    if (p.rows.isEmpty())
        return;
    QHash<QString, Stamp> rows;
    rows.swap(p.rows);   // on a failure they are dropped: the bits stay set
    Database& db = Database::shared();
    if (p.dbPath != db.path())
        return;
    forgetFolderRecords();
    db.transaction([&] {
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            Database::Query q(db,
                              "INSERT INTO archive_bits(path, size, mtime_ns) VALUES(?1, ?2, ?3) "
                              "ON CONFLICT(path) DO UPDATE SET size = excluded.size, mtime_ns = excluded.mtime_ns");
            q.bindBytes(1, HostBytes(it.key())).bind(2, it->size).bind(3, it->mtimeNs);
            q.run();
        }
    });
}

void SetArchiveBit(const QString& hostPath) {
    forgetFolderRecords();
    dropPending(key(hostPath));
    Database::Query q(Database::shared(), "DELETE FROM archive_bits WHERE path = ?1");
    q.bindBytes(1, HostBytes(key(hostPath)));
    q.run();
}

}  // namespace platform
