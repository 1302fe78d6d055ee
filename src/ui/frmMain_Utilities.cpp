// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's small services: the about box, the web-page labels, the
// error-log view and the error report.
#include "ui/frmAbout.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"

void frmMain_BackUp::mnuAbout_Click() {
    vb::Quiet([&] {
        frmAbout about(this);
        about.ShowModal();
    });
}
