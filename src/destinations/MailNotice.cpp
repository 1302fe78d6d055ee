// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's e-mail notice of a finished archive. Not offered yet:
// the call only says so in the run log.
#include "destinations/PendingDestination.h"
#include "ui/frmMain_BackUp.h"

void frmMain_BackUp::SendMailNotice(const QString& ArchivePath) {
    ReportDestinationNotAvailable(QStringLiteral("SendMailNotice"));
}
