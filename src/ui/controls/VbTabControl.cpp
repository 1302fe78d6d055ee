// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbTabControl.h"

#include <QTabBar>

#include "ui/controls/VbControl.h"
#include "ui/controls/VbFocusFilter.h"

namespace ui {

VbTabControl::VbTabControl(const QString& name, QWidget* parent) : QTabWidget(parent) {
    setObjectName(name);
    tabBar()->setFocusPolicy(Qt::StrongFocus);
    focus_ = new VbFocusFilter(tabBar());
    connect(focus_, &VbFocusFilter::GotFocus, this, &VbTabControl::GotFocus);
    connect(focus_, &VbFocusFilter::LostFocus, this, &VbTabControl::LostFocus);
    connect(this, &QTabWidget::currentChanged, this, [this](int now) {
        const int before = current_;
        current_ = now;
        if (before != now)
            emit Click(before);
    });
}

void VbTabControl::setEnabled(bool on) {
    enabled_ = on;
    tabBar()->setEnabled(on);
    for (int i = 0; i < count(); ++i)
        if (i != displayPage_)
            widget(i)->setEnabled(on);
}

void VbTabControl::check(int tab) const {
    if (tab < 0 || tab >= count())
        RaiseInvalidValue();
}

void VbTabControl::setTab(int tab) {
    check(tab);
    setCurrentIndex(tab);
}

bool VbTabControl::TabVisible(int tab) const {
    check(tab);
    return isTabVisible(tab);
}

void VbTabControl::setTabVisible(int tab, bool visible) {
    check(tab);
    QTabWidget::setTabVisible(tab, visible);
}

bool VbTabControl::TabEnabled(int tab) const {
    check(tab);
    return isTabEnabled(tab);
}

void VbTabControl::setTabEnabled(int tab, bool enabled) {
    check(tab);
    QTabWidget::setTabEnabled(tab, enabled);
}

QString VbTabControl::TabCaption(int tab) const {
    check(tab);
    return tabText(tab);
}

void VbTabControl::setTabCaption(int tab, const QString& caption) {
    check(tab);
    setTabText(tab, caption);
}

}  // namespace ui
