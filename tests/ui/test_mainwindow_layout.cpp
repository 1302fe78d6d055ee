// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

#include "platform/Paths.h"
#include "run/Vaultora_Main.h"
#include "ui/controls/VbControl.h"
#include "ui/frmMain_BackUp.h"

namespace {

// Named controls whose rectangle on screen is empty or reaches outside the
// widget that holds them (the window is at its design size).
QStringList misplacedControls(const frmMain_BackUp& w) {
    QStringList bad;
    for (QObject* o : w.Controls()) {
        auto* c = qobject_cast<QWidget*>(o);
        if (!c || !c->isVisible() || !c->parentWidget())
            continue;
        const QRect r = c->geometry();
        const QRect inside = c->parentWidget()->rect();
        // The copy option below the mode buttons is cut off by the short
        // mode frame of the ZIP mode, on purpose.
        if (c == w.chkInclSubDirStruct && w.Frame2->height() == ui::TwipsToPixels(920))
            continue;
        if (r.width() <= 0 || r.height() <= 0 || !inside.contains(r))
            bad << c->objectName();
    }
    return bad;
}

// Visible named controls with the same parent that cover each other.
QStringList overlappingControls(const frmMain_BackUp& w) {
    QStringList bad;
    QList<QWidget*> shown;
    for (QObject* o : w.Controls())
        if (auto* c = qobject_cast<QWidget*>(o); c && c->isVisible())
            shown << c;
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (shown[i]->parentWidget() == shown[j]->parentWidget() &&
                shown[i]->geometry().intersects(shown[j]->geometry()))
                bad << QString("%1(%2,%3 %4x%5)/%6(%7,%8 %9x%10)")
                           .arg(shown[i]->objectName()).arg(shown[i]->x()).arg(shown[i]->y())
                           .arg(shown[i]->width()).arg(shown[i]->height())
                           .arg(shown[j]->objectName()).arg(shown[j]->x()).arg(shown[j]->y())
                           .arg(shown[j]->width()).arg(shown[j]->height());
    return bad;
}

// Tab pages that would need a horizontal scroll bar: their controls are
// wider than the window.
QStringList tooWidePages(const frmMain_BackUp& w) {
    QStringList bad;
    for (QScrollArea* area : w.SSTab1->findChildren<QScrollArea*>())
        if (area->isVisible() && area->horizontalScrollBar()->maximum() > 0)
            bad << QString("%1 px too wide").arg(area->horizontalScrollBar()->maximum());
    return bad;
}

}  // namespace

// Every tab at the design size: no control squeezed away, cut off or lying
// on another one. With VAULTORA_SCREENSHOT_DIR set, each tab is also saved
// as a picture for a look by eye.
TEST(MainWindowLayout, EveryTabFitsAtDesignSize) {
    frmMain_BackUp w;
    w.show();
    QApplication::processEvents();
    const QString shots = qEnvironmentVariable("VAULTORA_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        QDir().mkpath(shots);
    auto check = [&](const QString& what) {
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(misplacedControls(w).join(' ').toStdString(), "") << what.toStdString();
        EXPECT_EQ(overlappingControls(w).join(' ').toStdString(), "") << what.toStdString();
        EXPECT_EQ(tooWidePages(w).join(' ').toStdString(), "") << what.toStdString();
        if (!shots.isEmpty())
            w.grab().save(shots + "/" + what + ".png");
    };
    for (int tab = 0; tab < w.SSTab1->Tabs(); ++tab) {
        w.SSTab1->setTab(tab);
        check(QString("tab%1").arg(tab));
    }
    w.SSTab1->setTab(5);
    w.SSTab2->setTab(1);
    check("tab5-settings");
    // Under a window manager the frame's title bar comes off the height: a
    // tab that then scrolls up and down still needs no scroll bar across.
    w.resize(w.width(), w.height() - 30);
    for (int tab = 0; tab < w.SSTab1->Tabs(); ++tab) {
        w.SSTab1->setTab(tab);
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(tooWidePages(w).join(' ').toStdString(), "") << "tab " << tab << " under a title bar";
    }
    w.resize(w.width(), w.height() + 30);
    // The destination tab's other panels, the recorder row and the taller
    // mode frame of the copy and synchronisation modes.
    w.SSTab1->setTab(3);
    w.Frame3->hide();
    w.Frame10->show();
    check("tab3-ftp");
    w.Frame10->hide();
    w.Frame11->show();
    check("tab3-shutdown");
    w.Frame11->hide();
    w.Frame3->show();
    for (QWidget* c : {static_cast<QWidget*>(w.txtPathBackUp), static_cast<QWidget*>(w.cmdSelectPath)})
        c->hide();
    for (QWidget* c : {static_cast<QWidget*>(w.cboDevices), static_cast<QWidget*>(w.cboWriteSpeed),
                       static_cast<QWidget*>(w.chkUseBurnProof)})
        c->show();
    check("tab3-recorder");
    w.SSTab1->setTab(2);
    ui::SetHeightTwips(w.Frame2, 1830);
    check("tab2-copy");
    w.SSTab1->setTab(1);
    for (QWidget* c : {static_cast<QWidget*>(w.List1), static_cast<QWidget*>(w.FolderTreeview1),
                       static_cast<QWidget*>(w.File1)})
        c->hide();
    w.picSync->show();
    w.Label26->show();
    check("tab1-sync");
}

// An unattended start with no display builds the window without laying out
// its scrolling pages; shown all the same, it is the window of any start.
TEST(MainWindowLayout, TheWindowOfAnUnattendedStartIsWholeWhenShown) {
    SetCommand(QStringLiteral("/run /profile:Standard"));
    ASSERT_TRUE(UnseenStart());
    {
        frmMain_BackUp w;
        w.show();
        for (int tab = 0; tab < w.SSTab1->Tabs(); ++tab) {
            w.SSTab1->setTab(tab);
            QApplication::processEvents();
            QApplication::processEvents();
            EXPECT_EQ(misplacedControls(w).join(' ').toStdString(), "") << "tab " << tab;
            EXPECT_EQ(tooWidePages(w).join(' ').toStdString(), "") << "tab " << tab;
        }
        const QList<QScrollArea*> areas = w.SSTab1->findChildren<QScrollArea*>();
        EXPECT_EQ(areas.size(), 4);
        for (QScrollArea* area : areas) {
            ASSERT_NE(area->widget(), nullptr);
            EXPECT_FALSE(area->widget()->isHidden());
        }
        w.SSTab1->setTab(2);
        QApplication::processEvents();
        EXPECT_TRUE(w.Frame2->isVisible());
    }
    SetCommand(QString());
}

// The clip of a run takes its place below the run log on the overview tab:
// it never covers the log's text, and the log has the height back after it.
TEST(MainWindowLayout, TheClipLeavesTheRunLogFree) {
    frmMain_BackUp w;
    w.show();
    w.SSTab1->setTab(0);
    QApplication::processEvents();
    const int logHeight = w.RtbNews1->height();
    w.Animation1->Open(platform::ProgramFolder() + "\\..\\Common\\avi\\compress.avi");
    w.Animation1->show();
    w.Animation1->Play();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    const QRect clip(w.Animation1->mapTo(&w, QPoint(0, 0)), w.Animation1->size());
    const QRect log(w.RtbNews1->mapTo(&w, QPoint(0, 0)), w.RtbNews1->size());
    EXPECT_FALSE(clip.intersects(log)) << "clip " << clip.x() << "," << clip.y() << " log bottom " << log.bottom();
    EXPECT_TRUE(w.SSTab1->geometry().contains(w.Animation1->geometry()));
    w.Animation1->Stop();
    w.Animation1->hide();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    EXPECT_EQ(w.RtbNews1->height(), logHeight);
}
