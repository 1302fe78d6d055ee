// SPDX-License-Identifier: GPL-3.0-or-later
// What the user reads on the main window: texts not cut at the design size,
// the run overview readable while the tabs are switched off, unit captions
// that go with their boxes, and the archive box showing a name's end.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <QToolButton>

#include "ui/frmMain_BackUp.h"

namespace {

QString where(const QWidget* w) {
    QString name = w->objectName();
    if (name.isEmpty())
        if (auto* l = qobject_cast<const QLabel*>(w))
            name = '"' + l->text() + '"';
    if (name.isEmpty())
        if (auto* b = qobject_cast<const QAbstractButton*>(w))
            name = '"' + b->text() + '"';
    return name;
}

// Shown texts that their widget is too narrow or too low to show whole:
// a one-line label against the font's measure of its text, a button or a
// check box against the size it asks for.
QStringList cutTexts(QWidget& window) {
    QStringList bad;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || !w->isVisible())
            continue;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->text().isEmpty() || l->wordWrap() || !l->pixmap().isNull() || l->textFormat() == Qt::RichText)
                continue;
            const QSize need = l->fontMetrics().size(Qt::TextSingleLine, l->text());
            if (need.width() > l->contentsRect().width() || need.height() > l->contentsRect().height())
                bad << QString("%1 %2x%3<%4x%5").arg(where(l)).arg(l->contentsRect().width())
                           .arg(l->contentsRect().height()).arg(need.width()).arg(need.height());
        } else if (auto* p = qobject_cast<QPushButton*>(w)) {
            // A push button asks for a width of its own liking; what counts
            // is its text with the button's edges.
            QString text = p->text();
            text.remove(QRegularExpression("&(?!&)"));
            const int need = p->fontMetrics().horizontalAdvance(text) + 8;
            if (!text.isEmpty() && need > p->width())
                bad << QString("%1 %2<%3").arg(where(p)).arg(p->width()).arg(need);
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            auto* b = static_cast<QAbstractButton*>(w);
            if (b->text().isEmpty())
                continue;
            const QSize need = b->minimumSizeHint().expandedTo(b->sizeHint());
            if (need.width() > b->width() || need.height() > b->height() + 2)
                bad << QString("%1 %2x%3<%4x%5").arg(where(b)).arg(b->width()).arg(b->height())
                           .arg(need.width()).arg(need.height());
        }
    }
    return bad;
}

TEST(MainWindowDisplay, NoTextIsCutAtTheDesignSize) {
    frmMain_BackUp w;
    w.show();
    QApplication::processEvents();
    for (int tab = 0; tab < w.SSTab1->Tabs(); ++tab) {
        w.SSTab1->setTab(tab);
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(cutTexts(w).join("; ").toStdString(), "") << "tab " << tab;
    }
}

TEST(MainWindowDisplay, TheOverviewStaysReadableWhileTheTabsAreOff) {
    frmMain_BackUp w;
    w.show();
    for (int i = 0; i < 200; ++i)
        w.RtbNews1->PrependLine(QString("line %1").arg(i));
    QApplication::processEvents();
    w.SSTab1->setEnabled(false);
    EXPECT_FALSE(w.SSTab1->isEnabled());
    EXPECT_FALSE(w.SSTab1->tabBar()->isEnabled());
    EXPECT_FALSE(w.List1->isEnabled());
    EXPECT_FALSE(w.txtPathBackUp->isEnabled());
    // The log is read-only, not greyed out, and it scrolls.
    EXPECT_TRUE(w.RtbNews1->isEnabled());
    EXPECT_TRUE(w.RtbNews1->isReadOnly());
    EXPECT_TRUE(w.txtZipArchive->isEnabled());
    QScrollBar* bar = w.RtbNews1->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_TRUE(bar->isEnabled());
    w.SSTab1->setEnabled(true);
    EXPECT_TRUE(w.SSTab1->isEnabled());
    EXPECT_TRUE(w.List1->isEnabled());
}

TEST(MainWindowDisplay, UnitCaptionsGoWithTheirBoxes) {
    frmMain_BackUp w;
    w.show();
    auto unitBeside = [&](QWidget* box) -> QWidget* {
        for (QLabel* l : box->parentWidget()->findChildren<QLabel*>())
            if ((l->text() == "Mb" || l->text() == "s") && l->objectName().isEmpty() &&
                qAbs(l->geometry().center().y() - box->geometry().center().y()) < 4)
                return l;
        return nullptr;
    };
    QWidget* boxes[] = {w.txtZipSize, w.txtTotalSize, w.txtRemainSpace};
    for (QWidget* box : boxes)
        ASSERT_NE(unitBeside(box), nullptr) << box->objectName().toStdString();
    QWidget* zipUnit = unitBeside(w.txtZipSize);
    QWidget* totalUnit = unitBeside(w.txtTotalSize);
    w.optBuMode_Click(2);  // synchronisation: no archive, no totals
    EXPECT_FALSE(w.txtZipSize->isVisibleTo(&w));
    EXPECT_FALSE(zipUnit->isVisibleTo(&w));
    EXPECT_FALSE(totalUnit->isVisibleTo(&w));
    EXPECT_TRUE(unitBeside(w.txtRemainSpace)->isVisibleTo(&w));
    w.optBuMode_Click(0);
    EXPECT_TRUE(zipUnit->isVisibleTo(&w));
    EXPECT_TRUE(totalUnit->isVisibleTo(&w));
}

TEST(MainWindowDisplay, TheArchiveBoxShowsTheEndOfALongName) {
    frmMain_BackUp w;
    w.show();
    QApplication::processEvents();
    const QString name = "C:\\Backups\\Some rather long folder name\\Standard_BackUp_2026-12-10_Vol_0007.zip";
    w.txtZipArchive->setText(name);
    QApplication::processEvents();
    ASSERT_LT(w.txtZipArchive->width(), w.txtZipArchive->fontMetrics().horizontalAdvance(name));
    EXPECT_EQ(w.txtZipArchive->cursorPosition(), name.size());
    EXPECT_TRUE(w.txtZipArchive->rect().contains(w.txtZipArchive->inputMethodQuery(Qt::ImCursorRectangle).toRect().center()));
    EXPECT_EQ(w.txtZipArchive->toolTip(), name);
}

}  // namespace
