// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>

// The program's one clock. Now/Date/Time/Timer read the wall clock,
// MonotonicMs a steady clock for waits and elapsed times. Tests can set the
// clock: fixed (it stands still until advanced) or running from a given time.
namespace vb {

QDateTime Now();       // local time, whole seconds like VB's Now
QDate Date();
QTime Time();          // whole seconds
double Timer();        // seconds since midnight, with fractions
qint64 MonotonicMs();  // milliseconds of a steady clock (no jumps at midnight)
// Milliseconds of the real steady clock, which tests never move: for the
// ages of caches and the pace of repeated work.
qint64 SteadyMs();

// running = false: the clock stands at `now` until advanced;
// running = true: it starts at `now` and goes on in real time.
void SetClockForTest(const QDateTime& now, bool running = false);
void AdvanceClockForTest(qint64 ms);  // moves Now, Timer and MonotonicMs
void ResetClock();                     // back to the real clocks
bool ClockIsSet();

// The system's short date text (en-US: "3/7/2004") and general date text
// (en-US: "3/7/2004 2:05:09 PM"; the time left out at midnight, the date
// left out for a pure time, i.e. on 30 Dec 1899, as VB does).
QString ShortDateText(const QDate& date);
QString GeneralDateText(const QDateTime& value);
// The long time form (en-US: "2:05:09 PM").
QString LongTimeText(const QTime& time);

// The local date and time of a moment given in seconds since 1970 (UTC): a
// date-time in UTC form whose date() and time() are those that
// QDateTime::fromSecsSinceEpoch(secs) shows. Many moments cost a time-zone
// lookup per day they fall on rather than one each.
QDateTime LocalFields(qint64 secsSinceEpoch);

}  // namespace vb
