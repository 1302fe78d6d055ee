// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/NRV_InetFTP.h"

#include "destinations/PendingDestination.h"

bool FTPtest_connection(const QString& subFolder, bool createFolders) {
    ReportDestinationNotAvailable(QStringLiteral("FTPtest_connection"));
    return false;
}

bool FTPretrieve_files(const QString& subFolder, const QString& remoteName,
                       const QString& localFolder, const QString& localName) {
    ReportDestinationNotAvailable(QStringLiteral("FTPretrieve_files"));
    return false;
}

bool FTPcopy_files(bool flag, const QString& localPath, const QString& remoteName) {
    ReportDestinationNotAvailable(QStringLiteral("FTPcopy_files"));
    return false;
}
