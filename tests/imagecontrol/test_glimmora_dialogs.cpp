// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFileInfo>
#include <QFontMetricsF>

#include "GlimmoraFixture.h"
#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"
#include "ui/GlimmoraSite.h"

using glimmora::ControlError;
using glimmora::Glimmora;
using glimmora::PropertyBag;

namespace {
const QString kImageFilter = QStringLiteral("GIF (also animated) files (*.gif)|*.gif|All files(*.*)|*.*");
const QString kBackgroundFilter = QStringLiteral(
    "Background Image files (*.jpg;*.jpeg;*.bmp;*wmf;*.emf)|*.jpg;*.jpeg;*.bmp;*wmf;*.emf|All files (*.*)|*.*");
const QString kApp = QStringLiteral("Glimmora.frmSplash.Glimmora1");
QString setting(const TestHost& h, const QString& app, const char* key) {
    return h.settings.value(app + "|Glimmora|" + key);
}
}  // namespace

// A developer places a new control: both dialogs open, titled with the
// control's settings name, starting in the library's folders.
TEST_F(GlimmoraTest, ANewInstanceOnAFormBeingEditedOffersBothDialogs) {
    host.userMode = false;
    host.openAnswers = {"D:\\art\\sun.gif", "D:\\art\\sky.jpg"};
    Glimmora c(&host, form.get());
    c.InitProperties();
    c.LayoutPass();
    ASSERT_EQ(host.opened.size(), 2);
    const glimmora::CommonDialog& image = host.opened[0];
    EXPECT_EQ(image.DialogTitle, "Browse for an Image file for Control: " + kApp);
    EXPECT_EQ(image.FileName, "C:\\Lib\\anim\\*.gif");
    EXPECT_EQ(image.Filter, kImageFilter);
    EXPECT_EQ(image.FilterIndex, 1);
    EXPECT_TRUE(image.CancelError);
    EXPECT_EQ(image.Flags, 0);
    const glimmora::CommonDialog& background = host.opened[1];
    EXPECT_EQ(background.DialogTitle,
              "Browse for a Background tiling image (for transparent GIFs) for Control: " + kApp);
    EXPECT_EQ(background.FileName, "C:\\Lib\\bg\\*.*");
    EXPECT_EQ(background.Filter, kBackgroundFilter);
    EXPECT_EQ(background.FilterIndex, 2);
    EXPECT_EQ(c.ImagePath(), "D:\\art\\sun.gif");
    EXPECT_EQ(c.BackgroundPath(), "D:\\art\\sky.jpg");
    EXPECT_EQ(setting(host, kApp, "Image file"), "D:\\art\\*.gif");
    EXPECT_EQ(setting(host, kApp, "Background tiling file"), "D:\\art\\*.*");
    EXPECT_EQ(c.SettingsAppName(), kApp);
}

// The remembered folder and the filter the next dialog starts with.
TEST_F(GlimmoraTest, TheImageDialogRemembersFolderAndMask) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}}));
    struct Case {
        QString chosen;
        QString remembered;
        int nextFilter;
    } cases[] = {
        {"D:\\art\\logo.jpg", "D:\\art\\*.*", 2},
        {"D:\\art\\sun.gif", "D:\\art\\*.gif", 1},
        {"D:\\art\\SUN.GIF", "D:\\art\\*.*", 2},
        {"/home/u/pics/a.gif", "/home/u/pics/*.gif", 1},
    };
    for (const Case& k : cases) {
        host.openAnswers = {k.chosen};
        c->SetImagePath_OPEN(true);
        EXPECT_EQ(setting(host, kApp, "Image file"), k.remembered);
        host.openAnswers = {""};
        c->SetImagePath_OPEN(true);
        EXPECT_EQ(host.opened.last().FileName, k.remembered);
        EXPECT_EQ(host.opened.last().FilterIndex, k.nextFilter);
        EXPECT_EQ(host.opened.last().DialogTitle, "Browse for an Image file");
        EXPECT_EQ(c->ImagePath(), k.chosen) << "cancel put the path back";
    }
    host.openAnswers = {"D:\\art\\sun.gif", ""};
    c->SetBackgroundPath_OPEN(true);
    EXPECT_EQ(setting(host, kApp, "Background tiling file"), "D:\\art\\*.*");
    c->SetBackgroundPath_OPEN(true);
    EXPECT_EQ(host.opened.last().FilterIndex, 2) << "the background dialog always opens with all files";
    EXPECT_EQ(host.opened.last().DialogTitle, "Browse for a Background tiling image (for transparent GIFs)");
}

TEST_F(GlimmoraTest, CancelRestoresTheSavedPathAndStoresNothing) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}, {"ImagePath", file("wide.png")}, {"BackgroundPath", file("tile.png")}}));
    host.openAnswers = {""};
    c->SetImagePath_OPEN(true);
    EXPECT_EQ(c->ImagePath(), file("wide.png"));
    EXPECT_TRUE(c->Page().contains("<img src='" + file("wide.png") + "' ALIGN"));
    EXPECT_TRUE(host.settings.isEmpty());
    host.openAnswers = {""};
    c->SetBackgroundPath_OPEN(true);
    EXPECT_EQ(c->BackgroundPath(), file("tile.png"));
    EXPECT_EQ(host.opened.size(), 2);
}

TEST_F(GlimmoraTest, AControlInAnArrayKeepsItsFoldersUnderItsIndex) {
    host.index = 2;
    host.form = "frmWizard";
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}}));
    host.openAnswers = {"D:\\art\\sun.gif"};
    c->SetImagePath_OPEN(true);
    EXPECT_EQ(c->SettingsAppName(), "Glimmora.frmWizard.Glimmora1(2)");
    EXPECT_EQ(setting(host, "Glimmora.frmWizard.Glimmora1(2)", "Image file"), "D:\\art\\*.gif");
}

// The program's site: the dialog goes through the Dialogs service, the
// folders to the settings store, and a running form opens no dialog.
TEST_F(GlimmoraTest, TheProgramSiteUsesTheDialogsServiceAndTheSettingsStore) {
    platform::Dialogs::scriptAnswers({QStringLiteral("C:\\art\\sun.gif")});
    GlimmoraSite design(QStringLiteral("frmSplash"), QStringLiteral("Glimmora1"), false);
    Glimmora c(&design, form.get());
    PropertyBag b;
    b.Set("SizeMode", qint32(2));
    c.ReadProperties(b);  // empty paths on a form being edited: the dialogs open
    const auto& shown = platform::Dialogs::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].kind, platform::Dialogs::Kind::OpenFile);
    EXPECT_EQ(shown[0].title, "Browse for an Image file for Control: " + kApp);
    EXPECT_EQ(shown[0].filter, kImageFilter);
    EXPECT_EQ(shown[0].style, 1);
    EXPECT_TRUE(shown[0].defaultText.endsWith("\\anim\\*.gif")) << shown[0].defaultText.toStdString();
    EXPECT_EQ(shown[0].defaultText.left(2).at(1), ':') << "the library folder in Windows form";
    EXPECT_EQ(shown[1].title, "Browse for a Background tiling image (for transparent GIFs) for Control: " + kApp);
    EXPECT_EQ(platform::GetSetting(kApp, "Glimmora", "Image file"), "C:\\art\\*.gif");
    EXPECT_EQ(platform::GetSetting(kApp, "Glimmora", "Background tiling file"), "");
    platform::Dialogs::reset();

    platform::Dialogs::scriptAnswers({});
    glimmora::Glimmora* running = CreateFormGlimmora(form.get(), "frmWizard", 2370, 840);
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    EXPECT_EQ(running->SizeMode(), 2);
    EXPECT_EQ(running->SizeWidth(), 2370);
    EXPECT_TRUE(running->Enabled());
    platform::Dialogs::reset();
}

TEST_F(GlimmoraTest, HelpAndAboutBoxes) {
    Glimmora* c = stored(bag({}));
    c->SetGlimmora_HELP(true);
    ASSERT_EQ(host.boxes.size(), 3);
    EXPECT_EQ(host.boxes[0].title, "Glimmora Help, page 1 of 3 - GENERAL");
    EXPECT_EQ(host.boxes[0].style, 0);
    EXPECT_EQ(host.boxes[1].title, "Glimmora Help, page 2 of 3 - VB EXAMPLE");
    EXPECT_EQ(host.boxes[2].title, "Glimmora Help, page 3 of 3 - SOME NOTES");
    EXPECT_EQ(host.boxes[2].style, 4);
    EXPECT_EQ(host.boxes[0].prompt, Glimmora::HelpPage(1));
    EXPECT_TRUE(host.boxes[0].prompt.contains("ImagePath") && host.boxes[0].prompt.contains("\"anim\""));
    EXPECT_TRUE(Glimmora::HelpPage(2).startsWith("\r\n\r\n"));
    EXPECT_TRUE(Glimmora::HelpPage(2).contains("ImagePath_OPEN") && Glimmora::HelpPage(2).contains("Auto_Size"));
    EXPECT_EQ(host.boxes[2].prompt,
              Glimmora::HelpPage(3) + "\r\n\r\n\r\nWANT YOU PRINT-OUT THIS HELP ON YOUR PRINTER?\r\n");
    EXPECT_FALSE(c->Glimmora_HELP());
    EXPECT_EQ(host.count("Glimmora_HELP"), 1);

    host.boxes.clear();
    c->SetGlimmora_About(true);
    ASSERT_EQ(host.boxes.size(), 1);
    EXPECT_EQ(host.boxes[0].title, "Glimmora About");
    EXPECT_EQ(host.boxes[0].style, 4);
    EXPECT_EQ(host.boxes[0].prompt,
              Glimmora::AboutText() + "\r\n\r\n\r\nWANT YOU PRINT-OUT THIS ABOUT ON YOUR PRINTER?\r\n");
}

// Yes prints; without a printer the error ends the assignment and no
// notification is sent.
TEST_F(GlimmoraTest, PrintingTheHelpAndAbout) {
    Glimmora* c = stored(bag({}));
    host.boxAnswers = {1, 1, 6};
    try {
        c->SetGlimmora_HELP(true);
        FAIL() << "printed without a printer";
    } catch (const ControlError& e) {
        EXPECT_EQ(e.number(), 482);
    }
    EXPECT_EQ(host.count("Glimmora_HELP"), 0);

    host.printFile = file("about.pdf");
    host.boxAnswers = {6};
    c->SetGlimmora_About(true);
    EXPECT_EQ(host.count("Glimmora_About"), 1);
    const QByteArray pdf = testenv::readFile(host.printFile);
    EXPECT_TRUE(pdf.startsWith("%PDF")) << "one document was sent to the printer";
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type/Page\n"), 1)
        << pdf.left(200).toStdString();
}

TEST(GlimmoraPrint, TheTextBlockIsCentredOnThePage) {
    QFont font;
    font.setPointSize(12);
    font.setBold(true);
    const QFontMetricsF m(font);
    const Glimmora::PrintPlan plan =
        Glimmora::PlanPrint("short\r\na much longer middle line\r\n\r\nend", m, QSizeF(1000, 800));
    EXPECT_EQ(plan.lines, (QStringList{"short", "a much longer middle line", "", "end"}));
    EXPECT_DOUBLE_EQ(plan.left, (1000 - m.horizontalAdvance("a much longer middle line")) / 2);
    EXPECT_DOUBLE_EQ(plan.top, (800 - 4 * m.lineSpacing()) / 2);
}
