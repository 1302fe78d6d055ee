// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Single registry values by full path, root name first
// ("HKEY_CURRENT_USER\Software\X\Value"); a path ending in "\" names the
// key's default value. Values are strings. A failure is logged (error line
// and a trace line with the path) and the function goes on.

// Writes sValue at sKey, creating missing keys on the way.
void CreateKey(const QString& sKey, const QString& sValue);
// The value's data; "" when it is missing or unreadable (that miss is logged).
QString ReadKey(const QString& sKey);
// Deletes the value (or, for a path ending in "\", the key).
void DeleteKey(const QString& sKey);
