// SPDX-License-Identifier: GPL-3.0-or-later
// Language files that are not language files: the loader either reads what it
// can (garbage lines are comments) or stops with an error-log line; it never
// crashes, never hangs, and always gives its file number back.
#include <QDir>
#include <QElapsedTimer>

#include "CommonTest.h"
#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "vb/FileNumbers.h"

namespace {

using testenv::randomBytes;

class LanguageFaultTest : public CommonTest {
protected:
    void SetUp() override {
        CommonTest::SetUp();
        LangText.Clear();
    }
    void TearDown() override {
        LangText.Clear();
        QFile::remove(langFile());
        QDir(langFile()).removeRecursively();
        CommonTest::TearDown();
    }
    static QString langFile() { return testenv::commonDir() + "/language/garbage.lng"; }
    static int loggedByLoader() {
        int n = 0;
        for (const QString& line : logLines())
            n += line.contains("  set_language of Modul NRV_Language  ") ? 1 : 0;
        return n;
    }
};

}  // namespace

TEST_F(LanguageFaultTest, GarbageLoadsAsCommentsOrStopsWithALogLine) {
    struct Case {
        const char* name;
        QByteArray bytes;
        bool result;   // what set_language gives
        int texts;     // the table's upper bound afterwards
    } cases[] = {
        {"an empty file", QByteArray(), true, -1},
        {"random bytes without a T line", randomBytes(256 * 1024, 3).replace('T', 'x'), true, -1},
        {"NUL bytes", QByteArray(64 * 1024, '\0'), true, -1},
        {"one line of 4 MB", QByteArray(4 * 1024 * 1024, 'a'), true, -1},
        {"a text of 1 MB", "T0002\t" + QByteArray(1024 * 1024, 'b') + "\r\n", true, 2},
        {"NUL inside a text", QByteArray("T0001\tab\0cd\r\n", 13), true, 1},
        {"bytes that are no UTF-8", "T0001\t\xff\xfe\x80\x81\r\nT0003\t\xc3(\r\n", true, 3},
        {"a number with letters", "T0001\tone\r\nT0x01\tbad\r\n", false, 1},
        {"a number too large for 16 bits", "T0001\tone\r\nT9E99\tbig\r\n", false, 1},
        {"a UTF-16 file", QByteArray("\xff\xfeT\0" "0\0" "0\0" "0\0" "1\0" "\t\0x\0\r\0\n\0", 22), true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(logHost());
        LangText.Clear();
        testenv::writeFile(langFile(), c.bytes);
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(set_language("garbage.lng"), c.result);
        EXPECT_LT(t.elapsed(), 20000);
        EXPECT_EQ(LangText.UBound(), c.texts);
        EXPECT_EQ(vb::FreeFile(), 1);  // the file was closed
        EXPECT_EQ(loggedByLoader(), c.result ? 0 : 1);
    }
}

TEST_F(LanguageFaultTest, AFolderInPlaceOfTheFileIsToldLikeAMissingFile) {
    QDir().mkpath(langFile());
    platform::Dialogs::scriptAnswers({1});
    const qsizetype before = platform::Dialogs::shown().size();
    EXPECT_FALSE(set_language("garbage.lng"));
    ASSERT_EQ(platform::Dialogs::shown().size(), before + 1);
    EXPECT_TRUE(platform::Dialogs::shown().last().prompt.contains("The language file garbage.lng is missing!"));
    EXPECT_EQ(vb::FreeFile(), 1);
}
