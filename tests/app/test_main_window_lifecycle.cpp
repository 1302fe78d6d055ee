// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <functional>

#include "AppTest.h"
#include "common/AppInstance.h"
#include "common/NRV_API.h"
#include "run/ProgramEnd.h"
#include "settings/LoadSettings.h"
#include "run/Vaultora_Main.h"
#include "ui/controls/VbControl.h"

namespace {

class MainWindowLifecycle : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        form = std::make_unique<frmMain_BackUp>();
    }
    void TearDown() override {
        RemoveTrayIcon();
        SetTrayAvailableForTest(std::nullopt);
        SetEndHookForTest({});
        form.reset();
        AppTest::TearDown();
    }
    std::unique_ptr<frmMain_BackUp> form;
};

TEST_F(MainWindowLifecycle, LoadChoosesTheProfileAndRemovesTheCloseButton) {
    struct Case {
        const char* standard;     // "chkProfileStandard"; nullptr: not stored
        const char* profileText;  // nullptr: not stored
        QString expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "Standard"},
        {"0", "Travel", "Travel"},
        {"1", "Travel", "Standard"},
        {"0", "   ", "Standard"},
    };
    for (const Case& c : cases) {
        vb::Quiet([] { platform::DeleteSetting(settings::UserSettingsApp()); });
        if (c.standard)
            storeUser("chkProfileStandard", c.standard);
        if (c.profileText)
            storeUser("ProfileText", c.profileText);
        form = std::make_unique<frmMain_BackUp>();
        form->Form_Load();
        EXPECT_EQ(form->cmbProfiles->Text(), c.expected) << (c.profileText ? c.profileText : "-");
        EXPECT_EQ(form->txtProfile->Text(), c.expected) << "the name box names the profile loaded";
        EXPECT_EQ(form->chkProfileStandard->Value(), c.standard ? QString(c.standard).toInt() : 0);
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    }
}

// The profile-name box names the profile in the window however it came:
// the start, a start with "/profile:", a switch in the profile box.
TEST_F(MainWindowLifecycle, TheNameBoxNamesTheProfileLoaded) {
    for (const char* name : {"Travel", "Work", "Home"})
        writeProfileFile(testenv::programDir(), name);
    storeUser("ProfileText", "Travel");
    form->Form_Load();
    EXPECT_EQ(form->txtProfile->Text(), "Travel");
    ApplyCommandLine("/profile:Work");
    EXPECT_EQ(form->cmbProfiles->Text(), "Work");
    EXPECT_EQ(form->txtProfile->Text(), "Work");
    form->cmbProfiles->setText("Home");
    form->cmbProfiles_Click();
    EXPECT_EQ(form->txtProfile->Text(), "Home");
    form->cmbProfiles->setText("Travel");
    Load_Settings();
    EXPECT_EQ(form->txtProfile->Text(), "Travel");
}

TEST_F(MainWindowLifecycle, LoadPlacesTheWindow) {
    const float pixel = ui::PixelsToTwips(1);
    form->Form_Load();
    EXPECT_NEAR(form->Left(), 1000, pixel);
    EXPECT_NEAR(form->Top(), 1000, pixel);
    EXPECT_NEAR(form->Width(), 9730, pixel);
    EXPECT_NEAR(form->Height(), 7785, pixel);

    // A stored value that is no number is logged; that one keeps its place.
    platform::SaveSetting(settings::UserSettingsApp(), "Data", "MainLeft", "1500");
    platform::SaveSetting(settings::UserSettingsApp(), "Data", "MainTop", "high");
    platform::SaveSetting(settings::UserSettingsApp(), "Data", "MainWidth", "8000");
    form = std::make_unique<frmMain_BackUp>();
    const float designTop = form->Top();
    form->Form_Load();
    EXPECT_NEAR(form->Left(), 1500, pixel);
    EXPECT_NEAR(form->Top(), designTop, pixel);
    EXPECT_NEAR(form->Width(), 8000, pixel);
    EXPECT_TRUE(QString::fromUtf8(testenv::readFile(logHost())).contains("  Form_Load of Formular frmMain_BackUp  "));
}

// The window's ways into the tray and back, one path after the other on the
// same window. Each path ends with the window on the screen: visible, not
// minimised, and no icon left.
TEST_F(MainWindowLifecycle, EveryWayIntoTheTrayHasAWayBack) {
    form->Form_Load();
    auto onScreen = [&] { return form->isVisible() && !form->isMinimized() && TrayIconData == nullptr; };
    auto intoTray = [&] {
        SetTrayAvailableForTest(true);
        form->cmdSetTray();
        return !form->isVisible() && TrayIconData != nullptr && TrayIconData->toolTip() == "Vaultora";
    };
    const struct {
        const char* path;
        std::function<void()> before;  // what happens before the window goes into the tray
        std::function<void()> back;    // the way back
    } paths[] = {
        {"double click", {}, [] { emit TrayIconData->activated(QSystemTrayIcon::DoubleClick); }},
        {"Show", {}, [&] { form->mnuShow->trigger(); }},
        // minimised with no tray, left minimised (the window manager's
        // restore not seen), then into a tray that came meanwhile
        {"Show after a minimise", [&] {
             SetTrayAvailableForTest(false);
             form->cmdSetTray();
             EXPECT_TRUE(form->isVisible());
             EXPECT_EQ(form->WindowState(), 1);
         },
         [&] { form->mnuShow->trigger(); }},
        // minimised, brought back, then into the tray
        {"Show after a minimise and restore", [&] {
             SetTrayAvailableForTest(false);
             form->cmdSetTray();
             form->setWindowState(0);
         },
         [&] { form->mnuShow_Click(); }},
        // the notification area goes away while the window sits in it
        {"the tray goes", {}, [] {
             SetTrayAvailableForTest(false);
             TrayWatch();
         }},
    };
    for (const auto& p : paths) {
        SCOPED_TRACE(p.path);
        if (p.before)
            p.before();
        ASSERT_TRUE(intoTray());
        p.back();
        EXPECT_TRUE(onScreen());
        EXPECT_EQ(form->WindowState(), 0);
        // Show on a window already on the screen keeps it there.
        form->mnuShow_Click();
        EXPECT_TRUE(onScreen());
    }
    // With the tray still there, the watch leaves the window in it.
    ASSERT_TRUE(intoTray());
    TrayWatch();
    EXPECT_FALSE(form->isVisible());
    form->mnuShow_Click();
    EXPECT_TRUE(onScreen());
}

TEST_F(MainWindowLifecycle, ExitSavesUnlessUnattendedAndEnds) {
    for (bool unattended : {false, true}) {
        vb::Quiet([] { platform::DeleteSetting(settings::UserSettingsApp()); });
        writeProfileFile(testenv::programDir(), "Travel");
        storeUser("ProfileText", "Travel");
        form = std::make_unique<frmMain_BackUp>();
        form->Form_Load();
        form->cmbProfiles->setText("Elsewhere");
        ASSERT_FALSE(PrevInstance());
        int ended = 0;
        SetEndHookForTest([&] { ++ended; });
        RunMode = unattended;
        form->mnuExit_Click();
        RunMode = false;
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(QFile::exists(InstanceLockPath()));
        EXPECT_EQ(storedUser("ProfileText"), unattended ? "Travel" : "Elsewhere") << unattended;
    }
}

}  // namespace
