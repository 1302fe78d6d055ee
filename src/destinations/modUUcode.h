// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// uuencode blocks for attachments inside a plain-text message:
//   "begin 600 <name>", one "M" line per 45 bytes, a last line of the
//   remaining 0..44 bytes (its length character Chr(32 + r)), "`", "end";
// every line ends with CR LF, a 6-bit value v is Chr(32 + v) except that 0
// is "`".

// Encodes one line's bytes, 4 characters per 3 bytes. `bytes` is first
// padded with zero bytes to a multiple of 3 (the caller's array too).
QByteArray UUEncodeLine(QByteArray& bytes);

// Writes the block of the file `sourcePath` to `targetPath` (Windows paths),
// at its end when `append` is true (after an empty line, so that the block
// starts on a line of its own), else into a new or emptied file. The name
// in the begin line is the part of the source path after its last "\" or
// "/". A target this creates is readable by its owner only. The file is read
// 45 bytes at a time, so memory use does not grow with it. Returns 0, or the
// number of the error that stopped it (53 source missing, 75 target not
// writable, 57 device error while reading or writing).
int UUEncodeFile(const QString& sourcePath, const QString& targetPath, bool append);
