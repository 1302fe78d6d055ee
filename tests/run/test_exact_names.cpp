// SPDX-License-Identifier: GPL-3.0-or-later
// Every file is itself: names that differ only in case, names composed and
// decomposed, and names that are not UTF-8 stay apart in every mode, and
// what a run leaves is byte- and name-exact.
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ZipRunFixture.h"
#include "common/RunOutcome.h"
#include "platform/ArchiveBits.h"
#include "platform/HostNames.h"
#include "run/Vaultora_FileSync.h"

using namespace ziprun;

namespace {

// A tree by the exact bytes of its names: relative path -> content; a
// folder is listed with a trailing "/".
using RawTree = QMap<QByteArray, QByteArray>;

void ReadRaw(const QByteArray& root, const QByteArray& below, RawTree* out) {
    DIR* d = ::opendir((below.isEmpty() ? root : root + '/' + below).constData());
    if (!d)
        return;
    while (dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray rel = below.isEmpty() ? name : below + '/' + name;
        struct stat st {};
        if (::lstat((root + '/' + rel).constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            out->insert(rel + '/', {});
            ReadRaw(root, rel, out);
        } else {
            const int fd = ::open((root + '/' + rel).constData(), O_RDONLY);
            QByteArray data;
            char buf[65536];
            for (ssize_t n; fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0;)
                data.append(buf, n);
            if (fd >= 0)
                ::close(fd);
            out->insert(rel, data);
        }
    }
    ::closedir(d);
}

RawTree RawMap(const QString& hostRoot) {
    RawTree t;
    ReadRaw(platform::HostBytes(hostRoot), {}, &t);
    return t;
}

// A tree as text, one "name = content" line each (bytes that are not
// printable as \xNN), for readable comparisons.
std::string Show(const RawTree& t) {
    std::string out;
    for (auto it = t.begin(); it != t.end(); ++it) {
        for (const QByteArray* b : {&it.key(), &it.value()}) {
            for (const char c : *b) {
                if (c >= 0x20 && c < 0x7F) {
                    out += c;
                } else {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(uchar(c)));
                    out += hex;
                }
            }
            out += b == &it.key() ? " = " : "\n";
        }
    }
    return out;
}

std::string Raw(const QString& hostRoot) { return Show(RawMap(hostRoot)); }

RawTree FilesOf(const RawTree& t) {
    RawTree files;
    for (auto it = t.begin(); it != t.end(); ++it)
        if (!it.key().endsWith('/'))
            files.insert(it.key(), it.value());
    return files;
}

// Writes a file by the exact bytes of its path below `root`.
void WriteRaw(const QString& root, const QByteArray& rel, const QByteArray& data, qint64 mtime = 1700000000) {
    const QByteArray path = platform::HostBytes(root) + '/' + rel;
    for (qsizetype at = path.indexOf('/', 1); at > 0; at = path.indexOf('/', at + 1))
        ::mkdir(path.left(at).constData(), 0755);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    ASSERT_EQ(::write(fd, data.constData(), size_t(data.size())), data.size());
    ::close(fd);
    const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ::utimensat(AT_FDCWD, path.constData(), times, 0);
}

// The fixture: twins of a file, twins of a folder (each its own source
// entry), a name composed and decomposed, and a name that is not UTF-8.
const QByteArray kNfc = "caf\xC3\xA9.txt";
const QByteArray kNfd = "cafe\xCC\x81.txt";
const QByteArray kRaw = "b\xFF\xFE.txt";
const std::vector<std::pair<QByteArray, QByteArray>> kFixture = {
    {"mix/Notes.txt", "Notes, upper case"},
    {"mix/notes.txt", "notes, lower case"},
    {"mix/" + kNfc, "composed"},
    {"mix/" + kNfd, "decomposed"},
    {"mix/" + kRaw, "not UTF-8"},
    {"mix/Photos/a.jpg", "Photos/a.jpg"},
    {"mix/photos/a.jpg", "photos/a.jpg"},
    {"mix/photos/b.jpg", "photos/b.jpg"},
};

class ExactNames : public ZipRunTest {
protected:
    void SetUp() override {
        ZipRunTest::SetUp();
        for (const auto& [rel, data] : kFixture)
            WriteRaw(src, rel, data);
        for (const char* entry : {"\\mix\\*.*", "\\mix\\Photos\\*.*", "\\mix\\photos\\*.*"})
            AddSource(Win(src) + QString::fromLatin1(entry));
    }
    // Where copy mode puts the source folder's files, the structure kept.
    QString CopyOfSource() const { return dest + QLatin1Char('/') + Win(src).mid(3).replace('\\', '/'); }

    void Change(const QByteArray& rel, const QByteArray& data) { WriteRaw(src, rel, data, 1700000500); }
};

// What the last ZIP run stored, by name below the source folder.
QMap<QByteArray, QByteArray> Stored(const QString& archive, const QString& src) {
    QMap<QByteArray, QByteArray> out;
    const QByteArray below = Win(src).mid(3).replace('\\', '/').toUtf8() + '/';
    static const char* script = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        raw = i.filename.encode("utf-8" if i.flag_bits & 0x800 else "cp437", "surrogateescape")
        sys.stdout.buffer.write(raw.hex().encode() + b" " + z.read(i).hex().encode() + b"\n")
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", QString::fromLatin1(script), archive});
    p.waitForFinished(60000);
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2)
            continue;
        QByteArray name = QByteArray::fromHex(parts[0]);
        if (name.startsWith(below))
            name = name.mid(below.size());
        out.insert(name, QByteArray::fromHex(parts[1]));
    }
    return out;
}

}  // namespace

// Every mode keeps each name its own file, in its first run and in a later
// "new and changed files only" run after one twin changed: that twin alone
// is taken again, and nothing else (the name that is not UTF-8 included).
TEST_F(ExactNames, EveryModeKeepsEachNameItsOwnFile) {
    RawTree expected;
    for (const auto& [rel, data] : kFixture)
        expected.insert(rel, data);
    expected.insert("mix/", {});
    expected.insert("mix/Photos/", {});
    expected.insert("mix/photos/", {});

    enum Mode { ZipNew, ZipAppend, Copy, SyncOneWay, SyncBothWays };
    for (const Mode mode : {ZipNew, ZipAppend, Copy, SyncOneWay, SyncBothWays}) {
        SCOPED_TRACE(int(mode));
        // A fresh source and destination for each mode.
        std::filesystem::remove_all(platform::HostBytes(src).toStdString());
        std::filesystem::remove_all(platform::HostBytes(dest).toStdString());
        QDir().mkpath(dest);
        for (const auto& [rel, data] : kFixture)
            WriteRaw(src, rel, data);
        QDir(temp).removeRecursively();
        QDir().mkpath(temp);
        ResetRunOutcome();
        QFile::remove(ErrorLogFile());
        f().optNewOnly->setValue(false);
        f().optComplete->setValue(true);
        const bool zip = mode == ZipNew || mode == ZipAppend;
        f().optBuMode(zip ? 0 : mode == Copy ? 1 : 2)->setValue(true);
        f().chkAppendArchive->setValue(mode == ZipAppend ? 1 : 0);
        f().txtSourceSync->setText(Win(src));
        f().txtDestinySync->setText(Win(dest));
        f().chkSyncSubDirs->setValue(1);
        f().chkSyncBothDirections->setValue(mode == SyncBothWays ? 1 : 0);

        auto check = [&](const char* when) {
            SCOPED_TRACE(when);
            EXPECT_EQ(ExitStatus(), 0) << ErrorLog().toStdString();
            EXPECT_EQ(Raw(src), Show(expected)) << "the source is left as it was";
            if (zip) {
                const QStringList archives = FilesIn(dest, "*.zip");
                ASSERT_EQ(archives.size(), 1);
                EXPECT_EQ(Show(Stored(dest + "/" + archives[0], src)), Show(FilesOf(expected)));
            } else if (mode == Copy) {
                EXPECT_EQ(Raw(CopyOfSource()), Show(expected));
            } else {
                EXPECT_EQ(Raw(dest), Show(expected));
            }
        };
        f().txtTotalFiles->setText("0");
        Run();
        check("first run");

        // One twin changes; a later run takes it alone.
        if (mode == ZipNew)
            continue;   // a new archive holds only what the run took
        Change("mix/notes.txt", "notes, changed");
        expected["mix/notes.txt"] = "notes, changed";
        f().optNewOnly->setValue(true);
        f().txtTotalFiles->setText("0");
        Run();
        check("after one twin changed");
        if (mode == Copy || mode == ZipAppend)
            EXPECT_EQ(f().txtTotalFiles->Text(), "1");
        expected["mix/notes.txt"] = "notes, lower case";
    }
}

// Two-way synchronisation never writes into the source from a twin of
// another name: an edit of the destination's notes.txt comes back to
// notes.txt alone, and what only the destination has (a twin of a file, a
// twin of a folder) comes back under its own name beside the source's own.
TEST_F(ExactNames, BothWaysGivesEachFileBackUnderItsOwnName) {
    const QString from = testenv::tempDir("sync-src");
    const QString to = testenv::tempDir("sync-dst");
    WriteRaw(from, "Notes.txt", "source Notes");
    WriteRaw(from, "notes.txt", "source notes");
    WriteRaw(from, "Photos/a.jpg", "source Photos/a");
    WriteRaw(to, "Notes.txt", "source Notes");
    WriteRaw(to, "notes.txt", "edited in the destination", 1700000900);
    WriteRaw(to, "Only.txt", "only in the destination");
    WriteRaw(to, "only.txt", "twin only in the destination");
    WriteRaw(to, "photos/a.jpg", "destination photos/a");
    SynchronizeDir(Win(from), Win(to), true);
    const RawTree both{{"Notes.txt", "source Notes"},
                       {"notes.txt", "edited in the destination"},
                       {"Only.txt", "only in the destination"},
                       {"only.txt", "twin only in the destination"},
                       {"Photos/", {}},
                       {"Photos/a.jpg", "source Photos/a"},
                       {"photos/", {}},
                       {"photos/a.jpg", "destination photos/a"}};
    EXPECT_EQ(Raw(from), Show(both));
    EXPECT_EQ(Raw(to), Show(both));
}

// The archive flag of a name that is not UTF-8 is kept under that name: it
// clears, and a twin that differs from it in one byte keeps its own flag.
TEST_F(ExactNames, ArchiveFlagsOfNamesThatAreNotUtf8) {
    const QString one = platform::HostText(platform::HostBytes(src) + "/x\xFF.bin");
    const QString two = platform::HostText(platform::HostBytes(src) + "/x\xFE.bin");
    WriteRaw(src, "x\xFF.bin", "one");
    WriteRaw(src, "x\xFE.bin", "two");
    EXPECT_TRUE(platform::ArchiveBitSet(one));
    platform::ClearArchiveBit(one);
    EXPECT_FALSE(platform::ArchiveBitSet(one));
    EXPECT_TRUE(platform::ArchiveBitSet(two));
    platform::ClearArchiveBitSoon(two, 3, {1700000000, 0});
    platform::FlushArchiveBits();
    EXPECT_FALSE(platform::ArchiveBitSet(two));
    platform::SetArchiveBit(one);
    EXPECT_TRUE(platform::ArchiveBitSet(one));
    EXPECT_FALSE(platform::ArchiveBitSet(two));
}

// A tree nobody here wrote: Debian's kernel headers hold names that differ
// only in case (netfilter/xt_CONNMARK.h and xt_connmark.h, ...). Copy mode
// and synchronisation both ways leave every file byte-exact under its own
// name, and the source as it was.
TEST_F(ExactNames, KernelHeadersCopiedAndSynchronisedByteForByte) {
    const QString headers = QStringLiteral("/usr/include/linux");
    if (!QFileInfo(headers + "/netfilter/xt_CONNMARK.h").exists())
        GTEST_SKIP() << "no kernel headers with case twins in " << headers.toStdString();
    const QString tree = testenv::tempDir("headers");
    QProcess cp;
    cp.start("cp", {"-a", headers, tree + "/linux"});
    ASSERT_TRUE(cp.waitForFinished(120000) && cp.exitCode() == 0);
    const QString source = tree + "/linux";
    const RawTree original = RawMap(source);
    ASSERT_TRUE(original.contains("netfilter/xt_CONNMARK.h") && original.contains("netfilter/xt_connmark.h"));

    f().List1->Clear();
    std::vector<QString> folders{source};
    QDirIterator it(source, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders.push_back(it.next());
    for (const QString& folder : folders)
        AddSource(Win(folder) + "\\*.*");
    f().optBuMode(1)->setValue(true);
    Run();
    EXPECT_EQ(ExitStatus(), 0) << ErrorLog().toStdString();
    EXPECT_EQ(Show(FilesOf(RawMap(dest + "/" + Win(source).mid(3).replace('\\', '/')))), Show(FilesOf(original)));

    for (const bool bothWays : {false, true}) {
        SCOPED_TRACE(bothWays);
        const QString to = testenv::tempDir(bothWays ? "headers-both" : "headers-one");
        SynchronizeDir(Win(source), Win(to), bothWays);
        EXPECT_EQ(Raw(to), Show(original));
        EXPECT_EQ(Raw(source), Show(original));
    }
}

namespace {

// A FAT file system of a few megabytes, mounted through a user-space driver
// for as long as the object lives.
class FatMount {
public:
    explicit FatMount(const QString& where) : where_(where) {
        if (!testenv::isRoot()) {
            why_ = "mounting needs root";
            return;
        }
        const QString mkfs = QStandardPaths::findExecutable("mkfs.vfat", {"/usr/sbin", "/sbin", "/usr/bin"});
        const QString fuse = QStandardPaths::findExecutable("fusefat");
        if (mkfs.isEmpty() || fuse.isEmpty()) {
            why_ = "mkfs.vfat and fusefat are not installed";
            return;
        }
        image_ = where + ".img";
        QFile img(image_);
        if (!img.open(QIODevice::WriteOnly) || !img.resize(16 << 20)) {
            why_ = "no room for the image";
            return;
        }
        img.close();
        QDir().mkpath(where);
        if (QProcess::execute(mkfs, {image_}) != 0 || QProcess::execute(fuse, {"-o", "rw+", image_, where}) != 0) {
            why_ = "cannot mount a FAT image";
            return;
        }
        ok_ = true;
    }
    ~FatMount() {
        if (ok_)
            QProcess::execute("fusermount", {"-u", where_});
        if (!image_.isEmpty())
            QFile::remove(image_);
    }
    bool ok() const { return ok_; }
    const char* why() const { return why_; }

private:
    QString where_, image_;
    bool ok_ = false;
    const char* why_ = "";
};

}  // namespace

// A destination that cannot hold both names of a pair (FAT), nor a name
// with a character it refuses: the first of a pair stays as it was copied,
// the second never replaces it, and each file left out is named in the
// error log with its target and the reason; the run ends with status 1.
TEST_F(ExactNames, AFatDestinationRefusesTheSecondNameOfAPairOutLoud) {
    const QString fat = testenv::tempDir("fat-parent") + "/fat";
    FatMount mount(fat);
    if (!mount.ok())
        GTEST_SKIP() << mount.why();
    WriteRaw(src, "mix/a:b.txt", "a name FAT refuses");

    for (const int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        const QString to = fat + (mode == 1 ? "/copy" : "/sync");
        QDir().mkpath(to);
        ResetRunOutcome();
        QFile::remove(ErrorLogFile());
        f().optBuMode(mode)->setValue(true);
        f().txtPathBackUp->setText(Win(to));
        f().txtSourceSync->setText(Win(src + "/mix"));
        f().txtDestinySync->setText(Win(to));
        f().chkSyncSubDirs->setValue(1);
        f().chkSyncBothDirections->setValue(0);
        Run();
        EXPECT_EQ(ExitStatus(), 1);
        const QString log = ErrorLog();
        const QString below = mode == 1 ? to + "/" + Win(src).mid(3).replace('\\', '/') : to;
        auto target = [&](const QString& rel) { return below + "/" + (mode == 1 ? rel : rel.mid(4)); };
        auto content = [&](const QString& rel) { return testenv::readFile(target(rel)); };

        // Of Notes.txt and notes.txt one is there with its own bytes, the
        // other is named in the error log.
        const QStringList there = QDir(target("mix")).entryList({"notes.txt"}, QDir::Files);
        ASSERT_EQ(there.size(), 1) << log.toStdString();
        const QString kept = there[0], refused = kept == "Notes.txt" ? "notes.txt" : "Notes.txt";
        EXPECT_EQ(content("mix/" + kept), testenv::readFile(src + "/mix/" + kept));
        EXPECT_TRUE(log.contains("does not allow the name " + Win(target("mix/" + refused))))
            << log.toStdString();
        // The folder twin: photos/ never lands in Photos/.
        EXPECT_EQ(content("mix/Photos/a.jpg"), "Photos/a.jpg");
        EXPECT_FALSE(QFileInfo::exists(target("mix/Photos/b.jpg")));
        EXPECT_TRUE(log.contains("does not allow the name " + Win(target("mix/photos")))) << log.toStdString();
        // The name with a character FAT refuses.
        EXPECT_TRUE(log.contains("does not allow the name " + Win(target("mix/a:b.txt"))))
            << log.toStdString();
        EXPECT_FALSE(log.contains("Permission denied")) << log.toStdString();
    }
}
