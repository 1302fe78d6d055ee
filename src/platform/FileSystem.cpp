// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/HostNames.h"
#include "platform/ArchiveFlag.h"
#include "platform/DriveTable.h"
#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/PathResolver.h"
#include "platform/WindowsPattern.h"
#include "vb/VbError.h"

namespace platform {
namespace {

QByteArray enc(const QString& p) { return platform::HostBytes(p); }

bool isDriveRoot(const QString& host) {
    const auto table = DriveTable::Current();
    for (const DriveRoot& d : table->drives())
        if (d.hostRoot == host)
            return true;
    for (const NetworkShare& s : table->shares())
        if (s.hostRoot == host)
            return true;
    return false;
}

// Dir's attribute rule: every special attribute of the entry (hidden,
// system, directory) must be asked for.
bool admitted(const QString& name, EntryKind kind, int attributes) {
    int special = 0;
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String(".."))
        special |= vbHidden;
    if (kind == EntryKind::Folder)
        special |= vbDirectory;
    return (special & ~attributes) == 0;
}

// What a search pattern names: the folder to read and the name pattern.
struct Search {
    bool folderMissing = false;   // nothing to list
    QString folderHost;
    QString namePattern;          // the last part ("*" for a trailing "\")
    bool wildcards = false;
    bool dots = false;            // "." and ".." are offered (folders asked for, not a drive root)
};

Search prepareSearch(const QString& pattern, int attributes) {
    Search s;
    QString folder, last;
    SplitWindowsPath(pattern, &folder, &last);
    if (HasWildcards(folder))
        vb::Raise(vb::errBadFileNameOrNumber);
    if (last.isEmpty())
        last = QStringLiteral("*");
    s.namePattern = last;
    s.wildcards = HasWildcards(last);
    if (folder.isEmpty()) {
        s.folderHost = QDir::currentPath();
    } else {
        const HostPath h = ResolveWindowsPath(folder);
        if (h.status == HostPathStatus::NoShare) {
            s.folderMissing = true;
            return s;
        }
        s.folderHost = HostPathOrRaise(folder);
    }
    if (StatHost(s.folderHost).kind != EntryKind::Folder) {
        s.folderMissing = true;
        return s;
    }
    s.dots = (attributes & vbDirectory) && !isDriveRoot(s.folderHost);
    return s;
}

QString childPath(const QString& folderHost, const QString& name) {
    return folderHost == QLatin1String("/") ? QLatin1Char('/') + name : folderHost + QLatin1Char('/') + name;
}

// The single entry a pattern without wildcards names (its actual name), or
// "" when there is none.
QString exactEntry(const Search& s, EntryKind* kind) {
    const HostPath h = ResolveWindowsPath(childPath(s.folderHost, s.namePattern));
    if (!h.ok() || HostParent(h.path) != s.folderHost)
        return {};
    const HostStat st = StatHost(h.path);
    if (st.kind != EntryKind::File && st.kind != EntryKind::Folder)
        return {};
    *kind = st.kind;
    return HostName(h.path);
}

FindRecord recordFor(const QString& hostPath, const QString& name) {
    FindRecord r;
    const HostStat st = StatHost(hostPath);
    quint32 a = AttributesOf(hostPath, st);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        a &= ~quint32(vbHidden);
    r.attributes = a ? a : kFileAttributeNormal;
    r.created = UtcTime(st.btime);
    r.accessed = UtcTime(st.atime);
    r.written = UtcTime(st.mtime);
    r.size = st.kind == EntryKind::File ? st.size : 0;
    r.name = name;
    return r;
}

struct DirState {
    enum class Phase { None, Listing, Ended } phase = Phase::None;
    HostFolderReader reader;
    std::optional<WindowsPattern> pattern;
    int attributes = 0;
    QStringList pending;   // names handed out before the folder's own ("." and "..")
};

DirState& dirState() {
    static DirState s;
    return s;
}

QString nextName(DirState& d) {
    if (!d.pending.isEmpty())
        return d.pending.takeFirst();
    QString name;
    EntryKind kind = EntryKind::Missing;
    while (d.reader.next(&name, &kind, nullptr)) {
        if (d.pattern->matches(name) && admitted(name, kind, d.attributes))
            return name;
    }
    d.phase = DirState::Phase::Ended;
    d.pattern.reset();
    return {};
}

void setArchive(const QString& host, bool on) {
    if (ArchiveFlagIsSet(host) == on)
        return;
    if (on)
        SetArchiveFlag(host);
    else
        ClearArchiveFlag(host);
}

void applyAttributes(const QString& host, int attributes) {
    const HostStat st = StatHost(host);
    if (st.kind == EntryKind::Missing)
        RaiseMissing(host);
    SetHostReadOnly(host, attributes & vbReadOnly);
    // Hidden follows from the name and system does not exist here: both
    // are left as they are.
    if (st.kind == EntryKind::File)
        setArchive(host, attributes & vbArchive);
}

}  // namespace

QString Dir(const QString& pattern, int attributes) {
    DirState& d = dirState();
    d.reader.close();
    d.pattern.reset();
    d.pending.clear();
    d.phase = DirState::Phase::Ended;
    if (attributes & vbVolume) {
        QString drive = pattern;
        if (drive.isEmpty())
            drive = QDir::currentPath();
        else if (drive.size() >= 2 && drive[1] == QLatin1Char(':'))
            drive = drive.left(2);
        return GetDriveFacts(drive).volumeName;
    }
    if (pattern.isEmpty())
        return {};
    const Search s = prepareSearch(pattern, attributes);
    if (s.folderMissing)
        return {};
    if (!s.wildcards) {
        EntryKind kind = EntryKind::Missing;
        const QString name = exactEntry(s, &kind);
        if (name.isEmpty() || !admitted(name, kind, attributes))
            return {};
        d.phase = DirState::Phase::Listing;   // the next call ends the search
        return name;
    }
    if (!d.reader.open(s.folderHost))
        return {};
    d.pattern.emplace(s.namePattern);
    d.attributes = attributes;
    d.phase = DirState::Phase::Listing;
    if (s.dots) {
        for (const QString& dot : {QStringLiteral("."), QStringLiteral("..")})
            if (d.pattern->matches(dot))
                d.pending << dot;
    }
    return nextName(d);
}

QString Dir() {
    DirState& d = dirState();
    if (d.phase != DirState::Phase::Listing) {
        d.phase = DirState::Phase::None;
        vb::Raise(vb::errInvalidCall);
    }
    return nextName(d);
}

std::vector<FindRecord> FindEntries(const QString& pattern, int attributeMask) {
    std::vector<FindRecord> out;
    if (pattern.isEmpty())
        return out;
    const Search s = prepareSearch(pattern, attributeMask);
    if (s.folderMissing)
        return out;
    if (!s.wildcards) {
        EntryKind kind = EntryKind::Missing;
        const QString name = exactEntry(s, &kind);
        if (!name.isEmpty() && admitted(name, kind, attributeMask))
            out.push_back(recordFor(childPath(s.folderHost, name), name));
        return out;
    }
    const WindowsPattern wp(s.namePattern);
    if (s.dots) {
        if (wp.matches(QStringLiteral(".")))
            out.push_back(recordFor(s.folderHost, QStringLiteral(".")));
        if (wp.matches(QStringLiteral("..")))
            out.push_back(recordFor(HostParent(s.folderHost), QStringLiteral("..")));
    }
    HostFolderReader reader;
    if (!reader.open(s.folderHost))
        return out;
    QString name;
    EntryKind kind = EntryKind::Missing;
    while (reader.next(&name, &kind, nullptr)) {
        if (wp.matches(name) && admitted(name, kind, attributeMask))
            out.push_back(recordFor(childPath(s.folderHost, name), name));
    }
    return out;
}

int GetAttr(const QString& path) {
    const QString host = HostPathOrRaise(path);
    const HostStat st = StatHost(host);
    if (st.kind == EntryKind::Missing)
        RaiseMissing(host);
    return int(AttributesOf(host, st));
}

void SetAttr(const QString& path, int attributes) {
    if (attributes & ~(vbReadOnly | vbHidden | vbSystem | vbArchive))
        vb::Raise(vb::errInvalidCall);
    applyAttributes(HostPathOrRaise(path), attributes);
}

qint64 FileLen(const QString& path) {
    const QString host = HostPathOrRaise(path);
    const HostStat st = StatHost(host);
    if (st.kind == EntryKind::Missing)
        RaiseMissing(host);
    return st.kind == EntryKind::File ? st.size : 0;
}

QDateTime FileDateTime(const QString& path) {
    const QString host = HostPathOrRaise(path);
    const HostStat st = StatHost(host);
    if (st.kind == EntryKind::Missing)
        RaiseMissing(host);
    return LocalTime(st.mtime, true);
}

void Kill(const QString& pattern) {
    if (pattern.isEmpty())
        vb::Raise(vb::errFileNotFound);
    const Search s = prepareSearch(pattern, vbNormal);
    if (s.folderMissing)
        vb::Raise(vb::errPathNotFound);
    QStringList victims;
    if (!s.wildcards) {
        EntryKind kind = EntryKind::Missing;
        const QString name = exactEntry(s, &kind);
        if (!name.isEmpty() && kind == EntryKind::File)
            victims << childPath(s.folderHost, name);
    } else {
        const WindowsPattern wp(s.namePattern);
        HostFolderReader reader;
        if (reader.open(s.folderHost)) {
            QString name;
            EntryKind kind = EntryKind::Missing;
            while (reader.next(&name, &kind, nullptr))
                if (kind == EntryKind::File && wp.matches(name) && admitted(name, kind, vbNormal))
                    victims << childPath(s.folderHost, name);
        }
    }
    if (victims.isEmpty())
        vb::Raise(vb::errFileNotFound);
    for (const QString& v : victims) {
        const HostStat st = StatHost(v);
        if (st.kind == EntryKind::Missing)
            continue;
        if (!(st.mode & S_IWUSR))
            vb::Raise(vb::errPathFileAccess);
        RemoveHostFile(v, true);
    }
}

void MkDir(const QString& path) {
    const QString host = HostPathOrRaise(path);
    struct stat st {};
    const QByteArray p = enc(host);
    if (::lstat(p.constData(), &st) == 0)
        vb::Raise(vb::errPathFileAccess);
    if (::mkdir(p.constData(), 0777) != 0) {
        if (errno == EEXIST)
            vb::Raise(vb::errPathFileAccess);
        RaiseErrno(errno, false);
    }
    NoteEntryCreated(host);
}

void RmDir(const QString& path) {
    const QString host = HostPathOrRaise(path);
    const HostStat st = StatHost(host);
    if (st.kind != EntryKind::Folder)
        vb::Raise(vb::errPathNotFound);
    if (isDriveRoot(host) || host == HomeFolderHost())
        vb::Raise(vb::errPathFileAccess);
    const QByteArray p = enc(host);
    if (::rmdir(p.constData()) != 0) {
        if (errno == ENOTEMPTY || errno == EEXIST)
            vb::Raise(vb::errPathFileAccess);
        RaiseErrno(errno, false);
    }
    NoteEntryRemoved(host);
}

void FileCopy(const QString& source, const QString& destination) {
    const QString src = HostPathOrRaise(source);
    const QString dst = HostPathOrRaise(destination);
    CopyHostFile(src, dst, true);
}

void Name(const QString& oldPath, const QString& newPath) {
    const QString from = HostPathOrRaise(oldPath);
    QString to = HostPathOrRaise(newPath);
    struct stat ost {};
    const QByteArray fp = enc(from);
    if (::lstat(fp.constData(), &ost) != 0)
        RaiseErrno(errno, true);

    struct stat nst {};
    QByteArray tp = enc(to);
    if (::lstat(tp.constData(), &nst) == 0) {
        if (nst.st_dev != ost.st_dev || nst.st_ino != ost.st_ino)
            vb::Raise(vb::errFileExists);
        // The same entry: a change of case only, to the name as written.
        QString trimmed = newPath;
        while (trimmed.size() > 1 && (trimmed.endsWith(QLatin1Char('\\')) || trimmed.endsWith(QLatin1Char('/'))))
            trimmed.chop(1);
        QString last;
        SplitWindowsPath(trimmed, nullptr, &last);
        to = childPath(HostParent(to), last);
        if (to == from)
            return;
        tp = enc(to);
    }
    if (StatHost(HostParent(to)).kind != EntryKind::Folder)
        vb::Raise(vb::errPathNotFound);

    int rc = ::renameat2(AT_FDCWD, fp.constData(), AT_FDCWD, tp.constData(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        struct stat probe {};
        if (::lstat(tp.constData(), &probe) == 0 && (probe.st_dev != ost.st_dev || probe.st_ino != ost.st_ino))
            vb::Raise(vb::errFileExists);
        rc = ::rename(fp.constData(), tp.constData());
    }
    if (rc != 0) {
        const int e = errno;
        if (e == EEXIST)
            vb::Raise(vb::errFileExists);
        if (e == EXDEV && S_ISREG(ost.st_mode)) {
            // Another file system: copy, then remove the original.
            CopyHostFile(from, to, false);
            RemoveHostFile(from, true);
            return;
        }
        RaiseErrno(e, true);
    }
    NoteEntryRemoved(from);
    NoteEntryCreated(to);
}

quint32 GetFileAttributes(const QString& path) {
    const HostPath h = ResolveWindowsPath(path);
    if (!h.ok())
        return kInvalidFileAttributes;
    const HostStat st = StatHost(h.path);
    if (st.kind == EntryKind::Missing)
        return kInvalidFileAttributes;
    const quint32 a = AttributesOf(h.path, st);
    return a ? a : kFileAttributeNormal;
}

bool SetFileAttributes(const QString& path, quint32 attributes) {
    if (attributes == kInvalidFileAttributes)
        return false;
    const HostPath h = ResolveWindowsPath(path);
    if (!h.ok())
        return false;
    try {
        applyAttributes(h.path, int(attributes & (vbReadOnly | vbHidden | vbSystem | vbArchive)));
        return true;
    } catch (const vb::VbError&) {
        return false;
    }
}

}  // namespace platform
