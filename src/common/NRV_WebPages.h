// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The maker's web server: the pages the program opens and fetches are paths
// on it ("/nrv", "/nrv/support/BugReport.htm").
QString MakerWebServer();
QString MakerPage(const QString& path);
