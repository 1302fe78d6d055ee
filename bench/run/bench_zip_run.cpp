// SPDX-License-Identifier: GPL-3.0-or-later
// Drives one ZIP run of the main window over a folder tree (one source
// entry per folder), offscreen, and prints its wall time in seconds.
//   bench_zip_run <source folder> <destination folder> <temp folder>
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
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_zip_run <source> <destination> <temp>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!bench::StartSession())
        return 2;
    const QString source = QString::fromLocal8Bit(argv[1]);
    frmMain_BackUp form;
    form.cmbProfiles->setText(QStringLiteral("Bench"));
    form.optBuMode(0)->setValue(true);
    form.optArchive(0)->setValue(true);
    form.optComplete->setValue(true);
    for (ui::VbCheckBox* c : {form.chkFTP, form.chkSendEmail, form.chkUseCDRecorder, form.chkMaxZIPsize,
                              form.chkMaxFiles, form.chkSplit, form.chkAppendArchive, form.chkEncrypt,
                              form.chkDeleteArchive, form.chkHiddenFolders, form.chkInclRegistry, form.chkShutdown,
                              form.chkSound})
        c->setValue(0);
    for (ui::VbCheckBox* c : {form.chkMedia, form.chkWriteLog, form.chkOverwriteFile, form.chkResetArchiveBit})
        c->setValue(1);
    form.txtPathBackUp->setText(platform::ToWindows(QString::fromLocal8Bit(argv[2])));
    form.txtPathTemp->setText(platform::ToWindows(QString::fromLocal8Bit(argv[3])));
    form.txtSpareSpace->setText(QStringLiteral("0"));
    form.txtMaxZIPsize->setText(QStringLiteral("1000"));
    form.Slider1->setValue(6);
    form.List1->Clear();
    bench::ListFolderTree(form, source, false);

    bench::TimedRun(form);
    return 0;
}
