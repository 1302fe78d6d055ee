// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ArchiveFlag.h"

#if __has_include("platform/ArchiveBits.h")
#include "platform/ArchiveBits.h"
#define VAULTORA_HAS_ARCHIVE_BITS 1
#endif

namespace platform {

#ifdef VAULTORA_HAS_ARCHIVE_BITS
bool ArchiveFlagIsSet(const QString& hostPath) { return ArchiveBitSet(hostPath); }
void ClearArchiveFlag(const QString& hostPath) { ClearArchiveBit(hostPath); }
void SetArchiveFlag(const QString& hostPath) { SetArchiveBit(hostPath); }
bool ArchiveFlagsRecorded() { return true; }
#else
bool ArchiveFlagIsSet(const QString&) { return true; }
void ClearArchiveFlag(const QString&) {}
void SetArchiveFlag(const QString&) {}
bool ArchiveFlagsRecorded() { return false; }
#endif

}  // namespace platform
