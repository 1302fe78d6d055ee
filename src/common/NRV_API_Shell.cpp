// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_API_Shell.h"

#include <QWidget>

#include "vb/ErrorHandling.h"
#include "vb/VbError.h"

void RemoveCloseButton(QWidget* hwnd) {
    vb::Handler h(QStringLiteral("RemoveCloseButton of Modul NRV_API_Shell"));
    h.Next(1, [&] {
        if (!hwnd)
            vb::Raise(vb::errObjectNotSet);
        const bool visible = hwnd->isVisible();
        // Every title-bar item named explicitly, the close button left out, so
        // that Qt does not put its default set (with the close button) back.
        Qt::WindowFlags flags = hwnd->windowFlags();
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint;
        flags &= ~Qt::WindowCloseButtonHint;
        hwnd->setWindowFlags(flags);
        if (visible)
            hwnd->show();
    });
}
