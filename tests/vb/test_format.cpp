// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <random>

#include "VbTestSupport.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/Format.h"

using namespace vb;

class FormatTest : public LocaleTest {};

TEST_F(FormatTest, NumberPatterns) {
    const struct {
        double v;
        const char* pattern;
        const char* out;
    } cases[] = {
        {12.345, "###0.00", "12.35"},       {0, "###0.00", "0.00"},             {0.004, "###0.00", "0.00"},
        {1234567.891, "###0.00", "1234567.89"},                                  {2.5, "###0", "3"},
        {-2.5, "###0", "-3"},               {0.5, "###0", "1"},                  {0.49, "###0", "0"},
        {1.005, "###0.00", "1.01"},         {99.96, "###0.0", "100.0"},          {0.05, "###0.0", "0.1"},
        {12345.678, "##,##0.00", "12,345.68"},                                   {15, "##,##0.00", "15.00"},
        {1234567.5, "##,##0.00", "1,234,567.50"},                                {-1234.5, "##,##0.00", "-1,234.50"},
        {1234.5, "## ##0.00", "1 234.50"},  {1234567.5, "## ##0.00", "1234 567.50"},
        {5, "## ##0.00", " 5.00"},          {12.34, "# ##0.0", " 12.3"},         {5, "0#", "05"},
        {0, "0#", "00"},                    {42, "0#", "42"},                    {123, "0#", "123"},
        {-7, "0#", "-07"},                  {-0.3, "0#", "00"},                  {1.5, "0.000", "1.500"},
        {0.5, "#.##", ".5"},                {5, "#.##", "5."},                   {0, "#", ""},
        {0.25, "0%", "25%"},                {0.125, "0.0%", "12.5%"},            {5, "$#,##0.00", "$5.00"},
        {-5, "0.00;(0.00)", "(5.00)"},      {0, "0.00;(0.00);\"zero\"", "zero"}, {3, "\"n=\"0", "n=3"},
        {7, "\\#0", "#7"},                  {1234.5, "Standard", "1,234.50"},    {1234.5, "Fixed", "1234.50"},
        {0.256, "Percent", "25.60%"},       {2.5, "", "2.5"},                    {1e20, "###0", "100000000000000000000"},
        {5, "(###) ###-####", "() -5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.v, c.pattern), c.out) << c.v << " " << c.pattern;
    EXPECT_EQ(Format(1234567, "##,##0"), "1,234,567");
    EXPECT_EQ(Format(qint64(9007199254740993), "###0"), "9007199254740993");
    EXPECT_EQ(Format(-3, "0#"), "-03");
}

TEST_F(FormatTest, NumberPatternsUseTheUsersSeparators) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Format(12345.678, "##,##0.00"), "12.345,68");
    EXPECT_EQ(Format(1234.5, "## ##0.00"), "1 234,50");
    EXPECT_EQ(Format(15.0, "###0.0"), "15,0");
}

TEST_F(FormatTest, DatePatterns) {
    const QDateTime t(QDate(2004, 3, 7), QTime(14, 5, 9));
    const struct {
        const char* pattern;
        const char* out;
    } cases[] = {
        {"dd-mmm-yyyy", "07-Mar-2004"}, {"YYYY-MM-DD", "2004-03-07"},   {"yyyy-mm-dd", "2004-03-07"},
        {"yyyymmdd", "20040307"},       {"yyyymm", "200403"},           {"hh:mm:ss", "14:05:09"},
        {"HH:MM:SS", "14:05:09"},       {"h:nn", "14:05"},              {"h:mm AM/PM", "2:05 PM"},
        {"hh:mm am/pm", "02:05 pm"},    {"h A/P", "2 P"},               {"d/m/yy", "7/3/04"},
        {"dddd, mmmm d", "Sunday, March 7"},                            {"ddd", "Sun"},
        {"ww", "11"},                   {"w", "1"},                     {"q", "1"},
        {"y", "67"},                    {"Short Date", "3/7/2004"},     {"General Date", "3/7/2004 2:05:09 PM"},
        {"Long Time", "2:05:09 PM"},    {"Short Time", "14:05"},        {"Medium Date", "07-Mar-04"},
        {"Long Date", "Sunday, March 7, 2004"},                         {"", "3/7/2004 2:05:09 PM"},
        {"\"at\" hh\\h", "at 14h"},     {"ddddd ttttt", "3/7/2004 2:05:09 PM"},
        {"mm:ss", "05:09"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(t, c.pattern), c.out) << c.pattern;
    EXPECT_EQ(Format(QDateTime(QDate(2004, 3, 7), QTime(0, 30)), "h:nn AM/PM"), "12:30 AM");
    EXPECT_EQ(Format(QDateTime(QDate(2004, 3, 7), QTime(12, 0)), "h AM/PM"), "12 PM");
    EXPECT_EQ(Format(QDate(2004, 3, 7), "dd.mm.yyyy"), "07.03.2004");
}

TEST_F(FormatTest, WeekNumberStartsOnSundayWithTheWeekOfFirstJanuary) {
    const struct {
        QDate d;
        const char* week;
    } cases[] = {
        {QDate(2004, 1, 8), "2"},   {QDate(2004, 3, 7), "11"},  {QDate(2000, 12, 31), "54"},
        {QDate(2000, 1, 1), "1"},   {QDate(2000, 1, 2), "2"},   {QDate(2005, 1, 1), "1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.d, "ww"), c.week) << c.d.toString().toStdString();
}

TEST_F(FormatTest, ShortAndGeneralDateTexts) {
    EXPECT_EQ(ShortDateText(QDate(2004, 3, 7)), "3/7/2004");
    EXPECT_EQ(ShortDateText(QDate(2004, 12, 25)), "12/25/2004");
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2004, 3, 7), QTime(0, 0))), "3/7/2004");
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2004, 3, 7), QTime(0, 0, 1))), "3/7/2004 12:00:01 AM");
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(1899, 12, 30), QTime(9, 5, 0))), "9:05:00 AM");
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), "12:00:00 AM");

    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2004, 3, 7), QTime(14, 5, 9))), "3/7/2004 2:05:09 PM");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2004, 3, 7), QTime(14, 5, 9))), "07.03.2004 14:05:09");
    EXPECT_EQ(Format(QDate(2004, 3, 7), "dd/mm/yyyy"), "07.03.2004");
}

TEST_F(FormatTest, FormattedDatesReadBack) {
    // The day-only comparison of old files formats a date and reads it back.
    for (const QLocale& l : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany),
                             QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
        QLocale::setDefault(l);
        const QDateTime t(QDate(2004, 11, 2), QTime(23, 59, 58));
        for (const char* pattern : {"dd-mmm-yyyy", "Short Date", "General Date", "yyyy-mm-dd"}) {
            const QDateTime back = CDate(Format(t, pattern));
            EXPECT_EQ(back.date(), t.date()) << l.name().toStdString() << " " << pattern;
        }
        EXPECT_EQ(CDate(GeneralDateText(t)), t) << l.name().toStdString();
    }
}

// The digits of a number are those printf rounds it to: fifteen
// significant digits of numbers from 1 to 10 shown as they stand.
TEST_F(FormatTest, FifteenDigitsAsPrintfRoundsThem) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::uniform_real_distribution<double>(1, 10)(random);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.14f", v);
        ASSERT_EQ(Format(v, "0.00000000000000"), QString::fromLatin1(buf)) << buf;
    }
}
