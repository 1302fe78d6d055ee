// SPDX-License-Identifier: GPL-3.0-or-later
// The option rules of the main window: the numeric boxes, the destination
// rules, the one-time warning, the autostart entry and the mode-dependent
// switches.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include "UiTest.h"
#include "platform/Autostart.h"
#include "platform/Drives.h"
#include "settings/LoadSettings.h"
#include "run/Vaultora_Disk.h"
#include "settings/SaveSettings.h"
#include "platform/UserFolders.h"
#include "ui/controls/VbControl.h"

namespace {

class OptionRules : public UiTest {
protected:
    // Shows the window on the tab that holds `box` and gives the box the
    // keyboard focus, as a click into it would; false where the platform
    // gives none.
    bool focusOn(ui::VbTextBox* box) {
        w->show();
        QApplication::setActiveWindow(w.get());
        for (int tab = 0; tab < w->SSTab1->count() && !box->isVisibleTo(w.get()); ++tab)
            w->SSTab1->setTab(tab);
        box->setFocus();
        return QTest::qWaitFor([&] { return box->hasFocus(); }, 2000);
    }
};
using platform::Dialogs;

TEST_F(OptionRules, CountBoxesKeepTheAbsoluteLeadingNumber) {
    const struct {
        const char* typed;
        const char* shown;
    } table[] = {
        {"12abc", "12"}, {"-5", "5"},   {"", "0"},           {"abc", "0"},          {"1.5", "1"},
        {"007", "7"},    {"+3", "3"},   {"2147483647", "2147483647"}, {"99999999999999", "2147483647"},
        {"-1e30", "2147483647"},
    };
    for (ui::VbTextBox* box : {w->txtExclYoungDay, w->txtWaitSecondsBefore, w->txtWaitSecondsAfter})
        for (const auto& c : table) {
            box->setText(c.typed);
            EXPECT_EQ(box->Text(), c.shown) << box->objectName().toStdString() << " " << c.typed;
        }
    EXPECT_TRUE(Dialogs::shown().isEmpty());
}

// The days an old archive is kept: a whole number while typing, at least 1
// once the box is left.
TEST_F(OptionRules, TheOldArchiveDayBoxKeepsAWholeNumberOfAtLeastOne) {
    const struct {
        const char* typed;
        const char* shown;  // while typing
        const char* left;   // once the box is left
    } table[] = {
        {"12abc", "12", "12"}, {"-5", "5", "5"},  {"abc", "0", "1"},     {"", "0", "1"},
        {"0", "0", "1"},       {"1.9", "1", "1"}, {"0.5", "0", "1"},     {"365", "365", "365"},
        {"99999999999999", "2147483647", "2147483647"},
    };
    for (const auto& c : table) {
        w->txtDeleteArchive->setText(c.typed);
        EXPECT_EQ(w->txtDeleteArchive->Text(), c.shown) << c.typed;
        w->txtDeleteArchive_LostFocus();
        EXPECT_EQ(w->txtDeleteArchive->Text(), c.left) << c.typed;
    }
    EXPECT_TRUE(Dialogs::shown().isEmpty());
}

// What the user types stays as typed until the box is left: "2.5" is not
// read as "2" and "5" (which made 25), and leaving takes the whole part.
TEST_F(OptionRules, CountBoxesAreCleanedWhenLeftNotWhileTyped) {
    const struct {
        const char* typed;
        const char* left;
    } table[] = {{"2.5", "2"}, {"7.9", "7"}, {"-3", "3"}, {"12abc", "12"}, {"", "0"}, {"40", "40"}};
    for (ui::VbTextBox* box : {w->txtExclYoungDay, w->txtWaitSecondsBefore, w->txtWaitSecondsAfter, w->txtDeleteArchive}) {
        if (!focusOn(box))
            GTEST_SKIP() << "the platform gives no keyboard focus";
        for (const auto& c : table) {
            SCOPED_TRACE(box->objectName().toStdString() + " " + c.typed);
            box->clear();
            QTest::keyClicks(box, c.typed);
            EXPECT_EQ(box->Text(), c.typed);
            w->cmbProfiles->setFocus();  // leaves the box
            QTest::qWaitFor([&] { return !box->hasFocus(); }, 2000);
            const QString left = box == w->txtDeleteArchive && QString(c.left) == "0" ? "1" : c.left;
            EXPECT_EQ(box->Text(), left);
            box->setFocus();
            QTest::qWaitFor([&] { return box->hasFocus(); }, 2000);
        }
    }
    EXPECT_TRUE(Dialogs::shown().isEmpty());
}

// The spare space is a 32-bit whole number: a larger one is refused as it
// is typed and the box keeps the number it had; a stored one that is too
// large loads as 0. Neither leaves an error in the log.
TEST_F(OptionRules, SpareSpaceBeyondRangeIsRefused) {
    w->txtSpareSpace->setText("99999999999");
    EXPECT_EQ(w->txtSpareSpace->Text(), "0");
    w->txtSpareSpace->setText("1.5");
    EXPECT_EQ(w->txtSpareSpace->Text(), "2");
    w->txtSpareSpace->setText("x");
    EXPECT_EQ(w->txtSpareSpace->Text(), "0");
    EXPECT_EQ(prompts(), QStringList({LangText(331)})) << "the program's own text is refused with the message";

    Dialogs::scriptAnswers({});
    if (!focusOn(w->txtSpareSpace))
        GTEST_SKIP() << "the platform gives no keyboard focus";
    w->txtSpareSpace->clear();
    QTest::keyClicks(w->txtSpareSpace, "2.5");
    EXPECT_EQ(w->txtSpareSpace->Text(), "2.5") << "a decimal stays while typed";
    w->txtSpareSpace->clear();
    QTest::keyClicks(w->txtSpareSpace, "21474836470");
    EXPECT_EQ(w->txtSpareSpace->Text(), "2147483647") << "the digit too many is refused";
    EXPECT_EQ(prompts(), QStringList({LangText(331)}));
    w->txtSpareSpace_LostFocus();
    EXPECT_EQ(w->txtSpareSpace->Text(), "2147483647");
    Save_Settings();
    Load_Settings();
    Update_Media();
    EXPECT_FALSE(QString::fromUtf8(testenv::readFile(logHost())).contains("Overflow"));
}

TEST_F(OptionRules, CleaningKeepsTheCaretWhereTheUserTyped) {
    ui::VbTextBox* box = w->txtExclYoungDay;
    box->setText("12");
    box->setCursorPosition(0);
    box->insert("-");  // typed in front: "-12" becomes "12"
    EXPECT_EQ(box->Text(), "12");
    EXPECT_EQ(box->cursorPosition(), 0);
    box->setCursorPosition(1);
    box->insert("x");  // "1x2" is cut at the letter
    EXPECT_EQ(box->Text(), "1");
    box->selectAll();
    box->del();  // emptied: "0", the caret after it, so the next digit replaces it
    EXPECT_EQ(box->Text(), "0");
    EXPECT_EQ(box->cursorPosition(), 1);
    box->insert("7");
    EXPECT_EQ(box->Text(), "7");
}

TEST_F(OptionRules, ArchiveSizeAndFileCountChecks) {
    const QString size229 = LangText(229), size228 = LangText(228), files242 = LangText(242);
    const struct {
        ui::VbTextBox* box;
        const char* typed;
        const char* shown;
        QString message;  // "" for none
    } table[] = {
        {w->txtMaxZIPsize, "0.69", "100", size229}, {w->txtMaxZIPsize, "0.7", "0.7", ""},
        {w->txtMaxZIPsize, "1000", "1000", ""},     {w->txtMaxZIPsize, "1000.5", "100", size229},
        {w->txtMaxZIPsize, "-3", "100", size229},   {w->txtMaxZIPsize, "abc", "100", size228},
        {w->txtMaxZIPsize, "", "100", size228},         {w->txtMaxFiles, "2.5", "2", ""},
        {w->txtMaxFiles, "3.5", "4", ""},           {w->txtMaxFiles, "7", "7", ""},
        {w->txtMaxFiles, "0", "100", files242},     {w->txtMaxFiles, "", "100", files242},
        {w->txtMaxFiles, "xyz", "100", files242},   {w->txtMaxFiles, "-5", "100", files242},
        {w->txtMaxFiles, "1e20", "100", files242},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(c.box->objectName().toStdString() + " " + c.typed);
        Dialogs::scriptAnswers({});
        c.box->setText(c.typed);
        emit c.box->LostFocus();
        EXPECT_EQ(c.box->Text(), c.shown);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(Dialogs::shown().isEmpty());
        } else {
            ASSERT_EQ(Dialogs::shown().size(), 1);
            EXPECT_EQ(Dialogs::shown()[0].prompt, c.message);
            EXPECT_EQ(Dialogs::shown()[0].title, LangText(16));
        }
    }
}

TEST_F(OptionRules, TheLastDestinationCannotBeCleared) {
    w->optBuMode(0)->setValue(true);
    w->chkFTP->setValue(0);
    w->chkMedia->setValue(1);
    Dialogs::scriptAnswers({});
    w->chkMedia->setValue(0);
    EXPECT_EQ(w->chkMedia->Value(), 1);
    EXPECT_EQ(prompts(), QStringList{LangText(287)});
    EXPECT_EQ(Dialogs::shown()[0].style, platform::vbInformation);

    // With FTP ticked the folder destination may go.
    w->chkFTP->setValue(1);
    Dialogs::scriptAnswers({});
    w->chkMedia->setValue(0);
    EXPECT_EQ(w->chkMedia->Value(), 0);
    EXPECT_TRUE(Dialogs::shown().isEmpty());

    // E-mail is a destination of its own: ticked it stays, and the folder
    // destination may go; clearing it as the last one brings the folder back.
    w->chkSendEmail->setValue(1);
    w->chkFTP->setValue(0);
    Dialogs::scriptAnswers({});
    w->chkMedia->setValue(0);
    EXPECT_EQ(w->chkSendEmail->Value(), 1);
    EXPECT_EQ(w->chkMedia->Value(), 0);
    EXPECT_TRUE(Dialogs::shown().isEmpty());
    w->chkSendEmail->setValue(0);
    EXPECT_EQ(w->chkMedia->Value(), 1);
    EXPECT_EQ(prompts(), QStringList{LangText(287)});

    // A profile being loaded passes through "nothing ticked" without a message.
    w->LoadingSettings = true;
    Dialogs::scriptAnswers({});
    w->chkMedia->setValue(0);
    EXPECT_EQ(w->chkMedia->Value(), 1);
    EXPECT_TRUE(Dialogs::shown().isEmpty());
    w->LoadingSettings = false;
}

TEST_F(OptionRules, TheDestinationLosesItsTrailingSeparatorsButNotWhileTyped) {
    const struct {
        const char* set;
        const char* stored;
    } table[] = {{"C:\\Backup\\", "C:\\Backup"}, {"C:\\Backup\\\\", "C:\\Backup"}, {"C:\\", "C:"}, {"D:", "D:"}};
    for (const auto& c : table) {
        w->txtPathBackUp->setText(c.set);
        EXPECT_EQ(w->txtPathBackUp->Text(), c.stored) << c.set;
    }

    if (!focusOn(w->txtPathBackUp))
        GTEST_SKIP() << "the platform gives no keyboard focus";
    w->txtPathBackUp->clear();
    QTest::keyClicks(w->txtPathBackUp, "E:\\dest\\");
    EXPECT_EQ(w->txtPathBackUp->Text(), "E:\\dest\\");  // typed as it is
    w->txtPathBackUp_LostFocus();
    EXPECT_EQ(w->txtPathBackUp->Text(), "E:\\dest");
}

TEST_F(OptionRules, LoadingAProfileAsksNothingAboutItsDestination) {
    // After a run a missing medium is asked for; a profile being loaded does not ask.
    platform::SetDriveOverride('R', testenv::root() + "/no-medium-here");
    storeProfile("Away", "txtPathBackUp", "R:\\Backup");
    storeProfile("Away", "chkFTP", "1");
    storeProfile("Away", "chkMedia", "0");
    bBackupStarted = true;
    w->cmbProfiles->setText("Away");
    Dialogs::scriptAnswers({});
    Load_Settings();
    bBackupStarted = false;
    platform::SetDriveOverride('R', QString());
    EXPECT_EQ(w->txtPathBackUp->Text(), "R:\\Backup");
    EXPECT_EQ(w->chkMedia->Value(), 0);
    EXPECT_EQ(w->chkFTP->Value(), 1);
    EXPECT_TRUE(prompts().isEmpty()) << prompts().join(" | ").toStdString();
}

TEST_F(OptionRules, TheSubfolderWarningComesOncePerProfile) {
    const auto warnings = [] {
        int n = 0;
        for (const auto& s : Dialogs::shown())
            n += s.title == LangText(227);
        return n;
    };
    w->cmbProfiles->setText("Work");
    w->chkAddNewSub->setValue(1);
    EXPECT_EQ(warnings(), 1);
    EXPECT_TRUE(Dialogs::shown()[0].prompt.startsWith(LangText(221) + "\r\n" + LangText(222)));
    EXPECT_EQ(platform::GetSetting(settings::ProfileSettingsApp("Work"), "Settings", "chkAddNewSubWarning"), "-1");
    w->chkAddNewSub->setValue(0);  // clearing never warns
    w->chkAddNewSub->setValue(1);
    EXPECT_EQ(warnings(), 1);
    w->chkAddNewSub->setValue(0);
    w->cmbProfiles->setText("Home");
    w->chkAddNewSub->setValue(1);
    EXPECT_EQ(warnings(), 2);
}

TEST_F(OptionRules, StartWithTheSessionWritesAndRemovesAnAutostartEntry) {
    const QString entry = platform::AutostartEntryPath();
    EXPECT_TRUE(entry.startsWith(platform::ConfigHome() + "/autostart/"));
    QFile::remove(entry);
    w->chkStartWithWindow->setValue(1);
    ASSERT_TRUE(QFileInfo::exists(entry));
    QSettings desktop(entry, QSettings::IniFormat);
    desktop.beginGroup("Desktop Entry");
    EXPECT_EQ(desktop.value("Type").toString(), "Application");
    const QString exec = desktop.value("Exec").toString();
    EXPECT_EQ(exec, platform::ProgramExecutable());  // a plain path needs no quoting
    EXPECT_TRUE(QFileInfo(exec).isExecutable()) << exec.toStdString();
    w->chkStartWithWindow->setValue(0);
    EXPECT_FALSE(QFileInfo::exists(entry));
    w->chkStartWithWindow->setValue(1);
    w->chkStartWithWindow->setValue(0);
    w->chkStartWithWindow->setValue(0);  // nothing to remove: no error
    EXPECT_FALSE(QFile::exists(logHost()));
}

TEST(DesktopExecLine, QuotesAndEscapesAsTheDesktopEntryRulesSay) {
    const struct {
        QStringList command;
        const char* line;
    } table[] = {
        {{"/opt/vaultora/vaultora"}, "/opt/vaultora/vaultora"},
        {{"/opt/my apps/vaultora"}, "\"/opt/my apps/vaultora\""},
        {{"/opt/100%/v"}, "/opt/100%%/v"},
        {{"/opt/$x/v", "a\"b"}, "\"/opt/\\\\$x/v\" \"a\\\\\"b\""},
        {{"/opt/v", ""}, "/opt/v \"\""},
        {{"/opt/Übung/v"}, "/opt/Übung/v"},
    };
    for (const auto& c : table)
        EXPECT_EQ(platform::DesktopExecLine(c.command), QString::fromUtf8(c.line)) << c.line;
}

TEST_F(OptionRules, HiddenFilesAndAppendingOnADisc) {
    w->chkHiddenFolders->setValue(0);
    w->chkHiddenFolders->setValue(1);
    EXPECT_TRUE(w->FolderTreeview1->ShowHidden());
    EXPECT_TRUE(w->File1->Hidden());
    EXPECT_TRUE(w->File1->System());
    w->chkHiddenFolders->setValue(0);
    EXPECT_FALSE(w->FolderTreeview1->ShowHidden());
    EXPECT_FALSE(w->File1->Hidden());
    EXPECT_FALSE(w->File1->System());

    w->chkAppendArchive->setValue(0);
    {
        const QSignalBlocker quiet(w->chkUseCDRecorder);  // no recorder to look for
        w->chkUseCDRecorder->setValue(1);
    }
    Dialogs::scriptAnswers({});
    w->chkAppendArchive->setValue(1);
    EXPECT_EQ(w->chkAppendArchive->Value(), 0);
    EXPECT_EQ(prompts(), QStringList{LangText(233)});
    EXPECT_EQ(Dialogs::shown()[0].title, "Vaultora Info");
    {
        const QSignalBlocker quiet(w->chkUseCDRecorder);
        w->chkUseCDRecorder->setValue(0);
    }
    w->chkAppendArchive->setValue(1);
    EXPECT_EQ(w->chkAppendArchive->Value(), 1);
}

TEST_F(OptionRules, OutlookOptionsAreOnlyAnnounced) {
    for (ui::VbCheckBox* box : {w->chkInclOutlook, w->chkInclOutlookE}) {
        Dialogs::scriptAnswers({});
        box->setValue(1);
        EXPECT_EQ(box->Value(), 0);
        EXPECT_EQ(Dialogs::shown().size(), 1);
    }
}

TEST_F(OptionRules, SetUpButtonsSwitchPanelsAndOnlyMediaTicks) {
    w->chkFTP->setValue(1);
    w->chkMedia->setValue(0);
    w->cmdSetupFTP_Click();
    EXPECT_TRUE(ui::Visible(w->Frame10));
    EXPECT_FALSE(ui::Visible(w->Frame3));
    EXPECT_EQ(w->chkMedia->Value(), 0);
    w->cmdSetupMedia_Click();
    EXPECT_TRUE(ui::Visible(w->Frame3));
    EXPECT_FALSE(ui::Visible(w->Frame10));
    EXPECT_FALSE(ui::Visible(w->Frame11));
    EXPECT_EQ(w->chkMedia->Value(), 1);

    // The e-mail button has no panel: it says where the notice is set up
    // (the wizard), and its click (the real button's) changes nothing else.
    Dialogs::scriptAnswers({});
    emit w->cmdSetupEmail->Click();
    EXPECT_EQ(prompts(), QStringList{LangText(334)});
    EXPECT_TRUE(ui::Visible(w->Frame3));
}

TEST_F(OptionRules, ModesShowHideTickAndLock) {
    struct Row {
        int mode;
        bool sources, counters, filters, zipOptions, destinations;
    };
    const Row table[] = {
        {0, true, true, true, true, true},
        {1, true, true, true, false, false},
        {2, false, false, false, false, false},
    };
    for (const Row& r : table) {
        SCOPED_TRACE(r.mode);
        w->optBuMode_Click(0);
        w->optBuMode_Click(r.mode);
        for (QWidget* c : std::initializer_list<QWidget*>{w->List1, w->cmdSelect, w->cmdUnselect, w->cmdExclude,
                                                          w->FolderTreeview1, w->File1, w->cmdDirPlus,
                                                          w->cmdSubPlus, w->chkAddNewSub, w->cmdFilesPlus})
            EXPECT_EQ(ui::Visible(c), r.sources) << c->objectName().toStdString();
        EXPECT_EQ(ui::Visible(w->Label26), !r.sources);
        EXPECT_EQ(ui::Visible(w->txtTotalFiles), r.counters);
        EXPECT_EQ(ui::Visible(w->ProgressBar1), r.counters);
        EXPECT_EQ(ui::Visible(w->txtZipSize), r.mode == 0);
        for (QWidget* c : std::initializer_list<QWidget*>{w->Frame5, w->Frame12, w->Frame4})
            EXPECT_EQ(ui::Visible(c), r.filters);
        EXPECT_EQ(ui::Visible(w->pctArchive), r.zipOptions);
        if (r.mode != 2) {
            EXPECT_EQ(ui::Visible(w->chkFTP), r.destinations);
            EXPECT_EQ(ui::Visible(w->chkSendEmail), r.destinations);
            EXPECT_EQ(ui::Visible(w->cmdSetupMedia), r.destinations);
            EXPECT_EQ(w->tbTools->Buttons(10).Enabled(), true);
        }
    }
}

}  // namespace
