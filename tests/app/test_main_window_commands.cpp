// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's own commands: the ways out, the toolbar's profile
// commands, profile switching, the tray and the window's placement.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include "AppTest.h"
#include "common/NRV_API.h"
#include "common/NRV_File_Dir.h"
#include "run/ProgramEnd.h"
#include "settings/SaveSettings.h"
#include "ui/HiddenMainWindow.h"
#include "ui/controls/VbControl.h"

namespace {

using platform::Dialogs;

class MainWindowCommands : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        SetEndHookForTest([this] { ++ended; });
    }
    void TearDown() override {
        RemoveTrayIcon();
        SetTrayAvailableForTest(std::nullopt);
        form.reset();
        SetEndHookForTest({});
        AppTest::TearDown();
    }
    // A start of the program's window on the profile last used.
    void start() {
        form = std::make_unique<frmMain_BackUp>();
        form->Form_Load();
    }
    void profileFile(const QString& name, const QByteArray& content = {}) {
        testenv::writeFile(testenv::programDir() + "/" + name + ".pfl", content);
    }
    static bool exists(const QString& fileName) { return QFile::exists(testenv::programDir() + "/" + fileName); }
    static QStringList items(const ui::VbComboBox* combo) {
        QStringList list;
        for (int i = 0; i < combo->ListCount(); ++i)
            list << combo->List(i);
        return list;
    }
    // The texts of the message boxes shown since the script was set.
    static QStringList boxes() {
        QStringList texts;
        for (const Dialogs::Shown& s : Dialogs::shown())
            if (s.kind == Dialogs::Kind::MessageBox)
                texts << s.prompt;
        return texts;
    }
    void press(int position) { form->tbTools->Buttons(position).action()->trigger(); }

    std::unique_ptr<frmMain_BackUp> form;
    int ended = 0;
};

TEST_F(MainWindowCommands, LoadShowsTheWelcomeAndReadyStatus) {
    profileFile("Standard", "C:\\Data\\*.*\r\n-1 \r\n");
    start();
    const QString welcome = LangText(3) + "\r\n\r\n" + LangText(205) + "\r\n" + LangText(206) + "\r\n" +
                            LangText(207) + " - ";
    EXPECT_TRUE(form->RtbNews1->Text().startsWith(welcome)) << form->RtbNews1->Text().toStdString();
    // The load of the source list is over: the status line says so.
    EXPECT_EQ(form->txtNews->Text(), LangText(3));
    EXPECT_EQ(form->SSTab1->Tab(), 0);
    EXPECT_TRUE(form->tbTools->Buttons(3).Enabled());
    EXPECT_FALSE(form->tbTools->Buttons(4).Enabled());
}

// Every way out ends the program once, saves the settings once (not after
// an unattended start) and leaves the window unloaded.
TEST_F(MainWindowCommands, EveryWayOutRunsTheExitSequence) {
    struct Way {
        const char* name;
        std::function<void(frmMain_BackUp&)> take;
    };
    const Way ways[] = {
        {"toolbar Exit", [](frmMain_BackUp& f) { f.tbTools->Buttons(1).action()->trigger(); }},
        {"menu bar Exit", [](frmMain_BackUp& f) { f.mnuExit1->trigger(); }},
        {"tray menu Exit", [](frmMain_BackUp& f) { f.mnuExit->trigger(); }},
        {"window manager's close", [](frmMain_BackUp& f) { f.close(); }},
    };
    for (const Way& way : ways) {
        for (bool unattended : {false, true}) {
            storeUser("ProfileText", "Standard");
            start();
            form->cmbProfiles->setText("Elsewhere");
            ended = 0;
            RunMode = unattended;
            way.take(*form);
            RunMode = false;
            EXPECT_EQ(ended, 1) << way.name;
            EXPECT_FALSE(form->isVisible()) << way.name;
            EXPECT_EQ(storedUser("ProfileText"), unattended ? "Standard" : "Elsewhere") << way.name;
        }
    }
}

TEST_F(MainWindowCommands, ExitWithTheSoundOffDoesNotWait) {
    start();
    bSoundAvailable = true;
    form->chkSound->setValue(0);
    QElapsedTimer clock;
    clock.start();
    form->mnuExit_Click();
    bSoundAvailable = false;
    EXPECT_EQ(ended, 1);
    EXPECT_LT(clock.elapsed(), 1000);
}

// The toolbar during a run: Start and Update rest, Stop acts at once (the
// run lets clicks through between files), and all come back afterwards.
TEST_F(MainWindowCommands, ToolbarDuringARun) {
    const QString src = testenv::tempDir("src");
    const QString dest = testenv::tempDir("dest");
    for (int i = 0; i < 4; ++i)
        testenv::writeFile(src + QString("/f%1.txt").arg(i), "data");
    start();
    form->txtPathBackUp->setText(win(dest));
    form->List1->AddItem(win(src) + "\\*.*");
    form->List1->setSelected(0, true);
    QList<QList<bool>> during;  // Start, Stop, Restore, Update, seen at each file
    QObject::connect(form->txtTotalFiles, &ui::VbTextBox::Change, form.get(), [&] {
        QList<bool> states;
        for (int position : {3, 4, 10, 16})
            states << form->tbTools->Buttons(position).Enabled();
        during << states;
        if (form->txtTotalFiles->Text() == "2")
            press(4);
    });
    press(3);
    ASSERT_FALSE(during.isEmpty());
    for (const QList<bool>& states : during)
        EXPECT_EQ(states, QList<bool>({false, true, true, false}));
    EXPECT_EQ(form->txtNews->Text(), LangText(120));  // stopped
    EXPECT_TRUE(form->tbTools->Buttons(3).Enabled());
    EXPECT_FALSE(form->tbTools->Buttons(4).Enabled());
    EXPECT_TRUE(form->tbTools->Buttons(16).Enabled());
}

TEST_F(MainWindowCommands, HelpAndWebPages) {
    start();
    struct Page {
        std::function<void()> open;
        const char* path;
    } pages[] = {
        {[&] { press(12); }, "/nrv/help/vaultora_e.htm"},
        {[&] { form->mnuHelp1->trigger(); }, "/nrv/help/vaultora_e.htm"},
        {[&] { form->mnuHelp->trigger(); }, "/nrv/help/vaultora_e.htm"},
        {[&] { form->tbTools_ButtonMenuClick("Tips"); }, "/nrv/help/vaultora_e.htm"},
        {[&] { form->tbTools_ButtonMenuClick("Product"); }, "/nrv/products/vaultora_e.htm"},
        {[&] { form->tbTools_ButtonMenuClick("Forum"); },
         "/cgi-bin/forum/x-forum.cgi?show=subject&page=1&subject=300"},
        {[&] { press(15); }, "/nrv"},
    };
    for (const Page& p : pages) {
        Dialogs::scriptAnswers({false});  // the page cannot be opened: nothing is shown
        p.open();
        ASSERT_EQ(Dialogs::shown().size(), 1) << p.path;
        EXPECT_EQ(Dialogs::shown()[0].kind, Dialogs::Kind::ShellOpen);
        EXPECT_TRUE(Dialogs::shown()[0].prompt.endsWith(p.path)) << Dialogs::shown()[0].prompt.toStdString();
        EXPECT_TRUE(Dialogs::shown()[0].prompt.startsWith("http://")) << p.path;
    }
    // A key nobody knows does nothing; keys are compared exactly.
    Dialogs::scriptAnswers({});
    form->tbTools_ButtonMenuClick("tips");
    form->tbTools_ButtonClick("help");
    EXPECT_TRUE(Dialogs::shown().isEmpty());
}

TEST_F(MainWindowCommands, SaveAsTable) {
    profileFile("Standard");
    start();
    form->List1->AddItem("C:\\Data\\*.*");
    form->List1->setSelected(0, true);
    struct Case {
        QVariant answer;  // what the input box returns ("" is Cancel)
        bool saved;
        const char* fileName;  // the profile file that must exist afterwards
    } cases[] = {
        {"", false, nullptr},
        {"   ", false, nullptr},
        {"a/b", false, nullptr},
        {"a\\b", false, nullptr},
        {"x:y", false, nullptr},
        {"why?", false, nullptr},
        {"say \"hi\"", false, nullptr},
        {"star*", false, nullptr},
        {"<pipe|>", false, nullptr},
        {QString(300, QChar('n')), false, nullptr},  // longer than a file name may be
        {"My Travel Set", true, "My Travel Set.pfl"},
        {"Standard", true, "Standard.pfl"},
    };
    for (const Case& c : cases) {
        const QString name = c.answer.toString();
        const QStringList before = items(form->cmbProfiles);
        const QString lastSaved = storedUser("ProfileText");
        Dialogs::scriptAnswers({c.answer});
        press(6);
        ASSERT_FALSE(Dialogs::shown().isEmpty());
        EXPECT_EQ(Dialogs::shown()[0].kind, Dialogs::Kind::InputBox);
        EXPECT_EQ(Dialogs::shown()[0].prompt, LangText(210));
        EXPECT_EQ(Dialogs::shown()[0].title, LangText(211));
        EXPECT_EQ(form->txtProfile->Text(), name);
        if (!c.saved) {
            EXPECT_EQ(boxes(), QStringList({LangText(273) + "\r\n" + LangText(277), LangText(212)}))
                << name.toStdString();
            EXPECT_EQ(items(form->cmbProfiles), before);
            EXPECT_EQ(storedUser("ProfileText"), lastSaved);
            continue;
        }
        EXPECT_TRUE(boxes().isEmpty()) << name.toStdString();
        EXPECT_EQ(form->cmbProfiles->Text(), name);
        EXPECT_EQ(items(form->cmbProfiles).count(name), 1) << name.toStdString();
        EXPECT_EQ(testenv::readFile(testenv::programDir() + "/" + c.fileName), "C:\\Data\\*.*\r\n-1 \r\n");
        EXPECT_EQ(storedUser("ProfileText"), name);
    }
    // Nothing was written under a refused name.
    QStringList files = QDir(testenv::programDir()).entryList({"*.pfl"}, QDir::Files);
    files.sort();
    EXPECT_EQ(files, QStringList({"My Travel Set.pfl", "Standard.pfl"}));
}

TEST_F(MainWindowCommands, SaveWithABlankNameFallsBackToStandard) {
    start();
    Dialogs::scriptAnswers({});
    form->txtProfile->setText("  ");
    form->cmdSaveProfile();
    EXPECT_EQ(boxes(), QStringList({LangText(171) + "\r\n" + LangText(172)}));
    EXPECT_EQ(Dialogs::shown()[0].title, LangText(16));
    EXPECT_EQ(form->txtProfile->Text(), "Standard");
    EXPECT_FALSE(exists("  .pfl"));
}

TEST_F(MainWindowCommands, DeleteTable) {
    struct Case {
        const char* shown;     // the profile shown when Delete is pressed
        bool withFile;         // its profile file exists
        QVariantList answers;  // the scripted answers
        QStringList messages;  // texts of the boxes shown
    };
    const QString question = LangText(216);
    const Case cases[] = {
        {" sTaNdArD ", true, {}, {LangText(214)}},
        {"standard", true, {}, {LangText(214)}},
        {"Typed", false, {}, {LangText(215)}},
        {"Travel", true, {platform::vbNo}, {question}},
        {"Travel", true, {platform::vbYes}, {question}},
        {"NoFile", false, {platform::vbYes}, {question}},
    };
    for (const Case& c : cases) {
        for (const char* name : {"Home", "Travel", "NoFile", "standard"})
            QFile::remove(testenv::programDir() + "/" + name + ".bak");
        profileFile("Home");
        profileFile("Travel", "C:\\Travel\\*.*\r\n-1 \r\n");
        profileFile("standard");
        QFile::remove(testenv::programDir() + "/NoFile.pfl");
        storeUser("ProfileText", "Home");
        start();
        if (QString(c.shown) == "NoFile")
            form->cmbProfiles->AddItem("NoFile");
        const int index = form->cmbProfiles->findText(c.shown);
        if (index >= 0)
            form->cmbProfiles->setListIndex(index);
        else
            form->cmbProfiles->setText(c.shown);
        Dialogs::scriptAnswers(c.answers);
        press(8);
        EXPECT_EQ(boxes(), c.messages) << c.shown;
        const bool deleted = c.answers == QVariantList{platform::vbYes};
        if (deleted) {
            EXPECT_EQ(Dialogs::shown()[0].style, platform::vbYesNo | platform::vbExclamation);
            EXPECT_EQ(Dialogs::shown()[0].title, LangText(217));
            EXPECT_EQ(items(form->cmbProfiles).count(c.shown), 0) << c.shown;
            EXPECT_FALSE(exists(QString(c.shown) + ".pfl"));
            EXPECT_EQ(exists(QString(c.shown) + ".bak"), c.withFile) << c.shown;
            // The first profile of the list is shown next.
            EXPECT_EQ(form->cmbProfiles->Text(), form->cmbProfiles->List(0)) << c.shown;
            EXPECT_EQ(form->txtProfile->Text(), form->cmbProfiles->Text()) << c.shown;
        } else {
            EXPECT_EQ(form->cmbProfiles->Text(), c.shown);
            for (const char* kept : {"Home.pfl", "Travel.pfl", "standard.pfl"})
                EXPECT_TRUE(exists(kept)) << c.shown << " " << kept;
        }
    }
}

// The backup copy holds what the profile held; a second delete of the same
// name keeps only the newest copy.
TEST_F(MainWindowCommands, DeletingTwiceKeepsTheNewestBackup) {
    profileFile("Home");
    storeUser("ProfileText", "Home");
    start();
    for (const QByteArray& content : {QByteArray("C:\\Old\\*.*\r\n-1 \r\n"), QByteArray("C:\\New\\*.*\r\n 0 \r\n")}) {
        profileFile("Travel", content);
        form->cmbProfiles->AddItem("Travel");
        form->cmbProfiles->setListIndex(form->cmbProfiles->findText("Travel"));
        Dialogs::scriptAnswers({platform::vbYes});
        press(8);
        EXPECT_FALSE(exists("Travel.pfl"));
        EXPECT_EQ(testenv::readFile(testenv::programDir() + "/Travel.bak"), content);
    }
}

// The shown profile can be deleted also when it was not picked from the
// list (as right after the start); deleting the last one with a file shows
// the fallback profile, which is always listed.
TEST_F(MainWindowCommands, DeleteTheStartProfileAndTheLastOne) {
    profileFile("Travel");
    storeUser("ProfileText", "Travel");
    start();
    ASSERT_EQ(items(form->cmbProfiles), QStringList({"Travel", "Standard"}));
    Dialogs::scriptAnswers({platform::vbYes});
    press(8);
    EXPECT_EQ(boxes(), QStringList({LangText(216)}));
    EXPECT_FALSE(exists("Travel.pfl"));
    EXPECT_TRUE(exists("Travel.bak"));
    EXPECT_EQ(form->cmbProfiles->Text(), "Standard");
    EXPECT_EQ(form->txtProfile->Text(), "Standard");
}

TEST_F(MainWindowCommands, NewOpensTheWizardWithTheWindowHidden) {
    start();
    WizardProfileText.clear();
    bool hiddenMeanwhile = false;
    WithMainWindowHidden(form.get(), [&] { hiddenMeanwhile = !form->isVisible(); });
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(form->isVisible());
    press(7);
    EXPECT_EQ(WizardProfileText, LangText(213));
    EXPECT_TRUE(form->isVisible());
}

// Switching: entering the box saves the profile shown so far (with the
// change not yet saved), picking an item loads that one.
TEST_F(MainWindowCommands, SwitchingKeepsUnsavedChanges) {
    profileFile("Home");
    profileFile("Travel", "C:\\Travel\\*.*\r\n-1 \r\n");
    storeProfile("Travel", "txtExclusions", "*.iso");
    storeUser("ProfileText", "Home");
    start();
    form->txtExclusions->setText("*.tmp");
    emit form->cmbProfiles->GotFocus();
    form->setCursor(Qt::CrossCursor);
    form->cmbProfiles->setListIndex(form->cmbProfiles->findText("Travel"));
    EXPECT_EQ(storedProfile("Home", "txtExclusions"), "*.tmp");
    EXPECT_EQ(form->txtExclusions->Text(), "*.iso");
    EXPECT_EQ(form->txtProfile->Text(), "Travel");
    EXPECT_EQ(form->List1->ListCount(), 1);
    EXPECT_EQ(form->cursor().shape(), Qt::CrossCursor);  // the pointer it had before the load

    // Picking the shown profile again saves and reloads it unchanged.
    emit form->cmbProfiles->GotFocus();
    emit form->cmbProfiles->Click();
    EXPECT_EQ(form->txtExclusions->Text(), "*.iso");
    EXPECT_EQ(storedProfile("Travel", "txtExclusions"), "*.iso");
}

TEST_F(MainWindowCommands, TrayFromTheToolbarAndItsMenu) {
    start();
    QStringList menu;
    for (QAction* a : form->mnuPopup->actions())
        menu << a->text();
    EXPECT_EQ(menu, QStringList({"&Help", "&Show", "&Exit"}));

    SetTrayAvailableForTest(true);
    press(18);
    ASSERT_NE(TrayIconData, nullptr);
    EXPECT_FALSE(form->isVisible());
    form->mnuShow->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(TrayIconData, nullptr);

    // A click on the icon is handled inside the icon's own code: the menu
    // opens without waiting there, and the icon that a double click removes
    // is deleted only once its click is handled.
    form->cmdSetTray();
    QPointer<QSystemTrayIcon> icon = TrayIconData;
    emit icon->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(form->mnuPopup->isVisible());
    form->mnuPopup->close();
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(TrayIconData, nullptr);
    EXPECT_FALSE(icon.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(icon.isNull());

    // Without a notification area the window is minimised and stays in
    // the task bar.
    SetTrayAvailableForTest(false);
    press(18);
    EXPECT_EQ(TrayIconData, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->WindowState(), 1);

    // Exit from the tray menu ends the program while the window is away.
    SetTrayAvailableForTest(true);
    form->mnuShow->trigger();
    form->cmdSetTray();
    form->mnuExit->trigger();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(TrayIconData, nullptr);
}

// What is stored is what the next start restores: normal, maximised (its
// normal place is kept), minimised (nothing stored) and a place that no
// screen shows any more.
TEST_F(MainWindowCommands, PlacementTable) {
    const float pixel = ui::PixelsToTwips(1);
    auto stored = [](const char* key) {
        return platform::GetSetting(settings::UserSettingsApp(), "Data", key, "<none>");
    };
    auto store = [](const char* key, const QString& value) {
        platform::SaveSetting(settings::UserSettingsApp(), "Data", key, value);
    };
    store("MainLeft", "1500");
    store("MainTop", "1200");
    store("MainWidth", "9000");
    store("MainHeight", "7000");
    start();
    EXPECT_EQ(form->frameGeometry().size(), QSize(600, 467));  // 9000 x 7000 twips, frame included
    Save_Settings();
    EXPECT_NEAR(stored("MainLeft").toFloat(), 1500, pixel);
    EXPECT_NEAR(stored("MainWidth").toFloat(), 9000, pixel);
    EXPECT_NEAR(stored("MainHeight").toFloat(), 7000, pixel);

    form->setWindowState(2);
    QApplication::processEvents();
    Save_Settings();
    EXPECT_NEAR(stored("MainWidth").toFloat(), 9000, pixel);
    EXPECT_NEAR(stored("MainTop").toFloat(), 1200, pixel);

    form->setWindowState(0);
    QApplication::processEvents();
    store("MainWidth", "1234");
    form->setWindowState(1);
    QApplication::processEvents();
    Save_Settings();
    EXPECT_EQ(stored("MainWidth"), "1234");

    // Far off every screen: the window comes back at the default place.
    store("MainLeft", "-90000");
    store("MainTop", "900000");
    store("MainWidth", "9000");
    start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(form->frameGeometry()));
    EXPECT_NEAR(form->Left(), ui::PixelsToTwips(screen.left()) + 1000, pixel);
    EXPECT_NEAR(form->Top(), ui::PixelsToTwips(screen.top()) + 1000, pixel);
}

}  // namespace
