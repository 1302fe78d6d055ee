// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_API.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <utility>

#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

qint32 TrayIconId = 0;
QWidget* TrayHWnd = nullptr;
QSystemTrayIcon* TrayIconData = nullptr;
QMenu* TrayPopupMenu = nullptr;

namespace {
std::optional<bool> g_trayForTest;
QMetaObject::Connection g_hook;
QPointer<QMenu> g_menu;
QPointer<QWidget> g_window;
std::function<void()> g_restore;
QPointer<QTimer> g_watch;

void restoreNow() {
    if (const std::function<void()> restore = g_restore)
        restore();
    else
        RestoreFromTray();
}
}  // namespace

bool TrayAvailable() {
    if (g_trayForTest)
        return *g_trayForTest;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SetTrayAvailableForTest(std::optional<bool> available) { g_trayForTest = available; }

void AddTrayIcon(QWidget* window, QMenu* popup, const QString& tip, std::function<void()> restore) {
    RemoveTrayIcon();
    g_restore = std::move(restore);
    g_window = window;
    g_menu = popup;
    TrayHWnd = window;
    TrayPopupMenu = popup;
    TrayIconId = qint32(QCoreApplication::applicationPid());

    QIcon icon = window ? window->windowIcon() : QIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    TrayIconData = new QSystemTrayIcon(icon, qApp);
    TrayIconData->setToolTip(tip);
    // No context menu of the icon's own: the right click comes to
    // TrayWindowProc, which opens the window's pop-up menu.
    g_hook = QObject::connect(TrayIconData, &QSystemTrayIcon::activated, TrayIconData,
                              [](QSystemTrayIcon::ActivationReason reason) { TrayWindowProc(reason); });
    TrayIconData->show();
    if (!g_watch) {
        g_watch = new QTimer(qApp);
        g_watch->setInterval(kTrayWatchMs);
        QObject::connect(g_watch, &QTimer::timeout, [] { TrayWatch(); });
    }
    g_watch->start();
}

void TrayWatch() {
    if (TrayIconData && !TrayAvailable())
        restoreNow();
}

void RemoveTrayIcon() {
    if (g_watch)
        g_watch->stop();
    if (g_hook)
        QObject::disconnect(g_hook);
    g_hook = {};
    // The icon may be the sender of the click being handled (a double click
    // restores the window from inside the icon's own mouse handling): it
    // goes, and leaves the notification area, once that handling is over.
    if (QSystemTrayIcon* icon = std::exchange(TrayIconData, nullptr))
        icon->deleteLater();
}

void RestoreFromTray() {
    vb::Quiet([] { RemoveTrayIcon(); });
    vb::Quiet([] { TrayAnimate(0, g_window.data()); });
    vb::Quiet([] { vb::DoEvents(); });
    vb::Quiet([] {
        if (g_window)
            g_window->show();
    });
    vb::Quiet([] { vb::DoEvents(); });
}

qint32 TrayAnimate(qint32 iMode, QWidget* hWnd) {
    Q_UNUSED(iMode);
    Q_UNUSED(hWnd);
    return 0;
}

void TrayWindowProc(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        restoreNow();
        break;
    case QSystemTrayIcon::Context:
        // Opened without waiting for its choice: the choice (Show, Exit) then
        // runs after the icon's own handling of the click is over.
        vb::Quiet([] {
            if (g_menu)
                g_menu->popup(QCursor::pos());
        });
        break;
    default:
        break;
    }
}
