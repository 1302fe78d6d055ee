// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunPrograms.h"

#include "run/RunDisplay.h"
#include "ui/frmMain_BackUp.h"

void RunProgramBefore() {
    if (fMainForm && fMainForm->chkRunBefore->Value() == 1)
        run_display::LogLine(QStringLiteral("Running a program before the backup is not available yet."));
}

void RunProgramAfter() {
    if (fMainForm && fMainForm->chkRunAfter->Value() == 1)
        run_display::LogLine(QStringLiteral("Running a program after the backup is not available yet."));
}

void ExportRegistry() {
    run_display::LogLine(QStringLiteral("The registry export is not available yet."));
}
