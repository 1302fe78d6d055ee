// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/HiddenMainWindow.h"

#include <QApplication>
#include <QWidget>

#include "vb/ErrorHandling.h"

void WithMainWindowHidden(QWidget* mainWindow, const std::function<void()>& showModal) {
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    mainWindow->hide();
    vb::Quiet(showModal);
    mainWindow->show();
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
}
