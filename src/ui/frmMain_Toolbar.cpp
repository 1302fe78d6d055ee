// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar's own commands: the Help button's drop-down menu and New.
#include <QApplication>

#include "common/Globals.h"
#include "common/MakerSite.h"
#include "ui/frmMain_BackUp.h"
#include "destinations/NRV_Internet.h"
#include "ui/controls/VbRichTextBox.h"
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

// Home: the maker's home page, and the news page into the run log. Without
// a connection the log keeps its text; nothing is reported.
void frmMain_BackUp::LoadNews() {
    OpenMakerPage(QStringLiteral("/nrv"));
    vb::Quiet([&] {
        platform::InetControl& inet = HttpControl();
        inet.URL = NewsServerBase() + QStringLiteral("/nrv/nrvnews.rtf");
        const QString page = inet.OpenURL();
        RtbNews1->setTextRTF(page);
    });
}
