// SPDX-License-Identifier: GPL-3.0-or-later
#include "VbTestSupport.h"
#include "vb/Like.h"

using namespace vb;

TEST(Like, PatternTable) {
    const struct {
        const char* text;
        const char* pattern;
        bool match;
    } cases[] = {
        {"report.doc", "*.doc", true},      {"report.DOC", "*.doc", false},   {"a", "*", true},
        {"", "*", true},                    {"", "", true},                   {"", "?", false},
        {"abc", "a?c", true},               {"ac", "a?c", false},             {"a1c", "a#c", true},
        {"abc", "a#c", false},              {"b", "[a-c]", true},             {"d", "[a-c]", false},
        {"d", "[!a-c]", true},              {"b", "[!a-c]", false},           {"*", "[*]", true},
        {"x", "[*]", false},                {"?", "[?]", true},               {"#", "[#]", true},
        {"-", "[a-]", true},                {"-", "[-a]", true},              {"]", "]", true},
        {"!", "!", true},                   {"ab", "a[]b", true},             {"F", "[A-Z]", true},
        {"f", "[A-Z]", false},              {"x.tmp", "*_BackUp_*", false},   {"a_BackUp_b", "*_BackUp_*", true},
        {"aaa", "a*a*a", true},             {"aa", "a*a*a", false},           {"abcde", "a*c*e", true},
        {"Übung", "?bung", true},           {"file1.txt", "file[0-9].txt", true},
        {"abc", "ab", false},               {"ab", "abc", false},             {"x.y.z", "*.*", true},
        {"noext", "*.*", false},            {"aXb", "a[XYZ]b", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Like(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern)), c.match) << c.text << " Like " << c.pattern;
}

TEST(Like, ManyStarsStayFast) {
    const QString text(5000, QLatin1Char('a'));
    EXPECT_FALSE(Like(text, "*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(Like, MalformedPatternsRaise93) {
    for (const char* bad : {"[abc", "a[", "[z-a]", "x[!"})
        EXPECT_EQ(ErrorOf([=] { Like("abc", bad); }), 93) << bad;
}

TEST(Like, TextCompareIgnoresCase) {
    EXPECT_TRUE(LikeText("REPORT.doc", "report.DOC"));
    EXPECT_TRUE(LikeText("F", "[a-z]"));
    EXPECT_FALSE(LikeText("1", "[a-z]"));
}

TEST(Like, ACompiledPatternMatchesAsLikeDoes) {
    const QString pairs = QString::fromUtf8("a\xF0\x9F\x98\x80" "b");   // "a", one character in two halves, "b"
    const QString lone = QStringLiteral("a") + QChar(0xDC80) + QStringLiteral("b");
    const struct {
        QString text, pattern;
    } cases[] = {
        {"report.doc", "*.doc"}, {"report.DOC", "*.doc"}, {"", "*"},  {"", "?"},          {"a1c", "a#c"},
        {"d", "[!a-c]"},         {"aaa", "a*a*a"},        {"aa", "a*a*a"}, {"Übung", "?bung"},
        {pairs, "a?b"},          {pairs, "a??b"},         {lone, "a?b"},   {lone, QStringLiteral("a") + QChar(0xFFFD) + "b"},
    };
    for (const auto& c : cases) {
        for (const bool text : {false, true}) {
            const bool want = text ? LikeText(c.text, c.pattern) : Like(c.text, c.pattern);
            // The same pattern object, again and again, as a search uses it.
            const LikePattern p(c.pattern, text);
            EXPECT_EQ(p.matches(c.text), want) << c.text.toStdString() << " / " << c.pattern.toStdString();
            EXPECT_EQ(p.matches(c.text), want);
        }
    }
    // A character in two halves is one character, a lone half reads as the
    // replacement character, as QString::toUcs4 reads them.
    EXPECT_TRUE(Like(pairs, "a?b"));
    EXPECT_EQ(lone.toUcs4()[1], char32_t(0xFFFD));
    EXPECT_TRUE(Like(lone, QStringLiteral("a") + QChar(0xFFFD) + "b"));
    for (const char* bad : {"[abc", "[z-a]"})
        EXPECT_EQ(ErrorOf([=] { LikePattern p(QString::fromLatin1(bad)); }), 93) << bad;
}
