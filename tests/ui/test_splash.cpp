// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "common/Globals.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbProgressBar.h"
#include "ui/frmSplash.h"
#include "vb/Clock.h"
#include "vb/ErrorHandling.h"

namespace {
// Shows the splash on a clock that moves 100 ms each time events run while
// the window is up; gives the clock time the loading took.
double showSplash(const QDateTime& start, const QString& storedCount, QString* caption) {
    if (storedCount.isNull())
        vb::Quiet([] { platform::DeleteSetting(settings::UserSettingsApp(), "Settings", "UseCounter"); });
    else
        platform::SaveSetting(settings::UserSettingsApp(), "Settings", "UseCounter", storedCount);
    vb::SetClockForTest(start, false);
    auto* splash = new frmSplash;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [splash] {
        if (splash->isVisible())
            vb::AdvanceClockForTest(100);
    });
    tick.start(0);
    const qint64 before = vb::MonotonicMs();
    SplashActive = true;
    splash->Show();
    const double took = (vb::MonotonicMs() - before) / 1000.0;
    EXPECT_FALSE(SplashActive) << "the loading lowered the flag";
    EXPECT_EQ(splash->ProgressBar1->Value(), splash->ProgressBar1->Max());
    EXPECT_EQ(splash->lblTitle->Caption(), ProgramName);
    EXPECT_EQ(splash->lblTitel2->Caption(), ProgramName);
    EXPECT_EQ(splash->lblVersion->Caption(), "v. " + VersionText);
    EXPECT_NE(splash->Glimmora1, nullptr) << "the pictures were made";
    *caption = splash->lblUseCounter->Caption();
    splash->Unload();
    QCoreApplication::processEvents();
    vb::ResetClock();
    return took;
}
}  // namespace

TEST(Splash, CountsTheStartsAndWaitsAboutThreeSeconds) {
    ProgramName = QStringLiteral("Vaultora");
    UserName = QStringLiteral("GUEST");
    VersionText = QStringLiteral("3.6.7");
    struct Case {
        QTime start;
        QString stored;
        const char* caption;
        const char* storedAfter;
        double wait;  // seconds: to the start second rounded, plus 3
    } cases[] = {
        {QTime(10, 0, 0, 200), QString(), "1 times", "1", 2.8},
        {QTime(10, 0, 0, 700), "41", "42 times", "42", 3.3},
        {QTime(23, 59, 58, 700), "not a number", "1 times", "1", 3.3},  // over midnight
        // At the top of the range the count stays; the overflow is logged.
        {QTime(10, 0, 0, 200), "2147483647", "2147483647 times", "2147483647", 2.8},
    };
    for (const Case& k : cases) {
        QString caption;
        const double took = showSplash(QDateTime(QDate(2026, 3, 1), k.start), k.stored, &caption);
        EXPECT_GE(took, k.wait - 0.01) << k.caption;
        EXPECT_LE(took, k.wait + 0.3) << k.caption;
        EXPECT_EQ(caption, k.caption);
        EXPECT_EQ(platform::GetSetting(settings::UserSettingsApp(), "Settings", "UseCounter"), k.storedAfter);
    }
}

TEST(Splash, WithNobodyToSeeItCountsTheStartWithoutWaiting) {
    ProgramName = QStringLiteral("Vaultora");
    UserName = QStringLiteral("GUEST");
    platform::SaveSetting(settings::UserSettingsApp(), "Settings", "UseCounter", "5");
    vb::SetClockForTest(QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0, 200)), false);  // a clock that stands still
    auto* splash = new frmSplash;
    splash->SetNobodyToSee(true);
    QElapsedTimer took;
    took.start();
    SplashActive = true;
    splash->Show();
    EXPECT_LT(took.elapsed(), 1000);
    EXPECT_FALSE(SplashActive);
    EXPECT_EQ(splash->lblUseCounter->Caption(), "6 times");
    EXPECT_EQ(splash->Glimmora1, nullptr) << "no pictures for nobody";
    EXPECT_EQ(platform::GetSetting(settings::UserSettingsApp(), "Settings", "UseCounter"), "6");
    splash->Unload();
    QCoreApplication::processEvents();
    vb::ResetClock();
}
