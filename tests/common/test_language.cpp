// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommonTest.h"
#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "vb/FileNumbers.h"

namespace {
class LanguageTest : public CommonTest {
protected:
    void SetUp() override {
        CommonTest::SetUp();
        LangText.Clear();
    }
    void TearDown() override {
        LangText.Clear();
        QFile::remove(langFile());
        CommonTest::TearDown();
    }
    static QString langFile() { return testenv::commonDir() + "/language/testlang.lng"; }
    static bool load(const QByteArray& content) {
        testenv::writeFile(langFile(), content);
        return set_language("testlang.lng");
    }
};
}  // namespace

TEST_F(LanguageTest, ReadsNumberedLinesAndSkipsComments) {
    ASSERT_TRUE(load("T0003\tThird\r\n"
                     "T0001\t  First  \r\n"
                     "a comment line\r\n"));
    EXPECT_EQ(LangText.UBound(), 3);
    EXPECT_EQ(LangText(1), "First");
    EXPECT_EQ(LangText(2), "");
    EXPECT_EQ(LangText(3), "Third");
    EXPECT_EQ(LangText(4), "");  // beyond the table
    EXPECT_EQ(LangText(-1), "");
}

TEST_F(LanguageTest, LineRulesByTable) {
    struct Case {
        const char* line;
        int number;      // the entry to look at
        const char* text;  // what it holds afterwards
    } cases[] = {
        {"T0001\t", 1, "kept"},              // TAB is the last character
        {"T0001\t   ", 1, "kept"},           // ... after trimming
        {"t0001\tlower", 1, "kept"},         // lower-case t is a comment
        {"T0001 no tab", 1, "kept"},
        {"   T0002\tindented", 2, "indented"},
        {"T00123\tx", 12, "x"},              // only four digits form the number
        {"T0002\ta\tb ", 2, "a\tb"},         // TABs inside stay
        {"T0002\t\tlead", 2, "\tlead"},      // only blanks are trimmed
        {"T0002\tlater wins", 2, "later wins"},
        {"T0001\tCaf\xc3\xa9", 1, "Caf\xc3\xa9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        LangText.Clear();
        ASSERT_TRUE(load(QByteArray("T0001\tkept\r\nT0002\tfirst\r\nT0012\told\r\n") + c.line + "\r\n"));
        EXPECT_EQ(LangText(c.number), QString::fromUtf8(c.text));
    }
}

TEST_F(LanguageTest, LineEndsOfAnyKind) {
    ASSERT_TRUE(load("T0001\tone\rT0002\ttwo\nT0003\tthree\r\n"));
    EXPECT_EQ(LangText(1), "one");
    EXPECT_EQ(LangText(2), "two");
    EXPECT_EQ(LangText(3), "three");
}

TEST_F(LanguageTest, AnUnreadableNumberStopsTheLoadingAndIsLogged) {
    struct Case {
        const char* line;
    } cases[] = {{"T00x1\tbad"}, {"T-001\tnegative"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QFile::remove(logHost());
        LangText.Clear();
        EXPECT_FALSE(load(QByteArray("T0001\tone\r\n") + c.line + "\r\nT0002\ttwo\r\n"));
        EXPECT_EQ(LangText(1), "one");
        EXPECT_EQ(LangText(2), "");  // nothing after the bad line
        const QStringList lines = logLines();
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0].split("  ").value(2), "set_language of Modul NRV_Language");
    }
    // The file number was given back.
    EXPECT_EQ(vb::FreeFile(), 1);
}

TEST_F(LanguageTest, TextZeroBeforeTheTableHasASize) {
    EXPECT_FALSE(load("T0000\tzero\r\nT0001\tone\r\n"));
    LangText.Clear();
    ASSERT_TRUE(load("T0001\tone\r\nT0000\tzero\r\n"));
    EXPECT_EQ(LangText(0), "zero");
}

TEST_F(LanguageTest, AMissingFileIsToldAndGivesFalse) {
    platform::Dialogs::scriptAnswers({1});
    const qsizetype before = platform::Dialogs::shown().size();
    EXPECT_FALSE(set_language("klingon.lng"));
    ASSERT_EQ(platform::Dialogs::shown().size(), before + 1);
    const auto& box = platform::Dialogs::shown().back();
    EXPECT_EQ(box.prompt,
              "The language file klingon.lng is missing!\r\n"
              "Please install the n.r.v language package.\r\n"
              "The program will be terminated now.");
    EXPECT_EQ(box.style, 4096);
    EXPECT_EQ(box.title, ProgramName);
    EXPECT_TRUE(logLines().isEmpty());
}
