// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "vb/VbLocale.h"

namespace vb {
namespace {
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0xA0); }

bool isSpaceLike(const QString& sep) {
    return sep == QStringLiteral(" ") || sep == QString(QChar(0xA0)) || sep == QString(QChar(0x202F));
}

std::optional<double> parseRadix(QStringView digits, int radix) {
    if (digits.isEmpty())
        return std::nullopt;
    quint64 v = 0;
    int significant = 0;
    for (QChar c : digits) {
        const int d = c.isDigit() ? c.digitValue() : (c.toLower().unicode() >= 'a' && c.toLower().unicode() <= 'f' ? c.toLower().unicode() - 'a' + 10 : 99);
        if (d >= radix)
            return std::nullopt;
        if (v || d)
            ++significant;
        v = v * radix + d;
        if (v > 0xFFFFFFFFull)
            return std::nullopt;
    }
    // Like VB's literals: up to 16 bits an Integer, then a Long.
    const bool fitsInteger = radix == 16 ? significant <= 4 : v <= 0xFFFF;
    if (fitsInteger && v <= 0xFFFF)
        return double(qint16(quint16(v)));
    return double(qint32(quint32(v)));
}
}  // namespace

std::optional<double> ParseLocaleNumber(const QString& text) {
    QStringView s(text);
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    if (s.isEmpty())
        return std::nullopt;

    if (s.size() > 2 && s[0] == QLatin1Char('&')) {
        const QChar k = s[1].toUpper();
        if (k == QLatin1Char('H'))
            return parseRadix(s.mid(2), 16);
        if (k == QLatin1Char('O'))
            return parseRadix(s.mid(2), 8);
        return std::nullopt;
    }

    const QLocale loc = NumberLocale();
    const QString point = loc.decimalPoint();
    const QString group = loc.groupSeparator();
    QString currency = loc.currencySymbol();
    if (currency.isEmpty())
        currency = DateLocale().currencySymbol();

    bool negative = false;
    if (s.front() == QLatin1Char('(') && s.back() == QLatin1Char(')')) {
        negative = true;
        s = s.mid(1, s.size() - 2);
    }
    auto skipCurrency = [&](QStringView& v) {
        if (!currency.isEmpty() && v.startsWith(currency))
            v = v.mid(currency.size());
        while (!v.isEmpty() && isBlank(v.front()))
            v = v.mid(1);
    };
    skipCurrency(s);
    if (!s.isEmpty() && (s.front() == QLatin1Char('-') || s.front() == QLatin1Char('+'))) {
        if (s.front() == QLatin1Char('-')) {
            if (negative)
                return std::nullopt;
            negative = true;
        }
        s = s.mid(1);
    }
    skipCurrency(s);
    if (!currency.isEmpty() && s.endsWith(currency)) {
        s.chop(currency.size());
        while (!s.isEmpty() && isBlank(s.back()))
            s.chop(1);
    }

    std::string c;  // the number in C form for from_chars
    qsizetype i = 0;
    int mantissaDigits = 0;
    for (; i < s.size(); ++i) {
        const QChar ch = s[i];
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            c += char(ch.unicode());
            ++mantissaDigits;
        } else if (mantissaDigits > 0 && !group.isEmpty() && s.mid(i).startsWith(group) && group != point) {
            i += group.size() - 1;
        } else if (mantissaDigits > 0 && isSpaceLike(group) && ch == QLatin1Char(' ')) {
            // a plain blank where the locale groups with a no-break space
        } else {
            break;
        }
    }
    if (s.mid(i).startsWith(point)) {
        c += '.';
        i += point.size();
        for (; i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i) {
            c += char(s[i].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i].toUpper() == QLatin1Char('E') || s[i].toUpper() == QLatin1Char('D'))) {
        qsizetype j = i + 1;
        std::string e = "e";
        if (j < s.size() && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            e += char(s[j++].unicode());
        int expDigits = 0;
        for (; j < s.size() && s[j] >= QLatin1Char('0') && s[j] <= QLatin1Char('9'); ++j, ++expDigits)
            e += char(s[j].unicode());
        if (expDigits == 0)
            return std::nullopt;
        c += e;
        i = j;
    }
    if (i != s.size())
        return std::nullopt;
    double v = 0;
    auto [ptr, ec] = std::from_chars(c.data(), c.data() + c.size(), v);
    if (ec == std::errc::result_out_of_range)
        v = HUGE_VAL;
    else if (ec != std::errc())
        return std::nullopt;
    return negative ? -v : v;
}

namespace {
QString gText(double value, int digits, const QString& decimalPoint) {
    if (value == 0)
        return QStringLiteral("0");
    // printf's "%.*G" (to_chars gives its digits at a fraction of the cost:
    // a run counts every file in a text box), with its capitals.
    char buf[64];
    char* end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits).ptr;
    for (char* c = buf; c != end; ++c)
        if (*c >= 'a' && *c <= 'z')
            *c = char(*c - 'a' + 'A');
    QString s = QString::fromLatin1(buf, end - buf);
    if (decimalPoint != QLatin1String("."))
        s.replace(QLatin1Char('.'), decimalPoint);
    return s;
}
}  // namespace

QString NumberText(double value, const QString& decimalPoint) { return gText(value, 15, decimalPoint); }
QString SingleText(float value, const QString& decimalPoint) { return gText(value, 7, decimalPoint); }

}  // namespace vb
