// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/Vaultora_CDWriterXP.h"

#include "destinations/PendingDestination.h"

bool CdWriting = false;

void OpenCopy2CD() { ReportDestinationNotAvailable(QStringLiteral("OpenCopy2CD")); }

void AddImage2CD(const QString& discFolder, const QString& localFile) {
    ReportDestinationNotAvailable(QStringLiteral("AddImage2CD"));
}

void RemoveImage2CD(const QString& discFolder, const QString& localFile) {
    ReportDestinationNotAvailable(QStringLiteral("RemoveImage2CD"));
}

void BurnCD() { ReportDestinationNotAvailable(QStringLiteral("BurnCD")); }
