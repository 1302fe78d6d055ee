// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveEntry.h"

#include "platform/ZipArchiveState.h"
#include "vb/Clock.h"

namespace platform {

ZipArchiveEntry::ZipArchiveEntry(std::shared_ptr<ZipArchiveState> state, int physicalIndex)
    : state_(std::move(state)), physical_(physicalIndex) {
    const ZipDirectory& d = state_->directory();
    const ZipEntryHead& r = d.head(size_t(physicalIndex));
    session_ = state_->session();
    name_ = d.name(size_t(physicalIndex));
    dosDate_ = r.dosDate;
    unixTime_ = r.unixTime;
    time_ = r.time;
    uncompressed_ = qint64(r.uncompressedSize);
    compressed_ = qint64(r.compressedSize);
}

ZipEntryHead ZipArchiveEntry::time() const {
    ZipEntryHead h;
    h.dosDate = dosDate_;
    h.unixTime = unixTime_;
    h.time = time_;
    return h;
}

QDateTime ZipArchiveEntry::ModificationDate() const { return time().modified(); }

QDateTime ZipArchiveEntry::ModificationFields() const {
    return time_ == ZipEntryHead::Time::Unix ? vb::LocalFields(unixTime_) : time().modified();
}

qint64 ZipArchiveEntry::ModificationSecs() const { return time().modifiedSecs(); }

QString ZipArchiveEntry::Name() const {
    QString n = name_;
    n.replace('/', '\\');
    return n;
}

void ZipArchiveEntry::Extract(const QString& folder, const KnownLinks* known) const {
    state_->extract(physical_, session_, folder, known);
}

}  // namespace platform
