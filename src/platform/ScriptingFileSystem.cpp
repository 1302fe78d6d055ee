// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ScriptingFileSystem.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

#include "platform/HostNames.h"
#include "platform/DriveTable.h"
#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/PathResolver.h"
#include "platform/WindowsPattern.h"
#include "vb/VbError.h"

namespace platform {
namespace {

bool isSep(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }

bool endsWithSep(const QString& s) { return !s.isEmpty() && isSep(s.back()); }

// The Windows form to report for a path the caller gave: the caller's own
// form (drive or network) tidied up, or, for relative paths and paths with
// "." or "..", the form of the host path.
QString displayPath(const QString& given, const QString& host) {
    QString s = given;
    s.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const bool unc = s.startsWith(QLatin1String("\\\\"));
    const bool drive = s.size() >= 2 && s[1] == QLatin1Char(':') && s[0].isLetter();
    if (!unc && !drive)
        return ToWindows(host);
    const QString head = unc ? QStringLiteral("\\\\") : s.left(2).toUpper() + QLatin1Char('\\');
    const QStringList parts = s.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& p : parts)
        if (p == QLatin1String(".") || p == QLatin1String(".."))
            return ToWindows(host);
    return head + parts.join(QLatin1Char('\\'));
}

QString joinWindows(const QString& folder, const QString& name) {
    return endsWithSep(folder) ? folder + name : folder + QLatin1Char('\\') + name;
}

QString joinHost(const QString& folder, const QString& name) {
    return folder == QLatin1String("/") ? QLatin1Char('/') + name : folder + QLatin1Char('/') + name;
}

HostStat statOrRaise(const QString& host) {
    const HostStat st = StatHost(host);
    if (st.kind == EntryKind::Missing)
        RaiseMissing(host);
    return st;
}

int fsoDriveType(int win32Type) {
    switch (win32Type) {
    case 2:
        return fsoRemovable;
    case 3:
        return fsoFixed;
    case 4:
        return fsoNetwork;
    case 5:
        return fsoCDRom;
    case 6:
        return fsoRamDisk;
    default:
        return fsoUnknownType;
    }
}

FsoDrive fromFacts(const DriveFacts& f) {
    FsoDrive d;
    d.DriveLetter = f.path.size() == 2 && f.path[1] == QLatin1Char(':') ? f.path.left(1) : QString();
    d.DriveType = fsoDriveType(f.driveType);
    d.IsReady = f.isReady;
    d.AvailableSpace = f.availableSpace;
    d.FreeSpace = f.freeSpace;
    d.TotalSize = f.totalSize;
    d.FileSystem = f.fileSystem;
    d.Path = f.path;
    d.RootFolder = f.rootFolder;
    d.SerialNumber = qint32(f.serialNumber);
    d.ShareName = f.shareName;
    d.VolumeName = f.volumeName;
    return d;
}

void copyTree(const QString& srcHost, const QString& dstHost, bool overwrite) {
    const HostStat dst = StatHost(dstHost);
    if (dst.kind == EntryKind::File || dst.kind == EntryKind::Other)
        vb::Raise(vb::errFileExists);
    if (dst.kind == EntryKind::Missing) {
        const QByteArray p = platform::HostBytes(dstHost);
        if (::mkdir(p.constData(), 0777) != 0 && errno != EEXIST)
            RaiseErrno(errno, false);
        NoteEntryCreated(dstHost);
    }
    // Names first, so that what is created meanwhile is not walked.
    std::vector<std::pair<QString, EntryKind>> entries;
    HostFolderReader reader;
    if (!reader.open(srcHost))
        RaiseErrno(errno, false);
    QString name;
    EntryKind kind = EntryKind::Missing;
    bool link = false;
    while (reader.next(&name, &kind, &link)) {
        if (kind == EntryKind::Folder && link)
            continue;
        entries.emplace_back(name, kind);
    }
    for (const auto& [n, k] : entries) {
        if (k == EntryKind::Folder)
            copyTree(joinHost(srcHost, n), joinHost(dstHost, n), overwrite);
        else
            CopyHostFile(joinHost(srcHost, n), joinHost(dstHost, n), overwrite);
    }
}

// A destination that ends in "\" is a folder that must be there: the copy
// goes into it under the source's name. Any other destination gives "".
QString intoFolder(const QString& destination, const QString& srcHost) {
    if (!endsWithSep(destination))
        return {};
    const QString folder = HostPathOrRaise(destination);
    if (StatHost(folder).kind != EntryKind::Folder)
        vb::Raise(vb::errPathNotFound);
    return joinHost(folder, HostName(srcHost));
}

}  // namespace

// ---- FsoFile ----

QString FsoFile::Name() const { return HostName(host_); }

QString FsoFile::ParentFolder() const {
    QString folder;
    SplitWindowsPath(path_, &folder, nullptr);
    if (folder.size() > 3 && endsWithSep(folder))
        folder.chop(1);
    return folder;
}

qint64 FsoFile::Size() const { return statOrRaise(host_).size; }

QDateTime FsoFile::DateLastModified() const { return LocalTime(statOrRaise(host_).mtime, true); }

QDateTime FsoFile::DateCreated() const { return LocalTime(statOrRaise(host_).btime, true); }

QDateTime FsoFile::DateLastAccessed() const { return LocalTime(statOrRaise(host_).atime, true); }

int FsoFile::Attributes() const { return int(AttributesOf(host_, statOrRaise(host_))); }

// ---- FsoFolder ----

QString FsoFolder::Name() const { return IsRootFolder() ? QString() : HostName(host_); }

bool FsoFolder::IsRootFolder() const {
    if (path_.size() == 3 && path_[1] == QLatin1Char(':'))
        return true;
    if (path_.startsWith(QLatin1String("\\\\")))
        return path_.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts).size() <= 2;
    return false;
}

QString FsoFolder::child(const QString& name) const { return joinWindows(path_, name); }

std::vector<FsoFolder> FsoFolder::SubFolders() const {
    std::vector<FsoFolder> out;
    HostFolderReader reader;
    if (!reader.open(host_))
        RaiseErrno(errno, false);
    QString name;
    EntryKind kind = EntryKind::Missing;
    bool link = false;
    while (reader.next(&name, &kind, &link)) {
        if (kind != EntryKind::Folder || link)
            continue;
        FsoFolder f;
        f.path_ = child(name);
        f.host_ = joinHost(host_, name);
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<FsoFile> FsoFolder::Files() const {
    std::vector<FsoFile> out;
    HostFolderReader reader;
    if (!reader.open(host_))
        RaiseErrno(errno, false);
    QString name;
    EntryKind kind = EntryKind::Missing;
    while (reader.next(&name, &kind, nullptr)) {
        if (kind != EntryKind::File)
            continue;
        FsoFile f;
        f.path_ = child(name);
        f.host_ = joinHost(host_, name);
        out.push_back(std::move(f));
    }
    return out;
}

QStringList FsoFolder::SubFolderNames() const {
    QStringList out;
    for (const FsoFolder& f : SubFolders())
        out << f.Name();
    return out;
}

QStringList FsoFolder::FileNames() const {
    QStringList out;
    for (const FsoFile& f : Files())
        out << f.Name();
    return out;
}

int FsoFolder::Attributes() const { return int(AttributesOf(host_, statOrRaise(host_))); }

QDateTime FsoFolder::DateCreated() const { return LocalTime(statOrRaise(host_).btime, true); }

QDateTime FsoFolder::DateLastModified() const { return LocalTime(statOrRaise(host_).mtime, true); }

// ---- ScriptingFileSystem ----

bool ScriptingFileSystem::FolderExists(const QString& path) const {
    const HostPath h = ResolveWindowsPath(path);
    return h.ok() && StatHost(h.path).kind == EntryKind::Folder;
}

bool ScriptingFileSystem::FileExists(const QString& path) const {
    const HostPath h = ResolveWindowsPath(path);
    return h.ok() && !endsWithSep(path) && StatHost(h.path).kind == EntryKind::File;
}

bool ScriptingFileSystem::DriveExists(const QString& driveSpec) const {
    return GetDriveFacts(driveSpec).driveType != 1;
}

FsoFolder ScriptingFileSystem::GetFolder(const QString& path) const {
    const HostPath h = ResolveWindowsPath(path);
    if (!h.ok() || StatHost(h.path).kind != EntryKind::Folder) {
        if (h.status == HostPathStatus::NoDrive)
            vb::Raise(vb::errDeviceUnavailable);
        vb::Raise(vb::errPathNotFound);
    }
    FsoFolder f;
    f.host_ = h.path;
    f.path_ = displayPath(path, h.path);
    return f;
}

FsoFile ScriptingFileSystem::GetFile(const QString& path) const {
    const HostPath h = ResolveWindowsPath(path);
    if (!h.ok() || endsWithSep(path) || StatHost(h.path).kind != EntryKind::File) {
        if (h.status == HostPathStatus::NoDrive)
            vb::Raise(vb::errDeviceUnavailable);
        vb::Raise(vb::errFileNotFound);
    }
    FsoFile f;
    f.host_ = h.path;
    // The file's own name as it is on disk.
    QString folder;
    SplitWindowsPath(displayPath(path, h.path), &folder, nullptr);
    f.path_ = folder.isEmpty() ? HostName(h.path) : joinWindows(folder, HostName(h.path));
    return f;
}

FsoDrive ScriptingFileSystem::GetDrive(const QString& driveSpec) const {
    const DriveFacts f = GetDriveFacts(driveSpec);
    if (f.driveType == 1)
        vb::Raise(vb::errDeviceUnavailable);
    return fromFacts(f);
}

std::vector<FsoDrive> ScriptingFileSystem::Drives() const {
    std::vector<FsoDrive> out;
    for (const QString& letter : DriveLetters())
        out.push_back(fromFacts(GetDriveFacts(letter)));
    return out;
}

FsoFolder ScriptingFileSystem::CreateFolder(const QString& path) const {
    const QString host = HostPathOrRaise(path);
    if (StatHost(host).kind != EntryKind::Missing)
        vb::Raise(vb::errFileExists);
    if (StatHost(HostParent(host)).kind != EntryKind::Folder)
        vb::Raise(vb::errPathNotFound);
    const QByteArray p = platform::HostBytes(host);
    if (::mkdir(p.constData(), 0777) != 0)
        RaiseErrno(errno, false);
    NoteEntryCreated(host);
    FsoFolder f;
    f.host_ = host;
    f.path_ = displayPath(path, host);
    return f;
}

void ScriptingFileSystem::DeleteFolder(const QString& path, bool force) const {
    const QString host = HostPathOrRaise(path);
    const HostStat st = StatHost(host);
    if (st.kind != EntryKind::Folder)
        vb::Raise(vb::errPathNotFound);
    if (st.isLink) {   // the link goes, not what it points at
        RemoveHostFile(host, true);
        return;
    }
    RemoveHostTree(host, force);
}

void ScriptingFileSystem::DeleteFile(const QString& path, bool force) const {
    QString folder, last;
    SplitWindowsPath(path, &folder, &last);
    if (last.isEmpty())
        vb::Raise(vb::errFileNotFound);
    if (!HasWildcards(last)) {
        const QString host = HostPathOrRaise(path);
        if (StatHost(host).kind != EntryKind::File)
            RaiseMissing(host);
        RemoveHostFile(host, force);
        return;
    }
    const QString folderHost = folder.isEmpty() ? HostPathOrRaise(QStringLiteral(".")) : HostPathOrRaise(folder);
    if (StatHost(folderHost).kind != EntryKind::Folder)
        vb::Raise(vb::errPathNotFound);
    const WindowsPattern wp(last);
    QStringList victims;
    HostFolderReader reader;
    if (reader.open(folderHost)) {
        QString name;
        EntryKind kind = EntryKind::Missing;
        while (reader.next(&name, &kind, nullptr))
            if (kind == EntryKind::File && wp.matches(name) && (force || !name.startsWith(QLatin1Char('.'))))
                victims << joinHost(folderHost, name);
    }
    if (victims.isEmpty())
        vb::Raise(vb::errFileNotFound);
    for (const QString& v : victims)
        RemoveHostFile(v, force);
}

void ScriptingFileSystem::CopyFile(const QString& source, const QString& destination, bool overwrite) const {
    const QString src = HostPathOrRaise(source);
    const HostStat st = StatHost(src);
    if (st.kind != EntryKind::File)
        RaiseMissing(src);
    QString dst = intoFolder(destination, src);
    if (dst.isEmpty()) {
        dst = HostPathOrRaise(destination);
        if (StatHost(dst).kind == EntryKind::Folder)
            vb::Raise(vb::errPermissionDenied);
    }
    CopyHostFile(src, dst, overwrite);
}

void ScriptingFileSystem::CopyFolder(const QString& source, const QString& destination, bool overwrite) const {
    const QString src = HostPathOrRaise(source);
    if (StatHost(src).kind != EntryKind::Folder)
        vb::Raise(vb::errPathNotFound);
    QString dst = intoFolder(destination, src);
    if (dst.isEmpty()) {
        dst = HostPathOrRaise(destination);
        if (StatHost(HostParent(dst)).kind != EntryKind::Folder)
            vb::Raise(vb::errPathNotFound);
    }
    // Never into itself: that copy would not end.
    if (IsSameOrBelow(dst, src))
        vb::Raise(vb::errPermissionDenied);
    copyTree(src, dst, overwrite);
}

}  // namespace platform
