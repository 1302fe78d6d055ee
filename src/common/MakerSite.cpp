// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/MakerSite.h"

#include "platform/Dialogs.h"
#include "vb/ErrorHandling.h"

const QString MakerWebSite = QStringLiteral("http://www.nrv-software.example");

QString MakerPage(const QString& path) { return MakerWebSite + path; }

void OpenMakerPage(const QString& path) {
    vb::Quiet([&] { platform::ShellOpen(MakerPage(path)); });
}
