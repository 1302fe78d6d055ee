// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "vb/ErrorHandling.h"

class clsBlowfish;

// The temporary ZIP copies that the search and the restore decrypt ".cry"
// archives into. A copy holds the user's files in the clear: it is created
// readable by the user alone, and removed again when the decryption fails.
namespace restore_copies {

// "<temp folder>\_BackUp_temp.zip", the search's copy (76 for an empty folder).
QString SearchCopy(const QString& tempFolder);
// "<temp folder>\_BackUp_<archive file name>temp.zip", the restore's copy of one archive.
QString RestoreCopy(const QString& tempFolder, const QString& archiveName);

// True for the name of an encrypted archive (ending in "cry" in any letter case, as the list takes them).
bool IsEncrypted(const QString& archiveName);

// Creates the temp folder when it is missing, as a run does, and returns it
// (error 76 when none is set or it cannot be made).
QString PrepareTempFolder(const QString& tempFolder);

// What the window says of an archive that could not be decrypted.
inline const QString kNotDecrypted = QStringLiteral("could not be decrypted - please check the password");

// "<archive>: <why>" for an archive that could not be read, the error's
// text without the path it ends with.
QString Reason(const QString& archiveName, const vb::ErrInfo& err, const QString& path);

// Decrypts the archive into the copy (mode 0600) with the cipher; false
// (and no copy left behind) when the password or the file is wrong.
bool DecryptToCopy(clsBlowfish& cypher, const QString& archive, const QString& copy, const QString& password);

// Deletes a copy if it is there; errors go to the caller.
void RemoveCopy(const QString& copy);

}  // namespace restore_copies
