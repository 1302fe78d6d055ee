// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>

#include <memory>

#include "platform/ZipDirectory.h"

namespace platform {

class KnownLinks;
class ZipArchiveState;

// One item of ZipArchiveComponent::Files(): what the archive says of an
// entry when the item was taken, and its extraction.
class ZipArchiveEntry {
public:
    // The stored name with its folders, separated by "\".
    QString Name() const;
    // Date and time of the entry (local time).
    QDateTime ModificationDate() const;
    // A date-time whose date() and time() are those of ModificationDate(),
    // made at less cost when many entries are shown (vb::LocalFields); its
    // time spec is not that of ModificationDate.
    QDateTime ModificationFields() const;
    // The same as seconds since 1970 (UTC), without a time-zone conversion.
    qint64 ModificationSecs() const;
    qint64 UncompressedSize() const { return uncompressed_; }
    qint64 CompressedSize() const { return compressed_; }

    // Write the entry beneath the Windows folder under its stored path,
    // creating missing folders and replacing an existing file (through a
    // temporary file in the target folder, so a failure leaves the old file).
    // Names that would leave the folder (absolute, a drive, "..") are refused
    // (error 52). Links in the target tree are passed as KnownLinks says:
    // those noted in `known` before the restore began, or without it those
    // there when this is called; any other link on the way is refused (52),
    // and so is an entry that is itself a link.
    void Extract(const QString& folder, const KnownLinks* known = nullptr) const;

private:
    friend class ZipArchiveFiles;
    ZipArchiveEntry(std::shared_ptr<ZipArchiveState> state, int physicalIndex);

    std::shared_ptr<ZipArchiveState> state_;
    int physical_ = 0;
    quint64 session_ = 0;
    ZipEntryHead time() const;   // the date is made from these when asked for

    QString name_;
    qint64 unixTime_ = 0;
    quint32 dosDate_ = 0;
    ZipEntryHead::Time time_ = ZipEntryHead::Time::None;
    qint64 uncompressed_ = 0;
    qint64 compressed_ = 0;
};

}  // namespace platform
