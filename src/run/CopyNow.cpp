// SPDX-License-Identifier: GPL-3.0-or-later
// Copy mode: each selected file copied as a plain file.
#include "run/RunDisplay.h"
#include "ui/frmMain_BackUp.h"

// Not available yet: a line in the run log says so and nothing is copied.
bool frmMain_BackUp::Copy_Now(const QString& File) {
    run_display::LogLine(QStringLiteral("Copy mode is not available yet: ") + File);
    return false;
}
