// SPDX-License-Identifier: GPL-3.0-or-later
// The VB rules of the control wrappers: what raises Click and Change, the
// combo's ListIndex, option groups, the focus filter and the limits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include "QtPrinters.h"
#include "ui/controls/ControlArray.h"
#include "ui/controls/StandardIcon.h"
#include "ui/controls/VbCheckBox.h"
#include "platform/Dialogs.h"
#include "ui/controls/VbComboBox.h"
#include "ui/controls/VbCommonDialog.h"
#include "ui/controls/VbFocusFilter.h"
#include "ui/controls/VbListBox.h"
#include "ui/controls/VbOptionButton.h"
#include "ui/controls/VbRichTextBox.h"
#include "ui/controls/VbSlider.h"
#include "ui/controls/VbTextBox.h"
#include "ui/controls/VbTimer.h"
#include "vb/VbError.h"

using namespace ui;

namespace {

template <class F>
int errorNumber(F&& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        return e.number();
    }
    return 0;
}

// Counts a signal and records what the control held when it came.
struct Recorder {
    int count = 0;
    QStringList seen;
};

}  // namespace

TEST(VbCheckBox, ValueChangesRaiseClickAtOnce) {
    VbCheckBox c("chkX", "X");
    Recorder r;
    QObject::connect(&c, &VbCheckBox::Click, [&] {
        ++r.count;
        r.seen << QString::number(c.Value());
    });
    struct Step {
        int set;
        int clicks;  // total after the step
    } steps[] = {{1, 1}, {1, 1}, {0, 2}, {2, 3}, {0, 4}, {0, 4}};
    for (const Step& s : steps) {
        c.setValue(s.set);
        EXPECT_EQ(r.count, s.clicks) << "after setting " << s.set;
        EXPECT_EQ(c.Value(), s.set);
    }
    EXPECT_EQ(r.seen, QStringList({"1", "0", "2", "0"}));  // the new value is in place
    EXPECT_EQ(errorNumber([&] { c.setValue(3); }), 380);
    EXPECT_EQ(errorNumber([&] { c.setValue(-1); }), 380);
    EXPECT_EQ(c.Value(), 0);
}

TEST(VbCheckBox, UserClickTogglesAndGrayedGoesToChecked) {
    VbCheckBox c("chkX", "X");
    c.show();
    int clicks = 0;
    QObject::connect(&c, &VbCheckBox::Click, [&] { ++clicks; });
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(6, c.height() / 2));
    EXPECT_EQ(c.Value(), 1);
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(6, c.height() / 2));
    EXPECT_EQ(c.Value(), 0);
    c.setValue(2);
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(6, c.height() / 2));
    EXPECT_EQ(c.Value(), 1);
    EXPECT_EQ(clicks, 4);
}

TEST(VbOptionButton, GroupSelectsOneOrNone) {
    QWidget frame;
    VbOptionGroup g(&frame);
    ControlArray<VbOptionButton, 3, 5> opt;
    QStringList log;
    for (int i = 3; i <= 5; ++i) {
        opt.slot(i) = new VbOptionButton("optWaitAfter", QString::number(i), i, &frame);
        g.add(opt(i));
        QObject::connect(opt(i), &VbOptionButton::Click, [&, i] {
            // When Click comes, the others are already cleared.
            QString state;
            for (VbOptionButton* b : opt)
                state += b->Value() ? '1' : '0';
            log << QString("%1:%2").arg(i).arg(state);
        });
    }
    EXPECT_EQ(opt(4)->objectName(), "optWaitAfter_4");
    opt(3)->setValue(true);
    opt(5)->setValue(true);
    opt(5)->setValue(true);  // already selected: nothing
    EXPECT_EQ(log, QStringList({"3:100", "5:001"}));
    EXPECT_EQ(g.selected(), opt(5));

    // A group loaded as all "0": every member cleared, none selected, no Click.
    for (int i = 3; i <= 5; ++i)
        opt(i)->setValue(false);
    EXPECT_EQ(g.selected(), nullptr);
    EXPECT_EQ(log.size(), 2);

    EXPECT_EQ(errorNumber([&] { opt(2); }), 340);
    EXPECT_EQ(errorNumber([&] { opt(6); }), 340);
}

TEST(VbOptionButton, UserCannotClearBySecondClick) {
    QWidget frame;
    auto* layout = new QVBoxLayout(&frame);
    VbOptionGroup g(&frame);
    auto* a = new VbOptionButton("optA", "A", -1, &frame);
    auto* b = new VbOptionButton("optB", "B", -1, &frame);
    layout->addWidget(a);
    layout->addWidget(b);
    g.add(a);
    g.add(b);
    frame.show();
    int clicksA = 0;
    QObject::connect(a, &VbOptionButton::Click, [&] { ++clicksA; });
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(6, a->height() / 2));
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(6, a->height() / 2));
    EXPECT_TRUE(a->Value());
    EXPECT_EQ(clicksA, 1);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    EXPECT_FALSE(a->Value());
    EXPECT_TRUE(b->Value());
}

TEST(VbTextBox, ChangeRunsAtOnceAndMayChangeTheTextAgain) {
    VbTextBox t("txtPathBackUp");
    QStringList seen;
    // As the destination box does: drop one trailing "\" per call.
    QObject::connect(&t, &VbTextBox::Change, [&] {
        seen << t.Text();
        if (t.Text().endsWith('\\'))
            t.setText(t.Text().chopped(1));
    });
    t.setText("C:\\Data\\\\");
    EXPECT_EQ(t.Text(), "C:\\Data");
    EXPECT_EQ(seen, QStringList({"C:\\Data\\\\", "C:\\Data\\", "C:\\Data"}));
    t.setText("C:\\Data");  // the same text: no Change
    EXPECT_EQ(seen.size(), 3);
    // A long filter list is kept whole.
    const QString longText(40000, 'x');
    t.setText(longText);
    EXPECT_EQ(t.Text().size(), 40000);
}

TEST(VbComboBox, ListIndexFollowsTheTextAndTextIsNoPick) {
    VbComboBox c("cmbProfiles", VbComboBox::Style::DropdownCombo);
    int clicks = 0;
    QObject::connect(&c, &VbComboBox::Click, [&] { ++clicks; });

    c.setText("Work");
    c.AddItem("Standard");  // adding to an empty box keeps the typed text
    c.AddItem("Work");
    EXPECT_EQ(c.Text(), "Work");
    EXPECT_EQ(c.ListIndex(), -1);
    EXPECT_EQ(c.ListCount(), 2);

    struct Step {
        const char* what;
        std::function<void()> act;
        const char* text;
        int listIndex;
        int clicks;
    } steps[] = {
        {"pick 1 by code", [&] { c.setListIndex(1); }, "Work", 1, 1},
        {"same index again", [&] { c.setListIndex(1); }, "Work", 1, 1},
        {"type a new name", [&] { c.setText("Office"); }, "Office", -1, 1},
        {"text of another item", [&] { c.setText("Standard"); }, "Standard", -1, 1},
        {"text of the current item", [&] { c.setText("Work"); }, "Work", 1, 1},
        {"index again after typing", [&] { c.setText("x"); c.setListIndex(1); }, "Work", 1, 2},
        {"add keeps text and index", [&] { c.AddItem("Home"); }, "Work", 1, 2},
        {"clear the choice", [&] { c.setListIndex(-1); }, "", -1, 2},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(c.Text(), s.text) << s.what;
        EXPECT_EQ(c.ListIndex(), s.listIndex) << s.what;
        EXPECT_EQ(clicks, s.clicks) << s.what;
    }
    EXPECT_EQ(c.List(2), "Home");
    EXPECT_EQ(c.List(3), "");
    EXPECT_EQ(errorNumber([&] { c.setListIndex(3); }), 380);
}

TEST(VbComboBox, UserPickRaisesClickEnterDoesNot) {
    VbComboBox c("cmbProfiles", VbComboBox::Style::DropdownCombo);
    c.AddItem("Standard");
    c.AddItem("Work");
    c.show();
    c.setFocus();
    int clicks = 0;
    QObject::connect(&c, &VbComboBox::Click, [&] { ++clicks; });
    c.setText("Work");  // matches an item, but Enter is no pick
    QTest::keyClick(&c, Qt::Key_Return);
    if (c.lineEdit())
        QTest::keyClick(c.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(c.ListCount(), 2);  // nothing inserted
    c.setListIndex(0);
    clicks = 0;
    QTest::keyClick(&c, Qt::Key_Down);  // the user moves to the next item
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(c.Text(), "Work");
    EXPECT_EQ(c.ListIndex(), 1);
}

TEST(VbComboBox, ListStyleItemDataAndText) {
    VbComboBox c("cboWriteSpeed", VbComboBox::Style::DropdownList);
    c.AddItem("Default");
    c.AddItem("8x");
    c.setItemData(1, 8);
    int clicks = 0;
    QObject::connect(&c, &VbComboBox::Click, [&] { ++clicks; });
    EXPECT_EQ(c.ListIndex(), -1);
    c.setText("8x");  // a list's text selects that item
    EXPECT_EQ(c.ListIndex(), 1);
    EXPECT_EQ(c.ItemData(c.ListIndex()), 8);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(errorNumber([&] { c.setText("52x"); }), 383);
    EXPECT_EQ(errorNumber([&] { c.ItemData(5); }), 381);
    c.Clear();
    EXPECT_EQ(c.ListCount(), 0);
    EXPECT_EQ(c.ListIndex(), -1);
    EXPECT_EQ(clicks, 1);
}

TEST(VbListBox, CheckMarksAreTheSelection) {
    VbListBox l("List1", VbListBox::Style::Checkbox);
    l.AddItem("C:\\Data\\*.*");
    l.AddItem("C:\\Mail\\*.*");
    l.AddItem("C:\\x.txt", 1);
    EXPECT_EQ(l.ListCount(), 3);
    EXPECT_EQ(l.List(1), "C:\\x.txt");
    EXPECT_FALSE(l.Selected(0));
    l.setSelected(2, true);
    EXPECT_TRUE(l.Selected(2));
    EXPECT_EQ(l.item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(l.ListIndex(), -1);  // ticking is not moving the current entry
    l.RemoveItem(0);
    EXPECT_EQ(l.List(0), "C:\\x.txt");
    EXPECT_TRUE(l.Selected(1));
    EXPECT_EQ(errorNumber([&] { l.Selected(2); }), 381);
    EXPECT_EQ(l.List(7), "");
}

// The look-up by text follows every kind of change to the list: its index
// must never answer with an entry that moved or was renamed. Texts are
// compared exactly: another letter case is another text.
TEST(VbListBox, FindFollowsEveryChange) {
    VbListBox l("List1", VbListBox::Style::Checkbox);
    EXPECT_EQ(l.Find("C:\\Data\\*.*"), -1);
    l.AddItem("C:\\Data\\*.*");
    l.AddItem("C:\\Mail\\*.*");
    l.AddItem("C:\\data\\*.*");  // another text
    l.AddItem("C:\\Data\\*.*");  // the same again: the first one counts
    EXPECT_EQ(l.Find("C:\\Data\\*.*"), 0);
    EXPECT_EQ(l.Find("C:\\data\\*.*"), 2);
    EXPECT_EQ(l.Find("C:\\DATA\\*.*"), -1);
    l.AddItem("C:\\Új\\*.*");
    EXPECT_EQ(l.Find("C:\\Új\\*.*"), 4);    // appended after the index was made
    EXPECT_EQ(l.Find("C:\\új\\*.*"), -1);
    l.setSelected(1, true);                      // a check mark changes no text
    EXPECT_EQ(l.Find("C:\\Mail\\*.*"), 1);
    l.AddItem("C:\\First\\*.*", 0);          // everything after it moves down
    EXPECT_EQ(l.Find("C:\\Mail\\*.*"), 2);
    EXPECT_EQ(l.Find("C:\\First\\*.*"), 0);
    l.RemoveItem(1);                             // the first "Data": the other one is found
    EXPECT_EQ(l.Find("C:\\Data\\*.*"), 3);
    l.setList(1, "C:\\Post\\*.*");
    EXPECT_EQ(l.Find("C:\\Mail\\*.*"), -1);
    EXPECT_EQ(l.Find("C:\\Post\\*.*"), 1);
    l.item(3)->setText("C:\\Other\\*.*");      // straight through the widget
    EXPECT_EQ(l.Find("C:\\Data\\*.*"), -1);
    l.sortItems();
    EXPECT_EQ(l.List(l.Find("C:\\Other\\*.*")), "C:\\Other\\*.*");
    l.Clear();
    EXPECT_EQ(l.Find("C:\\Post\\*.*"), -1);
    l.AddItem("C:\\Post\\*.*");
    EXPECT_EQ(l.Find("C:\\Post\\*.*"), 0);
}

TEST(VbListBox, HoldsAtMost32767Entries) {
    VbListBox l("List1", VbListBox::Style::Checkbox);
    l.setRedraw(false);
    for (int i = 0; i < 32767; ++i)
        l.AddItem(QString::number(i));
    EXPECT_EQ(l.ListCount(), 32767);
    EXPECT_EQ(errorNumber([&] { l.AddItem("one more"); }), 7);
    EXPECT_EQ(l.ListCount(), 32767);
}

TEST(VbFocusFilter, IgnoresWindowActivationAndPopups) {
    QWidget w;
    VbFocusFilter f(&w);
    QStringList log;
    QObject::connect(&f, &VbFocusFilter::GotFocus, [&] { log << "got"; });
    QObject::connect(&f, &VbFocusFilter::LostFocus, [&] { log << "lost"; });
    auto send = [&](QEvent::Type t, Qt::FocusReason r) {
        QFocusEvent e(t, r);
        QApplication::sendEvent(&w, &e);
    };
    send(QEvent::FocusIn, Qt::ActiveWindowFocusReason);   // the window came to the front
    send(QEvent::FocusIn, Qt::MouseFocusReason);          // clicked into
    send(QEvent::FocusOut, Qt::ActiveWindowFocusReason);  // another window, a message box
    send(QEvent::FocusIn, Qt::ActiveWindowFocusReason);   // back again
    send(QEvent::FocusOut, Qt::PopupFocusReason);         // a menu opened
    send(QEvent::FocusIn, Qt::PopupFocusReason);
    send(QEvent::FocusOut, Qt::TabFocusReason);           // the user tabbed away
    send(QEvent::FocusOut, Qt::TabFocusReason);           // no second LostFocus
    send(QEvent::FocusIn, Qt::OtherFocusReason);          // the program set the focus
    EXPECT_EQ(log, QStringList({"got", "lost", "got"}));
}

TEST(VbFocusFilter, RealFocusMoveBetweenTextBoxes) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    // A plain box takes the focus when the window first becomes active.
    layout->addWidget(new QLineEdit);
    auto* a = new VbTextBox("txtExclusions");
    auto* b = new VbTextBox("txtInclusions");
    auto* c = new VbComboBox("cmbProfiles", VbComboBox::Style::DropdownCombo);
    layout->addWidget(a);
    layout->addWidget(b);
    layout->addWidget(c);
    QStringList log;
    QObject::connect(c, &VbComboBox::GotFocus, [&] { log << "c got"; });
    QObject::connect(c, &VbComboBox::LostFocus, [&] { log << "c lost"; });
    QObject::connect(a, &VbTextBox::GotFocus, [&] { log << "a got"; });
    QObject::connect(a, &VbTextBox::LostFocus, [&] { log << "a lost"; });
    QObject::connect(b, &VbTextBox::GotFocus, [&] { log << "b got"; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    a->setFocus(Qt::MouseFocusReason);
    b->setFocus(Qt::TabFocusReason);
    c->setFocus(Qt::MouseFocusReason);  // the combo's own text takes the focus
    c->lineEdit()->setFocus(Qt::MouseFocusReason);
    a->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(log, QStringList({"a got", "a lost", "b got", "c got", "c lost", "a got"}));
}

TEST(VbRichTextBox, KeepsTheTextAsWrittenNewestLineFirst) {
    VbRichTextBox r("RtbNews1");
    r.setText("loaded");
    r.PrependLine("second");
    r.PrependLine("third");
    EXPECT_EQ(r.Text(), "third\r\nsecond\r\nloaded");
    EXPECT_EQ(r.toPlainText().split('\n').first(), "third");
    EXPECT_FALSE(r.toPlainText().contains('\r'));
    r.setText("a\r\n\r\nb");  // empty lines stay
    EXPECT_EQ(r.Text(), "a\r\n\r\nb");
    EXPECT_EQ(r.toPlainText(), "a\n\nb");
}

TEST(VbTimerAndSlider, RangesAndStates) {
    VbTimer t("TimerRT", 5000, false);
    EXPECT_FALSE(t.running());
    t.setEnabled(true);
    EXPECT_TRUE(t.running());
    t.setInterval(0);  // VB: interval 0 stops the timer
    EXPECT_FALSE(t.running());

    VbSlider s("Slider1", 0, 9, 6);
    s.setValue(9);
    EXPECT_EQ(s.Value(), 9);
    EXPECT_EQ(errorNumber([&] { s.setValue(10); }), 380);
    EXPECT_EQ(s.Value(), 9);
}

TEST(VbCommonDialog, CancelKeepsTheLastFile) {
    ui::VbCommonDialog d("dlgCommonDialog");
    d.setDialogTitle("Choose a program");
    platform::Dialogs::scriptAnswers({QString(), QString("C:\\Tools\\run.exe"), QString()});
    d.setFilter("Program Files (*.exe)|*.exe|All Files (*.*)|*.*");
    EXPECT_FALSE(d.ShowOpen());  // cancelled before any choice: still empty
    EXPECT_EQ(d.FileName(), "");
    EXPECT_TRUE(d.ShowOpen());
    EXPECT_EQ(d.FileName(), "C:\\Tools\\run.exe");
    EXPECT_FALSE(d.ShowOpen());  // cancelled: the last file stays
    EXPECT_EQ(d.FileName(), "C:\\Tools\\run.exe");
    const auto& shown = platform::Dialogs::shown();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[2].kind, platform::Dialogs::Kind::OpenFile);
    EXPECT_EQ(shown[2].title, "Choose a program");
    EXPECT_EQ(shown[2].defaultText, "C:\\Tools");  // starts where the last file was
    EXPECT_EQ(shown[2].filter, "Program Files (*.exe)|*.exe|All Files (*.*)|*.*");
    platform::Dialogs::reset();
}

// An icon read from the style when it is first used gives the pictures the
// style's own icon gives, in every mode and at every size asked, and paints
// them alike.
TEST(StandardIcon, GivesTheStylesPicturesWhenAsked) {
    // Those the program shows.
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_DialogCloseButton, QStyle::SP_MediaPlay, QStyle::SP_MediaStop, QStyle::SP_DialogSaveButton,
          QStyle::SP_FileDialogNewFolder, QStyle::SP_TrashIcon, QStyle::SP_DialogOpenButton,
          QStyle::SP_MessageBoxQuestion, QStyle::SP_DirHomeIcon, QStyle::SP_BrowserReload, QStyle::SP_ArrowDown,
          QStyle::SP_DriveHDIcon, QStyle::SP_DirIcon, QStyle::SP_DesktopIcon, QStyle::SP_ComputerIcon}) {
        SCOPED_TRACE(int(which));
        const QIcon style = QApplication::style()->standardIcon(which);
        const QIcon lazy = StandardIcon(which);
        EXPECT_FALSE(style.isNull());
        EXPECT_FALSE(lazy.isNull());
        EXPECT_EQ(lazy.availableSizes(), style.availableSizes());
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected})
            for (const int side : {16, 20, 32, 64}) {
                const QSize size(side, side);
                EXPECT_EQ(lazy.actualSize(size, mode), style.actualSize(size, mode));
                EXPECT_EQ(lazy.pixmap(size, mode).toImage(), style.pixmap(size, mode).toImage())
                    << side << " " << int(mode);
                EXPECT_EQ(lazy.pixmap(size, 2.0, mode).toImage(), style.pixmap(size, 2.0, mode).toImage())
                    << side << " " << int(mode);
            }
        QImage painted[2];
        for (int i = 0; i < 2; ++i) {
            painted[i] = QImage(40, 30, QImage::Format_ARGB32_Premultiplied);
            painted[i].fill(Qt::transparent);
            QPainter p(&painted[i]);
            (i ? lazy : style).paint(&p, QRect(2, 3, 24, 24), Qt::AlignCenter, QIcon::Disabled);
        }
        EXPECT_EQ(painted[0], painted[1]);
        // A copy stands for the same picture.
        const QIcon copy = lazy;
        EXPECT_EQ(copy.pixmap(QSize(20, 20)).toImage(), style.pixmap(QSize(20, 20)).toImage());
    }
}
