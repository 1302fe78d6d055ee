// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar's own commands: the Help button's drop-down menu and New.
#include <QApplication>

#include "common/Globals.h"
#include "common/MakerSite.h"
#include "ui/frmMain_BackUp.h"
#include "ui/frmWizard.h"
#include "vb/ErrorHandling.h"

void frmMain_BackUp::tbTools_ButtonMenuClick(const QString& Key) {
    vb::Quiet([&] {
        if (Key == QLatin1String("Product"))
            mnuProduct_Click();
        else if (Key == QLatin1String("Tips"))
            mnuHelp_Click();
        else if (Key == QLatin1String("Forum"))
            OpenMakerPage(QStringLiteral("/cgi-bin/forum/x-forum.cgi?show=subject&page=1&subject=300"));
        else if (Key == QLatin1String("About"))
            mnuAbout_Click();
    });
}

// New: the set-up wizard makes a new profile.
void frmMain_BackUp::NewProfile() { ShowNewProfileWizard(); }

void frmMain_BackUp::LoadNews() { OpenMakerPage(QStringLiteral("/nrv")); }
