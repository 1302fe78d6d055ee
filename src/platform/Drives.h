// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QChar>
#include <QString>
#include <QStringList>

// Drive letters and the facts of the volume behind a drive.
namespace platform {

struct DriveFacts {
    bool isReady = false;
    // 0 unknown, 1 no root folder (no such drive), 2 removable, 3 fixed,
    // 4 network, 5 CD-ROM, 6 RAM disk
    int driveType = 0;
    QString fileSystem;    // "NTFS", "FAT32", "CDFS", "UDF", or the host's name ("ext4", "tmpfs")
    QString volumeName;    // the volume label, "" when it has none
    QString shareName;     // "\\server\share" for a network drive, else ""
    QString path;          // "C:" (or "\\server\share")
    QString rootFolder;    // "C:\" (or "\\server\share\")
    quint32 serialNumber = 0;   // from the file system's UUID, 0 when it has none
    qint64 totalSize = 0;
    qint64 freeSpace = 0;        // free bytes of the volume
    qint64 availableSpace = 0;   // free bytes this user may write
};

// Facts of a drive ("C", "C:", "C:\"), or of the mount holding a Windows path
// ("Z:\mnt\stick\x", "\\server\share\x"). A drive that is not assigned gives
// isReady false and driveType 1; a drive whose folder is missing gives
// isReady false and driveType 2 (a drive without its medium).
DriveFacts GetDriveFacts(const QString& windowsPathOrLetter);

// The assigned drives as "C:", "D:", ..., "Z:", by letter.
QStringList DriveLetters();

// The host folder of a drive letter, "" when it is not assigned.
QString DriveRootHost(QChar letter);
// What a drive letter stands for, as the window shows it beside the letter:
// "home" for the drive of the home folder, else the drive's host folder
// ("/", "/media/stick"); "" when the letter is not assigned.
QString DriveMeaning(QChar letter);

// Free bytes of the volume holding an existing folder (Windows path):
// available to this user, total size, total free. False (all 0) when it
// cannot be queried.
bool GetDiskFreeSpaceEx(const QString& windowsPath, qint64* freeToCaller, qint64* totalBytes,
                        qint64* totalFree);

// Puts drive `letter` onto a host folder (an empty path removes the
// override). The letters D: to Y: of mounted media move to the letters that
// remain free.
void SetDriveOverride(QChar letter, const QString& hostPath);
void ClearDriveOverrides();

// Tests: the folder that holds by-label/ and by-uuid/ (normally /dev/disk).
void SetDeviceLinksRootForTest(const QString& hostPath);

}  // namespace platform
