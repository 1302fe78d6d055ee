// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>

// The program's one clock. Now/Date/Timer read the wall clock, MonotonicMs a
// steady clock for waits and elapsed times. Tests can fix both: a fixed clock
// stands still until advanced.
namespace vb {

QDateTime Now();       // local time, whole-millisecond resolution
QDate Date();
QTime Time();
double Timer();        // seconds since midnight, with fractions
qint64 MonotonicMs();  // milliseconds of a steady clock (no jumps at midnight)

void SetClockForTest(const QDateTime& fixedNow);
void AdvanceClockForTest(qint64 ms);  // moves Now and MonotonicMs
void ResetClock();                     // back to the real clocks
bool ClockIsFixed();

// The system's short date text (en-US: "3/7/2004") and its general date text
// (en-US: "3/7/2004 2:05:09 PM"; the time left out at midnight, the date left
// out for a pure time on 30 Dec 1899 as VB does).
QString ShortDateText(const QDate& date);
QString GeneralDateText(const QDateTime& value);
// The long time form (en-US: "2:05:09 PM").
QString LongTimeText(const QTime& time);

}  // namespace vb
