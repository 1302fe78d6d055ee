// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/Vaultora_Main.h"

#include "common/AppInstance.h"
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "common/NRV_PlaySound.h"
#include "common/NRV_WindowsTopMost.h"
#include "common/RunOutcome.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"
#include "platform/TerminationRequest.h"
#include "run/ProgramEnd.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsKeys.h"
#include "settings/Speech.h"
#include "ui/frmMain_BackUp.h"
#include "ui/frmSplash.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

bool ErrorMsgBox = false;

namespace {

QString g_command;

// The value of a switch found at 1-based position p with `length`
// characters: up to the next "/" or the end, trimmed.
QString ValueAfter(const QString& commandLine, int p, int length) {
    int q = vb::InStr(p + length, commandLine, QStringLiteral("/"));
    if (q == 0)
        q = vb::Len(commandLine) + 1;
    return vb::Trim(vb::Mid(commandLine, p + length, q - p - length));
}

// The main window's error indicator and its on-top state, as the error log
// and its notices need them.
void ConnectErrorLogToMainWindow() {
    SetErrorIndicatorHook([] {
        if (!fMainForm)
            return;
        fMainForm->ErrorIndicator->setBackColor(0x8080FF);
        fMainForm->lblError->setVisible(true);
    });
    SetTopMostHook([](bool onTop) {
        if (!fMainForm)
            return;
        if (!onTop)
            SetNotTopMost(fMainForm);
        else if (fMainForm->chkWinOnTop->Value() == 1)
            SetTopMost(fMainForm);
    });
}

void SpeakThroughVoiceText(const QString& text, int flags) {
    vb::Quiet([&] {
        if (VoiceText && VoiceText->Registered())
            VoiceText->Speak(text, flags);
    });
}

// An unattended start that cannot run ends the program as its run would:
// the window goes without saving the settings, and the status tells why.
void EndUnattendedStart() {
    RunMode = true;
    if (fMainForm)
        fMainForm->mnuExit_Click();
    if (!ProgramEnded())
        End();
    RunMode = false;
}

}  // namespace

bool UnattendedStart() { return ParseSwitches(Command()).run; }

bool UnseenStart() { return platform::Dialogs::headless() && UnattendedStart(); }

void SetCommand(const QString& commandLine) { g_command = commandLine; }
QString Command() { return g_command; }

CommandSwitches ParseSwitches(const QString& commandLine) {
    CommandSwitches s;
    const QString lower = vb::LCase(commandLine);
    if (const int p = vb::InStr(lower, QStringLiteral("/profile:")); p > 0) {
        s.hasProfile = true;
        s.profile = ValueAfter(commandLine, p, 9);
    }
    if (const int p = vb::InStr(lower, QStringLiteral("/dir:")); p > 0) {
        s.hasDir = true;
        s.dir = ValueAfter(commandLine, p, 5);
        if (vb::Right(s.dir, 1) == QStringLiteral("\\"))
            s.dir = vb::Left(s.dir, vb::Len(s.dir) - 1);
    }
    s.run = vb::InStr(lower, QStringLiteral("/run")) > 0;
    return s;
}

void ApplyCommandLine(const QString& commandLine) {
    vb::Handler h(QStringLiteral("Main of Modul Vaultora_Main"));
    frmMain_BackUp& f = *fMainForm;
    CommandSwitches s;
    h.Next(160, [&] { s = ParseSwitches(commandLine); });

    // Profile switch.
    if (s.hasProfile) {
        const QString wanted = vb::LCase(s.profile);
        bool shown = false;
        h.Next(161, [&] { shown = vb::LCase(f.cmbProfiles->Text()) == wanted; });
        if (!shown) {
            bool found = false;
            qint16 count = 0;
            h.Next(162, [&] { count = f.cmbProfiles->ListCount(); });
            for (int i = 0; i < count && !found; ++i) {
                h.Next(163, [&] { f.cmbProfiles->setText(f.cmbProfiles->List(i)); });
                bool same = true;  // a failing test goes on into its true branch
                h.Next(164, [&] { same = vb::LCase(f.cmbProfiles->Text()) == wanted; });
                if (same) {
                    h.Next(165, [] { Load_Settings(); });
                    found = true;
                }
            }
            if (!found && s.run) {
                // An unattended run was asked for a profile that is not
                // there: backing up another one is not what was asked, so
                // nothing runs and the program ends.
                h.Next(166, [&] {
                    ReportCouldNotRun(h.label(), 166, 0,
                                      QStringLiteral("There is no profile of this name: ") + s.profile +
                                          QStringLiteral("; nothing was backed up"));
                });
                EndUnattendedStart();
                return;
            }
            if (!found) {
                h.Next(166, [&] {
                    const qint16 index =
                        vb::CInt(settings::ReadUser(QStringLiteral("ProfileIndex"), QStringLiteral("0")));
                    f.cmbProfiles->setText(f.cmbProfiles->List(index));
                });
                h.Next(167, [] { Load_Settings(); });
            }
        }
    }

    // Destination override for this start.
    if (s.hasDir) {
        h.Next(170, [&] { f.txtPathBackUp->setText(s.dir); });
        h.Next(171, [&] { CreateDirectoryStruct(f.txtPathBackUp->Text()); });
    }

    // Unattended run. A request to end that came during the start-up (the
    // run would clear it) ends the program instead.
    if (s.run && platform::TerminationRequested()) {
        ReportCouldNotRun(h.label(), 180, 0, QStringLiteral("The program was asked to end before the run started"));
        EndUnattendedStart();
        return;
    }
    // A profile whose options the settings store does not hold (the store
    // was emptied or lost; the profile's file is all that is left) would run
    // on default options: no encryption, another destination. Not unattended.
    if (s.run) {
        bool stored = true;   // a failing test runs the profile as it stands
        h.Next(180, [&] {
            stored = !platform::GetAllSettings(settings::ProfileSettingsApp(f.cmbProfiles->Text()),
                                               QStringLiteral("Settings"))
                          .isEmpty();
        });
        if (!stored) {
            ReportCouldNotRun(h.label(), 180, 0,
                              QStringLiteral("The settings store holds no options for the profile ") +
                                  f.cmbProfiles->Text() +
                                  QStringLiteral("; the run does not start on default settings. Open the profile in "
                                                 "the window, set its options and save it"));
            EndUnattendedStart();
            return;
        }
    }
    if (s.run) {
        h.Next(180, [] { RunMode = true; });
        h.Next(181, [&] { f.cmdBackUpNow(); });
        h.Next(182, [] { RunMode = false; });
    }
}

void Main() {
    vb::Handler h(QStringLiteral("Main of Modul Vaultora_Main"));
    h.Next(2, [] { ProgramName = QStringLiteral("Vaultora"); });
    h.Next(3, [] { ErrorMsgBox = false; });
    h.Next(4, [] { bSoundAvailable = HasSound(); });
    h.Next(5, [] { GetPCInfos(); });
    h.Next(6, [] { CreateErrorLogHeader(); });
    // Settings that cannot be read at all (a settings folder that cannot be
    // made or written) are told as what they are, and the program ends.
    if (!h.Next(8, [] { CurrentLanguage = settings::ReadUser(QStringLiteral("Language"), QStringLiteral("english")); })) {
        const QString reason = QStringLiteral("The settings cannot be used: ") + h.Err.Description;
        ReportCouldNotRun(h.label(), 8, h.Err.Number, reason);
        if (!UnattendedStart())
            h.Next(8, [&] {
                platform::MsgBox(reason + vb::vbCrLf + QStringLiteral("The program will be terminated now."),
                                 platform::vbCritical, ProgramName);
            });
        return;
    }
    // A store that was damaged was moved aside and an empty one started: a
    // run on it would run on default options (a profile that encrypts would
    // write a clear archive), so an unattended start refuses it.
    QString replaced;
    h.Next(8, [&] { replaced = platform::Database::shared().movedAside(); });
    if (!replaced.isEmpty()) {
        const QString reason = QStringLiteral("The settings database was damaged and has been replaced by an empty one; "
                                              "the damaged file was kept as ") +
                               replaced;
        if (UnattendedStart()) {
            ReportCouldNotRun(h.label(), 8, vb::errDeviceIO,
                              reason + QStringLiteral(". The run does not start on default settings."));
            return;
        }
        h.Next(8, [&] {
            platform::MsgBox(reason + vb::vbCrLf + QStringLiteral("The program starts with default settings."),
                             platform::vbExclamation, ProgramName);
        });
    }
    bool languageLoaded = false;
    h.Next(9, [&] { languageLoaded = set_language(CurrentLanguage + QStringLiteral(".lng")); });
    if (!languageLoaded) {
        h.Next(9, [] {
            ReportCouldNotRun(QStringLiteral("Main of Modul Vaultora_Main"), 9, vb::errFileNotFound,
                              QStringLiteral("The language file could not be loaded: ") + CurrentLanguage +
                                  QStringLiteral(".lng"));
        });
        return;
    }
    // The speech set-up comes once the texts are loaded: its hint is made of
    // them.
    h.Next(7, [] { Ini_TTS(); });
    h.Next(7, [] { SetSpeakFunction(SpeakThroughVoiceText); });

    bool another = true;  // a failing test goes on into its true branch
    h.Next(10, [&] { another = PrevInstance(); });
    if (another) {
        h.Next(10, [] {
            ReportCouldNotRun(QStringLiteral("Main of Modul Vaultora_Main"), 10, 0,
                              LangText(306) + QStringLiteral(" This start was refused."));
        });
        // An unattended start has no one to click the box away: its reason
        // went to standard error and the error log.
        if (!UnattendedStart())
            h.Next(10, [] {
                platform::MsgBox(LangText(306) + vb::vbCrLf + LangText(127), platform::vbExclamation,
                                 ProgramName + QStringLiteral(" Info"));
            });
        return;
    }

    frmSplash* splash = nullptr;
    h.Next(11, [] { SplashActive = true; });
    const bool splashShown = h.Next(11, [&] {
        splash = new frmSplash;
        splash->SetNobodyToSee(platform::Dialogs::headless());
        splash->Show();
    });
    // The splash clears the flag at the end of its loading; one that could
    // not be shown never will, and start-up must not wait for it forever.
    if (!splashShown)
        SplashActive = false;
    while (SplashActive)
        vb::DoEvents();
    h.Next(11, [&] {
        if (splash)
            splash->Unload();
    });

    h.Next(12, [] { bBackupStarted = false; });
    h.Next(13, [] {
        new frmMain_BackUp;
        ConnectErrorLogToMainWindow();
        fMainForm->Form_Load();
    });
    h.Next(13, [] { vb::DoEvents(); });
    if (!fMainForm)
        return;
    h.Next(14, [] { fMainForm->setCaption(ProgramName); });
    h.Next(14, [] { fMainForm->Refresh(); });
    h.Next(14, [] { vb::DoEvents(); });
    bool toTray = false;
    h.Next(15, [&] { toTray = fMainForm->chkSystray->Value() == 1; });
    if (toTray)
        h.Next(15, [] { fMainForm->cmdSetTray(); });

    ApplyCommandLine(Command());
}
