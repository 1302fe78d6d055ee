// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ArchiveNaming.h"

namespace archive_naming {
namespace {

QString FileNamePart(const QString& path) {
    const int cut = int(path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? path : path.mid(cut + 1);
}

}  // namespace

int WeekNumber(const QDate& day) {
    const QDate first(day.year(), 1, 1);
    const int firstWeekday = first.dayOfWeek() % 7;  // Sunday 0 ... Saturday 6
    return (day.dayOfYear() - 1 + firstWeekday) / 7 + 1;
}

QString PeriodPart(int period, const QDate& day) {
    switch (period) {
    case Weekly:
        return QStringLiteral("_BackUp_w%1%2")
            .arg(day.year(), 4, 10, QLatin1Char('0'))
            .arg(WeekNumber(day));
    case Monthly:
        return QStringLiteral("_BackUp_m") + day.toString(QStringLiteral("yyyyMM"));
    default:
        return QStringLiteral("_BackUp_d") + day.toString(QStringLiteral("yyyyMMdd"));
    }
}

QString BaseName(const QString& profile, int period, const QDate& day) {
    return profile + PeriodPart(period, day) + QStringLiteral(".zip");
}

QString VolumeName(const QString& baseName, int volume) {
    QString stem = baseName;
    if (stem.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        stem.chop(4);
    return stem + QStringLiteral("__") + QString::number(volume) + QStringLiteral(".zip");
}

int VolumeNumber(const QString& fileNameOrPath) {
    QString name = FileNamePart(fileNameOrPath);
    if (name.endsWith(QLatin1String(".cry")))
        name.chop(4);
    if (!name.endsWith(QLatin1String(".zip")))
        return 0;
    name.chop(4);
    const int mark = int(name.lastIndexOf(QLatin1String("__")));
    return mark < 0 ? 0 : ListedVolume(name, name.left(mark), QString());
}

int ListedVolume(const QString& name, const QString& stem, const QString& suffix) {
    const QString head = stem + QStringLiteral("__");
    if (name.size() <= head.size() + suffix.size() || !name.startsWith(head) || !name.endsWith(suffix))
        return 0;
    const QString digits = name.mid(head.size(), name.size() - head.size() - suffix.size());
    qint64 n = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        n = n * 10 + (c.unicode() - '0');
        if (n > kMaxVolume)
            return 0;
    }
    return int(n);
}

QString Comment() {
    return QStringLiteral("Archiv created with n.r.v Vaultora %1.%2")
        .arg(VAULTORA_VERSION_MAJOR)
        .arg(VAULTORA_VERSION_MINOR);
}

}  // namespace archive_naming
