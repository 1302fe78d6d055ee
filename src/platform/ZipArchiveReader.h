// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

#include "platform/ZipDirectory.h"

namespace platform {

// Reads an archive: the end records (ZIP64 included), the central directory
// and the entries' data. Every length and offset read from the file is
// checked against the file before it is used, so a damaged or hostile file
// gives an error, never a read outside the data.
class ZipArchiveReader {
public:
    struct Failure {
        int number;          // VB error number
        QString detail;
    };

    ZipArchiveReader() = default;
    ~ZipArchiveReader();
    ZipArchiveReader(const ZipArchiveReader&) = delete;
    ZipArchiveReader& operator=(const ZipArchiveReader&) = delete;

    // Open the file and read its directory; false with failure() set. An
    // entry whose own header is not where the directory says, or names
    // another file, does not stop the reading: it is marked refused.
    bool open(const QString& hostPath);
    void close();

    const ZipDirectory& entries() const { return entries_; }
    ZipDirectory& entries() { return entries_; }
    const QByteArray& comment() const { return comment_; }
    const Failure& failure() const { return failure_; }
    // The number of entries marked refused.
    int refusedCount() const { return refused_; }

    // The extra data of the entry's local header, ZIP64 block removed.
    bool localExtra(const ZipEntryRecord& e, QByteArray* extra);
    // Hand the entry's stored (still compressed) bytes to `sink` block by block.
    bool readRaw(const ZipEntryRecord& e, const std::function<bool(const char*, size_t)>& sink);
    // Hand the entry's data, inflated and checked against its size and
    // checksum, to `sink`; a sink returning false stops with failure() unset.
    bool readData(const ZipEntryRecord& e, const std::function<bool(const char*, size_t)>& sink);

    // Decode a stored name. An entry made on a Unix host holds the name's
    // own bytes: they are taken as host names are (a "\\" is part of the
    // name, bytes that are not UTF-8 are kept). Otherwise UTF-8 with the
    // flag or when it is valid UTF-8, else code page 437 as the format says.
    static QString decodeName(QByteArrayView raw, quint32 flags, quint32 versionMadeBy = 0);
    // Extra data without its ZIP64 block; a block running past the end is
    // dropped with everything after it.
    static QByteArray withoutZip64Block(QByteArrayView extra);

    // The file as it is now (its device, inode, size and modification time)
    // was written whole by this process's archive component: when it is
    // opened again unchanged, its entries' headers need no second look.
    static void RememberWhole(const QString& hostPath);

private:
    bool fail(int number, const QString& detail);
    bool readAt(quint64 offset, char* out, size_t n);
    bool dataRange(const ZipEntryRecord& e, quint64* start);
    bool readDirectory();

    int fd_ = -1;
    quint64 size_ = 0;
    ZipDirectory entries_;
    QByteArray comment_;
    Failure failure_{0, {}};
    int refused_ = 0;
};

// minizip writes no ZIP64 end record for more than 65535 entries in an
// archive below 4 GiB; add it (or correct its count) after the end record
// was written, so every reader finds all entries.
bool EnsureZip64EndRecord(const QString& hostPath, quint64 entryCount, int* errnoOut);

}  // namespace platform
