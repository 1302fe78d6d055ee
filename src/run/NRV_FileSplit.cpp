// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/NRV_FileSplit.h"

#include "run/RunDisplay.h"

bool SplitFiles(const QString& source, const QString& destFolder, qint32 pieceSize) {
    Q_UNUSED(destFolder);
    Q_UNUSED(pieceSize);
    run_display::LogLine(QStringLiteral("Splitting large files is not available yet: ") + source);
    return false;
}

QString DetermineDirectory(const QString& path) {
    const int cut = int(path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut + 1);
}

QString DetermineFilename(const QString& path) {
    const int cut = int(path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? path : path.mid(cut + 1);
}
