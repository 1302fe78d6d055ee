// SPDX-License-Identifier: GPL-3.0-or-later
// Drives one run of the main window in copy mode (one source entry per
// folder, the folder structure kept) or in synchronisation mode (the whole
// tree, one way), offscreen, and prints its wall time in seconds.
//   bench_copysync copy|sync <source folder> <destination folder> <temp folder>
// Host paths. The program folder comes from VAULTORA_PROGRAM_DIR.
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <cstdio>

#include "../BenchSession.h"

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "platform/Paths.h"
#include "ui/frmMain_BackUp.h"

int main(int argc, char** argv) {
    if (argc != 5 || (qstrcmp(argv[1], "copy") != 0 && qstrcmp(argv[1], "sync") != 0)) {
        std::fprintf(stderr, "usage: bench_copysync copy|sync <source> <destination> <temp>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!bench::StartSession())
        return 2;
    const bool copy = qstrcmp(argv[1], "copy") == 0;
    const QString source = QString::fromLocal8Bit(argv[2]);
    const QString destination = QString::fromLocal8Bit(argv[3]);
    frmMain_BackUp form;
    form.cmbProfiles->setText(QStringLiteral("Bench"));
    form.optBuMode(copy ? 1 : 2)->setValue(true);
    form.optComplete->setValue(true);
    for (ui::VbCheckBox* c : {form.chkFTP, form.chkSendEmail, form.chkUseCDRecorder, form.chkHiddenFolders,
                              form.chkInclRegistry, form.chkShutdown, form.chkSound, form.chkRunBefore,
                              form.chkRunAfter, form.chkSyncBothDirections})
        c->setValue(0);
    for (ui::VbCheckBox* c : {form.chkMedia, form.chkInclSubDirStruct, form.chkResetArchiveBit, form.chkSyncSubDirs})
        c->setValue(1);
    form.txtPathBackUp->setText(platform::ToWindows(destination));
    form.txtPathTemp->setText(platform::ToWindows(QString::fromLocal8Bit(argv[4])));
    form.txtSpareSpace->setText(QStringLiteral("0"));
    form.txtSourceSync->setText(platform::ToWindows(source));
    form.txtDestinySync->setText(platform::ToWindows(destination));
    form.List1->Clear();
    if (copy) {
        bench::ListFolderTree(form, source, false);
    }

    bench::TimedRun(form);
    return 0;
}
