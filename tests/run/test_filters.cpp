// SPDX-License-Identifier: GPL-3.0-or-later
#include <QSet>
#include <QSignalBlocker>

#include "MediaTestSupport.h"
#include "platform/FileSystem.h"
#include "settings/FilterMasks.h"

namespace {

QDateTime utc(int y, int m, int d, int h = 12, int min = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC);
}

}  // namespace

class FileSelectionTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        dir = testenv::tempDir(QStringLiteral("sel"));
        form->optCompleteNoFilter->setValue(false);
        form->optNewOnly->setValue(false);
        form->optComplete->setValue(true);
        form->chkExclOldFiles->setValue(0);
        form->chkExclYoungFiles->setValue(0);
        form->chkExclYoungDayFiles->setValue(0);
        setMasks(QString(), QString());
    }
    void setMasks(const QString& exclusions, const QString& inclusions) {
        form->txtExclusions->setText(exclusions);
        form->txtInclusions->setText(inclusions);
        load_backup_exclusions();
        load_backup_inclusions();
        errors.clear();
    }
    QString dir;
};

TEST_F(FileSelectionTest, FindFilesListsEveryFileOfTheFolderThenOneEmptyElement) {
    makeFile(dir, "a.txt");
    makeFile(dir, "noext");
    makeFile(dir, ".hidden");
    makeFile(dir, "b.tar.gz");
    QDir(dir).mkdir("sub");
    makeFile(dir + "/sub", "deeper.txt");
    QFile::link(dir + "/a.txt", dir + "/link.txt");

    const QString folder = win(dir);
    form->FileList = QStringList{QString()};
    form->Find_Files(folder + "\\*.*");

    ASSERT_EQ(form->FileList.size(), 6);
    EXPECT_EQ(form->FileList.last(), QString());
    QSet<QString> got;
    for (int i = 0; i < form->FileList.size() - 1; ++i)
        got.insert(form->FileList[i]);
    const QSet<QString> want{folder + "\\a.txt", folder + "\\noext", folder + "\\.hidden",
                             folder + "\\b.tar.gz", folder + "\\link.txt"};
    EXPECT_EQ(got, want);
    // The order is the file system's, the same that the listing gives.
    QStringList listed;
    for (QString n = platform::Dir(folder + "\\*.*", 7); !n.isEmpty(); n = platform::Dir())
        listed << folder + "\\" + n;
    EXPECT_EQ(form->FileList.mid(0, 5), listed);
    // A hidden file is listed; the run itself decides about it by its attribute.
    EXPECT_TRUE(platform::GetAttr(folder + "\\.hidden") & platform::vbHidden);
    EXPECT_TRUE(errors.empty());
}

TEST_F(FileSelectionTest, FindFilesOfAnEmptyOrMissingFolderLeavesTwoEmptyElements) {
    for (const QString& folder : {win(dir), win(dir) + "\\missing"}) {
        SCOPED_TRACE(folder.toStdString());
        form->FileList = QStringList{QString()};
        form->Find_Files(folder + "\\*.*");
        EXPECT_EQ(form->FileList, (QStringList{QString(), QString()}));
        // The run meets one empty name, which the filter skips.
        EXPECT_TRUE(form->File_Filter(form->FileList[0]));
    }
}

TEST_F(FileSelectionTest, FindFilesWithOneFile) {
    makeFile(dir, "only.dat");
    form->FileList = QStringList{QString()};
    form->Find_Files(win(dir) + "\\*.*");
    EXPECT_EQ(form->FileList, (QStringList{win(dir) + "\\only.dat", QString()}));
}

struct FilterCase {
    const char* what;
    const char* exclusions;
    bool noFilter;
    int oldRule, youngRule, youngDayRule;
    const char* days;
    const char* name;
    QDateTime written;   // UTC
    bool skipped;
};

// The picker holds 10 June 2024; today is 10 June 2024 (local noon).
TEST_F(FileSelectionTest, FileFilterDecisions) {
    const QDateTime picker = utc(2024, 6, 10);
    const std::vector<FilterCase> cases = {
        {"plain file taken", "", false, 0, 0, 0, "0", "report.txt", picker, false},
        {"exclusion mask, lower-case name", "*.tmp", false, 0, 0, 0, "0", "report.tmp", picker, true},
        {"exclusion mask, upper-case name", "*.tmp", false, 0, 0, 0, "0", "REPORT.TMP", picker, true},
        {"other extension taken", "*.tmp", false, 0, 0, 0, "0", "report.txt", picker, false},
        {"bare extension gets *.", "tmp bak", false, 0, 0, 0, "0", "x.bak", picker, true},
        {"a mask with a folder never matches", "C:\\Data\\*.tmp", false, 0, 0, 0, "0", "report.tmp", picker, false},
        {"# is one digit", "FILE#.TXT", false, 0, 0, 0, "0", "file1.txt", picker, true},
        {"# is not itself", "FILE#.TXT", false, 0, 0, 0, "0", "file#.txt", picker, false},
        {"list range in", "[A-C]*.DOC", false, 0, 0, 0, "0", "b.doc", picker, true},
        {"list range out", "[A-C]*.DOC", false, 0, 0, 0, "0", "d.doc", picker, false},
        {"negated list", "[!A-C]*.DOC", false, 0, 0, 0, "0", "d.doc", picker, true},
        {"? is one character", "A?C.TXT", false, 0, 0, 0, "0", "abc.txt", picker, true},
        {"exact name", "readme.txt", false, 0, 0, 0, "0", "README.TXT", picker, true},
        {"second mask matches", "*.a,*.b", false, 0, 0, 0, "0", "z.b", picker, true},
        {"no filter takes an excluded old file", "*.tmp", true, 1, 0, 0, "0", "x.tmp", utc(2000, 1, 1), false},
        {"old rule: day before the picker", "", false, 1, 0, 0, "0", "a.txt", utc(2024, 6, 9, 23, 59), true},
        {"old rule: the picker's day", "", false, 1, 0, 0, "0", "a.txt", utc(2024, 6, 10, 0, 0), false},
        {"young rule: day after the picker", "", false, 0, 1, 0, "0", "a.txt", utc(2024, 6, 11, 0, 0), true},
        {"young rule: the picker's day", "", false, 0, 1, 0, "0", "a.txt", utc(2024, 6, 10, 23, 59), false},
        {"days 0: today taken", "", false, 0, 0, 1, "0", "a.txt", utc(2024, 6, 10), false},
        {"days 0: tomorrow skipped", "", false, 0, 0, 1, "0", "a.txt", utc(2024, 6, 11), true},
        {"days 1: today skipped", "", false, 0, 0, 1, "1", "a.txt", utc(2024, 6, 10), true},
        {"days 1: yesterday taken", "", false, 0, 0, 1, "1", "a.txt", utc(2024, 6, 9), false},
        {"days 30: 29 days old skipped", "", false, 0, 0, 1, "30", "a.txt", utc(2024, 5, 12), true},
        {"days 30: 30 days old taken", "", false, 0, 0, 1, "30", "a.txt", utc(2024, 5, 11), false},
        {"day count not a number skips", "", false, 0, 0, 1, "abc", "a.txt", utc(2000, 1, 1), true},
        {"day count not a number, rule off", "", false, 0, 0, 0, "abc", "a.txt", utc(2000, 1, 1), false},
    };
    vb::SetClockForTest(QDateTime(QDate(2024, 6, 10), QTime(12, 0)));
    form->DTPicker1->setValue(picker.date());
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.what);
        setMasks(QString::fromUtf8(c.exclusions), QString());
        form->optCompleteNoFilter->setValue(c.noFilter);
        if (!c.noFilter)
            form->optComplete->setValue(true);
        form->chkExclOldFiles->setValue(c.oldRule);
        form->chkExclYoungFiles->setValue(c.youngRule);
        form->chkExclYoungDayFiles->setValue(c.youngDayRule);
        {
            // past the box's own clean-up, so that the filter meets any text
            const QSignalBlocker quiet(form->txtExclYoungDay);
            form->txtExclYoungDay->setText(QString::fromUtf8(c.days));
        }
        const QString host = makeFile(dir, QString::fromUtf8(c.name), c.written);
        EXPECT_EQ(form->File_Filter(win(host)), c.skipped);
        QFile::remove(host);
    }
}

TEST_F(FileSelectionTest, TheDateRulesUseTheUtcDayOfTheFile) {
    // 23:30 UTC on the 9th is already the 10th east of Greenwich.
    struct ZoneGuard {
        ZoneGuard() { qputenv("TZ", "Pacific/Auckland"); tzset(); }
        ~ZoneGuard() { qunsetenv("TZ"); tzset(); }
    } zone;
    const QString host = makeFile(dir, "late.txt", utc(2024, 6, 9, 23, 30));
    form->DTPicker1->setValue(QDate(2024, 6, 10));
    form->chkExclOldFiles->setValue(1);
    EXPECT_TRUE(form->File_Filter(win(host)));
}

TEST_F(FileSelectionTest, AFileThatHasGoneCountsAsWrittenIn1601) {
    const QString gone = win(dir) + "\\gone.txt";
    form->DTPicker1->setValue(QDate(2024, 6, 10));
    vb::SetClockForTest(QDateTime(QDate(2024, 6, 10), QTime(12, 0)));
    form->txtExclYoungDay->setText("5");
    form->chkExclOldFiles->setValue(1);
    EXPECT_TRUE(form->File_Filter(gone));
    form->chkExclOldFiles->setValue(0);
    form->chkExclYoungFiles->setValue(1);
    form->chkExclYoungDayFiles->setValue(1);
    EXPECT_FALSE(form->File_Filter(gone));
}

TEST_F(FileSelectionTest, AnInvalidMaskMatchesEveryNameAndIsLogged) {
    const QString host = makeFile(dir, "any.txt");
    setMasks("*.txx,[AB", "[AB");
    EXPECT_TRUE(form->File_Excluded(win(host)));
    EXPECT_TRUE(form->File_Filter(win(host)));
    EXPECT_TRUE(form->File_Included(win(host)));
    EXPECT_TRUE(errorLabels().contains("File_Excluded of Formular frmMain_BackUp"));
    EXPECT_TRUE(errorLabels().contains("File_Included of Formular frmMain_BackUp"));
    // A mask before the invalid one that matches decides without an error.
    setMasks("*.txt,[AB", QString());
    EXPECT_TRUE(form->File_Excluded(win(host)));
    EXPECT_TRUE(errors.empty());
}

TEST_F(FileSelectionTest, AnInvalidDayCountIsLoggedByTheFilter) {
    const QString host = makeFile(dir, "any.txt");
    form->chkExclYoungDayFiles->setValue(1);
    {
        const QSignalBlocker quiet(form->txtExclYoungDay);  // past the box's own clean-up
        form->txtExclYoungDay->setText("many");
    }
    EXPECT_TRUE(form->File_Filter(win(host)));
    EXPECT_EQ(errorLabels(), QStringList{"File_Filter of Formular frmMain_BackUp"});
}

// New files only: a file the filter lets pass is taken when it matches an
// inclusion mask or its archive bit is set.
TEST_F(FileSelectionTest, NewFilesOnlyInclusionMasksAndTheArchiveBit) {
    struct Case {
        const char* inclusions;
        const char* name;
        bool cleared;   // archive bit cleared after the last backup
        bool taken;
    };
    const std::vector<Case> cases = {
        {"", "new.txt", false, true},
        {"", "old.txt", true, false},
        {"*.doc", "old.doc", true, true},
        {"*.doc", "old.txt", true, false},
        {"letter", "x.LETTER", true, true},
    };
    form->optNewOnly->setValue(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setMasks(QString(), QString::fromUtf8(c.inclusions));
        const QString path = win(makeFile(dir, QString::fromUtf8(c.name)));
        if (c.cleared)
            platform::SetAttr(path, platform::vbNormal);
        ASSERT_FALSE(form->File_Filter(path));
        form->CurrentArchiveBit = (platform::GetAttr(path) & platform::vbArchive) != 0;
        EXPECT_EQ(form->File_Included(path) || form->CurrentArchiveBit, c.taken);
    }
    // A cleared file that changes is new again.
    const QString path = win(makeFile(dir, "changed.txt"));
    platform::SetAttr(path, platform::vbNormal);
    EXPECT_FALSE(platform::GetAttr(path) & platform::vbArchive);
    makeFile(dir, "changed.txt", QDateTime::currentDateTimeUtc().addSecs(60), "longer");
    EXPECT_TRUE(platform::GetAttr(path) & platform::vbArchive);
}

TEST_F(FileSelectionTest, ShortenPath) {
    struct Case {
        QString path;
        int width;
        QString want;
    };
    const QString hundred = "C:\\Data\\" + QString(80, 'a') + "\\tail.txt";   // first folder ends at 8
    ASSERT_EQ(hundred.size(), 97);
    const QString longer = hundred + "xyz";
    const std::vector<Case> cases = {
        {"C:\\Data\\Projects\\2004\\Reports\\summary.doc", 30, "C:\\Data\\...Reports\\summary.doc"},
        {"C:\\Data\\x.txt", 13, "C:\\Data\\x.txt"},
        {"C:\\Data\\x.txt", 40, "C:\\Data\\x.txt"},
        {longer, 65, "C:\\Data\\..." + longer.right(54)},
        {"\\\\server\\share\\folder\\deeper\\file.txt", 25, "\\\\server\\...eper\\file.txt"},
        {"nobackslashatall_but_long_enough", 10, "..._enough"},
        // The first folder reaches beyond the width: head and tail halves.
        {"C:\\AVeryLongFirstFolderName\\file.txt", 20, "C:\\AVery...\\file.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QString got = form->shorten_path(c.path, qint16(c.width));
        EXPECT_EQ(got, c.want);
        EXPECT_LE(got.size(), c.width);
    }
    EXPECT_EQ(form->shorten_path(longer, 65).size(), 65);
    EXPECT_TRUE(errors.empty());
}
