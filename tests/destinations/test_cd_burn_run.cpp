// SPDX-License-Identifier: GPL-3.0-or-later
// ZIP runs whose destination is the CD recorder, written by libisoburn to a
// "stdio:" disc image file and read back with xorriso.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <iostream>
#include <vector>

#include "FastClock.h"
#include "ShownTexts.h"
#include "run/ZipRunFixture.h"
#include "support/SmallMount.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/ArchiveFlag.h"
#include "platform/CDWriterXP.h"
#include "settings/SaveSettings.h"

using namespace ziprun;

namespace {

struct Xorriso {
    bool ran = false;
    QString out;
};

Xorriso RunXorriso(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("xorriso"), args);
    Xorriso r;
    r.ran = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    r.out = QString::fromLocal8Bit(p.readAll());
    return r;
}

// The sessions xorriso finds on the disc image.
int Sessions(const QString& iso) {
    const Xorriso x = RunXorriso({QStringLiteral("-indev"), iso, QStringLiteral("-toc")});
    return x.ran ? int(x.out.count(QRegularExpression(QStringLiteral("(?m)^ISO session")))) : -1;
}

// The files of the disc's newest session, extracted by xorriso.
QMap<QString, QByteArray> NewestTree(const QString& iso, const QString& into) {
    const Xorriso x = RunXorriso({QStringLiteral("-osirrox"), QStringLiteral("on"), QStringLiteral("-indev"), iso,
                                  QStringLiteral("-extract"), QStringLiteral("/"), into});
    EXPECT_TRUE(x.ran) << x.out.toStdString();
    return testenv::treeContents(into);
}

bool HaveXorriso() { return RunXorriso({QStringLiteral("-version")}).ran; }

}  // namespace

class CdBurnRun : public ZipRunTest {
protected:
    void SetUp() override {
        if (!HaveXorriso())
            GTEST_SKIP() << "xorriso is not installed";
        disc = testenv::tempDir(QStringLiteral("disc"));
        iso = disc + QStringLiteral("/backup-disc.iso");
    }
    void TearDown() override {
        if (form)
            ZipRunTest::TearDown();
        qunsetenv("VAULTORA_CD_DRIVES");
    }
    // The window, with the image file as its recorder; capacity "" is the
    // file system's free space.
    void Start(const QString& capacity = {}) {
        qputenv("VAULTORA_CD_DRIVES", ("stdio:" + iso + capacity).toLocal8Bit());
        ZipRunTest::SetUp();
        f().txtPathBackUp->setText(QStringLiteral("C:\\nowhere"));
        f().chkUseCDRecorder->setValue(1);
        ASSERT_EQ(f().chkUseCDRecorder->Value(), 1);
        const int last = f().cboDevices->ListCount() - 1;
        ASSERT_GE(last, 0);
        f().cboDevices->setListIndex(last);
        ASSERT_TRUE(f().cboDevices->Text().endsWith(": Image file " + Win(iso))) << f().cboDevices->Text().toStdString();
    }
    void RunOn(const QDate& day) {
        const FastClock clock(day);
        Run();
    }
    QString disc, iso;
};

TEST_F(CdBurnRun, TwoRunsMakeTwoSessionsThatHoldBothArchives) {
    Start();
    WriteSource("a.txt", "first file");
    WriteSource("sub/b.bin", Incompressible(70000, 1));
    AddSource(Win(src) + "\\*.*");
    AddSource(Win(src) + "\\sub\\*.*");
    const QDate today = QDate::currentDate();

    RunOn(today);
    ASSERT_EQ(ErrorLog().toStdString(), "");
    ASSERT_TRUE(QFileInfo::exists(iso));
    EXPECT_EQ(Sessions(iso), 1);
    EXPECT_FALSE(CdWriting);
    const QString base = archive_naming::BaseName("P", archive_naming::Daily, today);
    const QString name1 = archive_naming::VolumeName(base, 1);
    const QMap<QString, QByteArray> first = NewestTree(iso, testenv::tempDir("x1"));
    ASSERT_TRUE(first.contains(name1)) << first.keys().join(",").toStdString();
    EXPECT_TRUE(first.contains(name1 + ".log"));
    EXPECT_TRUE(TempIsClean());

    // The status panel reads the written disc.
    f().SetStatusCDR();
    EXPECT_EQ(f().lblDriveInfo(4)->Caption(), LangText(5));
    EXPECT_EQ(f().lblDriveInfo(6)->Caption(), "Disc Open");
    EXPECT_EQ(f().lblDriveInfo(8)->Caption(), "1");
    EXPECT_EQ(f().lblDriveInfo(10)->Caption(), today.toString("yyyy-MM-dd"));

    // The next run finds the disc appendable, imports its session and adds a
    // second one; its archive is numbered after the one on the disc, so
    // neither hides the other.
    WriteSource("c.txt", "added on the second day");
    RunOn(today);
    ASSERT_EQ(ErrorLog().toStdString(), "");
    EXPECT_EQ(Sessions(iso), 2);
    const QString name2 = archive_naming::VolumeName(base, 2);
    const QString out2 = testenv::tempDir("x2");
    const QMap<QString, QByteArray> second = NewestTree(iso, out2);
    ASSERT_TRUE(second.contains(name1));
    ASSERT_TRUE(second.contains(name2));
    EXPECT_EQ(second.value(name1), first.value(name1));   // the first archive, byte for byte
    EXPECT_TRUE(UnzipTestPasses(out2 + "/" + name1));
    const ZipListing z = ReadWithPython(out2 + "/" + name2);
    ASSERT_TRUE(z.readable);
    ASSERT_NE(z.find("c.txt"), nullptr);
    EXPECT_EQ(z.find("c.txt")->data, QByteArray("added on the second day"));
    ASSERT_NE(z.find("b.bin"), nullptr);
    EXPECT_EQ(z.find("b.bin")->data, Incompressible(70000, 1));
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

namespace {

// The error-log lines that hold `text`.
QStringList LinesWith(const QString& log, const QString& text) {
    QStringList out;
    for (const QString& line : log.split(QLatin1Char('\n')))
        if (line.contains(text))
            out << line;
    return out;
}

}  // namespace

// A blank disc with room takes the archive: the size asked of libisofs is
// the session's own, not a fixed allowance.
TEST_F(CdBurnRun, AnArchiveFitsABlankDiscWithRoomForIt) {
    Start("@1200K");
    f().txtMaxZIPsize->setText("1");
    WriteSource("big.bin", Incompressible(700 * 1024, 2));
    AddSource(Win(src) + "\\*.*");
    RunOn(QDate::currentDate());
    ASSERT_EQ(ErrorLog().toStdString(), "");
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Complete);
    EXPECT_EQ(Sessions(iso), 1);
    const QString out = testenv::tempDir("x");
    const QMap<QString, QByteArray> tree = NewestTree(iso, out);
    ASSERT_TRUE(tree.contains(TodaysName(1))) << tree.keys().join(",").toStdString();
    EXPECT_EQ(ReadWithPython(out + "/" + TodaysName(1)).find("big.bin")->data, Incompressible(700 * 1024, 2));
    // The image file the program made is its owner's only, like its archives.
    EXPECT_EQ(QFileInfo(iso).permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
              QFile::Permissions());
    EXPECT_TRUE(ShownTexts().isEmpty()) << ShownTexts().join("|").toStdString();
}

// A delivery to the disc that does not happen fails the run: one error-log
// line names the archive and why, the working archive stays in the
// temporary folder, and the files keep their archive flags, so that the
// next run onto a good disc backs them up.
TEST_F(CdBurnRun, AnArchiveTheDiscDoesNotGetIsReportedAndBackedUpNextTime) {
    enum Drive { DevFull, MissingFolder, FullDisc, FullFileSystem };
    struct Case {
        const char* name;
        Drive drive;
        bool archiveNamed;   // else the recorder: the run ends before an archive is finished
        const char* why;     // in that error-log line
        const char* shown;   // a message shown ("" none)
    } const cases[] = {
        {"a drive that cannot be written", DevFull, true, "The disc write failed: ", ""},
        {"an image folder that is missing", MissingFolder, false, "cannot be created: the folder",
         "cannot be created: the folder"},
        {"a disc without room, and no new disc", FullDisc, true, "The disc has no room for it", ""},
        {"a file system without room", FullFileSystem, true, "The disc has no room for it", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (form)
            ZipRunTest::TearDown();
        disc = testenv::tempDir(QStringLiteral("disc"));
        iso = disc + QStringLiteral("/backup-disc.iso");
        std::unique_ptr<testenv::SmallMount> mount;
        QString capacity;
        switch (c.drive) {
        case DevFull: iso = QStringLiteral("/dev/full"); break;
        case MissingFolder: iso = disc + QStringLiteral("/gone/backup-disc.iso"); break;
        case FullDisc: capacity = QStringLiteral("@790K"); break;   // the archive, not its session
        case FullFileSystem:
            mount = std::make_unique<testenv::SmallMount>(disc, "size=768k");
            if (!mount->ok()) {
                std::cout << "tmpfs cannot be mounted here: the row is left out\n";
                continue;
            }
            break;
        }
        qputenv("VAULTORA_CD_DRIVES", ("stdio:" + iso + capacity).toLocal8Bit());
        ZipRunTest::SetUp();
        f().chkUseCDRecorder->setValue(1);
        f().cboDevices->setListIndex(f().cboDevices->ListCount() - 1);
        ASSERT_TRUE(f().cboDevices->Text().endsWith(Win(iso)));
        f().optNewOnly->setValue(true);
        f().txtMaxZIPsize->setText("1");   // a volume as large as the disc's room
        const QString file = WriteSource("big.bin", Incompressible(700 * 1024, 7));
        AddSource(Win(src) + "\\*.*");
        platform::Dialogs::scriptAnswers({});   // every box its default: Cancel for a new disc
        RunOn(QDate::currentDate());

        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
        const QString archive = Win(temp) + "\\" + TodaysName(1);
        const QStringList lines = LinesWith(ErrorLog(), c.archiveNamed ? archive : Win(iso));
        ASSERT_EQ(lines.size(), 1) << ErrorLog().toStdString();
        EXPECT_TRUE(lines[0].contains(c.why)) << lines[0].toStdString();
        if (c.archiveNamed) {
            // The working archive is kept, with its log, out of the way of
            // the next run's clean-up; the error log says where.
            const QStringList kept = QDir(temp + "/undelivered").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            ASSERT_EQ(kept.size(), 1);
            const QString folder = temp + "/undelivered/" + kept[0];
            EXPECT_TRUE(UnzipTestPasses(folder + "/" + TodaysName(1)));
            EXPECT_TRUE(QFileInfo::exists(folder + "/" + TodaysName(1) + ".log"));
            EXPECT_EQ(LinesWith(ErrorLog(), "kept in " + Win(folder)).size(), 1) << ErrorLog().toStdString();
        }
        EXPECT_TRUE(platform::ArchiveFlagIsSet(file));
        const QString shown = ShownTexts().join("|");
        if (*c.shown)
            EXPECT_TRUE(shown.contains(c.shown)) << shown.toStdString();
        // An empty image is never written.
        EXPECT_FALSE(shown.contains("Tracks have been added")) << shown.toStdString();
        if (c.drive != DevFull)
            EXPECT_FALSE(shown.contains("Disc Write could not be started.")) << shown.toStdString();
        EXPECT_FALSE(CdWriting);

        // The next run onto a good disc takes the file that was left out.
        ZipRunTest::TearDown();
        iso = testenv::tempDir(QStringLiteral("good")) + QStringLiteral("/disc.iso");
        qputenv("VAULTORA_CD_DRIVES", ("stdio:" + iso).toLocal8Bit());
        const QString sources = src;
        ZipRunTest::SetUp();
        src = sources;
        f().chkUseCDRecorder->setValue(1);
        f().cboDevices->setListIndex(f().cboDevices->ListCount() - 1);
        f().optNewOnly->setValue(true);
        AddSource(Win(src) + "\\*.*");
        RunOn(QDate::currentDate());
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Complete) << ErrorLog().toStdString();
        const QString out = testenv::tempDir("x");
        const QMap<QString, QByteArray> tree = NewestTree(iso, out);
        ASSERT_EQ(tree.size(), 2) << tree.keys().join(",").toStdString();   // the archive and its log
        const QString name = tree.firstKey().endsWith(".log") ? tree.lastKey() : tree.firstKey();
        const ZipListing z = ReadWithPython(out + "/" + name);
        ASSERT_NE(z.find("big.bin"), nullptr);
        EXPECT_EQ(z.find("big.bin")->data, Incompressible(700 * 1024, 7));
        EXPECT_FALSE(platform::ArchiveFlagIsSet(file));
    }
}

// A disc that already holds a session and has no room for the next one
// keeps that session whole.
TEST_F(CdBurnRun, ADiscWithoutRoomKeepsItsEarlierSession) {
    Start("@1100K");
    f().txtMaxZIPsize->setText("1");
    WriteSource("a.bin", Incompressible(300 * 1024, 8));
    AddSource(Win(src) + "\\*.*");
    RunOn(QDate::currentDate());
    ASSERT_EQ(ErrorLog().toStdString(), "");
    const QMap<QString, QByteArray> first = NewestTree(iso, testenv::tempDir("x1"));
    WriteSource("b.bin", Incompressible(630 * 1024, 9));   // fits the room left, not with its session
    RunOn(QDate::currentDate());
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
    EXPECT_EQ(LinesWith(ErrorLog(), Win(temp) + "\\" + TodaysName(2)).size(), 1) << ErrorLog().toStdString();
    EXPECT_EQ(Sessions(iso), 1);
    EXPECT_EQ(NewestTree(iso, testenv::tempDir("x2")), first);
}

// In copy mode a disc write that fails reports each file it held, and each
// keeps its archive flag.
TEST_F(CdBurnRun, ACopyRunWhoseDiscWriteFailsReportsEachFile) {
    iso = QStringLiteral("/dev/full");
    Start();
    f().optBuMode(1)->setValue(true);
    f().optNewOnly->setValue(true);
    const QString a = WriteSource("a.txt", "first");
    const QString b = WriteSource("b.txt", "second");
    AddSource(Win(src) + "\\*.*");
    RunOn(QDate::currentDate());
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
    for (const QString& file : {a, b}) {
        const QStringList lines = LinesWith(ErrorLog(), Win(file));
        ASSERT_EQ(lines.size(), 1) << ErrorLog().toStdString();
        EXPECT_TRUE(lines[0].contains("The disc write failed: "));
        EXPECT_TRUE(platform::ArchiveFlagIsSet(file));
    }
}

// libburn's set-up and a write leave the program's signal handling as it
// was: the library can never end the program. (CTest runs each test in a
// process of its own, so the library is set up here.)
TEST_F(CdBurnRun, TheLibraryNeverTakesTheSignals) {
    auto handlers = [] {
        std::vector<void (*)(int)> out;
        for (int s = 1; s < 32; ++s) {
            struct sigaction a {};
            sigaction(s, nullptr, &a);
            out.push_back(a.sa_handler);
        }
        return out;
    };
    const auto before = handlers();
    Start();
    f().SetStatusCDR();
    EXPECT_EQ(f().lblDriveInfo(6)->Caption(), "Empty Disc");
    AddImage2CD("", Win(WriteSource("a.txt", "a")));
    const FastClock clock;
    BurnCD();
    EXPECT_EQ(f().txtNews->Text(), "Writing Complete!");
    EXPECT_TRUE(handlers() == before);
}

TEST_F(CdBurnRun, ACopyRunPutsTheFilesOnTheDiscWithTheirFolders) {
    Start();
    f().optBuMode(1)->setValue(true);
    f().chkInclSubDirStruct->setValue(1);
    f().optNewOnly->setValue(false);
    WriteSource("a.txt", "plain copy");
    WriteSource("sub/b.bin", Incompressible(5000, 3));
    AddSource(Win(src) + "\\*.*");
    AddSource(Win(src) + "\\sub\\*.*");
    RunOn(QDate::currentDate());
    ASSERT_EQ(ErrorLog().toStdString(), "");
    EXPECT_EQ(Sessions(iso), 1);
    // The folders of the sources, without their drive.
    const QString folder = Win(src).mid(3).replace('\\', '/');
    const QMap<QString, QByteArray> tree = NewestTree(iso, testenv::tempDir("x"));
    EXPECT_EQ(tree.value(folder + "/a.txt"), QByteArray("plain copy")) << tree.keys().join(",").toStdString();
    EXPECT_EQ(tree.value(folder + "/sub/b.bin"), Incompressible(5000, 3));
    EXPECT_EQ(tree.size(), 2);
}

TEST_F(CdBurnRun, AFileGoneBeforeTheWriteIsReportedAndNothingIsWritten) {
    Start();
    const QString gone = WriteSource("gone.txt", "soon gone");
    AddImage2CD("", Win(gone));
    ASSERT_GT(CdImageSize(), 0.0);
    QFile::remove(gone);
    const FastClock clock;
    BurnCD();
    EXPECT_EQ(f().txtNews->Text(), "A write error occurred..");
    QStringList shown;
    for (const platform::Dialogs::Shown& s : platform::Dialogs::shown())
        shown << s.prompt;
    EXPECT_EQ(shown, (QStringList{"A file error was encountered while writing the disc.",
                                  "Disc Write could not be started."}));
    EXPECT_FALSE(CdWriting);
    EXPECT_FALSE(QFileInfo(iso).size() > 0);
    // A file that does not exist is not taken into the image at all.
    AddImage2CD("", Win(gone));
    EXPECT_EQ(CdImageSize(), 0.0);
    EXPECT_TRUE(ErrorLog().contains("AddImage2CD of Formular frmOptions"));
}

TEST_F(CdBurnRun, TheImageSizeFollowsItsEntries) {
    Start();
    const QString a = Win(WriteSource("a.bin", Incompressible(5000, 4)));
    const QString b = Win(WriteSource("b.bin", Incompressible(3000, 5)));
    EXPECT_EQ(CdImageSize(), 0.0);
    AddImage2CD("D:\\x\\y", a);
    const double one = CdImageSize();
    EXPECT_GE(one, 5000.0);
    AddImage2CD("D:\\x\\y", a);   // the same entry again replaces it
    EXPECT_EQ(CdImageSize(), one);
    AddImage2CD("D:\\x\\y", b);
    const double two = CdImageSize();
    EXPECT_GE(two - one, 3000.0);
    RemoveImage2CD("D:\\x\\y", b);
    EXPECT_EQ(CdImageSize(), one);
    RemoveImage2CD("D:\\x\\y", a);
    EXPECT_EQ(CdImageSize(), 0.0);
    EXPECT_GT(f().FreeCdSpace(), 0);
}

TEST(CdPseudoDrives, AddressesAndDeclaredCapacities) {
    const QList<platform::PseudoDrive> d = platform::PseudoDrivesFrom(
        " stdio:/home/me/a.iso@700M ;stdio:/b@x.iso;/dev/sr0;stdio:;stdio:/c.iso@8G;stdio:/d.iso@1024");
    ASSERT_EQ(d.size(), 4);
    EXPECT_EQ(d[0].address, "stdio:/home/me/a.iso");
    EXPECT_EQ(d[0].path, "/home/me/a.iso");
    EXPECT_EQ(d[0].capacity, 700LL * 1024 * 1024);
    EXPECT_EQ(d[1].path, "/b@x.iso");   // not a capacity
    EXPECT_EQ(d[1].capacity, -1);
    EXPECT_EQ(d[2].capacity, 8LL * 1024 * 1024 * 1024);   // beyond 32 bits
    EXPECT_EQ(d[3].capacity, 1024);
}

// The built program, unattended ("/run"), onto a recorder whose disc cannot
// be written: exit status 1, one error-log line that names the archive and
// the writer's reason; a run onto a good image then ends with 0 and the
// disc holds the file.
TEST_F(CdBurnRun, AnUnattendedRunWhoseDiscIsNotWrittenEndsWithStatusOne) {
    struct Case {
        const char* name;
        const char* drive;   // "" a good image file
        int status;
    } const cases[] = {
        {"a drive that cannot be written", "/dev/full", 1},
        {"a good image file", "", 0},
    };
    const QString good = disc + "/good.iso";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        iso = *c.drive ? QString::fromUtf8(c.drive) : good;
        if (form)
            ZipRunTest::TearDown();
        const QString sources = src;
        Start();
        if (!sources.isEmpty())
            src = sources;
        f().optNewOnly->setValue(true);
        const QString file = src + "/a.txt";
        if (!QFileInfo::exists(file))
            WriteSource("a.txt", "backed up once the disc holds it");
        AddSource(Win(src) + "\\*.*");
        Save_Settings();
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(testenv::builtProgram(), {"/run", "/profile:P"});
        ASSERT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status) << program.readAll().toStdString();
        const QStringList lines = LinesWith(ErrorLog(), Win(temp) + "\\" + TodaysName(1));
        if (c.status == 1) {
            ASSERT_EQ(lines.size(), 1) << ErrorLog().toStdString();
            EXPECT_TRUE(lines[0].contains("The disc write failed: ")) << lines[0].toStdString();
            EXPECT_TRUE(platform::ArchiveFlagIsSet(file));
        } else {
            EXPECT_TRUE(lines.isEmpty()) << ErrorLog().toStdString();
            EXPECT_EQ(Sessions(iso), 1);
            const QString out = testenv::tempDir("x");
            const QMap<QString, QByteArray> tree = NewestTree(iso, out);
            ASSERT_TRUE(tree.contains(TodaysName(1))) << tree.keys().join(",").toStdString();
            EXPECT_EQ(ReadWithPython(out + "/" + TodaysName(1)).find("a.txt")->data,
                      QByteArray("backed up once the disc holds it"));
        }
        QFile::remove(ErrorLogFile());
    }
}
