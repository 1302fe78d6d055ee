// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The emulated archive bit of a file. Clearing it records the file's size and
// modification time in the settings database; the bit is set again as soon as
// either differs from the record, and it is set for a file never cleared.
// Paths are host paths.
namespace platform {

bool ArchiveBitSet(const QString& hostPath);
void ClearArchiveBit(const QString& hostPath);  // a missing file: forget any record
void SetArchiveBit(const QString& hostPath);

}  // namespace platform
