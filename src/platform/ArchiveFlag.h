// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The archive attribute of a file, as the file functions see it. Linux
// files have no such flag; it is kept per file in the settings database
// (platform/ArchiveBits.h). Host paths.
namespace platform {

bool ArchiveFlagIsSet(const QString& hostPath);
void ClearArchiveFlag(const QString& hostPath);
void SetArchiveFlag(const QString& hostPath);

}  // namespace platform
