// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The lines of the archive log "<archive>.log": one line per file, written
// between double quotes and ended by CR LF, no header.
//
//   name field  the path shortened to 65 characters, padded to 66
//   stored      name field, uncompressed size padded to 11, "--> ",
//               compressed size padded to 11, the saving "0#", " %"
//   too large   name field & "to large - file was skipped"
//   not stored  name field & "File locked - skipped backup"
//   error       <number>:<description>
namespace archive_log {

inline constexpr int kNameWidth = 65;
inline constexpr int kNameField = 66;
inline constexpr int kSizeField = 11;

inline const QString kTooLargeSkipped = QStringLiteral("to large - file was skipped");
inline const QString kTooLargeSplit = QStringLiteral("to large - file was splitted");
inline const QString kFileLocked = QStringLiteral("File locked - skipped backup");

// The name field of a path already shortened to kNameWidth characters: cut
// to kNameWidth, then padded with blanks to kNameField.
QString NameField(const QString& shortenedPath);

// The space saving in whole percent, (1 - c / u) * 100 rounded half to even;
// 0 for an empty file.
int Saving(qint64 uncompressed, qint64 compressed);

// The line of a stored file. A size wider than its column is written whole.
QString StoredLine(const QString& nameField, qint64 uncompressed, qint64 compressed);

// The line of a failure other than a skipped file.
QString ErrorLine(int number, const QString& description);

// Writes one line to the open archive log (file number).
void Write(int fileNo, const QString& line);

}  // namespace archive_log
