// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/Cp1252.h"

#include <QStringDecoder>

namespace vb {
namespace {
// 0x80..0x9F; 0 marks the five unassigned bytes, which map to the C1 controls.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
}  // namespace

QChar Cp1252ToUnicode(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80])
        return QChar(kHigh[b - 0x80]);
    return QChar(b);
}

int UnicodeToCp1252(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u && u != 0)
            return 0x80 + i;
    if (u >= 0x80 && u <= 0x9F && !kHigh[u - 0x80])
        return u;
    return -1;
}

QString DecodeCp1252(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes)
        out.append(Cp1252ToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

QByteArray EncodeCp1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out.append(text.mid(i, 2).toUtf8());
            ++i;
            continue;
        }
        const int b = UnicodeToCp1252(c);
        if (b >= 0)
            out.append(char(b));
        else
            out.append(QString(c).toUtf8());
    }
    return out;
}

QString DecodeText(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError())
        return s;
    return DecodeCp1252(bytes);
}

}  // namespace vb
