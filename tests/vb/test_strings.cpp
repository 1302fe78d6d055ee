// SPDX-License-Identifier: GPL-3.0-or-later
#include "VbTestSupport.h"
#include "vb/Strings.h"

using namespace vb;

TEST(Strings, PositionsAreOneBased) {
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 4), "def");
    EXPECT_EQ(Mid("abc", 5), "");
    EXPECT_EQ(Mid("abc", 2, 10), "bc");
    EXPECT_EQ(Left("abc", 2), "ab");
    EXPECT_EQ(Left("abc", 9), "abc");
    EXPECT_EQ(Right("abc", 2), "bc");
    EXPECT_EQ(Right("abc", 0), "");
    EXPECT_EQ(Len("abc"), 3);
    EXPECT_EQ(InStr("abcabc", "c"), 3);
    EXPECT_EQ(InStr(4, "abcabc", "c"), 6);
    EXPECT_EQ(InStr("abc", "x"), 0);
    EXPECT_EQ(InStr("abc", ""), 1);
    EXPECT_EQ(InStr("", "a"), 0);
    EXPECT_EQ(InStr(9, "abc", "a"), 0);
    EXPECT_EQ(InStr(1, "ABC", "b", Compare::Text), 2);
    EXPECT_EQ(InStr(1, "ABC", "b"), 0);
    EXPECT_EQ(InStrRev("a\\b\\c", "\\"), 4);
    EXPECT_EQ(InStrRev("a\\b\\c", "\\", 3), 2);
    EXPECT_EQ(InStrRev("abcabc", "bc", 5), 2);
    EXPECT_EQ(InStrRev("abc", "x"), 0);
    EXPECT_EQ(InStrRev("abc", "a", 9), 0);
}

TEST(Strings, InvalidArgumentsRaise5) {
    const std::function<void()> bad[] = {
        [] { Mid("abc", 0); },        [] { Mid("abc", 1, -1); }, [] { Left("abc", -1); },
        [] { Right("abc", -1); },     [] { InStr(0, "a", "a"); }, [] { InStrRev("a", "a", 0); },
        [] { Space(-1); },            [] { Asc(""); },           [] { Chr(-1); },
        [] { Replace("a", "a", "b", 0); },
    };
    for (const auto& f : bad)
        EXPECT_EQ(ErrorOf(f), errInvalidCall);
}

TEST(Strings, TrimTakesBlanksOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("  a "), "a ");
    EXPECT_EQ(RTrim("  a "), "  a");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(Trim(" \r\n"), "\r\n");
}

TEST(Strings, CaseSpaceReplaceChr) {
    EXPECT_EQ(UCase("abcÄ"), "ABCÄ");
    EXPECT_EQ(LCase("ABC"), "abc");
    EXPECT_EQ(Space(3), "   ");
    EXPECT_EQ(String(2, QLatin1Char('x')), "xx");
    EXPECT_EQ(Replace("a.b.c", ".", "\\"), "a\\b\\c");
    EXPECT_EQ(Replace("aXbxc", "x", "-", 1, -1, Compare::Text), "a-b-c");
    EXPECT_EQ(Replace("aaaa", "a", "b", 1, 2), "bbaa");
    EXPECT_EQ(Replace("abcabc", "a", "x", 3), "cxbc");  // the result starts at `start`, as in VB
    EXPECT_EQ(Replace("abc", "", "x"), "abc");
    EXPECT_EQ(Chr(65), "A");
    EXPECT_EQ(Chr(13) + Chr(10), vbCrLf);
    EXPECT_EQ(Chr(128), QString(QChar(0x20AC)));
    EXPECT_EQ(Asc(QString(QChar(0x20AC))), 128);
    EXPECT_EQ(Asc("A"), 65);
    EXPECT_EQ(Asc("é"), 233);
    EXPECT_EQ(ChrW(0x263A), QString(QChar(0x263A)));
    EXPECT_EQ(StrComp("a", "B", Compare::Text), -1);
    EXPECT_EQ(StrComp("a", "A", Compare::Text), 0);
    EXPECT_EQ(StrComp("a", "A"), 1);
}
