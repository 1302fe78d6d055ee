// SPDX-License-Identifier: GPL-3.0-or-later
// Copy mode: runs that copy the selected files as plain files.
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEvent>
#include <QMap>
#include <QSignalBlocker>
#include <QTimer>

#include "FaultSupport.h"
#include "ZipRunFixture.h"
#include "settings/SaveSettings.h"
#include "common/NRV_File_Dir.h"
#include "platform/ArchiveBits.h"
#include "platform/FakeMounts.h"
#include "run/CopyNow.h"
#include "run/Vaultora_Disk.h"

#include <fcntl.h>
#include <sys/stat.h>

using namespace ziprun;

namespace {

QMap<QString, QByteArray> Tree(const QString& root) { return testenv::treeContents(root); }

// Counts the paint passes of a window (each goes through an update request).
class PaintPasses : public QObject {
public:
    explicit PaintPasses(QObject* window) { window->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::UpdateRequest)
            ++count;
        return false;
    }
};

class CopyMode : public ZipRunTest {
protected:
    void SetUp() override {
        ZipRunTest::SetUp();
        f().optBuMode(1)->setValue(true);
        f().chkInclSubDirStruct->setValue(1);
    }
};

}  // namespace

TEST_F(CopyMode, WithAndWithoutTheFolderStructureFromDriveAndNetworkSources) {
    const QString share = testenv::tempDir("share");
    FakeMounts mounts({{share, "cifs", "//srv/share"}});
    WriteSource("Data/a.txt", "drive file");
    WriteSource("Data/sub/same.txt", "first of two names");
    testenv::writeFile(share + "/x/b.txt", "network file");
    testenv::writeFile(share + "/x/same.txt", "second of two names");

    const QString drivePart = Win(src).mid(3);   // the source folder without "X:\"
    struct Case {
        int structure;
        QMap<QString, QByteArray> expected;
    } cases[] = {
        {1,
         {{QString(drivePart + "\\Data\\a.txt").replace('\\', '/'), "drive file"},
          {QString(drivePart + "\\Data\\sub\\same.txt").replace('\\', '/'), "first of two names"},
          {"srv/share/x/b.txt", "network file"},
          {"srv/share/x/same.txt", "second of two names"}}},
        // all in the destination folder itself; the later of two names wins
        {0, {{"a.txt", "drive file"}, {"b.txt", "network file"}, {"same.txt", "second of two names"}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.structure);
        const QString to = testenv::tempDir(QString("copy%1").arg(n++));
        f().txtPathBackUp->setText(Win(to));
        f().chkInclSubDirStruct->setValue(c.structure);
        f().List1->Clear();
        AddSource(Win(src) + "\\Data\\*.*");
        AddSource(Win(src) + "\\Data\\sub\\*.*");
        AddSource("\\\\srv\\share\\x\\*.*");
        Run();
        EXPECT_EQ(Tree(to), c.expected);
        EXPECT_EQ(f().txtTotalFiles->Text(), "4");
        EXPECT_EQ(f().TotalUncompressed, double(10 + 18 + 12 + 19));
        EXPECT_TRUE(FilesIn(temp).isEmpty());
    }
    EXPECT_TRUE(ErrorLog().isEmpty()) << ErrorLog().toStdString();
}

TEST_F(CopyMode, CopyNowOneFileAtATime) {
    const QString a = WriteSource("a.txt", "some text");
    const QString lines0 = "older line";
    struct Case {
        const char* what;
        int mode;       // optBuMode
        int media;      // chkMedia
        bool newOnly;   // optNewOnly, the file has no archive flag and no inclusion mask fits
        bool readOnlyTarget;
        bool copied, counted, flagCleared;
    } cases[] = {
        {"a plain copy", 1, 1, false, false, true, true, true},
        {"ZIP mode copies nothing", 0, 1, false, false, false, false, false},
        {"no copy without the destination option", 1, 0, false, false, false, false, false},
        {"new files only, and it is not new", 1, 1, true, false, false, false, false},
        // the copy of a read-only file keeps its mode: the next copy replaces it
        {"a read-only target", 1, 1, false, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(ErrorLogFile());
        const QString to = testenv::tempDir("one");
        f().txtPathBackUp->setText(Win(to));
        f().chkInclSubDirStruct->setValue(0);
        f().optBuMode(c.mode)->setValue(true);
        {
            // past the rule that keeps one destination ticked: the copy's own test
            const QSignalBlocker quiet(f().chkMedia);
            f().chkMedia->setValue(c.media);
        }
        (c.newOnly ? f().optNewOnly : f().optComplete)->setValue(true);
        f().txtTotalFiles->setText("0");
        f().RtbNews1->setText(lines0);
        if (c.readOnlyTarget) {
            testenv::writeFile(to + "/a.txt", "old");
            QFile::setPermissions(to + "/a.txt", QFile::ReadOwner);
        }
        platform::SetArchiveBit(a);
        f().CurrentFileAttr = qint16(GetAttributes(Win(a)));
        f().CurrentArchiveBit = !c.newOnly;
        if (c.newOnly)
            platform::ClearArchiveBit(a);
        f().TotalUncompressed = 0;
        gFreeSpace = 1e12;

        f().Copy_Now(Win(a));

        EXPECT_EQ(testenv::readFile(to + "/a.txt") == "some text", c.copied);
        EXPECT_EQ(f().txtTotalFiles->Text(), c.counted ? "1" : "0");
        EXPECT_EQ(f().TotalUncompressed, c.counted ? 9.0 : 0.0);
        EXPECT_EQ(f().RtbNews1->Text(), c.counted ? f().shorten_path(Win(a), 71) + "\r\n" + lines0 : lines0);
        if (!c.newOnly) {
            EXPECT_EQ(!platform::ArchiveBitSet(a), c.flagCleared);
        }
        EXPECT_FALSE(ErrorLog().contains("Copy_Now of Formular frmMain_BackUp"));
        EXPECT_TRUE(Tree(to).size() <= 1) << "no temporary file is left";
    }
}

TEST_F(CopyMode, AFileThatVanishedIsCountedWithNothingAndLogged) {
    f().txtPathBackUp->setText(Win(dest));
    f().txtTotalFiles->setText("0");
    f().TotalUncompressed = 0;
    gFreeSpace = 1e12;
    const QString gone = Win(src) + "\\gone.txt";
    f().Copy_Now(gone);
    EXPECT_EQ(f().txtTotalFiles->Text(), "1");
    EXPECT_EQ(f().TotalUncompressed, 0.0);
    EXPECT_TRUE(f().RtbNews1->Text().startsWith(f().shorten_path(gone, 71) + "\r\n"));
    EXPECT_TRUE(ErrorLog().contains("Copy_Now of Formular frmMain_BackUp  2  53  "));
    EXPECT_TRUE(FilesIn(dest).isEmpty());
}

TEST_F(CopyMode, RunSwitchCopiesTheProfilesFilesAndEndsTheProgram) {
    const QString startUp = QString::fromUtf8(testenv::readFile(testenv::sourceDir() + "/app/main.cpp"));
    if (!startUp.contains("Main("))
        GTEST_SKIP() << "the program's start-up does not apply its command line yet";
    WriteSource("a.txt", "first");
    WriteSource("sub/b.txt", "second");
    AddSource(Win(src) + "\\*.*");
    AddSource(Win(src) + "\\sub\\*.*");
    f().chkInclSubDirStruct->setValue(0);
    const QString elsewhere = testenv::tempDir("not-here");
    f().txtPathBackUp->setText(Win(elsewhere));   // "/dir:" names the destination of this start
    Save_Settings();
    form.reset();

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(testenv::builtProgram(), {"/run", "/profile:P", "/dir:" + Win(dest) + "\\"});
    ASSERT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAll().toStdString();
    EXPECT_EQ(Tree(dest), (QMap<QString, QByteArray>{{"a.txt", "first"}, {"b.txt", "second"}}));
    EXPECT_TRUE(Tree(elsewhere).isEmpty());
    EXPECT_TRUE(FilesIn(temp).isEmpty());
}

// A source list of many small folders: the shown window is drawn a few times
// a frame at most, not several times for every folder (which once made a run
// of 180 folders spend a quarter of its time painting).
TEST_F(CopyMode, ManySmallFoldersArePaintedAtFrameRateNotPerFolder) {
    constexpr int kFolders = 60;
    for (int i = 0; i < kFolders; ++i) {
        const QString folder = QString("f%1").arg(i);
        WriteSource(folder + "/a.txt", "x");
        AddSource(Win(src) + "\\" + folder + "\\*.*");
    }
    for (const bool copyMode : {true, false}) {
        SCOPED_TRACE(copyMode ? "copy mode" : "ZIP mode");
        const QString to = testenv::tempDir(copyMode ? "copied" : "zipped");
        f().txtPathBackUp->setText(Win(to));
        f().optBuMode(copyMode ? 1 : 0)->setValue(true);
        f().show();
        QCoreApplication::processEvents();
        PaintPasses passes(&f());
        QElapsedTimer t;
        t.start();
        Run();
        const qint64 ms = t.elapsed();
        EXPECT_EQ(ErrorLog(), "");
        if (copyMode) {
            EXPECT_EQ(Tree(to).size(), kFolders);
        } else {
            EXPECT_EQ(FilesIn(to, "*.zip").size(), 1);
        }
        // Three sources of paints a frame (the status line, the log box and the
        // events let run) and the set-up and closing of the run.
        EXPECT_LE(passes.count, 3 * (ms / 20 + 1) + 20) << "in " << ms << " ms";
    }
}

namespace {

// What a copy must keep of each file: its bytes, modification time (to the
// nanosecond) and permission bits.
struct Kept {
    QByteArray bytes;
    qint64 sec = 0, nsec = 0;
    mode_t mode = 0;
    bool operator==(const Kept&) const = default;
};

QMap<QString, Kept> KeptOf(const QString& root) {
    QMap<QString, Kept> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString host = it.next();
        struct stat st {};
        ::stat(QFile::encodeName(host).constData(), &st);
        out.insert(host.mid(root.size()), {testenv::readFile(host), qint64(st.st_mtim.tv_sec),
                                           qint64(st.st_mtim.tv_nsec), mode_t(st.st_mode & 07777)});
    }
    return out;
}

// The number of copy workers for one test, put back after it.
struct CopyWorkersForTest {
    explicit CopyWorkersForTest(int n) : before(copy_source::WorkerThreads()) { copy_source::SetWorkerThreads(n); }
    ~CopyWorkersForTest() { copy_source::SetWorkerThreads(before); }
    int before;
};

}  // namespace

// A run copies on worker threads while the window's thread keeps the order:
// the result is the same as with every copy made in turn, to the byte, the
// nanosecond of each time and the mode; two sources onto one target end
// with the later one, while one whose name differs only in case is a file
// of its own; a file that
// cannot be read is named in the error log and keeps its archive flag while
// the others lose theirs.
TEST_F(CopyMode, CopiesOnWorkerThreadsEndAsCopiesMadeInTurn) {
    std::vector<QString> sources;
    for (int d = 0; d < 4; ++d)
        for (int i = 0; i < 12; ++i) {
            const QString host = WriteSource(QString("d%1/f%2.bin").arg(d).arg(i),
                                             testenv::randomBytes((i * 7919 + d * 131) % 300000, quint32(d * 100 + i)));
            const struct timespec times[2] = {{1600000000 + i, 123456789}, {1600000000 + d * 100 + i, 987654321 - i}};
            ::utimensat(AT_FDCWD, QFile::encodeName(host).constData(), times, 0);
            if (i % 5 == 0)
                ::chmod(QFile::encodeName(host).constData(), 0440);
            sources.push_back(host);
        }
    WriteSource("d0/empty.txt", "");
    WriteSource("same/one/Name.TXT", "the earlier of two");
    WriteSource("same/two/Name.TXT", "the later of two");
    WriteSource("same/two/name.txt", "another file");
    const QString unreadable = WriteSource("d3/locked.txt", "nobody may read this");
    ::chmod(QFile::encodeName(unreadable).constData(), 0);
    bool canLock = false;
    {
        faults::ReadLikeAUser user;
        canLock = !QFile(unreadable).open(QIODevice::ReadOnly);
    }
    for (int d = 0; d < 4; ++d)
        AddSource(Win(src) + QString("\\d%1\\*.*").arg(d));

    QMap<QString, Kept> results[2];
    QString logs[2];
    for (const int threads : {0, 2}) {
        SCOPED_TRACE(threads);
        CopyWorkersForTest workers(threads);
        QFile::remove(ErrorLogFile());
        ResetRunOutcome();
        for (const QString& host : sources)
            platform::SetArchiveBit(host);
        platform::SetArchiveBit(unreadable);
        const QString to = testenv::tempDir(QString("copy-%1").arg(threads));
        f().txtPathBackUp->setText(Win(to));
        f().chkInclSubDirStruct->setValue(1);
        f().txtTotalFiles->setText("0");

        {
            faults::ReadLikeAUser user;
            Run();
        }

        results[threads != 0] = KeptOf(to);
        logs[threads != 0] = ErrorLog();
        EXPECT_EQ(f().txtTotalFiles->Text(), QString::number(sources.size() + 2));
        for (const QString& host : sources)
            EXPECT_FALSE(platform::ArchiveBitSet(host)) << host.toStdString();
        if (canLock) {
            EXPECT_TRUE(ErrorLog().contains(Win(unreadable))) << ErrorLog().toStdString();
            EXPECT_TRUE(platform::ArchiveBitSet(unreadable));
        }

        // One target for two sources: the structure not kept.
        const QString flat = testenv::tempDir(QString("flat-%1").arg(threads));
        f().txtPathBackUp->setText(Win(flat));
        f().chkInclSubDirStruct->setValue(0);
        f().List1->Clear();
        AddSource(Win(src) + "\\same\\one\\*.*");
        AddSource(Win(src) + "\\same\\two\\*.*");
        Run();
        EXPECT_EQ(Tree(flat), (QMap<QString, QByteArray>{{"Name.TXT", "the later of two"}, {"name.txt", "another file"}}));
        f().List1->Clear();
        for (int d = 0; d < 4; ++d)
            AddSource(Win(src) + QString("\\d%1\\*.*").arg(d));
    }
    // Both ways the same, and the same as the sources.
    EXPECT_TRUE(results[0] == results[1]);
    QMap<QString, Kept> expected;
    const QString below = "/" + Win(src).mid(3).replace('\\', '/');
    for (const auto& [name, kept] : KeptOf(src).asKeyValueRange())
        if (!name.startsWith("/same/") && !(canLock && src + name == unreadable))
            expected.insert(below + name, kept);
    EXPECT_EQ(results[1].keys(), expected.keys());
    EXPECT_TRUE(results[1] == expected);
    EXPECT_EQ(logs[0].count("Copy_Now of Formular"), logs[1].count("Copy_Now of Formular"));
    ::chmod(QFile::encodeName(unreadable).constData(), 0600);
}

// Folders made one after another, each below or beside the one before: a
// folder of the destination whose name differs only in case is another
// folder, and a file in a folder's place is logged for each file meant for it
// while the others are copied.
TEST_F(CopyMode, TargetFoldersNextToEachOther) {
    for (const char* name : {"top/a.txt", "top/d1/b.txt", "top/d1/deeper/c.txt", "top/d2/d.txt", "top/d3/e.txt"})
        WriteSource(name, name);
    const QString to = testenv::tempDir("near");
    const QString below = to + "/" + Win(src).mid(3).replace('\\', '/');
    testenv::writeFile(below + "/top/D1/kept.txt", "there before");
    testenv::writeFile(below + "/top/d2", "a file where a folder goes");
    for (const char* folder : {"\\top\\*.*", "\\top\\d1\\*.*", "\\top\\d1\\deeper\\*.*", "\\top\\d2\\*.*",
                               "\\top\\d3\\*.*"})
        AddSource(Win(src) + folder);
    QFile::remove(ErrorLogFile());
    f().txtPathBackUp->setText(Win(to));
    Run();
    EXPECT_EQ(Tree(below), (QMap<QString, QByteArray>{{"top/a.txt", "top/a.txt"},
                                                      {"top/D1/kept.txt", "there before"},
                                                      {"top/d1/b.txt", "top/d1/b.txt"},
                                                      {"top/d1/deeper/c.txt", "top/d1/deeper/c.txt"},
                                                      {"top/d2", "a file where a folder goes"},
                                                      {"top/d3/e.txt", "top/d3/e.txt"}}));
    EXPECT_TRUE(ErrorLog().contains(Win(src) + "\\top\\d2\\d.txt")) << ErrorLog().toStdString();
}

// Stop during a run whose copies are made on worker threads: the walk ends
// after the file in hand, the copies already handed over are finished, and
// every file the counters took is in the destination, whole; nothing
// temporary is left.
TEST_F(CopyMode, StopEndsTheRunWithEveryCountedFileCopiedWhole) {
    CopyWorkersForTest workers(2);
    for (int i = 0; i < 3000; ++i)
        WriteSource(QString("many/f%1.bin").arg(i), QByteArray(512, char('a' + i % 26)));
    AddSource(Win(src) + "\\many\\*.*");
    f().txtTotalFiles->setText("0");
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, [&] {
        if (!Tree(dest).isEmpty())
            CancelBackUp = true;
    });
    stop.start(0);
    Run();
    stop.stop();
    EXPECT_TRUE(CancelBackUp);
    const QMap<QString, QByteArray> copied = Tree(dest);
    EXPECT_EQ(QString::number(copied.size()), f().txtTotalFiles->Text());
    EXPECT_LT(copied.size(), 3000);
    for (auto it = copied.begin(); it != copied.end(); ++it)
        EXPECT_EQ(it.value().size(), 512) << it.key().toStdString();
    QDirIterator hidden(dest, {".*"}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    EXPECT_FALSE(hidden.hasNext()) << "no temporary file is left";
}
