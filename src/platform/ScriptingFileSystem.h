// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// The part of the scripting runtime's file-system object that the program
// uses: drives, folders and their listings, file dates, sizes and
// attributes, copying and deleting. Windows paths; failures raise
// vb::VbError (53 file not found, 58 already exists, 68 no such drive,
// 70 permission denied, 76 path not found, ...). Listings come in the file
// system's order; they hold hidden files and folders too. A symbolic link
// to a folder is not listed as a sub-folder (so a walk never loops).
namespace platform {

// Drive type codes of the file-system object.
enum : int {
    fsoUnknownType = 0,
    fsoRemovable = 1,
    fsoFixed = 2,
    fsoNetwork = 3,
    fsoCDRom = 4,
    fsoRamDisk = 5,
};

struct FsoDrive {
    QString DriveLetter;   // "C" ("" for a network share)
    int DriveType = fsoUnknownType;
    bool IsReady = false;
    qint64 AvailableSpace = 0;
    qint64 FreeSpace = 0;
    qint64 TotalSize = 0;
    QString FileSystem;
    QString Path;          // "C:"
    QString RootFolder;    // "C:\"
    qint32 SerialNumber = 0;
    QString ShareName;
    QString VolumeName;
};

class FsoFile {
public:
    FsoFile() = default;
    const QString& Path() const { return path_; }
    QString Name() const;
    QString ParentFolder() const;   // the folder's path
    // Live values; 53 when the file has gone meanwhile.
    qint64 Size() const;
    QDateTime DateLastModified() const;   // local time, whole seconds
    QDateTime DateCreated() const;
    QDateTime DateLastAccessed() const;
    int Attributes() const;               // vbReadOnly | vbHidden | vbArchive ...
    const QString& hostPath() const { return host_; }

private:
    friend class ScriptingFileSystem;
    friend class FsoFolder;
    QString path_, host_;
};

class FsoFolder {
public:
    FsoFolder() = default;
    const QString& Path() const { return path_; }   // "C:\Data", "C:\" for a root
    QString Name() const;                            // "" for a drive's root
    bool IsRootFolder() const;
    std::vector<FsoFolder> SubFolders() const;
    std::vector<FsoFile> Files() const;
    QStringList SubFolderNames() const;
    QStringList FileNames() const;
    int Attributes() const;
    QDateTime DateCreated() const;
    QDateTime DateLastModified() const;
    const QString& hostPath() const { return host_; }

private:
    friend class ScriptingFileSystem;
    QString path_, host_;
    QString child(const QString& name) const;
};

class ScriptingFileSystem {
public:
    bool FolderExists(const QString& path) const;
    bool FileExists(const QString& path) const;
    bool DriveExists(const QString& driveSpec) const;

    FsoFolder GetFolder(const QString& path) const;   // 76 when missing
    FsoFile GetFile(const QString& path) const;       // 53 when missing
    FsoDrive GetDrive(const QString& driveSpec) const;   // "C", "C:", "C:\", "\\server\share"; 68 when none
    std::vector<FsoDrive> Drives() const;

    FsoFolder CreateFolder(const QString& path) const;   // 58 when it exists, 76 without its parent
    // Deletes a folder with its whole contents; read-only files only with
    // force (else 70). A drive's root folder is never deleted (70).
    void DeleteFolder(const QString& path, bool force = false) const;
    // Deletes a file, or the files a wildcard name matches (hidden ones only
    // with force); 53 when nothing matches; read-only ones only with force.
    void DeleteFile(const QString& path, bool force = false) const;
    // Copies a file; a destination ending in "\" is a folder that receives
    // the file under its own name. With overwrite false an existing target
    // is 58; a read-only target is 70. The target gets the source's
    // modification time.
    void CopyFile(const QString& source, const QString& destination, bool overwrite = true) const;
    // Copies a folder with everything below it (a destination ending in "\"
    // receives it under its own name); existing files are replaced with
    // overwrite, else 58. Stops at the first failure.
    void CopyFolder(const QString& source, const QString& destination, bool overwrite = true) const;
};

}  // namespace platform
