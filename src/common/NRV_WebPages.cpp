// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_WebPages.h"

QString MakerWebServer() { return QStringLiteral("https://vaultora.example.org"); }

QString MakerPage(const QString& path) { return MakerWebServer() + path; }
