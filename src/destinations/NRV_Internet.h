// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "platform/InetControl.h"

// The news and version check of the toolbar's Update command: fetches the
// news page into the run log and the version list into
// "<program folder>\..\temp\versions.txt", finds this program's record
// (product code "300") and tells the user whether the running version is
// current; when it is not, offers the download page.
//
// The web server is the user setting "NewsServer" (section "Settings"), an
// http or https address; the maker's web site when it is not set. The
// documents' paths below it are fixed. A call while a check waits for the server does nothing.
void ChkNewVersion();

// The server address in use.
QString NewsServerBase();

// The result of comparing the running version with a listed one
// ("major.minor.revision"; the revision is everything after the second
// point). `outdatedText` is the language text that names what is newer
// (47 major, 46 minor, 45 revision); 0 when the running version is current.
// Raises 13 or 6 for parts that are not 16-bit whole numbers.
struct VersionVerdict {
    bool current = true;
    int outdatedText = 0;
};
VersionVerdict CompareVersions(const QString& listed, int major, int minor, int revision);

// The main window's HTTP control (made on first use).
platform::InetControl& HttpControl();
