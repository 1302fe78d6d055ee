// SPDX-License-Identifier: GPL-3.0-or-later
// The restore of chosen rows, the grid's selection, and the main window's
// Restore command.
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>

#include "RestoreTest.h"
#include "common/NRV_File_Dir.h"
#include "platform/ZipTestSupport.h"

using namespace restoretest;
using platform::vbInformation;

namespace {

const QMap<QString, QByteArray> kFiles = {{QStringLiteral("Report.TXT"), "report v1"},
                                          {QStringLiteral("data.bin"), testenv::randomBytes(70000, 7)},
                                          {QStringLiteral("Docs/Letter.txt"), "dear reader"}};

class RestoreFiles : public RestoreTest {};

TEST_F(RestoreFiles, RestoresChosenRowsByteForByteAndKeepsWhatTheUserKeeps) {
    MakeArchive(QStringLiteral("P"), kFiles);
    OpenWindow();
    Search(QStringLiteral("*"));
    ASSERT_EQ(w().FG3->Rows(), 4);

    // Bottom up over all three rows; nothing is there yet, so nothing is asked.
    Restore(3, 1, true);
    EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
    EXPECT_EQ(Dialogs::shown().last().style, vbInformation);
    for (auto it = kFiles.begin(); it != kFiles.end(); ++it)
        EXPECT_EQ(testenv::readFile(Restored("P", it.key())), it.value()) << it.key().toStdString();

    // A file of the user's that differs only in letter case is another file:
    // "Report.TXT" comes back beside "report.txt", which stays as it is.
    const QString report = Restored("P", QStringLiteral("Report.TXT"));
    QFile::remove(report);
    const QString lower = QFileInfo(report).absolutePath() + QStringLiteral("/report.txt");
    testenv::writeFile(lower, "changed by the user");
    int row = 1;
    while (w().FG3->TextMatrix(row, 1) != QLatin1String("Report.TXT"))
        ++row;
    Restore(row, row, false);
    EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
    EXPECT_EQ(testenv::readFile(lower), QByteArray("changed by the user"));
    EXPECT_EQ(testenv::readFile(report), QByteArray("report v1"));

    // The user keeps the files that are there.
    testenv::writeFile(report, "changed again");
    Restore(1, 3, false);
    EXPECT_EQ(Prompts(), QStringList({QStringLiteral("Overwrite existing files ?"), LangText(187)}));
    EXPECT_EQ(testenv::readFile(report), QByteArray("changed again"));

    // Allowed now: the file is replaced in place.
    Restore(1, 3, true);
    EXPECT_EQ(LastPrompt(), LangText(186));
    EXPECT_EQ(testenv::readFile(report), QByteArray("report v1"));
    EXPECT_EQ(testenv::readFile(lower), QByteArray("changed by the user"));
    EXPECT_TRUE(ziprun::FilesIn(QFileInfo(report).absolutePath(), QStringLiteral(".vaultora-extract-*")).isEmpty());
}

TEST_F(RestoreFiles, BeforeAnySearchNothingHappens) {
    MakeArchive(QStringLiteral("P"), kFiles);
    OpenWindow();
    Dialogs::scriptAnswers({});
    w().cmdRestore_Click();
    EXPECT_TRUE(Dialogs::shown().isEmpty());
}

TEST_F(RestoreFiles, ARowWhoseArchiveIsGoneIsAProblemAndTheOthersAreRestored) {
    const QString a = MakeArchive(QStringLiteral("A"), {{QStringLiteral("gone.txt"), "g"}});
    MakeArchive(QStringLiteral("B"), {{QStringLiteral("kept.txt"), "k"}});
    OpenWindow();
    Search(QStringLiteral("*.txt"));
    ASSERT_EQ(Hits(), QStringList({QStringLiteral("gone.txt"), QStringLiteral("kept.txt")}));
    QFile::remove(dest + QLatin1Char('/') + a);
    QFile::remove(ErrorLogFile());
    Restore(1, 2, true);
    EXPECT_EQ(Prompts(), QStringList({QStringLiteral("There was a problem restoring gone.txt"), LangText(185)}));
    EXPECT_EQ(testenv::readFile(Restored("B", QStringLiteral("kept.txt"))), QByteArray("k"));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("cmdRestore_Click")));
}

TEST_F(RestoreFiles, AnEncryptedArchiveIsDecryptedOnceAndOnlyItsOwnCopiesGo) {
    MakeArchive(QStringLiteral("P"), kFiles, QStringLiteral("pw"));
    // A run's working archive of the same name form stays in the temp folder.
    testenv::writeFile(temp + QStringLiteral("/Other_BackUp_d20260101.zip"), "a run's archive");
    OpenWindow();
    w().txtEncryptPassword->setText(QStringLiteral("wrong"));
    Search(QStringLiteral("*"));
    EXPECT_EQ(w().FG3->Rows(), 1);
    w().txtEncryptPassword->setText(QStringLiteral("pw"));
    Search(QStringLiteral("*"));
    ASSERT_EQ(w().FG3->Rows(), 4);

    // With the wrong password the archive is tried once and named once, and
    // the restore does not say it restored.
    w().txtEncryptPassword->setText(QStringLiteral("wrong"));
    Restore(1, 3, true);
    EXPECT_EQ(Prompts(), QStringList({QStringLiteral("Decryption error - please check the password\r\n"
                                                     "Nothing was restored from: ") +
                                          w().FG3->TextMatrix(1, 4),
                                      QStringLiteral("No file was restored.\r\n") + LangText(185)}));
    EXPECT_FALSE(QFileInfo::exists(Restored("P", QStringLiteral("data.bin"))));

    w().txtEncryptPassword->setText(QStringLiteral("pw"));
    QFile::remove(ErrorLogFile());
    Restore(1, 3, true);
    EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
    for (auto it = kFiles.begin(); it != kFiles.end(); ++it)
        EXPECT_EQ(testenv::readFile(Restored("P", it.key())), it.value()) << it.key().toStdString();
    EXPECT_EQ(ziprun::FilesIn(temp), QStringList({QStringLiteral("Other_BackUp_d20260101.zip")}));
}

// Archives made with Python's zipfile, as other programs make them.
void PythonZip(const QString& hostPath, const QString& script, const QStringList& args = {}) {
    const ziptest::ProcResult made = ziptest::pythonZip(hostPath, script, args);
    ASSERT_EQ(made.rc, 0) << made.err.toStdString();
}

// A link the user had in the drive before the restore is followed; names
// that leave the drive, and a link stored as an entry, are refused row by
// row, and the files below that entry's name come back in a real folder.
TEST_F(RestoreFiles, TheUsersLinksAreFollowedAndNoneIsPlanted) {
    const QString outside = testenv::tempDir(QStringLiteral("outside"));
    const QString planted = testenv::tempDir(QStringLiteral("planted"));
    PythonZip(dest + QStringLiteral("/foreign.zip"),
              QStringLiteral("with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                             "    z.writestr('../escape.txt', 'out')\n"
                             "    z.writestr('link/inside.txt', 'via link')\n"
                             "    i = zipfile.ZipInfo('planted'); i.create_system = 3\n"
                             "    i.external_attr = 0o120777 << 16\n"
                             "    z.writestr(i, sys.argv[2])\n"
                             "    z.writestr('planted/x.txt', 'x')\n"
                             "    z.writestr('fine.txt', 'fine')\n"),
              {planted});
    ASSERT_TRUE(QFile::link(outside, target + QStringLiteral("/link")));
    OpenWindow();
    Search(QStringLiteral("*"));
    ASSERT_EQ(Hits(), QStringList({QStringLiteral("escape.txt"), QStringLiteral("inside.txt"), QStringLiteral("planted"),
                                   QStringLiteral("x.txt"), QStringLiteral("fine.txt")}));
    Restore(1, 5, true);
    EXPECT_EQ(Prompts(), QStringList({QStringLiteral("There was a problem restoring escape.txt"),
                                      QStringLiteral("There was a problem restoring planted"), LangText(185)}));
    EXPECT_EQ(testenv::readFile(outside + QStringLiteral("/inside.txt")), QByteArray("via link"));
    EXPECT_EQ(testenv::readFile(target + QStringLiteral("/fine.txt")), QByteArray("fine"));
    EXPECT_EQ(testenv::readFile(target + QStringLiteral("/planted/x.txt")), QByteArray("x"));
    EXPECT_FALSE(QFileInfo(target + QStringLiteral("/planted")).isSymLink());
    EXPECT_TRUE(QDir(planted).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(target).absolutePath() + QStringLiteral("/escape.txt")));
}

// A row is restored from the entry the search showed: found by its name when
// the archive was written anew in another order since, and a problem when
// the file in the archive is no longer the one shown.
TEST_F(RestoreFiles, ARowIsCheckedAgainstTheArchiveBeforeItIsRestored) {
    const QString archive =
        dest + QLatin1Char('/') + MakeArchive(QStringLiteral("P"), {{QStringLiteral("top.txt"), "top v1"},
                                                                    {QStringLiteral("notes.txt"), "the notes"}});
    OpenWindow();
    Search(QStringLiteral("*"));
    const int top = Hits().indexOf(QStringLiteral("top.txt")) + 1;
    ASSERT_GT(top, 0);
    // The archive written again, its entries in reverse order; with `change`
    // top.txt holds other text.
    const auto rewrite = [&](bool change) {
        PythonZip(archive,
                  QStringLiteral("with zipfile.ZipFile(sys.argv[1]) as z:\n"
                                 "    items = [(i, z.read(i)) for i in z.infolist()]\n"
                                 "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                 "    for i, data in reversed(items):\n"
                                 "        if sys.argv[2] == '1' and i.filename.endswith('top.txt'):\n"
                                 "            data = b'top, edited since'\n"
                                 "        z.writestr(i, data)\n"),
                  {change ? QStringLiteral("1") : QStringLiteral("0")});
    };
    rewrite(false);
    Restore(top, top, true);
    EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
    EXPECT_EQ(testenv::readFile(Restored("P", QStringLiteral("top.txt"))), QByteArray("top v1"));
    EXPECT_FALSE(QFileInfo::exists(Restored("P", QStringLiteral("notes.txt"))));

    QFile::remove(Restored("P", QStringLiteral("top.txt")));
    QFile::remove(ErrorLogFile());
    rewrite(true);
    Restore(top, top, true);
    EXPECT_EQ(Prompts(), QStringList({QStringLiteral("There was a problem restoring top.txt"),
                                      QStringLiteral("No file was restored.\r\n") + LangText(185)}));
    EXPECT_FALSE(QFileInfo::exists(Restored("P", QStringLiteral("top.txt"))));
    EXPECT_FALSE(QFileInfo::exists(Restored("P", QStringLiteral("notes.txt"))));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("no longer holds")));
}

// Folder entries of another program's archive are no result rows; their
// folders come back with the files in them.
TEST_F(RestoreFiles, FolderEntriesAreNoRows) {
    PythonZip(dest + QStringLiteral("/foreign.zip"),
              QStringLiteral("with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                             "    z.mkdir('Docs')\n"
                             "    z.mkdir('Docs/Old')\n"
                             "    z.writestr('Docs/Old/letter.txt', 'dear')\n"
                             "    z.writestr('top.txt', 'top')\n"));
    OpenWindow();
    Search(QStringLiteral("*"));
    EXPECT_EQ(Hits(), QStringList({QStringLiteral("letter.txt"), QStringLiteral("top.txt")}));
    EXPECT_EQ(Counters(), QStringList({QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1")}));
    Restore(1, 2, true);
    EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
    EXPECT_EQ(testenv::readFile(target + QStringLiteral("/Docs/Old/letter.txt")), QByteArray("dear"));
    EXPECT_EQ(testenv::readFile(target + QStringLiteral("/top.txt")), QByteArray("top"));
}

// Mouse events on the grid's rows (grid row r is view row r - 1).
void Mouse(ui::VbFlexGrid* g, QEvent::Type type, int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QRect rect = g->visualRect(g->model()->index(row - 1, 1));
    const QPointF at = rect.center();
    QMouseEvent e(type, at, g->viewport()->mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
    QApplication::sendEvent(g->viewport(), &e);
}

TEST_F(RestoreFiles, TheGridSelectsRowsFromTheTopDownAndFromTheBottomUp) {
    MakeArchive(QStringLiteral("P"), kFiles);
    OpenWindow();
    w().show();
    Search(QStringLiteral("*"));
    QApplication::processEvents();
    ui::VbFlexGrid* g = w().FG3;
    EXPECT_EQ(std::pair(g->Row(), g->RowSel()), std::pair(1, 1));   // a fresh result starts at row 1

    // Dragged from row 3 up to row 1.
    Mouse(g, QEvent::MouseButtonPress, 3);
    Mouse(g, QEvent::MouseMove, 2);
    Mouse(g, QEvent::MouseMove, 1);
    Mouse(g, QEvent::MouseButtonRelease, 1);
    EXPECT_EQ(std::pair(g->Row(), g->RowSel()), std::pair(3, 1));
    // A click on row 2, then shift-click on row 3.
    Mouse(g, QEvent::MouseButtonPress, 2);
    Mouse(g, QEvent::MouseButtonRelease, 2);
    Mouse(g, QEvent::MouseButtonPress, 3, Qt::ShiftModifier);
    Mouse(g, QEvent::MouseButtonRelease, 3, Qt::ShiftModifier);
    EXPECT_EQ(std::pair(g->Row(), g->RowSel()), std::pair(2, 3));
    EXPECT_EQ(g->selectionModel()->selectedRows().size(), 2);

    // A double click restores the row under the mouse.
    Mouse(g, QEvent::MouseButtonPress, 1);
    Mouse(g, QEvent::MouseButtonRelease, 1);
    Dialogs::scriptAnswers({platform::vbYes});
    Mouse(g, QEvent::MouseButtonDblClick, 1);
    EXPECT_EQ(LastPrompt(), LangText(186));
    EXPECT_EQ(ziprun::FilesIn(QFileInfo(Restored("P", QStringLiteral("data.bin"))).absolutePath()).size(), 1);
}

// What the grid highlights is what is restored, and nothing else: rows
// picked with Ctrl+click, a range made with Shift+click, one row, and a row
// taken away again with Ctrl+click.
TEST_F(RestoreFiles, TheHighlightedRowsAreRestoredAndNoOthers) {
    const QStringList names = {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt"),
                               QStringLiteral("d.txt"), QStringLiteral("e.txt")};
    QMap<QString, QByteArray> files;
    for (const QString& n : names)
        files[n] = "content of " + n.toUtf8();
    MakeArchive(QStringLiteral("P"), files);
    OpenWindow();
    w().show();
    Search(QStringLiteral("*"));
    QApplication::processEvents();
    const QStringList hits = Hits();
    ASSERT_EQ(hits.size(), names.size());
    const QString restoredFolder = QFileInfo(Restored("P", names[0])).absolutePath();

    struct Click {
        int row;
        Qt::KeyboardModifiers mods;
    };
    struct Case {
        const char* what;
        std::vector<Click> clicks;
        std::vector<int> rows;   // highlighted and restored
    };
    const std::vector<Case> cases = {
        {"two rows apart", {{1, Qt::NoModifier}, {4, Qt::ControlModifier}}, {1, 4}},
        {"a range", {{2, Qt::NoModifier}, {4, Qt::ShiftModifier}}, {2, 3, 4}},
        {"a range and a row", {{4, Qt::NoModifier}, {5, Qt::ShiftModifier}, {1, Qt::ControlModifier}}, {1, 4, 5}},
        {"one row", {{3, Qt::NoModifier}}, {3}},
        {"one taken away", {{2, Qt::NoModifier}, {5, Qt::ControlModifier}, {2, Qt::ControlModifier}}, {5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList restored;
        for (int r : c.rows)
            restored << hits[r - 1];
        restored.sort();
        QDir(restoredFolder).removeRecursively();
        for (const Click& k : c.clicks) {
            Mouse(w().FG3, QEvent::MouseButtonPress, k.row, k.mods);
            Mouse(w().FG3, QEvent::MouseButtonRelease, k.row, k.mods);
        }
        EXPECT_EQ(w().FG3->selectionModel()->selectedRows().size(), qsizetype(c.rows.size()));
        Dialogs::scriptAnswers({platform::vbYes});
        w().tbTools_ButtonClick(QStringLiteral("restore"));
        EXPECT_EQ(Prompts(), QStringList({LangText(186)}));
        EXPECT_EQ(NamesIn(restoredFolder), restored);
        for (const QString& n : restored)
            EXPECT_EQ(testenv::readFile(restoredFolder + QLatin1Char('/') + n), files[n]);
    }
}

TEST_F(RestoreFiles, TheMainWindowsRestoreCommandHidesItWhileTheWindowIsOpen) {
    f().show();
    bool mainShown = true;
    QString title;
    // The window opens centred on the main window.
    f().setGeometry(50, 50, 700, 500);
    QApplication::processEvents();
    const QRect mainFrame = f().frameGeometry();
    int offCentre = -1;
    // Looks for the window once it runs modally; gives up after 5 seconds.
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && qobject_cast<frmRestore*>(modal)) {
            mainShown = f().isVisible();
            offCentre = (modal->frameGeometry().center() - mainFrame.center()).manhattanLength();
            title = modal->windowTitle();
            modal->close();
        } else if (waited.elapsed() > 5000 && modal) {
            modal->close();
        }
    });
    poll.start(10);
    f().tbTools->Buttons(10).action()->trigger();
    EXPECT_EQ(title, QStringLiteral("Search & Restore"));
    EXPECT_FALSE(mainShown);
    EXPECT_TRUE(f().isVisible());
    EXPECT_GE(offCentre, 0);
    EXPECT_LE(offCentre, 4);
}

}  // namespace
