// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

namespace platform {

// The fixed part of what the central directory says of one entry, with the
// component's own marks.
struct ZipEntryHead {
    enum class Refusal : quint8 { None, NoLocalHeader, LocalHeaderDiffers };
    enum class Time : quint8 { None, Dos, Unix };

    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    quint64 localOffset = 0;      // of the local header, from the start of the file
    qint64 unixTime = 0;          // seconds since 1970 (UTC) of an extended time stamp
    quint32 crc = 0;
    quint32 dosDate = 0;
    quint32 externalAttributes = 0;
    quint16 flags = 0;            // general purpose bit flags
    quint16 method = 0;           // 0 stored, 8 deflated
    quint16 versionMadeBy = 0;
    quint16 internalAttributes = 0;
    Time time = Time::None;       // where the modification time comes from
    Refusal refusal = Refusal::None;  // why the entry cannot be read (its own header does not match)
    bool replaced = false;        // a later entry of the same name replaces it at Close
    bool failed = false;          // left unfinished by a failed add: never listed, dropped at Close

    bool hasModified() const { return time != Time::None; }
    // The entry's local date and time (invalid without one).
    QDateTime modified() const;
    // The same as seconds since 1970 (UTC); an extended time stamp is taken
    // as it is, without a time-zone conversion.
    qint64 modifiedSecs() const;
    bool refused() const { return refusal != Refusal::None; }
    // Whether a DOS date and time names a real moment.
    static bool validDosDate(quint32 dos);
};

// One entry in full: the fixed part with its name, extra data and comment.
struct ZipEntryRecord : ZipEntryHead {
    QString name;                 // stored name, folders separated by "/"
    QByteArray rawName;           // as stored
    QByteArray centralExtra;      // extra data of the directory record, ZIP64 block removed
    QByteArray fileComment;
    QString refusedText;          // why the entry cannot be read, or empty
};

// The entries of an archive, more compactly than the central directory holds
// them: a fixed part per entry, and the names, extra data and comments side
// by side in large blocks. A name keeps only what differs from the name
// before it (entries of one folder follow each other), with a whole name
// every few entries. Nothing is kept twice and no block is moved as the
// directory grows. Entries are handed out whole by value.
class ZipDirectory {
public:
    ZipDirectory() = default;
    ZipDirectory(ZipDirectory&&) noexcept = default;
    ZipDirectory& operator=(ZipDirectory&&) noexcept = default;
    ZipDirectory(const ZipDirectory&) = delete;
    ZipDirectory& operator=(const ZipDirectory&) = delete;

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Drops every entry and gives the memory back.
    void clear();

    // Adds an entry; `extra` without its ZIP64 block.
    void append(const ZipEntryHead& head, QByteArrayView rawName, QByteArrayView extra = {},
                QByteArrayView comment = {});

    const ZipEntryHead& head(size_t i) const { return slot(i).head; }
    ZipEntryHead& head(size_t i) { return slot(i).head; }
    QByteArray rawName(size_t i) const;
    // Makes `name`, which holds the stored name of entry i - 1 (or anything
    // for i = 0), the stored name of entry i: walking the entries in order
    // costs one step per entry.
    void nextRawName(size_t i, QByteArray* name) const;
    // The length of entry i's stored name.
    size_t rawNameSize(size_t i) const { return size_t(slot(i).shared) + slot(i).nameLen; }
    QByteArrayView extra(size_t i) const;
    QByteArrayView comment(size_t i) const;
    // The stored name decoded (see ZipArchiveReader::decodeName).
    QString name(size_t i) const;
    ZipEntryRecord record(size_t i) const;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = ZipEntryRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = ZipEntryRecord;
        const_iterator(const ZipDirectory* d, size_t i) : d_(d), i_(i) {}
        ZipEntryRecord operator*() const { return d_->record(i_); }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const ZipDirectory* d_;
        size_t i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, count_}; }

private:
    struct Slot {
        ZipEntryHead head;
        quint32 block = 0;   // where the variable part lies
        quint32 at = 0;
        quint16 shared = 0;    // leading bytes of the name the same as the name before
        quint16 nameLen = 0;   // the rest of the name, kept here
        quint16 extraLen = 0;
        quint16 commentLen = 0;
    };
    static constexpr size_t kSlotsPerBlock = 4096;
    static constexpr size_t kWholeNameEvery = 16;
    static constexpr size_t kByteBlock = size_t(1) << 20;

    const Slot& slot(size_t i) const { return slots_[i / kSlotsPerBlock][i % kSlotsPerBlock]; }
    Slot& slot(size_t i) { return slots_[i / kSlotsPerBlock][i % kSlotsPerBlock]; }
    const char* bytesOf(const Slot& s) const { return bytes_[s.block].data.get() + s.at; }

    struct ByteBlock {
        std::unique_ptr<char[]> data;
        size_t size = 0;
        size_t used = 0;
    };
    std::vector<std::unique_ptr<Slot[]>> slots_;
    std::vector<ByteBlock> bytes_;
    size_t count_ = 0;
    QByteArray lastName_;   // the stored name of the last entry appended
};

// The entries not replaced, by name: for each name the newest entry. It
// keeps a number and a hash per entry; the names themselves stay in the
// directory.
class ZipNameIndex {
public:
    void clear();
    void reserve(size_t entries);
    // The newest entry of the name, or -1.
    int find(const ZipDirectory& dir, const QString& name, quint32 hash) const;
    // Makes `index` the newest entry of the name.
    void set(const ZipDirectory& dir, const QString& name, quint32 hash, int index);
    static quint32 hashOf(const QString& name);

private:
    struct Bucket {
        quint32 hash = 0;
        qint32 index = -1;   // -1: empty
    };
    // The bucket of the name, or the empty one where it would go.
    size_t bucketOf(const ZipDirectory& dir, const QString& name, quint32 hash) const;
    void grow(size_t buckets);

    std::vector<Bucket> buckets_;
    size_t used_ = 0;
};

}  // namespace platform
