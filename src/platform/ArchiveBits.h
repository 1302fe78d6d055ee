// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <ctime>

// The emulated archive bit of a file. Clearing it records the file's size and
// modification time in the settings database; the bit is set again as soon as
// either differs from the record, and it is set for a file never cleared.
// Paths are host paths.
namespace platform {

bool ArchiveBitSet(const QString& hostPath);
// The same for a file whose size and modification time the caller has just read.
bool ArchiveBitSet(const QString& hostPath, qint64 size, const struct timespec& mtime);
void ClearArchiveBit(const QString& hostPath);  // a missing file: forget any record
// Clears it with the size and modification time the caller has just read.
void ClearArchiveBit(const QString& hostPath, qint64 size, const struct timespec& mtime);
void SetArchiveBit(const QString& hostPath);

// Clears it like ClearArchiveBit, but the record is written later, together
// with the others made in the same few dozen milliseconds (one transaction
// instead of one per file). The bits read in this process see it at once;
// FlushArchiveBits writes what is kept. Records never written (the process
// ended first) leave the bits set, so the files are only taken again.
void ClearArchiveBitSoon(const QString& hostPath, qint64 size, const struct timespec& mtime);
void FlushArchiveBits();

}  // namespace platform
