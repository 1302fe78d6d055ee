// SPDX-License-Identifier: GPL-3.0-or-later
// Stores a profile for the benchmark through the program's own settings code,
// so that "vaultora /run /profile:<name>" runs exactly that job:
//   bench_profile <name> zip<level>|copy|sync <source> <destination> <temp> [encrypt-password]
// Host paths. The profile file goes to the program folder (VAULTORA_PROGRAM_DIR)
// and the settings to the database of $XDG_CONFIG_HOME.
//
// Every option that would make the job do more than its peer tool (filters,
// volumes by file count, splitting, the archive bit, mail, FTP, CD, sounds) is
// switched off; the source list holds one ticked entry per folder of the tree.
#include <QApplication>
#include <QDirIterator>
#include <cstdio>

#include "BenchSession.h"

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "settings/SaveSettings.h"
#include "ui/frmMain_BackUp.h"

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: bench_profile <name> zip<level>|copy|sync <source> <destination> <temp> [password]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!bench::StartSession())
        return 2;
    const QString name = QString::fromLocal8Bit(argv[1]);
    const QString job = QString::fromLocal8Bit(argv[2]);
    const QString source = QString::fromLocal8Bit(argv[3]);
    const QString dest = QString::fromLocal8Bit(argv[4]);
    const QString temp = QString::fromLocal8Bit(argv[5]);
    int mode = 0;
    int level = 6;
    if (job.startsWith(QLatin1String("zip")) && job.size() == 4 && job.at(3).isDigit()) {
        level = job.at(3).digitValue();
    } else if (job == QLatin1String("copy")) {
        mode = 1;
    } else if (job == QLatin1String("sync")) {
        mode = 2;
    } else {
        std::fprintf(stderr, "bench_profile: unknown job %s\n", argv[2]);
        return 2;
    }
    platform::Dialogs::scriptAnswers({});

    frmMain_BackUp form;
    form.cmbProfiles->setText(name);
    form.optBuMode(mode)->setValue(true);
    form.optArchive(0)->setValue(true);
    form.optComplete->setValue(true);
    for (ui::VbCheckBox* c : {form.chkFTP, form.chkSendEmail, form.chkUseCDRecorder, form.chkMaxZIPsize,
                              form.chkMaxFiles, form.chkSplit, form.chkAppendArchive, form.chkEncrypt,
                              form.chkDeleteArchive, form.chkInclRegistry, form.chkShutdown, form.chkSound,
                              form.chkResetArchiveBit, form.chkWriteLog, form.chkExclOldFiles,
                              form.chkExclYoungFiles, form.chkExclYoungDayFiles, form.chkRunBefore,
                              form.chkRunAfter, form.chkSyncBothDirections, form.chkAddNewSub, form.chkSystray})
        c->setValue(0);
    for (ui::VbCheckBox* c : {form.chkMedia, form.chkOverwriteFile, form.chkHiddenFolders,
                              form.chkInclSubDirStruct, form.chkSyncSubDirs})
        c->setValue(1);
    form.txtExclusions->setText(QString());
    form.txtDirExclusions->setText(QString());
    form.txtInclusions->setText(QString());
    form.txtPathBackUp->setText(platform::ToWindows(dest));
    form.txtPathTemp->setText(platform::ToWindows(temp));
    form.txtSpareSpace->setText(QStringLiteral("0"));
    form.txtMaxZIPsize->setText(QStringLiteral("4000"));
    form.Slider1->setValue(level);
    form.txtSourceSync->setText(platform::ToWindows(source));
    form.txtDestinySync->setText(platform::ToWindows(dest));
    if (argc == 7) {
        form.chkEncrypt->setValue(1);
        form.txtEncryptPassword->setText(QString::fromLocal8Bit(argv[6]));
        form.chkRemeberPassword->setValue(1);
    }
    form.List1->Clear();
    if (mode != 2) {
        bench::ListFolderTree(form, source, true);
    }
    Save_Settings();
    std::printf("profile %s: %d source entries\n", qPrintable(name), form.List1->ListCount());
    return 0;
}
