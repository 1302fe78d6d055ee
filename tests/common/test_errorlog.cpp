// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include "CommonTest.h"
#include "common/Globals.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Registry.h"
#include "platform/Dialogs.h"
#include "vb/Clock.h"
#include "vb/ErrorHandling.h"

namespace {
class ErrorLogTest : public CommonTest {
protected:
    void SetUp() override {
        CommonTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        vb::SetClockForTest(QDateTime(QDate(2004, 3, 7), QTime(14, 5, 9)));
    }
    void TearDown() override {
        vb::ResetClock();
        QLocale::setDefault(QLocale::system());
        CommonTest::TearDown();
    }
};
}  // namespace

TEST_F(ErrorLogTest, ErrorLineHasTwoBlanksBetweenFields) {
    int lit = 0;
    SetErrorIndicatorHook([&] { ++lit; });
    WriteErrorLog(true, "Vaultora", "set_language of Modul NRV_Language", 30, 13, "Type mismatch");
    WriteErrorLog(true, "Common", "fWait of Modul NRV_ShellAndWait", 0, 5, "Invalid procedure call or argument");
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0],
              "3/7/2004 2:05:09 PM  Vaultora : 300 v.3.6.7  set_language of Modul NRV_Language  30  13  Type mismatch");
    const QStringList fields = lines[1].split("  ");
    ASSERT_EQ(fields.size(), 6);
    EXPECT_EQ(fields[1], "Common : 300 v.3.6.7");
    EXPECT_EQ(fields[2], "fWait of Modul NRV_ShellAndWait");
    EXPECT_EQ(lit, 2);
}

TEST_F(ErrorLogTest, HandlersReachTheLogThroughTheInstalledSink) {
    vb::Handler h("Zip_Now of Modul Vaultora_Sub");
    h.Next(70, [] { vb::Raise(53); });
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith("  Vaultora : 300 v.3.6.7  Zip_Now of Modul Vaultora_Sub  70  53  File not found"))
        << lines[0].toStdString();
}

TEST_F(ErrorLogTest, TraceLinesUsePrintForms) {
    struct Case {
        std::function<void()> write;
        const char* line;
    } cases[] = {
        {[] { WriteLog("C:\\data\\file.txt", "", "", "", "", "", "", "", "", ""); }, "C:\\data\\file.txt"},
        {[] { WriteLog(5, "x"); }, " 5 x"},
        {[] { WriteLog(-5, qint16(7), qint64(0)); }, "-5  7  0 "},
        {[] { WriteLog(true, false); }, "TrueFalse"},
        {[] { WriteLog(LogValue(), "a", LogValue(), "b"); }, "ab"},
        {[] { WriteLog(QDate(2004, 3, 7)); }, "3/7/2004"},
        {[] { WriteLog(); }, ""},
    };
    for (const Case& c : cases) {
        QFile::remove(logHost());
        c.write();
        EXPECT_EQ(QString::fromUtf8(logBytes()), QString(c.line) + "\r\n");
    }
}

TEST_F(ErrorLogTest, HeaderIsWrittenOnceWithSevenLines) {
    UserName = "ALICE";
    CompanyName = "MYCOMPANY";
    CreateErrorLogHeader();
    const QByteArray first = logBytes();
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 7) << lines.join("\n").toStdString();
    EXPECT_EQ(lines[0], "########  n.r.v error log file - created 3/7/2004 2:05:09 PM");
    EXPECT_EQ(lines[1], "300ALICEMYCOMPANY");
    EXPECT_EQ(lines[2], " 1033 English (United States)");
    EXPECT_EQ(lines[3], "United StatesAmerican EnglishUnited States");
    EXPECT_EQ(lines[4], "Z:\\usr\\libZ:\\usr\\share" + platform::ProgramFolder());
    const QString version = GetWinVersion();
    EXPECT_EQ(lines[5], QString(" %1  %2  %3  2 %4")
                            .arg(OsVersionInfo.majorVersion)
                            .arg(OsVersionInfo.minorVersion)
                            .arg(OsVersionInfo.buildNumber)
                            .arg(version));
    EXPECT_EQ(lines[6], "########  End of Header  ##########");

    // A second start leaves the file alone.
    CreateErrorLogHeader();
    EXPECT_EQ(logBytes(), first);
    WriteErrorLog(true, "Vaultora", "x of Modul y", 1, 2, "z");
    CreateErrorLogHeader();
    EXPECT_EQ(logLines().size(), 8);
}

TEST_F(ErrorLogTest, HeaderGoesInFrontOfLinesLoggedEarlierInTheSameStart) {
    CreateErrorLogHeader();  // a previous start
    QFile::remove(logHost());
    // Start-up: a registry lookup logs its miss before the header is written.
    ReadKey("HKEY_LOCAL_MACHINE\\Software\\VaultoraTest\\Missing");
    CreateErrorLogHeader();
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 9) << lines.join("\n").toStdString();
    EXPECT_TRUE(lines[0].startsWith("########  n.r.v error log file - created "));
    EXPECT_EQ(lines[6], "########  End of Header  ##########");
    EXPECT_TRUE(lines[7].contains("  ReadKey of Modul NRV_Registry  "));
    EXPECT_EQ(lines[8], "HKEY_LOCAL_MACHINE\\Software\\VaultoraTest\\Missing");

    // A log left by an earlier start is never touched.
    testenv::writeFile(logHost(), "old line\r\n");
    CreateErrorLogHeader();
    EXPECT_EQ(logBytes(), QByteArray("old line\r\n"));
}

TEST_F(ErrorLogTest, IndicatorLightsEvenWhenTheLogCannotBeWritten) {
    QDir().mkpath(logHost());  // a folder where the file should be
    int lit = 0;
    SetErrorIndicatorHook([&] { ++lit; });
    WriteErrorLog(true, "Vaultora", "x of Modul y", 1, 2, "z");
    WriteLog("trace");
    EXPECT_EQ(lit, 1);
    QDir(logHost()).removeRecursively();
}

TEST_F(ErrorLogTest, AMissingCommonFolderIsCreatedAndAnUncreatableOneEndsQuietly) {
    const QString common = testenv::commonDir();
    const QString aside = common + ".aside";
    ASSERT_TRUE(QDir().rename(common, aside));
    WriteErrorLog(true, "Vaultora", "x of Modul y", 1, 2, "z");
    EXPECT_EQ(logLines().size(), 1);  // folder and log made, no header
    QDir(common).removeRecursively();

    // A file in the folder's place: making the folder fails and that failure
    // is logged without trying again and again.
    testenv::writeFile(common, "not a folder");
    int lit = 0;
    SetErrorIndicatorHook([&] { ++lit; });
    WriteErrorLog(true, "Vaultora", "x of Modul y", 1, 2, "z");
    EXPECT_GE(lit, 1);
    QFile::remove(common);
    ASSERT_TRUE(QDir().rename(aside, common));
}

TEST_F(ErrorLogTest, LocaleFactsByTable) {
    struct Case {
        QLocale locale;
        qint16 id;
        const char* languageName;
        const char* country;
        const char* nativeLanguage;
        const char* nativeCountry;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), 0x0407, "German (Germany)", "Germany", "Deutsch", "Deutschland"},
        {QLocale(QLocale::German, QLocale::Switzerland), 0x0807, "German (Switzerland)", "Switzerland",
         "Schweizer Hochdeutsch", "Schweiz"},
        {QLocale(QLocale::French, QLocale::France), 0x040C, "French (France)", "France", "français", "France"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), 0x0809, "English (United Kingdom)", "United Kingdom",
         "British English", "United Kingdom"},
        {QLocale::c(), 0, "Language Neutral", "", "", ""},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(c.locale);
        SCOPED_TRACE(c.locale.name().toStdString());
        EXPECT_EQ(SysLanguageID(), c.id);
        EXPECT_EQ(SysLanguageName(), QString(c.languageName));
        EXPECT_EQ(Country(), QString(c.country));
        EXPECT_EQ(LanguageName(), QString::fromUtf8(c.nativeLanguage));
        EXPECT_EQ(NativeCountryName(), QString::fromUtf8(c.nativeCountry));
    }
    EXPECT_EQ(GetLocaleString(0x7777), "");
}

TEST_F(ErrorLogTest, NextVersionNoticeLeavesAndRestoresOnTop) {
    LangText.Clear();
    LangText.Grow(23);
    LangText.Set(21, "Not in this version.");
    LangText.Set(22, "Coming soon.");
    LangText.Set(23, "Notice");
    QStringList calls;
    SetTopMostHook([&](bool onTop) { calls << (onTop ? "on" : "off"); });
    platform::Dialogs::scriptAnswers({1});
    InNextVersion();
    SetTopMostHook({});
    ASSERT_FALSE(platform::Dialogs::shown().isEmpty());
    const auto& box = platform::Dialogs::shown().back();
    EXPECT_EQ(box.prompt, "Not in this version.\r\nComing soon.");
    EXPECT_EQ(box.title, "Notice");
    EXPECT_EQ(box.style, 4160);
    EXPECT_EQ(calls, QStringList({"off", "on"}));
    LangText.Clear();
}
