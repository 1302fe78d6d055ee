// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>
#include <QList>
#include <QToolBar>

class QAction;
class QMenu;

namespace ui {

// One element of a VB toolbar's button collection: a button, a separator
// or a placeholder (an empty gap). Separators and placeholders count as
// positions, as in VB.
class VbToolButton {
public:
    enum class Style { Default, Separator, Placeholder, Dropdown };

    QString Key() const { return key_; }
    Style ButtonStyle() const { return style_; }
    QString Caption() const;
    void setCaption(const QString& caption);
    QString ToolTipText() const;
    void setToolTipText(const QString& tip);
    bool Enabled() const;
    void setEnabled(bool on);
    bool Visible() const;
    void setVisible(bool on);
    QAction* action() const { return action_; }

private:
    friend class VbToolbar;
    QString key_;
    QString tip_;
    Style style_ = Style::Default;
    QAction* action_ = nullptr;
};

// A VB toolbar with buttons addressed by position from 1. A click on a
// button raises ButtonClick with its key; an item of a drop-down button's
// menu raises ButtonMenuClick with the item's key.
class VbToolbar : public QToolBar {
    Q_OBJECT
public:
    explicit VbToolbar(const QString& name, QWidget* parent = nullptr);
    ~VbToolbar() override;

    // Adds a button at the end and returns its position.
    int AddButton(const QString& key, const QString& caption, const QString& toolTip,
                  VbToolButton::Style style = VbToolButton::Style::Default,
                  const QIcon& icon = {});
    int AddSeparator();
    int AddPlaceholder(int widthPixels);
    // Adds an item to the menu of the drop-down button at `position`; an
    // empty key with caption "-" is a separator line.
    void AddButtonMenu(int position, const QString& key, const QString& caption);

    int Count() const { return static_cast<int>(buttons_.size()); }
    VbToolButton& Buttons(int position);        // 1-based; 35600 outside
    VbToolButton& Buttons(const QString& key);  // 35601 for an unknown key

signals:
    void ButtonClick(const QString& key);
    void ButtonMenuClick(const QString& key);

private:
    QList<VbToolButton*> buttons_;
};

}  // namespace ui
