// SPDX-License-Identifier: GPL-3.0-or-later
// What a restore brings back: every name exactly, archives made by other
// tools under the names those tools show, a split file beside itself, and
// nothing half-written when a restore is killed.
#include <QProcess>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

#include "RestoreTest.h"
#include "platform/ZipArchiveComponent.h"
#include "run/NRV_FileSplit.h"

using namespace restoretest;

namespace {

const QChar kInNameBackslash(platform::kBackslashInName);

class RestoreNames : public RestoreTest {
protected:
    // Runs a Python script with the arguments; the test fails when it does.
    static void Python(const char* script, const QStringList& args, const QString& cwd = {}) {
        QProcess p;
        if (!cwd.isEmpty())
            p.setWorkingDirectory(cwd);
        p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + args);
        ASSERT_TRUE(p.waitForFinished(120000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    // The restored files below R: with their contents, by their path there.
    QMap<QString, QByteArray> RestoredTree(const QString& dir, const QString& prefix = {}) {
        QMap<QString, QByteArray> out;
        for (const QString& n : NamesIn(dir)) {
            const QString path = dir + QLatin1Char('/') + n;
            struct stat st {};
            ::lstat(platform::HostBytes(path).constData(), &st);
            if (S_ISDIR(st.st_mode))
                out.insert(RestoredTree(path, prefix + n + QLatin1Char('/')));
            else
                out.insert(prefix + n, ReadHost(path));
        }
        return out;
    }
};

TEST_F(RestoreNames, EveryNameOfARunComesBackExactlyAndTheGridShowsItAsStored) {
    const QMap<QString, QByteArray> files = {
        {QStringLiteral("Case.txt"), "upper"},
        {QStringLiteral("case.txt"), "lower"},
        {QStringLiteral("back") + kInNameBackslash + QStringLiteral("slash.txt"), "backslash"},
        {QStringLiteral("bad") + QChar(0xDCFF) + QStringLiteral(".txt"), "not UTF-8"},
        {QStringLiteral("Größe_1.txt"), "non-ASCII"},
        {QStringLiteral("a/b/c/d/e/f/g/h/i/j/Deep Name.txt"), testenv::randomBytes(200000, 5)},
    };
    const QString archive = MakeArchive(QStringLiteral("N"), files);
    // A run that appends knows every stored name again: each file's entry is
    // replaced, none is stored twice.
    f().chkAppendArchive->setValue(1);
    Run();
    f().chkAppendArchive->setValue(0);
    {
        platform::ZipArchiveComponent zip;
        zip.OpenToRead(ziprun::Win(dest) + QStringLiteral("\\") + archive);
        EXPECT_EQ(zip.Files().Count(), files.size());
    }
    OpenWindow();
    Search(QStringLiteral("*"));
    QStringList shown = Hits(), expected;
    for (const QString& name : files.keys())
        expected << name.section(QLatin1Char('/'), -1);
    shown.sort();
    expected.sort();
    EXPECT_EQ(shown, expected);

    // Nothing of it is at the target yet: no question, and every file lands
    // on its own name with its own bytes.
    Restore(1, w().FG3->Rows() - 1, false);
    EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
    const QString top = QFileInfo(Restored(QStringLiteral("N"), QStringLiteral("Case.txt"))).absolutePath();
    EXPECT_EQ(RestoredTree(top), files);

    // With the case option on the pattern meets the stored name's own case.
    Search(QStringLiteral("C*"), 1);
    EXPECT_EQ(Hits(), QStringList({QStringLiteral("Case.txt")}));
    Search(QStringLiteral("GRÖSSE*"), 0);
    EXPECT_EQ(Hits(), QStringList());
    Search(QStringLiteral("GRÖßE*"), 0);
    EXPECT_EQ(Hits(), QStringList({QStringLiteral("Größe_1.txt")}));
}

TEST_F(RestoreNames, ArchivesOfInfoZipAndPythonRestoreUnderTheNamesTheyShow) {
    // Info-ZIP stores a Unix name's own bytes, without the UTF-8 flag.
    const QString tree = testenv::tempDir(QStringLiteral("tree"));
    const QMap<QString, QByteArray> zipped = {
        {QStringLiteral("back") + kInNameBackslash + QStringLiteral("slash.txt"), "1"},
        {QStringLiteral("Größe.txt"), "2"},
        {QStringLiteral("bad") + QChar(0xDCE9) + QStringLiteral(".txt"), "3"},
        {QStringLiteral("sub/Inner.txt"), "4"},
    };
    for (auto it = zipped.begin(); it != zipped.end(); ++it)
        WriteHost(tree + QLatin1Char('/') + it.key(), it.value());
    {
        QProcess zip;
        zip.setWorkingDirectory(tree);
        zip.start(QStringLiteral("zip"), {QStringLiteral("-qrXD"), dest + QStringLiteral("/infozip.zip"), QStringLiteral(".")});
        ASSERT_TRUE(zip.waitForFinished(60000));
        ASSERT_EQ(zip.exitCode(), 0) << zip.readAllStandardError().toStdString();
    }
    // Python marks non-ASCII names UTF-8; an entry made on DOS without the
    // flag is code page 437; a stored mode 0777 is given as the umask allows.
    Python(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('py/Größe.txt', 'a')
    z.writestr('py/back\\slash.txt', 'b')
    i = zipfile.ZipInfo('py/open.sh'); i.create_system = 3; i.external_attr = 0o100777 << 16
    z.writestr(i, 'c')
    i = zipfile.ZipInfo('py/Gr_sse.txt'); i.create_system = 0
    z.writestr(i, 'd')
data = open(sys.argv[1], 'rb').read().replace(b'Gr_sse', b'Gr\x94sse')
open(sys.argv[1], 'wb').write(data)
)",
           {dest + QStringLiteral("/python.zip")});

    OpenWindow();
    Search(QStringLiteral("*"));
    ASSERT_EQ(w().FG3->Rows(), 9) << Hits().join(QLatin1Char(' ')).toStdString();
    Restore(1, 8, false);
    EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
    QMap<QString, QByteArray> expected;
    for (auto it = zipped.begin(); it != zipped.end(); ++it)
        expected.insert(it.key(), it.value());
    expected.insert(QStringLiteral("py/Größe.txt"), "a");
    expected.insert(QStringLiteral("py/back") + kInNameBackslash + QStringLiteral("slash.txt"), "b");
    expected.insert(QStringLiteral("py/open.sh"), "c");
    expected.insert(QStringLiteral("py/Grösse.txt"), "d");
    EXPECT_EQ(RestoredTree(target), expected);

    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target + QStringLiteral("/py/open.sh")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0777u & ~mask);
}

TEST_F(RestoreNames, ASplitFileIsStoredBesideItselfAndRestoredItJoinsToTheOriginal) {
    f().chkMaxZIPsize->setValue(1);
    f().chkSplit->setValue(1);
    f().txtMaxZIPsize->setText(QStringLiteral("0.05"));   // pieces of 42429 bytes
    const QByteArray big = ziprun::Incompressible(100000, 11);
    MakeArchive(QStringLiteral("S"), {{QStringLiteral("Film.mkv"), big}, {QStringLiteral("small.txt"), "s"}});

    // The temp folder never shows in a stored name.
    const QString source = ziprun::Win(sources.value(QStringLiteral("S"))).mid(3).replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList names;
    for (const QString& zip : ziprun::FilesIn(dest, QStringLiteral("*.zip")))
        for (const ziprun::ZipEntry& e : ziprun::ReadWithPython(dest + QLatin1Char('/') + zip).entries)
            names << e.name;
    names.sort();
    EXPECT_EQ(names, QStringList({source + QStringLiteral("/Film.mkv.1"), source + QStringLiteral("/Film.mkv.2"),
                                  source + QStringLiteral("/Film.mkv.3"), source + QStringLiteral("/Film.mkv.bat"),
                                  source + QStringLiteral("/small.txt")}));

    OpenWindow();
    Search(QStringLiteral("Film.mkv.*"));
    ASSERT_EQ(w().FG3->Rows(), 5);
    Restore(1, 4, true);
    EXPECT_EQ(LastPrompt(), LangText(186));
    const QString piece = Restored(QStringLiteral("S"), QStringLiteral("Film.mkv"));
    EXPECT_EQ(ReadHost(piece + QStringLiteral(".1")) + ReadHost(piece + QStringLiteral(".2")) +
                  ReadHost(piece + QStringLiteral(".3")),
              big);
    EXPECT_EQ(ReadHost(piece + QStringLiteral(".bat")), RejoinBatchText(QStringLiteral("Film.mkv"), 3));
}

TEST_F(RestoreNames, ADamagedEntryAndAPartOfASplitArchiveAreNamedAndTheRestIsListed) {
    Python(R"(
import sys, zipfile
for path in sys.argv[1:]:
    with zipfile.ZipFile(path, 'w') as z:
        for n in ('a.txt', 'b.txt', 'c.txt'):
            z.writestr(n, n)
damaged = bytearray(open(sys.argv[1], 'rb').read())
at = damaged.index(b'b.txt')            # the local header's name comes first
damaged[at:at + 5] = b'x.txt'
open(sys.argv[1], 'wb').write(damaged)
part = bytearray(open(sys.argv[2], 'rb').read())
end = part.rindex(b'PK\x05\x06')
part[end + 4:end + 8] = b'\x01\x00\x01\x00'   # the last of two volumes
open(sys.argv[2], 'wb').write(part)
)",
           {dest + QStringLiteral("/damaged.zip"), dest + QStringLiteral("/part.zip")});
    OpenWindow();
    Search(QStringLiteral("*"));
    EXPECT_EQ(Hits(), QStringList({QStringLiteral("a.txt"), QStringLiteral("c.txt")}));
    EXPECT_EQ(Counters(), QStringList({"2", "1", "2", "1"}));
    ASSERT_EQ(Prompts().size(), 1);
    const QStringList lines = Prompts().first().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3) << Prompts().first().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("These archives were not searched:"));
    EXPECT_EQ(lines[1], QStringLiteral("damaged.zip: 1 damaged entry was left out"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("part.zip: ")) && lines[2].contains(QStringLiteral("split over")))
        << lines[2].toStdString();

    Restore(1, 2, true);
    EXPECT_EQ(LastPrompt(), LangText(186));
    EXPECT_EQ(RestoredTree(target), (QMap<QString, QByteArray>{{"a.txt", "a.txt"}, {"c.txt", "c.txt"}}));
}

TEST_F(RestoreNames, AKilledRestoreLeavesNothingBehind) {
    Python(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:
    with z.open('big.bin', 'w', force_zip64=True) as f:
        block = bytes(1 << 20)
        for _ in range(400):
            f.write(block)
)",
           {dest + QStringLiteral("/big.zip")});
    // What an earlier killed restore left without an unnamed file.
    testenv::writeFile(target + QStringLiteral("/.vaultora-extract-Ab12Cd"), "left over");
    const QString archive = ziprun::Win(dest) + QStringLiteral("\\big.zip");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            platform::ZipArchiveComponent zip;
            zip.OpenToRead(archive);
            zip.Files().Item(0).Extract(QStringLiteral("R:\\"));
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    // Killed once it writes into the target folder.
    const QByteArray fds = "/proc/" + QByteArray::number(child) + "/fd";
    bool writing = false;
    int status = -1;
    for (int polls = 0; !writing && polls < 2000000; ++polls) {
        if (::waitpid(child, &status, WNOHANG) == child)
            break;
        if (DIR* d = ::opendir(fds.constData())) {
            while (dirent* e = ::readdir(d)) {
                char link[4096];
                const ssize_t n = ::readlink((fds + '/' + e->d_name).constData(), link, sizeof link);
                writing = writing || (n > 0 && QByteArray(link, n).startsWith(QFile::encodeName(target) + '/'));
            }
            ::closedir(d);
        }
    }
    ASSERT_TRUE(writing) << "the restore ended before it could be killed, status " << status << " "
                         << NamesIn(target).join(QLatin1Char(' ')).toStdString();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(NamesIn(target), QStringList());
}

}  // namespace
