// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over of the current profile to the sibling shutdown program
// Morrowick: a running Morrowick is asked to close, its start settings are
// written so that it starts this program with an unattended run of the
// profile, and it is started for the user to set up.
#include <QCoreApplication>

#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "common/NRV_Time.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "platform/SiblingProcess.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace {
const QString kSibling = QStringLiteral("Morrowick");
constexpr int kCloseRequests = 6;
}  // namespace

void frmMain_BackUp::cmdConfigAS_Click() {
    // Errors of this handler are passed over; it goes on with the next step.
    QList<qint64> running;
    vb::Quiet([&] { running = platform::FindOwnProcesses(kSibling); });
    if (!running.isEmpty()) {
        int requests = 0;
        for (;;) {
            vb::Quiet([&] {
                for (const qint64 pid : running)
                    platform::AskProcessToClose(pid);
            });
            vb::Quiet([] { Wait(1); });
            if (++requests >= kCloseRequests) {
                vb::Quiet([] {
                    platform::MsgBox(LangText(148) + vb::vbCrLf + LangText(149), platform::vbCritical,
                                     LangText(16));
                });
                break;
            }
            vb::Quiet([&] { running = platform::FindOwnProcesses(kSibling); });
            if (running.isEmpty())
                break;
        }
    }

    const QString app = QStringLiteral("NRV\\") + kSibling + QStringLiteral("\\") + UserName;
    const QString section = QStringLiteral("Settings");
    vb::Quiet([&] {
        platform::SaveSetting(app, section, QStringLiteral("txtStartProgram"),
                              QCoreApplication::applicationFilePath());
    });
    vb::Quiet([&] {
        platform::SaveSetting(app, section, QStringLiteral("txtProgramParameters"),
                              QStringLiteral("/run /profile:") + cmbProfiles->Text() + QStringLiteral(" /dir:") +
                                  txtPathBackUp->Text());
    });
    vb::Quiet([&] { platform::SaveSetting(app, section, QStringLiteral("chkStartProgram"), QStringLiteral("1")); });

    qint64 pid = 0;
    vb::Quiet([&] {
        const QString program = platform::ProgramFolder() + QStringLiteral("\\..\\") + kSibling +
                                QStringLiteral("\\") + kSibling;
        pid = platform::Shell(QStringLiteral("\"") + program + QStringLiteral("\""), platform::vbNormalNoFocus);
    });
    if (pid == 0)
        vb::Quiet([] {
            platform::MsgBox(LangText(170) + vb::vbCrLf + LangText(149), platform::vbCritical, LangText(16));
        });
}
