// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Splitting a file that is larger than an archive volume into numbered
// pieces "<name>.1", "<name>.2", ... with the batch file "<name>.bat" that
// joins them again. Windows paths.
//
// Not available yet: SplitFiles writes a line saying so at the top of the
// run log and returns false without writing any piece.
bool SplitFiles(const QString& source, const QString& destFolder, qint32 pieceSize);

// The folder part of a path with its last "\" ("" when there is none), and
// the part after it.
QString DetermineDirectory(const QString& path);
QString DetermineFilename(const QString& path);
