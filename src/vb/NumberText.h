// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <optional>

// Reading and writing numbers as VB does; shared by the conversions and the
// file functions.
namespace vb {

// A whole text as a number in the user's locale (blanks around it, a sign,
// group separators, the decimal point, an exponent with E or D, "&H"/"&O",
// the currency symbol, a negative number in parentheses). Empty when the
// text is not numeric.
std::optional<double> ParseLocaleNumber(const QString& text);

// The shortest text that VB shows for a number: up to 15 significant digits,
// the exponent form from 1E+15 and below 1E-4 ... as the "G" form does.
// `decimalPoint` replaces ".".
QString NumberText(double value, const QString& decimalPoint);
QString SingleText(float value, const QString& decimalPoint);

}  // namespace vb
