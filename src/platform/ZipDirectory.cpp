// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipDirectory.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>

#include "platform/ZipArchiveReader.h"

namespace platform {

namespace {
QDate dosDay(quint32 dos) { return {int((dos >> 25) & 0x7F) + 1980, int((dos >> 21) & 0x0F), int((dos >> 16) & 0x1F)}; }
QTime dosClock(quint32 dos) { return {int((dos >> 11) & 0x1F), int((dos >> 5) & 0x3F), int(dos & 0x1F) * 2}; }
}  // namespace

bool ZipEntryHead::validDosDate(quint32 dos) { return dosDay(dos).isValid() && dosClock(dos).isValid(); }

QDateTime ZipEntryHead::modified() const {
    if (time == Time::Unix)
        return QDateTime::fromSecsSinceEpoch(unixTime);
    if (time == Time::None || !validDosDate(dosDate))
        return {};
    return QDateTime(dosDay(dosDate), dosClock(dosDate));
}

qint64 ZipEntryHead::modifiedSecs() const {
    if (time == Time::Unix)
        return unixTime;
    const QDateTime m = modified();
    return m.isValid() ? m.toSecsSinceEpoch() : 0;
}

void ZipDirectory::clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    bytes_.clear();
    bytes_.shrink_to_fit();
    count_ = 0;
    lastName_ = QByteArray();
}

void ZipDirectory::append(const ZipEntryHead& head, QByteArrayView rawName, QByteArrayView extra,
                          QByteArrayView comment) {
    qsizetype shared = 0;
    if (count_ % kWholeNameEvery != 0) {
        const qsizetype most = std::min(rawName.size(), lastName_.size());
        while (shared < most && rawName[shared] == lastName_[shared])
            ++shared;
    }
    rawName = rawName.sliced(shared);
    lastName_.truncate(shared);
    lastName_.append(rawName);
    const size_t need = size_t(rawName.size() + extra.size() + comment.size());
    if (count_ % kSlotsPerBlock == 0 && count_ / kSlotsPerBlock == slots_.size())
        slots_.push_back(std::make_unique<Slot[]>(kSlotsPerBlock));
    if (bytes_.empty() || bytes_.back().size - bytes_.back().used < need) {
        ByteBlock b;
        b.size = std::max(kByteBlock, need);
        b.data = std::make_unique_for_overwrite<char[]>(b.size);
        bytes_.push_back(std::move(b));
    }
    ByteBlock& b = bytes_.back();
    Slot& s = slot(count_);
    s.head = head;
    s.block = quint32(bytes_.size() - 1);
    s.at = quint32(b.used);
    s.shared = quint16(shared);
    s.nameLen = quint16(rawName.size());
    s.extraLen = quint16(extra.size());
    s.commentLen = quint16(comment.size());
    char* out = b.data.get() + b.used;
    for (QByteArrayView part : {rawName, extra, comment}) {
        if (!part.isEmpty())
            std::memcpy(out, part.data(), size_t(part.size()));
        out += part.size();
    }
    b.used += need;
    ++count_;
}

void ZipDirectory::nextRawName(size_t i, QByteArray* name) const {
    const Slot& s = slot(i);
    name->truncate(s.shared);
    name->append(bytesOf(s), s.nameLen);
}

QByteArray ZipDirectory::rawName(size_t i) const {
    QByteArray name;
    for (size_t j = i - i % kWholeNameEvery; j <= i; ++j)
        nextRawName(j, &name);
    return name;
}

QByteArrayView ZipDirectory::extra(size_t i) const {
    const Slot& s = slot(i);
    return {bytesOf(s) + s.nameLen, s.extraLen};
}

QByteArrayView ZipDirectory::comment(size_t i) const {
    const Slot& s = slot(i);
    return {bytesOf(s) + s.nameLen + s.extraLen, s.commentLen};
}

QString ZipDirectory::name(size_t i) const {
    const ZipEntryHead& h = head(i);
    return ZipArchiveReader::decodeName(rawName(i), h.flags, h.versionMadeBy);
}

ZipEntryRecord ZipDirectory::record(size_t i) const {
    ZipEntryRecord r;
    static_cast<ZipEntryHead&>(r) = head(i);
    r.rawName = rawName(i);
    r.centralExtra = extra(i).toByteArray();
    r.fileComment = comment(i).toByteArray();
    r.name = ZipArchiveReader::decodeName(r.rawName, r.flags, r.versionMadeBy);
    if (r.refusal == ZipEntryHead::Refusal::NoLocalHeader)
        r.refusedText = "no local header for " + r.name;
    else if (r.refusal == ZipEntryHead::Refusal::LocalHeaderDiffers)
        r.refusedText = "the local header of " + r.name + " does not match the directory";
    return r;
}

void ZipNameIndex::clear() {
    buckets_.clear();
    buckets_.shrink_to_fit();
    used_ = 0;
}

quint32 ZipNameIndex::hashOf(const QString& name) { return quint32(qHash(name, size_t(0))); }

void ZipNameIndex::reserve(size_t entries) {
    size_t want = 16;
    while (want - want / 4 < entries + 1)
        want *= 2;
    if (want > buckets_.size())
        grow(want);
}

void ZipNameIndex::grow(size_t buckets) {
    std::vector<Bucket> old;
    old.swap(buckets_);
    buckets_.assign(buckets, Bucket{});
    const size_t mask = buckets - 1;
    for (const Bucket& b : old) {
        if (b.index < 0)
            continue;
        size_t at = b.hash & mask;
        while (buckets_[at].index >= 0)
            at = (at + 1) & mask;
        buckets_[at] = b;
    }
}

size_t ZipNameIndex::bucketOf(const ZipDirectory& dir, const QString& name, quint32 hash) const {
    const size_t mask = buckets_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Bucket& b = buckets_[at];
        if (b.index < 0 || (b.hash == hash && dir.name(size_t(b.index)) == name))
            return at;
    }
}

int ZipNameIndex::find(const ZipDirectory& dir, const QString& name, quint32 hash) const {
    if (buckets_.empty())
        return -1;
    return buckets_[bucketOf(dir, name, hash)].index;
}

void ZipNameIndex::set(const ZipDirectory& dir, const QString& name, quint32 hash, int index) {
    reserve(used_ + 1);
    Bucket& b = buckets_[bucketOf(dir, name, hash)];
    if (b.index < 0)
        ++used_;
    b = Bucket{hash, qint32(index)};
}

}  // namespace platform
