// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <concepts>

namespace vb {

// Numbers with a display pattern: "0" a digit always shown, "#" a digit shown
// when needed, "," thousands grouping, "." the decimal point (both in the
// user's locale), "%" multiplies by 100; any other character is literal, as
// is text in double quotes or after "\". Sections for negative/zero values are
// separated by ";". Named formats: "General Number", "Fixed", "Standard",
// "Percent". An empty pattern gives CStr(value).
QString Format(double value, const QString& pattern);
QString FormatInteger(qint64 value, const QString& pattern);
template <std::integral T>
    requires(!std::same_as<T, bool>)
QString Format(T value, const QString& pattern) {
    return FormatInteger(qint64(value), pattern);
}

// Dates with VB's date patterns: d dd ddd dddd, m mm mmm mmmm, yy yyyy, h hh,
// n nn (minutes; "m" after h/before s means minutes too), s ss, AM/PM am/pm
// A/P a/p, "/" and ":" the user's separators; letters in any case.
// Named formats: "General Date", "Long Date", "Medium Date", "Short Date",
// "Long Time", "Medium Time", "Short Time".
QString Format(const QDateTime& value, const QString& pattern);
QString Format(const QDate& value, const QString& pattern);

}  // namespace vb
