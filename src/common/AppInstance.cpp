// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AppInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <memory>

#include "platform/UserFolders.h"

namespace {
std::unique_ptr<QLockFile> g_lock;
}  // namespace

QString InstanceLockPath() {
    return platform::ConfigHome() + QStringLiteral("/vaultora/instance.lock");
}

bool PrevInstance() {
    if (g_lock && g_lock->isLocked())
        return false;
    const QString path = InstanceLockPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path);
    // Only a lock of a process that has died counts as stale, however old
    // the lock of a running instance is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        g_lock = std::move(lock);
        return false;
    }
    // A lock that cannot be made at all (a folder that cannot be written)
    // refuses no one: the program runs as it would without the test.
    return lock->error() == QLockFile::LockFailedError;
}

void ReleaseInstanceLock() {
    if (g_lock)
        g_lock->unlock();
    g_lock.reset();
}
