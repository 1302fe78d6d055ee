// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

class QWidget;

// Runs a modal window (the restore window, the set-up wizard) while the main
// window is hidden, and shows the main window again whatever that window
// did. Meanwhile no visible main window is left, so closing a message box
// must not end the program.
void WithMainWindowHidden(QWidget* mainWindow, const std::function<void()>& showModal);
