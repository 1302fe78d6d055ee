// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveFiles.h"

#include <cmath>

#include "platform/ZipArchiveState.h"
#include "vb/VbError.h"

namespace platform {

qint32 ZipArchiveFiles::Count() const { return state_->isOpen() ? qint32(state_->count()) : 0; }
qint32 ZipArchiveFiles::Kept() const { return state_->isOpen() ? qint32(state_->count() - state_->replacedCount()) : 0; }

ZipArchiveEntry ZipArchiveFiles::Item(qint32 index) const {
    return ZipArchiveEntry(state_, state_->physicalIndex(index));
}

ZipArchiveEntry ZipArchiveFiles::Item(const QString& index) const {
    bool ok = false;
    const QString t = index.trimmed();
    qint64 n = t.toLongLong(&ok);
    if (!ok) {
        const double d = t.toDouble(&ok);
        if (!ok)
            vb::Raise(vb::errTypeMismatch);
        if (d < -2147483648.5 || d > 2147483647.5)
            vb::Raise(vb::errOverflow);
        n = qint64(std::nearbyint(d));
    }
    if (n < 0 || n > 0x7FFFFFFF)
        vb::Raise(vb::errSubscript);
    return Item(qint32(n));
}

qint32 ZipArchiveFiles::Refused() const { return state_->isOpen() ? qint32(state_->refused()) : 0; }

void ZipArchiveFiles::AddFileByName(const QString& path, qint32 level, bool storePath, bool overwrite,
                                    const QString& storedAs) {
    state_->addFile(path, int(level), storePath, overwrite, storedAs);
}

void ZipArchiveFiles::Prefetch(const QStringList& paths, qint32 level, const QStringList& hostPaths) {
    state_->prefetch(paths, int(level), hostPaths);
}

}  // namespace platform
