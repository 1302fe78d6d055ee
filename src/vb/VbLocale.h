// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLocale>
#include <QString>

// The user's locale as the runtime's texts use it. QLocale() is the system
// locale unless a program or test sets a default. The "C" locale behaves as
// US English for dates, times and names, as the host would.
namespace vb {

enum class DateOrder { MDY, DMY, YMD };

QLocale NumberLocale();
QLocale DateLocale();

QString DecimalPoint();
QString GroupSeparator();

// Qt date/time patterns of the user's short date (four-digit year) and long
// time (with seconds, no time zone).
QString ShortDatePattern();
QString LongTimePattern();
QString ShortTimePattern();   // 24-hour "HH:mm" as VB's Short Time
QString LongDatePattern();
QString DateSeparator();
QString TimeSeparator();
DateOrder UserDateOrder();
QString AmText();
QString PmText();

}  // namespace vb
