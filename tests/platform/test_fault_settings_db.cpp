// SPDX-License-Identifier: GPL-3.0-or-later
// A settings database that is not a database, or not ours, or damaged: the
// open gives a working database and says what it did, or fails with a clear
// error; it never crashes and never loses the old file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <vector>

#include "support/TestEnv.h"
#include "platform/Database.h"
#include "vb/ErrorHandling.h"
#include "vb/VbError.h"

using namespace platform;

namespace {

struct SinkCapture {
    std::vector<vb::ErrorReport> reports;
    SinkCapture() {
        vb::SetErrorSink([this](const vb::ErrorReport& r) { reports.push_back(r); });
    }
    ~SinkCapture() { vb::SetErrorSink({}); }
};

using testenv::randomBytes;

// A real database of ours with one value in it, as bytes.
QByteArray realDatabase(const QString& dir) {
    const QString path = dir + "/real.db";
    {
        Database db(path);
        Database::Query(db, "INSERT INTO reg_keys(fold, path) VALUES('k', 'K')").run();
        Database::Query(db, "INSERT INTO reg_values(key_fold, name_fold, name, value) VALUES('k', 'n', 'n', 'v')").run();
        db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    return testenv::readFile(path);
}

// A valid SQLite file made by someone else: `sql` run on a fresh file.
QByteArray foreignDatabase(const QString& dir, const char* sql) {
    const QString path = dir + "/foreign.db";
    QFile::remove(path);
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    return testenv::readFile(path);
}

// The database works: a value goes in and comes out.
void expectWorking(Database& db) {
    Database::Query(db, "INSERT OR REPLACE INTO reg_keys(fold, path) VALUES('t', 'T')").run();
    Database::Query(db, "INSERT OR REPLACE INTO reg_values(key_fold, name_fold, name, value) VALUES('t', 'x', 'x', 'ok')")
        .run();
    Database::Query q(db, "SELECT value FROM reg_values WHERE key_fold = 't' AND name_fold = 'x'");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.text(0), "ok");
}

}  // namespace

TEST(SettingsDatabaseFaults, FilesThatAreNoDatabaseOfOursOpenCleanly) {
    const QString work = testenv::tempDir("db-faults");
    const QByteArray real = realDatabase(work);
    ASSERT_GT(real.size(), 4096);
    QByteArray flipped = real;  // damage inside the pages, the header intact
    for (qsizetype i = 1024; i < flipped.size(); i += 97)
        flipped[i] = char(~flipped[i]);

    struct Case {
        const char* name;
        QByteArray bytes;
        bool movedAside;  // the file is damaged: kept aside, an empty database started
    } cases[] = {
        {"random bytes", randomBytes(64 * 1024, 1), true},
        {"text", QByteArray("[Settings]\r\nLanguage=english\r\n").repeated(50), true},
        {"a header and nothing else", QByteArray("SQLite format 3\0", 16), true},
        {"a header and random pages", QByteArray("SQLite format 3\0", 16) + randomBytes(8192 - 16, 2), true},
        {"the first page of a real one", real.left(1024), true},
        {"a real one cut short", real.left(real.size() / 2 + 100), true},
        {"a real one with damaged pages", flipped, true},
        {"NUL bytes", QByteArray(32 * 1024, '\0'), true},
        {"an empty file", QByteArray(), false},
        {"another program's database", foreignDatabase(work, "CREATE TABLE t(a, b); INSERT INTO t VALUES(1, 2);"), false},
        {"ours in a version without the value table",
         foreignDatabase(work, "CREATE TABLE reg_keys(fold TEXT PRIMARY KEY, path TEXT); PRAGMA user_version=1;"), false},
        {"a newer version of ours",
         foreignDatabase(work, "CREATE TABLE reg_keys(fold TEXT PRIMARY KEY, path TEXT NOT NULL);"
                               "CREATE TABLE reg_values(key_fold TEXT NOT NULL, name_fold TEXT NOT NULL, name TEXT NOT NULL,"
                               " value TEXT NOT NULL, extra TEXT, PRIMARY KEY(key_fold, name_fold));"
                               "CREATE TABLE archive_bits(path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL);"
                               "PRAGMA user_version=2;"),
         false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString dir = work + QStringLiteral("/case%1").arg(++n);
        QDir().mkpath(dir);
        const QString path = dir + "/settings.db";
        testenv::writeFile(path, c.bytes);
        SinkCapture cap;
        try {
            Database db(path);
            EXPECT_EQ(!db.movedAside().isEmpty(), c.movedAside);
            if (!db.movedAside().isEmpty()) {
                EXPECT_EQ(testenv::readFile(db.movedAside()), c.bytes);  // kept for the user
                ASSERT_EQ(cap.reports.size(), 1u);
                EXPECT_TRUE(cap.reports[0].err.Description.contains(db.movedAside()));
            }
            expectWorking(db);
        } catch (const vb::VbError& e) {
            ADD_FAILURE() << "open failed: " << e.number() << " " << e.description().toStdString();
        }
        // Whatever happened, the store opens again without moving anything.
        Database again(path);
        EXPECT_TRUE(again.movedAside().isEmpty());
    }
}

TEST(SettingsDatabaseFaults, APathThatCannotHoldADatabaseGivesAClearError) {
    const QString work = testenv::tempDir("db-faults-path");
    struct Case {
        const char* name;
        QString path;
    } cases[] = {
        {"a folder in its place", work + "/folder.db"},
        {"below a file", work + "/plain/settings.db"},
    };
    QDir().mkpath(work + "/folder.db");
    testenv::writeFile(work + "/plain", "not a folder");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Database db(c.path);
            ADD_FAILURE() << "opened";
        } catch (const vb::VbError& e) {
            EXPECT_TRUE(e.number() == vb::errPathFileAccess || e.number() == vb::errPathNotFound ||
                        e.number() == vb::errPermissionDenied || e.number() == vb::errDeviceIO)
                << e.number();
            EXPECT_TRUE(e.description().contains("settings")) << e.description().toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(work + "/folder.db").isDir());
    EXPECT_EQ(testenv::readFile(work + "/plain"), "not a folder");
}
