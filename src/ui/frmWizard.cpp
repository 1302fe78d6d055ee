// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmWizard.h"

#include <QLabel>

#include "common/Globals.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "settings/LoadSettings.h"
#include "settings/ProfileFiles.h"
#include "settings/SaveSettings.h"
#include "settings/SettingsKeys.h"
#include "ui/CentreForm.h"
#include "ui/GlimmoraSite.h"
#include "ui/HiddenMainWindow.h"
#include "ui/controls/VbCheckBox.h"
#include "ui/controls/VbComboBox.h"
#include "ui/controls/VbCommandButton.h"
#include "ui/controls/VbFrame.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbTextBox.h"
#include "ui/frmMain_BackUp.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Like.h"
#include "vb/Strings.h"

namespace {
constexpr int kWidth = 560;
constexpr int kHeight = 320;

ui::VbLabel* text(const char* name, const QString& caption, QWidget* parent, int x, int y, int w, int h) {
    auto* l = new ui::VbLabel(QString::fromLatin1(name), caption, parent);
    l->setGeometry(x, y, w, h);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLabel* picture(QWidget* parent, const QString& file, int x, int y) {
    auto* p = new QLabel(parent);
    p->setPixmap(QPixmap(platform::ProgramFolderHost() + QStringLiteral("/../Common/bitmap/") + file));
    p->move(x, y);
    p->adjustSize();
    return p;
}
}  // namespace

frmWizard::frmWizard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmWizard"));
    setWindowTitle(QStringLiteral("Create a Profile Wizard"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    const QRect page(150, 10, kWidth - 160, kHeight - 20);

    for (int i = 0; i < 3; ++i) {
        static const char* captions[] = {"", "Step 1 of 2", "Step 2 of 2"};
        auto* f = new ui::VbFrame(QStringLiteral("Frame1_%1").arg(i), QString::fromLatin1(captions[i]), this);
        f->setGeometry(page);
        Frame1.append(f);
    }
    Glimmora1 = CreateFormGlimmora(Frame1[0], QStringLiteral("frmWizard"), 2370, 840);
    Glimmora1->move(20, 24);
    Label1 = text("Label1", QStringLiteral("This Wizard will help you to create a new backup PROFILE "), Frame1[0], 20, 100,
                  page.width() - 40, 60);
    QFont big = Label1->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    Label1->setFont(big);

    ui::VbFrame* p1 = Frame1[1];
    text("Label3", QStringLiteral("Type into the combo box a new backup profile name ..."), p1, 20, 28, 360, 20);
    txtProfile = new ui::VbTextBox(QStringLiteral("txtProfile"), QString(), p1);
    txtProfile->setGeometry(20, 52, 240, 24);
    text("Label5",
         QStringLiteral("You should choose a profile name which has some releation to the data you are going to backup "
                        "with this profile."),
         p1, 20, 88, 360, 40);
    text("Label6", QStringLiteral("MyPhotos"), p1, 40, 136, 200, 18);
    text("Label7", QStringLiteral("Financial data"), p1, 40, 156, 200, 18);
    text("Label8", QStringLiteral("Letters 2004"), p1, 40, 176, 200, 18);
    picture(p1, QStringLiteral("seagull.gif"), 300, 140);
    picture(p1, QStringLiteral("seagull.gif"), 340, 200);

    ui::VbFrame* p2 = Frame1[2];
    text("Label4", QStringLiteral("Click on Finish to create the new profile :"), p2, 20, 28, 360, 20);
    lblProfileName = text("lblProfileName", QString(), p2, 40, 52, 320, 22);
    QFont bold = lblProfileName->font();
    bold.setBold(true);
    lblProfileName->setFont(bold);
    text("Label9",
         QStringLiteral("The new profile will be generated using standard options. Before you use the profile the first "
                        "time, you should click on the option menu to configure the profile in accordance to your "
                        "needs."),
         p2, 20, 84, 300, 100);
    text("Label10", QStringLiteral("or click on Cancle to abbort ..."), p2, 20, 196, 300, 20);
    picture(p2, QStringLiteral("seagull.gif"), 330, 90);
    picture(p2, QStringLiteral("seagull.gif"), 330, 150);

    cmdBack = new ui::VbCommandButton(QStringLiteral("cmdBack"), QStringLiteral("<< Back"), this);
    cmdNext = new ui::VbCommandButton(QStringLiteral("cmdNext"), QStringLiteral("Next >>"), this);
    cmdCancel = new ui::VbCommandButton(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), this);
    cmdFinish = new ui::VbCommandButton(QStringLiteral("cmdFinish"), QStringLiteral("Finish"), this);
    cmdBack->setGeometry(10, kHeight - 74, 62, 28);
    cmdNext->setGeometry(78, kHeight - 74, 62, 28);
    cmdCancel->setGeometry(10, kHeight - 40, 62, 28);
    cmdFinish->setGeometry(78, kHeight - 40, 62, 28);

    // The e-mail set-up panel lies below the visible area of the form.
    Frame13 = new ui::VbFrame(QStringLiteral("Frame13"), QStringLiteral("SMTP eMail server settings"), this);
    Frame13->setGeometry(10, kHeight + 20, 540, 260);
    text("Label11", QStringLiteral("SMTP Server:"), Frame13, 10, 24, 120, 20);
    txtSMTPserver = new ui::VbTextBox(QStringLiteral("txtSMTPserver"), QStringLiteral("smtp.example.org"), Frame13);
    txtSMTPserver->setGeometry(130, 22, 200, 22);
    txtSMTPport = new ui::VbTextBox(QStringLiteral("txtSMTPport"), QStringLiteral("25"), Frame13);
    txtSMTPport->setGeometry(340, 22, 50, 22);
    text("Label12", QStringLiteral("eMail address for the backup archive:"), Frame13, 10, 52, 240, 20);
    txtSMTPeMail = new ui::VbTextBox(QStringLiteral("txtSMTPeMail"), QStringLiteral("backup@example.org"), Frame13);
    txtSMTPeMail->setGeometry(250, 50, 200, 22);
    chkContent = new ui::VbCheckBox(QStringLiteral("chkContent"), QStringLiteral("Send As HTML"), Frame13);
    chkContent->setToolTip(QStringLiteral("Click to Send the E-mail as HTML"));
    chkContent->setGeometry(10, 80, 140, 20);
    chkVerify = new ui::VbCheckBox(QStringLiteral("chkVerify"), QStringLiteral("Verify Address"), Frame13);
    chkVerify->setGeometry(160, 80, 140, 20);
    auto* Frame14 = new ui::VbFrame(QStringLiteral("Frame14"), QStringLiteral("POP Server"), Frame13);
    Frame14->setGeometry(10, 106, 520, 110);
    text("Label13", QStringLiteral("POP Server:"), Frame14, 10, 24, 90, 20);
    (new ui::VbTextBox(QStringLiteral("txtPOPserver"), QString(), Frame14))->setGeometry(100, 22, 180, 22);
    (new ui::VbTextBox(QStringLiteral("txtPOPport"), QStringLiteral("110"), Frame14))->setGeometry(290, 22, 50, 22);
    (new ui::VbCheckBox(QStringLiteral("chkPOPAuth"), QStringLiteral("POP  server identification"), Frame14))
        ->setGeometry(10, 50, 220, 20);
    (new ui::VbTextBox(QStringLiteral("txtPOPlogin"), QString(), Frame14))->setGeometry(10, 76, 150, 22);
    auto* password = new ui::VbTextBox(QStringLiteral("txtPOPpassword"), QString(), Frame14);
    password->setGeometry(170, 76, 150, 22);
    password->setEchoMode(QLineEdit::Password);
    (new ui::VbTextBox(QStringLiteral("txtPOPdomain"), QString(), Frame14))->setGeometry(330, 76, 150, 22);
    cmdSaveEmailSetup = new ui::VbCommandButton(QStringLiteral("cmdSaveEmailSetup"), QStringLiteral("Save && Exit"), Frame13);
    cmdSaveEmailSetup->setGeometry(10, 224, 110, 26);
    cmdSendTestEmail = new ui::VbCommandButton(QStringLiteral("cmdSendTestEmail"), QStringLiteral("Send test eMail"), Frame13);
    cmdSendTestEmail->setGeometry(130, 224, 130, 26);
    cmdCancelEmailSetup = new ui::VbCommandButton(QStringLiteral("cmdCancelEmailSetup"), QStringLiteral("Cancel"), Frame13);
    cmdCancelEmailSetup->setGeometry(270, 224, 90, 26);

    connect(cmdNext, &ui::VbCommandButton::Click, this, &frmWizard::cmdNext_Click);
    connect(cmdBack, &ui::VbCommandButton::Click, this, &frmWizard::cmdBack_Click);
    connect(cmdFinish, &ui::VbCommandButton::Click, this, &frmWizard::cmdFinish_Click);
    connect(cmdCancel, &ui::VbCommandButton::Click, this, &frmWizard::cmdCancel_Click);
    connect(cmdSaveEmailSetup, &ui::VbCommandButton::Click, this, &frmWizard::cmdSaveEmailSetup_Click);
    connect(chkContent, &ui::VbCheckBox::Click, this, &frmWizard::chkContent_Click);
    connect(chkVerify, &ui::VbCheckBox::Click, this, &frmWizard::chkVerify_Click);
}

void frmWizard::ShowModal() {
    Form_Load();
    // Nobody could close a modal window without a display.
    if (platform::Dialogs::interactive())
        exec();
}

// The gate compares with the language's own text 213, which the New command
// puts there, so the wizard works in every language.
bool frmWizard::gateOpen() const { return WizardProfileText == LangText(213); }

void frmWizard::refuse() { platform::MsgBox(LangText(275), platform::vbInformation, LangText(23)); }

void frmWizard::Form_Load() {
    vb::Quiet([&] { ShowFormPictures(Glimmora1); });
    vb::Quiet([&] {
        CentreOnScreen(this);
    });
    for (ui::VbFrame* f : Frame1)
        f->hide();
    if (!gateOpen()) {
        refuse();
        return;
    }
    FirstPage = 0;
    LastPage = 2;
    CurrentPage = 0;
    ShowPage(QStringLiteral("0"));
    cmdBack->setEnabled(false);
    cmdFinish->setEnabled(false);
}

void frmWizard::ShowPage(const QString& Page) {
    for (int i = FirstPage; i <= LastPage; ++i)
        Frame1[i]->hide();
    Frame1[Page.toInt()]->show();
}

void frmWizard::cmdNext_Click() {
    CurrentPage = CurrentPage + 1;
    if (CurrentPage < LastPage) {
        cmdNext->setEnabled(true);
    } else {
        CurrentPage = LastPage;
        cmdNext->setEnabled(false);
        cmdFinish->setEnabled(true);
    }
    ShowPage(QString::number(CurrentPage));
    cmdBack->setEnabled(true);
    if (!gateOpen())
        refuse();
    else
        lblProfileName->setCaption(txtProfile->Text());
}

void frmWizard::cmdBack_Click() {
    CurrentPage = CurrentPage - 1;
    if (CurrentPage > FirstPage) {
        cmdBack->setEnabled(true);
    } else {
        CurrentPage = FirstPage;
        cmdBack->setEnabled(false);
    }
    ShowPage(QString::number(CurrentPage));
    cmdNext->setEnabled(true);
    cmdFinish->setEnabled(false);
}

void frmWizard::cmdFinish_Click() {
    if (!gateOpen()) {
        refuse();
        return;
    }
    const QString name = vb::Trim(txtProfile->Text());
    txtProfile->setText(name);
    const bool invalid =
        name.isEmpty() || vb::Like(name, QStringLiteral("*[\\/:?*<>|]*")) || name.contains(QLatin1Char('"'));
    if (invalid) {
        platform::MsgBox(LangText(273) + vb::vbCrLf + LangText(274) + vb::vbCrLf + LangText(277),
                         platform::vbExclamation, LangText(23));
        cmdBack_Click();
        return;
    }
    vb::Handler h(QStringLiteral("cmdFinish_Click of Formular frmWizard"));
    const QCursor pointer = fMainForm->cursor();
    fMainForm->setCursor(Qt::WaitCursor);
    // The profile that was open is saved before the new one replaces it in
    // the window, so nothing the user changed there is lost.
    h.Next(10, [] {
        if (!fMainForm->cmbProfiles->Text().isEmpty())
            Save_Settings();
    });
    h.Next(20, [] { cmdClearProfile_Click(); });
    h.Next(30, [&] { fMainForm->cmbProfiles->setText(name); });
    h.Next(40, [] { Load_Settings(); });
    // The new profile is stored at once: its file and its standard options.
    h.Next(50, [&] {
        fMainForm->cmbProfiles->setText(name);
        Save_Settings();
    });
    h.Next(60, [&] { add_profile(name, qint16(fMainForm->cmbProfiles->ListCount())); });
    h.Next(70, [&] { fMainForm->cmbProfiles->setText(name); });
    fMainForm->setCursor(pointer);
    accept();
}

void frmWizard::cmdCancel_Click() { reject(); }

void frmWizard::cmdSaveEmailSetup_Click() {
    vb::Handler h(QStringLiteral("cmdSaveEmailSetup_Click of Formular frmWizard"));
    h.Next(10, [&] { settings::WriteUser(QStringLiteral("txtSMTPserver"), txtSMTPserver->Text()); });
    h.Next(20, [&] { settings::WriteUser(QStringLiteral("txtSMTPport"), txtSMTPport->Text()); });
    h.Next(30, [&] {
        platform::SaveSetting(settings::ProfileSettingsApp(fMainForm->cmbProfiles->Text()),
                              QLatin1String(settings::kSettings), QStringLiteral("txtSMTPeMail"), txtSMTPeMail->Text());
    });
    vb::DoEvents();
}

void frmWizard::chkContent_Click() {
    chkContent->setProperty("Tag", chkContent->Value() == 1 ? QStringLiteral("html;") : QStringLiteral("plain;"));
}

void ShowNewProfileWizard() {
    vb::Handler h(QStringLiteral("cmdNew_Click of Formular frmMain_BackUp"));
    h.Next(10, [] { WizardProfileText = LangText(213); });
    h.Next(20, [] {
        WithMainWindowHidden(fMainForm, [] {
            frmWizard wizard(fMainForm);
            wizard.ShowModal();
        });
    });
}
