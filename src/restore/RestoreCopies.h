// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class clsBlowfish;

// The temporary ZIP copies that the search and the restore decrypt ".cry"
// archives into. A copy holds the user's files in the clear: it is created
// readable by the user alone, and removed again when the decryption fails.
namespace restore_copies {

// "<temp folder>\_BackUp_temp.zip", the search's copy (76 for an empty folder).
QString SearchCopy(const QString& tempFolder);
// "<temp folder>\_BackUp_<archive file name>temp.zip", the restore's copy of one archive.
QString RestoreCopy(const QString& tempFolder, const QString& archiveName);

// Decrypts the archive into the copy (mode 0600) with the cipher; false
// (and no copy left behind) when the password or the file is wrong.
bool DecryptToCopy(clsBlowfish& cypher, const QString& archive, const QString& copy, const QString& password);

// Deletes a copy if it is there; errors go to the caller.
void RemoveCopy(const QString& copy);

}  // namespace restore_copies
