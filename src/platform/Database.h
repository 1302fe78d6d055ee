// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QElapsedTimer>
#include <QString>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// The per-user settings database: one SQLite file that holds the registry
// tree (and with it the settings store) and the emulated archive bits.
//
// The file is "$XDG_CONFIG_HOME/vaultora/settings.db" (~/.config/... when the
// variable is unset), created with mode 0600 in a folder of mode 0700. It runs
// in WAL mode with a busy timeout, and every change is one short transaction,
// so two running copies of the program can read and write it at once without
// losing a write. A lock that another process holds longer is waited for at
// most five seconds (no longer once a termination signal came); the access
// then fails with error 57.
//
// A file that is not a database (or fails SQLite's quick check) is moved aside
// as "<name>.corrupt-<yyyyMMdd-hhmmss>", the failure is reported through the
// error sink, and an empty database takes its place.
//
// Failures of the database raise vb::VbError (57 Device I/O error, 61 Disk full,
// 70 Permission denied) with SQLite's text appended.
class Database {
public:
    // `openWaitMs`: how long the open may wait for a lock that another
    // process holds.
    explicit Database(const QString& hostPath, int openWaitMs = 5000);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The per-user database, opened on first use (a failed open is retried on
    // the next call).
    static Database& shared();
    static QString defaultPath();

    const QString& path() const { return path_; }
    // Where a damaged file was moved to when this database was opened ("" when
    // nothing was moved).
    const QString& movedAside() const { return movedAside_; }

    // A prepared statement from the database's cache. Reset when destroyed.
    class Query {
    public:
        Query(Database& db, const char* sql);
        ~Query();
        Query(const Query&) = delete;
        Query& operator=(const Query&) = delete;

        Query& bind(int index, const QString& text);
        // The exact bytes of a host file name (not always UTF-8).
        Query& bindBytes(int index, const QByteArray& bytes);
        Query& bind(int index, qint64 number);
        bool next();   // true while there is a row
        void run();    // execute to the end
        QString text(int column) const;
        QByteArray bytes(int column) const;
        qint64 int64(int column) const;

    private:
        Database& db_;
        sqlite3_stmt* stmt_;
        bool own_ = false;  // a private copy while the cached one is in use
    };

    // Run `f` inside one write transaction (BEGIN IMMEDIATE ... COMMIT); rolled
    // back when `f` throws. Nested calls join the outer transaction.
    template <class F>
    void transaction(F&& f) {
        if (depth_ > 0) {
            f();
            return;
        }
        begin();
        ++depth_;
        try {
            f();
        } catch (...) {
            --depth_;
            rollback();
            throw;
        }
        --depth_;
        commit();
    }

    void exec(const char* sql);

    [[noreturn]] void fail(int rc, const QString& doing) const;

private:
    void open();
    void openFile();
    void closeFile();
    bool healthy(QString* problem);
    void moveAside(const QString& problem);
    void createSchema();
    void begin();
    void commit();
    void rollback() noexcept;
    static int busyHandler(void* self, int count);

    QElapsedTimer busySince_;
    QElapsedTimer opening_;  // running while the file is being opened
    QString path_;
    int openWaitMs_;
    QString movedAside_;
    sqlite3* db_ = nullptr;
    int depth_ = 0;
    std::unordered_map<std::string, sqlite3_stmt*> cache_;
};

}  // namespace platform
