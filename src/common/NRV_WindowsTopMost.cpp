// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_WindowsTopMost.h"

#include <QWidget>

#include "vb/ErrorHandling.h"

namespace {

// Changing a window's flags takes its native window down; a window that was
// on the screen is shown again where it was.
void SetStaysOnTop(QWidget* frm, bool onTop) {
    if (!frm)
        return;
    if (frm->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool visible = frm->isVisible();
    const QRect frame = frm->geometry();
    frm->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    frm->setGeometry(frame);
    if (visible)
        frm->show();
}

}  // namespace

void SetTopMost(QWidget* frm) {
    vb::Quiet([&] { SetStaysOnTop(frm, true); });
}

void SetNotTopMost(QWidget* frm) {
    vb::Quiet([&] { SetStaysOnTop(frm, false); });
}
