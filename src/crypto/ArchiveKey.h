// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The key of every ".cry" archive: two fixed pieces around the archive
// password (an empty password still gives the ten characters of the pieces).
inline QString ArchiveKeyFor(const QString& password) {
    return QStringLiteral("T6:w_") + password + QStringLiteral("Kd/4%");
}
