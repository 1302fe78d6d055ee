// SPDX-License-Identifier: GPL-3.0-or-later
// Host file names and the program's text of them: every name goes there and
// back byte for byte, and the text never holds a "\" that the Windows form
// would take for a separator.
#include <gtest/gtest.h>

#include "platform/HostNames.h"

using platform::HostBytes;
using platform::HostText;

TEST(HostNames, EveryNameComesBackByteForByte) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;   // empty: only the round trip is checked
    } const cases[] = {
        {"plain ASCII", "report.txt", QStringLiteral("report.txt")},
        {"UTF-8", "\xc3\xa9t\xc3\xa9.txt", QStringLiteral("\u00e9t\u00e9.txt")},
        {"a character beyond the BMP", "\xf0\x9f\x92\x80", QString::fromUcs4(U"\U0001F480")},
        {"bytes that are not UTF-8", "bytes-\xff\xfe.txt",
         QStringLiteral("bytes-") + QChar(0xDCFF) + QChar(0xDCFE) + QStringLiteral(".txt")},
        {"a Latin-1 name", "caf\xe9", QStringLiteral("caf") + QChar(0xDCE9)},
        {"a cut UTF-8 sequence at the end", "ab\xe2\x82", QStringLiteral("ab") + QChar(0xDCE2) + QChar(0xDC82)},
        {"an overlong form", "\xc0\xaf", QString() + QChar(0xDCC0) + QChar(0xDCAF)},
        {"an encoded surrogate", "\xed\xa0\x80", QString() + QChar(0xDCED) + QChar(0xDCA0) + QChar(0xDC80)},
        {"a backslash", "back\\slash.txt", QStringLiteral("back") + QChar(0xF05C) + QStringLiteral("slash.txt")},
        {"the backslash's stand-in itself", "\xef\x81\x9c", QString() + QChar(0xDCEF) + QChar(0xDC81) + QChar(0xDC9C)},
        {"CR LF", "cr\r\nlf", QStringLiteral("cr\r\nlf")},
        {"an escape right after a character beyond the BMP", "\xf0\x9f\x92\x80\x80", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = HostText(c.bytes);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(text, c.text);
        }
        EXPECT_FALSE(text.contains(QLatin1Char('\\')));
        EXPECT_EQ(HostBytes(text), c.bytes);
    }
    // Archives flag a name as UTF-8 only when it is.
    EXPECT_TRUE(platform::IsUtf8("\xc3\xa9t\xc3\xa9 back\\slash"));
    EXPECT_FALSE(platform::IsUtf8("bytes-\xff\xfe"));
    EXPECT_FALSE(platform::IsUtf8("\xc0\xaf"));
}
