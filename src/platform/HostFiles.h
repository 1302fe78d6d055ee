// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <sys/types.h>

#include "platform/PathResolver.h"

// Host-side file primitives shared by the VB file functions and the
// scripting file-system object: status, attributes, listing, copying and
// deleting, with host errors turned into VB error numbers.
namespace platform {

// ---- errors ----

// The VB error number for an errno value. `missingFile`: ENOENT means the
// file itself is missing (53) rather than its folder (76).
int VbErrorForErrno(int err, bool missingFile);
[[noreturn]] void RaiseErrno(int err, bool missingFile = true);

// ENOENT for `hostPath`: 53 when its folder exists, else 76.
[[noreturn]] void RaiseMissing(const QString& hostPath);

// The host path of a Windows path, or the VB error for a path that maps to
// nothing: 68 for a drive letter without a drive, 76 for a network path
// without its share, 52 for the empty text and device paths.
QString HostPathOrRaise(const QString& windowsPath);

// ---- status ----

enum class EntryKind { Missing, File, Folder, Other };

struct HostStat {
    EntryKind kind = EntryKind::Missing;
    bool isLink = false;
    mode_t mode = 0;
    qint64 size = 0;
    dev_t dev = 0;
    ino_t ino = 0;
    struct timespec mtime {};
    struct timespec atime {};
    struct timespec btime {};   // creation; the modification time where the file system keeps none
};

// Follows symbolic links; a dangling link is Missing. FIFOs, sockets and
// devices are Other (the file functions never open them).
HostStat StatHost(const QString& hostPath);

// The Win32 attribute bits of an entry (read-only 1, hidden 2, directory 16,
// archive 32; 0 for a plain file without the archive flag): hidden is a name
// that starts with "."; read-only is a missing owner write bit.
quint32 AttributesOf(const QString& hostPath, const HostStat& st);

// The last part of a host path.
QString HostName(const QString& hostPath);
QString HostParent(const QString& hostPath);

// File times. Local time for the VB functions, UTC for find records.
QDateTime LocalTime(const struct timespec& t, bool wholeSeconds);
QDateTime UtcTime(const struct timespec& t);

// ---- listing ----

// Reads a folder one entry at a time in the file system's order, without
// "." and ".."; FIFOs, sockets, devices and dangling links are passed over.
class HostFolderReader {
public:
    HostFolderReader() = default;
    ~HostFolderReader();
    HostFolderReader(const HostFolderReader&) = delete;
    HostFolderReader& operator=(const HostFolderReader&) = delete;

    bool open(const QString& folderHost);   // false with errno set
    bool next(QString* name, EntryKind* kind, bool* isLink);
    void close();
    bool isOpen() const { return dir_ != nullptr; }
    const QString& folder() const { return folder_; }

private:
    void* dir_ = nullptr;
    QString folder_;
};

// ---- changes ----

// Copies a regular file through a temporary name in the target's folder
// that is renamed onto the target at the end, so the target is never left
// half written. Keeps the modification time and the permission bits, as a
// Windows copy keeps the last-write time and the attributes. With overwrite
// false an existing target is error 58; a read-only target is error 70.
void CopyHostFile(const QString& srcHost, const QString& dstHost, bool overwrite);

// Removes one file (not a folder); a read-only file needs `force` (else 70).
void RemoveHostFile(const QString& hostPath, bool force);

// Removes a folder with everything below it. Symbolic links are removed, not
// followed. Read-only files need `force` (else 70, and the walk stops).
void RemoveHostTree(const QString& hostPath, bool force);

// Read-only on/off (the owner write bit).
void SetHostReadOnly(const QString& hostPath, bool readOnly);

}  // namespace platform
