// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "CommonTest.h"
#include "common/NRV_API.h"
#include "common/NRV_API_Shell.h"
#include "common/NRV_WindowsTopMost.h"

namespace {

class TrayWindowTest : public CommonTest {
protected:
    void SetUp() override {
        CommonTest::SetUp();
        SetTrayAvailableForTest(true);
        window.setGeometry(120, 90, 400, 300);
        window.show();
        QApplication::processEvents();
        menu.addAction("&Show");
    }
    void TearDown() override {
        RemoveTrayIcon();
        SetTrayAvailableForTest(std::nullopt);
        CommonTest::TearDown();
    }
    void toTray() {
        AddTrayIcon(&window, &menu, "Vaultora");
        window.hide();
    }
    QWidget window;
    QMenu menu;
};

}  // namespace

TEST_F(TrayWindowTest, DoubleClickRestoresAndUnhooks) {
    toTray();
    ASSERT_NE(TrayIconData, nullptr);
    EXPECT_EQ(TrayIconData->toolTip(), "Vaultora");
    EXPECT_EQ(TrayHWnd, &window);
    QSystemTrayIcon* icon = TrayIconData;
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(TrayIconData, nullptr);
    // The old icon no longer reaches the window.
    window.hide();
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TrayWindowTest, OtherClicksLeaveTheWindowInTheTray) {
    toTray();
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        emit TrayIconData->activated(reason);
        EXPECT_FALSE(window.isVisible()) << int(reason);
        EXPECT_NE(TrayIconData, nullptr) << int(reason);
    }
}

TEST_F(TrayWindowTest, RightClickOpensThePopupMenu) {
    toTray();
    int shown = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        ++shown;
        QTimer::singleShot(0, &menu, [this] { menu.close(); });
    });
    emit TrayIconData->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_NE(TrayIconData, nullptr);
}

TEST_F(TrayWindowTest, TopMostOnAndOffKeepsThePlace) {
    const QRect before = window.geometry();
    SetTopMost(&window);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    SetNotTopMost(&window);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);
    // A hidden window (in the tray) stays hidden.
    window.hide();
    SetTopMost(&window);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TrayWindowTest, RemoveCloseButtonKeepsTheOtherTitleButtons) {
    RemoveCloseButton(&window);
    const Qt::WindowFlags f = window.windowFlags();
    EXPECT_FALSE(f.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(f.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(f.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(f.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(window.isVisible());
    RemoveCloseButton(nullptr);
    ASSERT_FALSE(logLines().isEmpty());
    EXPECT_TRUE(logLines().last().contains("  RemoveCloseButton of Modul NRV_API_Shell  "));
}
