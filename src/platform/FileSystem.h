// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <vector>

// VB's file functions on Windows paths. Failures raise vb::VbError with VB's
// numbers: 52 bad file name, 53 file not found, 58 file already exists,
// 61 disk full, 68 device unavailable (no such drive), 70 permission denied,
// 74 rename across drives, 75 path/file access error, 76 path not found.
//
// Attributes on Linux: hidden = the name starts with "."; read-only = the
// owner write bit is off; system is never set; archive is kept per file in
// the settings database (set while the file differs from what was recorded
// when the flag was cleared).
namespace platform {

enum : int {
    vbNormal = 0,
    vbReadOnly = 1,
    vbHidden = 2,
    vbSystem = 4,
    vbVolume = 8,
    vbDirectory = 16,
    vbArchive = 32,
};

constexpr quint32 kFileAttributeNormal = 0x80;           // Win32: no other bit set
constexpr quint32 kInvalidFileAttributes = 0xFFFFFFFFu;  // Win32: the path does not exist

// A directory search record (times in UTC, as the search gives them).
struct FindRecord {
    quint32 attributes = 0;   // Win32 bits (0x80 for a file with no other bit)
    QDateTime created, accessed, written;
    qint64 size = 0;
    QString name;
    QString shortName;        // always empty: there are no 8.3 names
};

// VB's Dir: the first name that matches `pattern` ("C:\Data\*.txt";
// "*.*" takes names without a dot too; a path ending in "\" lists the whole
// folder) and the attribute set: normal files (read-only ones included)
// always, hidden files, system files and folders only when vbHidden,
// vbSystem, vbDirectory are asked for (a hidden folder needs both).
// vbVolume gives the drive's volume label. Names come in the file system's
// order; "" when there are no more. A missing folder gives "".
QString Dir(const QString& pattern, int attributes = vbNormal);
// The next name of the last search; "" at the end (error 5 when called
// again after that, or before any search).
QString Dir();

// The entries of a search, as records, in the file system's order, with the
// attribute rules of Dir (attributeMask vbHidden | vbSystem | vbDirectory
// takes every entry).
std::vector<FindRecord> FindEntries(const QString& pattern, int attributeMask);

int GetAttr(const QString& path);                  // 53 when missing
void SetAttr(const QString& path, int attributes); // vbReadOnly, vbHidden, vbSystem, vbArchive (else 5)
qint64 FileLen(const QString& path);
QDateTime FileDateTime(const QString& path);       // local time, whole seconds

// Deletes the files that match (wildcards allowed; with wildcards hidden
// files are left alone); 53 when nothing matches, 75 for a read-only file.
void Kill(const QString& pattern);
void MkDir(const QString& path);   // 75 when it exists, 76 when its folder is missing
void RmDir(const QString& path);   // 75 when not empty, 76 when missing

// Copies one file, replacing the target. The copy is written under a
// temporary name in the target folder and renamed at the end: a copy that
// fails leaves the old target (or none) and no partial file.
void FileCopy(const QString& source, const QString& destination);

// Renames or moves a file or folder; 58 when the new name exists (a change
// of case only is allowed), 53 when the old one is missing.
void Name(const QString& oldPath, const QString& newPath);

// Win32-style: the attribute bits, kFileAttributeNormal for a file with no
// other bit, kInvalidFileAttributes when the path does not exist.
quint32 GetFileAttributes(const QString& path);
// Win32-style: false on failure; bits that Linux cannot keep are ignored.
bool SetFileAttributes(const QString& path, quint32 attributes);

}  // namespace platform
