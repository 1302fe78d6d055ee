// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLocale>

#include "SettingsTest.h"
#include "settings/SettingsKeys.h"
#include "settings/Statistics.h"
#include "vb/VbError.h"

class StatisticsTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        QLocale::setDefault(QLocale::c());
        f->cmbProfiles->setText("Stats");
        backup = testenv::tempDir("dest");
        f->txtPathBackUp->setText(win(backup));
    }
    void run(const char* size, const char* files, const char* seconds) {
        f->txtTotalSize->setText(size);
        f->txtTotalFiles->setText(files);
        f->txtBackUpTime->setText(seconds);
        f->lblLastBackupDate->setCaption("3/7/2004 2:05:09 PM");
        Save_Statistics();
    }
    QString stored(const char* key) { return storedProfile("Stats", key); }
    QString backup;
};

TEST_F(StatisticsTest, LoadShowsDefaultsAndCountsEveryArchive) {
    for (const char* name : {"Work_BackUp_1.zip", "Other_2.ZIP", "x.cry", "notes.txt", ".hidden.zip"})
        testenv::writeFile(backup + "/" + name, "x");
    Load_Statistics();
    EXPECT_EQ(f->lblAnzOfArchives->Caption(), "3");
    for (ui::VbLabel* l : {f->lblTotalSizeOfArchives, f->lblNumberOfBackups, f->lblLastBackupDate,
                           f->lblAverageBuTime, f->lblTotalNumOfFiles})
        EXPECT_EQ(l->Caption(), "0") << l->objectName().toStdString();
    f->txtPathBackUp->setText(win(backup) + "\\missing");
    Load_Statistics();
    EXPECT_EQ(f->lblAnzOfArchives->Caption(), "0");
}

TEST_F(StatisticsTest, RunsAddUpAndTheAverageIsARunningMean) {
    Load_Statistics();
    run("12.50", "40", "20");
    // The first run's time as it stands; the label keeps the old count.
    EXPECT_EQ(f->lblAverageBuTime->Caption(), "20");
    EXPECT_EQ(f->lblNumberOfBackups->Caption(), "0");
    EXPECT_EQ(stored("lblNumberOfBackups"), "1");
    EXPECT_EQ(stored("lblTotalSizeOfArchives"), "12.5");
    EXPECT_EQ(stored("lblTotalNumOfFiles"), "40");
    EXPECT_EQ(stored("lblLastBackupDate"), "3/7/2004 2:05:09 PM");

    Load_Statistics();
    run("0.25", "2", "10");
    EXPECT_EQ(stored("lblAverageBuTime"), "15.00");
    EXPECT_EQ(stored("lblTotalSizeOfArchives"), "12.75");
    EXPECT_EQ(stored("lblTotalNumOfFiles"), "42");
    EXPECT_EQ(stored("lblNumberOfBackups"), "2");

    // A synchronisation run adds nothing to the totals but counts.
    Load_Statistics();
    run("0", "0", "1500");
    EXPECT_EQ(stored("lblAverageBuTime"), "510.00");
    EXPECT_EQ(stored("lblTotalNumOfFiles"), "42");

    // Means of thousands are grouped and read back.
    for (int i = 0; i < 2; ++i) {
        Load_Statistics();
        run("0", "0", "9000");
    }
    EXPECT_EQ(stored("lblAverageBuTime"), "3,906.00");
    Load_Statistics();
    run("0", "0", "906");
    EXPECT_EQ(stored("lblAverageBuTime"), "3,406.00");
}

// The reset of the window stores the cleared values as they are shown; a
// later load shows them again.
TEST_F(StatisticsTest, TheResetStoresTheClearedValues) {
    run("12.5", "40", "20");
    Load_Statistics();
    ASSERT_EQ(f->lblNumberOfBackups->Caption(), "1");
    f->frmZipStatistc_DblClick();
    const char* keys[] = {"lblTotalSizeOfArchives", "lblNumberOfBackups", "lblLastBackupDate", "lblAverageBuTime",
                          "lblTotalNumOfFiles"};
    const char* cleared[] = {"0", "0", "N/A", "0", "0"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(stored(keys[i]), cleared[i]) << keys[i];
    for (ui::VbTextBox* t : {f->txtTotalFiles, f->txtTotalSize, f->txtCompSize})
        EXPECT_EQ(t->Text(), "0") << t->objectName().toStdString();
    Load_Statistics();
    const ui::VbLabel* shown[] = {f->lblTotalSizeOfArchives, f->lblNumberOfBackups, f->lblLastBackupDate,
                                  f->lblAverageBuTime, f->lblTotalNumOfFiles};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(shown[i]->Caption(), cleared[i]) << keys[i];
    // The next run counts as the first.
    run("1", "2", "30");
    EXPECT_EQ(stored("lblNumberOfBackups"), "1");
    EXPECT_EQ(stored("lblAverageBuTime"), "30");
}

// No handler of its own: the error reaches the caller; the size step before
// it stayed stored.
TEST_F(StatisticsTest, AnEmptyCounterStopsTheSave) {
    f->lblTotalNumOfFiles->setCaption("9");
    settings::WriteProfile("lblTotalNumOfFiles", "9");
    f->txtTotalSize->setText("1");
    f->txtTotalFiles->setText("");
    f->txtBackUpTime->setText("0");
    try {
        Save_Statistics();
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 13);
    }
    EXPECT_EQ(stored("lblTotalSizeOfArchives"), "1");
    EXPECT_EQ(stored("lblTotalNumOfFiles"), "9");
}
