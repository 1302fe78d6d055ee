// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HostFiles.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/HostNames.h"
#include "platform/ArchiveFlag.h"
#include "platform/DriveTable.h"
#include "platform/Paths.h"
#include "platform/WindowsPattern.h"
#include "vb/VbError.h"

namespace platform {
namespace {

QByteArray enc(const QString& p) { return platform::HostBytes(p); }

bool isDotOrDotDot(const char* n) { return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)); }

// Never removed as a tree: a drive's root folder, the home folder, the
// program folder, and any folder above one of them (".." may climb out of
// a drive's root).
bool isProtectedFolder(const QString& host) {
    if (IsSameOrBelow(HomeFolderHost(), host) || IsSameOrBelow(ProgramFolderHost(), host))
        return true;
    const auto table = DriveTable::Current();
    for (const DriveRoot& d : table->drives())
        if (IsSameOrBelow(d.hostRoot, host))
            return true;
    for (const NetworkShare& s : table->shares())
        if (IsSameOrBelow(s.hostRoot, host))
            return true;
    return false;
}

void closeQuietly(int fd) {
    if (fd >= 0)
        ::close(fd);
}

// Whether a file made without a name (O_TMPFILE) can be given one here.
std::atomic<bool> unnamedFilesUsable{true};

// Gives the file without a name open as `fd` the name `path` (which must
// not exist): directly where this process may, else through its entry in
// /proc. ENOENT when neither can be done.
int linkUnnamed(int fd, const QByteArray& path) {
    if (::linkat(fd, "", AT_FDCWD, path.constData(), AT_EMPTY_PATH) == 0)
        return 0;
    if (errno != ENOENT && errno != EPERM && errno != EINVAL)
        return -1;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    return -1;
}

// Copies the bytes [from, to) of `in` to the same place in `out` with
// pread/pwrite; `to` < 0 copies to the end. Sets *end to where it stopped.
bool copyRangeByReadWrite(int in, int out, off_t from, off_t to, off_t* end) {
    std::vector<char> buf(1 << 20);
    off_t pos = from;
    while (to < 0 || pos < to) {
        const size_t want = to < 0 ? buf.size() : size_t(std::min<off_t>(off_t(buf.size()), to - pos));
        const ssize_t n = ::pread(in, buf.data(), want, pos);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;   // the file ended early (it shrank meanwhile)
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::pwrite(out, buf.data() + done, size_t(n - done), pos + done);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
        pos += n;
    }
    *end = pos;
    return true;
}

// The bytes [from, to) in the kernel where it can, else by read/write.
bool copyRange(int in, int out, off_t from, off_t to, off_t* end) {
    off_t inPos = from, outPos = from;
    while (inPos < to) {
        const ssize_t n = ::copy_file_range(in, &inPos, out, &outPos, size_t(to - inPos), 0);
        if (n > 0)
            continue;
        if (n == 0)
            break;   // the file ended early
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF ||
            errno == ETXTBSY)
            return copyRangeByReadWrite(in, out, inPos, to, end);
        return false;
    }
    *end = inPos;
    return true;
}

// Copies all of a file without holes: `in` to its end, however far it has
// grown meanwhile, to the same place in `out` (empty).
bool copyDense(int in, int out) {
    off_t inPos = 0, outPos = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, &inPos, out, &outPos, size_t(1) << 30, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF ||
            errno == ETXTBSY) {
            off_t end = 0;
            return copyRangeByReadWrite(in, out, inPos, -1, &end);
        }
        return false;
    }
}

// Copies `in` to `out` (both at offset 0, `out` empty). Only the data of a
// sparse file is copied: its holes stay holes in the copy.
bool copyContents(int in, int out) {
    off_t pos = 0;
    for (;;) {
        off_t data = ::lseek(in, pos, SEEK_DATA);
        if (data < 0 && errno == ENXIO) {
            // No data after pos: the rest of the file, if any, is a hole.
            struct stat st {};
            if (::fstat(in, &st) != 0)
                return false;
            if (st.st_size <= pos)
                break;
            data = ::lseek(in, pos, SEEK_DATA);   // data written since?
            if (data < 0 && errno == ENXIO)
                return ::ftruncate(out, st.st_size) == 0;
        }
        if (data < 0) {
            // No hole information here: the whole file as it is.
            off_t end = 0;
            return copyRangeByReadWrite(in, out, pos, -1, &end);
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            return false;
        off_t end = data;
        if (!copyRange(in, out, data, hole, &end))
            return false;
        if (end < hole) {
            // The file shrank while it was read: the copy ends where it did.
            pos = end;
            break;
        }
        pos = hole;
    }
    struct stat copied {};
    if (::fstat(out, &copied) != 0)
        return false;
    return copied.st_size >= pos || ::ftruncate(out, pos) == 0;
}

void removeTreeAt(int parentFd, const QByteArray& name, bool force) {
    int fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        RaiseErrno(errno, false);
    struct stat self {};
    if (force && ::fstat(fd, &self) == 0 && (self.st_mode & (S_IWUSR | S_IXUSR)) != (S_IWUSR | S_IXUSR))
        ::fchmod(fd, self.st_mode | S_IWUSR | S_IXUSR);
    DIR* d = ::fdopendir(fd);
    if (!d) {
        const int e = errno;
        closeQuietly(fd);
        RaiseErrno(e, false);
    }
    std::vector<QByteArray> names;
    while (dirent* e = ::readdir(d))
        if (!isDotOrDotDot(e->d_name))
            names.emplace_back(e->d_name);
    try {
        for (const QByteArray& n : names) {
            struct stat st {};
            if (::fstatat(fd, n.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    continue;
                RaiseErrno(errno, false);
            }
            if (S_ISDIR(st.st_mode)) {
                removeTreeAt(fd, n, force);
                continue;
            }
            if (!force && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
                vb::Raise(vb::errPermissionDenied);
            if (::unlinkat(fd, n.constData(), 0) != 0 && errno != ENOENT)
                RaiseErrno(errno, false);
        }
    } catch (...) {
        ::closedir(d);
        throw;
    }
    ::closedir(d);
    if (::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) != 0)
        RaiseErrno(errno, false);
}

}  // namespace

int VbErrorForErrno(int err, bool missingFile) {
    switch (err) {
    case ENOENT:
        return missingFile ? vb::errFileNotFound : vb::errPathNotFound;
    case ENOTDIR:
        return vb::errPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return vb::errPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return vb::errDiskFull;
    case EEXIST:
        return vb::errFileExists;
    case EIO:
        return vb::errDeviceIO;
    case EXDEV:
        return vb::errRenameAcrossDrives;
    case EMFILE:
    case ENFILE:
        return vb::errTooManyFiles;
    case ENOMEDIUM:
        return vb::errDiskNotReady;
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
        return vb::errDeviceUnavailable;
    case ENOMEM:
        return vb::errOutOfMemory;
    default:
        return vb::errPathFileAccess;
    }
}

void RaiseErrno(int err, bool missingFile) { vb::Raise(VbErrorForErrno(err, missingFile)); }

void RaiseNameRefused(const QString& hostPath, bool otherCase) {
    vb::Raise(vb::errPathFileAccess,
              QStringLiteral("The file system of the destination does not allow the name %1 (%2)")
                  .arg(HostToWindows(hostPath),
                       otherCase ? QStringLiteral("a file there has it in other letter case")
                                 : QStringLiteral("it refuses a character of it")));
}

void RaiseMissing(const QString& hostPath) {
    const HostStat parent = StatHost(HostParent(hostPath));
    vb::Raise(parent.kind == EntryKind::Folder ? vb::errFileNotFound : vb::errPathNotFound);
}

QString HostPathOrRaise(const QString& windowsPath) {
    const HostPath h = ResolveWindowsPath(windowsPath);
    switch (h.status) {
    case HostPathStatus::Ok:
        return h.path;
    case HostPathStatus::NoDrive:
        vb::Raise(vb::errDeviceUnavailable);
    case HostPathStatus::NoShare:
        vb::Raise(vb::errPathNotFound);
    case HostPathStatus::Empty:
    case HostPathStatus::Invalid:
        break;
    }
    vb::Raise(vb::errBadFileNameOrNumber);
}

HostStat StatHost(const QString& hostPath) {
    HostStat out;
    if (hostPath.isEmpty())
        return out;
    const QByteArray p = enc(hostPath);
    // One call for anything but a link; a link is followed with a second.
    struct statx sx {};
    if (::statx(AT_FDCWD, p.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return out;
    const bool link = S_ISLNK(sx.stx_mode);
    if (link && ::statx(AT_FDCWD, p.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return out;
    const mode_t m = sx.stx_mode;
    out.kind = S_ISDIR(m) ? EntryKind::Folder : S_ISREG(m) ? EntryKind::File : EntryKind::Other;
    out.mode = m;
    out.size = qint64(sx.stx_size);
    out.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.ino = ino_t(sx.stx_ino);
    out.blocks = qint64(sx.stx_blocks);
    out.mtime = {time_t(sx.stx_mtime.tv_sec), long(sx.stx_mtime.tv_nsec)};
    out.atime = {time_t(sx.stx_atime.tv_sec), long(sx.stx_atime.tv_nsec)};
    if (sx.stx_mask & STATX_BTIME)
        out.btime = {time_t(sx.stx_btime.tv_sec), long(sx.stx_btime.tv_nsec)};
    else
        out.btime = out.mtime;
    out.isLink = link;
    return out;
}

bool HostPathTooLong(const QString& hostPath) {
    struct stat st {};
    return !hostPath.isEmpty() && ::stat(enc(hostPath).constData(), &st) != 0 && errno == ENAMETOOLONG;
}

quint32 AttributesOf(const QString& hostPath, const HostStat& st) {
    quint32 a = 0;
    const QString name = HostName(hostPath);
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String(".."))
        a |= 2;
    if (!(st.mode & S_IWUSR))
        a |= 1;
    if (st.kind == EntryKind::Folder)
        a |= 16;
    else if (st.kind == EntryKind::Missing ? ArchiveFlagIsSet(hostPath)
                                           : ArchiveFlagIsSet(hostPath, st.size, st.mtime))
        a |= 32;
    return a;
}

QString HostName(const QString& hostPath) {
    const qsizetype slash = hostPath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? hostPath : hostPath.mid(slash + 1);
}

QString HostParent(const QString& hostPath) {
    const qsizetype slash = hostPath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0)
        return QStringLiteral("/");
    return hostPath.left(slash);
}

QDateTime LocalTime(const struct timespec& t, bool wholeSeconds) {
    if (wholeSeconds)
        return QDateTime::fromSecsSinceEpoch(qint64(t.tv_sec), Qt::LocalTime);
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::LocalTime);
}

QDateTime UtcTime(const struct timespec& t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

// ---- HostFolderReader ----

HostFolderReader::~HostFolderReader() { close(); }

bool HostFolderReader::open(const QString& folderHost) {
    close();
    const QByteArray p = enc(folderHost);
    DIR* d = ::opendir(p.constData());
    if (!d)
        return false;
    dir_ = d;
    folder_ = folderHost;
    return true;
}

bool HostFolderReader::next(QString* name, EntryKind* kind, bool* isLink) {
    DIR* d = static_cast<DIR*>(dir_);
    if (!d)
        return false;
    while (dirent* e = ::readdir(d)) {
        if (isDotOrDotDot(e->d_name))
            continue;
        EntryKind k = EntryKind::Other;
        bool link = false;
        switch (e->d_type) {
        case DT_DIR:
            k = EntryKind::Folder;
            break;
        case DT_REG:
            k = EntryKind::File;
            break;
        case DT_LNK:
        case DT_UNKNOWN: {
            // A link (the listing tells) is looked at through once; an
            // entry of unknown kind is looked at itself first.
            struct stat st {};
            link = e->d_type == DT_LNK;
            if (!link) {
                if (::fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                link = S_ISLNK(st.st_mode);
            }
            if (link && ::fstatat(dirfd(d), e->d_name, &st, 0) != 0)
                continue;   // dangling
            k = S_ISDIR(st.st_mode) ? EntryKind::Folder : S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
            break;
        }
        default:
            break;
        }
        if (k == EntryKind::Other)
            continue;
        *name = platform::HostText(e->d_name);
        *kind = k;
        if (isLink)
            *isLink = link;
        return true;
    }
    close();
    return false;
}

void HostFolderReader::close() {
    if (dir_)
        ::closedir(static_cast<DIR*>(dir_));
    dir_ = nullptr;
}

// ---- changes ----

void CopyHostFile(const QString& srcHost, const QString& dstHost, bool overwrite, const HostStat* source,
                  bool replaceReadOnly) {
    NoteHostFileCopied(dstHost, CopyHostFileData(srcHost, dstHost, overwrite, source, false, replaceReadOnly));
}

void NoteHostFileCopied(const QString& dstHost, const CopiedFile& copy) {
    if (!copy.made)
        return;
    if (!(copy.known ? ArchiveFlagIsSet(dstHost, copy.size, copy.mtime) : ArchiveFlagIsSet(dstHost)))
        SetArchiveFlag(dstHost);
}

CopiedFile CopyHostFileData(const QString& srcHost, const QString& dstHost, bool overwrite, const HostStat* source,
                            bool dstMissing, bool replaceReadOnly) {
    const HostStat s = source ? *source : StatHost(srcHost);
    if (s.kind == EntryKind::Missing)
        RaiseMissing(srcHost);
    if (s.kind != EntryKind::File)
        vb::Raise(vb::errPathFileAccess);
    // A link in the target's place is replaced by the copy, never written
    // through (nor taken for the source it may point at).
    const QByteArray dp = enc(dstHost);
    struct stat own {};
    const bool dstThere = !dstMissing && ::lstat(dp.constData(), &own) == 0;
    const bool dstIsLink = dstThere && S_ISLNK(own.st_mode);
    if (dstIsLink && !overwrite)
        vb::Raise(vb::errFileExists);
    // A file system that finds names in any letter case (FAT) cannot hold a
    // second name of a pair: the copy would replace the first file.
    if (NameHeldInOtherCase(dstHost))
        RaiseNameRefused(dstHost, true);
    if (dstThere && !dstIsLink) {
        if (!S_ISREG(own.st_mode))
            vb::Raise(vb::errPathFileAccess);
        if (!overwrite)
            vb::Raise(vb::errFileExists);
        if (!(own.st_mode & S_IWUSR) && !replaceReadOnly)
            vb::Raise(vb::errPermissionDenied);
        if (own.st_dev == s.dev && own.st_ino == s.ino)
            return {};   // the file onto itself: nothing to do
    }
    // A missing target folder (or a file in its place) is told by the
    // temporary file that cannot be made there: "Path not found" either way.
    const QString dir = HostParent(dstHost);

    const QByteArray sp = enc(srcHost);
    const int in = ::open(sp.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (in < 0) {
        if (errno == ENOENT)
            RaiseMissing(srcHost);   // gone since it was looked at
        RaiseErrno(errno, true);
    }
    const QByteArray dirBytes = enc(dir);
    const QString name = HostName(dstHost);
    // A new target is written as a file without a name in its folder, where
    // the file system can make one, and given its name once complete: a
    // killed copy leaves nothing behind, and the folder changes once. Else
    // (and for a target that is replaced) the copy is written under a
    // temporary name that is renamed onto the target at the end.
    bool unnamed = !dstThere && unnamedFilesUsable.load(std::memory_order_relaxed);
    int reads = 0;
    bool lookUsed = false;   // the caller's look stood for the file once
    for (;;) {
        // What the file is as this read begins: one that shrinks or is
        // rewritten while it is read gives a copy that is neither version.
        // At the first read the caller's look at the file (a moment ago)
        // stands for it: a file changed since then is read once more too.
        struct stat before {};
        bool beforeKnown;
        const bool fromLook = source && !lookUsed;
        if (fromLook) {
            before.st_size = off_t(s.size);
            before.st_mtim = s.mtime;
            beforeKnown = true;
        } else {
            beforeKnown = ::fstat(in, &before) == 0;
        }
        int out = -1, err = 0;
        QByteArray tmpl;
        if (unnamed) {
            out = ::open(dirBytes.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            unnamed = out >= 0;   // not on this file system: a temporary name
        }
        if (!unnamed) {
            tmpl = dirBytes + "/.vaultora-copy-XXXXXX";
            // Made and renamed as changes of this process, so that the
            // folder's cached names stay current while other threads copy
            // into it too.
            OwnFolderChange change(dir);
            out = ::mkostemp(tmpl.data(), O_CLOEXEC);
            if (out >= 0)
                change.done();
            else
                err = errno;
        }
        if (out < 0) {
            closeQuietly(in);
            RaiseErrno(err, false);
        }
        auto fail = [&](int e) {
            closeQuietly(in);
            closeQuietly(out);
            if (!unnamed)
                ::unlink(tmpl.constData());
            RaiseErrno(e, false);
        };
        // A file with as many blocks as its size needs has no holes: it is
        // copied in one go, without asking where its data lies.
        const bool dense = s.blocks * 512 >= s.size;
        if (!(dense ? copyDense(in, out) : copyContents(in, out)))
            fail(errno);
        struct stat fst {};
        const bool afterKnown = ::fstat(in, &fst) == 0;
        // A file that only grew gives its consistent beginning, as it was.
        if (beforeKnown && afterKnown &&
            (fst.st_size < before.st_size ||
             (fst.st_size == before.st_size && (fst.st_mtim.tv_sec != before.st_mtim.tv_sec ||
                                                fst.st_mtim.tv_nsec != before.st_mtim.tv_nsec)))) {
            closeQuietly(out);
            if (!unnamed)
                ::unlink(tmpl.constData());
            // (A file changed only since the caller's look is read again
            // as the first read.)
            if (fromLook) {
                lookUsed = true;
                continue;
            }
            if (++reads < 2)
                continue;   // read once more
            closeQuietly(in);
            vb::Raise(vb::errPathFileAccess, QStringLiteral("The file changed while it was read"));
        }
        if (afterKnown) {
            ::fchmod(out, fst.st_mode & 07777);
            const struct timespec times[2] = {{0, UTIME_OMIT}, fst.st_mtim};
            ::futimens(out, times);
        }
        // The copy's own size and time, for its archive flag below.
        struct stat copied {};
        const bool copiedKnown = ::fstat(out, &copied) == 0;
        int rc;
        if (unnamed) {
            {
                OwnFolderChange change(dir);
                rc = linkUnnamed(out, dp);
                if (rc == 0)
                    change.done(name);
                else
                    err = errno;
            }
            if (rc != 0 && ((err == EEXIST && overwrite) || err == ENOENT)) {
                // The target came meanwhile, or this system cannot name the
                // file: copied again under a temporary name.
                if (err == ENOENT)
                    unnamedFilesUsable.store(false, std::memory_order_relaxed);
                closeQuietly(out);
                unnamed = false;
                continue;
            }
            if (rc == 0 && ::close(out) != 0) {
                err = errno;
                ::unlink(dp.constData());
                closeQuietly(in);
                RaiseErrno(err, false);
            }
            if (rc != 0)
                closeQuietly(out);
            closeQuietly(in);
        } else {
            closeQuietly(in);
            if (::close(out) != 0) {
                const int e = errno;
                ::unlink(tmpl.constData());
                RaiseErrno(e, false);
            }
            OwnFolderChange change(dir);
            if (overwrite) {
                rc = ::rename(tmpl.constData(), dp.constData());
            } else {
                rc = ::renameat2(AT_FDCWD, tmpl.constData(), AT_FDCWD, dp.constData(), RENAME_NOREPLACE);
                if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
                    struct stat st {};
                    if (::lstat(dp.constData(), &st) == 0)
                        errno = EEXIST;
                    else
                        rc = ::rename(tmpl.constData(), dp.constData());
                }
            }
            if (rc == 0)
                change.done(name);
            else
                err = errno;
            if (rc != 0)
                ::unlink(tmpl.constData());
        }
        // A character the file system refuses (FAT: EINVAL, or EPERM from
        // some drivers for a name of a file just made there), whichever way
        // the copy was to be named.
        if (rc != 0 && (err == EINVAL || ((err == EPERM || err == EACCES) && FoldsLetterCase(dir))))
            RaiseNameRefused(dstHost, false);
        if (rc != 0)
            RaiseErrno(err, false);
        CopiedFile made;
        made.made = true;
        made.known = copiedKnown;
        made.size = qint64(copied.st_size);
        made.mtime = copied.st_mtim;
        return made;
    }
}

bool MakeHostFolder(const QString& hostPath) {
    OwnFolderChange change(HostParent(hostPath));
    if (::mkdir(enc(hostPath).constData(), 0777) != 0)
        return false;
    change.done(HostName(hostPath));
    return true;
}

void PreparePrivateFile(const QString& hostPath, bool empty) {
    const QByteArray p = enc(hostPath);
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | (empty ? O_TRUNC : 0);
    int fd = ::open(p.constData(), flags, 0600);
    if (fd < 0 && errno == ELOOP) {
        if (::unlink(p.constData()) != 0)
            RaiseErrno(errno, false);
        fd = ::open(p.constData(), flags | O_EXCL, 0600);
    }
    if (fd < 0)
        RaiseErrno(errno, false);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        closeQuietly(fd);
        vb::Raise(vb::errPathFileAccess);
    }
    ::fchmod(fd, 0600);
    closeQuietly(fd);
    NoteEntryCreated(hostPath);
}

QStringList ReplaceLinkedFolders(const QString& rootHost, const QString& folderHost) {
    QStringList replaced;
    const QString root = rootHost.endsWith(QLatin1Char('/')) ? rootHost.chopped(1) : rootHost;
    if (!folderHost.startsWith(root + QLatin1Char('/')))
        return replaced;
    QString at = root;
    for (const QString& part : folderHost.mid(root.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        at += QLatin1Char('/') + part;
        const QByteArray p = enc(at);
        struct stat st {};
        if (::lstat(p.constData(), &st) != 0)
            break;
        if (!S_ISLNK(st.st_mode))
            continue;
        if (::unlink(p.constData()) != 0 || ::mkdir(p.constData(), 0777) != 0)
            RaiseErrno(errno, false);
        replaced << at;
    }
    return replaced;
}

bool IsCopyLeftoverName(const QString& name) {
    static const QString prefix = QStringLiteral(".vaultora-copy-");
    return name.size() == prefix.size() + 6 && name.startsWith(prefix);
}

bool RemoveHostLink(const QString& hostPath) {
    const QByteArray p = enc(hostPath);
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    return ::unlink(p.constData()) == 0;
}

int RemoveLeftovers(const QString& folderHost, const QStringList& patterns) {
    std::vector<WindowsPattern> wanted;
    for (const QString& p : patterns)
        wanted.emplace_back(p);
    DIR* d = ::opendir(enc(folderHost).constData());
    if (!d)
        return 0;
    std::vector<QByteArray> victims;
    while (dirent* e = ::readdir(d)) {
        if (isDotOrDotDot(e->d_name))
            continue;
        const QString name = platform::HostText(e->d_name);
        for (const WindowsPattern& w : wanted)
            if (w.matches(name)) {
                victims.emplace_back(e->d_name);
                break;
            }
    }
    int removed = 0;
    const int fd = ::dirfd(d);
    for (const QByteArray& v : victims) {
        struct stat st {};
        if (::fstatat(fd, v.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) &&
            ::unlinkat(fd, v.constData(), 0) == 0)
            ++removed;
    }
    ::closedir(d);
    return removed;
}

void RemoveHostFile(const QString& hostPath, bool force) {
    struct stat st {};
    const QByteArray p = enc(hostPath);
    if (::lstat(p.constData(), &st) != 0)
        RaiseErrno(errno, true);
    if (S_ISDIR(st.st_mode))
        vb::Raise(vb::errPathFileAccess);
    if (!force && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        vb::Raise(vb::errPermissionDenied);
    if (::unlink(p.constData()) != 0)
        RaiseErrno(errno, true);
    NoteEntryRemoved(hostPath);
}

void RemoveHostTree(const QString& hostPath, bool force) {
    if (isProtectedFolder(hostPath))
        vb::Raise(vb::errPermissionDenied);
    const QByteArray parent = enc(HostParent(hostPath));
    const int pfd = ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (pfd < 0)
        RaiseErrno(errno, false);
    try {
        removeTreeAt(pfd, enc(HostName(hostPath)), force);
    } catch (...) {
        ::close(pfd);
        throw;
    }
    ::close(pfd);
    NoteEntryRemoved(hostPath);
}

void SetHostReadOnly(const QString& hostPath, bool readOnly) {
    const QByteArray p = enc(hostPath);
    struct stat st {};
    if (::stat(p.constData(), &st) != 0)
        RaiseErrno(errno, true);
    const mode_t want = readOnly ? (st.st_mode & ~mode_t(S_IWUSR)) : (st.st_mode | S_IWUSR);
    if ((want & 07777) != (st.st_mode & 07777) && ::chmod(p.constData(), want & 07777) != 0)
        RaiseErrno(errno, true);
}

}  // namespace platform
