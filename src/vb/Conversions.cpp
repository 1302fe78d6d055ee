// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/Conversions.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string>

#include "vb/Clock.h"
#include "vb/NumberText.h"
#include "vb/VbError.h"
#include "vb/VbLocale.h"

namespace vb {

// ---- numbers -------------------------------------------------------------

double Val(const QString& text) {
    // VB ignores blanks, tabs and line feeds anywhere in the text.
    std::string c;
    for (QChar ch : text)
        if (ch != QLatin1Char(' ') && ch != QLatin1Char('\t') && ch != QLatin1Char('\n'))
            c += ch.unicode() < 128 ? char(ch.unicode()) : '\x7f';

    if (c.size() >= 2 && c[0] == '&') {
        const char k = char(std::toupper(static_cast<unsigned char>(c[1])));
        const int radix = k == 'H' ? 16 : (k == 'O' ? 8 : 0);
        if (!radix)
            return 0;
        size_t j = 2;
        while (j < c.size() && std::isxdigit(static_cast<unsigned char>(c[j])) &&
               (radix == 16 || (c[j] >= '0' && c[j] <= '7')))
            ++j;
        const auto v = ParseLocaleNumber(QString::fromLatin1(c.data(), qsizetype(j)));
        if (j == 2)
            return 0;
        if (!v)
            Raise(errOverflow);
        return *v;
    }

    size_t i = 0;
    std::string num;
    if (i < c.size() && (c[i] == '+' || c[i] == '-'))
        num += c[i++];
    int digits = 0;
    while (i < c.size() && std::isdigit(static_cast<unsigned char>(c[i])))
        num += c[i++], ++digits;
    if (i < c.size() && c[i] == '.') {
        num += c[i++];
        while (i < c.size() && std::isdigit(static_cast<unsigned char>(c[i])))
            num += c[i++], ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < c.size() && (c[i] == 'e' || c[i] == 'E' || c[i] == 'd' || c[i] == 'D')) {
        size_t j = i + 1;
        std::string e = "e";
        if (j < c.size() && (c[j] == '+' || c[j] == '-'))
            e += c[j++];
        int ed = 0;
        while (j < c.size() && std::isdigit(static_cast<unsigned char>(c[j])))
            e += c[j++], ++ed;
        if (ed)
            num += e;
    }
    const char* b = num.data();
    if (*b == '+')
        ++b;
    double v = 0;
    auto [ptr, ec] = std::from_chars(b, num.data() + num.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Too small rounds to 0; too large is VB's overflow.
        if (std::abs(std::strtod(num.c_str(), nullptr)) >= 1)
            Raise(errOverflow);
        return 0;
    }
    return v;
}

namespace {
double numberFromText(const QString& text) {
    const auto v = ParseLocaleNumber(text);
    if (!v)
        Raise(errTypeMismatch);
    if (!std::isfinite(*v))
        Raise(errOverflow);
    return *v;
}

template <class T>
T roundChecked(double value) {
    if (!std::isfinite(value))
        Raise(errOverflow);
    const double r = std::nearbyint(value);  // the default mode: half to even
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        Raise(errOverflow);
    return T(r);
}
}  // namespace

qint16 CInt(double value) { return roundChecked<qint16>(value); }
qint16 CInt(const QString& text) { return CInt(numberFromText(text)); }
qint32 CLng(double value) { return roundChecked<qint32>(value); }
qint32 CLng(const QString& text) { return CLng(numberFromText(text)); }

qint32 AddLong(qint32 a, qint32 b) {
    qint32 sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        Raise(errOverflow);
    return sum;
}

bool CBool(double value) { return value != 0; }

bool CBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return numberFromText(text) != 0;
}

double CDbl(const QString& text) { return numberFromText(text); }

float CSng(double value) {
    if (std::isnan(value) || std::abs(value) > double(FLT_MAX))
        Raise(errOverflow);
    return float(value);
}

float CSng(const QString& text) { return CSng(numberFromText(text)); }

bool IsNumeric(const QString& text) {
    const auto v = ParseLocaleNumber(text);
    return v && std::isfinite(*v);
}

QString Str(double value) {
    QString s = NumberText(value, QStringLiteral("."));
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return value >= 0 ? QLatin1Char(' ') + s : s;
}

QString Str(float value) {
    QString s = SingleText(value, QStringLiteral("."));
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return value >= 0 ? QLatin1Char(' ') + s : s;
}

QString StrInteger(qint64 value) {
    return value >= 0 ? QLatin1Char(' ') + QString::number(value) : QString::number(value);
}

QString CStr(double value) { return NumberText(value, DecimalPoint()); }
QString CStr(float value) { return SingleText(value, DecimalPoint()); }
QString CStrInteger(qint64 value) { return QString::number(value); }
QString CStr(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
QString CStr(const QDateTime& value) { return GeneralDateText(value); }

// ---- dates ---------------------------------------------------------------

namespace {
const QDate kSerialZero(1899, 12, 30);

int expandYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() <= 2)
        return y < 30 ? 2000 + y : 1900 + y;
    return y;
}

struct TimeOfDay {
    QTime time;
    bool found = false;
};

// Takes the time of day out of the text; false when a time is there but wrong.
bool takeTime(QString& text, TimeOfDay& out) {
    static const QRegularExpression full(
        QStringLiteral("(?:^|[\\sT])(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:[.,](\\d+))?)?\\s*([AaPp][Mm]?)?(?=$|\\s)"));
    static const QRegularExpression hourOnly(QStringLiteral("(?:^|\\s)(\\d{1,2})\\s*([AaPp][Mm])(?=$|\\s)"));
    const QString am = AmText(), pm = PmText();
    QString work = text;
    // The locale's own AM/PM words read as AM/PM.
    if (!am.isEmpty() && am.compare(QLatin1String("AM"), Qt::CaseInsensitive) != 0)
        work.replace(am, QStringLiteral("AM"), Qt::CaseInsensitive);
    if (!pm.isEmpty() && pm.compare(QLatin1String("PM"), Qt::CaseInsensitive) != 0)
        work.replace(pm, QStringLiteral("PM"), Qt::CaseInsensitive);

    QRegularExpressionMatch m = full.match(work);
    int h = 0, mi = 0, s = 0, ms = 0;
    QString ampm;
    if (m.hasMatch()) {
        h = m.captured(1).toInt();
        mi = m.captured(2).toInt();
        s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
        if (!m.captured(4).isEmpty())
            ms = int(std::lround(QString(QStringLiteral("0.") + m.captured(4)).toDouble() * 1000));
        ampm = m.captured(5).toUpper();
    } else {
        m = hourOnly.match(work);
        if (!m.hasMatch())
            return true;
        h = m.captured(1).toInt();
        ampm = m.captured(2).toUpper();
    }
    if (!ampm.isEmpty()) {
        if (h < 1 || h > 12)
            return false;
        if (ampm.startsWith(QLatin1Char('P')) && h != 12)
            h += 12;
        else if (ampm.startsWith(QLatin1Char('A')) && h == 12)
            h = 0;
    }
    if (h > 23 || mi > 59 || s > 59)
        return false;
    out.time = QTime(h, mi, s, std::min(ms, 999));
    out.found = true;
    text = work.left(m.capturedStart()) + QLatin1Char(' ') + work.mid(m.capturedEnd());
    return true;
}

int monthFromWord(const QString& word) {
    const QString w = word.toLower();
    const QLocale locales[] = {DateLocale(), QLocale(QLocale::English, QLocale::UnitedStates)};
    for (const QLocale& l : locales)
        for (int m = 1; m <= 12; ++m) {
            const QString full = l.monthName(m, QLocale::LongFormat).toLower();
            const QString abbr = l.monthName(m, QLocale::ShortFormat).toLower().remove(QLatin1Char('.'));
            if (w == full || w == abbr || (w.size() >= 3 && full.startsWith(w)))
                return m;
        }
    return 0;
}

bool isWeekday(const QString& word) {
    const QString w = word.toLower();
    const QLocale locales[] = {DateLocale(), QLocale(QLocale::English, QLocale::UnitedStates)};
    for (const QLocale& l : locales)
        for (int d = 1; d <= 7; ++d)
            if (w == l.dayName(d, QLocale::LongFormat).toLower() ||
                w == l.dayName(d, QLocale::ShortFormat).toLower().remove(QLatin1Char('.')))
                return true;
    return false;
}

std::optional<QDate> dateOf(int y, int m, int d) {
    if (y < 100 || y > 9999)
        return std::nullopt;
    QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QDate> parseDatePart(const QString& text) {
    static const QRegularExpression token(QStringLiteral("(\\d+)|([^\\W\\d_]+)|([^\\w\\s]|_)"));
    QStringList numbers;
    int month = 0;
    auto it = token.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            numbers << m.captured(1);
        } else if (!m.captured(2).isEmpty()) {
            const QString w = m.captured(2);
            if (isWeekday(w))
                continue;
            const int mo = monthFromWord(w);
            if (!mo || month)
                return std::nullopt;
            month = mo;
        } else {
            const QString sep = m.captured(3);
            static const QString allowed = QStringLiteral("/-.,");
            if (!allowed.contains(sep) && sep != DateSeparator())
                return std::nullopt;
        }
    }
    const int thisYear = Date().year();
    auto isYear = [](const QString& n) { return n.size() >= 3 || n.toInt() > 31; };

    if (month) {
        if (numbers.size() == 1) {
            if (isYear(numbers[0]))
                return dateOf(expandYear(numbers[0]), month, 1);
            return dateOf(thisYear, month, numbers[0].toInt());
        }
        if (numbers.size() == 2) {
            if (isYear(numbers[0]) && !isYear(numbers[1]))
                return dateOf(expandYear(numbers[0]), month, numbers[1].toInt());
            return dateOf(expandYear(numbers[1]), month, numbers[0].toInt());
        }
        return std::nullopt;
    }

    if (numbers.size() == 3) {
        const QString& a = numbers[0];
        const QString& b = numbers[1];
        const QString& c = numbers[2];
        if (isYear(a))
            return dateOf(expandYear(a), b.toInt(), c.toInt());
        DateOrder orders[] = {UserDateOrder(), DateOrder::MDY, DateOrder::DMY, DateOrder::YMD};
        for (DateOrder o : orders) {
            std::optional<QDate> d;
            switch (o) {
            case DateOrder::MDY: d = dateOf(expandYear(c), a.toInt(), b.toInt()); break;
            case DateOrder::DMY: d = dateOf(expandYear(c), b.toInt(), a.toInt()); break;
            case DateOrder::YMD: d = dateOf(expandYear(a), b.toInt(), c.toInt()); break;
            }
            if (d)
                return d;
        }
        return std::nullopt;
    }
    if (numbers.size() == 2) {
        const QString& a = numbers[0];
        const QString& b = numbers[1];
        if (isYear(a))
            return dateOf(expandYear(a), b.toInt(), 1);
        if (isYear(b))
            return dateOf(expandYear(b), a.toInt(), 1);
        const bool dayFirst = UserDateOrder() == DateOrder::DMY;
        auto d = dayFirst ? dateOf(thisYear, b.toInt(), a.toInt()) : dateOf(thisYear, a.toInt(), b.toInt());
        if (!d)
            d = dayFirst ? dateOf(thisYear, a.toInt(), b.toInt()) : dateOf(thisYear, b.toInt(), a.toInt());
        return d;
    }
    return std::nullopt;
}

std::optional<QDateTime> parseDate(const QString& input) {
    QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    TimeOfDay tod;
    if (!takeTime(text, tod))
        return std::nullopt;
    text = text.trimmed();
    QDate date = kSerialZero;
    if (!text.isEmpty()) {
        const auto d = parseDatePart(text);
        if (!d)
            return std::nullopt;
        date = *d;
    } else if (!tod.found) {
        return std::nullopt;
    }
    return QDateTime(date, tod.found ? tod.time : QTime(0, 0));
}
}  // namespace

QDateTime CDate(const QString& text) {
    const auto d = parseDate(text);
    if (!d)
        Raise(errTypeMismatch);
    return *d;
}

bool IsDate(const QString& text) { return parseDate(text).has_value(); }

QDateTime CDate(double serial) {
    if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0)
        Raise(errOverflow);
    const double whole = std::trunc(serial);
    const double fraction = std::abs(serial - whole);
    qint64 ms = std::llround(fraction * 86400000.0);
    qint64 days = qint64(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += serial < 0 ? -1 : 1;
    }
    return QDateTime(kSerialZero.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

double DateToSerial(const QDateTime& value) {
    const qint64 days = kSerialZero.daysTo(value.date());
    const double fraction = value.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

}  // namespace vb
