// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Dialogs.h"

using namespace platform;

namespace {
struct ScriptedDialogs {
    explicit ScriptedDialogs(const QVariantList& answers = {}) { Dialogs::scriptAnswers(answers); }
    ~ScriptedDialogs() { Dialogs::reset(); }
};
}  // namespace

TEST(Dialogs, TestsRunHeadless) { EXPECT_TRUE(Dialogs::headless()); }

// The answer a box gives when nobody can click it, by its buttons; the icon,
// default button and modality bits change nothing.
TEST(Dialogs, UnansweredBoxesGiveTheirDefaultAnswer) {
    ScriptedDialogs script;
    struct Case {
        int style;
        int answer;
    } cases[] = {
        {vbOKOnly, vbOK},
        {vbOKCancel, vbCancel},
        {vbAbortRetryIgnore, vbAbort},
        {vbYesNoCancel, vbCancel},
        {vbYesNo, vbNo},
        {vbRetryCancel, vbCancel},
        {vbSystemModal + vbYesNo + vbInformation, vbNo},  // 4164
        {vbOKCancel + vbDefaultButton1 + vbQuestion, vbCancel},
        {vbYesNoCancel + vbDefaultButton2 + vbExclamation, vbCancel},
        {vbRetryCancel + vbCritical, vbCancel},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MsgBox("text", c.style, "title"), c.answer) << c.style;
    EXPECT_EQ(InputBox("Name?", "Save", "Standard"), "");
    EXPECT_EQ(BrowseFolder("Pick", "C:\\Data", false), "");
    EXPECT_FALSE(ShellOpen("https://example.org/nrv"));
}

TEST(Dialogs, ScriptedAnswersAreTakenInOrderAndWhatWasShownIsRecorded) {
    ScriptedDialogs script({vbRetry, "Weekly", "D:\\Backup", true});
    EXPECT_EQ(MsgBox("Insert a new disk\r\nthen retry", vbRetryCancel + vbExclamation, "Vaultora"), vbRetry);
    EXPECT_EQ(InputBox("Profile name", "Save profile", "Standard"), "Weekly");
    EXPECT_EQ(BrowseFolder("Destination", "C:\\", false), "D:\\Backup");
    EXPECT_TRUE(ShellOpen("  www.example.org/downloads  "));
    EXPECT_EQ(MsgBox("used up", vbYesNo), vbNo);  // the script is used up: default answer

    const auto& shown = Dialogs::shown();
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[0].kind, Dialogs::Kind::MessageBox);
    EXPECT_EQ(shown[0].title, "Vaultora");
    EXPECT_EQ(shown[0].prompt, "Insert a new disk\r\nthen retry");
    EXPECT_EQ(shown[0].style, vbRetryCancel + vbExclamation);
    EXPECT_EQ(shown[1].kind, Dialogs::Kind::InputBox);
    EXPECT_EQ(shown[1].defaultText, "Standard");
    EXPECT_EQ(shown[1].answer.toString(), "Weekly");
    EXPECT_EQ(shown[2].kind, Dialogs::Kind::FolderPicker);
    EXPECT_EQ(shown[2].defaultText, "C:\\");
    EXPECT_EQ(shown[3].kind, Dialogs::Kind::ShellOpen);
    EXPECT_EQ(shown[3].prompt, "www.example.org/downloads");
    EXPECT_EQ(shown[4].answer.toInt(), vbNo);

    Dialogs::scriptAnswers({});  // a new script starts a new record
    EXPECT_TRUE(Dialogs::shown().isEmpty());
}

TEST(Dialogs, HeadlessBoxTellsStderrAndDoesNotWait) {
    Dialogs::reset();
    testing::internal::CaptureStderr();
    const int answer = MsgBox("Backup finished.\r\nShut down now?", vbYesNo + vbQuestion, "Vaultora");
    const bool opened = ShellOpen("C:\\Data\\readme.txt");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, vbNo);
    EXPECT_FALSE(opened);
    EXPECT_NE(err.find("Vaultora: Backup finished.\nShut down now? -> No"), std::string::npos) << err;
    EXPECT_NE(err.find("C:\\Data\\readme.txt"), std::string::npos) << err;
    EXPECT_TRUE(Dialogs::shown().isEmpty());  // only scripted mode records
}
