// SPDX-License-Identifier: GPL-3.0-or-later
// The new-medium prompt, the Stop command and the encryption progress of the
// main window.
#include "common/Globals.h"
#include "common/RunOutcome.h"
#include "platform/Dialogs.h"
#include "run/NewMediumHook.h"
#include "run/ProgramEnd.h"
#include "run/RunDisplay.h"
#include "run/Vaultora_Disk.h"
#include "platform/CDWriterXP.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace {
std::function<void()> newMediumHook;
}

void SetNewMediumHookForTest(std::function<void()> hook) { newMediumHook = std::move(hook); }

void frmMain_BackUp::AskForNewMedium(bool flag) {
    run_display::PlayClip(QStringLiteral("insertcd.avi"));   // stops the clip playing before
    Refresh();
    Insert_new_media(flag);
}

void frmMain_BackUp::Insert_new_media(bool flag) {
    vb::Handler h(QStringLiteral("Insert_new_media of Formular frmMain_BackUp"));
    int answer = platform::vbCancel;
    h.Next(1, [&] {
        if (newMediumHook)
            newMediumHook();
        const QString prompt = LangText(124) + vb::vbCrLf + LangText(292) + vb::vbCrLf + LangText(293) +
                               vb::vbCrLf + LangText(294) + vb::vbCrLf + LangText(125) + vb::vbCrLf +
                               LangText(126);
        answer = platform::MsgBox(prompt, platform::vbOKCancel, QStringLiteral("Vaultora"));
    });
    if (answer != platform::vbOK) {
        // Nothing of the run is finished: the program ends here.
        // A recorder is named by its list line, with what keeps it from
        // being used, if anything.
        QString medium = txtPathBackUp->Text();
        QString reason = LangText(124) + QLatin1Char(' ') + LangText(128);
        vb::Quiet([&] {
            if (chkUseCDRecorder->Value() != 1)
                return;
            medium = cboDevices->Text();
            const QString notReady = CDWriterXP1()->NotReadyReason();
            if (!notReady.isEmpty())
                reason += QStringLiteral(" (") + notReady + QLatin1Char(')');
        });
        ReportNotBackedUp(h.label(), 2, 0, reason, medium);
        // What waits on the disc image gets no disc either.
        vb::Quiet([&] {
            DiscImageNotWritten(QStringLiteral("The run ended at the new-medium prompt before the disc was written"));
            KeepUndeliveredToDisc();
        });
        h.Next(2, [&] {
            platform::MsgBox(LangText(127) + vb::vbCrLf + LangText(128) + vb::vbCrLf + LangText(129),
                             platform::vbInformation, QStringLiteral("Vaultora"));
        });
        h.Next(3, [&] { mnuExit_Click(); });
        End();
        return;
    }
    bool ready = false;
    h.Next(4, [&] { ready = Update_Media(); });
    if (!ready)
        return;
    if (flag)
        h.Next(5, [&] { Open_Zip(true); });
}

void frmMain_BackUp::cmdCancelBackUp_Click() {
    vb::Handler h(QStringLiteral("cmdCancelBackUp_Click of Formular frmMain_BackUp"));
    h.Next(1, [&] { CancelBackUp = true; });
    // The run ends at its next test, once the file at work is stored; that
    // may take a while for a large file, so the status line says so at once.
    h.Next(2, [&] {
        if (tbTools->Buttons(4).Enabled())
            run_display::StatusText(LangText(332));
    });
}

void frmMain_BackUp::cypher_Progress(qint32 CurrPercent) {
    vb::Quiet([&] { ProgressBar3->setValue(CurrPercent > 100 ? 100 : CurrPercent); });
}
