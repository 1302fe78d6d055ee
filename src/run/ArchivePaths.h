// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

// The paths of the archive a ZIP run is writing, shared by the run, the
// archive opening, the adding step and the finishing step, and handed to the
// cipher, the disc writer and the FTP upload. All are Windows paths.

// The archive's file name as it stands at the destination or on the server
// (".cry" appended when encryption is on).
extern QString ArchiveName;
// BackupDestination & "\" & the ".zip" name (".cry" appended once encrypted).
extern QString ArchiveDestPath;
// The working archive in the temporary folder (".cry" appended once encrypted).
extern QString ArchiveTempPath;
// The working archive log: ArchiveTempPath & ".log" (".cry.log" with encryption).
extern QString ArchiveLogPath;

// Whole seconds since midnight when the current run started.
extern qint32 BackUpStartTime;
// When the last run ended without a cancel.
extern QDateTime LastBackUpDate;

// Moves an archive that reached none of its destinations, with its log, out
// of the way of the temporary folder's clean-up, into a folder of its own
// below "<temporary folder>\undelivered"; the log is named after the
// archive there. The folder (Windows path), or "" when the archive could not
// be moved.
QString KeepUndelivered(const QString& tempFolder, const QString& archive, const QString& log);

// The archives and logs this run has put into the destination folder. Old
// archives are never deleted when they are one of these.
extern QStringList DeliveredThisRun;
