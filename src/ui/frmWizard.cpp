// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmWizard.h"

#include <QLabel>
#include <initializer_list>

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

    // The pages: welcome, name, e-mail set-up (Frame13, below), confirmation.
    for (int i = 0; i < 3; ++i) {
        static const char* captions[] = {"", "Step 1 of 3", "Step 3 of 3"};
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

    // The e-mail set-up is a step of its own, between the name and the
    // confirmation. The server and port serve every profile; the address is
    // that of the profile being made. Its Save & Exit stores them and goes on;
    // Next goes on without storing. Only what the notice uses is offered.
    Frame13 = new ui::VbFrame(QStringLiteral("Frame13"), QStringLiteral("Step 2 of 3: SMTP eMail server settings"), this);
    Frame13->setGeometry(page);
    Frame1.insert(2, Frame13);
    text("Label11", QStringLiteral("SMTP Server:"), Frame13, 20, 28, 200, 20);
    text("Label14", QStringLiteral("Port:"), Frame13, 290, 28, 60, 20);
    txtSMTPserver = new ui::VbTextBox(QStringLiteral("txtSMTPserver"), QStringLiteral("smtp.example.org"), Frame13);
    txtSMTPserver->setGeometry(20, 50, 260, 24);
    txtSMTPport = new ui::VbTextBox(QStringLiteral("txtSMTPport"), QStringLiteral("25"), Frame13);
    txtSMTPport->setGeometry(290, 50, 60, 24);
    text("Label12", QStringLiteral("eMail address for the backup archive:"), Frame13, 20, 86, 340, 20);
    txtSMTPeMail = new ui::VbTextBox(QStringLiteral("txtSMTPeMail"), QStringLiteral("backup@example.org"), Frame13);
    txtSMTPeMail->setGeometry(20, 108, 330, 24);
    text("Label15",
         QStringLiteral("Tick \"E-mail\" on the Backup Media tab to have each archive mailed. Save & Exit stores "
                        "these settings and goes on; Next goes on without them."),
         Frame13, 20, 144, 350, 60)
        ->setTextFormat(Qt::PlainText);
    cmdSaveEmailSetup = new ui::VbCommandButton(QStringLiteral("cmdSaveEmailSetup"), QStringLiteral("Save && Exit"), Frame13);
    cmdSaveEmailSetup->setGeometry(20, 214, 110, 28);
    // Kept for the form's other users, but not offered: the notice is plain
    // text to one address, without a test message or a POP log-in of its own.
    chkContent = new ui::VbCheckBox(QStringLiteral("chkContent"), QStringLiteral("Send As HTML"), Frame13);
    chkContent->setToolTip(QStringLiteral("Click to Send the E-mail as HTML"));
    chkVerify = new ui::VbCheckBox(QStringLiteral("chkVerify"), QStringLiteral("Verify Address"), Frame13);
    cmdSendTestEmail = new ui::VbCommandButton(QStringLiteral("cmdSendTestEmail"), QStringLiteral("Send test eMail"), Frame13);
    cmdCancelEmailSetup = new ui::VbCommandButton(QStringLiteral("cmdCancelEmailSetup"), QStringLiteral("Cancel"), Frame13);
    for (QWidget* unused : std::initializer_list<QWidget*>{chkContent, chkVerify, cmdSendTestEmail, cmdCancelEmailSetup})
        unused->hide();

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
    // The server and port stored already are shown, to keep or to change.
    vb::Quiet([&] {
        const QString server = settings::ReadUser(QStringLiteral("txtSMTPserver"), QString());
        if (!server.isEmpty()) {
            txtSMTPserver->setText(server);
            txtSMTPport->setText(settings::ReadUser(QStringLiteral("txtSMTPport"), QStringLiteral("25")));
        }
    });
    if (!gateOpen()) {
        refuse();
        return;
    }
    FirstPage = 0;
    LastPage = 3;
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
        // Back to the step that takes the name.
        CurrentPage = 2;
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

// Stores the server and port for every profile and the address for the
// profile that the wizard makes (the name typed on the step before), then
// goes on to the confirmation.
void frmWizard::cmdSaveEmailSetup_Click() {
    vb::Handler h(QStringLiteral("cmdSaveEmailSetup_Click of Formular frmWizard"));
    h.Next(10, [&] { settings::WriteUser(QStringLiteral("txtSMTPserver"), vb::Trim(txtSMTPserver->Text())); });
    h.Next(20, [&] { settings::WriteUser(QStringLiteral("txtSMTPport"), vb::Trim(txtSMTPport->Text())); });
    h.Next(30, [&] {
        if (vb::Trim(txtProfile->Text()).isEmpty())
            return;  // no profile to give it to: Finish asks for a name first
        platform::SaveSetting(settings::ProfileSettingsApp(vb::Trim(txtProfile->Text())),
                              QLatin1String(settings::kSettings), QStringLiteral("txtSMTPeMail"),
                              vb::Trim(txtSMTPeMail->Text()));
    });
    vb::DoEvents();
    if (CurrentPage == 2)
        cmdNext_Click();
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
