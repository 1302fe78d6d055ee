// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/Format.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/NumberText.h"
#include "vb/VbLocale.h"

namespace vb {
namespace {

// ---- numbers -------------------------------------------------------------

struct Digits {
    std::string whole;     // no leading zeros, "" for zero
    std::string fraction;  // exactly the asked number of places
};

// |value| to `places` decimals, half away from zero, on the number's first
// 15 significant digits (what VB works with).
Digits digitsOf(double value, int places) {
    Digits d;
    const double a = std::fabs(value);
    if (a == 0 || !std::isfinite(a)) {
        d.fraction.assign(size_t(places), '0');
        return d;
    }
    // The same digits as printf's "%.14e" (both round the exact value),
    // without its cost: counters are formatted for every file of a run.
    char buf[48];
    *std::to_chars(buf, buf + sizeof buf - 1, a, std::chars_format::scientific, 14).ptr = '\0';
    std::string mant;
    mant += buf[0];
    mant.append(buf + 2, 14);
    const int exp = std::atoi(std::strchr(buf, 'e') + 1);
    int wholeLen = exp + 1;
    std::string all;
    if (wholeLen <= 0) {
        all = std::string(size_t(-wholeLen), '0') + mant;
        wholeLen = 0;
    } else if (wholeLen >= int(mant.size())) {
        all = mant + std::string(size_t(wholeLen) - mant.size(), '0');
    } else {
        all = mant;
    }
    const size_t keep = size_t(wholeLen + places);
    if (all.size() > keep) {
        const bool up = all[keep] >= '5';
        all.resize(keep);
        if (up) {
            ptrdiff_t i = ptrdiff_t(keep) - 1;
            while (i >= 0 && all[size_t(i)] == '9')
                all[size_t(i--)] = '0';
            if (i < 0) {
                all.insert(all.begin(), '1');
                ++wholeLen;
            } else {
                ++all[size_t(i)];
            }
        }
    } else {
        all.append(keep - all.size(), '0');
    }
    d.whole = all.substr(0, size_t(wholeLen));
    d.fraction = all.substr(size_t(wholeLen));
    const size_t nz = d.whole.find_first_not_of('0');
    d.whole = nz == std::string::npos ? std::string() : d.whole.substr(nz);
    return d;
}

Digits digitsOf(qint64 value, int places) {
    Digits d;
    const quint64 a = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    if (a)
        d.whole = std::to_string(a);
    d.fraction.assign(size_t(places), '0');
    return d;
}

struct Item {
    enum Kind { Literal, Zero, Hash, Point, Percent } kind;
    QString text;
    bool inFraction;
    Item(Kind k, QString t = {}, bool f = false) : kind(k), text(std::move(t)), inFraction(f) {}
};

struct Section {
    std::vector<Item> items;
    bool grouping = false;
    bool percent = false;
    int wholeSlots = 0, fractionSlots = 0;
    int minWhole = 0, minFraction = 0;
};

QStringList splitSections(const QString& pattern) {
    QStringList out;
    QString cur;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            cur += c;
            cur += pattern[++i];
            continue;
        }
        if (!quoted && c == QLatin1Char(';')) {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

Section parseSection(const QString& p) {
    Section s;
    bool inFraction = false;
    std::vector<qsizetype> commas;  // item positions of commas in the whole part
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QChar c = p[i];
        if (c == QLatin1Char('"')) {
            const qsizetype end = p.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = end < 0 ? p.size() : end;
            s.items.push_back({Item::Literal, p.mid(i + 1, stop - i - 1)});
            i = stop;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < p.size())
                s.items.push_back({Item::Literal, QString(p[++i])});
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            Item it(c == QLatin1Char('0') ? Item::Zero : Item::Hash, {}, inFraction);
            s.items.push_back(it);
            if (inFraction) {
                ++s.fractionSlots;
                if (it.kind == Item::Zero)
                    s.minFraction = s.fractionSlots;
            } else {
                ++s.wholeSlots;
            }
        } else if (c == QLatin1Char('.') && !inFraction) {
            inFraction = true;
            s.items.push_back({Item::Point});
        } else if (c == QLatin1Char(',') && !inFraction) {
            commas.push_back(qsizetype(s.wholeSlots));
        } else if (c == QLatin1Char('%')) {
            s.percent = true;
            s.items.push_back({Item::Percent, QStringLiteral("%")});
        } else {
            s.items.push_back({Item::Literal, QString(c)});
        }
    }
    // A comma with digit places on both sides turns on the grouping.
    for (qsizetype slotsBefore : commas)
        if (slotsBefore > 0 && slotsBefore < s.wholeSlots)
            s.grouping = true;
    int idx = 0;
    for (const Item& it : s.items) {
        if (it.inFraction || (it.kind != Item::Zero && it.kind != Item::Hash))
            continue;
        if (it.kind == Item::Zero) {
            s.minWhole = s.wholeSlots - idx;
            break;
        }
        ++idx;
    }
    return s;
}

template <class T>
QString formatSection(T value, const Section& s, bool withSign) {
    const QString point = DecimalPoint();
    const QString group = s.grouping ? GroupSeparator() : QString();
    Digits d;
    if constexpr (std::is_same_v<T, double>)
        d = digitsOf(s.percent ? value * 100 : value, s.fractionSlots);
    else
        d = s.percent ? digitsOf(double(value) * 100, s.fractionSlots) : digitsOf(value, s.fractionSlots);

    std::string frac = d.fraction;
    while (int(frac.size()) > s.minFraction && frac.back() == '0')
        frac.pop_back();
    std::string whole = d.whole;
    if (int(whole.size()) < s.minWhole)
        whole.insert(0, size_t(s.minWhole) - whole.size(), '0');
    const bool nonZero = d.whole.find_first_not_of('0') != std::string::npos ||
                         d.fraction.find_first_not_of('0') != std::string::npos;

    QString out;
    out.reserve(qsizetype(whole.size() + frac.size()) * 2 + 8);
    auto emitDigit = [&](size_t k) {  // k: index in `whole` from the left
        out += QLatin1Char(whole[k]);
        const size_t fromRight = whole.size() - 1 - k;
        if (s.grouping && fromRight > 0 && fromRight % 3 == 0)
            out += group;
    };
    const int nSlots = s.wholeSlots;
    const size_t extra = whole.size() > size_t(nSlots) ? whole.size() - size_t(nSlots) : 0;
    int slotNo = 0, fracSlot = 0;
    bool wholeDone = false;
    for (const Item& it : s.items) {
        switch (it.kind) {
        case Item::Literal:
        case Item::Percent:
            out += it.text;
            break;
        case Item::Point:
            if (nSlots == 0 && !wholeDone) {
                for (size_t k = 0; k < whole.size(); ++k)
                    emitDigit(k);
                wholeDone = true;
            }
            out += point;
            break;
        case Item::Zero:
        case Item::Hash:
            if (it.inFraction) {
                if (size_t(fracSlot) < frac.size())
                    out += QLatin1Char(frac[size_t(fracSlot)]);
                ++fracSlot;
                break;
            }
            if (slotNo == 0)
                for (size_t k = 0; k < extra; ++k)
                    emitDigit(k);
            {
                const size_t fromRight = size_t(nSlots - 1 - slotNo);
                if (fromRight < whole.size())
                    emitDigit(whole.size() - 1 - fromRight);
            }
            if (++slotNo == nSlots)
                wholeDone = true;
            break;
        }
    }
    if (!wholeDone && nSlots == 0 && !whole.empty()) {
        for (size_t k = 0; k < whole.size(); ++k)
            emitDigit(k);
    }
    if (withSign && nonZero)
        out.prepend(QLatin1Char('-'));
    return out;
}

// A number pattern as read: its sections (positive, negative, zero; a
// missing or empty one is absent), or one of the named formats that are not
// patterns.
struct NumberPattern {
    enum Kind { Sections, Plain, GeneralNumber } kind = Sections;
    Section positive;
    std::optional<Section> negative, zero;
};

NumberPattern readNumberPattern(const QString& pattern) {
    NumberPattern out;
    QString p = pattern;
    const QString named = pattern.trimmed().toLower();
    if (named.isEmpty()) {
        out.kind = NumberPattern::Plain;
        return out;
    }
    if (named == QLatin1String("general number")) {
        out.kind = NumberPattern::GeneralNumber;
        return out;
    }
    if (named == QLatin1String("fixed"))
        p = QStringLiteral("0.00");
    else if (named == QLatin1String("standard"))
        p = QStringLiteral("#,##0.00");
    else if (named == QLatin1String("percent"))
        p = QStringLiteral("0.00%");
    const QStringList sections = splitSections(p);
    out.positive = parseSection(sections[0]);
    if (sections.size() >= 2 && !sections[1].isEmpty())
        out.negative = parseSection(sections[1]);
    if (sections.size() >= 3 && !sections[2].isEmpty())
        out.zero = parseSection(sections[2]);
    return out;
}

// The patterns used last, read once: a run formats its counters with the
// same few patterns for every file.
const NumberPattern& numberPattern(const QString& pattern) {
    struct Cached {
        QString text;
        NumberPattern read;
    };
    thread_local std::vector<Cached> cache;
    thread_local size_t nextSlot = 0;
    constexpr size_t kSlots = 8;
    for (const Cached& c : cache)
        if (c.text == pattern)
            return c.read;
    Cached fresh{pattern, readNumberPattern(pattern)};
    if (cache.size() < kSlots) {
        cache.push_back(std::move(fresh));
        return cache.back().read;
    }
    Cached& slot = cache[nextSlot];
    nextSlot = (nextSlot + 1) % kSlots;
    slot = std::move(fresh);
    return slot.read;
}

template <class T>
QString formatNumber(T value, const QString& pattern) {
    const NumberPattern& p = numberPattern(pattern);
    if (p.kind == NumberPattern::Plain)
        return CStr(value);
    if (p.kind == NumberPattern::GeneralNumber)
        return NumberText(double(value), DecimalPoint());
    const bool negative = value < 0;
    if (negative && p.negative)
        return formatSection(value, *p.negative, false);
    if (value == 0 && p.zero)
        return formatSection(value, *p.zero, false);
    return formatSection(value, p.positive, negative);
}

// ---- dates ---------------------------------------------------------------

struct DateToken {
    enum Kind {
        Literal, Day, Day2, DayAbbr, DayName, ShortDate, LongDate, Weekday, WeekOfYear, Month, Month2,
        MonthAbbr, MonthName, Quarter, DayOfYear, Year2, Year4, Hour, Hour2, Minute, Minute2, Second,
        Second2, LongTime, General, AmPmUpper, AmPmLower, APUpper, APLower, AmPmLocale
    } kind;
    QString text;
    DateToken(Kind k, QString t = {}) : kind(k), text(std::move(t)) {}
};

bool isTimeUnit(DateToken::Kind k) { return k == DateToken::Hour || k == DateToken::Hour2; }
bool isSecondUnit(DateToken::Kind k) { return k == DateToken::Second || k == DateToken::Second2; }

std::vector<DateToken> tokenizeDate(const QString& p) {
    std::vector<DateToken> t;
    auto run = [&](qsizetype i) {
        qsizetype n = 1;
        while (i + n < p.size() && p[i + n].toLower() == p[i].toLower())
            ++n;
        return n;
    };
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        const QChar l = c.toLower();
        if (c == QLatin1Char('"')) {
            const qsizetype end = p.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = end < 0 ? p.size() : end;
            t.push_back({DateToken::Literal, p.mid(i + 1, stop - i - 1)});
            i = stop + 1;
            continue;
        }
        if (c == QLatin1Char('\\')) {
            if (i + 1 < p.size())
                t.push_back({DateToken::Literal, QString(p[i + 1])});
            i += 2;
            continue;
        }
        if (c == QLatin1Char('/')) {
            t.push_back({DateToken::Literal, DateSeparator()});
            ++i;
            continue;
        }
        if (c == QLatin1Char(':')) {
            t.push_back({DateToken::Literal, TimeSeparator()});
            ++i;
            continue;
        }
        const QStringView rest = QStringView(p).mid(i);
        if (rest.startsWith(QLatin1String("AM/PM"))) {
            t.push_back({DateToken::AmPmUpper});
            i += 5;
            continue;
        }
        if (rest.startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive)) {
            t.push_back({DateToken::AmPmLower});
            i += 5;
            continue;
        }
        if (rest.startsWith(QLatin1String("A/P"))) {
            t.push_back({DateToken::APUpper});
            i += 3;
            continue;
        }
        if (rest.startsWith(QLatin1String("a/p"), Qt::CaseInsensitive)) {
            t.push_back({DateToken::APLower});
            i += 3;
            continue;
        }
        if (rest.startsWith(QLatin1String("ampm"), Qt::CaseInsensitive)) {
            t.push_back({DateToken::AmPmLocale});
            i += 4;
            continue;
        }
        const qsizetype n = run(i);
        DateToken::Kind k = DateToken::Literal;
        qsizetype used = n;
        switch (l.unicode()) {
        case 'd':
            k = n == 1 ? DateToken::Day : n == 2 ? DateToken::Day2 : n == 3 ? DateToken::DayAbbr
              : n == 4 ? DateToken::DayName : n == 5 ? DateToken::ShortDate : DateToken::LongDate;
            used = std::min<qsizetype>(n, 6);
            break;
        case 'w':
            k = n == 1 ? DateToken::Weekday : DateToken::WeekOfYear;
            used = std::min<qsizetype>(n, 2);
            break;
        case 'm':
            k = n == 1 ? DateToken::Month : n == 2 ? DateToken::Month2 : n == 3 ? DateToken::MonthAbbr : DateToken::MonthName;
            used = std::min<qsizetype>(n, 4);
            break;
        case 'n':
            k = n == 1 ? DateToken::Minute : DateToken::Minute2;
            used = std::min<qsizetype>(n, 2);
            break;
        case 'q':
            k = DateToken::Quarter;
            used = 1;
            break;
        case 'y':
            k = n == 1 ? DateToken::DayOfYear : n == 2 ? DateToken::Year2 : DateToken::Year4;
            used = n >= 3 ? std::min<qsizetype>(n, 4) : n;
            break;
        case 'h':
            k = n == 1 ? DateToken::Hour : DateToken::Hour2;
            used = std::min<qsizetype>(n, 2);
            break;
        case 's':
            k = n == 1 ? DateToken::Second : DateToken::Second2;
            used = std::min<qsizetype>(n, 2);
            break;
        case 'c':
            k = DateToken::General;
            used = 1;
            break;
        case 't':
            if (n >= 5) {
                k = DateToken::LongTime;
                used = 5;
            } else {
                used = 1;
            }
            break;
        default:
            used = 1;
            break;
        }
        t.push_back({k, k == DateToken::Literal ? p.mid(i, used) : QString()});
        i += used;
    }
    // "m"/"mm" next to an hour or a second field stands for the minutes.
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != DateToken::Month && t[i].kind != DateToken::Month2)
            continue;
        bool minute = false;
        for (size_t j = i; j-- > 0;)
            if (t[j].kind != DateToken::Literal) {
                minute = isTimeUnit(t[j].kind);
                break;
            }
        for (size_t j = i + 1; !minute && j < t.size(); ++j)
            if (t[j].kind != DateToken::Literal) {
                minute = isSecondUnit(t[j].kind);
                break;
            }
        if (minute)
            t[i].kind = t[i].kind == DateToken::Month ? DateToken::Minute : DateToken::Minute2;
    }
    return t;
}

int weekOfYear(const QDate& d) {
    const int jan1 = QDate(d.year(), 1, 1).dayOfWeek() % 7;  // Sunday 0
    return (d.dayOfYear() - 1 + jan1) / 7 + 1;
}

QString two(int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); }

QString formatDate(const QDateTime& v, const QString& pattern) {
    const QString named = pattern.trimmed().toLower();
    const QLocale loc = DateLocale();
    if (named.isEmpty() || named == QLatin1String("general date"))
        return GeneralDateText(v);
    if (named == QLatin1String("short date"))
        return ShortDateText(v.date());
    if (named == QLatin1String("long date"))
        return loc.toString(v.date(), LongDatePattern());
    if (named == QLatin1String("medium date"))
        return formatDate(v, QStringLiteral("dd-mmm-yy"));
    if (named == QLatin1String("long time"))
        return LongTimeText(v.time());
    if (named == QLatin1String("medium time"))
        return formatDate(v, QStringLiteral("hh:nn AMPM"));
    if (named == QLatin1String("short time"))
        return formatDate(v, QStringLiteral("hh:nn"));

    const std::vector<DateToken> toks = tokenizeDate(pattern);
    bool twelve = false;
    for (const DateToken& t : toks)
        if (t.kind >= DateToken::AmPmUpper)
            twelve = true;
    const QDate d = v.date();
    const QTime tm = v.time();
    int hour = tm.hour();
    if (twelve) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    const bool pm = tm.hour() >= 12;
    QString out;
    for (const DateToken& t : toks) {
        switch (t.kind) {
        case DateToken::Literal: out += t.text; break;
        case DateToken::Day: out += QString::number(d.day()); break;
        case DateToken::Day2: out += two(d.day()); break;
        case DateToken::DayAbbr: out += loc.dayName(d.dayOfWeek(), QLocale::ShortFormat); break;
        case DateToken::DayName: out += loc.dayName(d.dayOfWeek(), QLocale::LongFormat); break;
        case DateToken::ShortDate: out += ShortDateText(d); break;
        case DateToken::LongDate: out += loc.toString(d, LongDatePattern()); break;
        case DateToken::Weekday: out += QString::number(d.dayOfWeek() % 7 + 1); break;
        case DateToken::WeekOfYear: out += QString::number(weekOfYear(d)); break;
        case DateToken::Month: out += QString::number(d.month()); break;
        case DateToken::Month2: out += two(d.month()); break;
        case DateToken::MonthAbbr: out += loc.monthName(d.month(), QLocale::ShortFormat); break;
        case DateToken::MonthName: out += loc.monthName(d.month(), QLocale::LongFormat); break;
        case DateToken::Quarter: out += QString::number((d.month() - 1) / 3 + 1); break;
        case DateToken::DayOfYear: out += QString::number(d.dayOfYear()); break;
        case DateToken::Year2: out += two(d.year() % 100); break;
        case DateToken::Year4: out += QString::number(d.year()).rightJustified(4, QLatin1Char('0')); break;
        case DateToken::Hour: out += QString::number(hour); break;
        case DateToken::Hour2: out += two(hour); break;
        case DateToken::Minute: out += QString::number(tm.minute()); break;
        case DateToken::Minute2: out += two(tm.minute()); break;
        case DateToken::Second: out += QString::number(tm.second()); break;
        case DateToken::Second2: out += two(tm.second()); break;
        case DateToken::LongTime: out += LongTimeText(tm); break;
        case DateToken::General: out += GeneralDateText(v); break;
        case DateToken::AmPmUpper: out += pm ? QStringLiteral("PM") : QStringLiteral("AM"); break;
        case DateToken::AmPmLower: out += pm ? QStringLiteral("pm") : QStringLiteral("am"); break;
        case DateToken::APUpper: out += pm ? QStringLiteral("P") : QStringLiteral("A"); break;
        case DateToken::APLower: out += pm ? QStringLiteral("p") : QStringLiteral("a"); break;
        case DateToken::AmPmLocale: out += pm ? PmText() : AmText(); break;
        }
    }
    return out;
}

}  // namespace

QString Format(double value, const QString& pattern) { return formatNumber(value, pattern); }
QString FormatInteger(qint64 value, const QString& pattern) { return formatNumber(value, pattern); }
QString Format(const QDateTime& value, const QString& pattern) { return formatDate(value, pattern); }
QString Format(const QDate& value, const QString& pattern) { return formatDate(QDateTime(value, QTime(0, 0)), pattern); }

}  // namespace vb
