// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Takes the close command away from a window: its title bar loses the close
// button, so the window is left through the program's own exit command.
// Errors are logged as "RemoveCloseButton of Modul NRV_API_Shell".
void RemoveCloseButton(QWidget* hwnd);
