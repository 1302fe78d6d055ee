// SPDX-License-Identifier: GPL-3.0-or-later
// The restore window's archive list, its settings, and the search.
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "restore/RestoreCopies.h"
#include "RestoreTest.h"
#include "crypto/clsBlowfish.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/controls/VbControl.h"
#include "vb/ErrorHandling.h"

using namespace restoretest;
using platform::vbCritical;

namespace {

const QMap<QString, QByteArray> kNames = {
    {QStringLiteral("Report.TXT"), "report"}, {QStringLiteral("notes"), "no dot"},
    {QStringLiteral("a1.log"), "a1"},         {QStringLiteral("b2.log"), "b2"},
    {QStringLiteral("d.log"), "d"},           {QStringLiteral("sub/Deep.txt"), "deep"}};

class RestoreSearch : public RestoreTest {};

TEST_F(RestoreSearch, ListsTheArchivesOfAFolderAndCreatesNoFolderWhileTyping) {
    const QString dir = testenv::tempDir(QStringLiteral("list"));
    for (const char* n : {"a.zip", "B.ZIP", "c.Cry", "d.zip.bak", "e.txt"})
        testenv::writeFile(dir + QLatin1Char('/') + QLatin1String(n), "x");
    OpenWindow();
    w().txtPathSearch->setText(ziprun::Win(dir));
    ASSERT_EQ(w().List3->ListCount(), 4);
    EXPECT_EQ(w().List3->List(0), LangText(243));
    EXPECT_TRUE(w().List3->Selected(0));
    EXPECT_EQ(QStringList({w().List3->List(1), w().List3->List(2), w().List3->List(3)}),
              QStringList({QStringLiteral("a.zip"), QStringLiteral("B.ZIP"), QStringLiteral("c.Cry")}));
    EXPECT_EQ(f().File1->Path().left(2), QStringLiteral("C:"));

    // A path typed letter by letter lists nothing for the missing folders and
    // makes none of them.
    const QString typed = ziprun::Win(dir) + QStringLiteral("\\new");
    for (int n = ziprun::Win(dir).size() + 1; n <= typed.size(); ++n)
        w().txtPathSearch->setText(typed.left(n));
    EXPECT_EQ(w().List3->ListCount(), 1);
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/\\n")));
    EXPECT_EQ(QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());

    w().txtPathSearch->setText(QStringLiteral("   "));
    EXPECT_EQ(w().List3->ListCount(), 0);
}

TEST_F(RestoreSearch, PatternTable) {
    MakeArchive(QStringLiteral("N"), kNames);
    OpenWindow();
    struct Case {
        const char* pattern;
        int caseSensitive;
        QStringList hits;
    } cases[] = {
        {"*.*", 0, {"Deep.txt", "Report.TXT", "a1.log", "b2.log", "d.log"}},
        {"*", 0, {"Deep.txt", "Report.TXT", "a1.log", "b2.log", "d.log", "notes"}},
        {"REPORT.*", 0, {"Report.TXT"}},
        // With the case option on the pattern meets the stored name's case.
        {"REPORT.*", 1, {}},
        {"Report.*", 1, {"Report.TXT"}},
        {"report.txt", 1, {}},
        {"?#.log", 0, {"a1.log", "b2.log"}},
        {"[!a-c]*.log", 0, {"d.log"}},
        {"deep*", 0, {"Deep.txt"}},   // the file name only, never its folders
        {"sub*", 0, {}},
    };
    for (const Case& c : cases) {
        Search(QString::fromLatin1(c.pattern), c.caseSensitive);
        QStringList hits = Hits();
        hits.sort();
        EXPECT_EQ(hits, c.hits) << c.pattern << " case " << c.caseSensitive;
        EXPECT_EQ(Counters(), QStringList({"6", "1", QString::number(c.hits.size()), c.hits.isEmpty() ? "0" : "1"}))
            << c.pattern;
        EXPECT_TRUE(Prompts().isEmpty()) << c.pattern;
    }
    // A row carries the entry as the restore needs it, under its stored name.
    Search(QStringLiteral("deep.txt"));
    ASSERT_EQ(w().FG3->Rows(), 2);
    EXPECT_EQ(w().FG3->TextMatrix(0, 6), QStringLiteral("Path"));
    EXPECT_EQ(w().FG3->TextMatrix(1, 3), QStringLiteral("4"));
    EXPECT_TRUE(w().FG3->TextMatrix(1, 6).endsWith(QStringLiteral("\\sub\\Deep.txt")));
    EXPECT_TRUE(w().tbTools->Buttons(QStringLiteral("search")).Enabled());
    EXPECT_FALSE(w().tbTools->Buttons(QStringLiteral("cancel")).Enabled());
}

TEST_F(RestoreSearch, RefusedInputsShowTheirMessageAndSearchNothing) {
    MakeArchive(QStringLiteral("N"), kNames);
    OpenWindow();
    const QString empty = testenv::tempDir(QStringLiteral("empty"));
    struct Case {
        QString folder, pattern, message;
    } cases[] = {
        {QString(), QStringLiteral("*"), QStringLiteral("No ZIP archive directory defined !\r\nPlease retry")},
        {ziprun::Win(dest), QStringLiteral("  "), QStringLiteral("No search name defined !\r\nPlease retry")},
        {ziprun::Win(dest), QString(), QStringLiteral("No search name defined !\r\nPlease retry")},
        {ziprun::Win(empty), QStringLiteral("*"),
         QStringLiteral("There are no ZIP archives in the seleted directory !\r\nPlease try again.")},
    };
    for (const Case& c : cases) {
        w().txtPathSearch->setText(c.folder);
        Search(c.pattern);
        EXPECT_EQ(Prompts(), QStringList({c.message})) << c.message.toStdString();
        EXPECT_EQ(Counters(), QStringList({"0", "0", "0", "0"}));
    }
}

TEST_F(RestoreSearch, EntryZeroTakesEveryArchiveAndAnotherEntryOnlyItself) {
    MakeArchive(QStringLiteral("A"), {{QStringLiteral("one.txt"), "1"}});
    MakeArchive(QStringLiteral("B"), {{QStringLiteral("two.txt"), "2"}, {QStringLiteral("three.txt"), "3"}});
    OpenWindow();
    ASSERT_EQ(w().List3->ListCount(), 3);
    w().List3->setSelected(2, true);   // with entry 0 still selected: all
    Search(QStringLiteral("*.txt"));
    EXPECT_EQ(Counters(), QStringList({"3", "2", "3", "2"}));
    w().List3->setSelected(0, false);
    Search(QStringLiteral("*.txt"));
    EXPECT_EQ(Counters(), QStringList({"2", "1", "2", "1"}));
    EXPECT_EQ(w().FG3->TextMatrix(1, 4), w().List3->List(2));
}

TEST_F(RestoreSearch, EncryptedArchivesWithARightAndAWrongPassword) {
    MakeArchive(QStringLiteral("A"), {{QStringLiteral("alpha.txt"), "a"}}, QStringLiteral("right"));
    const QString b = MakeArchive(QStringLiteral("B"), {{QStringLiteral("beta.txt"), "b"}}, QStringLiteral("other"));
    const QString c = MakeArchive(QStringLiteral("C"), {{QStringLiteral("gamma.txt"), "c"}}, QStringLiteral("right"));
    ASSERT_TRUE(ziprun::FilesIn(dest, QStringLiteral("*.zip")).isEmpty());  // only ".cry" archives
    // Any letter case of the extension is an encrypted archive, and a temp
    // folder that is not there yet is made.
    const QString upper = c.left(c.size() - 3) + QStringLiteral("CRY");
    ASSERT_TRUE(QFile::rename(dest + QLatin1Char('/') + c, dest + QLatin1Char('/') + upper));
    ASSERT_TRUE(QDir(temp).removeRecursively());
    OpenWindow();
    w().txtEncryptPassword->setText(QStringLiteral("right"));
    Search(QStringLiteral("*"));
    // One message at the end names the archive that could not be decrypted.
    EXPECT_EQ(Prompts(), QStringList({QStringLiteral("These archives were not searched:\r\n") + b +
                                      QStringLiteral(": could not be decrypted - please check the password")}));
    QStringList hits = Hits();
    hits.sort();
    EXPECT_EQ(hits, QStringList({QStringLiteral("alpha.txt"), QStringLiteral("gamma.txt")}));
    EXPECT_EQ(Counters(), QStringList({"2", "2", "2", "2"}));
    EXPECT_FALSE(QFileInfo::exists(temp + QStringLiteral("/_BackUp_temp.zip")));
}

TEST_F(RestoreSearch, WithoutATempFolderNoCopyIsMadeAndNoPasswordBlamed) {
    const QString a =
        MakeArchive(QStringLiteral("A"), {{QStringLiteral("alpha.txt"), "a"}}, QStringLiteral("pw"));
    MakeArchive(QStringLiteral("B"), {{QStringLiteral("beta.txt"), "b"}});
    f().txtPathTemp->setText(QString());
    OpenWindow();
    w().txtEncryptPassword->setText(QStringLiteral("pw"));
    QFile::remove(ErrorLogFile());
    Search(QStringLiteral("*"));
    ASSERT_EQ(Prompts().size(), 1);
    EXPECT_TRUE(Prompts().first().startsWith(QStringLiteral("These archives were not searched:\r\n") + a + ": "));
    EXPECT_FALSE(Prompts().first().contains(QStringLiteral("password")));
    EXPECT_EQ(Hits(), QStringList({QStringLiteral("beta.txt")}));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("cmdSearch_Click of Formular frmMain_BackUp")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/_BackUp_temp.zip")));
}

TEST_F(RestoreSearch, TheDecryptedCopyIsPrivateAndGoesWhenTheKeyIsWrong) {
    const QString cry = MakeArchive(QStringLiteral("A"), {{QStringLiteral("alpha.txt"), "a"}}, QStringLiteral("pw"));
    const QString copy = ziprun::Win(temp) + QStringLiteral("\\_BackUp_temp.zip");
    clsBlowfish cypher;
    ASSERT_TRUE(restore_copies::DecryptToCopy(cypher, ziprun::Win(dest) + "\\" + cry, copy, QStringLiteral("pw")));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(temp + QStringLiteral("/_BackUp_temp.zip")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(ziprun::UnzipTestPasses(temp + QStringLiteral("/_BackUp_temp.zip")));
    clsBlowfish other;
    EXPECT_FALSE(restore_copies::DecryptToCopy(other, ziprun::Win(dest) + "\\" + cry, copy, QStringLiteral("no")));
    EXPECT_FALSE(QFileInfo::exists(temp + QStringLiteral("/_BackUp_temp.zip")));
}

TEST_F(RestoreSearch, TwoVolumesOfOneRunAreBothSearched) {
    f().chkMaxFiles->setValue(1);
    f().txtMaxFiles->setText(QStringLiteral("2"));
    MakeArchive(QStringLiteral("V"), {{QStringLiteral("v1.txt"), "1"}, {QStringLiteral("v2.txt"), "2"},
                                      {QStringLiteral("v3.txt"), "3"}});
    OpenWindow();
    ASSERT_EQ(w().List3->ListCount(), 3);
    Search(QStringLiteral("v#.txt"));
    EXPECT_EQ(Counters(), QStringList({"3", "2", "3", "2"}));
}

TEST_F(RestoreSearch, CancelAndCloseEndTheSearchAtItsNextStep) {
    MakeArchive(QStringLiteral("A"), {{QStringLiteral("a.txt"), "a"}, {QStringLiteral("b.txt"), "b"}},
                QStringLiteral("pw"));
    MakeArchive(QStringLiteral("B"), {{QStringLiteral("c.txt"), "c"}});
    OpenWindow();
    w().txtEncryptPassword->setText(QStringLiteral("pw"));
    // The cancel arrives while the first archive is decrypted: the search
    // ends after the entry it tests next.
    QTimer::singleShot(0, &w(), [this] { w().cmdCacelSearch_Click(); });
    Search(QStringLiteral("*"));
    EXPECT_EQ(Counters(), QStringList({"1", "1", "1", "1"}));
    EXPECT_FALSE(QFileInfo::exists(temp + QStringLiteral("/_BackUp_temp.zip")));
    EXPECT_TRUE(w().tbTools->Buttons(QStringLiteral("search")).Enabled());

    // Another folder typed during the search ends it the same way; the list
    // then shows the new folder.
    const QString other = testenv::tempDir(QStringLiteral("other"));
    QTimer::singleShot(0, &w(), [&] { w().txtPathSearch->setText(ziprun::Win(other)); });
    Search(QStringLiteral("*"));
    EXPECT_EQ(Counters(), QStringList({"1", "1", "1", "1"}));
    EXPECT_EQ(w().List3->ListCount(), 1);
    w().txtPathSearch->setText(ziprun::Win(dest));

    // Closing the window during a search: the search cleans up first, then
    // the window closes and stores its settings.
    w().show();
    QTimer::singleShot(0, &w(), [this] { w().close(); });
    Search(QStringLiteral("*.txt"), 1);
    EXPECT_EQ(Counters(), QStringList({"1", "1", "1", "1"}));
    EXPECT_FALSE(w().isVisible());
    EXPECT_FALSE(w().Busy());
    EXPECT_FALSE(QFileInfo::exists(temp + QStringLiteral("/_BackUp_temp.zip")));
    EXPECT_EQ(platform::GetSetting(settings::UserSettingsApp(), "Settings", "txtFileSearch"), QStringLiteral("*.txt"));
}

// An archive of `entries` empty stored entries "d<n>/f<n>.txt", written as
// it stands (more than 65535 entries: the end record's count of 65535 stands
// for "read to the end of the directory").
void WriteManyEntries(const QString& path, int entries) {
    QByteArray local, central;
    auto put16 = [](QByteArray& b, quint32 v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto put32 = [&](QByteArray& b, quint32 v) {
        put16(b, v & 0xFFFF);
        put16(b, v >> 16);
    };
    const quint32 dosDate = (46u << 25) | (6u << 21) | (15u << 16) | (10u << 11) | (30u << 5);
    for (int i = 0; i < entries; ++i) {
        const QByteArray name = "d" + QByteArray::number(i / 1000) + "/f" + QByteArray::number(i) + ".txt";
        const quint32 offset = quint32(local.size());
        put32(local, 0x04034b50);
        put16(local, 20), put16(local, 0), put16(local, 0), put32(local, dosDate);
        put32(local, 0), put32(local, 0), put32(local, 0);
        put16(local, quint32(name.size())), put16(local, 0);
        local += name;
        put32(central, 0x02014b50);
        put16(central, 20), put16(central, 20), put16(central, 0), put16(central, 0), put32(central, dosDate);
        put32(central, 0), put32(central, 0), put32(central, 0);
        put16(central, quint32(name.size())), put16(central, 0), put16(central, 0), put16(central, 0),
            put16(central, 0);
        put32(central, 0), put32(central, offset);
        central += name;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    put16(end, 0), put16(end, 0), put16(end, 0xFFFF), put16(end, 0xFFFF);
    put32(end, quint32(central.size())), put32(end, quint32(local.size())), put16(end, 0);
    WriteHost(path, local + central + end);
}

TEST_F(RestoreSearch, EventsRunWhileALargeArchiveIsReadAndSearchedAndCancelEndsIt) {
    constexpr int kEntries = 150000;
    WriteManyEntries(dest + QStringLiteral("/large.zip"), kEntries);
    OpenWindow();
    // A timer that fires whenever events run notes what the window shows.
    struct Seen {
        bool whileReading = false, whileSearching = false;
    } seen;
    bool cancel = false;
    // The first directory's reading waits until the window has shown, with
    // its events, that it is reading (or gives up after a while): however
    // fast the machine, the reading overlaps the window's events.
    std::atomic<bool> readingShown{false};
    frmRestore::SetBeforeReadingForTest([&] {
        for (int i = 0; i < 1000 && !readingShown; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    struct Unhook {
        ~Unhook() { frmRestore::SetBeforeReadingForTest({}); }
    } unhook;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!w().Busy())
            return;
        const qint64 files = w().lblSearchedFiles->Caption().toLongLong();
        if (w().lblSearchedArchives->Caption() == QLatin1String("0"))
            seen.whileReading = readingShown = true;
        else if (files > 0 && files < kEntries)
            seen.whileSearching = true;
        EXPECT_FALSE(w().tbTools->Buttons(QStringLiteral("search")).Enabled());
        if (cancel && files > 0)
            w().tbTools_ButtonClick(QStringLiteral("cancel"));
    });
    probe.start();
    Search(QStringLiteral("f1*.txt"));
    EXPECT_TRUE(seen.whileReading);
    EXPECT_TRUE(seen.whileSearching);
    // f1, f10 .. f19, f100 .. f199, ... f100000 .. f149999
    EXPECT_EQ(Counters(), QStringList({QString::number(kEntries), "1", "61111", "1"}));
    EXPECT_EQ(w().FG3->Rows(), 61112);
    EXPECT_TRUE(Prompts().isEmpty());

    // Cancelled from the toolbar once the entries are searched: the search
    // ends there, the window is ready for the next one.
    cancel = true;
    Search(QStringLiteral("*"));
    const qint64 searched = w().lblSearchedFiles->Caption().toLongLong();
    EXPECT_GT(searched, 0);
    EXPECT_LT(searched, kEntries);
    EXPECT_EQ(w().FG3->Rows(), searched + 1);
    EXPECT_FALSE(w().Busy());
    EXPECT_TRUE(w().tbTools->Buttons(QStringLiteral("search")).Enabled());
    EXPECT_FALSE(w().tbTools->Buttons(QStringLiteral("cancel")).Enabled());
}

TEST_F(RestoreSearch, PatternAndCaseOptionCarryOverBetweenOpenings) {
    for (const char* key : {"txtFileSearch", "chkCaseSensitive"})
        vb::Quiet([&] {
            platform::DeleteSetting(settings::UserSettingsApp(), QStringLiteral("Settings"), QString::fromLatin1(key));
        });
    OpenWindow();
    EXPECT_EQ(w().txtFileSearch->Text(), QStringLiteral("*.*"));
    EXPECT_EQ(w().chkCaseSensitive->Value(), 0);
    EXPECT_EQ(w().txtPathSearch->Text(), ziprun::Win(dest));
    w().txtFileSearch->setText(QStringLiteral("*.doc"));
    w().chkCaseSensitive->setValue(1);
    w().tbTools_ButtonClick(QStringLiteral("exitsearch"));
    OpenWindow();
    EXPECT_EQ(w().txtFileSearch->Text(), QStringLiteral("*.doc"));
    EXPECT_EQ(w().chkCaseSensitive->Value(), 1);
}

}  // namespace

namespace {

class RestoreWindow : public RestoreTest {};

TEST_F(RestoreWindow, HelpMenuOpensOnlyTheForumAndTheGridFollowsTheWindowSize) {
    OpenWindow();
    Dialogs::scriptAnswers({true});
    for (const char* key : {"Product", "Tips", "About", "Forum"})
        w().tbTools_ButtonMenuClick(QString::fromLatin1(key));
    w().tbTools_ButtonClick(QStringLiteral("help"));
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown().first().kind, Dialogs::Kind::ShellOpen);
    EXPECT_TRUE(Dialogs::shown().first().prompt.endsWith(
        QStringLiteral("/cgi-bin/forum/x-forum.cgi?show=subject&page=1&subject=300")));

    w().show();
    w().resize(ui::TwipsToPixels(12000), ui::TwipsToPixels(9000));
    QApplication::processEvents();
    const int width = ui::TwipsToPixels(ui::PixelsToTwips(w().frameGeometry().width()) - 650);
    EXPECT_EQ(w().FG3->width(), width);
    EXPECT_EQ(w().ProgressBar3->width(), width);
    EXPECT_LE(w().FG3->geometry().bottom(), w().sbStatusBar->geometry().top());
    // The grid takes the height down to the status bar.
    EXPECT_GE(w().FG3->geometry().bottom(), w().sbStatusBar->geometry().top() - ui::TwipsToPixels(120));
}

TEST_F(RestoreWindow, AtItsDefaultSizeEveryColumnIsInSightWithItsHeader) {
    MakeArchive(QStringLiteral("P"), {{QStringLiteral("a/rather/long/folder/path/of/some/depth/file.txt"), "x"}});
    OpenWindow();
    w().show();
    QApplication::processEvents();
    Search(QStringLiteral("*"));
    QApplication::processEvents();
    ui::VbFlexGrid* g = w().FG3;
    int total = 0;
    for (int c = 0; c < g->Cols(); ++c) {
        const int header = g->horizontalHeader()->fontMetrics().horizontalAdvance(g->TextMatrix(0, c));
        EXPECT_GE(g->columnWidth(c), header) << c;
        total += g->columnWidth(c);
    }
    EXPECT_LE(total, g->viewport()->width());
}

TEST_F(RestoreWindow, ThePasswordFromTheMainWindowIsReplacedByWhatIsTyped) {
    f().txtEncryptPassword->setText(QStringLiteral("secret123"));
    OpenWindow();
    w().show();
    w().activateWindow();
    QApplication::processEvents();
    w().txtEncryptPassword->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(w().txtEncryptPassword, &key);
    EXPECT_EQ(w().txtEncryptPassword->Text(), QStringLiteral("x"));
}

}  // namespace
