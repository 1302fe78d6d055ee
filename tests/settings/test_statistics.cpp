// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLocale>

#include "SettingsTest.h"
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

TEST_F(StatisticsTest, ResetValuesAndAnEmptyCounterStopTheSave) {
    // What the statistics reset of the window stores.
    f->lblTotalSizeOfArchives->setCaption("0");
    f->lblNumberOfBackups->setCaption("0");
    f->lblLastBackupDate->setCaption("N/A");
    f->lblAverageBuTime->setCaption("7");
    f->lblTotalNumOfFiles->setCaption("9");
    f->txtTotalSize->setText("0");
    f->txtTotalFiles->setText("0");
    f->txtBackUpTime->setText("0");
    Save_Statistics();
    EXPECT_EQ(stored("lblLastBackupDate"), "N/A");
    EXPECT_EQ(stored("lblNumberOfBackups"), "1");
    EXPECT_EQ(stored("lblAverageBuTime"), "0");
    EXPECT_EQ(stored("lblTotalNumOfFiles"), "9");

    // No handler of its own: the error reaches the caller; the size step
    // before it stayed stored.
    f->txtTotalSize->setText("1");
    f->txtTotalFiles->setText("");
    try {
        Save_Statistics();
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 13);
    }
    EXPECT_EQ(stored("lblTotalSizeOfArchives"), "1");
    EXPECT_EQ(stored("lblTotalNumOfFiles"), "9");
}
