// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/VbLocale.h"

#include <QRegularExpression>

namespace vb {
namespace {
QString plainBlanks(QString s) {
    s.replace(QChar(0x202F), QLatin1Char(' '));
    s.replace(QChar(0x00A0), QLatin1Char(' '));
    return s;
}

// Drops the time-zone field ("t") and the blanks around it.
QString withoutZone(QString pattern) {
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    pattern.replace(zone, QString());
    return pattern.trimmed();
}

// A pattern made from the date locale, made again only when that locale
// changes: a listing formats a date for every row.
struct PatternOfLocale {
    QLocale locale{QLocale::C};
    QString pattern;
    bool made = false;
    template <typename Make>
    QString get(Make make) {
        const QLocale now = DateLocale();
        if (!made || now != locale) {
            pattern = make(now);
            locale = now;
            made = true;
        }
        return pattern;
    }
};
}  // namespace

QLocale NumberLocale() { return QLocale(); }

QLocale DateLocale() {
    QLocale l;
    if (l.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return l;
}

QString DecimalPoint() { return NumberLocale().decimalPoint(); }
QString GroupSeparator() { return NumberLocale().groupSeparator(); }

QString ShortDatePattern() {
    thread_local PatternOfLocale cache;
    return cache.get([](const QLocale& l) {
        QString p = plainBlanks(l.dateFormat(QLocale::ShortFormat));
        if (!p.contains(QLatin1String("yyyy")))
            p.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        return p;
    });
}

QString LongDatePattern() { return plainBlanks(DateLocale().dateFormat(QLocale::LongFormat)); }

QString LongTimePattern() {
    thread_local PatternOfLocale cache;
    return cache.get([](const QLocale& l) {
        QString p = withoutZone(plainBlanks(l.timeFormat(QLocale::LongFormat)));
        if (!p.contains(QLatin1Char('s'))) {
            const int m = p.lastIndexOf(QLatin1String("mm"));
            if (m >= 0)
                p.insert(m + 2, QLatin1String(":ss"));
        }
        return p;
    });
}

QString ShortTimePattern() { return QStringLiteral("HH:mm"); }

QString DateSeparator() {
    const QString p = ShortDatePattern();
    for (QChar c : p)
        if (!c.isLetter() && c != QLatin1Char('\''))
            return QString(c);
    return QStringLiteral("/");
}

QString TimeSeparator() {
    const QString p = LongTimePattern();
    for (QChar c : p)
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\''))
            return QString(c);
    return QStringLiteral(":");
}

DateOrder UserDateOrder() {
    const QString p = ShortDatePattern();
    const int d = p.indexOf(QLatin1Char('d')), m = p.indexOf(QLatin1Char('M')), y = p.indexOf(QLatin1Char('y'));
    if (y >= 0 && y < m && y < d)
        return DateOrder::YMD;
    if (d >= 0 && d < m)
        return DateOrder::DMY;
    return DateOrder::MDY;
}

QString AmText() { return DateLocale().amText(); }
QString PmText() { return DateLocale().pmText(); }

}  // namespace vb
