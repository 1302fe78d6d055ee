// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// Windows path <-> host path, the machinery under Paths.h. A Windows path is
//   X:\a\b        a drive path (also "X:", "X:a", and "/" in place of "\")
//   \\srv\sh\a    a network path, mapped onto the mount of that share
//   \a\b or /a/b  rooted at the host's "/" (Z:)
//   a\b           relative to the current folder
// Doubled separators count as one; "." is dropped and ".." removes the
// previous host component, after the drive is mapped (so "<folder>\..\x"
// reaches the sibling of a drive's root folder). A component that does not
// exist with its exact case is looked up without regard to case (the
// convenience of a path a person typed; never below an ExactNamesBelow
// folder); of several matches the first in sorted order wins; a missing one
// is kept as given.
namespace platform {

enum class HostPathStatus {
    Ok,        // mapped (the path itself may or may not exist)
    Empty,     // the empty text
    NoDrive,   // a drive letter with no drive behind it
    NoShare,   // a network path with no mounted share behind it
    Invalid,   // a device path ("\\.\..."), a bare "\\server"
};

struct HostPath {
    QString path;   // clean absolute host path; empty unless status is Ok
    HostPathStatus status = HostPathStatus::Empty;
    bool ok() const { return status == HostPathStatus::Ok; }
};

HostPath ResolveWindowsPath(const QString& windowsPath);

// The Windows form of a host path ("" for the empty text).
QString HostToWindows(const QString& hostPath);

// Splits a Windows path at its last separator into folder and last part:
// "C:\a\b.txt" -> {"C:\a\", "b.txt"}; "C:b" -> {"C:", "b"}; "b" -> {"", "b"}.
void SplitWindowsPath(const QString& windowsPath, QString* folder, QString* last);

// Whether `name` is one plain part of a path: not empty, not "." or "..",
// without a separator.
bool IsPlainName(const QString& name);

// The host path of one name, as a listing gave it, in a folder whose host
// path is known: the name is taken as written, never matched without
// regard to case (an entry that differs from it only in case is another
// file). Empty for a name that is not one plain part ("", ".", "..", or
// with a separator): resolve the whole path then. With `missing`, it is
// told whether the folder's cached names show nothing of that name in any
// case (so nothing there answers to it, on any file system).
QString ResolveHostChild(const QString& folderHost, const QString& name, bool* missing = nullptr);

// While the object lives, the names below the folder it was made with are
// exact: a part of a path below it that does not exist as written is taken
// as written (a new file or folder), never found without regard to case. A
// run holds one for each folder whose names it reads from the file system or
// makes from such names (its sources, its destination), so that two names
// that differ only in case stay two files; the folder itself, as a person
// typed it, is still found in any case.
class ExactNamesBelow {
public:
    explicit ExactNamesBelow(const QString& windowsFolder);
    ~ExactNamesBelow();
    ExactNamesBelow(const ExactNamesBelow&) = delete;
    ExactNamesBelow& operator=(const ExactNamesBelow&) = delete;

private:
    QString root_;   // host path; "" when the folder maps to nothing
};

// Whether the file system of a folder may find a name in any letter case
// (FAT, exFAT, NTFS, shares of Windows, and user-space file systems, which
// may be any of these): told by its type, kept per file system.
bool FoldsLetterCase(const QString& folderHost);

// True when `hostPath` (on a file system that finds names in any letter
// case, such as FAT) reaches an entry whose name differs from the path's
// own: writing it would replace another file. The parts below the innermost
// ExactNamesBelow folder that holds the path are checked (only the last one
// outside such a folder).
bool NameHeldInOtherCase(const QString& hostPath);

// Keeps the case-lookup cache of a folder current after this process
// created or removed an entry in it (so big folders are not re-read for
// every file copied into them).
void NoteEntryCreated(const QString& hostPath);
void NoteEntryRemoved(const QString& hostPath);

// One change of a folder by this process (an entry made, replaced or
// removed), made while the object lives, so that the folder's cached names
// take it as this process's own and the folder is not read again for it.
// For changes that several threads make in one folder at once (copies on
// worker threads), where a note after the fact would take one thread's
// change for a stranger's. The folder's stamp is compared when the object is
// made: one left by anybody else has the folder read anew, as it has while
// no change of this process is under way. Without done() the cached names
// are dropped.
class OwnFolderChange {
public:
    explicit OwnFolderChange(const QString& folderHost);
    ~OwnFolderChange();
    OwnFolderChange(const OwnFolderChange&) = delete;
    OwnFolderChange& operator=(const OwnFolderChange&) = delete;

    // The change is made: `created` is the name it made or replaced ("" for
    // one that no lookup counts, such as a temporary file).
    void done(const QString& created = {});

private:
    QString folder_;
    quint64 serial_ = 0;     // the cached names the change is counted in (0: none)
    bool done_ = false;
};

}  // namespace platform
