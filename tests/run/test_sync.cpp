// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTimer>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>

#include "CopySyncTest.h"
#include "common/Globals.h"
#include "run/ArchivePaths.h"
#include "run/Vaultora_FileSync.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/VbError.h"

namespace {

constexpr qint64 kT0 = 1700000000;   // a fixed modification time

struct Entry {
    QString path;   // below the folder, "/" separated
    QByteArray data;
    qint64 mtime = kT0;
    bool readOnly = false;
};

void setTime(const QString& host, qint64 t) {
    const struct timespec times[2] = {{t, 0}, {t, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(host).constData(), times, 0);
}

void make(const QString& root, const std::vector<Entry>& wanted) {
    QDir().mkpath(root);
    for (const Entry& s : wanted) {
        const QString host = root + "/" + s.path;
        if (s.path.endsWith('/')) {
            QDir().mkpath(host);
            continue;
        }
        testenv::writeFile(host, s.data);
        setTime(host, s.mtime);
        if (s.readOnly)
            QFile::setPermissions(host, QFile::ReadOwner | QFile::ReadGroup);
    }
}

QMap<QString, QByteArray> tree(const QString& root) { return testenv::treeContents(root); }

// The names of a folder's files in the order the file system lists them.
QStringList listingOrder(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        out << it.fileName();
    }
    return out;
}

class Sync : public CopySyncTest {
protected:
    void SetUp() override {
        CopySyncTest::SetUp();
        w = std::make_unique<frmMain_BackUp>();
        w->RtbNews1->setText(QString());
        CancelBackUp = false;
        BackUpStartTime = vb::CLng(vb::Timer());
        root = testenv::tempDir("sync");
        src = root + "/src";
        dst = root + "/dst";
    }
    void TearDown() override {
        CancelBackUp = false;
        w.reset();
        CopySyncTest::TearDown();
    }
    // The left column of a log line.
    QString L(const QString& windowsPath) const {
        QString s = w->shorten_path(windowsPath, 40);
        return s + QString(std::max<qsizetype>(0, 40 - s.size()), ' ');
    }
    // The log as the lines were written, oldest first.
    QStringList written() const {
        QStringList lines = w->RtbNews1->Text().split("\r\n");
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        std::reverse(lines.begin(), lines.end());
        return lines;
    }

    std::unique_ptr<frmMain_BackUp> w;
    QString root, src, dst;
};

}  // namespace

TEST_F(Sync, CompareCodesForEachDifference) {
    make(src, {{"same.txt", "aaaa"},
               {"srcnewer.txt", "aaaa", kT0 + 1},
               {"dstnewer.txt", "aaaa", kT0 - 1},
               {"size.txt", "aaaaa"},
               {"size_srcnewer.txt", "aaaaa", kT0 + 60},
               {"size_dstnewer.txt", "aaaaa", kT0 - 60},
               {"attr.txt", "aaaa", kT0, true},
               {"attr_srcnewer.txt", "aaaa", kT0 + 5, true},
               {"attr_dstnewer.txt", "aaaa", kT0 - 5, true},
               {"attr_size.txt", "aaaaa", kT0, true},
               {"all_srcnewer.txt", "aaaaa", kT0 + 5, true},
               {"all_dstnewer.txt", "aaaaa", kT0 - 5, true},
               {"OnlyHere.txt", "x"},
               {"Case.TXT", "aaaa"}});
    make(dst, {{"same.txt", "bbbb"},   // same size and time: the content is not compared
               {"srcnewer.txt", "aaaa"},
               {"dstnewer.txt", "aaaa"},
               {"size.txt", "aaaa"},
               {"size_srcnewer.txt", "aaaa"},
               {"size_dstnewer.txt", "aaaa"},
               {"attr.txt", "aaaa"},
               {"attr_srcnewer.txt", "aaaa"},
               {"attr_dstnewer.txt", "aaaa"},
               {"attr_size.txt", "aaaa"},
               {"all_srcnewer.txt", "aaaa"},
               {"all_dstnewer.txt", "aaaa"},
               {"onlythere.txt", "y"},
               {"case.txt", "aaaa"},
               {"sub/", ""}});
    const QMap<QString, qint32> expected = {
        {"same.txt", 0},          {"srcnewer.txt", 1},       {"dstnewer.txt", 2},      {"size.txt", 4},
        {"size_srcnewer.txt", 5}, {"size_dstnewer.txt", 6},  {"attr.txt", 8},          {"attr_srcnewer.txt", 9},
        {"attr_dstnewer.txt", 10}, {"attr_size.txt", 12},    {"all_srcnewer.txt", 13}, {"all_dstnewer.txt", 14},
        {"OnlyHere.txt", -2},     {"onlythere.txt", -1},     {"Case.TXT", -2},  {"case.txt", -1},
    };
    const CompareTable table = CompareFiles(win(src), win(dst));
    QMap<QString, qint32> got;
    for (const CompareRow& r : table)
        got.insert(r.name, r.code);
    EXPECT_EQ(got, expected);
    ASSERT_EQ(table.size(), size_t(expected.size()));
    // The first folder's files in its listing order, then the second's own.
    QStringList names;
    for (const CompareRow& r : table)
        names << r.name;
    QStringList order = listingOrder(src);
    QStringList own = listingOrder(dst);
    own.removeIf([&](const QString& name) { return !QStringList{"onlythere.txt", "case.txt"}.contains(name); });
    order << own;
    EXPECT_EQ(names, order);
}

TEST_F(Sync, AFolderThatCannotBeOpenedGoesToTheCaller) {
    make(src, {{"a.txt", "a"}});
    int number = 0;
    try {
        CompareFiles(win(src), win(root + "/missing"));
    } catch (const vb::VbError& e) {
        number = e.number();
    }
    EXPECT_EQ(number, 76);
}

TEST_F(Sync, OneWayAndTwoWay) {
    const std::vector<Entry> source = {{"new.txt", "new"},
                                      {"srcnewer.txt", "source copy", kT0 + 1},
                                      {"dstnewer.txt", "old", kT0},
                                      {"size.txt", "longer text"},
                                      {"attr.txt", "same", kT0, true},
                                      {"equal.txt", "equal"},
                                      {"Mixed.Case", "source copy", kT0 + 10},
                                      {"sub/inner.txt", "inner"}};
    const std::vector<Entry> destination = {{"srcnewer.txt", "old copy", kT0},
                                           {"dstnewer.txt", "newer copy", kT0 + 1},
                                           {"size.txt", "short"},
                                           {"attr.txt", "same"},
                                           {"equal.txt", "equal"},
                                           {"mixed.case", "old copy", kT0},
                                           {"deleted_from_source.txt", "keep me"},
                                           {"onlythere/x.txt", "x"}};
    const QMap<QString, QByteArray> sourceBefore = {
        {"new.txt", "new"},           {"srcnewer.txt", "source copy"}, {"dstnewer.txt", "old"},
        {"size.txt", "longer text"},  {"attr.txt", "same"},            {"equal.txt", "equal"},
        {"Mixed.Case", "source copy"}, {"sub/inner.txt", "inner"}};
    QMap<QString, QByteArray> destAfter = {
        {"new.txt", "new"},           {"srcnewer.txt", "source copy"}, {"dstnewer.txt", "newer copy"},
        {"size.txt", "longer text"},  {"attr.txt", "same"},            {"equal.txt", "equal"},
        {"Mixed.Case", "source copy"}, {"mixed.case", "old copy"},  // two names, two files
        {"deleted_from_source.txt", "keep me"}, {"onlythere/x.txt", "x"}};

    struct Case {
        bool bothWays;
        bool tree;
    } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("two-way %1, tree %2").arg(c.bothWays).arg(c.tree).toStdString());
        src = root + QString("/src%1").arg(n);
        dst = root + QString("/dst%1").arg(n++);
        make(src, source);
        make(dst, destination);
        if (c.tree)
            SynchronizeDir(win(src), win(dst), c.bothWays);
        else
            SynchronizeFiles(win(src), win(dst), c.bothWays);

        QMap<QString, QByteArray> d = destAfter;
        if (c.tree)
            d.insert("sub/inner.txt", "inner");
        QMap<QString, QByteArray> s = sourceBefore;
        if (c.bothWays) {
            s["dstnewer.txt"] = "newer copy";
            s.insert("deleted_from_source.txt", "keep me");
            s.insert("mixed.case", "old copy");
            if (c.tree)
                s.insert("onlythere/x.txt", "x");
        }
        EXPECT_EQ(tree(dst), d);
        EXPECT_EQ(tree(src), s);
        // A copy keeps the source's time, so the next run finds nothing to do.
        w->RtbNews1->setText(QString());
        if (c.tree)
            SynchronizeDir(win(src), win(dst), c.bothWays);
        else
            SynchronizeFiles(win(src), win(dst), c.bothWays);
        for (const QString& line : written())
            EXPECT_FALSE(line.contains(".txt") || line.contains(".case", Qt::CaseInsensitive)) << line.toStdString();
        EXPECT_EQ(tree(dst), d);
        EXPECT_EQ(tree(src), s);
    }
    EXPECT_TRUE(logLines().isEmpty()) << "the module writes no error line";
}

TEST_F(Sync, LogLinesOfATree) {
    make(src, {{"x.txt", "x"}, {"sub/y.txt", "y"}, {"both/z.txt", "z"}});
    make(dst, {{"both/z.txt", "z"}, {"back/w.txt", "w"}});
    const QString s = win(src), d = win(dst);
    // The source's sub-folders in their listing order.
    QStringList subs;
    QDirIterator it(src, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        subs << it.fileName();
    }
    SynchronizeDir(s, d, true);

    QStringList expected = {L(s) + "  -->>  " + d, L(s) + "  -->>  " + d,
                            L(s + "\\x.txt") + "  -->>  " + d + "\\x.txt"};
    for (const QString& sub : subs) {
        expected << "Synchronyze Dir: " + sub << L(s + "\\" + sub) + "  -->>  " + d + "\\" + sub;
        if (sub == "both")   // the destination has it: its own pair lines, nothing to copy
            expected << L(s + "\\both") + "  -->>  " + d + "\\both" << L(s + "\\both") + "  -->>  " + d + "\\both";
        // "sub" is missing there: one folder copy, no line of its own
    }
    expected << L(d + "\\back") + "  -->>  " + s + "\\back";
    EXPECT_EQ(written(), expected);
    EXPECT_EQ(tree(dst), (QMap<QString, QByteArray>{{"x.txt", "x"}, {"sub/y.txt", "y"}, {"both/z.txt", "z"},
                                                     {"back/w.txt", "w"}}));
    EXPECT_EQ(tree(src)["back/w.txt"], "w");
}

// A name is its exact bytes: names that differ only in case are two files
// (and two folders), each copied to the other side under its own name.
TEST_F(Sync, NamesThatDifferOnlyInCaseAreTwoNames) {
    make(src, {{"Docs/Report.TXT", "new", kT0 + 5}});
    make(dst, {{"DOCS/report.txt", "old", kT0}});
    SynchronizeDir(win(src), win(dst), true);
    const QMap<QString, QByteArray> both{{"DOCS/report.txt", "old"}, {"Docs/Report.TXT", "new"}};
    EXPECT_EQ(tree(dst), both);
    EXPECT_EQ(tree(src), both);
}

TEST_F(Sync, TwoEmptyFoldersGiveOnlyThePairLines) {
    make(src, {});
    make(dst, {});
    SynchronizeDir(win(src), win(dst), true);
    EXPECT_EQ(written(), (QStringList{L(win(src)) + "  -->>  " + win(dst), L(win(src)) + "  -->>  " + win(dst)}));
    w->RtbNews1->setText(QString());
    SynchronizeFiles(win(src), win(dst), false);
    EXPECT_EQ(written(), (QStringList{L(win(src)) + "  -->>  " + win(dst)}));
}

TEST_F(Sync, AReadOnlyDestinationFileIsNamedInTheErrorLogAndTheOtherFilesAreCopied) {
    for (const bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "the tree" : "one level");
        QDir(src).removeRecursively();
        QDir(dst).removeRecursively();
        QFile::remove(testenv::commonDir() + "/error.log");
        std::vector<Entry> source, destination;
        for (int i = 0; i < 6; ++i) {
            source.push_back({QString("f%1.txt").arg(i), "new", kT0 + 10});
            destination.push_back({QString("f%1.txt").arg(i), "old", kT0, i == 3});
        }
        source.push_back({"sub/s.txt", "s"});
        make(src, source);
        make(dst, destination);
        if (whole)
            SynchronizeDir(win(src), win(dst), false);
        else
            SynchronizeFiles(win(src), win(dst), false);
        const QMap<QString, QByteArray> got = tree(dst);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(got[QString("f%1.txt").arg(i)], i == 3 ? "old" : "new") << i;
        EXPECT_EQ(got.value("sub/s.txt"), whole ? QByteArray("s") : QByteArray());
        const QStringList lines = logLines();
        ASSERT_EQ(lines.size(), 1) << lines.join("\n").toStdString();
        EXPECT_TRUE(lines[0].contains("  70  ")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].endsWith(win(src) + "\\f3.txt")) << lines[0].toStdString();
        QFile::setPermissions(dst + "/f3.txt", QFile::ReadOwner | QFile::WriteOwner);
    }
}

TEST_F(Sync, TheLogKeepsTheNewest2000Characters) {
    std::vector<Entry> source;
    for (int i = 0; i < 60; ++i)
        source.push_back({QString("file%1.txt").arg(i, 3, 10, QChar('0')), "data"});
    make(src, source);
    make(dst, {});
    SynchronizeFiles(win(src), win(dst), false);
    const QString text = w->RtbNews1->Text();
    EXPECT_EQ(text.size(), 2000);
    const QString last = listingOrder(src).last();
    EXPECT_TRUE(text.startsWith(L(win(src) + "\\" + last) + "  -->>  " + win(dst) + "\\" + last + "\r\n"));
}

TEST_F(Sync, StopEndsTheWalkAfterTheCopyInHand) {
    std::vector<Entry> source;
    for (int i = 0; i < 3000; ++i)
        source.push_back({QString("f%1.bin").arg(i), QByteArray(512, char('a' + i % 26))});
    source.push_back({"zzsub/late.txt", "late"});
    make(src, source);
    make(dst, {});
    // Stop is pressed once the first file has arrived.
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, [&] {
        if (!QDir(dst).entryList(QDir::Files).isEmpty())
            CancelBackUp = true;
    });
    stop.start(0);
    SynchronizeDir(win(src), win(dst), true);
    stop.stop();
    EXPECT_TRUE(CancelBackUp);
    const QMap<QString, QByteArray> copied = tree(dst);
    EXPECT_GE(copied.size(), 1);
    EXPECT_LT(copied.size(), 3000);
    for (auto it = copied.begin(); it != copied.end(); ++it)
        EXPECT_EQ(it.value().size(), 512) << "every copy is complete: " << it.key().toStdString();
    EXPECT_FALSE(QFile::exists(dst + "/zzsub"));
    EXPECT_EQ(entries(dst).filter(QRegularExpression("^\\.")).size(), 0) << "no temporary file is left";
}

TEST_F(Sync, TheElapsedTimeIsShown) {
    make(src, {{"a.txt", "a"}});
    make(dst, {});
    BackUpStartTime = vb::CLng(vb::Timer()) - 7;
    SynchronizeDir(win(src), win(dst), false);
    EXPECT_TRUE(w->txtBackUpTime->Text() == "7" || w->txtBackUpTime->Text() == "8") << w->txtBackUpTime->Text().toStdString();
}

// Entries that cannot be copied (here FIFOs) are named from each side that a
// copy would be made from: the source always, the destination in two-way
// mode. The two folders of a pair are read at the same time, so this also
// checks that what the second folder's reading found reaches the log.
TEST_F(Sync, EntriesThatCannotBeCopiedAreNamedFromEachSideCopiedFrom) {
    for (const bool bothWays : {false, true}) {
        SCOPED_TRACE(bothWays ? "two-way" : "one-way");
        QFile::remove(logHost());
        QDir(root).removeRecursively();
        make(src, {{"a.txt", "a"}});
        make(dst, {{"b.txt", "b"}});
        ASSERT_EQ(::mkfifo(QFile::encodeName(src + "/here.fifo").constData(), 0644), 0);
        ASSERT_EQ(::mkfifo(QFile::encodeName(dst + "/there.fifo").constData(), 0644), 0);

        SynchronizeFiles(win(src), win(dst), bothWays);

        EXPECT_EQ(testenv::readFile(dst + "/a.txt"), "a");
        EXPECT_EQ(QFileInfo::exists(src + "/b.txt"), bothWays);
        EXPECT_TRUE(logMentions(win(src) + "\\here.fifo"));
        EXPECT_EQ(logMentions(win(dst) + "\\there.fifo"), bothWays);
    }
}
