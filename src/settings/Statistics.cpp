// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Statistics.h"

#include "common/NRV_File_Dir.h"
#include "settings/SettingsKeys.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/Format.h"
#include "vb/VbError.h"

namespace {
const QString kTotalSize = QStringLiteral("lblTotalSizeOfArchives");
const QString kBackups = QStringLiteral("lblNumberOfBackups");
const QString kLastDate = QStringLiteral("lblLastBackupDate");
const QString kAverage = QStringLiteral("lblAverageBuTime");
const QString kFiles = QStringLiteral("lblTotalNumOfFiles");
}  // namespace

void Load_Statistics() {
    frmMain_BackUp& f = *fMainForm;
    const QString folder = f.txtPathBackUp->Text();
    const qint32 count = vb::AddLong(GetFileCount(folder + QStringLiteral("\\*.zip")),
                                 GetFileCount(folder + QStringLiteral("\\*.cry")));
    f.lblAnzOfArchives->setCaption(vb::CStr(count));
    f.lblTotalSizeOfArchives->setCaption(settings::ReadProfile(kTotalSize, QStringLiteral("0")));
    f.lblNumberOfBackups->setCaption(settings::ReadProfile(kBackups, QStringLiteral("0")));
    f.lblLastBackupDate->setCaption(settings::ReadProfile(kLastDate, QStringLiteral("0")));
    f.lblAverageBuTime->setCaption(settings::ReadProfile(kAverage, QStringLiteral("0")));
    f.lblTotalNumOfFiles->setCaption(settings::ReadProfile(kFiles, QStringLiteral("0")));
}

void Save_Statistics() {
    frmMain_BackUp& f = *fMainForm;
    // 1. Total size in Mb, in general number form.
    const double size = vb::CDbl(f.lblTotalSizeOfArchives->Caption()) + vb::CDbl(f.txtTotalSize->Text());
    f.lblTotalSizeOfArchives->setCaption(vb::CStr(size));
    settings::WriteProfile(kTotalSize, f.lblTotalSizeOfArchives->Caption());
    // 2. One more run; the label keeps the old count for the average.
    settings::WriteProfile(kBackups, vb::CStr(vb::AddLong(vb::CLng(f.lblNumberOfBackups->Caption()), 1)));
    // 3. The date the run put into the label.
    settings::WriteProfile(kLastDate, f.lblLastBackupDate->Caption());
    // 4. Running mean of the run times.
    const double n = vb::CDbl(f.lblNumberOfBackups->Caption());
    if (n < 1) {
        f.lblAverageBuTime->setCaption(f.txtBackUpTime->Text());
    } else {
        const double old = vb::CDbl(f.lblAverageBuTime->Caption());
        const double mean = (n * old + vb::CLng(f.txtBackUpTime->Text())) / (n + 1);
        f.lblAverageBuTime->setCaption(vb::Format(mean, QStringLiteral("##,##0.00")));
    }
    settings::WriteProfile(kAverage, f.lblAverageBuTime->Caption());
    // 5. Total number of files.
    f.lblTotalNumOfFiles->setCaption(
        vb::CStr(vb::AddLong(vb::CLng(f.lblTotalNumOfFiles->Caption()), vb::CLng(f.txtTotalFiles->Text()))));
    settings::WriteProfile(kFiles, f.lblTotalNumOfFiles->Caption());
}

void Reset_Statistics() {
    frmMain_BackUp& f = *fMainForm;
    const struct {
        ui::VbLabel* label;
        const QString& key;
        QString value;
    } cleared[] = {{f.lblTotalSizeOfArchives, kTotalSize, QStringLiteral("0")},
                   {f.lblNumberOfBackups, kBackups, QStringLiteral("0")},
                   {f.lblLastBackupDate, kLastDate, QStringLiteral("N/A")},
                   {f.lblAverageBuTime, kAverage, QStringLiteral("0")},
                   {f.lblTotalNumOfFiles, kFiles, QStringLiteral("0")}};
    for (const auto& c : cleared) {
        c.label->setCaption(c.value);
        settings::WriteProfile(c.key, c.value);
    }
}
