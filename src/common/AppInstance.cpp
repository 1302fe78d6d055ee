// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AppInstance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/UserFolders.h"

namespace {
// The open lock file while this process holds the lock; -1 when it does not.
int g_fd = -1;
}  // namespace

QString InstanceLockPath() {
    return platform::ConfigHome() + QStringLiteral("/vaultora/instance.lock");
}

namespace {

enum class Take { Taken, Held, Retry, Unusable };

Take TryTake(const QByteArray& name) {
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0 && errno == ELOOP && ::unlink(name.constData()) == 0)
        return Take::Retry;   // a link in the lock's place goes; it is not followed
    if (fd < 0)
        return Take::Unusable;
    struct stat own {};
    if (::fstat(fd, &own) != 0 || !S_ISREG(own.st_mode)) {
        ::close(fd);
        return Take::Unusable;
    }
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Take::Held : Take::Unusable;
    }
    // The holder before us removes the file as it lets go: a lock on a file
    // that is no longer the one at the path is taken again on the new one.
    struct stat now {};
    if (::stat(name.constData(), &now) != 0 || now.st_dev != own.st_dev || now.st_ino != own.st_ino) {
        ::close(fd);
        return Take::Retry;
    }
    // For a person looking at the file: who holds it (and for no one else to
    // write).
    ::fchmod(fd, 0600);
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
    g_fd = fd;
    return Take::Taken;
}

}  // namespace

bool PrevInstance() {
    if (g_fd >= 0)
        return false;
    const QString path = InstanceLockPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray name = QFile::encodeName(path);
    // The lock is the kernel's advisory lock on the file, not its contents:
    // it goes with the process however that ends, so an empty or garbled
    // file left by a power cut never refuses a start.
    for (int attempt = 0; attempt < 20; ++attempt) {
        switch (TryTake(name)) {
        case Take::Taken:
            return false;
        case Take::Held:
            return true;
        case Take::Retry:
            continue;
        case Take::Unusable:
            // A lock that cannot be made at all (a folder that cannot be
            // written) refuses no one: the program runs as it would
            // without the test.
            return false;
        }
    }
    return false;
}

void ReleaseInstanceLock() {
    if (g_fd < 0)
        return;
    // Removed while still held, so that no one takes a lock on a file that
    // is about to go.
    ::unlink(QFile::encodeName(InstanceLockPath()).constData());
    ::flock(g_fd, LOCK_UN);
    ::close(g_fd);
    g_fd = -1;
}
