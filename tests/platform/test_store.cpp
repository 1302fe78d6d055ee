// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

#include "support/ErrorOf.h"
#include "support/TestEnv.h"
#include "platform/ArchiveBits.h"
#include "platform/Database.h"
#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "vb/ErrorHandling.h"

using namespace platform;

namespace {

int modeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}

using testenv::errorOf;

struct SinkCapture {
    std::vector<vb::ErrorReport> reports;
    SinkCapture() {
        vb::SetErrorSink([this](const vb::ErrorReport& r) { reports.push_back(r); });
    }
    ~SinkCapture() { vb::SetErrorSink({}); }
};

// A second program on the store; configHome: another XDG_CONFIG_HOME.
std::unique_ptr<QProcess> startPeer(const QStringList& args, const QString& configHome = {}) {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!configHome.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", configHome);
        p->setProcessEnvironment(env);
    }
    p->start(QStringLiteral(STORE_PEER), args);
    return p;
}

}  // namespace

TEST(SettingsDatabase, LivesInTheConfigFolderPrivateAndInWalMode) {
    SaveSetting("DbFile", "S", "k", "v");
    const QString path = Database::shared().path();
    EXPECT_EQ(path, testenv::home() + "/.config/vaultora/settings.db");
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(modeOf(path + "-wal"), 0600);
    EXPECT_EQ(modeOf(QFileInfo(path).absolutePath()), 0700);
    Database::Query q(Database::shared(), "PRAGMA journal_mode");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.text(0), "wal");
}

TEST(SettingsDatabase, GarbageFileIsMovedAsideAndAnEmptyOneStarted) {
    const QString dir = testenv::tempDir("garbage");
    const QString path = dir + "/settings.db";
    const QByteArray garbage = QByteArray("this is no database\n").repeated(300);
    testenv::writeFile(path, garbage);

    SinkCapture cap;
    Database db(path);
    ASSERT_FALSE(db.movedAside().isEmpty());
    EXPECT_TRUE(QFileInfo(db.movedAside()).fileName().startsWith("settings.db.corrupt-"));
    EXPECT_EQ(testenv::readFile(db.movedAside()), garbage);  // kept for the user
    ASSERT_EQ(cap.reports.size(), 1u);
    EXPECT_TRUE(cap.reports[0].err.Description.contains(db.movedAside()));

    // The new file is a working, empty database of mode 0600.
    EXPECT_EQ(modeOf(path), 0600);
    Database::Query q(db, "SELECT count(*) FROM reg_values");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.int64(0), 0);

    // Opening it again moves nothing.
    Database again(path);
    EXPECT_TRUE(again.movedAside().isEmpty());
}

TEST(SettingsStore, ReadsGiveTheDefaultUntilWritten) {
    EXPECT_EQ(GetSetting("NRV\\Vaultora\\GUEST", "Settings", "chkSound", "1"), "1");
    EXPECT_EQ(GetSetting("NRV\\Vaultora\\GUEST", "Settings", "txtFTPuser"), "");
    SaveSetting("NRV\\Vaultora\\GUEST", "Settings", "chkSound", "0");
    EXPECT_EQ(GetSetting("NRV\\Vaultora\\GUEST", "Settings", "chkSound", "1"), "0");
    SaveSetting("NRV\\Vaultora\\GUEST", "Settings", "chkSound", "");
    EXPECT_EQ(GetSetting("NRV\\Vaultora\\GUEST", "Settings", "chkSound", "1"), "");  // stored empty text
    // The value sits in the registry tree, one level per part of the name.
    EXPECT_EQ(RegRead("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\NRV\\Vaultora\\GUEST\\Settings\\chkSound"),
              "");
}

TEST(SettingsStore, NamesAreComparedWithoutCase) {
    SaveSetting("NRV\\Vaultora\\MÜLLER\\Weekly", "Settings", "txtPathBackUp", "D:\\Backup");
    struct Case {
        const char* app;
        const char* section;
        const char* key;
    } cases[] = {
        {"NRV\\Vaultora\\MÜLLER\\Weekly", "Settings", "txtPathBackUp"},
        {"nrv\\vaultora\\müller\\weekly", "settings", "txtpathbackup"},
        {"NRV\\VAULTORA\\MÜLLER\\WEEKLY", "SETTINGS", "TXTPATHBACKUP"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetSetting(QString::fromUtf8(c.app), c.section, c.key, "none"), "D:\\Backup") << c.app << " " << c.key;
    // Writing through another case replaces the value and keeps the first spelling.
    SaveSetting("nrv\\vaultora\\müller\\weekly", "SETTINGS", "TXTPATHBACKUP", "E:\\");
    const auto all = GetAllSettings(QString::fromUtf8("NRV\\Vaultora\\MÜLLER\\Weekly"), "Settings");
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].first, "txtPathBackUp");
    EXPECT_EQ(all[0].second, "E:\\");
}

TEST(SettingsStore, AReadScopeAnswersAsTheStoreDoes) {
    const QString app = QStringLiteral("NRV\\Vaultora\\GUEST\\Scope");
    SaveSetting(app, "Settings", "txtPathBackUp", "D:\\Backup");
    SaveSetting(app, "Data", "MainLeft", "1000");
    {
        const SettingsReadScope scope;
        EXPECT_EQ(GetSetting(app, "Settings", "TXTPATHBACKUP", "none"), "D:\\Backup");
        EXPECT_EQ(GetSetting(app.toLower(), "settings", "txtPathBackUp", "none"), "D:\\Backup");
        EXPECT_EQ(GetSetting(app, "Settings", "missing", "default"), "default");
        EXPECT_EQ(GetSetting(app, "Data", "MainLeft", "0"), "1000");
        // What is changed while the scope lives is read as changed.
        SaveSetting(app, "Settings", "txtPathBackUp", "E:\\");
        EXPECT_EQ(GetSetting(app, "Settings", "txtPathBackUp"), "E:\\");
        DeleteSetting(app, "Data", "MainLeft");
        EXPECT_EQ(GetSetting(app, "Data", "MainLeft", "gone"), "gone");
        RegWrite("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\" + app + "\\Settings\\new", "n");
        EXPECT_EQ(GetSetting(app, "Settings", "new"), "n");
    }
    // A change by another writer after the scope ended is seen.
    RegWrite("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\" + app + "\\Settings\\new", "m");
    EXPECT_EQ(GetSetting(app, "Settings", "new"), "m");
}

TEST(SettingsStore, GetAllSettingsKeepsTheOrderOfFirstWriting) {
    for (const char* k : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
        SaveSetting("Order\\App", "Data", k, QString(k) + "=1");
    SaveSetting("Order\\App", "Data", "MainLeft", "2");  // rewriting keeps the place
    const auto all = GetAllSettings("Order\\App", "Data");
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[0], qMakePair(QString("MainLeft"), QString("2")));
    EXPECT_EQ(all[3].first, "MainHeight");
    EXPECT_TRUE(GetAllSettings("Order\\App", "Nothing").isEmpty());
}

// An empty profile name gives an application name with an empty last level;
// such a write must not land one level up among the user's own settings.
TEST(SettingsStore, NamesWithEmptyLevelsAreRefused) {
    const QString bad[] = {"NRV\\Vaultora\\GUEST\\", "", "\\NRV", "NRV\\\\X"};
    for (const QString& app : bad) {
        EXPECT_EQ(errorOf([&] { SaveSetting(app, "Settings", "chkWriteLog", "1"); }), 5) << app.toStdString();
        EXPECT_EQ(GetSetting(app, "Settings", "chkWriteLog", "dflt"), "dflt");
    }
    EXPECT_EQ(errorOf([] { SaveSetting("Ok", "", "k", "v"); }), 5);
    EXPECT_EQ(errorOf([] { SaveSetting("Ok", "S", "", "v"); }), 5);
    EXPECT_EQ(GetSetting("NRV\\Vaultora\\GUEST", "Settings", "chkWriteLog", "unset"), "unset");
}

TEST(SettingsStore, DeleteSettingRemovesKeySectionOrApplication) {
    SaveSetting("Del\\App", "A", "k1", "1");
    SaveSetting("Del\\App", "A", "k2", "2");
    SaveSetting("Del\\App", "B", "k1", "3");
    SaveSetting("Del\\App\\Deeper", "C", "k", "4");

    DeleteSetting("Del\\App", "A", "K1");
    EXPECT_EQ(GetSetting("Del\\App", "A", "k1", "gone"), "gone");
    EXPECT_EQ(GetSetting("Del\\App", "A", "k2"), "2");
    DeleteSetting("del\\app", "a");
    EXPECT_EQ(GetSetting("Del\\App", "A", "k2", "gone"), "gone");
    EXPECT_EQ(GetSetting("Del\\App", "B", "k1"), "3");
    DeleteSetting("Del\\App");
    EXPECT_EQ(GetSetting("Del\\App", "B", "k1", "gone"), "gone");
    EXPECT_EQ(GetSetting("Del\\App\\Deeper", "C", "k", "gone"), "gone");
    // A sibling whose name only starts the same is not part of the tree.
    SaveSetting("Del\\Apple", "A", "k", "kept");
    SaveSetting("Del\\App", "A", "k", "x");
    DeleteSetting("Del\\App");
    EXPECT_EQ(GetSetting("Del\\Apple", "A", "k"), "kept");

    EXPECT_EQ(errorOf([] { DeleteSetting("Del\\App", "A", "k1"); }), 5);
    EXPECT_EQ(errorOf([] { DeleteSetting("Del\\Never"); }), 5);
    // A key without its section must not take the whole application with it.
    SaveSetting("Del\\Whole", "S", "k", "v");
    EXPECT_EQ(errorOf([] { DeleteSetting("Del\\Whole", "", "k"); }), 5);
    EXPECT_EQ(GetSetting("Del\\Whole", "S", "k"), "v");
}

TEST(SettingsStore, SecondProcessSeesWhatTheFirstWrote) {
    SaveSetting("NRV\\Common", "GUEST", "txtUserEmail", "me@example.org");
    QProcess peer;
    peer.start(STORE_PEER, {"get", "nrv\\common", "guest", "TXTUSEREMAIL"});
    ASSERT_TRUE(peer.waitForFinished(30000));
    EXPECT_EQ(peer.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(peer.readAllStandardOutput()), "me@example.org");

    QProcess writer;
    writer.start(STORE_PEER, {"write", "FromPeer", "3"});
    ASSERT_TRUE(writer.waitForFinished(30000));
    EXPECT_EQ(writer.exitCode(), 0);
    EXPECT_EQ(GetSetting("FromPeer", "Keys", "k2"), "FromPeer-2");
}

TEST(SettingsStore, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kCount = 400;
    auto a = startPeer({"write", "PeerA", QString::number(kCount)});
    auto b = startPeer({"write", "PeerB", QString::number(kCount)});
    ASSERT_TRUE(a->waitForStarted(30000));
    ASSERT_TRUE(b->waitForStarted(30000));
    // This process writes too while the two peers run.
    for (int i = 0; i < kCount; ++i)
        SaveSetting("Parent", "Keys", QString("k%1").arg(i), QString::number(i));
    ASSERT_TRUE(a->waitForFinished(60000));
    ASSERT_TRUE(b->waitForFinished(60000));
    EXPECT_EQ(a->exitCode(), 0);
    EXPECT_EQ(b->exitCode(), 0);

    for (const char* app : {"PeerA", "PeerB"}) {
        const auto all = GetAllSettings(app, "Keys");
        ASSERT_EQ(all.size(), kCount) << app;
        for (int i = 0; i < kCount; ++i)
            ASSERT_EQ(all[i].second, QString("%1-%2").arg(app).arg(i));
    }
    EXPECT_EQ(GetAllSettings("Parent", "Keys").size(), kCount);
}

// Several copies of the program creating the database file at the same moment.
TEST(SettingsStore, ProcessesStartingOnANewDatabaseAtOnceLoseNothing) {
    for (int round = 0; round < 20; ++round) {
        const QString config = testenv::tempDir("fresh");
        std::vector<std::unique_ptr<QProcess>> peers;
        for (const char* app : {"A", "B", "C"})
            peers.push_back(startPeer({"write", app, "50"}, config));
        for (auto& p : peers) {
            ASSERT_TRUE(p->waitForFinished(60000));
            EXPECT_EQ(p->exitCode(), 0) << "round " << round;
        }
        Database db(config + "/vaultora/settings.db");
        Database::Query q(db, "SELECT count(*) FROM reg_values");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.int64(0), 150) << "round " << round;
    }
}

TEST(ArchiveBits, SetUntilClearedAndAgainWhenTheFileChanges) {
    const QString dir = testenv::tempDir("archive");
    const QString file = dir + "/doc.txt";
    testenv::writeFile(file, "first");
    EXPECT_TRUE(ArchiveBitSet(file));  // never recorded
    ClearArchiveBit(file);
    EXPECT_FALSE(ArchiveBitSet(file));
    EXPECT_FALSE(ArchiveBitSet(dir + "/./doc.txt"));  // the same file by another spelling

    testenv::writeFile(file, "second, longer");  // size differs
    EXPECT_TRUE(ArchiveBitSet(file));
    ClearArchiveBit(file);
    EXPECT_FALSE(ArchiveBitSet(file));

    // Same size, only the modification time moves.
    struct utimbuf times {1000000000, 1000000000};
    ASSERT_EQ(::utime(QFile::encodeName(file).constData(), &times), 0);
    EXPECT_TRUE(ArchiveBitSet(file));
    ClearArchiveBit(file);
    EXPECT_FALSE(ArchiveBitSet(file));

    SetArchiveBit(file);
    EXPECT_TRUE(ArchiveBitSet(file));

    // A file that is not there counts as set; clearing it records nothing.
    EXPECT_TRUE(ArchiveBitSet(dir + "/missing"));
    EXPECT_NO_THROW(ClearArchiveBit(dir + "/missing"));
    testenv::writeFile(dir + "/missing", "now here");
    EXPECT_TRUE(ArchiveBitSet(dir + "/missing"));
}

// Clears kept back for one transaction: seen at once in this process, in the
// file once written, and undone by a later set or change.
TEST(ArchiveBits, ClearsWrittenLaterAreSeenAtOnce) {
    const QString dir = testenv::tempDir("archive-soon");
    const QString a = dir + "/a.txt", b = dir + "/b.txt";
    testenv::writeFile(a, "one");
    testenv::writeFile(b, "two");
    auto clearSoon = [](const QString& f) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &st), 0);
        ClearArchiveBitSoon(f, st.st_size, st.st_mtim);
    };
    auto inFile = [](const QString& f) {   // what another running copy reads
        Database other(Database::shared().path());
        Database::Query q(other, "SELECT size FROM archive_bits WHERE path = ?1");
        q.bind(1, f);
        return q.next();
    };
    FlushArchiveBits();
    clearSoon(a);
    clearSoon(b);
    EXPECT_FALSE(ArchiveBitSet(a));
    EXPECT_FALSE(ArchiveBitSet(b));
    SetArchiveBit(b);   // set again before it was written
    EXPECT_TRUE(ArchiveBitSet(b));
    FlushArchiveBits();
    EXPECT_TRUE(inFile(a));
    EXPECT_FALSE(inFile(b));
    EXPECT_FALSE(ArchiveBitSet(a));
    EXPECT_TRUE(ArchiveBitSet(b));

    clearSoon(b);
    testenv::writeFile(b, "changed after the clear");
    EXPECT_TRUE(ArchiveBitSet(b));
    FlushArchiveBits();
    EXPECT_TRUE(ArchiveBitSet(b));
}
