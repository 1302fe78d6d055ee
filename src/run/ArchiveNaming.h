// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QString>

// How the archives of a profile are named.
//
//   base name    <profile>_BackUp_d<yyyymmdd>.zip     daily
//                <profile>_BackUp_w<yyyy><week>.zip   weekly (week without a leading zero)
//                <profile>_BackUp_m<yyyymm>.zip       monthly
//   volume       the base name with ".zip" replaced by "__<n>.zip"
//   encrypted    the ".zip" name followed by ".cry"
namespace archive_naming {

enum Period : int { Daily = 0, Weekly = 1, Monthly = 2 };

// Weeks begin on Sunday and week 1 is the one that holds 1 January, so the
// number runs from 1 to 54.
int WeekNumber(const QDate& day);

// The period mark and period of a day: "_BackUp_d20040307", "_BackUp_w200411",
// "_BackUp_m200403".
QString PeriodPart(int period, const QDate& day);

// profile & period part & ".zip"
QString BaseName(const QString& profile, int period, const QDate& day);

// The base name with "__" & volume inserted before its ".zip".
QString VolumeName(const QString& baseName, int volume);

// The volume number in a file name: the decimal digits between the last
// "__" of the name and its ending ".zip" or ".zip.cry". The profile's own
// stem ends in the period's digits, never in "__" and digits, so a profile
// name or a folder holding "__" cannot mislead it. 0 when the name ends in
// no such number, or the number does not fit a volume number (1 to 32767).
int VolumeNumber(const QString& fileNameOrPath);

// The volume number of a listed file name that is exactly `stem` & "__" &
// digits & `suffix`, compared as text with case counting (no character of a
// profile name acts as a wildcard); 0 for any other name.
int ListedVolume(const QString& name, const QString& stem, const QString& suffix);

// The highest volume number that exists.
constexpr int kMaxVolume = 32767;

// The ZIP comment of every new archive: "Archiv created with n.r.v Vaultora
// <major>.<minor>".
QString Comment();

}  // namespace archive_naming
