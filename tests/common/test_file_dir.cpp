// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utime.h>

#include "CommonTest.h"
#include "common/NRV_File_Dir.h"
#include "vb/Clock.h"

namespace {
class FileDirTest : public CommonTest {};

// Sets a file's modification time to `days` days before now (negative: later).
void ageFile(const QString& host, int days) {
    const time_t t = time(nullptr) - time_t(days) * 86400;
    utimbuf times{t, t};
    utime(QFile::encodeName(host).constData(), &times);
}
}  // namespace

TEST_F(FileDirTest, PathPartsByTable) {
    struct Case {
        const char* path;
        const char* fixDir;
        const char* parsePath;
        const char* parseFile;
        const char* lastDir;
        const char* pathAfterLastDir;
    } cases[] = {
        {"C:\\data\\x.zip", "C:\\data\\x.zip\\", "C:\\data", "x.zip", "x.zip", "C:\\data\\x.zip"},
        {"C:\\data\\", "C:\\data\\", "C:\\data", "", "data", "C:\\data"},
        {"C:\\x", "C:\\x\\", "C:", "x", "x", "C:\\x"},
        {"C:", "C:\\", "C:\\", "C:", "C:", "C:"},
        {"C:\\", "C:\\", "C:\\", "", "C:", "C:"},
        {"", "\\", "\\", "", "", ""},
        {"file.txt", "file.txt\\", "", "file.txt", "file.txt", "file.txt"},
        {"http://host/dir/news.txt", "http://host/dir/news.txt\\", "", "news.txt", "http://host/dir/news.txt",
         "http://host/dir/news.txt"},
        {"\\\\server\\share\\a\\b.txt", "\\\\server\\share\\a\\b.txt\\", "\\\\server\\share\\a", "b.txt", "b.txt",
         "\\\\server\\share\\a\\b.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(sFixDirString(c.path), QString(c.fixDir));
        EXPECT_EQ(sParsePath(c.path), QString(c.parsePath));
        EXPECT_EQ(sParseFile(c.path), QString(c.parseFile));
        QString var = c.path;
        EXPECT_EQ(sParseLastDir(var), QString(c.lastDir));
        EXPECT_EQ(var, QString(c.pathAfterLastDir));
    }
}

TEST_F(FileDirTest, ValidFileNamesByTable) {
    const QString part255(255, 'a');
    const QString part256(256, 'a');
    struct Case {
        QString name;
        bool valid;
    } cases[] = {
        {"C:\\data\\sub\\file.txt", true},
        {"relative\\name.txt", true},
        {"\\\\server\\share\\x.zip", true},
        {"C:\\a\\\\b\\", true},  // empty parts pass
        {"C:\\" + part255, true},
        {"C:\\" + part256, false},
        {part256, false},
        {"", false},
        {".", false},
        {"C:", false},
        {"C:\\", false},
        {"1:\\x", false},       // digit before the colon
        {"C:x.txt", false},     // colon not followed by "\"
        {"C:\\a:b", false},     // a second colon
        {"ab:\\x", false},      // colon elsewhere
        {"C:\\a<b", false},
        {"C:\\dir\\a|b", false},
        {"C:\\a?b", false},
        {"C:\\a*b", false},
        {"C:\\a\"b", false},
        {"C:\\a/b", false},
        {"z:\\ok", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidFilename(c.name), c.valid) << c.name.toStdString();
}

TEST_F(FileDirTest, FileExistsTrimsAndCountsOnlyFiles) {
    const QString dir = hostDir("exists");
    testenv::writeFile(dir + "/plain.txt", "x");
    testenv::writeFile(dir + "/.hidden", "x");
    testenv::writeFile(dir + "/ro.txt", "x");
    QFile::setPermissions(dir + "/ro.txt", QFile::ReadOwner);
    QDir().mkpath(dir + "/folder");

    QString padded = "  " + win(dir + "/plain.txt") + "  ";
    EXPECT_TRUE(FileExists(padded));
    EXPECT_EQ(padded, win(dir + "/plain.txt"));  // the caller's variable is trimmed

    struct Case {
        QString path;
        bool exists;
    } cases[] = {
        {win(dir + "/.hidden"), true},
        {win(dir + "/ro.txt"), true},
        {win(dir) + "\\PLAIN.TXT", true},  // names resolve without regard to case
        {win(dir) + "\\*.txt", true},      // wildcards in the last part
        {win(dir) + "\\*.doc", false},
        {win(dir + "/folder"), false},     // folders don't count
        {win(dir) + "\\", false},
        {win(dir + "/missing.txt"), false},
        {win(dir) + "\\nodir\\x.txt", false},
        {"", false},
        {"   ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileExists(c.path), c.exists) << c.path.toStdString();
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join("\n").toStdString();
}

TEST_F(FileDirTest, DirExistsSeesFoldersOnly) {
    const QString dir = hostDir("direxists");
    testenv::writeFile(dir + "/f.txt", "x");
    EXPECT_TRUE(DirExists(win(dir)));
    EXPECT_TRUE(DirExists(win(dir) + "\\"));
    EXPECT_FALSE(DirExists(win(dir + "/f.txt")));
    EXPECT_FALSE(DirExists(win(dir + "/none")));
}

TEST_F(FileDirTest, CreateDirectoryStructBuildsMissingParentsFirst) {
    const QString dir = hostDir("mkdirs");
    QDir().mkpath(dir + "/x");
    const QString target = win(dir) + "\\x\\y\\z";
    CreateDirectoryStruct(target);
    EXPECT_TRUE(QFileInfo(dir + "/x/y/z").isDir());

    // Trailing backslash and an existing path change nothing.
    CreateDirectoryStruct(target + "\\");
    EXPECT_TRUE(QFileInfo(dir + "/x/y/z").isDir());
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(FileDirTest, CreateDirectoryStructLogsTheFailureAndKeepsWhatWasMade) {
    const QString dir = hostDir("mkfail");
    testenv::writeFile(dir + "/a/blocker", "a file where a folder should go");
    CreateDirectoryStruct(win(dir) + "\\a\\blocker\\deeper");
    EXPECT_TRUE(QFileInfo(dir + "/a").isDir());
    EXPECT_FALSE(QFileInfo(dir + "/a/blocker/deeper").exists());
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("  CreateDirectoryStruct of Modul NRV_File_Dir  "));
    EXPECT_EQ(lines[1], win(dir) + "\\a\\blocker\\deeper\\");
}

TEST_F(FileDirTest, FindfileGivesTheFirstEntryOrError) {
    const QString dir = hostDir("findfile");
    testenv::writeFile(dir + "/only.bin", QByteArray(1234, 'z'));
    const platform::FindRecord hit = Findfile(win(dir) + "\\*.bin");
    EXPECT_EQ(hit.name, "only.bin");
    EXPECT_EQ(hit.size, 1234);
    EXPECT_TRUE(hit.written.isValid());

    const platform::FindRecord miss = Findfile(win(dir) + "\\*.none");
    EXPECT_EQ(miss.name, "Error");
    EXPECT_EQ(miss.size, 0);
    EXPECT_EQ(miss.attributes, 0u);
    EXPECT_FALSE(miss.written.isValid());
    EXPECT_FALSE(miss.created.isValid());
}

TEST_F(FileDirTest, CompareFilesByBlocks) {
    const QString dir = hostDir("compare");
    QByteArray body(25000, '\0');
    for (int i = 0; i < body.size(); ++i)
        body[i] = char(i * 7);
    QByteArray lastHalfDiffers = body;
    lastHalfDiffers[24999] = char(lastHalfDiffers[24999] + 1);
    QByteArray firstBlockDiffers = body;
    firstBlockDiffers[0] = char(firstBlockDiffers[0] + 1);
    testenv::writeFile(dir + "/a", body);
    testenv::writeFile(dir + "/same", body);
    testenv::writeFile(dir + "/tail", lastHalfDiffers);
    testenv::writeFile(dir + "/head", firstBlockDiffers);
    testenv::writeFile(dir + "/n20000", QByteArray(20000, 'q'));
    testenv::writeFile(dir + "/n20001", QByteArray(20001, 'q'));
    testenv::writeFile(dir + "/empty1", "");
    testenv::writeFile(dir + "/empty2", "");
    testenv::writeFile(dir + "/ro", body);
    QFile::setPermissions(dir + "/ro", QFile::ReadOwner);
    // Larger than what is read at once: a difference in any stretch counts.
    QByteArray large(2'345'678, '\0');
    for (int i = 0; i < large.size(); ++i)
        large[i] = char(i * 13 + i / 9973);
    testenv::writeFile(dir + "/large", large);
    testenv::writeFile(dir + "/large2", large);
    for (const int at : {999'999, 1'000'000, 2'345'677}) {
        QByteArray changed = large;
        changed[at] = char(changed[at] ^ 1);
        testenv::writeFile(dir + QStringLiteral("/large-%1").arg(at), changed);
    }
    // Large enough to be compared in parts at once: a difference in any part
    // counts, at its first byte as well as at the file's last.
    QByteArray huge(17'000'003, '\0');
    for (int i = 0; i < huge.size(); ++i)
        huge[i] = char(i * 7 + i / 65521);
    testenv::writeFile(dir + "/huge", huge);
    testenv::writeFile(dir + "/huge2", huge);
    for (const int at : {0, 12'750'002, 17'000'002}) {
        QByteArray changed = huge;
        changed[at] = char(changed[at] ^ 0x40);
        testenv::writeFile(dir + QStringLiteral("/huge-%1").arg(at), changed);
    }
    testenv::writeFile(dir + "/huge-short", huge.left(huge.size() - 1));

    struct Case {
        const char* one;
        const char* two;
        bool equal;
    } cases[] = {
        {"a", "same", true},   {"a", "tail", false},     {"a", "head", false},
        {"n20000", "n20001", false}, {"empty1", "empty2", true}, {"a", "missing", false},
        {"a", "ro", true},
        {"large", "large2", true},   {"large", "large-999999", false}, {"large", "large-1000000", false},
        {"large", "large-2345677", false},
        {"huge", "huge2", true},     {"huge", "huge-0", false},        {"huge", "huge-12750002", false},
        {"huge", "huge-17000002", false}, {"huge", "huge-short", false},
    };
    for (const Case& c : cases) {
        QString one = "  " + win(dir) + "\\" + c.one;
        QString two = win(dir) + "\\" + c.two + " ";
        EXPECT_EQ(compare_files(one, two), c.equal) << c.one << " " << c.two;
        EXPECT_FALSE(one.startsWith(' '));  // both variables trimmed
        EXPECT_FALSE(two.endsWith(' '));
    }
}

TEST_F(FileDirTest, DeleteFilesByDayAndPattern) {
    const QString dir = hostDir("delete");
    const QStringList names = {"a_BackUp_1.zip", "b_BackUp_2.zip", "c_BackUp_3.zip", "keep.zip",
                               ".h_BackUp_4.zip"};
    for (const QString& n : names)
        testenv::writeFile(dir + "/" + n, "x");
    ageFile(dir + "/a_BackUp_1.zip", 3);
    ageFile(dir + "/b_BackUp_2.zip", 1);
    ageFile(dir + "/c_BackUp_3.zip", -2);  // dated in the future
    ageFile(dir + "/.h_BackUp_4.zip", 3);
    QDir().mkpath(dir + "/d_BackUp_folder");

    // "*.*" is refused.
    DeleteFiles(win(dir) + "\\*.*", 0);
    for (const QString& n : names)
        EXPECT_TRUE(QFile::exists(dir + "/" + n)) << n.toStdString();

    DeleteFiles(win(dir) + "\\*_BackUp_*", 2);
    EXPECT_FALSE(QFile::exists(dir + "/a_BackUp_1.zip"));
    EXPECT_TRUE(QFile::exists(dir + "/b_BackUp_2.zip"));

    DeleteFiles(win(dir) + "\\*_BackUp_*", 0);
    EXPECT_FALSE(QFile::exists(dir + "/b_BackUp_2.zip"));
    EXPECT_TRUE(QFile::exists(dir + "/c_BackUp_3.zip"));   // not yet due
    EXPECT_TRUE(QFile::exists(dir + "/.h_BackUp_4.zip"));  // hidden files are not listed
    EXPECT_TRUE(QFile::exists(dir + "/keep.zip"));
    EXPECT_TRUE(QFileInfo(dir + "/d_BackUp_folder").isDir());
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(FileDirTest, FileCountCountsPlainFiles) {
    const QString dir = hostDir("count");
    testenv::writeFile(dir + "/1.zip", "x");
    testenv::writeFile(dir + "/2.zip", "x");
    testenv::writeFile(dir + "/3.txt", "x");
    testenv::writeFile(dir + "/.4.zip", "x");
    QDir().mkpath(dir + "/5.zip");
    EXPECT_EQ(GetFileCount(win(dir) + "\\*.zip"), 2);
    EXPECT_EQ(GetFileCount(win(dir) + "\\*.*"), 3);
    EXPECT_EQ(GetFileCount(win(dir) + "\\*.none"), 0);
    EXPECT_EQ(GetFileCount(win(dir) + "\\nodir\\*.*"), 0);
}

TEST_F(FileDirTest, DelDirRemovesTreeWithReadOnlyFiles) {
    const QString dir = hostDir("deldir");
    testenv::writeFile(dir + "/victim/sub/ro.txt", "x");
    testenv::writeFile(dir + "/victim/.hidden", "x");
    QFile::setPermissions(dir + "/victim/sub/ro.txt", QFile::ReadOwner);
    EXPECT_TRUE(DelDir(win(dir) + "\\victim\\"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/victim"));
    EXPECT_FALSE(DelDir(win(dir) + "\\victim"));  // no longer there
    EXPECT_TRUE(QFileInfo(dir).isDir());
}

TEST_F(FileDirTest, DelDirNeverTakesADriveRoot) {
    testenv::writeFile(testenv::home() + "/precious.txt", "x");
    for (const char* root : {"C:", "C:\\", "c:\\"})
        EXPECT_FALSE(DelDir(root)) << root;
    EXPECT_TRUE(QFile::exists(testenv::home() + "/precious.txt"));
}

TEST_F(FileDirTest, GetAttributesOfFilesAndMissingPaths) {
    const QString dir = hostDir("attr");
    testenv::writeFile(dir + "/ro.txt", "x");
    QFile::setPermissions(dir + "/ro.txt", QFile::ReadOwner);
    testenv::writeFile(dir + "/.hid", "x");
    EXPECT_EQ(GetAttributes(win(dir) + "\\missing"), -1);
    EXPECT_TRUE(GetAttributes(win(dir)) & platform::vbDirectory);
    EXPECT_TRUE(GetAttributes(win(dir + "/ro.txt")) & platform::vbReadOnly);
    EXPECT_TRUE(GetAttributes(win(dir + "/.hid")) & platform::vbHidden);
}
