// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipErrors.h"

#include <cerrno>
#include <cstring>

#include "vb/VbError.h"

namespace platform {

int VbNumberForErrno(int e, int fallback) {
    switch (e) {
    case 0: return fallback;
    case ENOENT: return vb::errFileNotFound;
    case ENOTDIR: return vb::errPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return vb::errPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return vb::errDiskFull;
    case EIO: return vb::errDeviceIO;
    case EMFILE:
    case ENFILE: return vb::errTooManyFiles;
    case ENAMETOOLONG: return vb::errBadFileNameOrNumber;
    case ENXIO:
    case ENODEV: return vb::errDeviceUnavailable;
    default: return kErrPathFileAccess;
    }
}

void RaiseZipError(int number, const QString& path, const QString& detail) {
    QString text = number == kErrInvalidFileFormat ? QStringLiteral("Invalid file format") : vb::StandardErrorText(number);
    if (!detail.isEmpty())
        text += " (" + detail + ")";
    if (!path.isEmpty())
        text += ": " + path;
    vb::Raise(number, text);
}

void RaiseZipErrno(int e, const QString& path, int fallback) {
    RaiseZipError(VbNumberForErrno(e, fallback), path, e ? QString::fromLocal8Bit(std::strerror(e)) : QString());
}

}  // namespace platform
