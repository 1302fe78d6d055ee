// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QtGlobal>

#include <cstddef>

#include <minizip/zip.h>

namespace platform {

// An entry's data written past minizip. Entries are opened raw (the data is
// stored or already deflated, and its checksum is known), so all minizip
// does with the bytes is checksum them once more, copy them into its own
// buffer and count them for the headers it finishes at the close. The
// writer instead writes them through its own file functions at the file's
// position and adds their count to the one minizip keeps for the entry.
//
// That count lives in minizip's private state. Its place is that of
// minizip 1.1 on this platform, and it is only used once a trial archive in
// memory, written both ways, came out the same byte for byte; otherwise
// every entry's data goes through zipWriteInFileInZip as before.
class ZipEntryBytes {
public:
    // Whether the count can be kept here (the trial is made at the first call).
    static bool Available();
    // For tests: false sends every entry's data through minizip.
    static void SetAllowed(bool allowed);

    // Whether the entry just opened on `z` (raw, not encrypted, nothing
    // buffered yet) may get its data written past minizip; `stream` is what
    // the file functions handed minizip for the archive file.
    static bool CanWritePast(zipFile z, const void* stream);
    // Counts bytes written past minizip as the open entry's data.
    static void Count(zipFile z, quint64 bytes);
};

// The central directory that minizip builds of the entries written, moved
// out of memory as it grows. minizip keeps each entry's directory record in
// a chain of blocks until it writes them all at the close, about 100 bytes
// a file (100 MB for a million files). The full blocks are written to an
// unnamed file instead and replaced by one block of minizip's own kind that
// stands for them: when minizip writes that block at the close, the file
// functions see its address and write the file's bytes in its place, so the
// archive is the same byte for byte.
//
// Like the count above this relies on minizip's private state; it is only
// done once the trial archive, its directory moved after every entry, came
// out the same as one written the plain way.
class ZipDirectorySpill {
public:
    ZipDirectorySpill() = default;
    ZipDirectorySpill(const ZipDirectorySpill&) = delete;
    ZipDirectorySpill& operator=(const ZipDirectorySpill&) = delete;
    ~ZipDirectorySpill();

    // Whether records can be moved (the trial is made at the first call;
    // ZipEntryBytes::SetAllowed(false) turns it off as well).
    static bool Available();

    // Opens the file for the records: an unnamed file in `folder` (a host
    // path), or one in memory when `folder` is empty. False when none can
    // be made; the records then stay with minizip.
    bool open(const QByteArray& folder);
    bool isOpen() const { return fd_ >= 0; }
    // Whether records were moved into the file.
    bool moved() const { return size_ > 0; }
    // Moves the full blocks of `z`'s directory, all but the one minizip adds
    // to, into the file. A failed write moves nothing and ends the moving:
    // the records stay where they are.
    void move(zipFile z);
    // Whether `data` is the block that stands for the moved records.
    bool standsIn(const void* data) const;
    // Hands the moved records to `put` in pieces, in order, freeing each
    // piece's room in the file once handed on; false when the file cannot
    // be read or `put` fails.
    bool writeOut(bool (*put)(void* to, const char* bytes, size_t n), void* to) const;
    // Forgets the block that stood in (minizip frees it at the close).
    void closed();

private:
    int fd_ = -1;
    quint64 size_ = 0;
    void* standIn_ = nullptr;   // minizip's block at the head of its chain
    bool failed_ = false;
};

}  // namespace platform
