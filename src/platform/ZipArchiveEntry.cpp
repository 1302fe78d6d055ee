// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveEntry.h"

#include "platform/ZipArchiveState.h"

namespace platform {

ZipArchiveEntry::ZipArchiveEntry(std::shared_ptr<ZipArchiveState> state, int physicalIndex)
    : state_(std::move(state)), physical_(physicalIndex) {
    const ZipEntryRecord& r = state_->record(physicalIndex);
    session_ = state_->session();
    name_ = r.name;
    modified_ = r.modified;
    uncompressed_ = qint64(r.uncompressedSize);
    compressed_ = qint64(r.compressedSize);
}

QString ZipArchiveEntry::Name() const {
    QString n = name_;
    n.replace('/', '\\');
    return n;
}

void ZipArchiveEntry::Extract(const QString& folder) const { state_->extract(physical_, session_, folder); }

}  // namespace platform
