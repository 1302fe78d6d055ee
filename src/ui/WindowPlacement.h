// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QMargins>
#include <QRect>

namespace ui {

// Keeps a window's frame where the program put it. Left, Top, Width and
// Height count the window manager's frame, but the frame is only known some
// time after the window is shown; until then the client area is sized as if
// there were no frame, and once the frame is known the client area is sized
// again so that client plus frame is what was asked for. Without that second
// step every start would add the frame to the stored size once more.
class FramePlacement {
public:
    // The frame rectangle asked for (pixels); the fit is open again.
    void want(const QRect& frame);
    const QRect& wanted() const { return wanted_; }
    // The client rectangle for the frame margins known now.
    QRect clientFor(const QMargins& margins);
    // After a move or resize of the window: the margins known now differ
    // from those the client area was sized for, so it must be sized again.
    bool needsRefit(const QMargins& margins) const { return open_ && margins != applied_; }
    // A non-empty frame has been fitted (or waiting is over): later moves
    // and resizes are the user's.
    void close() { open_ = false; }
    bool isOpen() const { return open_; }

private:
    QRect wanted_;
    QMargins applied_;
    bool open_ = false;
};

// A frame that no screen shows enough of to grab its title bar is moved to
// `fallbackTopLeft` on the first screen and made no larger than that
// screen; a frame that can be reached is returned as it is.
QRect ReachableFrame(const QRect& frame, const QList<QRect>& screens, const QPoint& fallbackTopLeft);

}  // namespace ui
