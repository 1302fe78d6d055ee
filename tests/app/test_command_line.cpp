// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTest.h"
#include "run/Vaultora_Main.h"
#include "settings/LoadSettings.h"

namespace {

TEST(CommandLine, SwitchesAreFoundAndCut) {
    struct Case {
        QString line;
        bool hasProfile;
        QString profile;
        bool hasDir;
        QString dir;
        bool run;
    };
    const Case cases[] = {
        {"", false, "", false, "", false},
        {"/run /profile:Daily /dir:C:\\Backup", true, "Daily", true, "C:\\Backup", true},
        {"/RUN", false, "", false, "", true},
        {"/Run", false, "", false, "", true},
        {"/running late", false, "", false, "", true},        // "/run" as a substring
        {"x/runaway", false, "", false, "", true},
        {"/PROFILE:Daily", true, "Daily", false, "", false},  // the value keeps its case
        {"/profile:   My Profile   /run", true, "My Profile", false, "", true},
        {"/profile:", true, "", false, "", false},
        {"/profile:Day/Night", true, "Day", false, "", false},  // a value ends at "/"
        {"/dir:C:\\Backup\\", false, "", true, "C:\\Backup", false},
        {"/dir:C:\\Backup\\\\", false, "", true, "C:\\Backup\\", false},
        {"/Dir:  \\\\server\\share\\x  /profile:P", true, "P", true, "\\\\server\\share\\x", false},
        {"/dir:C:\\My Backups\\ /run", false, "", true, "C:\\My Backups", true},
        {"/dir:C:\\a/b", false, "", true, "C:\\a", false},
        {"/profile:P /profile:Q", true, "P", false, "", false},  // the first one counts
    };
    for (const Case& c : cases) {
        const CommandSwitches s = ParseSwitches(c.line);
        const std::string what = c.line.toStdString();
        EXPECT_EQ(s.hasProfile, c.hasProfile) << what;
        EXPECT_EQ(s.profile, c.profile) << what;
        EXPECT_EQ(s.hasDir, c.hasDir) << what;
        EXPECT_EQ(s.dir, c.dir) << what;
        EXPECT_EQ(s.run, c.run) << what;
    }
}

// The switches applied to a loaded main window with the profiles Alpha and
// Beta; Beta's stored options tell whether Beta was loaded.
class ApplyCommandLineTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        writeProfileFile(testenv::programDir(), "Alpha");
        writeProfileFile(testenv::programDir(), "Beta");
        storeProfile("Alpha", "txtCommandlineBefore", "--alpha");
        storeProfile("Beta", "txtCommandlineBefore", "--beta");
        form = std::make_unique<frmMain_BackUp>();
        form->cmbProfiles->setText("Alpha");
        Load_Settings();
        ASSERT_EQ(form->cmbProfiles->ListCount(), 3);  // with the fallback profile, last
        ASSERT_EQ(form->txtCommandlineBefore->Text(), "--alpha");
    }
    void TearDown() override {
        form.reset();
        AppTest::TearDown();
    }
    std::unique_ptr<frmMain_BackUp> form;
};

TEST_F(ApplyCommandLineTest, ProfileSwitch) {
    struct Case {
        const char* line;
        const char* profileIndex;  // nullptr: not stored
        QString expectText;        // "#n": the list entry n
        QString expectOption;      // txtCommandlineBefore afterwards
    };
    const Case cases[] = {
        {"/profile:beta", nullptr, "Beta", "--beta"},
        {"/PROFILE:   BETA   ", nullptr, "Beta", "--beta"},
        // The box already shows the name: nothing is reloaded.
        {"/profile:ALPHA", nullptr, "Alpha", "typed"},
        // No such profile: the entry at ProfileIndex, reloaded.
        {"/profile:nosuch", nullptr, "#0", "#0"},
        {"/profile:nosuch", "1", "#1", "#1"},
        {"/profile:Be/ta", "1", "#1", "#1"},
        // ProfileIndex names no entry: the box is left empty.
        {"/profile:nosuch", "7", "", "?"},
    };
    for (const Case& c : cases) {
        form->cmbProfiles->setText("Alpha");
        Load_Settings();
        form->txtCommandlineBefore->setText("typed");
        if (c.profileIndex)
            storeUser("ProfileIndex", c.profileIndex);
        else
            vb::Quiet([] { platform::DeleteSetting(settings::UserSettingsApp(), "Settings", "ProfileIndex"); });
        QString expectText = c.expectText;
        if (expectText.startsWith('#'))
            expectText = form->cmbProfiles->List(expectText.mid(1).toInt());
        QString expectOption = c.expectOption;
        if (expectOption.startsWith('#'))
            expectOption = expectText == "Alpha" ? "--alpha" : "--beta";

        ApplyCommandLine(c.line);
        EXPECT_EQ(form->cmbProfiles->Text(), expectText) << c.line;
        if (expectOption != "?") {
            EXPECT_EQ(form->txtCommandlineBefore->Text(), expectOption) << c.line;
        }
    }
}

TEST_F(ApplyCommandLineTest, DirSwitchSetsTheDestinationAndCreatesIt) {
    const QString host = testenv::tempDir("dest") + "/new/deeper";
    ApplyCommandLine("/dir:" + win(host) + "\\ /profile:alpha");
    EXPECT_EQ(form->txtPathBackUp->Text(), win(host));
    EXPECT_TRUE(QDir(host).exists());
    EXPECT_EQ(form->cmbProfiles->Text(), "Alpha");
}

}  // namespace
