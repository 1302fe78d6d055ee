// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <concepts>

// VB's conversion functions. Text is read in the user's locale where VB does
// so (CDbl, CInt, CDate, IsNumeric, IsDate); Val and Str always use "." as the
// decimal point. Failures raise VbError 13 (Type mismatch) or 6 (Overflow).
namespace vb {

// The number at the start of the text: blanks, tabs and line feeds are
// skipped everywhere, "&H"/"&O" prefixes are read, reading stops at the first
// character that cannot continue a number. 0 when there is none.
double Val(const QString& text);

// Round half to even, then range check (error 6).
qint16 CInt(double value);
qint16 CInt(const QString& text);
qint32 CLng(double value);
qint32 CLng(const QString& text);
// Long + Long: error 6 when the sum leaves the 32-bit range.
qint32 AddLong(qint32 a, qint32 b);

// "True"/"False" in any case, or any number (non-zero is true); error 13 otherwise.
bool CBool(const QString& text);
bool CBool(double value);

double CDbl(const QString& text);
float CSng(double value);
float CSng(const QString& text);

// A date, a time or both, in the user's date order, with month names, or in
// ISO form; error 13.
QDateTime CDate(const QString& text);
// VB's serial date: days since 30 Dec 1899, the time of day as the fraction.
QDateTime CDate(double serial);
double DateToSerial(const QDateTime& value);

bool IsNumeric(const QString& text);
bool IsDate(const QString& text);

// Str: "." decimal point, a leading blank for numbers that are not negative,
// no "0" before the point (Str(0.5) = " .5").
QString Str(double value);
QString Str(float value);
QString StrInteger(qint64 value);
template <std::integral T>
    requires(!std::same_as<T, bool>)
QString Str(T value) {
    return StrInteger(qint64(value));
}

// CStr: at most 15 significant digits (7 for a Single), the user's decimal
// point, no blank.
QString CStr(double value);
QString CStr(float value);
QString CStr(bool value);  // "True" / "False"
QString CStr(const QDateTime& value);  // the general date form
QString CStrInteger(qint64 value);
template <std::integral T>
    requires(!std::same_as<T, bool>)
QString CStr(T value) {
    return CStrInteger(qint64(value));
}

}  // namespace vb
