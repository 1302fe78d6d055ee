// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <ctime>

// The archive attribute of a file, as the file functions see it. Linux
// files have no such flag; it is kept per file in the settings database
// (platform/ArchiveBits.h). Host paths.
namespace platform {

bool ArchiveFlagIsSet(const QString& hostPath);
bool ArchiveFlagIsSet(const QString& hostPath, qint64 size, const struct timespec& mtime);   // size and time just read
void ClearArchiveFlag(const QString& hostPath);
void ClearArchiveFlag(const QString& hostPath, qint64 size, const struct timespec& mtime);   // size and time just read
void SetArchiveFlag(const QString& hostPath);

}  // namespace platform
