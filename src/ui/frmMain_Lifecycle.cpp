// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life cycle: loading, unloading, the exit sequence and
// the way into the notification area and back.
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include "common/AppInstance.h"
#include "common/Globals.h"
#include "common/MakerSite.h"
#include "common/NRV_API.h"
#include "common/NRV_API_Shell.h"
#include "common/NRV_PlaySound.h"
#include "common/NRV_Time.h"
#include "common/NRV_WindowsTopMost.h"
#include "platform/SettingsStore.h"
#include "run/ProgramEnd.h"
#include "run/Vaultora_Main.h"
#include "settings/LoadSettings.h"
#include "settings/SaveSettings.h"
#include "settings/SettingsKeys.h"
#include "ui/controls/VbControl.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Strings.h"

namespace {
QString Placement(const char* key, const char* defaultText) {
    return platform::GetSetting(settings::UserSettingsApp(), QString::fromLatin1(settings::kData),
                                QString::fromLatin1(key), QString::fromLatin1(defaultText));
}
}  // namespace

void frmMain_BackUp::Form_Load() {
    vb::Handler h(QStringLiteral("Form_Load of Formular frmMain_BackUp"));
    h.Next(1, [&] { RemoveCloseButton(this); });
    h.Next(2, [&] {
        chkProfileStandard->setValue(vb::CInt(settings::ReadUser(QStringLiteral("chkProfileStandard"),
                                                                 QStringLiteral("0"))));
    });
    h.Next(3, [&] {
        if (chkProfileStandard->Value() == 1)
            cmbProfiles->setText(QStringLiteral("Standard"));
        else
            cmbProfiles->setText(settings::ReadUser(QStringLiteral("ProfileText"), QStringLiteral("Standard")));
    });
    h.Next(4, [&] {
        if (vb::Trim(cmbProfiles->Text()).isEmpty())
            cmbProfiles->setText(QStringLiteral("Standard"));
    });
    h.Next(5, [&] { txtProfile->setText(cmbProfiles->Text()); });
    h.Next(6, [&] { setLeft(vb::CSng(Placement("MainLeft", "1000"))); });
    h.Next(6, [&] { setTop(vb::CSng(Placement("MainTop", "1000"))); });
    h.Next(6, [&] { setHeight(vb::CSng(Placement("MainHeight", "7785"))); });
    h.Next(6, [&] { setWidth(vb::CSng(Placement("MainWidth", "9730"))); });
    // A place stored for a screen that is gone would leave the window where
    // nobody can reach it.
    h.Next(6, [&] { KeepReachable(); });
    h.Next(7, [&] { SSTab1->setTab(0); });
    // An unattended start with no display has nobody to see the window:
    // it is not shown, so its layout is never worked out nor its styles
    // applied. Its controls hold the profile as ever.
    h.Next(8, [&] {
        if (!UnseenStart())
            show();
    });
    h.Next(8, [&] { Refresh(); });
    h.Next(8, [] { vb::DoEvents(); });
    // Where the frame is known as soon as the window is shown, the client
    // area is fitted to it now; otherwise when the window manager tells it.
    h.Next(8, [&] { refitFrame(); });
    h.Next(9, [] { Load_Settings(); });
    h.Next(10, [&] {
        RtbNews1->setText(LangText(3) + vb::vbCrLf + vb::vbCrLf + LangText(205) + vb::vbCrLf + LangText(206) +
                          vb::vbCrLf + LangText(207) + QStringLiteral(" - ") + MakerWebSite);
    });
    h.Next(11, [] { vb::DoEvents(); });
    h.Next(12, [&] { tbTools->Buttons(3).setEnabled(true); });
    h.Next(13, [&] { AniGIF1->Play(); });
}

void frmMain_BackUp::KeepReachable() {
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            screens << screen->availableGeometry();
    const QRect frame = placementFrame();
    const int margin = ui::TwipsToPixels(1000);
    const QRect reachable = ui::ReachableFrame(frame, screens, QPoint(margin, margin));
    if (reachable != frame)
        setFrame([&](QRect& r) { r = reachable; });
}

void frmMain_BackUp::Form_QueryUnload(int& Cancel, int UnloadMode) {
    Q_UNUSED(Cancel);
    Q_UNUSED(UnloadMode);
    vb::Handler h(QStringLiteral("Form_QueryUnload of Formular frmMain_BackUp"));
    h.Next(1, [] {
        if (!RunMode)
            Save_Settings();
    });
}

void frmMain_BackUp::Form_Unload(int& Cancel) {
    Q_UNUSED(Cancel);
    vb::Handler h(QStringLiteral("Form_Unload of Formular frmMain_BackUp"));
    // The other windows, the newest first.
    QList<QWidget*> others;
    h.Next(1, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != this && w->isWindow() && !qobject_cast<QMenu*>(w) && w->isVisible())
                others << w;
    });
    for (qsizetype i = others.size() - 1; i >= 0; --i)
        h.Next(1, [&] { others[i]->close(); });
    h.Next(1, [] { RemoveTrayIcon(); });
    h.Next(2, [] { vb::CloseAll(); });
    h.Next(3, [&] { ZipArchive.reset(); });
    h.Next(4, [] { ReleaseVoiceText(); });
}

// Each way out of the program comes here: the toolbar's Exit, the menu bar,
// the tray menu, a close from the window manager, the end of an unattended
// run, a Cancel at the new-medium prompt.
void frmMain_BackUp::mnuExit_Click() {
    vb::Quiet([&] { Animation1->Stop(); });
    vb::Quiet([&] { Animation2->Stop(); });
    bool speak = false;
    vb::Quiet([&] { speak = chkSound->Value() == 1 && bSoundAvailable; });
    if (speak) {
        SpeakText(LangText(169));
        vb::Quiet([] { Wait(3); });
    }
    vb::Quiet([&] { Unload(); });
    vb::Quiet([] { ReleaseInstanceLock(); });
    End();
}

void frmMain_BackUp::mnuExit1_Click() { mnuExit_Click(); }

void frmMain_BackUp::Form_Resize() {
    // Nothing to do: the window's layout follows its size by itself.
}

void frmMain_BackUp::mnuHelp_Click() { OpenMakerPage(QStringLiteral("/nrv/help/vaultora_e.htm")); }
void frmMain_BackUp::mnuHelp1_Click() { mnuHelp_Click(); }
void frmMain_BackUp::mnuProduct_Click() { OpenMakerPage(QStringLiteral("/nrv/products/vaultora_e.htm")); }

// Into the notification area. Without one the window is minimised to the
// task bar instead (the window manager brings it back). In the tray, a
// double click and the menu's Show bring it back, and so does the tray going
// away (TrayWatch), so that the window never stays out of reach.
void frmMain_BackUp::cmdSetTray() {
    vb::Handler h(QStringLiteral("cmdSetTray_Click of Formular frmMain_BackUp"));
    bool tray = true;
    h.Next(1, [&] { tray = TrayAvailable(); });
    if (!tray) {
        h.Next(2, [&] { setWindowState(1); });
        return;
    }
    h.Next(6, [&] { AddTrayIcon(this, mnuPopup, ProgramName, [this] { mnuShow_Click(); }); });
    h.Next(7, [&] { TrayAnimate(1, this); });
    // A window that was minimised before (and brought back by the window
    // manager, or not) leaves its minimised state behind: shown again, it
    // would come back as an icon where no task bar may show it.
    h.Next(8, [&] {
        if (windowState() & Qt::WindowMinimized)
            QMainWindow::setWindowState(windowState() & ~Qt::WindowMinimized);
        hide();
    });
}

void frmMain_BackUp::mnuShow_Click() {
    vb::Handler h(QStringLiteral("mnuShow_Click of Formular frmMain_BackUp"));
    h.Next(2, [] { RemoveTrayIcon(); });
    h.Next(3, [&] { TrayAnimate(0, this); });
    h.Next(4, [] { vb::DoEvents(); });
    // Shown on the screen whatever state the window was left in: never as
    // an icon, and in front.
    h.Next(5, [&] {
        if (windowState() & Qt::WindowMinimized)
            QMainWindow::setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
    });
    h.Next(6, [] { vb::DoEvents(); });
    // A window that was minimised once may still be mapped as an icon by
    // the window manager (it keeps the state it saw last): it is taken out
    // of there as soon as that shows.
    for (int ms : {100, 400, 1200})
        QTimer::singleShot(ms, this, [this] {
            if (isVisible() && (windowState() & Qt::WindowMinimized)) {
                QMainWindow::setWindowState(windowState() & ~Qt::WindowMinimized);
                activateWindow();
            }
        });
}

void frmMain_BackUp::chkWinOnTop_Click() {
    vb::Handler h(QStringLiteral("chkWinOnTop_Click of Formular frmMain_BackUp"));
    h.Try([&] {
        if (chkWinOnTop->Value() == 1)
            SetTopMost(this);
        else
            SetNotTopMost(this);
    });
}
