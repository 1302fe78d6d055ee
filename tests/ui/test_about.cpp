// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QThread>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_Registry.h"
#include "common/MakerSite.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "ui/controls/VbControl.h"
#include "ui/frmAbout.h"
#include "vb/ErrorHandling.h"

namespace {
const QString kPathValue = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\PATH");
const QString kFolderValue = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location\\MSINFO");

void press(QWidget* w, Qt::MouseButton b, QEvent::Type type, QPoint at = {5, 5}) {
    QMouseEvent e(type, at, w->mapToGlobal(at), b, type == QEvent::MouseButtonPress ? b : Qt::NoButton, {});
    QCoreApplication::sendEvent(w, &e);
}

struct AboutTest : ::testing::Test {
    void SetUp() override {
        platform::InstallPathLayer();
        InstallErrorLog();  // a missing registry value is logged
        ProgramName = QStringLiteral("Vaultora");
        VersionText = QStringLiteral("3.6.7");
        platform::Dialogs::scriptAnswers({});
        for (const QString& v : {kPathValue, kFolderValue})
            vb::Quiet([&] { DeleteKey(v); });
        about.Form_Load();
    }
    void TearDown() override { platform::Dialogs::reset(); }
    frmAbout about;
};
}  // namespace

TEST_F(AboutTest, ShowsNameAndVersion) {
    EXPECT_EQ(about.lblTitle->Caption(), "Vaultora");
    EXPECT_EQ(about.lblVersion->Caption(), "Version 3.6.7");
    EXPECT_EQ(about.windowTitle(), "About Vaultora");
    EXPECT_EQ(about.Label1->Caption(), "Platforms  Windows 95, 98, Me, NT, 2000 and XP");
    EXPECT_EQ(about.Label2->Caption(), "Software Suite");
    EXPECT_EQ(about.Label3->Caption(), "Member of");
}

// The face follows the left button; a right press leaves it released, and
// any release sets the released face and colour, inside or outside.
TEST_F(AboutTest, ButtonFaces) {
    auto faceIs = [&](int i) { return about.imgOk->pixmap().toImage() == about.imgButton[i].toImage(); };
    press(about.lblOK, Qt::LeftButton, QEvent::MouseButtonPress);
    EXPECT_TRUE(faceIs(1));
    EXPECT_EQ(about.lblOK->ForeColor(), ui::VbColorValue(ui::VbColor(frmAbout::kPressedColour)));
    about.show();
    press(about.lblOK, Qt::LeftButton, QEvent::MouseButtonRelease, {500, 500});  // released outside
    EXPECT_TRUE(faceIs(0));
    EXPECT_EQ(about.lblOK->ForeColor(), frmAbout::kReleasedColour);
    EXPECT_TRUE(about.isVisible()) << "no click when released outside";
    press(about.lblOK, Qt::RightButton, QEvent::MouseButtonPress);
    EXPECT_TRUE(faceIs(0));
    press(about.lblSysInfo, Qt::LeftButton, QEvent::MouseButtonPress);
    EXPECT_EQ(about.ImgSysInfo->pixmap().toImage(), about.imgButton[1].toImage());
    press(about.lblSysInfo, Qt::RightButton, QEvent::MouseButtonRelease, {500, 500});
    EXPECT_EQ(about.ImgSysInfo->pixmap().toImage(), about.imgButton[0].toImage());
    press(about.lblOK, Qt::LeftButton, QEvent::MouseButtonPress);
    press(about.lblOK, Qt::LeftButton, QEvent::MouseButtonRelease);
    EXPECT_FALSE(about.isVisible()) << "OK closes the box";
}

TEST_F(AboutTest, HomePageLabels) {
    about.Label2_Click();
    about.lblCopyright_Click();
    about.Image1_Click();
    about.Label3_Click();
    const auto& shown = platform::Dialogs::shown();
    ASSERT_EQ(shown.size(), 4);
    for (const auto& s : shown) {
        EXPECT_EQ(s.kind, platform::Dialogs::Kind::ShellOpen);
        EXPECT_EQ(s.prompt, MakerPage("/nrv"));
    }
}

TEST_F(AboutTest, SystemInformationTool) {
    const QString dir = testenv::tempDir("msinfo");
    const QString started = dir + "/started";
    testenv::writeFile(dir + "/MSINFO32.EXE", "#!/bin/sh\ntouch '" + started.toUtf8() + "'\n");
    QFile::setPermissions(dir + "/MSINFO32.EXE", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto startedTool = [&] {
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(started) && t.elapsed() < 5000)
            QThread::msleep(20);
        const bool ok = QFile::remove(started);
        return ok;
    };
    const QString unavailable = "System Information Is Unavailable At This Time";
    auto lastBox = [] {
        const auto& s = platform::Dialogs::shown();
        return s.isEmpty() ? QString() : s.last().title + "|" + s.last().prompt;
    };

    // Neither value: the message.
    about.lblSysInfo_Click();
    EXPECT_EQ(lastBox(), "Info|" + unavailable);
    // The folder value with the tool in it.
    CreateKey(kFolderValue, platform::ToWindows(dir));
    platform::Dialogs::scriptAnswers({});
    about.ImgSysInfo_Click();
    EXPECT_TRUE(startedTool());
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    // The path value names the tool directly.
    DeleteKey(kFolderValue);
    CreateKey(kPathValue, platform::ToWindows(dir + "/MSINFO32.EXE"));
    about.lblSysInfo_Click();
    EXPECT_TRUE(startedTool());
    // A path value naming a missing file: the start fails, the message shows.
    CreateKey(kPathValue, platform::ToWindows(dir + "/gone.exe"));
    about.lblSysInfo_Click();
    EXPECT_EQ(lastBox(), "Info|" + unavailable);
    DeleteKey(kPathValue);
}
