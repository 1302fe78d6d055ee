// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HostNames.h"

namespace platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;   // + byte value 0x80..0xFF

// The length of the valid UTF-8 sequence at p (at most `left` bytes), or 0.
int sequenceLength(const unsigned char* p, qsizetype left) {
    const unsigned char c = p[0];
    int n;
    char32_t cp;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, encoded surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool plainAscii(const char* bytes, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if ((unsigned char)bytes[i] >= 0x80 || bytes[i] == '\\')
            return false;
    return true;
}

}  // namespace

bool IsUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        if (p[i] < 0x80) {   // the usual name is ASCII
            ++i;
            continue;
        }
        const int n = sequenceLength(p + i, size - i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

QString HostText(const char* bytes, qsizetype size) {
    if (plainAscii(bytes, size))
        return QString::fromLatin1(bytes, size);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    QString out;
    out.reserve(size);
    qsizetype run = 0;   // start of the valid UTF-8 not appended yet
    auto flush = [&](qsizetype end) {
        if (end > run)
            out += QString::fromUtf8(bytes + run, end - run);
    };
    for (qsizetype i = 0; i < size;) {
        if (p[i] == '\\') {
            flush(i);
            out += QChar(kBackslashInName);
            run = ++i;
            continue;
        }
        const int n = sequenceLength(p + i, size - i);
        // A name that holds the stand-in of "\" itself keeps its bytes as
        // escapes, so that it does not come back as a "\".
        const bool standIn = n == 3 && p[i] == 0xEF && p[i + 1] == 0x81 && p[i + 2] == 0x9C;
        if (n > 0 && !standIn) {
            i += n;
            continue;
        }
        flush(i);
        for (int k = 0; k < (standIn ? 3 : 1); ++k)
            out += QChar(char16_t(kEscapeBase + p[i + k]));
        i += standIn ? 3 : 1;
        run = i;
    }
    flush(size);
    return out;
}

QByteArray HostBytes(const QString& text) {
    bool plain = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == kBackslashInName || (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF)) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size() * 3);
    qsizetype run = 0;
    auto flush = [&](qsizetype end) {
        if (end > run)
            out += QStringView(text).mid(run, end - run).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u == kBackslashInName) {
            flush(i);
            out += '\\';
            run = i + 1;
        } else if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF &&
                   !(i > 0 && QChar::isHighSurrogate(text[i - 1].unicode()))) {
            flush(i);
            out += char(u - kEscapeBase);
            run = i + 1;
        }
    }
    flush(text.size());
    return out;
}

}  // namespace platform
