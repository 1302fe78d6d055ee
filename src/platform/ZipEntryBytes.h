// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

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

}  // namespace platform
