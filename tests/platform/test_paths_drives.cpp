// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "FakeMounts.h"
#include "support/TestEnv.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

using namespace platform;

namespace {

struct Vfs {
    qint64 total, free, avail;
};

Vfs statvfsOf(const QString& host) {
    struct statvfs sv {};
    EXPECT_EQ(::statvfs(QFile::encodeName(host).constData(), &sv), 0);
    return {qint64(sv.f_blocks) * qint64(sv.f_frsize), qint64(sv.f_bfree) * qint64(sv.f_frsize),
            qint64(sv.f_bavail) * qint64(sv.f_frsize)};
}

TEST(DriveFacts, OfAFolderDriveComeFromItsVolume) {
    ClearDriveOverrides();
    const QString dir = testenv::tempDir("drive");
    SetDriveOverride('T', dir);
    const DriveFacts f = GetDriveFacts("T:");
    EXPECT_TRUE(f.isReady);
    EXPECT_EQ(f.path, "T:");
    EXPECT_EQ(f.rootFolder, "T:\\");
    EXPECT_FALSE(f.fileSystem.isEmpty());
    const Vfs v = statvfsOf(dir);
    EXPECT_EQ(f.totalSize, v.total);
    EXPECT_GT(f.totalSize, 0);
    EXPECT_LE(f.availableSpace, f.freeSpace);
    EXPECT_LE(f.freeSpace, f.totalSize);
    // The letter alone, with a backslash, or a path below it: the same volume.
    EXPECT_EQ(GetDriveFacts("t").totalSize, v.total);
    EXPECT_EQ(GetDriveFacts("T:\\").totalSize, v.total);

    qint64 avail = -1, total = -1, free = -1;
    EXPECT_TRUE(GetDiskFreeSpaceEx("T:\\", &avail, &total, &free));
    EXPECT_EQ(total, v.total);
    EXPECT_LE(avail, free);
    ClearDriveOverrides();
}

TEST(DriveFacts, MissingDrivesAndMedia) {
    ClearDriveOverrides();
    // A letter with nothing behind it.
    DriveFacts f = GetDriveFacts("Q:");
    EXPECT_FALSE(f.isReady);
    EXPECT_EQ(f.driveType, 1);
    // A drive whose folder is gone: a drive without its medium.
    SetDriveOverride('R', testenv::root() + "/no-such-medium");
    f = GetDriveFacts("R");
    EXPECT_FALSE(f.isReady);
    EXPECT_EQ(f.driveType, 2);
    EXPECT_EQ(f.totalSize, 0);
    qint64 avail = -1, total = -1, free = -1;
    EXPECT_FALSE(GetDiskFreeSpaceEx("R:\\", &avail, &total, &free));
    EXPECT_EQ(avail + total + free, 0);
    EXPECT_FALSE(GetDiskFreeSpaceEx("\\\\nobody\\share", &avail, &total, &free));
    ClearDriveOverrides();
}

TEST(DriveFacts, KindLabelSerialAndShareOfMounts) {
    // Device links as udev makes them, pointing at stand-in device files.
    const QString devs = testenv::tempDir("dev");
    const QString links = testenv::tempDir("disk");
    testenv::writeFile(devs + "/sdz1", "");
    testenv::writeFile(devs + "/sdz2", "");
    QDir().mkpath(links + "/by-label");
    QDir().mkpath(links + "/by-uuid");
    QFile::link(devs + "/sdz1", links + "/by-label/MY\\x20STICK");
    QFile::link(devs + "/sdz1", links + "/by-uuid/ABCD-1234");
    QFile::link(devs + "/sdz2", links + "/by-uuid/0123456789ABCDEF");
    SetDeviceLinksRootForTest(links);

    const QString stick = testenv::tempDir("m1-stick");
    const QString ntfs = testenv::tempDir("m2-ntfs");
    const QString cd = testenv::tempDir("m3-cd");
    const QString share = testenv::tempDir("m4-share");
    const QString ram = testenv::tempDir("m5-ram");
    FakeMounts mounts({
        {stick, "vfat", devs + "/sdz1"},
        {ntfs, "ntfs3", devs + "/sdz2"},
        {cd, "iso9660", "/dev/sr0"},
        {share, "cifs", "//Server/Backup"},
        {ram, "tmpfs", "tmpfs"},
    });

    const struct {
        const char* drive;
        int type;
        const char* fs;
        const char* label;
        quint32 serial;
        const char* shareName;
    } cases[] = {
        {"D:", 3, "FAT32", "MY STICK", 0xABCD1234u, ""},
        {"E:", 3, "NTFS", "", 0x89ABCDEFu, ""},
        {"F:", 5, "CDFS", "", 0, ""},
        {"G:", 4, "cifs", "", 0, "\\\\Server\\Backup"},
        {"Z:" /* placeholder, replaced below */, 6, "tmpfs", "", 0, ""},
    };
    for (const auto& c : cases) {
        const QString spec = QString::fromUtf8(c.drive) == "Z:" ? ToWindows(ram) : QString::fromUtf8(c.drive);
        const DriveFacts f = GetDriveFacts(spec);
        EXPECT_TRUE(f.isReady) << c.drive;
        EXPECT_EQ(f.driveType, c.type) << c.drive;
        EXPECT_EQ(f.fileSystem, c.fs) << c.drive;
        EXPECT_EQ(f.volumeName, c.label) << c.drive;
        EXPECT_EQ(f.serialNumber, c.serial) << c.drive;
        EXPECT_EQ(f.shareName, c.shareName) << c.drive;
    }
    // The share by its network name.
    const DriveFacts byUnc = GetDriveFacts("\\\\server\\backup");
    EXPECT_TRUE(byUnc.isReady);
    EXPECT_EQ(byUnc.driveType, 4);
    EXPECT_EQ(byUnc.path, "\\\\server\\backup");
    EXPECT_EQ(GetDriveFacts("\\\\server\\other").driveType, 1);
    // Dir's volume label.
    EXPECT_EQ(Dir("D:\\", vbVolume), "MY STICK");

    SetDeviceLinksRootForTest({});
}

// The facts a mount gives are kept for the run's many questions, and asked
// again as soon as the mount table changes.
TEST(DriveFacts, AChangedMountTableIsSeenAtOnce) {
    const QString stick = testenv::tempDir("m1-again");
    {
        FakeMounts mounts({{stick, "vfat", "/dev/sdy1"}});
        EXPECT_EQ(GetDriveFacts("D:").fileSystem, "FAT32");
        EXPECT_EQ(GetDriveFacts("D:").driveType, 3);
    }
    FakeMounts remounted({{stick, "exfat", "/dev/sdy1"}, {testenv::tempDir("m2-again"), "cifs", "//S/Share"}});
    EXPECT_EQ(GetDriveFacts("D:").fileSystem, "exFAT");
    EXPECT_EQ(GetDriveFacts("E:").shareName, "\\\\S\\Share");
}

// Unmounts at the end of the test, whatever happens in it.
class TmpfsMount {
public:
    explicit TmpfsMount(const QString& where, const char* options) : where_(QFile::encodeName(where)) {
        ok_ = ::mount("tmpfs", where_.constData(), "tmpfs", 0, options) == 0;
        if (!ok_)
            error_ = std::strerror(errno);
    }
    ~TmpfsMount() {
        if (ok_)
            ::umount2(where_.constData(), MNT_DETACH);
    }
    bool ok() const { return ok_; }
    const char* error() const { return error_; }
    void unmount() {
        if (ok_ && ::umount2(where_.constData(), 0) == 0)
            ok_ = false;
    }

private:
    QByteArray where_;
    bool ok_ = false;
    const char* error_ = "";
};

TEST(DriveFacts, OfARealTmpfsMount) {
    if (!testenv::isRoot())
        GTEST_SKIP() << "mounting needs root";
    ClearDriveOverrides();
    const QString where = testenv::tempDir("ram");
    const QString w = ToWindows(where);
    const QString before = GetDriveFacts(w).fileSystem;
    TmpfsMount m(where, "size=8m,mode=0755");
    if (!m.ok())
        GTEST_SKIP() << "cannot mount tmpfs: " << m.error();

    // The mount table is read again once the kernel reports the change.
    DriveFacts f = GetDriveFacts(w);
    EXPECT_TRUE(f.isReady);
    EXPECT_EQ(f.fileSystem, "tmpfs");
    EXPECT_EQ(f.driveType, 6);
    EXPECT_EQ(f.totalSize, 8 * 1024 * 1024);
    EXPECT_EQ(f.freeSpace, f.totalSize);

    testenv::writeFile(where + "/one-mb.bin", QByteArray(1024 * 1024, 'x'));
    const DriveFacts after = GetDriveFacts(w + "\\one-mb.bin\\..");
    EXPECT_LE(after.freeSpace, f.freeSpace - 1024 * 1024);
    EXPECT_EQ(after.totalSize, f.totalSize);

    // As a drive of its own.
    SetDriveOverride('R', where);
    f = GetDriveFacts("R:");
    EXPECT_EQ(f.fileSystem, "tmpfs");
    EXPECT_EQ(f.path, "R:");
    ClearDriveOverrides();

    QFile::remove(where + "/one-mb.bin");
    m.unmount();
    EXPECT_FALSE(m.ok()) << "still mounted";
    EXPECT_EQ(GetDriveFacts(w).fileSystem, before);
}

}  // namespace
