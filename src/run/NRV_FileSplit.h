// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// Splitting a file that is larger than an archive volume into numbered
// pieces "<name>.1", "<name>.2", ... with the batch file "<name>.bat" that
// joins them again on Windows. Windows paths.

// Cuts `source` into pieces of `pieceSize` bytes (the last one holds the
// rest) in `destFolder` (created when missing) and writes the joining batch
// file beside them. True when every piece and the batch file were written.
//
// The source is only read: a file that vanished or cannot be read is left as
// it is (nothing of its name is created) and gives false. Every piece is
// written under a hidden temporary name and renamed when it is complete, so
// the folder never holds half a piece under a piece's name; an existing piece
// of the same name is deleted first. A failure (a piece that cannot be
// written, a read error, more than 32767 pieces) writes an error-log line and
// gives false; the pieces written so far stay, and no batch file is written,
// so that no batch joins an incomplete file.
bool SplitFiles(const QString& source, const QString& destFolder, qint32 pieceSize);

// The text of the joining batch file for `pieces` pieces of the file `name`
// (a name without folder), in the Windows code page with CR LF line ends.
QByteArray RejoinBatchText(const QString& name, qint32 pieces);

// The folder part of a path with its last "\" ("" when there is none), and
// the part after it.
QString DetermineDirectory(const QString& path);
QString DetermineFilename(const QString& path);
