// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>

#include "GlimmoraFixture.h"

using glimmora::ControlError;
using glimmora::Glimmora;
using glimmora::PropertyBag;

namespace {
const QString Q = QStringLiteral("\"");
QString natural(const QString& bg, const QString& img) {
    return "about:<html><body background = " + Q + bg + Q + " scroll='no'><img src='" + img +
           "' ALIGN=\"left\"></img></body></html>";
}
QString sized(const QString& bg, const QString& img, int w, int h) {
    return "about:<html><body background = " + Q + bg + Q + " scroll='no'><img src='" + img + "'   width=\"" +
           QString::number(w) + "\"  height=\"" + QString::number(h) + "\" ALIGN=\"left\"></img></body></html>";
}
QString backgroundOnly(const QString& bg) {
    return "about:<html><body background = " + Q + bg + Q + " scroll='no'></body></html>";
}
}  // namespace

// The size a running form's control takes in each size mode, with and
// without borders, for a landscape (40 x 20 pixels) and a portrait (20 x 40)
// picture, at 15 twips per pixel.
TEST_F(GlimmoraTest, SizeModesInUserMode) {
    struct Case {
        const char* what;
        int mode;
        const char* picture;
        float boxW, boxH;
        int appearance, border;
        float width, height;
        int pageW, pageH;  // 0: the natural page
    } cases[] = {
        {"auto size", 1, "wide.png", 2430, 855, 0, 0, 600, 300, 0, 0},
        {"auto size, 3D and border", 1, "wide.png", 2430, 855, 1, 1, 660, 360, 0, 0},
        {"auto size, border", 1, "wide.png", 2430, 855, 0, 1, 630, 330, 0, 0},
        {"zoom landscape takes the width", 2, "wide.png", 2430, 855, 0, 0, 2430, 1215, 162, 81},
        {"zoom portrait takes the height", 2, "tall.png", 2430, 855, 0, 0, 427.5, 855, 29, 57},
        {"zoom with borders", 2, "wide.png", 2430, 855, 1, 1, 2430, 1215, 158, 77},
        {"zoom larger only, smaller picture", 3, "wide.png", 2430, 855, 0, 0, 600, 300, 0, 0},
        {"zoom larger only, smaller picture, border", 3, "wide.png", 2430, 855, 0, 1, 630, 330, 0, 0},
        {"zoom larger only, larger picture", 3, "wide.png", 300, 300, 0, 0, 300, 150, 20, 10},
        {"zoom larger only, taller picture", 3, "tall.png", 300, 300, 0, 0, 150, 300, 10, 20},
        {"stretch", 4, "wide.png", 2430, 855, 0, 0, 2430, 855, 162, 57},
        {"stretch with borders", 4, "wide.png", 2430, 855, 1, 1, 2430, 855, 158, 53},
    };
    for (const Case& k : cases) {
        const QString img = file(k.picture);
        const QString bg = file("tile.png");
        Glimmora* c = stored(bag({{"Appearance", qint16(k.appearance)},
                                  {"BorderStyle", qint16(k.border)},
                                  {"SizeMode", qint32(k.mode)},
                                  {"SizeWidth", k.boxW},
                                  {"SizeHeight", k.boxH},
                                  {"BackgroundPath", bg},
                                  {"ImagePath", img}}),
                             1000, 1000);
        EXPECT_FLOAT_EQ(c->Width(), k.width) << k.what;
        EXPECT_FLOAT_EQ(c->Height(), k.height) << k.what;
        EXPECT_EQ(c->Page(), k.pageW ? sized(bg, img, k.pageW, k.pageH) : natural(bg, img)) << k.what;
        EXPECT_TRUE(c->PageShown()) << k.what;
        EXPECT_FALSE(c->LayoutBusy()) << k.what;
        EXPECT_EQ(c->SizeWidth(), k.boxW) << "a running form keeps its box: " << k.what;
    }
}

// On a form being edited the developer's size stays and is recorded.
TEST_F(GlimmoraTest, SizeModesInDesignModeRecordTheChosenSize) {
    host.userMode = false;
    const QString img = file("wide.png");
    const QString bg = file("tile.png");
    Glimmora* c = stored(bag({{"SizeMode", qint32(2)}, {"BackgroundPath", bg}, {"ImagePath", img}}), 1200, 900);
    EXPECT_EQ(c->Width(), 1200);
    EXPECT_EQ(c->Height(), 600);  // the height follows the ratio
    EXPECT_EQ(c->SizeWidth(), 1200);
    EXPECT_EQ(c->SizeHeight(), 600);

    c->SetWidth(3000);
    c->SetSizeMode(4);
    EXPECT_EQ(c->SizeWidth(), 3000);
    EXPECT_EQ(c->Page(), sized(bg, img, 200, 40));

    c->SetSizeMode(3);  // the picture is smaller than the control: natural size recorded
    EXPECT_EQ(c->SizeWidth(), 600);
    EXPECT_EQ(c->SizeHeight(), 300);
    EXPECT_EQ(c->Page(), natural(bg, img));
}

TEST_F(GlimmoraTest, WithoutPictureFilesTheBannerFillsTheInnerArea) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(2)}, {"SizeWidth", 2430.0f}, {"SizeHeight", 855.0f}}));
    EXPECT_FALSE(c->PageShown());
    EXPECT_EQ(c->Navigations(), 1) << "only the start page of the creation";
    EXPECT_EQ(c->ShapeRect(), QRectF(0, 0, 2430, 855));
    const QRectF banner = c->BannerRect();
    EXPECT_NEAR(banner.center().x(), 1215, 15);
    EXPECT_NEAR(banner.center().y(), 427.5, 15);
    EXPECT_LE(banner.width(), 2430 + 15);
    EXPECT_LE(banner.height(), 855 + 15);
    EXPECT_GT(c->BannerFontSize(), 5);

    const QImage img = shot();
    EXPECT_EQ(img.size(), QSize(162, 57));
    int dark = 0;
    for (int x = 0; x < img.width(); ++x)
        dark += qGray(img.pixel(x, img.height() / 2)) < 100;
    EXPECT_GT(dark, 5) << "the banner's letters cross the middle line";
    EXPECT_LT(qGray(img.pixel(0, 0)), 100) << "the frame's corner";
}

TEST_F(GlimmoraTest, BackgroundOnlyAndPicturesThatCannotBeShown) {
    const QString bg = file("tile.png");
    Glimmora* c = stored(bag({{"SizeMode", qint32(4)}, {"SizeWidth", 2430.0f}, {"SizeHeight", 855.0f}, {"BackgroundPath", bg}}));
    EXPECT_TRUE(c->PageShown());
    EXPECT_EQ(c->Page(), backgroundOnly(bg));
    const QImage img = shot();
    // The tile repeats without seams: its black corner every 4 pixels.
    for (QPoint p : {QPoint(0, 0), QPoint(4, 0), QPoint(0, 4), QPoint(80, 24), QPoint(160, 52)})
        EXPECT_EQ(img.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(1, 0), QPoint(3, 3), QPoint(5, 5), QPoint(161, 56)})
        EXPECT_EQ(img.pixel(p), QColor(Qt::yellow).rgb()) << p.x() << "," << p.y();

    // A picture that cannot be loaded: nothing sized, nothing navigated, the
    // page stays; the same for a name with blanks around it.
    const QString page = c->Page();
    const int navigated = c->Navigations();
    for (const QString& path : {file("notapicture.gif"), " " + file("wide.png") + " "}) {
        c->SetImagePath(path);
        EXPECT_EQ(c->Width(), 2430);
        EXPECT_EQ(c->Page(), page);
        EXPECT_EQ(c->Navigations(), navigated);
        EXPECT_TRUE(c->PageShown());
        EXPECT_TRUE(c->ImagePath_ImageError());
    }

    // In auto size the background alone takes the picture box's size (its
    // design size of 32 pixels, as no picture was loaded) plus the border.
    c = stored(bag({{"SizeMode", qint32(1)}, {"BorderStyle", qint16(1)}, {"BackgroundPath", bg}}));
    EXPECT_EQ(c->Page(), backgroundOnly(bg));
    EXPECT_EQ(c->Width(), 32 * 15 + 30);
    EXPECT_EQ(c->Height(), 32 * 15 + 30);
}

TEST_F(GlimmoraTest, AStretchedPictureFillsTheBox) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(4)}, {"SizeWidth", 2430.0f}, {"SizeHeight", 855.0f},
                              {"ImagePath", file("wide.png")}}));
    ASSERT_EQ(c->Page(), sized("", file("wide.png"), 162, 57));
    const QImage img = shot();
    ASSERT_EQ(img.size(), QSize(162, 57));
    EXPECT_EQ(c->BrowserGeometry(), QRect(0, 0, 162, 57));
    for (QPoint p : {QPoint(2, 2), QPoint(70, 28), QPoint(2, 54)})
        EXPECT_EQ(QColor(img.pixel(p)), QColor(Qt::red)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(92, 2), QPoint(159, 28), QPoint(159, 54)})
        EXPECT_EQ(QColor(img.pixel(p)), QColor(Qt::blue)) << p.x() << "," << p.y();
}

TEST_F(GlimmoraTest, AnAnimatedGifPlays) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}, {"ImagePath", file("anim3.gif")}}));
    EXPECT_EQ(c->Width(), 8 * 15);
    ASSERT_GE(c->MovieFrame(), 0);
    shot();
    QSet<QRgb> colours;
    QElapsedTimer t;
    t.start();
    while (colours.size() < 3 && t.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        colours.insert(c->grab().toImage().pixel(2, 2));
    }
    EXPECT_EQ(colours.size(), 3) << "red, green and blue frames were drawn";
}

// A pass that fails (here a stored size mode that is no number) ends with
// its error, and the next pass runs: the guard was released.
TEST_F(GlimmoraTest, AFailedPassDoesNotFreezeTheControl) {
    control = std::make_unique<Glimmora>(&host, form.get());
    PropertyBag b = bag({{"SizeMode", QStringLiteral("zoom")}, {"SizeWidth", 2430.0f}, {"SizeHeight", 855.0f},
                         {"BackgroundPath", file("tile.png")}, {"ImagePath", file("wide.png")}});
    try {
        control->ReadProperties(b);
        FAIL() << "no error for a size mode that is no number";
    } catch (const ControlError& e) {
        EXPECT_EQ(e.number(), 13);
    }
    EXPECT_FALSE(control->LayoutBusy());
    control->SetSizeMode(2);
    EXPECT_EQ(control->Height(), 1215);
    EXPECT_EQ(control->Page(), sized(file("tile.png"), file("wide.png"), 162, 81));
}

// The container resizing the control runs a pass: stretch follows the box,
// auto size keeps the picture's size.
TEST_F(GlimmoraTest, AContainerResizeRunsAPass) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}, {"ImagePath", file("wide.png")}}));
    form->show();
    c->resize(100, 100);
    EXPECT_EQ(c->Width(), 600);
    EXPECT_EQ(c->size(), QSize(40, 20));
}
