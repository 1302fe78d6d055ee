// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

// The registry, kept in the per-user settings database (Database.h).
//
// A path starts with its root: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
// HKEY_CLASSES_ROOT, HKEY_USERS or HKEY_CURRENT_CONFIG (HKCU, HKLM and HKCR
// are accepted for the first three, as the script host accepts them). The
// last part of a path is a value name; a path that ends in "\" names a key and
// stands for the key's default value. Key paths and value names are compared
// without regard to case; they keep the case in which they were first written.
// Every value is a string.
namespace platform {

// The script host's number for a missing key or value.
constexpr int kRegistryNotFound = -2147024894;

// The data of a value. Values Windows itself keeps that the host has an
// equivalent for are answered from the host unless one was written: the
// registered owner (the account's full name), the registered organisation
// (empty) and the system-information tool's paths. Any other missing value
// or key raises vb::VbError kRegistryNotFound "Unable to open registry key
// "<path>" for reading.".
QString RegRead(const QString& path);
// Writes a string value, creating the missing keys on the way; a path ending in
// "\" creates the key and sets its default value.
void RegWrite(const QString& path, const QString& value);
// Deletes a value, or for a path ending in "\" the key with all its subkeys.
// A missing one raises kRegistryNotFound "Unable to remove registry key "<path>".".
void RegDelete(const QString& path);

// Writes the key (with its values and subkeys) to a registry file: "REGEDIT4",
// a blank line, then per key "[<key path>]", its values as "name"="data"
// (the default value as @="data"; \ and " escaped) and a blank line; CR LF
// line ends, UTF-8. An empty key path writes every root. `windowsFile` is a
// Windows path. False when the key does not exist or the file cannot be
// written; a failure of the database raises. A value whose name is one of
// `withheld` (compared without regard to case) is written with empty data:
// the export names it and leaves its content out.
bool ExportRegedit4(const QString& keyPath, const QString& windowsFile, const QStringList& withheld = {});
// The same tree as readable text blocks ("Key Name:", "Class Name:", then
// "Value <n>" with "Name:", "Type:", "Data:").
bool ExportRegistryText(const QString& keyPath, const QString& windowsFile, const QStringList& withheld = {});

// Key path and value name apart (a key path has no value name; a trailing "\"
// is allowed). Used by the settings store. Bad paths raise error 5.
std::optional<QString> RegGetValue(const QString& keyPath, const QString& valueName);
void RegSetValue(const QString& keyPath, const QString& valueName, const QString& value);
bool RegDeleteValue(const QString& keyPath, const QString& valueName);  // false when missing
bool RegDeleteTree(const QString& keyPath);                             // false when missing
// The named values of a key (the default value left out), in the order in
// which they were created.
QList<QPair<QString, QString>> RegEnumValues(const QString& keyPath);

}  // namespace platform
