// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KnownLinks.h"

#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/HostNames.h"

namespace platform {
namespace {

// The parts of `folder` below `root`; false when it does not lie there.
bool partsBelow(const QString& root, const QString& folder, QStringList* parts) {
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    if (folder != root && !folder.startsWith(prefix))
        return false;
    *parts = folder.mid(prefix.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return true;
}

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// Makes every missing folder of a host path (bytes), as mkdir -p does.
bool makePath(const QByteArray& path) {
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        if (::mkdir(path.left(i).constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

}  // namespace

void KnownLinks::note(const QString& rootHost, const QString& folderHost) {
    QStringList parts;
    if (!partsBelow(rootHost, folderHost, &parts))
        return;
    QString path = rootHost;
    for (const QString& part : std::as_const(parts)) {
        path = joined(path, part);
        if (links_.contains(path))
            continue;
        const QByteArray bytes = HostBytes(path);
        struct stat at {};
        if (::lstat(bytes.constData(), &at) != 0)
            return;
        if (S_ISLNK(at.st_mode)) {
            struct stat to {};
            if (::stat(bytes.constData(), &to) != 0 || !S_ISDIR(to.st_mode))
                return;
            links_.insert(path, {at.st_dev, at.st_ino, to.st_dev, to.st_ino});
        } else if (!S_ISDIR(at.st_mode)) {
            return;
        }
    }
}

int KnownLinks::openFolder(const QString& rootHost, const QString& folderHost, QString* refused) const {
    QStringList parts;
    if (!partsBelow(rootHost, folderHost, &parts)) {
        *refused = QStringLiteral("the folder lies outside the target");
        return -1;
    }
    // The root is the folder chosen to write into: made when missing, and
    // taken wherever its own path leads.
    const QByteArray root = HostBytes(rootHost);
    int folder = ::open(root.constData(), kFolderFlags);
    if (folder < 0 && errno == ENOENT && makePath(root))
        folder = ::open(root.constData(), kFolderFlags);
    QString path = rootHost;
    for (qsizetype i = 0; folder >= 0 && i < parts.size(); ++i) {
        path = joined(path, parts[i]);
        const QByteArray name = HostBytes(parts[i]);
        int next = ::openat(folder, name.constData(), kFolderFlags | O_NOFOLLOW);
        if (next < 0 && errno == ENOENT) {
            if (::mkdirat(folder, name.constData(), 0777) == 0 || errno == EEXIST)
                next = ::openat(folder, name.constData(), kFolderFlags | O_NOFOLLOW);
        }
        if (next < 0 && (errno == ELOOP || errno == ENOTDIR)) {
            const int why = errno;
            struct stat link {};
            if (::fstatat(folder, name.constData(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode)) {
                const auto known = links_.constFind(path);
                if (known == links_.cend() || known->dev != link.st_dev || known->ino != link.st_ino) {
                    *refused = QStringLiteral("a link in the target folder was not there before the restore");
                } else {
                    next = ::openat(folder, name.constData(), kFolderFlags);
                    struct stat to {};
                    if (next >= 0 && (::fstat(next, &to) != 0 || to.st_dev != known->toDev || to.st_ino != known->toIno)) {
                        ::close(next);
                        next = -1;
                        *refused = QStringLiteral("a link in the target folder leads elsewhere than before the restore");
                    }
                }
            } else {
                errno = why;
            }
        }
        const int why = errno;
        ::close(folder);
        folder = next;
        errno = why;
    }
    return folder;
}

}  // namespace platform
