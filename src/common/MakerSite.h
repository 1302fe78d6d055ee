// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The maker's web site: the program's help, product, forum and home pages
// lie below it.
extern const QString MakerWebSite;

// The address of a page of the maker's web site ("/nrv/help/..." and so on).
QString MakerPage(const QString& path);

// Opens that page with the desktop's browser; nothing is shown when it
// cannot be opened.
void OpenMakerPage(const QString& path);
