// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ErrorOf.h"
#include "support/TestEnv.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ScriptingFileSystem.h"
#include "vb/VbError.h"

using namespace platform;

namespace {

using testenv::errorOf;

QStringList readdirNames(const QString& dir, bool folders) {
    QStringList out;
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    while (dirent* e = d ? ::readdir(d) : nullptr) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, ".."))
            continue;
        if ((e->d_type == DT_DIR) == folders && e->d_type != DT_LNK)
            out << QFile::decodeName(e->d_name);
    }
    if (d)
        ::closedir(d);
    return out;
}

void setMtime(const QString& host, time_t when) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(host).constData(), times, 0);
}

class Fso : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testenv::tempDir("fso");
        w = ToWindows(dir);
    }
    ScriptingFileSystem fso;
    QString dir, w;
};

TEST_F(Fso, ExistenceTests) {
    testenv::writeFile(dir + "/File.txt", "f");
    QDir().mkpath(dir + "/Folder");
    const struct {
        QString path;
        bool folder, file;
    } cases[] = {
        {w, true, false},
        {w + "\\", true, false},
        {w + "\\folder", true, false},
        {w + "\\FILE.TXT", false, true},
        {w + "\\File.txt\\", false, false},
        {w + "\\none", false, false},
        {"Q:\\", false, false},
        {"\\\\nobody\\share", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fso.FolderExists(c.path), c.folder) << c.path.toStdString();
        EXPECT_EQ(fso.FileExists(c.path), c.file) << c.path.toStdString();
    }
    EXPECT_TRUE(fso.DriveExists("C:"));
    EXPECT_FALSE(fso.DriveExists("Q"));
}

TEST_F(Fso, FolderListingsInTheFileSystemsOrder) {
    for (const char* n : {"k", "b", ".hidden", "x y", "a"})
        QDir().mkpath(dir + "/" + n);
    for (const char* n : {"3.txt", ".h.txt", "1.txt", "2.txt"})
        testenv::writeFile(dir + "/" + n, n);
    ::symlink(QFile::encodeName(dir).constData(), QFile::encodeName(dir + "/loop").constData());   // never walked

    const FsoFolder f = fso.GetFolder(w + "\\");
    EXPECT_EQ(f.Path(), w);
    EXPECT_EQ(f.Name(), QFileInfo(dir).fileName());
    EXPECT_EQ(f.SubFolderNames(), readdirNames(dir, true));
    EXPECT_EQ(f.FileNames(), readdirNames(dir, false));
    EXPECT_TRUE(f.SubFolderNames().contains(".hidden"));
    EXPECT_FALSE(f.SubFolderNames().contains("loop"));
    EXPECT_TRUE(f.FileNames().contains(".h.txt"));
    for (const FsoFolder& sub : f.SubFolders())
        EXPECT_EQ(sub.Path(), w + "\\" + sub.Name());
    for (const FsoFile& file : f.Files())
        EXPECT_EQ(file.Path(), w + "\\" + file.Name());

    const FsoFolder root = fso.GetFolder("C:\\");
    EXPECT_TRUE(root.IsRootFolder());
    EXPECT_EQ(root.Path(), "C:\\");
    EXPECT_EQ(root.Name(), "");
    EXPECT_EQ(errorOf([&] { fso.GetFolder(w + "\\none"); }), vb::errPathNotFound);
    EXPECT_EQ(errorOf([&] { fso.GetFolder("Q:\\"); }), vb::errDeviceUnavailable);
}

TEST_F(Fso, FileProperties) {
    testenv::writeFile(dir + "/Data.bin", QByteArray(1234, 'd'));
    setMtime(dir + "/Data.bin", 1234567890);
    const FsoFile f = fso.GetFile(w + "\\DATA.BIN");
    EXPECT_EQ(f.Name(), "Data.bin");
    EXPECT_EQ(f.Path(), w + "\\Data.bin");
    EXPECT_EQ(f.ParentFolder(), w);
    EXPECT_EQ(f.Size(), 1234);
    EXPECT_EQ(f.DateLastModified().toSecsSinceEpoch(), 1234567890);
    EXPECT_EQ(f.DateLastModified().timeSpec(), Qt::LocalTime);
    EXPECT_TRUE(f.DateCreated().isValid());
    EXPECT_EQ(f.Attributes() & ~vbArchive, 0);
    ::chmod(QFile::encodeName(dir + "/Data.bin").constData(), 0444);
    EXPECT_TRUE(f.Attributes() & vbReadOnly);   // live, as the object reads it
    ::chmod(QFile::encodeName(dir + "/Data.bin").constData(), 0644);
    QFile::remove(dir + "/Data.bin");
    EXPECT_EQ(errorOf([&] { f.Size(); }), vb::errFileNotFound);
    EXPECT_EQ(errorOf([&] { fso.GetFile(w + "\\Data.bin"); }), vb::errFileNotFound);
}

TEST_F(Fso, CopyFileAndCopyFolder) {
    testenv::writeFile(dir + "/src/a.txt", "a");
    testenv::writeFile(dir + "/src/sub/b.txt", "b");
    testenv::writeFile(dir + "/src/.hidden/c.txt", "c");
    setMtime(dir + "/src/sub/b.txt", 1000000000);
    ::symlink(QFile::encodeName(dir + "/src").constData(), QFile::encodeName(dir + "/src/sub/up").constData());
    QDir().mkpath(dir + "/dst");

    fso.CopyFile(w + "\\src\\a.txt", w + "\\dst\\");
    EXPECT_EQ(testenv::readFile(dir + "/dst/a.txt"), "a");
    testenv::writeFile(dir + "/src/a.txt", "a2");
    EXPECT_EQ(errorOf([&] { fso.CopyFile(w + "\\src\\a.txt", w + "\\dst\\a.txt", false); }), vb::errFileExists);
    fso.CopyFile(w + "\\src\\a.txt", w + "\\dst\\a.txt", true);
    EXPECT_EQ(testenv::readFile(dir + "/dst/a.txt"), "a2");
    EXPECT_EQ(errorOf([&] { fso.CopyFile(w + "\\src\\none", w + "\\dst\\"); }), vb::errFileNotFound);

    fso.CopyFolder(w + "\\src", w + "\\copy");
    EXPECT_EQ(testenv::readFile(dir + "/copy/sub/b.txt"), "b");
    EXPECT_EQ(testenv::readFile(dir + "/copy/.hidden/c.txt"), "c");
    EXPECT_EQ(QFileInfo(dir + "/copy/sub/b.txt").lastModified().toSecsSinceEpoch(), 1000000000);
    EXPECT_FALSE(QFileInfo::exists(dir + "/copy/sub/up"));   // the link back up is not followed
    fso.CopyFolder(w + "\\src", w + "\\dst\\");               // into the folder, under its own name
    EXPECT_EQ(testenv::readFile(dir + "/dst/src/a.txt"), "a2");
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(w + "\\src", w + "\\copy", false); }), vb::errFileExists);
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(w + "\\src", w + "\\src\\sub\\inner"); }), vb::errPermissionDenied);
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(w + "\\none", w + "\\x"); }), vb::errPathNotFound);
}

TEST_F(Fso, DeletingFoldersAndFiles) {
    testenv::writeFile(dir + "/keep/precious.txt", "p");
    testenv::writeFile(dir + "/tree/a/b.txt", "b");
    testenv::writeFile(dir + "/tree/ro.txt", "r");
    ::chmod(QFile::encodeName(dir + "/tree/ro.txt").constData(), 0444);
    ::symlink(QFile::encodeName(dir + "/keep").constData(), QFile::encodeName(dir + "/tree/a/link").constData());

    EXPECT_EQ(errorOf([&] { fso.DeleteFolder(w + "\\tree"); }), vb::errPermissionDenied);
    EXPECT_TRUE(QFileInfo::exists(dir + "/tree/ro.txt"));
    fso.DeleteFolder(w + "\\TREE", true);
    EXPECT_FALSE(QFileInfo::exists(dir + "/tree"));
    EXPECT_EQ(testenv::readFile(dir + "/keep/precious.txt"), "p");   // what the link pointed at stays
    EXPECT_EQ(errorOf([&] { fso.DeleteFolder(w + "\\tree"); }), vb::errPathNotFound);
    for (const QString& top : {QString("C:\\"), QString("C:\\.."), ProgramFolder(), ProgramFolder() + "\\.."})
        EXPECT_EQ(errorOf([&] { fso.DeleteFolder(top, true); }), vb::errPermissionDenied) << top.toStdString();
    EXPECT_TRUE(QFileInfo(testenv::home()).isDir());
    EXPECT_TRUE(QFileInfo(testenv::programDir()).isDir());

    for (const char* n : {"x1.tmp", "x2.tmp", ".x3.tmp", "y.txt"})
        testenv::writeFile(dir + "/del/" + n, "x");
    fso.DeleteFile(w + "\\del\\x*.tmp");
    EXPECT_EQ(QDir(dir + "/del").entryList(QDir::Files | QDir::Hidden, QDir::Name), (QStringList{".x3.tmp", "y.txt"}));
    EXPECT_EQ(errorOf([&] { fso.DeleteFile(w + "\\del\\x*.tmp"); }), vb::errFileNotFound);
    ::chmod(QFile::encodeName(dir + "/del/y.txt").constData(), 0444);
    EXPECT_EQ(errorOf([&] { fso.DeleteFile(w + "\\del\\y.txt"); }), vb::errPermissionDenied);
    fso.DeleteFile(w + "\\del\\y.txt", true);
    EXPECT_FALSE(QFileInfo::exists(dir + "/del/y.txt"));
}

TEST_F(Fso, CreateFolderAndDrives) {
    const FsoFolder made = fso.CreateFolder(w + "\\made");
    EXPECT_TRUE(QFileInfo(dir + "/made").isDir());
    EXPECT_EQ(made.Path(), w + "\\made");
    EXPECT_EQ(errorOf([&] { fso.CreateFolder(w + "\\MADE"); }), vb::errFileExists);
    EXPECT_EQ(errorOf([&] { fso.CreateFolder(w + "\\no\\made"); }), vb::errPathNotFound);

    const FsoDrive c = fso.GetDrive("c");
    EXPECT_EQ(c.DriveLetter, "C");
    EXPECT_EQ(c.Path, "C:");
    EXPECT_EQ(c.RootFolder, "C:\\");
    EXPECT_TRUE(c.IsReady);
    EXPECT_GT(c.TotalSize, 0);
    EXPECT_EQ(c.TotalSize, GetDriveFacts("C:").totalSize);
    EXPECT_EQ(errorOf([&] { fso.GetDrive("Q:"); }), vb::errDeviceUnavailable);
    QStringList letters;
    for (const FsoDrive& d : fso.Drives())
        letters << d.DriveLetter + ":";
    EXPECT_EQ(letters, DriveLetters());

    // Drive types in the object's own numbering.
    SetDriveOverride('M', testenv::root() + "/no-medium");
    EXPECT_EQ(fso.GetDrive("M").DriveType, fsoRemovable);
    EXPECT_FALSE(fso.GetDrive("M").IsReady);
    ClearDriveOverrides();
}

}  // namespace
