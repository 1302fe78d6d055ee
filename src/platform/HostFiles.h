// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
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

// A name the destination's file system cannot hold: one that differs only
// in case from a file there (`otherCase`, on FAT and the like), or one with a
// character it refuses. Error 75 with a text that names the target.
[[noreturn]] void RaiseNameRefused(const QString& hostPath, bool otherCase);

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
    qint64 blocks = 0;   // 512-byte blocks allocated: fewer than the size needs tells of holes
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
// half written. A symbolic link in the target's place is replaced by the
// copy, never written through. The holes of a sparse file stay holes. Keeps the modification time and the permission bits, as a
// Windows copy keeps the last-write time and the attributes. With overwrite
// false an existing target is error 58; a read-only target is error 70,
// unless `replaceReadOnly` (a copy that a backup made of a read-only file,
// which keeps its source's mode, is replaced like any other).
// `source`, when given, is the status of the source just read by the caller
// (a plain file): it is not looked up again.
void CopyHostFile(const QString& srcHost, const QString& dstHost, bool overwrite,
                  const HostStat* source = nullptr, bool replaceReadOnly = false);

// CopyHostFile in two halves, for copies made on worker threads. The first
// touches only the two files (and keeps the path layer's names of the
// target's folder current) and may run on any thread; the second tells the
// program of the copy (its archive flag) and runs on the window's thread,
// after the first succeeded.
struct CopiedFile {
    bool made = false;    // false: the target was the source itself
    bool known = false;   // the copy's size and time were read
    qint64 size = 0;
    struct timespec mtime {};
};
// `dstMissing`: the caller has just found nothing at `dstHost` (a target
// that comes meanwhile is still replaced, or refused without `overwrite`).
CopiedFile CopyHostFileData(const QString& srcHost, const QString& dstHost, bool overwrite,
                            const HostStat* source = nullptr, bool dstMissing = false, bool replaceReadOnly = false);
void NoteHostFileCopied(const QString& dstHost, const CopiedFile& copy);

// Makes the folder `hostPath` in its parent (which is there), as a change of
// this process that keeps the parent's cached names current (see
// OwnFolderChange). False when it cannot.
bool MakeHostFolder(const QString& hostPath);

// Makes sure `hostPath` is a plain file of mode 0600 that only its owner can
// read, for a working file of a run (a temporary archive, its log, an
// encrypted or decrypted copy): a symbolic link in its place is removed, not
// followed; a missing file is created; with `empty` an existing one is
// emptied. Raises the VB error.
void PreparePrivateFile(const QString& hostPath, bool empty);

// Removes a symbolic link at `hostPath` (never what it points at); true when
// there was one.
bool RemoveHostLink(const QString& hostPath);

// The folders below `rootHost` on the way down to `folderHost` that are
// symbolic links are replaced by real, empty folders (the links go, what they
// point at stays as it is), so that nothing is written through them. Stops
// at the first part that does not exist. The host paths of the links that
// were replaced.
QStringList ReplaceLinkedFolders(const QString& rootHost, const QString& folderHost);

// The name of the partial file of a copy in progress, which a killed copy
// leaves behind, and a test of a name for it.
inline const QString kCopyLeftoverPattern = QStringLiteral(".vaultora-copy-*");
bool IsCopyLeftoverName(const QString& name);

// Removes what a killed run leaves directly in a folder: the files and links
// (never followed) whose names match one of the Windows patterns, hidden
// ones too. Passes over what it cannot remove; the number removed.
int RemoveLeftovers(const QString& folderHost, const QStringList& patterns);

// Removes one file (not a folder); a read-only file needs `force` (else 70).
void RemoveHostFile(const QString& hostPath, bool force);

// Removes a folder with everything below it. Symbolic links are removed, not
// followed. Read-only files need `force` (else 70, and the walk stops).
void RemoveHostTree(const QString& hostPath, bool force);

// Read-only on/off (the owner write bit).
void SetHostReadOnly(const QString& hostPath, bool readOnly);

}  // namespace platform
