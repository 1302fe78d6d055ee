// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ArchiveFlag.h"

#include "platform/ArchiveBits.h"

namespace platform {

bool ArchiveFlagIsSet(const QString& hostPath) { return ArchiveBitSet(hostPath); }
bool ArchiveFlagIsSet(const QString& hostPath, qint64 size, const struct timespec& mtime) {
    return ArchiveBitSet(hostPath, size, mtime);
}
void ClearArchiveFlag(const QString& hostPath) { ClearArchiveBit(hostPath); }
void ClearArchiveFlag(const QString& hostPath, qint64 size, const struct timespec& mtime) {
    ClearArchiveBit(hostPath, size, mtime);
}
void SetArchiveFlag(const QString& hostPath) { SetArchiveBit(hostPath); }

}  // namespace platform
