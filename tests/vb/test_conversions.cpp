// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTimeZone>
#include <cmath>
#include <cstdio>
#include <random>

#include "VbTestSupport.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"

using namespace vb;

class Conversions : public LocaleTest {};

TEST_F(Conversions, ValReadsTheLeadingNumber) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"  12abc", 12},  {"&H10", 16},     {"1e3", 1000},   {"&HFFFF", -1},   {"&H10000", 65536},
        {"&O17", 15},     {"", 0},          {"abc", 0},      {"-", 0},         {" - 1 2 . 5", -12.5},
        {"1,000", 1},     {"1.2.3", 1.2},   {".5", 0.5},     {"1e", 1},        {"2D2", 200},
        {"\t7\n8", 78},   {"&", 0},         {"&Hzz", 0},     {"+3", 3},        {"1e-2x", 0.01},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_EQ(ErrorOf([] { Val("1e999"); }), errOverflow);
    EXPECT_EQ(Val("1e-999"), 0);
}

TEST_F(Conversions, CIntAndCLngRoundHalfToEvenAndCheckTheRange) {
    const struct {
        double in;
        int out;
    } ints[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2},
                {32767.4, 32767}, {-32768.5, -32768}, {-0.4, 0}};
    for (const auto& c : ints)
        EXPECT_EQ(CInt(c.in), c.out) << c.in;
    for (double bad : {32767.5, -32768.6, 1e10, std::nan("")})
        EXPECT_EQ(ErrorOf([=] { CInt(bad); }), errOverflow) << bad;

    EXPECT_EQ(CLng(2147483647.4), 2147483647);
    EXPECT_EQ(CLng(-2147483648.5), -2147483647 - 1);
    EXPECT_EQ(CLng(4.5), 4);
    EXPECT_EQ(ErrorOf([] { CLng(2147483647.5); }), errOverflow);
}

TEST_F(Conversions, TextToNumbers) {
    EXPECT_EQ(CInt(QString(" 12 ")), 12);
    EXPECT_EQ(CInt(QString("2.5")), 2);
    EXPECT_EQ(CLng(QString("1,234,567")), 1234567);
    EXPECT_EQ(CLng(QString("&H10")), 16);
    EXPECT_EQ(CLng(QString("-1e3")), -1000);
    EXPECT_EQ(CLng(QString("(5)")), -5);
    EXPECT_DOUBLE_EQ(CDbl("$1,000.25"), 1000.25);
    EXPECT_DOUBLE_EQ(CDbl(".5"), 0.5);
    for (const char* bad : {"", " ", "abc", "12abc", "1.2.3", "-", ".", "1e", "--1", "True"})
        EXPECT_EQ(ErrorOf([=] { CLng(QString(bad)); }), errTypeMismatch) << bad;
    EXPECT_EQ(ErrorOf([] { CInt(QString("40000")); }), errOverflow);
    EXPECT_EQ(ErrorOf([] { CDbl("1e999"); }), errOverflow);
    EXPECT_FLOAT_EQ(CSng("1.5"), 1.5f);
    EXPECT_EQ(ErrorOf([] { CSng(1e300); }), errOverflow);
}

TEST_F(Conversions, IsNumericTable) {
    for (const char* yes : {"0", " 12 ", "-1.5", "1e3", "1E+3", "2d2", "&H1F", "&O7", "1,000", ".5", "1.", "$5", "(3)"})
        EXPECT_TRUE(IsNumeric(yes)) << yes;
    for (const char* no : {"", " ", "abc", "1a", "-", ".", "1e", "&H", "&HG", "1 2", "1e999", "1..2"})
        EXPECT_FALSE(IsNumeric(no)) << no;
}

TEST_F(Conversions, CBoolTable) {
    EXPECT_TRUE(CBool("True"));
    EXPECT_TRUE(CBool(" true "));
    EXPECT_FALSE(CBool("FALSE"));
    EXPECT_TRUE(CBool("-1"));
    EXPECT_TRUE(CBool("0.1"));
    EXPECT_FALSE(CBool("0"));
    EXPECT_TRUE(CBool(2.0));
    EXPECT_FALSE(CBool(0.0));
    EXPECT_EQ(ErrorOf([] { CBool("yes"); }), errTypeMismatch);
    EXPECT_EQ(ErrorOf([] { CBool(""); }), errTypeMismatch);
}

TEST_F(Conversions, StrAndCStr) {
    const struct {
        double v;
        const char* str;
        const char* cstr;
    } cases[] = {
        {5, " 5", "5"},           {-5, "-5", "-5"},         {0.5, " .5", "0.5"},      {-0.25, "-.25", "-0.25"},
        {0, " 0", "0"},           {1.0 / 3, " .333333333333333", "0.333333333333333"},
        {1e15, " 1E+15", "1E+15"}, {123456789012345, " 123456789012345", "123456789012345"},
        {1.5e-5, " 1.5E-05", "1.5E-05"}, {0.0001, " .0001", "0.0001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str(c.v), c.str) << c.v;
        EXPECT_EQ(CStr(c.v), c.cstr) << c.v;
    }
    EXPECT_EQ(Str(7), " 7");
    EXPECT_EQ(Str(qint64(-7)), "-7");
    EXPECT_EQ(CStr(42), "42");
    EXPECT_EQ(CStr(true), "True");
    EXPECT_EQ(CStr(false), "False");
    EXPECT_EQ(CStr(0.1f), "0.1");  // a Single shows its 7 digits, not the double's
    EXPECT_EQ(CStr(QDateTime(QDate(2004, 3, 7), QTime(14, 5, 9))), "3/7/2004 2:05:09 PM");
}

TEST_F(Conversions, CDateReadsTheUsersFormsAndIso) {
    SetClockForTest(QDateTime(QDate(2004, 3, 7), QTime(12, 0)));
    const struct {
        const char* text;
        QDateTime when;
    } cases[] = {
        {"3/7/2004", {QDate(2004, 3, 7), QTime(0, 0)}},
        {"03/07/04", {QDate(2004, 3, 7), QTime(0, 0)}},
        {"13/1/2004", {QDate(2004, 1, 13), QTime(0, 0)}},  // no 13th month: read day first
        {"2004-03-07", {QDate(2004, 3, 7), QTime(0, 0)}},
        {"2004-03-07 14:05:09", {QDate(2004, 3, 7), QTime(14, 5, 9)}},
        {"07-Mar-2004", {QDate(2004, 3, 7), QTime(0, 0)}},
        {"7 March 2004", {QDate(2004, 3, 7), QTime(0, 0)}},
        {"Sunday, March 7, 2004", {QDate(2004, 3, 7), QTime(0, 0)}},
        {"3/7/2004 2:05:09 PM", {QDate(2004, 3, 7), QTime(14, 5, 9)}},
        {"3/7/2004 12:00:00 AM", {QDate(2004, 3, 7), QTime(0, 0)}},
        {"12:30 PM", {QDate(1899, 12, 30), QTime(12, 30)}},
        {"23:59:59", {QDate(1899, 12, 30), QTime(23, 59, 59)}},
        {"3/8", {QDate(2004, 3, 8), QTime(0, 0)}},
        {"1/1/29", {QDate(2029, 1, 1), QTime(0, 0)}},
        {"1/1/30", {QDate(1930, 1, 1), QTime(0, 0)}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(IsDate(c.text)) << c.text;
        EXPECT_EQ(CDate(QString(c.text)), c.when) << c.text;
    }
    for (const char* bad : {"", "abc", "5", "2/30/2004", "25:00", "3/7/2004 abc", "13/13/2004", "1:60"}) {
        EXPECT_FALSE(IsDate(bad)) << bad;
        EXPECT_EQ(ErrorOf([=] { CDate(QString(bad)); }), errTypeMismatch) << bad;
    }
    ResetClock();
}

TEST_F(Conversions, SerialDates) {
    EXPECT_EQ(CDate(0.0), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(CDate(38053.5), QDateTime(QDate(2004, 3, 7), QTime(12, 0)));
    EXPECT_EQ(CDate(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_DOUBLE_EQ(DateToSerial(QDateTime(QDate(2004, 3, 7), QTime(18, 0))), 38053.75);
    EXPECT_DOUBLE_EQ(DateToSerial(CDate(-1.25)), -1.25);
}

TEST_F(Conversions, GermanLocaleReadsCommaDecimals) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(CDbl("1.234,5"), 1234.5);
    EXPECT_EQ(CLng(QString("2,5")), 2);
    EXPECT_DOUBLE_EQ(Val("2,5"), 2);  // Val always reads "."
    EXPECT_EQ(CStr(0.5), "0,5");
    EXPECT_EQ(Str(0.5), " .5");
    EXPECT_EQ(CDate(QString("7.3.2004")), QDateTime(QDate(2004, 3, 7), QTime(0, 0)));
}

// CStr writes a Double's 15 significant digits as printf's "%.15G" does, for
// every kind of value (ties, powers of ten, the ends of the range).
TEST_F(Conversions, CStrHasPrintfsDigits) {
    std::vector<double> values = {0.5, 0.125, 2.675, 1e15, 1e16, 1e-5, 9.99999999999999e14, 999999999999999.5,
                                  123456789.125, 0.1 + 0.2, 1.0 / 3, 2.0 / 3, 5e-324, 2.2250738585072014e-308,
                                  1.7976931348623157e308, 4294967295.0, 9007199254740993.0};
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const double m = std::uniform_real_distribution<double>(1, 10)(random);
        values.push_back(m * std::pow(10.0, int(random() % 40) - 20));
        values.push_back(double(random() % 100000000) / 8);
    }
    for (const double v : values)
        for (const double x : {v, -v}) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15G", x);
            ASSERT_EQ(CStr(x), QString::fromLatin1(buf)) << buf;
        }
}
