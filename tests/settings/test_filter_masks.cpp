// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringList>

#include "settings/FilterMasks.h"

namespace {
QStringList Masks(const FilterMaskList& list) {
    QStringList out;
    for (int i = 1; i <= list.count; ++i)
        out << list.mask(i);
    return out;
}

struct ParseCase {
    const char* text;
    bool fileMasks;
    QStringList expected;
};

class MaskParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(MaskParse, GivesTheMasksInOrder) {
    const ParseCase& c = GetParam();
    FilterMaskList list;
    ParseMaskList(QString::fromUtf8(c.text), c.fileMasks, list, "test");
    EXPECT_EQ(Masks(list), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MaskParse,
    ::testing::Values(
        ParseCase{"", true, {}}, ParseCase{",", true, {}}, ParseCase{" ", true, {}}, ParseCase{";", false, {}},
        ParseCase{"*.swp,*.exe,*.bak", true, {"*.SWP", "*.EXE", "*.BAK"}},
        ParseCase{"*.swp, *.exe, *.bak", true, {"*.SWP", "*.EXE", "*.BAK"}},
        ParseCase{"tmp bak log", true, {"*.TMP", "*.BAK", "*.LOG"}},
        ParseCase{"tmp;bak;log", true, {"*.TMP", "*.BAK", "*.LOG"}},
        // A comma anywhere wins over blanks, which stay inside the mask.
        ParseCase{"*.tmp *.bak,*.log", true, {"*.TMP *.BAK", "*.LOG"}},
        ParseCase{"a ,b", true, {"*.A ", "*.B"}},
        // Two commas are absorbed by the strip; three leave an empty mask.
        ParseCase{"a,,b", true, {"*.A", "*.B"}},
        ParseCase{"a,,,b", true, {"*.A", "*.", "*.B"}},
        ParseCase{"a,,,b", false, {"A", "", "B"}},
        ParseCase{"backup,temp", false, {"BACKUP", "TEMP"}},
        ParseCase{"backup,temp", true, {"*.BACKUP", "*.TEMP"}},
        ParseCase{"~$*.doc,readme.txt", true, {"~$*.DOC", "README.TXT"}},
        ParseCase{"*.tmp,", true, {"*.TMP"}},
        // The strip takes one of each, in the order comma, blank, semicolon.
        ParseCase{", ;x", true, {"*.X"}},
        ParseCase{"; x", true, {"*.", "*.X"}}));

TEST(MaskParse, StopsAtFiftyMasksAndKeepsOldSlots) {
    QStringList many;
    for (int i = 1; i <= 51; ++i)
        many << QStringLiteral("m%1").arg(i);
    FilterMaskList list;
    ParseMaskList(many.join(','), false, list, "test");
    ASSERT_EQ(list.count, 50);
    EXPECT_EQ(list.mask(50), "M50");

    // A shorter parse only rewrites the count and its own slots.
    ParseMaskList("x", false, list, "test");
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.mask(1), "X");
    EXPECT_EQ(list.mask(2), "M2");
}

TEST(MaskMatch, UpperCasesTheNameAndTriesEveryMask) {
    FilterMaskList list;
    ParseMaskList("backup,temp,file#.txt,[A-C]*", false, list, "test");
    const struct {
        const char* name;
        bool match;
    } cases[] = {{"Temp", true},      {"TEMP", true},      {"temp2", false}, {"file1.txt", true},
                 {"file#.txt", false}, {"bravo", true},     {"delta", false}, {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(NameMatchesMaskList(c.name, list), c.match) << c.name;

    FilterMaskList none;
    EXPECT_FALSE(NameMatchesMaskList("anything", none));
}
}  // namespace
