// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CentreForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget* form) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    form->move(s.x() + (s.width() - form->width()) / 2, s.y() + (s.height() - form->height()) / 2);
}
