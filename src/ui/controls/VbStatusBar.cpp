// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbStatusBar.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include "vb/VbError.h"

namespace ui {

VbStatusBar::VbStatusBar(const QString& name, const QString& firstPanelText, QWidget* parent)
    : QStatusBar(parent), clock_(new QTimer(this)) {
    setObjectName(name);
    setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(name + QStringLiteral("_panel") + QString::number(i + 1));
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setContentsMargins(4, 0, 4, 0);
        if (i == 0)
            addWidget(l, 1);
        else
            addPermanentWidget(l);
        panels_.append(l);
    }
    panels_[0]->setText(firstPanelText);
    connect(clock_, &QTimer::timeout, this, &VbStatusBar::tick);
    clock_->start(1000);
    tick();
}

QString VbStatusBar::PanelText(int panel) const {
    if (panel < 1 || panel > PanelCount())
        vb::Raise(35600, QStringLiteral("Index out of bounds"));
    return panels_[panel - 1]->text();
}

void VbStatusBar::setPanelText(int panel, const QString& text) {
    if (panel < 1 || panel > PanelCount())
        vb::Raise(35600, QStringLiteral("Index out of bounds"));
    panels_[panel - 1]->setText(text);
}

void VbStatusBar::tick() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale loc;
    panels_[1]->setText(loc.toString(now.date(), QLocale::ShortFormat));
    panels_[2]->setText(loc.toString(now.time(), QLocale::ShortFormat));
}

}  // namespace ui
