// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/Vaultora_FileSync.h"

#include "run/RunDisplay.h"

void SynchronizeFiles(const QString& source, const QString& destination, bool bothWays) {
    Q_UNUSED(source);
    Q_UNUSED(destination);
    Q_UNUSED(bothWays);
    run_display::LogLine(QStringLiteral("Folder synchronisation is not available yet."));
}

void SynchronizeDir(const QString& source, const QString& destination, bool bothWays) {
    SynchronizeFiles(source, destination, bothWays);
}
