// SPDX-License-Identifier: GPL-3.0-or-later
#include <QMouseEvent>

#include "GlimmoraFixture.h"

using glimmora::ControlError;
using glimmora::Glimmora;
using glimmora::PropertyBag;

namespace {
int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ControlError& e) {
        return e.number();
    }
    return 0;
}
}  // namespace

// Written in the fixed order, each with its type, values equal to their
// default left out.
TEST_F(GlimmoraTest, WritesTheBagInOrderWithTypesLeavingOutDefaults) {
    Glimmora* c = stored(bag({{"BorderStyle", qint16(1)},
                              {"Appearance", qint16(1)},
                              {"SizeMode", qint32(7)},
                              {"SizeWidth", 2430.5f},
                              {"SizeHeight", 855.0f},
                              {"BackgroundPath", file("tile.png")},
                              {"ImagePath", file("wide.png")}}));
    PropertyBag out;
    c->WriteProperties(out);
    EXPECT_EQ(out.Names(), (QStringList{"Enabled", "BorderStyle", "Appearance", "SizeMode", "SizeWidth", "SizeHeight",
                                        "BackgroundPath", "ImagePath_ImageWidth", "ImagePath_ImageHeight",
                                        "ImagePath"}));
    const auto& e = out.Entries();
    EXPECT_EQ(e[0].value.typeId(), QMetaType::Bool);
    EXPECT_EQ(e[1].value.typeId(), QMetaType::Short);
    EXPECT_EQ(e[2].value.typeId(), QMetaType::Short);
    EXPECT_EQ(e[3].value, QVariant(qint32(7)));
    EXPECT_EQ(e[4].value.typeId(), QMetaType::Float);
    EXPECT_FLOAT_EQ(e[4].value.toFloat(), 2430.5f);
    EXPECT_EQ(e[7].value.toFloat(), 600.0f);  // 40 pixels measured at 15 twips each
    EXPECT_EQ(e[8].value.toFloat(), 300.0f);
    EXPECT_EQ(e[9].value.toString(), file("wide.png"));

    // A new instance leaves everything out but the surface's Enabled.
    Glimmora fresh(&host, form.get());
    fresh.InitProperties();
    EXPECT_EQ(fresh.SizeMode(), 4);
    EXPECT_EQ(fresh.ImagePath(), "");
    EXPECT_EQ(fresh.BackgroundPath(), "");
    PropertyBag empty;
    fresh.WriteProperties(empty);
    EXPECT_EQ(empty.Names(), QStringList{"Enabled"});
}

TEST_F(GlimmoraTest, EnabledFollowsTheBagAndAnAbsentEntryReadsDisabled) {
    PropertyBag none;
    none.Set("SizeMode", qint32(2));
    EXPECT_FALSE(stored(none)->Enabled());
    PropertyBag saved;
    control->SetEnabled(true);
    control->WriteProperties(saved);
    EXPECT_TRUE(stored(saved)->Enabled());
}

// A value that does not fit stops the read at its entry with error 6; the
// entries before it are in force, the later ones are not read.
TEST_F(GlimmoraTest, AValueOutOfRangeStopsTheReadWithOverflow) {
    control = std::make_unique<Glimmora>(&host, form.get());
    struct Case {
        const char* entry;
        QVariant value;
        int error;
    } cases[] = {
        {"BorderStyle", qint32(70000), 6},
        {"Appearance", qint32(-40000), 6},
        {"BorderStyle", qint32(2), 380},
        {"SizeWidth", 1e300, 6},
        {"SizeHeight", QStringLiteral("wide"), 13},
    };
    for (const Case& k : cases) {
        control = std::make_unique<Glimmora>(&host, form.get());
        PropertyBag b = bag({{k.entry, k.value}, {"ImagePath", QStringLiteral("later.gif")}});
        EXPECT_EQ(errorOf([&] { control->ReadProperties(b); }), k.error) << k.entry;
        EXPECT_TRUE(control->Enabled()) << "the first entry was read";
        EXPECT_EQ(control->ImagePath(), "") << "reading stopped at " << k.entry;
    }
    EXPECT_EQ(errorOf([&] { control->SetBorderStyle(40000); }), 6);
}

TEST_F(GlimmoraTest, TriggerPropertiesReadFalseAndEveryAssignmentActs) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}, {"ImagePath", file("wide.png")}}));
    host.openAnswers = {file("tall.png")};
    c->SetImagePath_OPEN(false);  // false asks for the dialog as true does
    EXPECT_FALSE(c->ImagePath_OPEN());
    ASSERT_EQ(host.opened.size(), 1);
    EXPECT_EQ(c->ImagePath(), file("tall.png"));
    EXPECT_EQ(host.count("ImagePath_OPEN"), 1);

    c->SetGlimmora_HELP(false);
    c->SetGlimmora_About(false);
    EXPECT_EQ(host.boxes.size(), 4);
    EXPECT_FALSE(c->Glimmora_HELP());
    EXPECT_EQ(host.count("Glimmora_HELP"), 1);
    EXPECT_EQ(host.count("Glimmora_About"), 1);
}

TEST_F(GlimmoraTest, MeasuredPropertiesKeepTheirValueOnAFormBeingEdited) {
    Glimmora* c = stored(bag({}));
    c->SetImagePath_ImageWidth(100);
    host.userMode = false;
    host.changed.clear();
    c->SetImagePath_ImageWidth(500);
    EXPECT_EQ(c->ImagePath_ImageWidth(), 100.0f);
    EXPECT_EQ(host.changed, QStringList{"ImagePath_ImageWidth"});
    host.userMode = true;
    c->SetImagePath_ImageWidth(500);
    EXPECT_EQ(c->ImagePath_ImageWidth(), 500.0f);
}

// Which assignments run a layout pass: each pass measures the picture, which
// notifies "ImagePath_ImageError".
TEST_F(GlimmoraTest, AssignmentsThatRunALayoutPass) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}, {"ImagePath", file("wide.png")}}));
    auto passes = [&] { return host.count("ImagePath_ImageError"); };
    struct Case {
        const char* what;
        std::function<void()> assign;
        int passes;
    } cases[] = {
        {"BorderStyle", [&] { c->SetBorderStyle(1); }, 0},
        {"Appearance", [&] { c->SetAppearance(1); }, 1},
        {"Enabled", [&] { c->SetEnabled(true); }, 1},
        {"SizeMode", [&] { c->SetSizeMode(2); }, 1},
        {"SizeWidth", [&] { c->SetSizeWidth(900); }, 1},
        {"SizeHeight", [&] { c->SetSizeHeight(900); }, 1},
        {"ImagePath_ImageHeight", [&] { c->SetImagePath_ImageHeight(1); }, 0},
    };
    for (const Case& k : cases) {
        host.changed.clear();
        k.assign();
        EXPECT_EQ(passes(), k.passes) << k.what;
        ASSERT_FALSE(host.changed.isEmpty());
        EXPECT_EQ(host.changed.first(), k.what);
    }
}

TEST_F(GlimmoraTest, ASizeModeOutsideTheListIsKeptAndSizesNothing) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}, {"ImagePath", file("wide.png")}}), 1000, 1000);
    EXPECT_EQ(c->Width(), 600);
    const int navigated = c->Navigations();
    c->SetWidth(1000);
    c->SetSizeMode(7);
    EXPECT_EQ(c->SizeMode(), 7);
    EXPECT_EQ(c->Width(), 1000);
    EXPECT_EQ(c->Navigations(), navigated);
    PropertyBag out;
    c->WriteProperties(out);
    EXPECT_EQ(out.ReadProperty("SizeMode").toInt(), 7);
}

TEST(GlimmoraPaths, ExtensionAndFolderPart) {
    struct Case {
        const char* path;
        const char* ext;
        const char* folder;
    } cases[] = {
        {"C:\\pics\\a.b.GIF", "GIF", "C:\\pics\\"},
        {"C:\\pics\\readme", "readme", "C:\\pics\\"},
        {"", "", ""},
        {"a.gif", "gif", ""},
        {"C:\\my.pics\\readme", "readme", "C:\\my.pics\\"},
        {"/home/u/art/sun.gif", "gif", "/home/u/art/"},
        {"C:\\mixed/art\\x.jpg", "jpg", "C:\\mixed/art\\"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(Glimmora::GetExtension(k.path), k.ext) << k.path;
        EXPECT_EQ(Glimmora::GetFolderPart(k.path), k.folder) << k.path;
    }
}

// Cursor pictures are refused without reading the file (case-sensitive), a
// file that is no picture is an image error, and blanks around a name make
// the load fail although the trimmed name is a file.
TEST_F(GlimmoraTest, MeasuringMarksWhatCannotBeLoaded) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(1)}}));
    // Pictures the loader could read, under cursor names.
    for (const char* name : {"pointer.cur", "pointer.ani", "pointer.CUR"})
        QImage(8, 8, QImage::Format_RGB32).save(file(name), "BMP");
    struct Case {
        QString path;
        bool measured;
    } cases[] = {
        {file("pointer.cur"), false},
        {file("pointer.ani"), false},
        {file("pointer.CUR"), true},
        {file("notapicture.gif"), false},
        {file("missing.gif"), false},
        {"  " + file("wide.png") + " ", false},
        {file("wide.png"), true},
    };
    for (const Case& k : cases) {
        c->SetImagePath(k.path);
        EXPECT_EQ(c->ImagePath_ImageError(), !k.measured) << k.path.toStdString();
        EXPECT_EQ(c->ImagePath_ImageWidth(), k.measured ? (k.path.endsWith("CUR") ? 120 : 600) : 0);
    }
    EXPECT_TRUE(c->PathIsFile(file("wide.png")));
    EXPECT_FALSE(c->PathIsFile(dir));
    EXPECT_FALSE(c->PathIsFile(""));
}

// The events come from the control's own surface; the mouse arguments are
// in VB's numbering and in twips.
TEST_F(GlimmoraTest, SurfaceEvents) {
    Glimmora* c = stored(bag({{"SizeMode", qint32(2)}}));
    form->show();
    QStringList events;
    QObject::connect(c, &Glimmora::MouseDown, [&](short& b, short& s, float& x, float& y) {
        events << QStringLiteral("down %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y);
    });
    QObject::connect(c, &Glimmora::MouseUp, [&](short& b, short&, float&, float&) { events << QStringLiteral("up %1").arg(b); });
    QObject::connect(c, &Glimmora::Click, [&] { events << "click"; });
    QObject::connect(c, &Glimmora::DblClick, [&] { events << "dblclick"; });
    QWidget* surface = c->findChild<QWidget*>("surface");
    ASSERT_NE(surface, nullptr);
    auto send = [&](QEvent::Type t, Qt::MouseButton b, Qt::KeyboardModifiers k = {}) {
        QMouseEvent e(t, QPointF(4, 2), surface->mapToGlobal(QPointF(4, 2)), b,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b), k);
        QCoreApplication::sendEvent(surface, &e);
    };
    send(QEvent::MouseButtonPress, Qt::RightButton, Qt::ShiftModifier);
    send(QEvent::MouseButtonRelease, Qt::RightButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_EQ(events, (QStringList{"down 2 1 60 30", "up 2", "click", "dblclick"}));
}
