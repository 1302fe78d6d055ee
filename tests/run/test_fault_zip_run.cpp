// SPDX-License-Identifier: GPL-3.0-or-later
// ZIP runs that meet faults of their surroundings: source files that cannot
// be read, damaged archives at the destination, a destination that fills up
// while the archive is being finished. Every archive a test leaves passes
// unzip -t.
#include <QElapsedTimer>
#include <QTimer>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "FaultSupport.h"
#include "ZipRunFixture.h"
#include "crypto/clsBlowfish.h"
#include "platform/Drives.h"
#include "platform/ZipArchiveState.h"
#include "run/NewMediumHook.h"
#include "run/ProgramEnd.h"

using namespace ziprun;
using faults::FifoWatchdog;
using faults::ReadLikeAUser;

namespace {

class ZipRunFaults : public ZipRunTest {
protected:
    QString Archive(int volume = 1) const { return dest + QLatin1Char('/') + TodaysName(volume); }
    QStringList EntryNames(const QString& archive) const {
        QStringList names;
        for (const ZipEntry& e : ReadWithPython(archive).entries)
            names << e.name.section(QLatin1Char('/'), -1);
        names.sort();
        return names;
    }
};

}  // namespace

TEST_F(ZipRunFaults, UnreadableSourcesAreLoggedAndTheRunGoesOn) {
    constexpr int kMany = 1500;
    enum Kind { NoReadPermission, FifoInTheFolder, FifoAsAnEntry, RemovedAfterListing };
    struct Case {
        const char* name;
        Kind kind;
        QStringList stored;     // the entries of the archive
        int skippedLines;       // archive log lines of files that were not stored
    } const cases[] = {
        {"no read permission", NoReadPermission, {"a.txt", "c.txt"}, 1},
        {"a FIFO in the folder", FifoInTheFolder, {"a.txt", "c.txt"}, 0},  // a folder lists files only
        {"a FIFO as a source entry", FifoAsAnEntry, {"a.txt", "c.txt"}, 0},  // a missing single file is passed over
        {"files removed between listing and reading", RemovedAfterListing, {}, -1},
    };
    const int threads = platform::ZipArchiveState::readAheadThreads();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        f().chkHiddenFolders->setValue(1);  // files whose attributes cannot be read are tried too
        const QString a = WriteSource(QStringLiteral("a.txt"), QByteArray("alpha\n").repeated(100));
        const QString c3 = WriteSource(QStringLiteral("c.txt"), QByteArray("gamma\n").repeated(100));
        const QString odd = src + QStringLiteral("/b.txt");
        QTimer remover;
        int removed = 0;
        switch (c.kind) {
        case NoReadPermission:
            testenv::writeFile(odd, QByteArray("secret"));
            ::chmod(QFile::encodeName(odd).constData(), 0);
            break;
        case FifoInTheFolder:
        case FifoAsAnEntry:
            ASSERT_EQ(::mkfifo(QFile::encodeName(odd).constData(), 0644), 0);
            break;
        case RemovedAfterListing:
            // Many files, so that the run lets events in while it is in the
            // folder; once the first files are in, every file of it goes.
            // Files are read at their turn here: one read ahead before it
            // went is stored as it was read.
            platform::ZipArchiveState::setReadAhead(0, size_t(128) << 20);
            for (int i = 0; i < kMany; ++i)
                WriteSource(QStringLiteral("many/f%1.txt").arg(i), QByteArray("file ") + QByteArray::number(i));
            remover.setInterval(0);
            QObject::connect(&remover, &QTimer::timeout, [&] {
                if (f().txtTotalFiles->Text() != QLatin1String("0") && !removed) {
                    for (const QString& name : QDir(src + QStringLiteral("/many")).entryList(QDir::Files))
                        removed += QFile::remove(src + QStringLiteral("/many/") + name) ? 1 : 0;
                }
            });
            remover.start();
            break;
        }
        AddSource(Win(src) + (c.kind == RemovedAfterListing ? QStringLiteral("\\many\\*.*") : QStringLiteral("\\*.*")));
        if (c.kind == FifoAsAnEntry)
            AddSource(Win(odd));
        FifoWatchdog watchdog(odd, 20000);
        QElapsedTimer t;
        t.start();
        {
            ReadLikeAUser user;
            Run();
        }
        remover.stop();
        platform::ZipArchiveState::setReadAhead(threads, size_t(128) << 20);
        EXPECT_FALSE(watchdog.fired()) << "the run waited for a writer of the FIFO";
        EXPECT_LT(t.elapsed(), 60000);

        EXPECT_TRUE(f().txtNews->Text().startsWith(LangText(121))) << f().txtNews->Text().toStdString();
        EXPECT_TRUE(TempIsClean());
        const QString archive = Archive();
        ASSERT_TRUE(QFileInfo::exists(archive));
        EXPECT_TRUE(UnzipTestPasses(archive));
        const QStringList names = EntryNames(archive);
        int skipped = 0;
        for (const QString& line : LogLines(archive + QStringLiteral(".log")))
            skipped += line.contains(QStringLiteral("--> ")) ? 0 : 1;
        if (c.kind == RemovedAfterListing) {
            // The files stored before the removal are in; each one after it has its line.
            EXPECT_GT(removed, 0);
            EXPECT_GE(names.size(), 1);
            EXPECT_GE(skipped, 1);
            EXPECT_EQ(names.size() + skipped, kMany);
        } else {
            EXPECT_EQ(names, c.stored) << names.join(QLatin1Char(',')).toStdString();
            EXPECT_EQ(skipped, c.skippedLines);
        }
        QFile::remove(odd);
    }
}

TEST_F(ZipRunFaults, ADamagedArchiveAtTheDestinationIsLeftAndTheNextVolumeTakesTheFiles) {
    // A sound archive of today's name to damage: made by a first run.
    WriteSource(QStringLiteral("old.txt"), QByteArray("from an earlier run\n").repeated(50));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    Run();
    const QByteArray sound = testenv::readFile(Archive(1));
    ASSERT_TRUE(UnzipTestPasses(Archive(1)));

    const qsizetype end = sound.lastIndexOf(QByteArray("PK\x05\x06"));  // the end record, then the comment
    ASSERT_GT(end, 40);
    struct Case {
        const char* name;
        QByteArray bytes;
        bool mayBeRead;  // the damage leaves a readable archive: it may be extended
    } const cases[] = {
        {"cut short in its directory", sound.left(end - 10), false},
        {"the end of its directory overwritten", sound.left(end - 30) + QByteArray(30, 'x') + sound.mid(end), true},
        {"the start of its directory overwritten",
         sound.left(end - 40) + QByteArray(40, 'x') + sound.mid(end), false},
        {"its comment cut short", sound.left(sound.size() - 5), true},
        {"a broken end record behind it",
         sound + QByteArray("PK\x05\x06\0\0\0\0\x01\0\x01\0\x2e\0\0\0\0\0\0\0\xff\0ab", 26), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        f().chkAppendArchive->setValue(1);
        WriteSource(QStringLiteral("new.txt"), QByteArray("this run's file\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        testenv::writeFile(Archive(1), c.bytes);
        platform::Dialogs::scriptAnswers({});

        Run();

        EXPECT_TRUE(TempIsClean());
        if (testenv::readFile(Archive(1)) != c.bytes) {
            // Damage the component could read past: then the archive it
            // extended is whole to every reader.
            EXPECT_TRUE(c.mayBeRead);
            EXPECT_TRUE(UnzipTestPasses(Archive(1)));
            EXPECT_TRUE(EntryNames(Archive(1)).contains(QStringLiteral("new.txt")));
            EXPECT_FALSE(QFileInfo::exists(Archive(2)));
            continue;
        }
        ASSERT_TRUE(QFileInfo::exists(Archive(2)));
        EXPECT_TRUE(UnzipTestPasses(Archive(2)));
        EXPECT_EQ(EntryNames(Archive(2)), QStringList{QStringLiteral("new.txt")});
        ASSERT_FALSE(platform::Dialogs::shown().isEmpty());
        EXPECT_TRUE(platform::Dialogs::shown().first().prompt.startsWith(LangText(107)));
    }
}

namespace {

// A destination on a small tmpfs of its own (root only).
class FillingMedium : public ZipRunFaults {
protected:
    void SetUp() override {
        if (!testenv::isRoot())
            GTEST_SKIP() << "mounting a tmpfs needs root";
        ZipRunFaults::SetUp();
        mount = testenv::tempDir(QStringLiteral("medium"));
        if (::mount("tmpfs", QFile::encodeName(mount).constData(), "tmpfs", 0, "size=4m") != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted here";
        mounted = true;
        dest = mount + QStringLiteral("/backup");
        QDir().mkpath(dest);
        f().txtPathBackUp->setText(Win(dest));
    }
    void TearDown() override {
        if (mounted)
            ::umount2(QFile::encodeName(mount).constData(), MNT_DETACH);
        ZipRunFaults::TearDown();
    }
    // Takes all but `leave` bytes of the medium.
    void Fill(qint64 leave) {
        struct statvfs s {};
        ASSERT_EQ(::statvfs(QFile::encodeName(mount).constData(), &s), 0);
        const qint64 free = qint64(s.f_bavail) * qint64(s.f_frsize);
        testenv::writeFile(mount + QStringLiteral("/filler"), QByteArray(std::max<qint64>(0, free - leave), 'f'));
    }
    QString mount;
    bool mounted = false;
};

}  // namespace

TEST_F(FillingMedium, FullFromTheStartOrDuringTheFinishingNothingOldIsLost) {
    // An older archive of the profile, and today's archive from an earlier
    // run that this run appends to.
    const QString older = dest + QStringLiteral("/P_BackUp_d20000101.zip.cry");
    testenv::writeFile(older, QByteArray("an archive of long ago"));
    f().chkAppendArchive->setValue(1);
    f().chkEncrypt->setValue(1);
    f().txtEncryptPassword->setText(QStringLiteral("secret"));
    f().txtMaxZIPsize->setText(QStringLiteral("3"));
    WriteSource(QStringLiteral("first.bin"), Incompressible(200 * 1024, 1));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    Run();
    const QString today = dest + QLatin1Char('/') + TodaysName() + QStringLiteral(".cry");
    ASSERT_TRUE(QFileInfo::exists(today));
    {
        // It is an archive: decrypted, it passes unzip -t.
        clsBlowfish bf;
        const QString plain = temp + QStringLiteral("/check.zip");
        ASSERT_TRUE(bf.DecryptFile(Win(today), Win(plain), true, QStringLiteral("T6:w_secretKd/4%"), false));
        EXPECT_TRUE(UnzipTestPasses(plain));
        QFile::remove(plain);
    }
    const QByteArray todayBefore = testenv::readFile(today);
    const QByteArray logBefore = testenv::readFile(today + QStringLiteral(".log"));
    WriteSource(QStringLiteral("second.bin"), Incompressible(1200 * 1024, 2));

    for (bool duringTheFinishing : {false, true}) {
        SCOPED_TRACE(duringTheFinishing ? "fills while the archive is encrypted" : "full from the start");
        SetEndHookForTest([] {});
        platform::Dialogs::reset();
        platform::Dialogs::scriptAnswers({});  // nobody answers: the unattended case
        QTimer filler;
        if (duringTheFinishing) {
            Fill(3584 * 1024);  // room for the archive when the run measures it
            filler.setInterval(0);
            QObject::connect(&filler, &QTimer::timeout, [&] {
                if (!f().ProgressBar3->isHidden()) {
                    filler.stop();
                    Fill(64 * 1024);
                }
            });
            filler.start();
        } else {
            Fill(64 * 1024);
        }

        Run();
        filler.stop();

        EXPECT_TRUE(ProgramEnded());  // at the new-medium prompt, which nobody answered
        if (!duringTheFinishing) {
            // The run saw the full medium before it wrote to it.
            EXPECT_FALSE(ErrorLog().contains(QStringLiteral("Disk full"))) << ErrorLog().toStdString();
        }
        const auto& shown = platform::Dialogs::shown();
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_TRUE(shown.first().prompt.startsWith(LangText(124)));
        EXPECT_EQ(testenv::readFile(today), todayBefore);  // the archive appended to is whole
        EXPECT_EQ(testenv::readFile(today + QStringLiteral(".log")), logBefore);
        EXPECT_EQ(testenv::readFile(older), QByteArray("an archive of long ago"));
        // Nothing partial beside them, under any name.
        EXPECT_EQ(FilesIn(dest).join(QLatin1Char(',')).toStdString(),
                  QStringList({QFileInfo(older).fileName(), QFileInfo(today).fileName(),
                               QFileInfo(today).fileName() + QStringLiteral(".log")})
                      .join(QLatin1Char(','))
                      .toStdString());
        QFile::remove(mount + QStringLiteral("/filler"));
    }
}
