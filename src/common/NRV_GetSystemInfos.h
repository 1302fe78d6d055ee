// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <optional>

// What the program knows about the computer and its user: the login name,
// the registered organisation, the system folders and the system version.

// The version record that GetWinVersion fills (the fields of the Win32
// OSVERSIONINFO record). On this computer it holds the Linux kernel's
// numbers ("6.1.0" gives 6, 1, 0), the NT platform identifier 2 and, in the
// text field, the system's own name (PRETTY_NAME of /etc/os-release).
struct OsVersionRecord {
    quint32 size = 148;
    quint32 majorVersion = 0;
    quint32 minorVersion = 0;
    quint32 buildNumber = 0;
    quint32 platformId = 0;
    QString csdVersion;  // at most 128 characters
    // The numbers are those of this computer's Linux kernel, so the Windows
    // names of the version table do not apply to them.
    bool hostSystem = false;
};
extern OsVersionRecord OsVersionInfo;

// Sets UserName ("GUEST" when empty) and CompanyName ("MYCOMPANY" when empty
// or holding "HKEY_LOCAL_MACHINE").
void GetPCInfos();

// The login name in a buffer of 25 characters, padded with NUL characters;
// "" when the name does not fit (25 characters or more) or cannot be read.
QString GetUser();

// The registered organisation from the registry ("" when missing; ReadKey
// logs the miss). Linux has none, so the lookup normally finds nothing.
QString GetCompany();

// The text without NUL characters.
QString ClipNull(const QString& text);

// The system folder: Z:\usr\lib, where the system's libraries live.
QString GetSysDir();
// The Windows folder: Z:\usr\share, the system's shared data (sounds, icons,
// help). Sound names in the form "%SystemRoot%\media\x.wav" resolve below it.
QString GetWinDir();

// Fills OsVersionInfo and returns the version name (see VersionName).
QString GetWinVersion();

// The version name of a record: for a record of this computer the system's
// own name (its text field); otherwise the Windows name by platform, major,
// minor and build number ("Windows NT 4.0", "Windows XP", ...).
QString VersionName(const OsVersionRecord& record);

// Tests: replace the login name that GetUser reads (nullopt: the real one).
void SetLoginNameForTest(std::optional<QString> name);
