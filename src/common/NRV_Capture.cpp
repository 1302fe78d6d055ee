// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_Capture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "platform/Paths.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

bool Capture_Desktop(QString FileName, QWidget* window) {
    vb::Handler h(QStringLiteral("Capture_Desktop of Modul NRV_Capture"));
    return h.Guard(false, [&] {
        vb::DoEvents();  // let the window repaint first
        if (!window)
            vb::Raise(91);
        const QImage shot = window->grab().toImage();
        if (shot.isNull())
            vb::Raise(481, QStringLiteral("Invalid picture"));
        if (!shot.save(platform::ToHost(FileName), "BMP"))
            vb::Raise(75);
        return true;
    });
}

bool Capture_Desktop(QString FileName) {
    vb::Handler h(QStringLiteral("Capture_Desktop of Modul NRV_Capture"));
    return h.Guard(false, [&] {
        vb::DoEvents();  // let the screen repaint first
        QScreen* screen = QGuiApplication::primaryScreen();
        QPixmap shot;
        if (screen)
            shot = screen->grabWindow(0);
        if (shot.isNull())
            vb::Raise(481, QStringLiteral("Invalid picture"));
        QGuiApplication::clipboard()->setPixmap(shot);
        vb::DoEvents();
        const QImage picture = QGuiApplication::clipboard()->image();
        const QImage toSave = picture.isNull() ? shot.toImage() : picture;
        if (!toSave.save(platform::ToHost(FileName), "BMP"))
            vb::Raise(75);
        return true;
    });
}
