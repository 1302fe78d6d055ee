// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the benchmark drivers share: the program's services set up as main()
// sets them up, a source entry per folder of a tree, and the timed run.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "settings/Statistics.h"
#include "ui/frmMain_BackUp.h"

namespace bench {

// After the QApplication exists: path layer, error log, identity, English texts.
inline bool StartSession() {
    platform::InstallPathLayer();
    InstallErrorLog();
    ProgramName = QStringLiteral("Vaultora");
    GetPCInfos();
    return set_language(QStringLiteral("english.lng"));
}

// One ticked "<folder>\*.*" entry for the source folder and each folder below it.
inline void ListFolderTree(frmMain_BackUp& form, const QString& source, bool withHidden) {
    QStringList folders{source};
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (withHidden)
        filters |= QDir::Hidden;
    QDirIterator it(source, filters, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders << it.next();
    folders.sort();
    for (const QString& folder : folders) {
        form.List1->AddItem(platform::ToWindows(folder) + QStringLiteral("\\*.*"));
        form.List1->setSelected(form.List1->ListCount() - 1, true);
    }
}

// Shows the window with fresh statistics and no scripted answers, then runs
// the backup; its wall time in seconds goes to stdout, the counters to stderr.
inline void TimedRun(frmMain_BackUp& form) {
    Load_Statistics();
    platform::Dialogs::scriptAnswers({});
    form.show();
    QElapsedTimer t;
    t.start();
    form.cmdBackUpNow();
    std::printf("%.3f\n", double(t.elapsed()) / 1000.0);
    std::fprintf(stderr, "%s files, %s Mb\n", qPrintable(form.txtTotalFiles->Text()),
                 qPrintable(form.txtTotalSize->Text()));
}

}  // namespace bench
