// SPDX-License-Identifier: GPL-3.0-or-later
// ZIP runs end to end inside the process: the archive and its log at the
// destination, read with independent readers.
#include <cmath>

#include <QTimer>

#include "ZipRunFixture.h"
#include "crypto/clsBlowfish.h"
#include "common/NRV_File_Dir.h"
#include "platform/FileSystem.h"
#include "settings/FilterMasks.h"
#include "settings/LoadSettings.h"
#include "settings/SaveSettings.h"
#include "settings/SettingsKeys.h"

#include <utime.h>

using namespace ziprun;

namespace {

// The log line of a stored file, worked out here on its own.
QString ExpectedLine(const QString& winPath, qint64 u, qint64 c) {
    const int saving = u == 0 ? 0 : int(std::nearbyint((1.0 - double(c) / double(u)) * 100.0));
    const QString pct = (saving < 0 ? QStringLiteral("-") : QString()) +
                        QStringLiteral("%1").arg(std::abs(saving), 2, 10, QLatin1Char('0'));
    return winPath.leftJustified(66, QLatin1Char(' ')) + QString::number(u).leftJustified(11, QLatin1Char(' ')) +
           QStringLiteral("--> ") + QString::number(c).leftJustified(11, QLatin1Char(' ')) + pct +
           QStringLiteral(" %");
}

// The Windows path stored for an archive entry ("tmp/x/a.txt" -> "Z:\tmp\x\a.txt").
QString EntryPathOf(const QString& hostPath) { return Win(hostPath); }

class ZipRun : public ZipRunTest {};

TEST_F(ZipRun, FolderDestinationWithLogAndCleanTemp) {
    const QString a = WriteSource(QStringLiteral("a.txt"), QByteArray("alpha line\r\n").repeated(800));
    const QString empty = WriteSource(QStringLiteral("empty.dat"), QByteArray());
    WriteSource(QStringLiteral(".hidden"), QByteArray("not taken"));
    const QString b = WriteSource(QStringLiteral("sub/b.bin"), Incompressible(5000, 1));
    const QString single = WriteSource(QStringLiteral("other/single.txt"), QByteArray("just one file"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    AddSource(Win(src) + QStringLiteral("\\sub\\*.*"));
    AddSource(Win(single));
    AddSource(QStringLiteral("** automatically add new subdirectories to ") + Win(src));
    f().List1->AddItem(Win(src) + QStringLiteral("\\other\\*.*"));  // not ticked

    Run();

    const QString archive = dest + QLatin1Char('/') + TodaysName(1);
    EXPECT_EQ(FilesIn(dest), QStringList({TodaysName(1), TodaysName(1) + QStringLiteral(".log")}));
    EXPECT_TRUE(UnzipTestPasses(archive));
    const ZipListing z = ReadWithPython(archive);
    ASSERT_TRUE(z.readable);
    EXPECT_EQ(z.comment, archive_naming::Comment());
    ASSERT_EQ(z.entries.size(), 4);
    EXPECT_EQ(z.find(QStringLiteral("/a.txt"))->data, testenv::readFile(a));
    EXPECT_EQ(z.find(QStringLiteral("/empty.dat"))->size, 0);
    EXPECT_EQ(z.find(QStringLiteral("/sub/b.bin"))->data, testenv::readFile(b));
    EXPECT_EQ(z.find(QStringLiteral("/other/single.txt"))->data, testenv::readFile(single));
    EXPECT_EQ(z.find(QStringLiteral(".hidden")), nullptr);

    // one line per stored file, in the archive's order
    const QStringList lines = LogLines(archive + QStringLiteral(".log"));
    ASSERT_EQ(lines.size(), z.entries.size());
    for (int i = 0; i < lines.size(); ++i) {
        const ZipEntry& e = z.entries[i];
        const QString host = QStringLiteral("/") + e.name;
        EXPECT_EQ(lines[i], ExpectedLine(EntryPathOf(host), e.size, e.compressed)) << i;
    }

    EXPECT_TRUE(TempIsClean());
    EXPECT_TRUE(f().txtNews->Text().startsWith(LangText(121) + QStringLiteral(" - ")));
    EXPECT_EQ(f().RtbNews1->Text(), f().txtNews->Text());
    EXPECT_EQ(f().txtTotalFiles->Text(), QStringLiteral("4"));
    EXPECT_EQ(platform::GetAttr(Win(a)) & platform::vbArchive, 0);
    EXPECT_TRUE(f().tbTools->Buttons(3).Enabled());
    EXPECT_FALSE(f().tbTools->Buttons(4).Enabled());
    EXPECT_EQ(ErrorLog().toStdString(), "");
}

TEST_F(ZipRun, NothingToBackUpLeavesTheDestinationEmpty) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
    f().List1->AddItem(Win(src) + QStringLiteral("\\*.*"));  // not ticked
    Run();
    EXPECT_TRUE(FilesIn(dest).isEmpty());
    EXPECT_TRUE(TempIsClean());
}

TEST_F(ZipRun, EncryptedArchiveDecryptsWithTheProfilePassword) {
    const QString a = WriteSource(QStringLiteral("a.txt"), QByteArray("secret text ").repeated(300));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().chkEncrypt->setValue(1);
    f().txtEncryptPassword->setText(QStringLiteral("pass word"));

    Run();

    const QString cry = TodaysName(1) + QStringLiteral(".cry");
    EXPECT_EQ(FilesIn(dest), QStringList({cry, cry + QStringLiteral(".log")}));
    const QString plain = testenv::tempDir(QStringLiteral("plain")) + QStringLiteral("/a.zip");
    clsBlowfish cipher;
    ASSERT_TRUE(cipher.DecryptFile(Win(dest + QLatin1Char('/') + cry), Win(plain), true,
                                   QStringLiteral("T6:w_pass wordKd/4%")));
    EXPECT_TRUE(UnzipTestPasses(plain));
    const ZipListing z = ReadWithPython(plain);
    ASSERT_TRUE(z.readable);
    ASSERT_EQ(z.entries.size(), 1);
    EXPECT_EQ(z.entries[0].data, testenv::readFile(a));
    EXPECT_EQ(LogLines(dest + QLatin1Char('/') + cry + QStringLiteral(".log")).size(), 1);
    EXPECT_TRUE(TempIsClean());
    EXPECT_EQ(f().ProgressBar3->isHidden(), true);
    EXPECT_EQ(ErrorLog().toStdString(), "");
}

TEST_F(ZipRun, AppendingExtendsTheArchiveAtTheDestination) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("first a"));
    const QString b = WriteSource(QStringLiteral("b.txt"), QByteArray("first b"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().chkAppendArchive->setValue(1);
    Run();
    const QString archive = dest + QLatin1Char('/') + TodaysName();
    ASSERT_EQ(FilesIn(dest), QStringList({TodaysName(), TodaysName() + QStringLiteral(".log")}));
    ASSERT_EQ(ReadWithPython(archive).entries.size(), 2);

    testenv::writeFile(b, QByteArray("second b, longer"));
    const QString c = WriteSource(QStringLiteral("c.txt"), QByteArray("new c"));
    Run();

    EXPECT_EQ(FilesIn(dest), QStringList({TodaysName(), TodaysName() + QStringLiteral(".log")}));
    EXPECT_TRUE(UnzipTestPasses(archive));
    const ZipListing z = ReadWithPython(archive);
    ASSERT_TRUE(z.readable);
    ASSERT_EQ(z.entries.size(), 3);  // b replaced, c added
    // The counters: the files this run took, and the entries the archive
    // holds (the two it replaced are not counted twice).
    EXPECT_EQ(f().txtTotalFiles->Text(), "3");
    EXPECT_EQ(f().txtAnzFiles->Text(), QString::number(z.entries.size()));
    EXPECT_EQ(z.find(QStringLiteral("/b.txt"))->data, QByteArray("second b, longer"));
    EXPECT_EQ(z.find(QStringLiteral("/c.txt"))->data, testenv::readFile(c));
    EXPECT_EQ(LogLines(archive + QStringLiteral(".log")).size(), 2 + 3);
    EXPECT_TRUE(TempIsClean());
    EXPECT_EQ(ErrorLog().toStdString(), "");
}

TEST_F(ZipRun, WithoutAppendingEachRunWritesTheNextVolume) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    Run();
    Run();
    EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")), QStringList({TodaysName(1), TodaysName(2)}));
}

TEST_F(ZipRun, VolumesByFileCount) {
    struct {
        const char* limit;
        int files;
        QList<int> perVolume;
    } const cases[] = {
        {"2", 5, {2, 2, 1}},
        {"0", 3, {1, 1, 1}},  // a limit below 1 still puts one file into each volume
    };
    for (const auto& c : cases) {
        SetUp();
        for (int i = 0; i < c.files; ++i)
            WriteSource(QStringLiteral("f%1.txt").arg(i), QByteArray("file ") + QByteArray::number(i));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        f().chkMaxFiles->setValue(1);
        f().txtMaxFiles->setText(QString::fromLatin1(c.limit));
        Run();
        QStringList expected;
        for (int v = 1; v <= c.perVolume.size(); ++v)
            expected << TodaysName(v) << TodaysName(v) + QStringLiteral(".log");
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(FilesIn(dest), expected) << c.limit;
        for (int v = 1; v <= c.perVolume.size(); ++v) {
            const QString archive = dest + QLatin1Char('/') + TodaysName(v);
            EXPECT_TRUE(UnzipTestPasses(archive));
            EXPECT_EQ(ReadWithPython(archive).entries.size(), c.perVolume[v - 1]) << c.limit << " volume " << v;
            EXPECT_EQ(LogLines(archive + QStringLiteral(".log")).size(), c.perVolume[v - 1]);
        }
        EXPECT_TRUE(TempIsClean());
    }
}

TEST_F(ZipRun, VolumesBySizeSkipTooLargeFilesAndPlaceTightOnesAlone) {
    // 0.05 Mb = 52428.8 bytes per volume; one folder per file keeps the order.
    const struct {
        const char* name;
        int bytes;
    } files[] = {{"r1", 20000}, {"r2", 20000}, {"r3", 20000}, {"big", 60000}, {"edge", 52400}, {"r4", 20000}};
    quint32 seed = 10;
    for (const auto& fl : files) {
        const QString host = WriteSource(QString::fromLatin1(fl.name) + QStringLiteral("/") +
                                             QString::fromLatin1(fl.name) + QStringLiteral(".bin"),
                                         Incompressible(fl.bytes, seed++));
        AddSource(Win(QFileInfo(host).absolutePath()) + QStringLiteral("\\*.*"));
    }
    f().chkMaxZIPsize->setValue(1);
    f().txtMaxZIPsize->setText(QStringLiteral("0.05"));

    Run();

    const QList<QStringList> volumes = {{"r1.bin", "r2.bin"}, {"r3.bin"}, {"edge.bin"}, {"r4.bin"}};
    ASSERT_EQ(FilesIn(dest, QStringLiteral("*.zip")).size(), volumes.size());
    for (int v = 1; v <= volumes.size(); ++v) {
        const QString archive = dest + QLatin1Char('/') + TodaysName(v);
        EXPECT_TRUE(UnzipTestPasses(archive)) << v;
        const ZipListing z = ReadWithPython(archive);
        QStringList names;
        for (const ZipEntry& e : z.entries)
            names << QFileInfo(e.name).fileName();
        EXPECT_EQ(names, volumes[v - 1]) << v;
    }
    const QStringList second = LogLines(dest + QLatin1Char('/') + TodaysName(2) + QStringLiteral(".log"));
    ASSERT_EQ(second.size(), 2);
    EXPECT_TRUE(second[1].startsWith(Win(src) + QStringLiteral("\\big\\big.bin ")));
    EXPECT_TRUE(second[1].endsWith(QStringLiteral(" to large - file was skipped")));
    EXPECT_EQ(second[1].size(), 66 + 27);
    // The skipped file is not backed up: the error log names it, and only it.
    const QStringList errors = ErrorLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 1) << ErrorLog().toStdString();
    EXPECT_TRUE(errors[0].endsWith(Win(src) + QStringLiteral("\\big\\big.bin"))) << errors[0].toStdString();
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
}

TEST_F(ZipRun, StopEndsTheRunBetweenFiles) {
    for (int i = 0; i < 5; ++i)
        WriteSource(QStringLiteral("f%1.txt").arg(i), QByteArray("file ") + QByteArray::number(i));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    QObject::connect(f().txtTotalFiles, &ui::VbTextBox::Change, f().txtTotalFiles, [this] {
        if (f().txtTotalFiles->Text() == QStringLiteral("2"))
            f().cmdCancelBackUp_Click();
    });

    Run();

    EXPECT_EQ(f().txtTotalFiles->Text(), QStringLiteral("2"));  // the file at work was finished
    EXPECT_EQ(f().txtNews->Text(), LangText(120));
    EXPECT_EQ(f().RtbNews1->Text(), LangText(120));
    EXPECT_EQ(ErrorLog().toStdString(), "");
    EXPECT_TRUE(FilesIn(dest).isEmpty());  // a cancelled run delivers nothing
    EXPECT_TRUE(TempIsClean());
}

// After a Stop the archive box names the last volume that reached the
// destination, not the unfinished one the run was filling.
TEST_F(ZipRun, AfterStopTheArchiveBoxNamesTheLastVolumeDelivered) {
    const struct {
        const char* stopAt;  // files counted when Stop comes
        int delivered;       // volumes at the destination afterwards
    } cases[] = {{"1", 0}, {"3", 1}, {"5", 2}};
    for (const auto& c : cases) {
        SetUp();
        for (int i = 0; i < 6; ++i)
            WriteSource(QStringLiteral("f%1.txt").arg(i), QByteArray("file ") + QByteArray::number(i));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        f().chkMaxFiles->setValue(1);
        f().txtMaxFiles->setText(QStringLiteral("2"));
        const QString stopAt = QString::fromLatin1(c.stopAt);
        QObject::connect(f().txtTotalFiles, &ui::VbTextBox::Change, f().txtTotalFiles, [this, stopAt] {
            if (f().txtTotalFiles->Text() == stopAt)
                f().cmdCancelBackUp_Click();
        });
        Run();
        EXPECT_EQ(f().txtNews->Text(), LangText(120)) << c.stopAt;
        EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")).size(), c.delivered) << c.stopAt;
        const QString shown = c.delivered == 0 ? QString() : Win(dest) + QStringLiteral("\\") + TodaysName(c.delivered);
        EXPECT_EQ(f().txtZipArchive->Text().toStdString(), shown.toStdString()) << c.stopAt;
    }
}

TEST_F(ZipRun, ArchivesNamedByWeekAndMonthWithTheClockSet) {
    vb::SetClockForTest(QDateTime(QDate::currentDate(), QTime(12, 0)));
    WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    const QDate today = vb::Date();
    for (int period : {archive_naming::Weekly, archive_naming::Monthly}) {
        f().optArchive(period)->setValue(true);
        Run();
        const QString name =
            archive_naming::VolumeName(archive_naming::BaseName(QStringLiteral("P"), period, today), 1);
        EXPECT_TRUE(QFileInfo::exists(dest + QLatin1Char('/') + name)) << name.toStdString();
    }
}

// An archive file at the destination, last changed long ago.
void WriteOldFile(const QString& path, const QByteArray& data) {
    testenv::writeFile(path, data);
    struct utimbuf longAgo {946684800, 946684800};  // 2000-01-01
    ::utime(QFile::encodeName(path).constData(), &longAgo);
}

TEST_F(ZipRun, OldArchivesGoOnlyAfterTheNewOnesArrived) {
    // Archives of this profile and kind from long ago, one of another
    // profile; a day count of 1 takes every archive of the kind but today's.
    const QStringList old = {QStringLiteral("P_BackUp_d20000101.zip"), QStringLiteral("P_BackUp_d20000101.zip.log"),
                             QStringLiteral("P_BackUp_d20000102__1.zip.cry")};
    for (const QString& n : old)
        WriteOldFile(dest + QLatin1Char('/') + n, QByteArray("old"));
    WriteOldFile(dest + QStringLiteral("/Q_BackUp_d20000101.zip"), QByteArray("other profile"));
    for (int i = 0; i < 3; ++i)
        WriteSource(QStringLiteral("f%1.txt").arg(i), QByteArray("file ") + QByteArray::number(i));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().chkDeleteArchive->setValue(1);
    f().txtDeleteArchive->setText(QStringLiteral("1"));
    f().chkMaxFiles->setValue(1);
    f().txtMaxFiles->setText(QStringLiteral("1"));

    Run();

    QStringList expected = {QStringLiteral("Q_BackUp_d20000101.zip")};
    for (int v = 1; v <= 3; ++v)
        expected << TodaysName(v) << TodaysName(v) + QStringLiteral(".log");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(dest), expected);  // this run's volumes all stay
}

// A count of days below 1 stored in a profile (written before the box was
// cleaned, or by hand) never means "every earlier archive": nothing is
// deleted and the error log says why. A negative count is taken as the box
// cleans it.
TEST_F(ZipRun, AStoredDayCountBelowOneDeletesNoArchive) {
    const struct {
        const char* stored;
        bool oldGone;
    } cases[] = {{"0", false}, {"abc", false}, {"-5", true}, {"0.5", false}, {"30", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SetUp();
        const QString old = dest + QStringLiteral("/P_BackUp_d20000101.zip");
        const QString recent = dest + QStringLiteral("/P_BackUp_d20000102.zip");
        WriteOldFile(old, QByteArray("old"));
        testenv::writeFile(recent, QByteArray("changed today"));
        WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        f().chkDeleteArchive->setValue(1);
        Save_Settings();
        settings::WriteProfile(QStringLiteral("txtDeleteArchive"), QString::fromLatin1(c.stored));
        Load_Settings();
        QFile::remove(ErrorLogFile());

        Run();

        EXPECT_EQ(QFile::exists(old), !c.oldGone);
        EXPECT_TRUE(QFile::exists(recent));
        EXPECT_TRUE(QFile::exists(dest + QLatin1Char('/') + TodaysName(1)));
        EXPECT_EQ(ErrorLog().contains(QStringLiteral("no archive was deleted")), !c.oldGone) << ErrorLog().toStdString();
    }
}

TEST_F(ZipRun, UnreadableFilesAreLoggedAsLockedAndChangedOnesAreStoredAsRead) {
    // /proc/self/mem cannot be read from its start; /proc/self/status has a
    // length of 0 but gives text when read.
    AddSource(QStringLiteral("Z:\\proc\\self\\mem"));
    AddSource(QStringLiteral("Z:\\proc\\self\\status"));
    QFile::remove(testenv::commonDir() + QStringLiteral("/error.log"));

    Run();

    const QString archive = dest + QLatin1Char('/') + TodaysName(1);
    const ZipListing z = ReadWithPython(archive);
    ASSERT_TRUE(z.readable);
    ASSERT_EQ(z.entries.size(), 1);
    EXPECT_GT(z.entries[0].size, 0);
    const QStringList lines = LogLines(archive + QStringLiteral(".log"));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Z:\\proc\\self\\mem").leftJustified(66) + QStringLiteral("File locked - skipped backup"));
    EXPECT_EQ(lines[1], ExpectedLine(QStringLiteral("Z:\\proc\\self\\status"), z.entries[0].size,
                                     z.entries[0].compressed));
    const QString errors = QString::fromUtf8(testenv::readFile(testenv::commonDir() + QStringLiteral("/error.log")));
    EXPECT_TRUE(errors.contains(QStringLiteral("Z:\\proc\\self\\status"))) << errors.toStdString();
}

}  // namespace

namespace {

TEST_F(ZipRun, AnArchiveThatCannotBeContinuedIsLeftAndTheNextVolumeTakesTheFiles) {
    struct {
        bool encrypted;
        int message;  // the text that opens the message box
    } const cases[] = {{false, 107}, {true, 302}};
    for (const auto& c : cases) {
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        f().chkAppendArchive->setValue(1);
        const QString suffix = c.encrypted ? QStringLiteral(".cry") : QString();
        const QString existing = dest + QLatin1Char('/') + TodaysName() + suffix;
        if (c.encrypted) {
            // an archive of another password
            f().chkEncrypt->setValue(1);
            f().txtEncryptPassword->setText(QStringLiteral("one"));
            Run();
            ASSERT_TRUE(QFileInfo::exists(existing));
            f().txtEncryptPassword->setText(QStringLiteral("two"));
        } else {
            testenv::writeFile(existing, QByteArray("this is no zip archive"));
        }
        const QByteArray before = testenv::readFile(existing);
        platform::Dialogs::scriptAnswers({});

        Run();

        EXPECT_EQ(testenv::readFile(existing), before) << c.message;
        EXPECT_TRUE(QFileInfo::exists(dest + QLatin1Char('/') + TodaysName(1) + suffix)) << c.message;
        ASSERT_FALSE(platform::Dialogs::shown().isEmpty());
        EXPECT_TRUE(platform::Dialogs::shown().first().prompt.startsWith(LangText(c.message))) << c.message;
        EXPECT_TRUE(TempIsClean());
    }
}

TEST_F(ZipRun, AnErrorInTheClosingPhaseIsLoggedOnceAndTheRunStillEnds) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().lblNumberOfBackups->setCaption(QStringLiteral("not a number"));  // the statistics update fails

    Run();

    EXPECT_EQ(ErrorLog().count(QStringLiteral("cmdBackUpNow")), 1) << ErrorLog().toStdString();
    EXPECT_TRUE(f().tbTools->Buttons(3).Enabled());
    EXPECT_TRUE(f().SSTab1->isEnabled());
    EXPECT_TRUE(f().txtNews->Text().startsWith(LangText(121)));
    EXPECT_TRUE(QFileInfo::exists(dest + QLatin1Char('/') + TodaysName(1)));
}

}  // namespace

namespace {

TEST_F(ZipRun, UnattendedRunEndsTheProgramAfterItsCleanUp) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().txtNews->setText(QStringLiteral("before"));
    RunMode = true;
    Run();
    RunMode = false;

    EXPECT_TRUE(ProgramEnded());
    EXPECT_TRUE(QFileInfo::exists(dest + QLatin1Char('/') + TodaysName(1)));
    EXPECT_TRUE(TempIsClean());
    EXPECT_EQ(f().txtNews->Text(), LangText(140));  // the clean-up was the last thing shown
}

}  // namespace

namespace {

TEST_F(ZipRun, ArchiveFlagsAreClearedOnlyOnceTheVolumeIsDelivered) {
    QStringList files;
    for (int i = 0; i < 3; ++i)
        files << WriteSource(QStringLiteral("f%1.txt").arg(i), QByteArray("file ") + QByteArray::number(i));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    auto flagged = [&] {
        QStringList names;
        for (const QString& host : files)
            if (platform::GetAttr(Win(host)) & platform::vbArchive)
                names << QFileInfo(host).fileName();
        return names;
    };
    auto stopAt = [&](const char* count) {
        return QObject::connect(f().txtTotalFiles, &ui::VbTextBox::Change, f().txtTotalFiles, [this, count] {
            if (f().txtTotalFiles->Text() == QLatin1String(count))
                f().cmdCancelBackUp_Click();
        });
    };

    // a stopped run delivers nothing, so every file is still to be backed up
    const QMetaObject::Connection stop = stopAt("2");
    Run();
    QObject::disconnect(stop);
    EXPECT_EQ(flagged().size(), 3);

    Run();
    EXPECT_TRUE(flagged().isEmpty());

    // new files only: the changed one
    testenv::writeFile(files[1], QByteArray("changed, and longer"));
    f().optNewOnly->setValue(true);
    Run();
    const ZipListing z = ReadWithPython(dest + QLatin1Char('/') + TodaysName(2));
    ASSERT_EQ(z.entries.size(), 1);
    EXPECT_TRUE(z.entries[0].name.endsWith(QStringLiteral("/f1.txt")));
    EXPECT_TRUE(flagged().isEmpty());
}

}  // namespace

namespace {

// Stop while a large file is being stored: the window answers during the
// file, and the run ends once that file is in.
TEST_F(ZipRun, StopDuringALargeFileIsAnsweredAtOnce) {
    const QString big = WriteSource(QStringLiteral("big.bin"), Incompressible(24 << 20, 7));
    AddSource(Win(big));
    QString statusAtStop;
    QString takenAtStop;
    QObject::connect(f().txtNews, &ui::VbTextBox::Change, f().txtNews, [&] {
        if (f().txtNews->Text() != LangText(146) || !statusAtStop.isNull())
            return;
        statusAtStop = QStringLiteral("");
        QTimer::singleShot(0, f().txtNews, [&] {
            takenAtStop = f().txtTotalFiles->Text();
            f().cmdCancelBackUp_Click();
            statusAtStop = f().txtNews->Text();
        });
    });

    Run();

    EXPECT_EQ(takenAtStop, "0") << "Stop was seen while the file was stored";
    EXPECT_EQ(statusAtStop, LangText(332));
    EXPECT_EQ(f().txtTotalFiles->Text(), "1");  // the file at work was finished
    EXPECT_EQ(f().txtNews->Text(), LangText(120));
    EXPECT_TRUE(FilesIn(dest).isEmpty());
}

// A run that stored nothing says why: the filters, or files unchanged since
// the last run of new files only (their marks are shared by all profiles).
TEST_F(ZipRun, ARunThatStoresNothingSaysWhy) {
    WriteSource(QStringLiteral("song.wav"), QByteArray("la la"));
    WriteSource(QStringLiteral("old.zip"), QByteArray("PK"));
    WriteSource(QStringLiteral("a.txt"), QByteArray("a"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    auto note = [](int filtered, int unchanged) {
        return LangText(333)
            .replace(QLatin1String("%1"), QString::number(filtered))
            .replace(QLatin1String("%2"), QString::number(unchanged));
    };

    // The first run stores a.txt only: no note.
    f().txtExclusions->setText(QStringLiteral("*.wav;*.zip"));
    load_backup_exclusions();
    Run();
    EXPECT_EQ(f().txtTotalFiles->Text(), "1");
    EXPECT_FALSE(f().RtbNews1->Text().contains(note(2, 0)));
    EXPECT_TRUE(f().RtbNews1->Text().startsWith(LangText(121)));

    // New files only, nothing changed: all left out, and the log says how.
    f().optNewOnly->setValue(true);
    Run();
    EXPECT_EQ(f().txtTotalFiles->Text(), "0");
    EXPECT_TRUE(f().RtbNews1->Text().startsWith(note(2, 1) + "\r\n" + LangText(121)))
        << f().RtbNews1->Text().toStdString();
}

}  // namespace
