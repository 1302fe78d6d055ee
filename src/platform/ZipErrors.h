// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Error numbers and texts of the ZIP component.
namespace platform {

constexpr int kErrInvalidFileFormat = 321;  // not a ZIP archive, or damaged
constexpr int kErrPathFileAccess = 75;

// VB's number for a system error (ENOENT 53, EACCES 70, ENOSPC 61, EIO 57 ...);
// `fallback` for 0.
int VbNumberForErrno(int e, int fallback = kErrPathFileAccess);

// Raise the error: its standard text, the detail in brackets, then the path.
[[noreturn]] void RaiseZipError(int number, const QString& path, const QString& detail = {});
[[noreturn]] void RaiseZipErrno(int e, const QString& path, int fallback = kErrPathFileAccess);

}  // namespace platform
