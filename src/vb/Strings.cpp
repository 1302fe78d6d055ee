// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/Strings.h"

#include "vb/Cp1252.h"
#include "vb/VbError.h"

namespace vb {
namespace {
Qt::CaseSensitivity cs(Compare c) { return c == Compare::Text ? Qt::CaseInsensitive : Qt::CaseSensitive; }
}  // namespace

QString Mid(const QString& s, int start) {
    if (start < 1)
        Raise(errInvalidCall);
    return start > s.size() ? QString() : s.mid(start - 1);
}

QString Mid(const QString& s, int start, int length) {
    if (start < 1 || length < 0)
        Raise(errInvalidCall);
    return start > s.size() ? QString() : s.mid(start - 1, length);
}

QString Left(const QString& s, int length) {
    if (length < 0)
        Raise(errInvalidCall);
    return s.left(length);
}

QString Right(const QString& s, int length) {
    if (length < 0)
        Raise(errInvalidCall);
    return s.right(length);
}

int Len(const QString& s) { return int(s.size()); }

int InStr(const QString& s, const QString& find) { return InStr(1, s, find); }

int InStr(int start, const QString& s, const QString& find, Compare compare) {
    if (start < 1)
        Raise(errInvalidCall);
    if (s.isEmpty() || start > s.size())
        return 0;
    if (find.isEmpty())
        return start;
    return int(s.indexOf(find, start - 1, cs(compare))) + 1;
}

int InStrRev(const QString& s, const QString& find, int start, Compare compare) {
    if (start == 0 || start < -1)
        Raise(errInvalidCall);
    if (start == -1)
        start = int(s.size());
    if (start > s.size())
        return 0;
    if (find.isEmpty())
        return start;
    if (find.size() > start)
        return 0;
    return int(s.lastIndexOf(find, start - find.size(), cs(compare))) + 1;
}

QString LTrim(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString RTrim(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString Trim(const QString& s) { return LTrim(RTrim(s)); }
QString UCase(const QString& s) { return s.toUpper(); }
QString LCase(const QString& s) { return s.toLower(); }

QString Space(int n) { return String(n, QLatin1Char(' ')); }

QString String(int n, QChar c) {
    if (n < 0)
        Raise(errInvalidCall);
    return QString(n, c);
}

QString Replace(const QString& s, const QString& find, const QString& with, int start, int count, Compare compare) {
    if (start < 1 || count < -1)
        Raise(errInvalidCall);
    if (start > s.size())
        return QString();
    QString rest = s.mid(start - 1);
    if (find.isEmpty() || count == 0)
        return rest;
    QString out;
    qsizetype pos = 0;
    int done = 0;
    while (count == -1 || done < count) {
        const qsizetype hit = rest.indexOf(find, pos, cs(compare));
        if (hit < 0)
            break;
        out += QStringView(rest).mid(pos, hit - pos);
        out += with;
        pos = hit + find.size();
        ++done;
    }
    out += QStringView(rest).mid(pos);
    return out;
}

QString Chr(int code) {
    if (code < 0 || code > 65535)
        Raise(errInvalidCall);
    if (code < 256)
        return QString(Cp1252ToUnicode(static_cast<unsigned char>(code)));
    return QString(QChar(char16_t(code)));
}

QString ChrW(int code) {
    if (code < -32768 || code > 65535)
        Raise(errInvalidCall);
    return QString(QChar(char16_t(code < 0 ? code + 65536 : code)));
}

int Asc(const QString& s) {
    if (s.isEmpty())
        Raise(errInvalidCall);
    const int b = UnicodeToCp1252(s[0]);
    return b >= 0 ? b : s[0].unicode();
}

int AscW(const QString& s) {
    if (s.isEmpty())
        Raise(errInvalidCall);
    return s[0].unicode();
}

int StrComp(const QString& a, const QString& b, Compare compare) {
    const int r = QString::compare(a, b, cs(compare));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace vb
