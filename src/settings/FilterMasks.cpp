// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FilterMasks.h"

#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"
#include "vb/Like.h"
#include "vb/Strings.h"

FilterMaskList BackupExclusions;
FilterMaskList BackupDirExclusions;
FilterMaskList BackupInclusions;

void ParseMaskList(const QString& text, bool fileMasks, FilterMaskList& list, const QString& label) {
    vb::Handler h(label);
    QString s = text;
    h.Next(1, [&] { list.count = 0; });
    for (;;) {
        // Strip at most one ",", then one " ", then one ";" from the front.
        h.Next(2, [&] {
            if (s.startsWith(QLatin1Char(',')))
                s.remove(0, 1);
            if (s.startsWith(QLatin1Char(' ')))
                s.remove(0, 1);
            if (s.startsWith(QLatin1Char(';')))
                s.remove(0, 1);
        });
        if (s.isEmpty() || list.count >= FilterMaskList::kMaxMasks)
            return;
        list.count = static_cast<qint16>(list.count + 1);
        // A comma anywhere wins over a blank, a blank over a semicolon.
        int p = vb::InStr(s, QStringLiteral(","));
        if (p == 0)
            p = vb::InStr(s, QStringLiteral(" "));
        if (p == 0)
            p = vb::InStr(s, QStringLiteral(";"));
        if (p == 0)
            p = s.length() + 1;
        QString mask;
        h.Next(6, [&] { mask = vb::UCase(s.left(p - 1)); });
        if (fileMasks && !mask.contains(QLatin1Char('.')))
            mask.prepend(QStringLiteral("*."));
        list.slot[static_cast<size_t>(list.count)] = mask;
        if (s.length() <= p)
            return;
        s.remove(0, p);
    }
}

bool NameMatchesMaskList(const QString& name, const FilterMaskList& list) {
    const int n = qBound<int>(0, list.count, FilterMaskList::kMaxMasks);
    if (n == 0)
        return false;   // an empty list (the usual one) is asked of every file
    const QString upper = vb::UCase(name);
    for (int i = 1; i <= n; ++i) {
        if (vb::Like(upper, list.mask(i)))
            return true;
    }
    return false;
}

QString FirstUnreadableMask(const FilterMaskList& list) {
    const int n = qBound<int>(0, list.count, FilterMaskList::kMaxMasks);
    for (int i = 1; i <= n; ++i)
        if (!vb::Quiet([&] { vb::LikePattern check(list.mask(i)); }))
            return list.mask(i);
    return {};
}

void load_backup_exclusions() {
    ParseMaskList(fMainForm->txtExclusions->Text(), true, BackupExclusions,
                  QStringLiteral("load_backup_exclusions of Modul Vaultora_Sub"));
}

void load_backup_DirExclusions() {
    ParseMaskList(fMainForm->txtDirExclusions->Text(), false, BackupDirExclusions,
                  QStringLiteral("load_backup_DirExclusions of Modul Vaultora_Sub"));
}

void load_backup_inclusions() {
    ParseMaskList(fMainForm->txtInclusions->Text(), true, BackupInclusions,
                  QStringLiteral("load_backup_inclusions of Modul Vaultora_Sub"));
}
