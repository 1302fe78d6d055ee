// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SiblingProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QByteArray readSmall(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4096);
}

// A process that has ended and waits for its parent (state Z) or is being
// torn down (X) counts as gone.
bool hasEnded(const QString& procDir) {
    const QByteArray stat = readSmall(procDir + QStringLiteral("/stat"));
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return true;
    const char state = stat[close + 2];
    return state == 'Z' || state == 'X' || state == 'x';
}

}  // namespace

QList<qint64> FindOwnProcesses(const QString& name) {
    QList<qint64> found;
    if (name.isEmpty())
        return found;
    const uid_t me = ::getuid();
    const qint64 self = ::getpid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QString dir = QStringLiteral("/proc/") + entry;
        struct stat st {};
        if (::stat(QFile::encodeName(dir).constData(), &st) != 0 || st.st_uid != me)
            continue;
        QString exe = QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget();
        exe.remove(QStringLiteral(" (deleted)"));
        // A script's process runs its interpreter; its name is the script's.
        const QString comm = QString::fromLocal8Bit(readSmall(dir + QStringLiteral("/comm"))).trimmed();
        if (QFileInfo(exe).fileName() != name && comm != name.left(15))
            continue;
        if (hasEnded(dir))
            continue;
        found << pid;
    }
    return found;
}

bool AskProcessToClose(qint64 pid) { return pid > 0 && ::kill(pid_t(pid), SIGTERM) == 0; }

}  // namespace platform
