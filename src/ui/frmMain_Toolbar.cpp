// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar's own commands: the Help button's drop-down menu, the modal
// windows that stand in for the main window while they are open, and New.
#include <QApplication>

#include "common/Globals.h"
#include "common/MakerSite.h"
#include "ui/frmMain_BackUp.h"
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
            ShowAboutBox();
    });
}

void frmMain_BackUp::ShowModalWithMainHidden(const std::function<void()>& showModal) {
    // Meanwhile no main window is visible, so the closing of a message box
    // must not end the program.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    vb::Quiet([&] { hide(); });
    vb::Quiet([&] {
        if (showModal)
            showModal();
    });
    // Shown again whatever the modal window did.
    vb::Quiet([&] { show(); });
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
}

void frmMain_BackUp::NewProfile() {
    vb::Quiet([] { WizardProfileText = LangText(213); });
    ShowModalWithMainHidden([this] { ShowSetupWizard(); });
}

void frmMain_BackUp::LoadNews() { OpenMakerPage(QStringLiteral("/nrv")); }
