// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>

#include "ui/controls/ControlArray.h"

namespace glimmora {
class Glimmora;
}
namespace ui {
class VbCheckBox;
class VbCommandButton;
class VbFrame;
class VbLabel;
class VbTextBox;
}  // namespace ui

// The wizard runs its pages only when WizardProfileText (common/Globals.h),
// which the New command sets, is the language's "New backup profile" (text 213).

// The set-up wizard: welcome, profile name, e-mail set-up, confirmation.
// Finish makes the name the main window's active profile with the standard
// options.
class frmWizard : public QDialog {
    Q_OBJECT
public:
    explicit frmWizard(QWidget* parent = nullptr);

    // Loads the form and shows it modally; returns when it is closed.
    void ShowModal();

    void Form_Load();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdFinish_Click();
    void cmdCancel_Click();
    void cmdSaveEmailSetup_Click();
    void chkContent_Click();
    void chkVerify_Click() {}

    qint16 CurrentPage = 0;
    qint16 FirstPage = 0;
    qint16 LastPage = 0;

    QList<ui::VbFrame*> Frame1;  // the pages
    glimmora::Glimmora* Glimmora1 = nullptr;
    ui::VbLabel* Label1 = nullptr;
    ui::VbTextBox* txtProfile = nullptr;
    ui::VbLabel* lblProfileName = nullptr;
    ui::VbCommandButton* cmdBack = nullptr;
    ui::VbCommandButton* cmdNext = nullptr;
    ui::VbCommandButton* cmdCancel = nullptr;
    ui::VbCommandButton* cmdFinish = nullptr;

    ui::VbFrame* Frame13 = nullptr;  // the e-mail set-up step (Frame1[2])
    ui::VbTextBox* txtSMTPserver = nullptr;
    ui::VbTextBox* txtSMTPport = nullptr;
    ui::VbTextBox* txtSMTPeMail = nullptr;
    ui::VbCheckBox* chkContent = nullptr;
    ui::VbCheckBox* chkVerify = nullptr;
    ui::VbCommandButton* cmdSaveEmailSetup = nullptr;
    ui::VbCommandButton* cmdSendTestEmail = nullptr;
    ui::VbCommandButton* cmdCancelEmailSetup = nullptr;

private:
    void ShowPage(const QString& Page);
    bool gateOpen() const;
    void refuse();
};

// The New command's wizard: sets WizardProfileText, hides the main window,
// shows the wizard modally and shows the main window again.
void ShowNewProfileWizard();
