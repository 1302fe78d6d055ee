// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>
#include <exception>

namespace vb {

// A run-time error with VB's number and English description. Every layer
// raises this; procedures catch it in their handlers (see ErrorHandling.h).
class VbError : public std::exception {
public:
    explicit VbError(int number, QString description = {});
    int number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    int number_;
    QString description_;
    QByteArray what_;
};

// VB's own text for an error number ("Overflow" for 6, "File not found" for
// 53, ...); "Application-defined or object-defined error" for unknown ones.
QString StandardErrorText(int number);

// Raise error `number`; an empty description takes the standard text.
[[noreturn]] void Raise(int number, const QString& description = {});

// Well-known numbers.
enum ErrorNumber : int {
    errInvalidCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscript = 9,
    errDivisionByZero = 11,
    errTypeMismatch = 13,
    errBadFileNameOrNumber = 52,
    errFileNotFound = 53,
    errBadFileMode = 54,
    errFileAlreadyOpen = 55,
    errDeviceIO = 57,
    errFileExists = 58,
    errDiskFull = 61,
    errInputPastEnd = 62,
    errBadRecordNumber = 63,
    errTooManyFiles = 67,
    errDeviceUnavailable = 68,
    errPermissionDenied = 70,
    errDiskNotReady = 71,
    errRenameAcrossDrives = 74,
    errPathFileAccess = 75,
    errPathNotFound = 76,
    errObjectNotSet = 91,
    errInvalidNull = 94,
    errCantCreateObject = 429,
    errNoSuchMember = 438,
    errAutomation = 440,
};

}  // namespace vb
