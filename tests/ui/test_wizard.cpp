// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <initializer_list>

#include "settings/SaveSettings.h"
#include "settings/SettingsTest.h"
#include "ui/controls/VbCheckBox.h"
#include "ui/controls/VbComboBox.h"
#include "ui/controls/VbCommandButton.h"
#include "ui/controls/VbFrame.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbListBox.h"
#include "ui/controls/VbTextBox.h"
#include "imagecontrol/Glimmora.h"
#include "ui/frmWizard.h"

namespace {
class WizardTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        WizardProfileText = LangText(213);
    }
    // The page shown and the enabled buttons, as "page:Back Next Finish" with
    // a dash for a disabled one.
    static QString state(const frmWizard& w) {
        int shown = -1;
        for (int i = 0; i < w.Frame1.size(); ++i)
            if (!w.Frame1[i]->isHidden())
                shown = i;
        return QStringLiteral("%1:%2%3%4")
            .arg(shown)
            .arg(w.cmdBack->isEnabled() ? "B" : "-")
            .arg(w.cmdNext->isEnabled() ? "N" : "-")
            .arg(w.cmdFinish->isEnabled() ? "F" : "-");
    }
    int boxes() const { return int(platform::Dialogs::shown().size()); }
};
}  // namespace

TEST_F(WizardTest, PagesBackAndNext) {
    frmWizard w;
    w.Form_Load();
    EXPECT_EQ(w.windowTitle(), "Create a Profile Wizard");
    EXPECT_EQ(state(w), "0:-N-");
    w.cmdNext_Click();
    EXPECT_EQ(state(w), "1:BN-");
    w.cmdBack_Click();
    EXPECT_EQ(state(w), "0:-N-");
    w.cmdNext_Click();
    w.txtProfile->setText("MyPhotos");
    w.cmdNext_Click();
    EXPECT_EQ(state(w), "2:BN-") << "the e-mail step";
    EXPECT_EQ(w.Frame1[2], w.Frame13);
    w.cmdNext_Click();
    EXPECT_EQ(state(w), "3:B-F");
    EXPECT_EQ(w.lblProfileName->Caption(), "MyPhotos");
    w.cmdBack_Click();
    EXPECT_EQ(state(w), "2:BN-") << "leaving the last page disables Finish";
    EXPECT_EQ(boxes(), 0);
    EXPECT_EQ(w.Glimmora1->SizeMode(), 2);
    EXPECT_EQ(w.Glimmora1->SizeWidth(), 2370);
    EXPECT_TRUE(w.Glimmora1->ImagePath().endsWith("\\Common\\bitmap\\n.r.v2.gif"));
}

// Started other than by the New command: the notice at load, after every
// Next and on Finish; no profile is made.
TEST_F(WizardTest, TheGateIsTheLanguagesText) {
    WizardProfileText = "New backup profile (old)";
    frmWizard w;
    w.Form_Load();
    EXPECT_EQ(boxes(), 1);
    EXPECT_EQ(platform::Dialogs::shown()[0].prompt, LangText(275));
    EXPECT_EQ(platform::Dialogs::shown()[0].title, LangText(23));
    EXPECT_EQ(platform::Dialogs::shown()[0].style, platform::vbInformation);
    w.cmdNext_Click();
    EXPECT_EQ(state(w), "0:B-F");
    w.txtProfile->setText("Refused");
    w.cmdFinish_Click();
    EXPECT_EQ(boxes(), 3);
    EXPECT_FALSE(QFile::exists(pflHost("Refused")));

    // Another language's own text opens it.
    WizardProfileText = LangText(213);
    frmWizard ok;
    ok.Form_Load();
    EXPECT_EQ(state(ok), "0:-N-");
}

TEST_F(WizardTest, RefusedNamesStepBack) {
    for (const char* name : {"", "   ", "a/b", "C:x", "say \"hi\"", "what?", "a|b", "x*"}) {
        platform::Dialogs::scriptAnswers({});
        frmWizard w;
        w.Form_Load();
        w.cmdNext_Click();
        w.cmdNext_Click();
        w.cmdNext_Click();
        w.txtProfile->setText(name);
        w.cmdFinish_Click();
        ASSERT_EQ(boxes(), 1) << name;
        const auto& box = platform::Dialogs::shown()[0];
        EXPECT_EQ(box.prompt, LangText(273) + "\r\n" + LangText(274) + "\r\n" + LangText(277));
        EXPECT_EQ(box.style, platform::vbExclamation);
        EXPECT_EQ(state(w), "1:BN-") << name << ": back to the name";
        EXPECT_EQ(w.result(), 0) << "the wizard stays open";
    }
}

// Finish saves the profile that was open, then makes the trimmed name the
// active profile with the standard options, stored at once.
TEST_F(WizardTest, FinishCreatesTheProfileAndKeepsTheOldOne) {
    f->cmbProfiles->setText("Work");
    f->List1->AddItem("C:\\Work\\*.*");
    f->chkSound->setValue(1);
    frmWizard w;
    w.Form_Load();
    w.cmdNext_Click();
    w.txtProfile->setText("  MyPhotos  ");
    w.cmdNext_Click();
    w.cmdFinish_Click();
    EXPECT_EQ(boxes(), 0);
    EXPECT_EQ(w.txtProfile->Text(), "MyPhotos");
    EXPECT_EQ(w.result(), int(QDialog::Accepted));
    EXPECT_EQ(f->cmbProfiles->Text(), "MyPhotos");
    EXPECT_EQ(f->List1->ListCount(), 0);
    EXPECT_TRUE(QFile::exists(pflHost("MyPhotos")));
    EXPECT_NE(storedProfile("MyPhotos", "optBuMode0"), "<none>") << "its options are stored";
    // The profile open before is on disk with its entry.
    EXPECT_TRUE(testenv::readFile(pflHost("Work")).startsWith("C:\\Work\\*.*\r\n"));
    EXPECT_NE(f->cmbProfiles->findText("MyPhotos"), -1);
}

// Finishing onto a profile that exists opens it; the list keeps one entry
// of that name.
TEST_F(WizardTest, FinishOntoAnExistingNameListsItOnce) {
    f->cmbProfiles->AddItem("Work");
    f->cmbProfiles->AddItem("Home");
    f->cmbProfiles->setText("Home");
    frmWizard w;
    w.Form_Load();
    w.cmdNext_Click();
    w.txtProfile->setText("Work");
    w.cmdNext_Click();
    w.cmdFinish_Click();
    EXPECT_EQ(f->cmbProfiles->Text(), "Work");
    QStringList items;
    for (int i = 0; i < f->cmbProfiles->ListCount(); ++i)
        items << f->cmbProfiles->List(i);
    EXPECT_EQ(items.count("Work"), 1) << items.join(", ").toStdString();
}

TEST_F(WizardTest, CancelChangesNothing) {
    f->cmbProfiles->setText("Work");
    frmWizard w;
    w.Form_Load();
    w.cmdNext_Click();
    w.txtProfile->setText("Other");
    w.cmdCancel_Click();
    EXPECT_EQ(f->cmbProfiles->Text(), "Work");
    EXPECT_FALSE(QFile::exists(pflHost("Other")));
    EXPECT_FALSE(QFile::exists(pflHost("Work")));
}

// The e-mail step: Save & Exit stores the server and port for every profile
// and the address for the profile being made, and goes on; Next goes on
// without storing. Only controls that do something are offered.
TEST_F(WizardTest, TheEmailStepStoresServerPortAndTheNewProfilesAddress) {
    f->cmbProfiles->setText("P");
    frmWizard w;
    w.Form_Load();
    w.cmdNext_Click();
    w.txtProfile->setText(" MyPhotos ");
    w.cmdNext_Click();
    ASSERT_EQ(state(w), "2:BN-");
    for (QWidget* hidden : std::initializer_list<QWidget*>{w.chkContent, w.chkVerify, w.cmdSendTestEmail,
                                                           w.cmdCancelEmailSetup})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    w.cmdNext_Click();
    EXPECT_EQ(storedUser("txtSMTPserver"), "<none>") << "Next stores nothing";
    w.cmdBack_Click();
    w.txtSMTPserver->setText("mail.example.org");
    w.txtSMTPport->setText("587");
    w.txtSMTPeMail->setText("me@example.org");
    w.cmdSaveEmailSetup_Click();
    EXPECT_EQ(state(w), "3:B-F");
    EXPECT_EQ(storedUser("txtSMTPserver"), "mail.example.org");
    EXPECT_EQ(storedUser("txtSMTPport"), "587");
    EXPECT_EQ(storedProfile("P", "txtSMTPeMail"), "<none>");
    w.cmdFinish_Click();
    EXPECT_EQ(f->cmbProfiles->Text(), "MyPhotos");
    EXPECT_EQ(f->txtProfile->Text(), "MyPhotos");
    EXPECT_EQ(storedProfile("MyPhotos", "txtSMTPeMail"), "me@example.org");

    // The next wizard shows the stored server.
    frmWizard again;
    again.Form_Load();
    EXPECT_EQ(again.txtSMTPserver->Text(), "mail.example.org");
    EXPECT_EQ(again.txtSMTPport->Text(), "587");
}
