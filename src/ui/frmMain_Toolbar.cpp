// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar's own commands: the Help button's drop-down menu and New.
#include <QApplication>

#include "common/Globals.h"
#include "platform/Paths.h"
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

// Update: every step is skipped on its own when it fails, so a missing clip
// leaves the animation empty while the check still runs.
void frmMain_BackUp::CheckForUpdate() {
    bool frameWasVisible = true;
    vb::Quiet([&] {
        frameWasVisible = !Frame7->isHidden();
        Frame7->hide();
    });
    bool cursorSet = vb::Quiet([] { QApplication::setOverrideCursor(Qt::WaitCursor); });
    vb::Quiet([&] { tbTools->Buttons(16).setEnabled(false); });
    vb::Quiet([&] {
        Animation1->Open(platform::ProgramFolder() + QStringLiteral("\\..\\Common\\avi\\update_app.AVI"));
        placeAnimation();
        Animation1->show();
        Animation1->Play();
    });
    vb::Quiet([] { ChkNewVersion(); });
    vb::Quiet([&] {
        Animation1->hide();
        Animation1->Stop();
    });
    vb::Quiet([&] { tbTools->Buttons(16).setEnabled(true); });
    vb::Quiet([&] { Frame7->setVisible(frameWasVisible); });
    if (cursorSet)
        QApplication::restoreOverrideCursor();
}

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
