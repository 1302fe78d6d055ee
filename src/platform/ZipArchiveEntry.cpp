// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveEntry.h"

#include "platform/ZipArchiveState.h"
#include "vb/Clock.h"

namespace platform {

ZipArchiveEntry::ZipArchiveEntry(std::shared_ptr<ZipArchiveState> state, int physicalIndex)
    : state_(std::move(state)), physical_(physicalIndex) {
    const ZipEntryRecord& r = state_->record(physicalIndex);
    session_ = state_->session();
    name_ = r.name;
    modified_ = r.modified;
    modifiedSecs_ = r.modifiedSecs;
    secondsOnly_ = r.hasModified && !r.modified.isValid();
    uncompressed_ = qint64(r.uncompressedSize);
    compressed_ = qint64(r.compressedSize);
}

QDateTime ZipArchiveEntry::ModificationDate() const {
    return secondsOnly_ ? QDateTime::fromSecsSinceEpoch(modifiedSecs_) : modified_;
}

QDateTime ZipArchiveEntry::ModificationFields() const {
    return secondsOnly_ ? vb::LocalFields(modifiedSecs_) : modified_;
}

qint64 ZipArchiveEntry::ModificationSecs() const {
    return secondsOnly_ ? modifiedSecs_ : modified_.toSecsSinceEpoch();
}

QString ZipArchiveEntry::Name() const {
    QString n = name_;
    n.replace('/', '\\');
    return n;
}

void ZipArchiveEntry::Extract(const QString& folder) const { state_->extract(physical_, session_, folder); }

}  // namespace platform
