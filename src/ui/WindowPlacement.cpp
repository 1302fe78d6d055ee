// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowPlacement.h"

#include <algorithm>

namespace ui {

void FramePlacement::want(const QRect& frame) {
    wanted_ = frame;
    open_ = true;
}

QRect FramePlacement::clientFor(const QMargins& margins) {
    applied_ = margins;
    QRect client = wanted_.marginsRemoved(margins);
    client.setWidth(std::max(1, client.width()));
    client.setHeight(std::max(1, client.height()));
    return client;
}

QRect ReachableFrame(const QRect& frame, const QList<QRect>& screens, const QPoint& fallbackTopLeft) {
    if (screens.isEmpty())
        return frame;
    // The top strip of the frame (its title bar) must lie on a screen for at
    // least this many pixels each way to be grabbed with the mouse.
    constexpr int kGrab = 40;
    const QRect titleStrip(frame.left(), frame.top(), frame.width(), std::min(frame.height(), 24));
    for (const QRect& screen : screens) {
        const QRect seen = titleStrip.intersected(screen);
        if (seen.width() >= std::min(kGrab, frame.width()) && seen.height() >= std::min(8, titleStrip.height()))
            return frame;
    }
    const QRect& first = screens.first();
    QRect moved(first.topLeft() + fallbackTopLeft, frame.size());
    moved.setWidth(std::min(moved.width(), first.width() - fallbackTopLeft.x()));
    moved.setHeight(std::min(moved.height(), first.height() - fallbackTopLeft.y()));
    return moved;
}

}  // namespace ui
