// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace platform {

// With no display (the offscreen platform of an unattended run) nobody sees a
// window, yet Qt would still paint every window into an image nobody reads:
// the first paint of the main window alone takes longer than the rest of a
// run with nothing to do. While an UnseenWindows lives, every window shown
// for the first time is laid out, updated and read as usual but never
// painted (its updates are switched off). With a display it does nothing.
class UnseenWindows : public QObject {
public:
    UnseenWindows();
    ~UnseenWindows() override;
    UnseenWindows(const UnseenWindows&) = delete;
    UnseenWindows& operator=(const UnseenWindows&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool installed_ = false;
};

}  // namespace platform
