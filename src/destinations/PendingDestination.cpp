// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/PendingDestination.h"

#include <cstdio>

#include "common/Globals.h"
#include "ui/frmMain_BackUp.h"

void ReportDestinationNotAvailable(const QString& what) {
    const QString line = what + QStringLiteral(": ") + LangText(21);
    if (fMainForm && fMainForm->RtbNews1)
        fMainForm->RtbNews1->PrependLine(line);
    else
        std::fprintf(stderr, "vaultora: %s\n", qPrintable(line));
}
