// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's utilities: the error-log view, the error report, the
// web-page labels and the developer's language-file dump.
#include <QAction>
#include <QFile>

#include "common/MakerSite.h"
#include "platform/ZipTestSupport.h"
#include "settings/SettingsTest.h"
#include "ui/LanguageDump.h"
#include "ui/controls/VbToolbar.h"
#include "ui/controls/VbCheckBox.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbOptionButton.h"
#include "ui/controls/VbPictureBox.h"
#include "ui/controls/VbProgressBar.h"
#include "ui/controls/VbSlider.h"
#include "ui/controls/VbTabControl.h"
#include "ui/controls/VbTextBox.h"

namespace {
class UtilitiesTest : public SettingsTest {
protected:
    QStringList opened() const {
        QStringList out;
        for (const auto& s : platform::Dialogs::shown())
            if (s.kind == platform::Dialogs::Kind::ShellOpen)
                out << s.prompt;
        return out;
    }
    static QString errorZip() { return testenv::commonDir() + "/error.zip"; }
    static QStringList zipNames() {
        QStringList names = QString::fromUtf8(ziptest::run("unzip", {"-Z1", errorZip()}).out).split('\n', Qt::SkipEmptyParts);
        names.sort();
        return names;
    }
};
}  // namespace

// The desktop's viewer first, the program's own window where there is none;
// only a log that was shown turns the indicator green.
TEST_F(UtilitiesTest, ViewingTheLogTurnsTheIndicatorGreen) {
    SetErrorIndicatorHook([this] {  // as start-up connects it
        f->ErrorIndicator->setBackColor(0x8080FF);
        f->lblError->setVisible(true);
    });
    const struct {
        QVariantList answers;  // the desktop's viewer, then the own window
        QList<platform::Dialogs::Kind> tried;
        bool shown;
    } cases[] = {
        {{true}, {platform::Dialogs::Kind::ShellOpen}, true},
        {{false, true}, {platform::Dialogs::Kind::ShellOpen, platform::Dialogs::Kind::TextFile}, true},
        {{false, false}, {platform::Dialogs::Kind::ShellOpen, platform::Dialogs::Kind::TextFile}, false},
    };
    for (const auto& c : cases) {
        WriteErrorLog(false, ProgramName, "Test of Modul T", 1, 5, "Invalid procedure call or argument");
        EXPECT_EQ(f->ErrorIndicator->BackColor(), 0x8080FF);
        const int logged = errorsLabelled("cmdShowLog_Click of Formular FrmMain");
        platform::Dialogs::scriptAnswers(c.answers);
        f->lblError_Click();
        QList<platform::Dialogs::Kind> tried;
        for (const auto& s : platform::Dialogs::shown()) {
            tried << s.kind;
            EXPECT_EQ(s.prompt, ErrorLogPath());
        }
        EXPECT_EQ(tried, c.tried);
        EXPECT_EQ(f->ErrorIndicator->BackColor(), c.shown ? 0xFF00 : 0x8080FF);
        EXPECT_EQ(f->lblError->isHidden(), c.shown);
        EXPECT_EQ(errorsLabelled("cmdShowLog_Click of Formular FrmMain"), logged + (c.shown ? 0 : 1));
    }
    SetErrorIndicatorHook({});
}

TEST_F(UtilitiesTest, WebPageLabels) {
    f->Label32_Click();
    f->lblNRVHome_Click();
    EXPECT_EQ(opened(), QStringList(2, MakerPage("/nrv/products/suite_e.htm")));
}

// The archive holds the log and a picture of each tab that is shown; no
// picture file is left behind, and a second report replaces the first.
TEST_F(UtilitiesTest, TheErrorReportArchive) {
    WriteErrorLog(false, ProgramName, "First of Modul T", 1, 5, "one");
    struct Case {
        int mode;
        QStringList shots;
    } cases[] = {
        {0, {"tmp0.bmp", "tmp1.bmp", "tmp2.bmp", "tmp3.bmp", "tmp4.bmp", "tmp5.bmp", "tmp6.bmp", "tmp7.bmp"}},
        {2, {"tmp0.bmp", "tmp1.bmp", "tmp2.bmp", "tmp7.bmp"}},  // synchronisation hides tabs 3 and 4
    };
    for (const Case& k : cases) {
        f->optBuMode_Click(0);
        f->optBuMode_Click(k.mode);
        platform::Dialogs::scriptAnswers({});
        f->Label7_Click();
        QStringList expected = QStringList{"error.log"} + k.shots;
        expected.sort();
        EXPECT_EQ(zipNames(), expected) << k.mode;
        EXPECT_EQ(ziptest::unzipTest(errorZip()).rc, 0);
        EXPECT_EQ(opened().last(), MakerPage("/nrv/support/BugReport.htm"));
        EXPECT_EQ(f->SSTab1->Tab(), 0);
        EXPECT_TRUE(QDir(testenv::commonDir()).entryList({"tmp*.bmp"}).isEmpty());
    }
    const QByteArray log = ziptest::run("unzip", {"-p", errorZip(), "error.log"}).out;
    EXPECT_EQ(log, testenv::readFile(logHost()));
    const QByteArray shot = ziptest::run("unzip", {"-p", errorZip(), "tmp0.bmp"}).out;
    EXPECT_TRUE(shot.startsWith("BM")) << "a bitmap of the window";
    EXPECT_FALSE(zipNames().join(' ').contains("settings")) << "no settings database";
}

// The dump of a small window, byte for byte: numbers for every control,
// lines only for the values a control has.
TEST(LanguageDump, LinesOfAWindowsControls) {
    QWidget w;
    auto* a = new ui::VbLabel("lblA", "Hello", &w);
    a->setToolTip("The greeting");
    new ui::VbTextBox("txtName", "typed", &w);                 // 2: a number, no line
    new ui::VbCheckBox("chkSound", "Sound", &w);                // 3
    new ui::VbOptionButton("optMode", QString::fromUtf8("Zip é"), 0, &w);  // 4
    new ui::VbOptionButton("optMode", "Copy", 1, &w);           // 5
    auto* menu = new QAction("&File", &w);                      // 6
    menu->setObjectName("mnuFile");
    auto* bar = new ui::VbProgressBar("ProgressBar1", &w);      // 7
    bar->setToolTip("Progress");
    new ui::VbLabel("lblEmpty", "", &w);                        // 8
    new ui::VbSlider("Slider1", 0, 10, 5, &w);                  // 9: no caption, still its code lines
    const QString dir = testenv::tempDir("dump");
    WriteLanguageDump(&w, dir + "/vaultora.eng", dir + "/vaultora2.tmp");
    EXPECT_EQ(testenv::readFile(dir + "/vaultora.eng"),
              "C1Hello\r\nO1The greeting\r\nC3Sound\r\nO3\r\nC4Zip \xE9\r\nO4\r\nC5Copy\r\nO5\r\nC6&File\r\n"
              "O7Progress\r\nC8\r\nO8\r\nO9\r\n");
    EXPECT_EQ(testenv::readFile(dir + "/vaultora2.tmp"),
              "lblA.Caption= txc(1)\r\nlblA.ToolTipText= txo(1)\r\n"
              "chkSound.Caption= txc(3)\r\nchkSound.ToolTipText= txo(3)\r\n"
              "optMode.Caption= txc(4)\r\noptMode.ToolTipText= txo(4)\r\n"
              "optMode.Caption= txc(5)\r\noptMode.ToolTipText= txo(5)\r\n"
              "mnuFile.Caption= txc(6)\r\nmnuFile.ToolTipText= txo(6)\r\n"
              "ProgressBar1.ToolTipText= txo(7)\r\n"
              "lblEmpty.Caption= txc(8)\r\nlblEmpty.ToolTipText= txo(8)\r\n"
              "Slider1.Caption= txc(9)\r\nSlider1.ToolTipText= txo(9)\r\n");
    // A second dump replaces both files.
    a->setText("Bye");
    WriteLanguageDump(&w, dir + "/vaultora.eng", dir + "/vaultora2.tmp");
    EXPECT_TRUE(testenv::readFile(dir + "/vaultora.eng").startsWith("C1Bye\r\nO1The greeting\r\nC3Sound"));

    // The fuller listing goes to the end of the dump: name, tag, then the
    // text or caption; a control array's member adds its index and tool tip.
    const QByteArray before = testenv::readFile(dir + "/vaultora.eng");
    a->setProperty("Tag", "t");
    AppendLanguagePropertyDump(&w, dir + "/vaultora.eng");
    EXPECT_EQ(testenv::readFile(dir + "/vaultora.eng"),
              before + "lblAtBye\r\ntxtNametyped\r\nchkSoundSound\r\noptModeZip \xE9\r\noptMode0\r\n"
                       "optModeCopy\r\noptMode1\r\nmnuFile&File\r\nlblEmpty\r\n");
}

// Each button gives its member lines (named by its key) under the toolbar's
// number; a separator has no name and gives none.
TEST(LanguageDump, TheToolbarGivesItsButtonsMemberLinesUnderItsNumber) {
    QWidget w;
    auto* bar = new ui::VbToolbar("tbTools", &w);
    bar->AddButton("Exit", "Exit", "Leave the program");
    bar->AddSeparator();
    bar->AddButton("Restore", "Restore", "");
    const QString dir = testenv::tempDir("dump-toolbar");
    WriteLanguageDump(&w, dir + "/vaultora.eng", dir + "/vaultora2.tmp");
    EXPECT_EQ(testenv::readFile(dir + "/vaultora.eng"),
              "C1Exit.CaptionExit\r\nO1Exit.ToolTipTextLeave the program\r\n"
              "C1Restore.CaptionRestore\r\nO1Restore.ToolTipText\r\n");
    // The fuller listing: each button's caption line and index line.
    AppendLanguagePropertyDump(&w, dir + "/vaultora.eng");
    EXPECT_TRUE(testenv::readFile(dir + "/vaultora.eng")
                    .endsWith("ExitExit\r\nExit1Leave the program\r\nRestoreRestore\r\nRestore3\r\n"));
    EXPECT_EQ(testenv::readFile(dir + "/vaultora2.tmp"), "");
}

TEST_F(UtilitiesTest, GenerateTextWritesBothFilesBesideTheProgram) {
    f->Command1_Click();
    const QString eng = QString::fromLatin1(testenv::readFile(testenv::programDir() + "/vaultora.eng"));
    const QStringList code =
        QString::fromLatin1(testenv::readFile(testenv::programDir() + "/vaultora2.tmp")).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_FALSE(code.isEmpty());
    static const QRegularExpression codeLine(R"(^(\w+)\.(Caption= txc|ToolTipText= txo)\((\d+)\)$)");
    for (const QString& line : code)
        EXPECT_TRUE(codeLine.match(line).hasMatch()) << line.toStdString();
    EXPECT_TRUE(code.filter(QRegularExpression("^chkSound\\.Caption= txc\\(\\d+\\)$")).size() == 1);
    EXPECT_TRUE(code.filter(QRegularExpression("^txtPathBackUp\\.")).isEmpty()) << "text boxes give no line";
    EXPECT_TRUE(code.filter(QRegularExpression("^tbTools")).isEmpty()) << "toolbar buttons are no controls";
    EXPECT_TRUE(eng.contains("Exit.CaptionExit\r\n")) << "the toolbar's member lines";
    // A menu entry: both code lines, its caption line, no tool-tip line.
    const QStringList about = code.filter(QRegularExpression("^mnuAbout\\."));
    ASSERT_EQ(about.size(), 2);
    const QString n = codeLine.match(about[0]).captured(3);
    EXPECT_EQ(about, QStringList({"mnuAbout.Caption= txc(" + n + ")", "mnuAbout.ToolTipText= txo(" + n + ")"}));
    EXPECT_TRUE(eng.contains("\r\nC" + n + "&About\r\n"));
    EXPECT_FALSE(eng.contains("\r\nO" + n + "\r\n"));
}
