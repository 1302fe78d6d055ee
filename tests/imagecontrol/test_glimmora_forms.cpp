// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include "common/Globals.h"
#include "imagecontrol/Glimmora.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "ui/frmSplash.h"
#include "vb/Clock.h"

// The splash carries Glimmora1 with its stored box and the two shipped
// pictures. A picture of it is left in the build folder for a person to look at.
TEST(GlimmoraOnForms, TheSplashShowsTheLogoOverTheTiledBackground) {
    vb::SetClockForTest(QDateTime(QDate(2026, 5, 4), QTime(10, 0, 0)), false);
    QTimer tick;  // the splash's three seconds pass quickly
    QObject::connect(&tick, &QTimer::timeout, [] { vb::AdvanceClockForTest(500); });
    tick.start(0);
    auto* splash = new frmSplash;
    splash->Show();
    tick.stop();
    QCoreApplication::processEvents();
    glimmora::Glimmora* g = splash->Glimmora1;
    ASSERT_NE(g, nullptr);
    const QString bitmaps = platform::ProgramFolder() + "\\..\\Common\\bitmap\\";
    EXPECT_EQ(g->SizeMode(), 2);
    EXPECT_EQ(g->BackgroundPath(), bitmaps + "seagull.gif");
    EXPECT_EQ(g->ImagePath(), bitmaps + "n.r.v2.gif");
    EXPECT_FALSE(g->ImagePath_ImageError());
    // The logo is 162 x 57 pixels: zoomed into the 2430-twip box it keeps its size.
    EXPECT_FLOAT_EQ(g->Width(), 2430);
    EXPECT_NEAR(g->Height(), 855, 1);
    EXPECT_TRUE(g->Page().contains("width=\"162\"  height=\"57\"")) << g->Page().toStdString();
    EXPECT_TRUE(g->PageShown());

    const QImage shot = splash->grab().toImage();
    const QString out = QStringLiteral(VAULTORA_BUILD_DIR "/test-output");
    QDir().mkpath(out);
    ASSERT_TRUE(shot.save(out + "/splash.png"));
    ::testing::Test::RecordProperty("screenshot", (out + "/splash.png").toStdString());
    splash->Unload();
    QCoreApplication::processEvents();
    vb::ResetClock();
}
