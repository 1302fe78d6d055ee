// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbToolbar.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QWidget>

#include "vb/VbError.h"

namespace ui {

QString VbToolButton::Caption() const { return action_->text(); }
void VbToolButton::setCaption(const QString& caption) { action_->setText(caption); }
QString VbToolButton::ToolTipText() const { return tip_; }
void VbToolButton::setToolTipText(const QString& tip) {
    tip_ = tip;
    action_->setToolTip(tip);
}
bool VbToolButton::Enabled() const { return action_->isEnabled(); }
void VbToolButton::setEnabled(bool on) { action_->setEnabled(on); }
bool VbToolButton::Visible() const { return action_->isVisible(); }
void VbToolButton::setVisible(bool on) { action_->setVisible(on); }

VbToolbar::VbToolbar(const QString& name, QWidget* parent) : QToolBar(parent) {
    setObjectName(name);
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(20, 20));
}

VbToolbar::~VbToolbar() { qDeleteAll(buttons_); }

int VbToolbar::AddButton(const QString& key, const QString& caption, const QString& toolTip,
                         VbToolButton::Style style, const QIcon& icon) {
    auto* b = new VbToolButton;
    b->key_ = key;
    b->style_ = style;
    b->action_ = addAction(icon, caption);
    b->action_->setObjectName(objectName() + QStringLiteral("_") + key);
    b->setToolTipText(toolTip);
    connect(b->action_, &QAction::triggered, this, [this, key] { emit ButtonClick(key); });
    if (style == VbToolButton::Style::Dropdown) {
        auto* menu = new QMenu(this);
        b->action_->setMenu(menu);
        if (auto* tb = qobject_cast<QToolButton*>(widgetForAction(b->action_)))
            tb->setPopupMode(QToolButton::MenuButtonPopup);
    }
    buttons_.append(b);
    return Count();
}

int VbToolbar::AddSeparator() {
    auto* b = new VbToolButton;
    b->style_ = VbToolButton::Style::Separator;
    b->action_ = addSeparator();
    buttons_.append(b);
    return Count();
}

int VbToolbar::AddPlaceholder(int widthPixels) {
    auto* b = new VbToolButton;
    b->style_ = VbToolButton::Style::Placeholder;
    auto* gap = new QWidget(this);
    gap->setFixedWidth(widthPixels);
    b->action_ = addWidget(gap);
    buttons_.append(b);
    return Count();
}

void VbToolbar::AddButtonMenu(int position, const QString& key, const QString& caption) {
    VbToolButton& b = Buttons(position);
    QMenu* menu = b.action_->menu();
    if (!menu)
        vb::Raise(5);
    if (key.isEmpty() && caption == QLatin1String("-")) {
        menu->addSeparator();
        return;
    }
    QAction* item = menu->addAction(caption);
    item->setObjectName(objectName() + QStringLiteral("_") + key);
    connect(item, &QAction::triggered, this, [this, key] { emit ButtonMenuClick(key); });
}

VbToolButton& VbToolbar::Buttons(int position) {
    if (position < 1 || position > Count())
        vb::Raise(35600, QStringLiteral("Index out of bounds"));
    return *buttons_[position - 1];
}

VbToolButton& VbToolbar::Buttons(const QString& key) {
    for (VbToolButton* b : buttons_)
        if (!b->key_.isEmpty() && b->key_ == key)
            return *b;
    vb::Raise(35601, QStringLiteral("Element not found"));
}

}  // namespace ui
