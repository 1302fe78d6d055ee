// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "AppTest.h"
#include "common/AppInstance.h"
#include "common/NRV_API.h"
#include "run/ProgramEnd.h"
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
        EXPECT_EQ(form->chkProfileStandard->Value(), c.standard ? QString(c.standard).toInt() : 0);
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    }
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

TEST_F(MainWindowLifecycle, WithoutANotificationAreaTheWindowIsMinimised) {
    form->Form_Load();
    SetTrayAvailableForTest(false);
    form->cmdSetTray();
    EXPECT_EQ(TrayIconData, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->WindowState(), 1);
    form->mnuShow_Click();
    EXPECT_EQ(form->WindowState(), 0);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainWindowLifecycle, IntoTheTrayAndBack) {
    form->Form_Load();
    SetTrayAvailableForTest(true);
    for (bool byDoubleClick : {true, false}) {
        form->cmdSetTray();
        ASSERT_NE(TrayIconData, nullptr);
        EXPECT_EQ(TrayIconData->toolTip(), "Vaultora");
        EXPECT_FALSE(form->isVisible());
        if (byDoubleClick)
            emit TrayIconData->activated(QSystemTrayIcon::DoubleClick);
        else
            form->mnuShow->trigger();
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(TrayIconData, nullptr);
    }
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
