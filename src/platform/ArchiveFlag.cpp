// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ArchiveFlag.h"

#include "platform/ArchiveBits.h"

namespace platform {

bool ArchiveFlagIsSet(const QString& hostPath) { return ArchiveBitSet(hostPath); }
void ClearArchiveFlag(const QString& hostPath) { ClearArchiveBit(hostPath); }
void SetArchiveFlag(const QString& hostPath) { SetArchiveBit(hostPath); }

}  // namespace platform
