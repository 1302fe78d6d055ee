// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ZipTestSupport.h"
#include "platform/KnownLinks.h"
#include "platform/ZipArchiveComponent.h"
#include "platform/ZipArchiveState.h"

using platform::ZipArchiveComponent;
using namespace ziptest;

namespace {

void setMtime(const QString& host, qint64 secs) {
    struct timespec t[2] = {{time_t(secs), 0}, {time_t(secs), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(host).constData(), t, 0), 0);
}

QJsonObject entryNamed(const QJsonObject& read, const QString& name) {
    for (const auto& v : read["entries"].toArray())
        if (v.toObject()["name"].toString() == name)
            return v.toObject();
    ADD_FAILURE() << "no entry " << name.toStdString();
    return {};
}

QStringList names(const QJsonObject& read) {
    QStringList n;
    for (const auto& v : read["entries"].toArray())
        n << v.toObject()["name"].toString();
    return n;
}

}  // namespace

TEST(ZipArchive, CreateWritesAnEmptyArchiveAtOnceAndTheCommentWithIt) {
    const QString dir = testenv::tempDir("zip-create");
    const QString zip = dir + "/Office_BackUp_d20040307.zip";
    testenv::writeFile(zip, "old content that must go");
    {
        ZipArchiveComponent c;
        c.Close();  // nothing open: harmless
        c.Create(win(zip));
        EXPECT_EQ(QFileInfo(zip).size(), 22);  // the bare end record, on disk already
        EXPECT_EQ(c.Files().Count(), 0);
        const QString comment = "Archiv created with n.r.v Vaultora 3.6";
        c.SetComment(comment);
        EXPECT_EQ(QFileInfo(zip).size(), 22 + comment.size());
        const QJsonObject read = pythonRead(zip);  // read while still open
        EXPECT_EQ(read["comment"].toString(), comment);
        EXPECT_TRUE(read["entries"].toArray().isEmpty());
        c.Close();
        c.Close();
    }
    const ProcResult t = unzipTest(zip);
    EXPECT_EQ(t.rc, 1);
    EXPECT_TRUE(t.out.contains("zipfile is empty") || t.err.contains("zipfile is empty")) << t.out.toStdString();
    EXPECT_TRUE(pythonRead(zip)["testzip"].isNull());
    ZipArchiveComponent again;
    again.Open(win(zip));
    EXPECT_EQ(again.Comment(), "Archiv created with n.r.v Vaultora 3.6");
    EXPECT_EQ(again.Files().Count(), 0);
}

TEST(ZipArchive, CreateThenOpenAndReleaseWithoutClose) {
    // The error report creates its archive and opens it again before adding;
    // a component released while open still writes what it holds.
    const QString dir = testenv::tempDir("zip-release");
    testenv::writeFile(dir + "/error.log", "log line\r\n");
    testenv::writeFile(dir + "/error.zip", "an older report");
    {
        ZipArchiveComponent c;
        c.Create(win(dir + "/error.zip"));
        c.Open(win(dir + "/error.zip"));
        c.Files().AddFileByName(win(dir + "/error.log"), 8, true, true);
    }
    EXPECT_EQ(unzipTest(dir + "/error.zip").rc, 0);
    const QJsonObject read = pythonRead(dir + "/error.zip");
    ASSERT_EQ(read["entries"].toArray().size(), 1);
    EXPECT_EQ(read["entries"][0].toObject()["sha"].toString(), sha256("log line\r\n"));
}

TEST(ZipArchive, StoredFilesReadBackThroughBothReaders) {
    const QString src = testenv::tempDir("zip-src");
    const QString zip = testenv::tempDir("zip-out") + "/a.zip";
    struct Case {
        QString rel;
        QByteArray data;
        int level;
    };
    const std::vector<Case> cases = {
        {"Data/report.doc", textBytes(24576), 6},
        {"Data/random.bin", randomBytes(70000, 1), 9},      // grows when deflated
        {"Data/empty.txt", {}, 6},                          // 0 and 0 bytes
        {"Data/stored.txt", textBytes(5000), 0},            // level 0: stored as it is
        {QString::fromUtf8("Grüße/日本語 ファイル.txt"), textBytes(300), 6},
        {"Data/.hidden", "dot file", 1},
        {"Data/deep/er/and/deeper/big.log", textBytes(3 * 1024 * 1024 + 17), 6},  // several read blocks
    };
    const qint64 mtime = QDateTime(QDate(2004, 3, 7), QTime(10, 11, 13)).toSecsSinceEpoch();
    ZipArchiveComponent c;
    c.Create(win(zip));
    for (const Case& k : cases) {
        const QString host = src + "/" + k.rel;
        testenv::writeFile(host, k.data);
        setMtime(host, mtime);
        const qint32 before = c.Files().Count() - 1;
        c.Files().AddFileByName(win(host), k.level, true, true);
        const qint32 after = c.Files().Count() - 1;
        ASSERT_EQ(after, before + 1) << k.rel.toStdString();
        const auto e = c.Files().Item(after);
        const QString stored = QString(host).mid(1);  // below the root of Z:
        EXPECT_EQ(e.Name(), QString(stored).replace('/', '\\'));
        EXPECT_EQ(e.UncompressedSize(), k.data.size());
        EXPECT_EQ(e.ModificationDate(), QDateTime::fromSecsSinceEpoch(mtime));
        if (k.level == 0 || k.data.isEmpty()) {
            EXPECT_EQ(e.CompressedSize(), k.data.size()) << k.rel.toStdString();
        }
    }
    EXPECT_GT(c.Files().Item(1).CompressedSize(), c.Files().Item(1).UncompressedSize());
    EXPECT_LT(c.Files().Item(0).CompressedSize(), 24576 / 4);
    // The sizes reported before Close are those in the finished archive.
    std::vector<qint64> compressed;
    for (int i = 0; i < c.Files().Count(); ++i)
        compressed.push_back(c.Files().Item(i).CompressedSize());
    c.Close();

    EXPECT_EQ(unzipTest(zip).rc, 0) << unzipTest(zip).out.toStdString();
    const QJsonObject read = pythonRead(zip);
    EXPECT_TRUE(read["testzip"].isNull());
    const QJsonArray entries = read["entries"].toArray();
    ASSERT_EQ(entries.size(), qsizetype(cases.size()));
    for (size_t i = 0; i < cases.size(); ++i) {
        const QJsonObject e = entries[qsizetype(i)].toObject();
        EXPECT_EQ(e["name"].toString(), QString(src + "/" + cases[i].rel).mid(1));
        EXPECT_EQ(e["sha"].toString(), sha256(cases[i].data));
        EXPECT_EQ(e["csize"].toInteger(), compressed[i]);
        EXPECT_TRUE(e["flags"].toInt() & 0x800);  // UTF-8 names
        EXPECT_EQ(e["method"].toInt(), cases[i].level == 0 || cases[i].data.isEmpty() ? 0 : 8);
        EXPECT_EQ(e["mtime"].toInteger(), mtime);
        EXPECT_EQ(e["date"].toArray(), (QJsonArray{2004, 3, 7, 10, 11, 12}));  // DOS time: 2 s steps
        EXPECT_EQ(e["mode"].toInt() & 0777, 0644 & 0777) << "permissions kept";
    }
}

TEST(ZipArchive, StorePathOffKeepsTheFileNameOnly) {
    const QString src = testenv::tempDir("zip-name");
    testenv::writeFile(src + "/sub/x.txt", "x");
    ZipArchiveComponent c;
    c.Create(win(testenv::tempDir("zip-name-out") + "/n.zip"));
    c.Files().AddFileByName(win(src + "/sub/x.txt"), 6, false, true);
    EXPECT_EQ(c.Files().Item(0).Name(), "x.txt");
}

TEST(ZipArchive, EntryNamesAreThePathBelowTheRoot) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Data\\report.doc", "Data/report.doc"},
        {"c:/Data/x.txt", "Data/x.txt"},
        {"\\\\server\\share\\dir\\f.txt", "dir/f.txt"},
        {"C:\\app\\Vaultora\\..\\Common\\error.log", "app/Common/error.log"},
        {"C:\\.\\a\\\\b.txt", "a/b.txt"},
        {"\\\\?\\C:\\long\\path.txt", "long/path.txt"},
        {"C:\\", ""},
        {"C:\\a\\.hidden", "a/.hidden"},
        {"C:\\a\\..b\\...", "a/..b/..."},
        {"C:\\a\\b\\", "a/b"},
        {"C:\\a\\b\\..", "a"},
        {"C:\\a\\b/c", "a/b/c"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(platform::ZipArchiveState::entryNameFor(k.path, true), QString::fromUtf8(k.name)) << k.path;
    EXPECT_EQ(platform::ZipArchiveState::entryNameFor("C:\\a\\b\\c.txt", false), "c.txt");
    EXPECT_EQ(platform::ZipArchiveState::entryNameFor("C:\\a\\b\\..\\c.txt", false), "c.txt");
}

TEST(ZipArchive, OpenAppendsAfterTheOldEntriesAndKeepsTheComment) {
    const QString src = testenv::tempDir("zip-append");
    const QString zip = testenv::tempDir("zip-append-out") + "/v.zip";
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        testenv::writeFile(src + "/" + n, textBytes(1000) + n);
    {
        ZipArchiveComponent c;
        c.Create(win(zip));
        c.SetComment("Archiv created with n.r.v Vaultora 3.6");
        c.Files().AddFileByName(win(src + "/a.txt"), 6, true, true);
        c.Files().AddFileByName(win(src + "/b.txt"), 6, true, true);
        c.Close();
    }
    const qint64 sizeBefore = QFileInfo(zip).size();
    {
        ZipArchiveComponent c;
        c.Open(win(zip));
        ASSERT_EQ(c.Files().Count(), 2);
        c.Files().AddFileByName(win(src + "/c.txt"), 6, true, true);
        EXPECT_EQ(c.Files().Count(), 3);
        c.Close();
    }
    EXPECT_GT(QFileInfo(zip).size(), sizeBefore);
    EXPECT_EQ(unzipTest(zip).rc, 0);
    const QJsonObject read = pythonRead(zip);
    EXPECT_TRUE(read["testzip"].isNull());
    EXPECT_EQ(read["comment"].toString(), "Archiv created with n.r.v Vaultora 3.6");
    const QString base = src.mid(1);
    EXPECT_EQ(names(read), (QStringList{base + "/a.txt", base + "/b.txt", base + "/c.txt"}));
    EXPECT_EQ(entryNamed(read, base + "/a.txt")["sha"].toString(), sha256(textBytes(1000) + "a.txt"));
}

TEST(ZipArchive, OverwriteReplacesTheEntryAndCountStillGrows) {
    const QString src = testenv::tempDir("zip-replace");
    const QString out = testenv::tempDir("zip-replace-out");
    const QString a = src + "/a.txt";
    const QString b = src + "/b.txt";
    const QString an = a.mid(1);
    const QString bn = b.mid(1);
    struct Case {
        const char* what;
        bool reopen;      // the replaced entry is an old one (Open) or one of this session
        bool overwrite;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {"old entry replaced", true, true, {bn, an}},
        {"entry of this session replaced", false, true, {bn, an}},
        {"without overwrite both are kept", true, false, {an, bn, an}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const QString zip = out + "/" + QString(k.what).replace(' ', '_') + ".zip";
        testenv::writeFile(a, "first version of a");
        testenv::writeFile(b, "b");
        ZipArchiveComponent c;
        c.Create(win(zip));
        c.Files().AddFileByName(win(a), 6, true, true);
        c.Files().AddFileByName(win(b), 6, true, true);
        if (k.reopen) {
            c.Close();
            c.Open(win(zip));
        }
        testenv::writeFile(a, "second, longer version of a.txt");
        const qint32 before = c.Files().Count() - 1;
        c.Files().AddFileByName(win(a), 6, true, k.overwrite);
        const qint32 after = c.Files().Count() - 1;
        EXPECT_EQ(after, before + 1);  // a replacement is a stored file, not a locked one
        EXPECT_EQ(c.Files().Item(after).Name(), QString(an).replace('/', '\\'));
        EXPECT_EQ(c.Files().Item(after).UncompressedSize(), 31);
        c.Close();
        EXPECT_EQ(unzipTest(zip).rc, 0);
        const QJsonObject read = pythonRead(zip);
        EXPECT_TRUE(read["testzip"].isNull());
        EXPECT_EQ(names(read), k.expected);
        const QJsonArray e = read["entries"].toArray();
        EXPECT_EQ(e.last().toObject()["sha"].toString(), sha256("second, longer version of a.txt"));
        ZipArchiveComponent check;
        check.Open(win(zip));
        EXPECT_EQ(check.Files().Count(), k.expected.size());
    }
}

TEST(ZipArchive, ExtractWritesBelowTheFolderAndReplacesAnExistingFile) {
    const QString src = testenv::tempDir("zip-x-src");
    const QString zip = testenv::tempDir("zip-x") + "/x.zip";
    const QString file = src + "/Docs/letter.txt";
    testenv::writeFile(file, textBytes(200000));
    ::chmod(QFile::encodeName(file).constData(), 0750);
    const qint64 mtime = QDateTime(QDate(2021, 6, 1), QTime(8, 0, 1)).toSecsSinceEpoch();
    setMtime(file, mtime);
    {
        ZipArchiveComponent c;
        c.Create(win(zip));
        c.Files().AddFileByName(win(file), 6, true, true);
        c.Close();
    }
    const QString target = testenv::tempDir("zip-x-target");
    const QString restored = target + file;  // the stored path below the folder
    testenv::writeFile(restored, "an older file that is replaced");
    ZipArchiveComponent c;
    c.Open(win(zip));
    for (const QString& folder : {win(target) + "\\", win(target)}) {
        c.Files().Item("0").Extract(folder);
        EXPECT_EQ(testenv::readFile(restored), textBytes(200000));
        EXPECT_EQ(QFileInfo(restored).lastModified().toSecsSinceEpoch(), mtime);
        EXPECT_EQ(QFileInfo(restored).permissions() & QFile::ExeOwner, QFile::ExeOwner);
    }
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(QFileInfo(restored).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"letter.txt"});
}

TEST(ZipArchive, ExtractRefusesNamesThatLeaveTheFolder) {
    const QString dir = testenv::tempDir("zip-evil");
    const QString zip = dir + "/evil.zip";
    const ProcResult made = pythonZip(zip,
                                      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                      "    for n in sys.argv[2:]:\n"
                                      "        i = zipfile.ZipInfo('x'); i.filename = n\n"
                                      "        z.writestr(i, b'evil')\n",
                                      {"../evil1.txt", "/tmp/evil2.txt", "a/../../evil3.txt", "C:/evil4.txt",
                                       "..\\evil5.txt", "ok/../evil6.txt", "fine/ok.txt"});
    ASSERT_EQ(made.rc, 0) << made.err.toStdString();
    const QString target = dir + "/target/inner";
    QDir().mkpath(target);
    ZipArchiveComponent c;
    c.Open(win(zip));
    ASSERT_EQ(c.Files().Count(), 7);
    for (int i : {0, 1, 2, 3, 5}) {
        SCOPED_TRACE(c.Files().Item(i).Name().toStdString());
        expectVbError(vb::errBadFileNameOrNumber, [&] { c.Files().Item(i).Extract(win(target)); });
    }
    // Made on Unix, "..\\evil5.txt" is one name, and it stays in the folder.
    c.Files().Item(4).Extract(win(target));
    EXPECT_EQ(testenv::readFile(target + "/..\\evil5.txt"), "evil");
    c.Files().Item(6).Extract(win(target));
    EXPECT_EQ(testenv::readFile(target + "/fine/ok.txt"), "evil");
    const QStringList written = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    EXPECT_EQ(written, (QStringList{"evil.zip", "target"}));
    EXPECT_FALSE(QFile::exists("/tmp/evil2.txt"));
    EXPECT_EQ(QDir(dir + "/target").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"inner"});
}

// The user's own links are followed wherever they lead; a link that was not
// there before the restore, one that now leads elsewhere, and a link stored
// as an entry are refused, and nothing is written through them.
TEST(ZipArchive, ExtractFollowsTheUsersLinksOnly) {
    const QString dir = testenv::tempDir("zip-links");
    const QString zip = dir + "/links.zip";
    const ProcResult made = pythonZip(zip,
                                      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                      "    z.writestr('Docs/a.txt', 'a')\n"
                                      "    z.writestr('Docs/sub/b.txt', 'b')\n"
                                      "    i = zipfile.ZipInfo('Docs/planted'); i.create_system = 3\n"
                                      "    i.external_attr = 0o120777 << 16\n"
                                      "    z.writestr(i, sys.argv[2])\n"
                                      "    z.writestr('New/c.txt', 'c')\n",
                                      {dir + "/elsewhere"});
    ASSERT_EQ(made.rc, 0) << made.err.toStdString();
    const QString target = dir + "/target", disk = dir + "/disk", elsewhere = dir + "/elsewhere";
    for (const QString& d : {target, disk, elsewhere})
        QDir().mkpath(d);
    const auto link = [](const QString& to, const QString& at) {
        QFile::remove(at);
        ASSERT_EQ(::symlink(QFile::encodeName(to).constData(), QFile::encodeName(at).constData()), 0);
    };
    link(disk, target + "/Docs");   // the user keeps the documents on another disk
    ZipArchiveComponent c;
    c.Open(win(zip));

    // Followed, the missing folder made behind it.
    c.Files().Item(0).Extract(win(target));
    c.Files().Item(1).Extract(win(target));
    EXPECT_EQ(testenv::readFile(disk + "/a.txt"), "a");
    EXPECT_EQ(testenv::readFile(disk + "/sub/b.txt"), "b");
    // A link entry is not made.
    expectVbError(vb::errBadFileNameOrNumber, [&] { c.Files().Item(2).Extract(win(target)); });
    EXPECT_FALSE(QFileInfo(disk + "/planted").exists() || QFileInfo(disk + "/planted").isSymLink());

    // Links as they were when the restore began: the user's link is followed
    // still; one made since, and the user's link made anew to lead
    // elsewhere, are refused.
    platform::KnownLinks known;
    known.note(target, target + "/Docs/sub");
    known.note(target, target + "/New");
    QFile::remove(disk + "/sub/b.txt");
    c.Files().Item(1).Extract(win(target), &known);
    EXPECT_EQ(testenv::readFile(disk + "/sub/b.txt"), "b");
    link(elsewhere, target + "/New");
    expectVbError(vb::errBadFileNameOrNumber, [&] { c.Files().Item(3).Extract(win(target), &known); });
    link(elsewhere, target + "/Docs");
    expectVbError(vb::errBadFileNameOrNumber, [&] { c.Files().Item(0).Extract(win(target), &known); });
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
}

TEST(ZipArchive, ExtractOfADamagedEntryKeepsTheOldFile) {
    const QString dir = testenv::tempDir("zip-crc");
    const QString zip = dir + "/d.zip";
    testenv::writeFile(dir + "/src/f.txt", textBytes(50000));
    {
        ZipArchiveComponent c;
        c.Create(win(zip));
        c.Files().AddFileByName(win(dir + "/src/f.txt"), 0, false, true);
        c.Close();
    }
    QByteArray bytes = testenv::readFile(zip);
    const qsizetype at = bytes.indexOf("Line 100 ");
    ASSERT_GT(at, 0);
    bytes[at] = 'X';  // stored data: the checksum no longer fits
    testenv::writeFile(zip, bytes);
    testenv::writeFile(dir + "/out/f.txt", "keep me");
    ZipArchiveComponent c;
    c.Open(win(zip));
    expectVbError(321, [&] { c.Files().Item(0).Extract(win(dir + "/out")); });
    EXPECT_EQ(testenv::readFile(dir + "/out/f.txt"), "keep me");
    EXPECT_EQ(QDir(dir + "/out").entryList(QDir::Files | QDir::Hidden), QStringList{"f.txt"});
}

TEST(ZipArchive, ExtractOfAnEntryAddedInThisSession) {
    const QString dir = testenv::tempDir("zip-session");
    testenv::writeFile(dir + "/a.txt", "first");
    testenv::writeFile(dir + "/b.txt", "second");
    ZipArchiveComponent c;
    c.Create(win(dir + "/s.zip"));
    c.Files().AddFileByName(win(dir + "/a.txt"), 6, false, true);
    c.Files().Item(0).Extract(win(dir + "/out"));
    c.Files().AddFileByName(win(dir + "/b.txt"), 6, false, true);
    c.Files().Item(1).Extract(win(dir + "/out"));
    c.Close();
    EXPECT_EQ(testenv::readFile(dir + "/out/a.txt"), "first");
    EXPECT_EQ(testenv::readFile(dir + "/out/b.txt"), "second");
    EXPECT_EQ(pythonRead(dir + "/s.zip")["entries"].toArray().size(), 2);
}
