// SPDX-License-Identifier: GPL-3.0-or-later
// What the program does with its own working files and settings never
// destroys, exposes or hides what the user keeps: the built program started
// with "/run" on real files, its exit status, error.log, and every file that
// was there before.
#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <map>
#include <memory>
#include <sys/stat.h>

#include "destinations/MailPeers.h"
#include "platform/ArchiveFlag.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "run/ZipRunFixture.h"
#include "settings/FilterMasks.h"
#include "settings/LoadSettings.h"
#include "settings/SaveSettings.h"
#include "settings/SettingsKeys.h"

using namespace ziprun;

namespace {

class OwnFiles : public ZipRunTest {
protected:
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
        ZipRunTest::TearDown();
    }

    // Runs the saved profile `profile` unattended; its exit status.
    int RunSaved(const QString& profile = QStringLiteral("P"), const QString& dir = {}) {
        QStringList args{QStringLiteral("/run"), QStringLiteral("/profile:") + profile};
        if (!dir.isEmpty())
            args << QStringLiteral("/dir:") + dir;
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.setProcessEnvironment(env);
        program.start(testenv::builtProgram(), args);
        EXPECT_TRUE(program.waitForStarted(10000));
        EXPECT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
        said = QString::fromLocal8Bit(program.readAll());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        return program.exitCode();
    }

    // Name and SHA-256 of every file below a folder.
    static std::map<QString, QByteArray> Hashes(const QString& dir) {
        std::map<QString, QByteArray> out;
        QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            out[path.mid(dir.size() + 1)] =
                QCryptographicHash::hash(testenv::readFile(path), QCryptographicHash::Sha256);
        }
        return out;
    }

    static bool FlagSet(const QString& host) { return platform::GetAttr(Win(host)) & platform::vbArchive; }
    // The lines of error.log below the header that a start writes.
    static QString Logged() {
        const QString all = ErrorLog();
        const qsizetype end = all.indexOf(QStringLiteral("End of Header"));
        return end < 0 ? all : all.mid(all.indexOf(QLatin1Char('\n'), end) + 1);
    }

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString said;
};

}  // namespace

// A profile name that holds "__" numbers its volumes after its own stem:
// every volume is kept, and the next run goes on after the last one.
TEST_F(OwnFiles, AProfileNameWithADoubleUnderscoreKeepsEveryVolume) {
    const QString profile = QStringLiteral("X__Y");
    for (int i = 1; i <= 7; ++i)
        WriteSource(QStringLiteral("f%1.txt").arg(i), QByteArray("file ") + QByteArray::number(i));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().cmbProfiles->setText(profile);
    f().chkMaxFiles->setValue(1);
    f().txtMaxFiles->setText(QStringLiteral("3"));
    Save_Settings();
    const QString base = archive_naming::BaseName(profile, archive_naming::Daily, vb::Date());
    auto volumes = [&](int from, int to) {
        QStringList names;
        for (int v = from; v <= to; ++v)
            names << archive_naming::VolumeName(base, v);
        names.sort();
        return names;
    };

    ASSERT_EQ(RunSaved(profile), 0) << said.toStdString();
    EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")), volumes(1, 3));
    QStringList stored;
    for (const QString& name : FilesIn(dest, QStringLiteral("*.zip"))) {
        const ZipListing z = ReadWithPython(dest + QLatin1Char('/') + name);
        EXPECT_TRUE(z.readable) << name.toStdString();
        for (const ZipEntry& e : z.entries)
            stored << e.name.mid(e.name.lastIndexOf(QLatin1Char('/')) + 1);
    }
    stored.sort();
    EXPECT_EQ(stored, (QStringList{"f1.txt", "f2.txt", "f3.txt", "f4.txt", "f5.txt", "f6.txt", "f7.txt"}));
    const auto first = Hashes(dest);

    // The next run (appending off) starts after volume 3 and leaves 1 to 3.
    ASSERT_EQ(RunSaved(profile), 0) << said.toStdString();
    EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")), volumes(1, 6));
    for (const auto& [name, hash] : first)
        EXPECT_EQ(Hashes(dest)[name], hash) << name.toStdString();
    EXPECT_EQ(Logged().toStdString(), "");
}

// The run deletes the working files it made, by their names, and nothing
// else; a temporary folder that is the destination folder is refused before
// anything is made or deleted, and loading such a profile says so.
TEST_F(OwnFiles, TheTemporaryFolderLosesOnlyTheRunsOwnFiles) {
    enum Way { Apart, Typed, ThroughDir, ThroughALink, WindowLoad };
    struct Case {
        const char* name;
        Way way;
        int status;
    } const cases[] = {
        {"a temporary folder of its own that holds other archives", Apart, 0},
        {"the destination typed as the temporary folder", Typed, 2},
        {"the destination given by /dir: is the temporary folder", ThroughDir, 2},
        {"the temporary folder is a link to the destination", ThroughALink, 2},
        {"the window loads a profile whose temporary folder is the destination", WindowLoad, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        // What the user keeps where the run's working files go: archives of
        // this profile and of another, and files with "_BackUp_" in their name.
        const QString kept = c.way == Apart || c.way == ThroughDir ? temp : dest;
        QStringList names{QStringLiteral("P_BackUp_d20000101.zip"), QStringLiteral("P_BackUp_d20000101.zip.log"),
                          QStringLiteral("Other_BackUp_d20000101__2.zip"), QStringLiteral("notes_BackUp_list.txt")};
        if (c.way != Apart)
            names << TodaysName(1) << TodaysName(1) + QStringLiteral(".log");   // this day's first volume
        for (const QString& name : names)
            testenv::writeFile(kept + QLatin1Char('/') + name, name.toUtf8() + " kept by the user");
        QString dir;
        switch (c.way) {
        case Apart:
            break;
        case Typed:
        case WindowLoad:
            f().txtPathTemp->setText(Win(dest));
            break;
        case ThroughDir:
            dir = Win(temp);
            break;
        case ThroughALink: {
            const QString link = testenv::tempDir(QStringLiteral("links")) + QStringLiteral("/temp");
            ASSERT_TRUE(QFile::link(dest, link));
            f().txtPathTemp->setText(Win(link));
            break;
        }
        }
        Save_Settings();
        const auto before = Hashes(kept);
        if (c.way == WindowLoad) {
            platform::Dialogs::scriptAnswers({});
            Load_Settings();
            bool told = false;
            for (const platform::Dialogs::Shown& s : platform::Dialogs::shown())
                told = told || s.prompt.contains(QStringLiteral("The temporary folder is the destination folder"));
            EXPECT_TRUE(told);
            EXPECT_EQ(Hashes(kept), before);
            continue;
        }

        EXPECT_EQ(RunSaved(QStringLiteral("P"), dir), c.status) << said.toStdString();
        const auto after = Hashes(kept);
        for (const auto& [name, hash] : before)
            EXPECT_EQ(after.count(name) ? after.at(name) : QByteArray(), hash) << name.toStdString();
        if (c.status == 0) {
            // The run's archive went to the destination; its working files left
            // the temporary folder, which holds exactly what it held before.
            EXPECT_EQ(after, before);
            EXPECT_TRUE(ReadWithPython(dest + QLatin1Char('/') + TodaysName(1)).readable);
            EXPECT_EQ(Logged().toStdString(), "");
        } else {
            EXPECT_EQ(after.size(), before.size());
            EXPECT_TRUE(ErrorLog().contains(QStringLiteral("The temporary folder is the destination folder")))
                << ErrorLog().toStdString();
            EXPECT_TRUE(said.contains(QStringLiteral("The temporary folder is the destination folder")))
                << said.toStdString();
        }
    }
}

// With the e-mail notice as the only destination the notice is the
// delivery: the flags are cleared and the archive deleted only once it
// arrived; a notice that fails keeps both, as every failed delivery does.
TEST_F(OwnFiles, AnEMailNoticeAsTheOnlyDestination) {
    struct Case {
        const char* name;
        const char* server;
        int status;
    } const cases[] = {
        {"the notice arrives", "accept", 0},
        {"the server refuses the notice", "refuse-rcpt", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const QString a = WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
        const QString b = WriteSource(QStringLiteral("b.txt"), QByteArray("b file\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        mailpeer::SmtpSink sink{QString::fromLatin1(c.server)};
        ASSERT_GT(sink.port, 0);
        settings::WriteUser(QStringLiteral("txtSMTPserver"), QStringLiteral("127.0.0.1"));
        settings::WriteUser(QStringLiteral("txtSMTPport"), QString::number(sink.port));
        settings::WriteProfile(QStringLiteral("txtSMTPeMail"), QStringLiteral("backup@example.org"));
        f().chkSendEmail->setValue(1);
        f().chkMedia->setValue(0);
        ASSERT_EQ(f().chkMedia->Value(), 0);
        Save_Settings();
        platform::SetArchiveFlag(a);
        platform::SetArchiveFlag(b);

        EXPECT_EQ(RunSaved(), c.status) << said.toStdString();
        EXPECT_EQ(FlagSet(a), c.status != 0) << Logged().toStdString();
        EXPECT_EQ(FlagSet(b), c.status != 0);
        EXPECT_TRUE(FilesIn(temp, QStringLiteral("*_BackUp_*")).isEmpty());
        EXPECT_TRUE(FilesIn(temp, QStringLiteral("Temp*.dat")).isEmpty());
        const QStringList undelivered =
            QDir(temp + QStringLiteral("/undelivered")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (c.status == 0) {
            EXPECT_EQ(sink.Messages().size(), 1);
            EXPECT_TRUE(undelivered.isEmpty());
            EXPECT_EQ(Logged().toStdString(), "");
            continue;
        }
        ASSERT_EQ(undelivered.size(), 1);
        const QString keptIn = temp + QStringLiteral("/undelivered/") + undelivered[0];
        EXPECT_EQ(FilesIn(keptIn), (QStringList{TodaysName(1), TodaysName(1) + QStringLiteral(".log")}));
        const ZipListing z = ReadWithPython(keptIn + QLatin1Char('/') + TodaysName(1));
        EXPECT_TRUE(z.readable);
        EXPECT_EQ(z.entries.size(), 2);
        const QString errors = ErrorLog();
        EXPECT_TRUE(errors.contains(QStringLiteral("550 5.1.1"))) << errors.toStdString();
        EXPECT_TRUE(errors.contains(QStringLiteral("is kept in ") + Win(keptIn))) << errors.toStdString();
    }
}

// Copy mode replaces the copy of a read-only file that it made, each run.
TEST_F(OwnFiles, CopyModeFollowsAReadOnlySource) {
    const QString file = WriteSource(QStringLiteral("ro.txt"), QByteArray("first"));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().optBuMode(1)->setValue(true);
    f().chkInclSubDirStruct->setValue(0);
    Save_Settings();
    const QString copy = dest + QStringLiteral("/ro.txt");
    for (const QByteArray& content : {QByteArray("first"), QByteArray("second, longer"), QByteArray("3")}) {
        SCOPED_TRACE(content.toStdString());
        if (content != "first") {
            ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0644), 0);
            testenv::writeFile(file, content);
            ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
        }
        EXPECT_EQ(RunSaved(), 0) << said.toStdString();
        EXPECT_EQ(testenv::readFile(copy), content);
        EXPECT_EQ(QFileInfo(copy).permissions() & QFile::WriteOwner, 0);
        EXPECT_EQ(Logged().toStdString(), "");
    }
    ::chmod(QFile::encodeName(file).constData(), 0644);
}

// A run that cannot be made as its profile stands ends with status 2 before
// anything is packed, and says why.
TEST_F(OwnFiles, AProfileThatCannotBeRunAsItStandsIsRefused) {
    enum Fault { UnreadableExclusion, UnreadableInclusion, UnusedUnreadableInclusion, StoreLostTheProfile, StoreCutToNothing };
    struct Case {
        const char* name;
        Fault fault;
        int status;
        const char* logged;
    } const cases[] = {
        {"an exclusion mask with an unclosed [", UnreadableExclusion, 2, "The exclusion mask \"*.[ABC\" cannot be read"},
        {"an inclusion mask of a new-files-only run", UnreadableInclusion, 2, "The inclusion mask \"*.[DOC\" cannot be read"},
        {"an inclusion mask that a complete backup does not use", UnusedUnreadableInclusion, 0, ""},
        {"a settings store that holds nothing of the profile", StoreLostTheProfile, 2,
         "The settings store holds no options for the profile P"},
        {"a settings store cut to 0 bytes", StoreCutToNothing, 2, "The settings store holds no options for the profile P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        switch (c.fault) {
        case UnreadableExclusion:
            f().txtExclusions->setText(QStringLiteral("*.tmp,[abc"));
            break;
        case UnreadableInclusion:
            f().optNewOnly->setValue(true);
            [[fallthrough]];
        case UnusedUnreadableInclusion:
            f().txtInclusions->setText(QStringLiteral("*.[doc"));
            break;
        case StoreLostTheProfile:
        case StoreCutToNothing:
            f().chkEncrypt->setValue(1);
            f().chkRemeberPassword->setValue(1);
            f().txtEncryptPassword->setText(QStringLiteral("secret"));
            break;
        }
        Save_Settings();
        env = QProcessEnvironment::systemEnvironment();
        if (c.fault == StoreLostTheProfile)
            platform::DeleteSetting(settings::ProfileSettingsApp(QStringLiteral("P")));
        if (c.fault == StoreCutToNothing) {
            // The program's own store, emptied (the profile's file is left).
            const QString config = testenv::tempDir(QStringLiteral("config"));
            testenv::writeFile(config + QStringLiteral("/vaultora/settings.db"), QByteArray());
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        }

        EXPECT_EQ(RunSaved(QStringLiteral("P"), Win(dest)), c.status) << said.toStdString();
        EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip*")).size(), c.status == 0 ? 2 : 0);
        EXPECT_TRUE(FilesIn(temp).isEmpty());
        // Nothing landed in the program folder either (the default
        // temporary folder of a profile on default options).
        EXPECT_TRUE(FilesIn(testenv::programDir(), QStringLiteral("*.zip")).isEmpty());
        if (*c.logged) {
            EXPECT_TRUE(ErrorLog().contains(QString::fromUtf8(c.logged))) << ErrorLog().toStdString();
            EXPECT_TRUE(said.contains(QString::fromUtf8(c.logged))) << said.toStdString();
        } else {
            EXPECT_EQ(Logged().toStdString(), "");
        }
    }
}

// Start in the window on a profile that has nothing ticked says what "/run"
// says, and makes nothing.
TEST_F(OwnFiles, StartInTheWindowWithNothingTickedSaysSo) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().List1->setSelected(0, false);
    platform::Dialogs::scriptAnswers({});
    Run();
    const QString why = QStringLiteral("The profile has no source entry to back up: P");
    EXPECT_EQ(f().txtNews->Text(), why);
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::NotRun);
    EXPECT_TRUE(ErrorLog().contains(why)) << ErrorLog().toStdString();
    EXPECT_TRUE(FilesIn(dest).isEmpty());
    EXPECT_TRUE(FilesIn(temp).isEmpty());
}
