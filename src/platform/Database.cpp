// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Database.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/TerminationRequest.h"
#include "platform/UserFolders.h"
#include "vb/ErrorHandling.h"
#include "vb/VbError.h"

namespace platform {
namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr int kSchemaVersion = 1;

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS reg_keys(
  fold TEXT PRIMARY KEY,      -- the key path, case-folded: what lookups compare
  path TEXT NOT NULL          -- the key path as it was first written
);
CREATE TABLE IF NOT EXISTS reg_values(
  key_fold  TEXT NOT NULL,    -- reg_keys.fold of the key that holds the value
  name_fold TEXT NOT NULL,    -- the value name, case-folded ('' = default value)
  name      TEXT NOT NULL,    -- the value name as it was first written
  value     TEXT NOT NULL,
  PRIMARY KEY(key_fold, name_fold)
);
CREATE TABLE IF NOT EXISTS archive_bits(
  path     TEXT PRIMARY KEY,  -- host path of the file
  size     INTEGER NOT NULL,  -- size when the bit was cleared
  mtime_ns INTEGER NOT NULL   -- modification time (ns since the epoch) then
);
)sql";

QByteArray native(const QString& p) { return QFile::encodeName(p); }

bool isDamage(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

}  // namespace

namespace {
// When an open of the shared database last failed on a lock that another
// process holds: an open soon after that does not wait for the lock again,
// so that a start of the program meets one wait of a few seconds, not one
// for each setting it reads.
QElapsedTimer g_lockedAt;
bool g_openLocked = false;
constexpr qint64 kLockRememberedMs = 60000;
}  // namespace

Database::Database(const QString& hostPath, int openWaitMs) : path_(hostPath), openWaitMs_(openWaitMs) { open(); }

Database::~Database() { closeFile(); }

QString Database::defaultPath() {
    return platform::ConfigHome() + QStringLiteral("/vaultora/settings.db");
}

Database& Database::shared() {
    static std::unique_ptr<Database> db;
    if (!db) {
        const bool lockedLately = g_lockedAt.isValid() && g_lockedAt.elapsed() < kLockRememberedMs;
        g_openLocked = false;
        try {
            db = std::make_unique<Database>(defaultPath(), lockedLately ? 0 : kBusyTimeoutMs);
        } catch (...) {
            if (g_openLocked)
                g_lockedAt.start();
            throw;
        }
    }
    return *db;
}

void Database::open() {
    opening_.start();
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            vb::Raise(vb::errPathNotFound, QStringLiteral("Path not found (settings folder %1)").arg(folder));
        ::chmod(native(folder).constData(), 0700);
    }
    openFile();
    QString problem;
    if (!healthy(&problem)) {
        moveAside(problem);
        openFile();
        if (!healthy(&problem))
            fail(SQLITE_CORRUPT, QStringLiteral("opening %1: %2").arg(path_, problem));
    }
    exec("PRAGMA synchronous=NORMAL");
    createSchema();
    opening_.invalidate();
}

void Database::openFile() {
    // Create the file ourselves so that it never exists with wider rights;
    // SQLite gives its -wal and -shm files the rights of the database file.
    const QByteArray name = native(path_);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int e = errno;
        vb::Raise(e == EACCES || e == EPERM || e == EROFS ? vb::errPermissionDenied : vb::errPathFileAccess,
                  QStringLiteral("Cannot open the settings database %1: %2").arg(path_, QString::fromLocal8Bit(strerror(e))));
    }
    ::fchmod(fd, 0600);
    ::close(fd);

    const int rc = sqlite3_open_v2(name.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXRESCODE,
                                   nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
        closeFile();
        fail(rc, QStringLiteral("opening %1: %2").arg(path_, msg));
    }
    sqlite3_busy_handler(db_, &Database::busyHandler, this);
}

// A lock held by another process is waited for a few seconds at most, and
// not at all once the program is asked to end.
int Database::busyHandler(void* self, int count) {
    auto* db = static_cast<Database*>(self);
    if (count == 0)
        db->busySince_.start();
    // The open as a whole has its limit; each later access has its own.
    const bool opening = db->opening_.isValid();
    const qint64 waited = opening ? db->opening_.elapsed() : db->busySince_.elapsed();
    if (TerminationRequested() || waited >= (opening ? db->openWaitMs_ : kBusyTimeoutMs))
        return 0;
    ::usleep(count < 10 ? 1000 : 10000);
    return 1;
}

void Database::closeFile() {
    for (auto& [sql, stmt] : cache_)
        sqlite3_finalize(stmt);
    cache_.clear();
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

// Switch to WAL and run SQLite's quick check. False only when the file is not
// a database or is damaged; other failures (locked, unreadable) raise.
bool Database::healthy(QString* problem) {
    // Switching a new file to WAL takes a lock for which SQLite does not wait
    // by itself when another process opens the same new file at this moment.
    // The whole wait is bounded: a lock that another process keeps makes the
    // open fail after a few seconds.
    char* err = nullptr;
    int rc = SQLITE_OK;
    for (;;) {
        sqlite3_free(err);
        err = nullptr;
        rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, &err);
        const int primary = rc & 0xff;
        if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED)
            break;
        if (opening_.elapsed() >= openWaitMs_ || TerminationRequested()) {
            g_openLocked = true;
            break;
        }
        ::usleep(10000);
    }
    if (rc == SQLITE_OK) {
        sqlite3_free(err);
        err = nullptr;
        QStringList lines;
        rc = sqlite3_exec(
            db_, "PRAGMA quick_check",
            [](void* out, int, char** values, char**) {
                static_cast<QStringList*>(out)->append(QString::fromUtf8(values[0] ? values[0] : ""));
                return 0;
            },
            &lines, &err);
        if (rc == SQLITE_OK) {
            sqlite3_free(err);
            if (lines == QStringList{QStringLiteral("ok")})
                return true;
            *problem = lines.join(QStringLiteral("; "));
            return false;
        }
    }
    const QString msg = QString::fromUtf8(err ? err : sqlite3_errstr(rc));
    sqlite3_free(err);
    if (isDamage(rc)) {
        *problem = msg;
        return false;
    }
    fail(rc, QStringLiteral("opening %1: %2").arg(path_, msg));
}

void Database::moveAside(const QString& problem) {
    closeFile();
    QString target = path_ + QStringLiteral(".corrupt-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path_ + QStringLiteral(".corrupt-") +
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")) + QStringLiteral("-%1").arg(n);
    if (::rename(native(path_).constData(), native(target).constData()) != 0)
        fail(SQLITE_CORRUPT, QStringLiteral("%1 is damaged (%2) and cannot be moved aside: %3")
                                 .arg(path_, problem, QString::fromLocal8Bit(strerror(errno))));
    // A write-ahead log belongs to the damaged file: keep it beside it.
    if (QFileInfo::exists(path_ + QStringLiteral("-wal")))
        ::rename(native(path_ + QStringLiteral("-wal")).constData(), native(target + QStringLiteral("-wal")).constData());
    QFile::remove(path_ + QStringLiteral("-shm"));
    movedAside_ = target;

    vb::ErrorReport report;
    report.label = QStringLiteral("Open of the settings database");
    report.err = {vb::errDeviceIO, QStringLiteral("The settings database %1 is damaged (%2); it was moved aside as %3 "
                                                  "and an empty one was started")
                                       .arg(path_, problem, target)};
    vb::ReportError(report);
}

void Database::createSchema() {
    qint64 v = 0;
    {
        Query version(*this, "PRAGMA user_version");
        v = version.next() ? version.int64(0) : 0;
    }  // reset here: an open read would keep the write transaction below from waiting
    qint64 tables = 0;
    {
        Query present(*this,
                      "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                      "AND name IN ('reg_keys', 'reg_values', 'archive_bits')");
        tables = present.next() ? present.int64(0) : 0;
    }
    // A file that says it is of our version but lacks a table (damaged by
    // hand or by another tool) gets the missing ones, or every read and
    // write of the settings would fail.
    if (v >= kSchemaVersion && tables == 3)
        return;
    transaction([&] {
        exec(kSchema);
        if (v < kSchemaVersion)
            exec("PRAGMA user_version=1");
    });
}

void Database::exec(const char* sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errstr(rc));
        sqlite3_free(err);
        fail(rc, msg);
    }
}

void Database::begin() { exec("BEGIN IMMEDIATE"); }

void Database::commit() {
    try {
        exec("COMMIT");
    } catch (...) {
        rollback();
        throw;
    }
}

void Database::rollback() noexcept {
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Database::fail(int rc, const QString& doing) const {
    int number = vb::errDeviceIO;
    switch (rc & 0xff) {
    case SQLITE_FULL:
        number = vb::errDiskFull;
        break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
        number = vb::errPermissionDenied;
        break;
    default:
        break;
    }
    vb::Raise(number, vb::StandardErrorText(number) + QStringLiteral(" (settings database: ") + doing + QStringLiteral(")"));
}

Database::Query::Query(Database& db, const char* sql) : db_(db), stmt_(nullptr) {
    if (!db.db_)
        vb::Raise(vb::errDeviceIO, QStringLiteral("Device I/O error (settings database not open)"));
    auto it = db.cache_.find(sql);
    if (it != db.cache_.end() && !sqlite3_stmt_busy(it->second)) {
        stmt_ = it->second;
        return;
    }
    const int rc = sqlite3_prepare_v2(db.db_, sql, -1, &stmt_, nullptr);
    if (rc != SQLITE_OK)
        db.fail(rc, QString::fromUtf8(sqlite3_errmsg(db.db_)));
    if (it == db.cache_.end())
        db.cache_.emplace(sql, stmt_);
    else
        own_ = true;
}

Database::Query::~Query() {
    if (own_) {
        sqlite3_finalize(stmt_);
    } else {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

Database::Query& Database::Query::bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const int rc = sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        db_.fail(rc, QString::fromUtf8(sqlite3_errmsg(db_.db_)));
    return *this;
}

Database::Query& Database::Query::bindBytes(int index, const QByteArray& bytes) {
    const int rc = sqlite3_bind_text(stmt_, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        db_.fail(rc, QString::fromUtf8(sqlite3_errmsg(db_.db_)));
    return *this;
}

Database::Query& Database::Query::bind(int index, qint64 number) {
    const int rc = sqlite3_bind_int64(stmt_, index, number);
    if (rc != SQLITE_OK)
        db_.fail(rc, QString::fromUtf8(sqlite3_errmsg(db_.db_)));
    return *this;
}

bool Database::Query::next() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db_.db_));
    sqlite3_reset(stmt_);
    db_.fail(rc, msg);
}

void Database::Query::run() {
    while (next()) {
    }
}

QString Database::Query::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, column)) : QString();
}

QByteArray Database::Query::bytes(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? QByteArray(p, sqlite3_column_bytes(stmt_, column)) : QByteArray();
}

qint64 Database::Query::int64(int column) const { return sqlite3_column_int64(stmt_, column); }

}  // namespace platform
