// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "platform/FileSystem.h"

// Path and file helpers on Windows paths (X:\folder\file or
// \\server\share\folder\file). Plain procedures without state; each catches
// its own errors and writes them to the error log.
//
// Functions that take a path by reference change the caller's variable (as
// the VB procedures did with ByRef); the const overloads take a temporary
// (an expression) and leave nothing behind.

// The folder exists. Lets pending events run once.
bool DirExists(const QString& sDir);

// Trims the caller's variable, then: false for "" or a path ending in "\";
// true when a listing of the path with read-only, hidden and system files
// admitted finds an entry (wildcards in the last part count; folders don't).
bool FileExists(QString& sFile);
bool FileExists(const QString& sFile);

// sDir with "\" appended unless it ends with one ("" gives "\").
QString sFixDirString(const QString& sDir);

// Removes one trailing "\" from the caller's variable and returns the text
// after the last "\" (the whole text when there is none).
QString sParseLastDir(QString& sPath);
QString sParseLastDir(const QString& sPath);

// The text after the last "\", and of that after the last "/".
QString sParseFile(const QString& sPath);

// Fewer than 4 characters: sFixDirString of it. Otherwise the text before the
// last "\" ("" when there is none).
QString sParsePath(const QString& sPath);

// Creates every missing folder along a drive or network path, parents first.
void CreateDirectoryStruct(QString sPath);

// The find record of the first entry matching sPath (wildcards allowed);
// when nothing matches, an empty record named "Error".
platform::FindRecord Findfile(const QString& sPath);

// The text is usable as the path of a new file.
bool IsValidFilename(QString sName);

// Both files exist (trimming both variables), have the same length and the
// same bytes. A read error after both files were opened gives false.
bool compare_files(QString& sFile1, QString& sFile2);
bool compare_files(const QString& sFile1, const QString& sFile2);

// Deletes the folder with everything in it; true when it existed and is gone.
bool DelDir(QString sDir);

// Deletes the plain files matching sPattern dated iDays days ago or earlier
// (by calendar day). A pattern ending in "*.*" deletes nothing.
void DeleteFiles(QString sPattern, qint32 iDays);

// The number of plain files matching sPattern (hidden, system and folders not
// counted); 0 when none or on failure. Lets pending events run once.
qint32 GetFileCount(QString sPattern);

// The attribute bits as the Win32 call returns them; -1 when the path does not
// exist. (Logged as a procedure of Vaultora_Sub, where it is kept with the
// program's own helpers.)
qint32 GetAttributes(QString sPath);
