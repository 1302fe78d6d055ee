// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// VB's string functions: 1-based positions, VB's errors (5) for invalid
// arguments such as a start below 1 or a negative length.
namespace vb {

enum class Compare { Binary = 0, Text = 1 };

QString Mid(const QString& s, int start);
QString Mid(const QString& s, int start, int length);
QString Left(const QString& s, int length);
QString Right(const QString& s, int length);
int Len(const QString& s);

// Position of `find` (1-based), 0 when absent; an empty `find` gives start.
int InStr(const QString& s, const QString& find);
int InStr(int start, const QString& s, const QString& find, Compare compare = Compare::Binary);
// Searching backwards from `start` (-1: the end).
int InStrRev(const QString& s, const QString& find, int start = -1, Compare compare = Compare::Binary);

// Blanks (U+0020) only, like VB; tabs and line ends stay.
QString Trim(const QString& s);
QString LTrim(const QString& s);
QString RTrim(const QString& s);

QString UCase(const QString& s);
QString LCase(const QString& s);
QString Space(int n);
QString String(int n, QChar c);

// Replace every `find` (from `start`, at most `count` times, -1 all).
// As in VB the result starts at `start`.
QString Replace(const QString& s, const QString& find, const QString& with, int start = 1, int count = -1,
                Compare compare = Compare::Binary);

// Characters by code: 0..255 as Windows-1252 (Chr(128) is the euro sign),
// other codes as Unicode (ChrW). Error 5 outside 0..65535.
QString Chr(int code);
QString ChrW(int code);
// Code of the first character (Windows-1252 where it has one, else Unicode);
// error 5 for the empty text.
int Asc(const QString& s);
int AscW(const QString& s);

int StrComp(const QString& a, const QString& b, Compare compare = Compare::Binary);

// Common constants.
inline const QString vbCrLf = QStringLiteral("\r\n");
inline const QString vbCr = QStringLiteral("\r");
inline const QString vbLf = QStringLiteral("\n");
inline const QString vbTab = QStringLiteral("\t");
inline const QString vbNullString;

}  // namespace vb
