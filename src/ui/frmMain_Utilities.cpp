// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's small services: the about box, the web-page labels, the
// error-log view and the error report.
#include <QFile>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_Capture.h"
#include "common/NRV_ErrorLog.h"
#include "common/MakerSite.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/ZipArchiveComponent.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbPictureBox.h"
#include "ui/controls/VbTabControl.h"
#include "ui/LanguageDump.h"
#include "ui/frmAbout.h"
#include "ui/frmMain_BackUp.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

namespace {
void OpenProductPage() {
    vb::Quiet([] { platform::ShellOpen(MakerPage(QStringLiteral("/nrv/products/suite_e.htm"))); });
}
}  // namespace

void frmMain_BackUp::mnuAbout_Click() {
    vb::Quiet([&] {
        frmAbout about(this);
        about.ShowModal();
    });
}

void frmMain_BackUp::Label32_Click() { OpenProductPage(); }
void frmMain_BackUp::lblNRVHome_Click() { OpenProductPage(); }

// Shows the error log with the desktop's viewer for text files, or in a
// window of the program's own where there is none; only a log that was shown
// turns the indicator back to green.
void frmMain_BackUp::lblError_Click() {
    vb::Handler h(QStringLiteral("cmdShowLog_Click of Formular FrmMain"));
    bool shown = false;
    h.Next(10, [&] {
        shown = platform::ShellOpen(ErrorLogPath()) ||
                platform::ShowTextFile(ProgramName + QStringLiteral(" - error.log"), ErrorLogPath());
        if (!shown)
            vb::Raise(53);
    });
    if (!shown)
        return;
    h.Next(20, [&] { ErrorIndicator->setBackColor(0xFF00); });
    h.Next(30, [&] { lblError->hide(); });
}

// The error report: the error log and pictures of the window's tabs in
// "..\Common\error.zip", then the page on which the user sends it. Only the
// log and the pictures of this window go in; the pictures are deleted.
void frmMain_BackUp::Label7_Click() {
    vb::Handler h(QStringLiteral("Label7_Click of Formular FrmMain"));
    h.Try([&] {
        const QString common = platform::ProgramFolder() + QStringLiteral("\\..\\Common\\");
        auto zip = std::make_unique<platform::ZipArchiveComponent>();
        h.Erl = 20;
        zip->Create(common + QStringLiteral("error.zip"));
        h.Erl = 30;
        zip->Files().AddFileByName(ErrorLogPath(), 8, false, true);
        int T = 0;
        for (int N = 0; N <= 7; ++N) {
            h.Erl = 40 + N;
            const bool shot = T < SSTab1->count() && SSTab1->TabVisible(T);
            if (shot)
                SSTab1->setTab(T);
            repaint();
            vb::DoEvents();
            const QString file = common + QStringLiteral("tmp") + QString::number(N) + QStringLiteral(".bmp");
            switch (N) {
            case 0:
            case 1:
            case 2:
                T = N + 1;
                break;
            case 3:
                cmdSetupMedia_Click();
                break;
            case 4:
                cmdSetupEmail_Click();
                break;
            case 5:
                cmdSetupFTP_Click();
                T = 4;
                break;
            case 6:
                T = 5;
                break;
            case 7:
                SSTab2->setTab(0);
                break;
            }
            if (shot) {
                repaint();
                vb::DoEvents();
                Capture_Desktop(file, this);
                if (QFile::exists(platform::ToHost(file))) {
                    zip->Files().AddFileByName(file, 8, false, true);
                    QFile::remove(platform::ToHost(file));
                }
            }
        }
        h.Erl = 50;
        zip->Close();
        zip.reset();
        h.Erl = 60;
        SSTab1->setTab(0);
    });
    vb::Quiet([] { platform::ShellOpen(MakerPage(QStringLiteral("/nrv/support/BugReport.htm"))); });
}

// The developer's button: the window's captions and tool tips for a
// translation, beside the program.
void frmMain_BackUp::Command1_Click() {
    vb::Quiet([&] {
        const QString folder = platform::ProgramFolderHost();
        WriteLanguageDump(this, folder + QStringLiteral("/vaultora.eng"), folder + QStringLiteral("/vaultora2.tmp"));
    });
}

void frmMain_BackUp::Dump_Language_File() {
    vb::Quiet([&] { AppendLanguagePropertyDump(this, platform::ProgramFolderHost() + QStringLiteral("/vaultora.eng")); });
}
