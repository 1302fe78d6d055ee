// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <optional>

class QMenu;
class QWidget;

// The main window in the notification area (the tray). While the window sits
// there it is hidden and the tray icon's clicks reach TrayWindowProc: a
// double click brings the window back, a right click opens its pop-up menu.
//
// Tray state, set by AddTrayIcon while the window goes into the tray:
extern qint32 TrayIconId;                 // the icon's identifier (the process id)
extern QWidget* TrayHWnd;                 // the window that sits in the tray
extern QSystemTrayIcon* TrayIconData;     // the icon; nullptr while none is shown
extern QMenu* TrayPopupMenu;              // the menu a right click opens

// The desktop has a notification area. Where it has none the main window is
// minimised instead of going into the tray, so that it never vanishes with no
// way back.
bool TrayAvailable();

// Shows the tray icon for `window` with the tip text and the pop-up menu, and
// hooks the icon's clicks to TrayWindowProc. The window is left as it is.
// `restore` is what a double click does (the window's Show command); without
// one it is RestoreFromTray.
void AddTrayIcon(QWidget* window, QMenu* popup, const QString& tip, std::function<void()> restore = {});

// While the icon is shown, the notification area is looked at every
// kTrayWatchMs: when it has gone (the panel that held it was closed), the
// window comes back as on a double click, since nothing else could bring it.
constexpr int kTrayWatchMs = 2000;
void TrayWatch();

// Undoes AddTrayIcon: unhooks the clicks and removes the icon. The restore
// of the window (the Show command, a double click) calls it first.
void RemoveTrayIcon();

// Takes the window out of the tray: RemoveTrayIcon, the animation from the
// tray to the window, pending events, the window shown, pending events again.
void RestoreFromTray();

// The animation of the window into the tray (mode 1) or out of it (mode 0).
// This desktop has no such caption animation, so it draws nothing; any mode
// returns 0.
qint32 TrayAnimate(qint32 iMode, QWidget* hWnd);

// What the tray icon's clicks do: a double click restores the window (as
// AddTrayIcon was told), a
// right click (the context request) shows the pop-up menu at the mouse
// position; anything else (a single click, the middle button) does nothing.
void TrayWindowProc(QSystemTrayIcon::ActivationReason reason);

// Tests: pretend that the desktop has (true) or lacks (false) a notification
// area; nullopt asks the desktop again.
void SetTrayAvailableForTest(std::optional<bool> available);
