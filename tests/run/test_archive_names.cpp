// SPDX-License-Identifier: GPL-3.0-or-later
// Archive names by day, week and month, volume names and numbers, comment.
#include <gtest/gtest.h>

#include "run/ArchiveNaming.h"

using namespace archive_naming;

namespace {

struct NameCase {
    int period;
    QDate day;
    const char* name;
};

TEST(ArchiveNames, BaseNameByPeriod) {
    const NameCase cases[] = {
        {Daily, QDate(2004, 3, 7), "Office_BackUp_d20040307.zip"},
        {Weekly, QDate(2004, 3, 7), "Office_BackUp_w200411.zip"},
        {Weekly, QDate(2004, 1, 8), "Office_BackUp_w20042.zip"},
        {Weekly, QDate(2004, 1, 3), "Office_BackUp_w20041.zip"},   // Saturday: still week 1
        {Weekly, QDate(2004, 1, 4), "Office_BackUp_w20042.zip"},   // the first Sunday opens week 2
        {Weekly, QDate(2000, 12, 31), "Office_BackUp_w200054.zip"},
        {Weekly, QDate(2001, 1, 1), "Office_BackUp_w20011.zip"},   // a new year is a new archive
        {Weekly, QDate(2006, 12, 31), "Office_BackUp_w200653.zip"},
        {Monthly, QDate(2004, 3, 7), "Office_BackUp_m200403.zip"},
        {Monthly, QDate(1999, 12, 31), "Office_BackUp_m199912.zip"},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(BaseName(QStringLiteral("Office"), c.period, c.day), QString::fromLatin1(c.name))
            << c.day.toString(Qt::ISODate).toStdString();
}

TEST(ArchiveNames, WeekNumberRunsFromOneToFiftyFour) {
    for (int year : {2000, 2004, 2011, 2012, 2017}) {
        int last = 0;
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
            const int w = WeekNumber(d);
            ASSERT_GE(w, last);
            ASSERT_LE(w - last, 1);
            if (d.dayOfWeek() == 7 && d.dayOfYear() > 1) {
                ASSERT_EQ(w, last + 1) << d.toString(Qt::ISODate).toStdString();  // Sunday begins a week
            }
            last = w;
        }
        EXPECT_GE(last, 53);
        EXPECT_LE(last, 54);
    }
}

TEST(ArchiveNames, VolumesAndTheirNumbers) {
    EXPECT_EQ(VolumeName(QStringLiteral("Office_BackUp_d20040307.zip"), 2),
              QStringLiteral("Office_BackUp_d20040307__2.zip"));
    EXPECT_EQ(VolumeName(QStringLiteral("Office_BackUp_w20042.zip"), 32767),
              QStringLiteral("Office_BackUp_w20042__32767.zip"));

    struct {
        const char* path;
        int number;
    } const cases[] = {
        {"Office_BackUp_d20040307__3.zip", 3},
        {"Office_BackUp_d20040307__3.zip.cry", 3},
        {"Office_BackUp_d20040307__10.zip", 10},
        {"Office_BackUp_d20040307.zip", 0},
        {"Office_BackUp_d20040307__.zip", 0},
        {"Office_BackUp_d20040307__99999.zip", 0},   // no volume number that large
        {"Office_BackUp_d20040307__3.zip.log", 0},
        {"C:\\Temp__x\\Office_BackUp_d20040307__4.zip", 4},
        {"C:\\Temp__7\\Office_BackUp_d20040307.zip", 0},  // the folder is not looked at
        // a profile name with "__": the number is the one after its stem
        {"My__Profile_BackUp_d20040307__2.zip", 2},
        {"X__Y_BackUp_d20040307__12.zip.cry", 12},
        {"A__1_BackUp_d20040307.zip", 0},
        {"A__1_BackUp_w20042.zip", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VolumeNumber(QString::fromLatin1(c.path)), c.number) << c.path;
}

// A server's name is a volume of the profile only when it is the profile's
// stem, "__", digits and the suffix, letter for letter.
TEST(ArchiveNames, ListedVolumesAreMatchedAsText) {
    const QString stem = QStringLiteral("P#[1]?*_BackUp_d20040307");
    struct {
        const char* name;
        const char* suffix;
        int number;
    } const cases[] = {
        {"P#[1]?*_BackUp_d20040307__3.zip", ".zip", 3},
        {"P#[1]?*_BackUp_d20040307__12.zip.cry", ".zip.cry", 12},
        {"P#[1]?*_BackUp_d20040307__12.zip.cry", ".zip", 0},
        {"P#[1]?*_BackUp_d20040307__3.zip.log", ".zip", 0},
        {"P#[1]?*_BackUp_d20040307__3.zip.part", ".zip", 0},
        {"P#[1]?*_BackUp_d20040307__.zip", ".zip", 0},
        {"P#[1]?*_BackUp_d20040307__3a.zip", ".zip", 0},
        {"P#[1]?*_BackUp_d20040307__99999.zip", ".zip", 0},
        {"p#[1]?*_BackUp_d20040307__3.zip", ".zip", 0},   // case counts
        {"P51xy_BackUp_d20040307__3.zip", ".zip", 0},     // no wildcards
        {"P#[1]?*_BackUp_d20040307__3.zip/", ".zip", 0},  // a folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListedVolume(QString::fromLatin1(c.name), stem, QString::fromLatin1(c.suffix)), c.number) << c.name;
}

TEST(ArchiveNames, Comment) {
    EXPECT_EQ(Comment(), QStringLiteral("Archiv created with n.r.v Vaultora %1.%2")
                             .arg(VAULTORA_VERSION_MAJOR)
                             .arg(VAULTORA_VERSION_MINOR));
}

}  // namespace
