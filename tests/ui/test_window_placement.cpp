// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ui/WindowPlacement.h"

namespace {

using ui::FramePlacement;

// A window manager that tells the window's frame only after the window is
// shown: each start asks for the stored frame, the client area is sized
// before the frame is known, the frame arrives, and at the exit the frame
// (client plus margins) is stored again. Over five starts the stored size
// must not move.
TEST(WindowPlacement, TheSizeSurvivesFiveStartsUnderAFramingWindowManager) {
    const QMargins frame(1, 20, 1, 5);
    for (bool frameKnownAtOnce : {false, true}) {
        QRect stored(67, 67, 649, 519);
        for (int start = 1; start <= 5; ++start) {
            FramePlacement p;
            p.want(stored);
            QRect client = p.clientFor(frameKnownAtOnce ? frame : QMargins());
            // The window manager's move tells the frame.
            if (p.needsRefit(frame))
                client = p.clientFor(frame);
            p.close();
            EXPECT_FALSE(p.needsRefit(QMargins(9, 9, 9, 9)));  // later changes are the user's
            stored = client.marginsAdded(frame);
            EXPECT_EQ(stored, QRect(67, 67, 649, 519)) << start << " " << frameKnownAtOnce;
        }
    }
}

TEST(WindowPlacement, ATooSmallFrameKeepsAClientPixel) {
    FramePlacement p;
    p.want(QRect(0, 0, 10, 10));
    const QRect client = p.clientFor(QMargins(8, 8, 8, 8));
    EXPECT_GE(client.width(), 1);
    EXPECT_GE(client.height(), 1);
}

TEST(WindowPlacement, FramesNobodyCanReachComeBack) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)};
    const QPoint fallback(67, 67);
    struct Case {
        QRect frame;
        QRect expected;
    } cases[] = {
        {{100, 100, 649, 519}, {100, 100, 649, 519}},      // on the first screen
        {{1400, 50, 649, 519}, {1400, 50, 649, 519}},      // on the second one
        {{-600, 100, 649, 519}, {-600, 100, 649, 519}},    // partly off, title bar still to grab
        {{-6000, 60000, 649, 519}, {67, 67, 649, 519}},    // off every screen
        {{2400, 10, 649, 519}, {67, 67, 649, 519}},        // right of the last screen
        {{100, -500, 649, 519}, {67, 67, 649, 519}},       // title bar above the screen
        {{-6000, 0, 4000, 3000}, {67, 67, 1213, 957}},     // and larger than the screen
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::ReachableFrame(c.frame, screens, fallback), c.expected) << c.frame.x() << "," << c.frame.y();
    EXPECT_EQ(ui::ReachableFrame(QRect(-9000, 0, 10, 10), {}, fallback), QRect(-9000, 0, 10, 10));
}

}  // namespace
