// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include "platform/RtfReader.h"
#include "support/TestEnv.h"
#include "ui/QtPrinters.h"

namespace {

QString Fixture(const QString& name) {
    return QString::fromLatin1(testenv::readFile(testenv::sourceDir() + QStringLiteral("/tests/fixtures/news/") + name));
}

// The format of the first fragment that holds `text`.
QTextCharFormat FormatOf(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat();
    ADD_FAILURE() << "no fragment with " << text.toStdString();
    return {};
}

}  // namespace

// The news page: text of the page only (no font names, generator, info or
// picture data), paragraphs and line breaks, tabs, Windows-1252 and Unicode
// characters, and the formatting of its runs.
TEST(RtfReader, NewsPage) {
    const QString page = Fixture(QStringLiteral("nrvnews.rtf"));
    EXPECT_EQ(platform::RtfPlainText(page),
              "Vaultora news\r\n"
              "Version 3.6 is out: faster uploads and safer restores.\r\n"
              "Price:\t10 \u20AC\r\nCaf\u00E9 \u201Cquoted\u201D\r\n"
              "Red notice\r\n");
    QTextDocument doc;
    platform::ReadRtf(page, &doc);
    const QTextCharFormat title = FormatOf(doc, QStringLiteral("Vaultora news"));
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_EQ(title.fontPointSize(), 14);
    EXPECT_EQ(title.foreground().color(), QColor(0, 0, 128));
    EXPECT_TRUE(FormatOf(doc, QStringLiteral("uploads")).fontItalic());
    EXPECT_FALSE(FormatOf(doc, QStringLiteral(" and ")).fontItalic());
    EXPECT_TRUE(FormatOf(doc, QStringLiteral("safer")).fontUnderline());
    EXPECT_FALSE(FormatOf(doc, QStringLiteral("restores")).fontUnderline());
    EXPECT_EQ(FormatOf(doc, QStringLiteral("restores")).fontPointSize(), 10);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("Red notice")).foreground().color(), QColor(255, 0, 0));
}

TEST(RtfReader, SmallCases) {
    struct Case {
        const char* rtf;
        const char* text;
    };
    const std::vector<Case> cases = {
        {R"({\rtf1 a\\b \{c\}\par})", "a\\b {c}\r\n"},
        {R"({\rtf1\uc2 x\u-3913 AB y})", "x\uF0B7 y"},          // negative \u, two fallback characters
        {R"({\rtf1 x\u252\'fc y})", "x\u00FC y"},               // a \'hh fallback is skipped
        {R"({\rtf1 {\*\unknown hidden {nested}}shown})", "shown"},
        {R"({\rtf1 {\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}})", "link"},
        {R"({\rtf1 one\line two\par three})", "one\r\ntwo\r\nthree"},
        {R"({\rtf1 a\~b\-c})", "a b" "c"},
        {R"({\rtf1 done} trailing junk {\b x})", "done"},
        {"plain text, not RTF", "plain text, not RTF"},
        {R"({\rtf1 unclosed {\b bold)", "unclosed bold"},
        {R"({\rtf1 a\fs-4 b\cf99 c})", "abc"},                  // odd parameters do no harm
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        EXPECT_EQ(platform::RtfPlainText(QString::fromUtf8(c.rtf)), QString::fromUtf8(c.text));
    }
}
