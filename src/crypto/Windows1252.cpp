// SPDX-License-Identifier: GPL-3.0-or-later
#include "crypto/Windows1252.h"

#include <array>

namespace crypto {
namespace {

// Bytes 80 to 9F hex; everything else is the character of the same number.
// The unassigned bytes keep their own number (see the header).
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The byte of a character, or -1 when Windows-1252 has none for it.
int ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

}  // namespace

QByteArray ToAnsiBytes(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            c = QChar::surrogateToUcs4(char16_t(c), p[i + 1]);
            ++i;
        }
        const int b = ByteOf(c);
        if (b >= 0)
            out.append(char(b));
        else
            out.append(QString::fromUcs4(&c, 1).toUtf8());
    }
    return out;
}

QString FromAnsiBytes(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        d[i] = (b >= 0x80 && b <= 0x9F) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

}  // namespace crypto
