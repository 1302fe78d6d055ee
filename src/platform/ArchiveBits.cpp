// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ArchiveBits.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

#include "platform/Database.h"

namespace platform {
namespace {

struct Stamp {
    qint64 size = 0;
    qint64 mtimeNs = 0;
};

bool stamp(const QString& path, Stamp* out) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    out->size = st.st_size;
    out->mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

QString key(const QString& hostPath) { return QDir::cleanPath(QDir(hostPath).absolutePath()); }

}  // namespace

bool ArchiveBitSet(const QString& hostPath) {
    Stamp now;
    if (!stamp(hostPath, &now))
        return true;
    Database::Query q(Database::shared(), "SELECT size, mtime_ns FROM archive_bits WHERE path = ?1");
    q.bind(1, key(hostPath));
    if (!q.next())
        return true;
    return q.int64(0) != now.size || q.int64(1) != now.mtimeNs;
}

void ClearArchiveBit(const QString& hostPath) {
    Stamp now;
    if (!stamp(hostPath, &now)) {
        SetArchiveBit(hostPath);
        return;
    }
    Database::Query q(Database::shared(),
                      "INSERT INTO archive_bits(path, size, mtime_ns) VALUES(?1, ?2, ?3) "
                      "ON CONFLICT(path) DO UPDATE SET size = excluded.size, mtime_ns = excluded.mtime_ns");
    q.bind(1, key(hostPath)).bind(2, now.size).bind(3, now.mtimeNs);
    q.run();
}

void SetArchiveBit(const QString& hostPath) {
    Database::Query q(Database::shared(), "DELETE FROM archive_bits WHERE path = ?1");
    q.bind(1, key(hostPath));
    q.run();
}

}  // namespace platform
