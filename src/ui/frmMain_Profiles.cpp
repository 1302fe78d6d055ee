// SPDX-License-Identifier: GPL-3.0-or-later
// Profiles on the main window: saving the shown profile under a name,
// switching to another one, and the toolbar's Save-as and Delete commands.
#include <QCursor>
#include <QFile>

#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/LoadSettings.h"
#include "settings/ProfileFiles.h"
#include "settings/SaveSettings.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"
#include "vb/Like.h"
#include "vb/Strings.h"

namespace {
const QString kStandard = QStringLiteral("Standard");

// A name that cannot be a profile: empty, holding a character that a file
// name cannot hold, or longer than the file system takes.
bool ProfileNameRefused(const QString& name) {
    if (vb::Trim(name).isEmpty())
        return true;
    if (vb::Like(name, QStringLiteral("*[\\/:?*<>|]*")))
        return true;
    if (name.contains(QLatin1Char('"')))
        return true;
    const QString fileName = name + QStringLiteral(".pfl");
    return !IsValidFilename(fileName) || QFile::encodeName(fileName).size() > 255;
}
}  // namespace

void frmMain_BackUp::cmdSaveProfile() {
    vb::Handler h(QStringLiteral("cmdSaveProfile_Click of Formular frmMain_BackUp"));
    bool blank = false;
    h.Next(1, [&] { blank = vb::Trim(txtProfile->Text()).isEmpty(); });
    if (blank) {
        h.Next(1, [] {
            platform::MsgBox(LangText(171) + vb::vbCrLf + LangText(172), platform::vbExclamation, LangText(16));
        });
        h.Next(1, [&] { txtProfile->setText(kStandard); });
        return;
    }
    h.Next(2, [&] { saveProfile(txtProfile->Text()); });
    h.Next(3, [&] { add_profile(txtProfile->Text(), qint16(cmbProfiles->ListCount())); });
    h.Next(4, [&] { cmbProfiles->setText(txtProfile->Text()); });
    h.Next(5, [] { Save_Settings(); });
}

// Entering the profile box saves the profile shown so far, so that picking
// another one loses nothing.
void frmMain_BackUp::cmbProfiles_GotFocus() {
    vb::Handler h(QStringLiteral("cmbProfiles_GotFocus of Formular frmMain_BackUp"));
    h.Next(10, [] { Save_Settings(); });
}

void frmMain_BackUp::cmbProfiles_Click() {
    vb::Handler h(QStringLiteral("cmbProfiles_click of Formular frmMain_BackUp"));
    const bool hadCursor = testAttribute(Qt::WA_SetCursor);
    const QCursor pointer = cursor();
    h.Next(1, [&] { setCursor(Qt::WaitCursor); });
    h.Next(2, [] { Load_Settings(); });
    h.Next(3, [&] { txtProfile->setText(cmbProfiles->Text()); });
    h.Next(4, [&] {
        if (hadCursor)
            setCursor(pointer);
        else
            unsetCursor();
    });
}

void frmMain_BackUp::SaveProfileAs() {
    QString answer;
    vb::Quiet([&] { answer = platform::InputBox(LangText(210), LangText(211), cmbProfiles->Text()); });
    vb::Quiet([&] { txtProfile->setText(answer); });
    bool refused = true;
    vb::Quiet([&] { refused = ProfileNameRefused(txtProfile->Text()); });
    if (refused) {
        vb::Quiet([] {
            platform::MsgBox(LangText(273) + vb::vbCrLf + LangText(277), platform::vbExclamation, LangText(23));
        });
        vb::Quiet([] { platform::MsgBox(LangText(212), platform::vbExclamation, LangText(23)); });
        return;
    }
    vb::Quiet([&] { cmdSaveProfile(); });
}

void frmMain_BackUp::DeleteProfile() {
    QString name;
    vb::Quiet([&] { name = cmbProfiles->Text(); });
    if (vb::LCase(vb::Trim(name)) == QLatin1String("standard")) {
        vb::Quiet([] { platform::MsgBox(LangText(214), platform::vbInformation, LangText(23)); });
        return;
    }
    int index = -1;
    // The item of the shown name, also when the name was not picked from
    // the list (as at start-up); -1 for a name that is not in the list.
    vb::Quiet([&] {
        index = cmbProfiles->ListIndex();
        if (index == -1)
            index = cmbProfiles->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    });
    if (index == -1) {
        vb::Quiet([] { platform::MsgBox(LangText(215), platform::vbInformation, LangText(23)); });
        return;
    }
    int answer = platform::vbNo;
    vb::Quiet([&] { answer = platform::MsgBox(LangText(216), platform::vbYesNo | platform::vbExclamation, LangText(217)); });
    if (answer != platform::vbYes)
        return;

    const QString folder = platform::ProgramFolder() + QStringLiteral("\\");
    const QString profileFile = folder + name + QStringLiteral(".pfl");
    if (FileExists(profileFile)) {
        // The copy first; without it the file is still deleted.
        vb::Quiet([&] { platform::FileCopy(profileFile, folder + name + QStringLiteral(".bak")); });
        vb::Quiet([&] {
            if (FileExists(profileFile))
                platform::Kill(profileFile);
        });
    }
    vb::Quiet([&] { cmbProfiles->RemoveItem(index); });
    // The first profile of the list is shown next; with none left, the
    // fallback profile, so that the window always shows one.
    vb::Quiet([&] {
        if (cmbProfiles->ListCount() > 0)
            cmbProfiles->setText(cmbProfiles->List(0));
        else
            cmbProfiles->setText(kStandard);
    });
    vb::Quiet([] { Load_Settings(); });
    vb::Quiet([&] { txtProfile->setText(cmbProfiles->Text()); });
}
