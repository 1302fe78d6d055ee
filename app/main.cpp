// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QStringList>
#include <QThreadPool>
#include <algorithm>

#include "common/AppInstance.h"
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/RunOutcome.h"
#include "destinations/MailNotice.h"
#include "platform/Paths.h"
#include "platform/TerminationRequest.h"
#include "platform/UnseenWindows.h"
#include "run/Vaultora_Main.h"
#include "ui/frmMain_BackUp.h"

int main(int argc, char** argv) {
    // Without a display the program runs on the offscreen platform, so that a
    // scheduled "/run" needs no desktop.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // The command-line tail as one text: the arguments joined by blanks.
    QStringList tail;
    for (int i = 1; i < argc; ++i)
        tail << QString::fromLocal8Bit(argv[i]);

    QApplication app(argc, argv);
    // The program ends through its exit sequence only: closing the last
    // visible window (a message box while the main window sits in the tray,
    // or a modal window while the main window is hidden) is no way out.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's raster engine hands every large fill to the global thread pool: the
    // first paint of the window would start a thread per core and wake them
    // all for each fill. The program's windows are small, so one helper paints
    // them as fast at a fraction of the cost. Nothing else uses that pool.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    // Without a display the windows are not painted at all.
    const platform::UnseenWindows unseen;
    platform::InstallPathLayer();
    InstallErrorLog();
    SetCommand(tail.join(QLatin1Char(' ')));

    // The session ending (log-out, shutdown, a stop request) closes the
    // program as its window's closing would: a run in progress is cancelled
    // and the settings are saved, unless this start is an unattended run.
    bool endRequested = false;
    platform::OnTerminationRequest([&endRequested] {
        endRequested = true;
        CancelBackUp = true;
        QCoreApplication::quit();
    });

    Main();

    // A start that ends without its window (a refused second start, a
    // language file that cannot be loaded) tells why in its status.
    int rc = ExitStatus();
    if (fMainForm && !endRequested)
        rc = std::max(app.exec(), ExitStatus());
    WaitForMailNotice();
    if (fMainForm) {
        fMainForm->Unload();
        delete fMainForm;
    }
    ReleaseInstanceLock();
    return rc;
}
