// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ArchivePaths.h"

QString ArchiveName;
QString ArchiveDestPath;
QString ArchiveTempPath;
QString ArchiveLogPath;
qint32 BackUpStartTime = 0;
QDateTime LastBackUpDate;
QStringList DeliveredThisRun;
