// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QtGlobal>

// The destination medium: can the chosen destination take a backup now, and
// how many bytes are free on it. Works on the main window's destination
// options and fills its destination-information panel.

// Bytes that may still be written to the destination; 0 at program start.
// Set by Update_Media and by the run's steps from Get_DiskFree (or 1E12 for
// a destination that is only the FTP server).
extern double gFreeSpace;

// Free bytes for the destination given by `path`, less the spare space. With
// the CD recorder as destination (and a path other than the temporary
// folder's) the free bytes of the disc, without the spare space.
double Get_DiskFree(const QString& path);

// The unsigned 64-bit number made of two 32-bit halves, as a double.
double LargeIntegerToDouble(qint32 low, qint32 high);

// Checks the destination chosen in the main window, fills the panel and sets
// gFreeSpace. True when the destination can be written now. During a run a
// drive that is not ready asks Retry or Cancel.
bool Update_Media();

// Writes the empty-row text into every panel row but the ready row.
void ClearValues();

// The panel's number forms of a byte count in megabytes of 1048576 bytes:
// A "## ##0.00 Mb", B "# ##0.0 Mb", C "###0.0" (no unit).
QString MbFormatA(double bytes);
QString MbFormatB(double bytes);
QString MbFormatC(double bytes);
