// SPDX-License-Identifier: GPL-3.0-or-later
// Links planted where a run writes (the temporary folder, the destination
// tree) are never written through: nothing outside the chosen folders
// changes. The run's working files are for their owner only.
#include <sys/stat.h>
#include <unistd.h>

#include "ZipRunFixture.h"
#include "settings/ProfileFiles.h"

using namespace ziprun;

namespace {

class Links : public ZipRunTest {
protected:
    static void Link(const QString& target, const QString& at) {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()), 0);
    }
    static bool IsLink(const QString& path) {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
    }
    static mode_t Mode(const QString& path) {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
    }
};

}  // namespace

TEST_F(Links, LinksInTheTemporaryFolderAreNotFollowed) {
    struct Case {
        const char* name;
        bool toExisting;   // else dangling
        bool log;          // under the log's name, else the archive's
    } const cases[] = {
        {"a dangling link under the archive's name", false, false},
        {"a link to a file under the archive's name", true, false},
        {"a dangling link under the log's name", false, true},
        {"a link to a file under the log's name", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("alpha\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        const QString outside = testenv::tempDir(QStringLiteral("outside")) + QStringLiteral("/victim");
        if (c.toExisting)
            testenv::writeFile(outside, "keep me");
        Link(outside, temp + QLatin1Char('/') + TodaysName(1) + (c.log ? QStringLiteral(".log") : QString()));
        Run();
        if (c.toExisting)
            EXPECT_EQ(testenv::readFile(outside), QByteArray("keep me"));
        else
            EXPECT_FALSE(QFileInfo::exists(outside));
        const QString archive = dest + QLatin1Char('/') + TodaysName(1);
        EXPECT_TRUE(UnzipTestPasses(archive));
        EXPECT_EQ(LogLines(archive + QStringLiteral(".log")).size(), 1);
    }
}

TEST_F(Links, LinksInTheDestinationAreReplacedNotFollowed) {
    struct Case {
        const char* name;
        int mode;      // 1 copy, 2 synchronisation
        bool folder;   // a folder link, else a file link
        bool below;    // the link is a folder below the target folder of the files before
    } const cases[] = {
        {"copy, a linked folder", 1, true, false},
        {"copy, a linked file", 1, false, false},
        {"copy, a linked folder below the folder before", 1, true, true},
        {"synchronisation, a linked folder", 2, true, false},
        {"synchronisation, a linked file", 2, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("sub/a.txt"), QByteArray("new\n"));
        if (c.below)
            WriteSource(QStringLiteral("sub/deep/a.txt"), QByteArray("new\n"));
        const QString outside = testenv::tempDir(QStringLiteral("outside"));
        testenv::writeFile(outside + QStringLiteral("/a.txt"), "outside\n");
        f().optBuMode(c.mode)->setValue(true);
        f().chkInclSubDirStruct->setValue(1);
        QString landed;   // the folder where sub's files land
        if (c.mode == 1) {
            AddSource(Win(src) + QStringLiteral("\\sub\\*.*"));
            if (c.below)
                AddSource(Win(src) + QStringLiteral("\\sub\\deep\\*.*"));
            landed = dest + src + QStringLiteral("/sub");
        } else {
            f().txtSourceSync->setText(Win(src));
            f().txtDestinySync->setText(Win(dest));
            f().chkSyncSubDirs->setValue(1);
            landed = dest + QStringLiteral("/sub");
        }
        // The folder that is a link (or holds the linked file).
        const QString linked = c.below ? landed + QStringLiteral("/deep") : landed;
        QDir().mkpath(QFileInfo(linked).absolutePath());
        if (c.folder) {
            Link(outside, linked);
        } else {
            QDir().mkpath(linked);
            Link(outside + QStringLiteral("/a.txt"), linked + QStringLiteral("/a.txt"));
        }
        Run();
        EXPECT_EQ(testenv::readFile(outside + QStringLiteral("/a.txt")), QByteArray("outside\n"));
        EXPECT_EQ(QDir(outside).entryList(QDir::Files | QDir::Hidden).size(), 1);
        EXPECT_FALSE(IsLink(linked));
        EXPECT_FALSE(IsLink(linked + QStringLiteral("/a.txt")));
        EXPECT_EQ(testenv::readFile(landed + QStringLiteral("/a.txt")), QByteArray("new\n"));
        EXPECT_EQ(testenv::readFile(linked + QStringLiteral("/a.txt")), QByteArray("new\n"));
        if (c.folder || c.mode == 2) {
            EXPECT_TRUE(ErrorLog().contains(QStringLiteral("A link in the destination was replaced")))
                << ErrorLog().toStdString();
        }
    }
}

TEST_F(Links, TheRunsWorkingFilesAreForTheOwnerOnly) {
    struct Case {
        const char* name;
        bool encrypt;
        bool append;   // a second run appends to the first one's archive
    } const cases[] = {
        {"a new archive", false, false},
        {"an archive appended to", false, true},
        {"an encrypted archive", true, false},
        {"an encrypted archive appended to", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("alpha\n"));
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        f().chkEncrypt->setValue(c.encrypt ? 1 : 0);
        f().txtEncryptPassword->setText(QStringLiteral("secret"));
        f().chkAppendArchive->setValue(c.append ? 1 : 0);
        Run();
        if (c.append) {
            WriteSource(QStringLiteral("b.txt"), QByteArray("beta\n"));
            Run();
        }
        // The copies at the destination keep the modes the working files had.
        const QStringList archives = FilesIn(dest, c.encrypt ? QStringLiteral("*.cry") : QStringLiteral("*.zip"));
        ASSERT_EQ(archives.size(), 1) << FilesIn(dest).join(QLatin1Char(' ')).toStdString();
        const QString archive = dest + QLatin1Char('/') + archives[0];
        EXPECT_EQ(Mode(archive), 0600u);
        EXPECT_EQ(Mode(archive + QStringLiteral(".log")), 0600u);
        EXPECT_TRUE(FilesIn(temp).isEmpty()) << FilesIn(temp).join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(Links, ARunsStartRemovesWhatAKilledRunLeft) {
    WriteSource(QStringLiteral("a.txt"), QByteArray("alpha\n"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    const QString outside = testenv::tempDir(QStringLiteral("outside")) + QStringLiteral("/victim");
    testenv::writeFile(outside, "keep me");
    testenv::writeFile(temp + QStringLiteral("/.vaultora-copy-AbC123"), "partial");
    testenv::writeFile(temp + QStringLiteral("/.vaultora-zip-XyZ789"), "partial");
    testenv::writeFile(dest + QStringLiteral("/.vaultora-copy-Qwe456"), "partial");
    Link(outside, temp + QStringLiteral("/Old_BackUp_d.zip"));
    Link(testenv::tempDir(QStringLiteral("elsewhere")), temp + QStringLiteral("/splitfile"));
    Run();
    EXPECT_FALSE(IsLink(temp + QStringLiteral("/splitfile")));
    // The hidden working files go; an entry the run did not make (a link
    // named like an archive) stays as it is, and nothing is written through it.
    EXPECT_EQ(FilesIn(temp), QStringList{QStringLiteral("Old_BackUp_d.zip")});
    EXPECT_FALSE(QFileInfo::exists(dest + QStringLiteral("/.vaultora-copy-Qwe456")));
    EXPECT_TRUE(IsLink(temp + QStringLiteral("/Old_BackUp_d.zip")));
    EXPECT_EQ(testenv::readFile(outside), QByteArray("keep me"));
}
