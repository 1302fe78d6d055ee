// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTabWidget>

namespace ui {

class VbFocusFilter;

// A VB tab control: tabs numbered from 0, Tab (the current one), per-tab
// visibility, enabled state and captions. GotFocus / LostFocus concern
// the tab strip itself (not the controls on the pages), as in VB.
class VbTabControl : public QTabWidget {
    Q_OBJECT
public:
    explicit VbTabControl(const QString& name, QWidget* parent = nullptr);

    int Tabs() const { return count(); }
    int Tab() const { return currentIndex(); }
    void setTab(int tab);                       // 380 outside
    bool TabVisible(int tab) const;
    void setTabVisible(int tab, bool visible);
    bool TabEnabled(int tab) const;
    void setTabEnabled(int tab, bool enabled);
    QString TabCaption(int tab) const;
    void setTabCaption(int tab, const QString& caption);

    // The page widget of a tab, where its controls are placed.
    QWidget* page(int tab) const { return widget(tab); }

    // Switching the control off takes its tabs and the controls on its pages
    // out of reach. A page that only displays (see setDisplayPage) stays
    // live, so that its texts stay legible and its log can be scrolled.
    void setEnabled(bool on);
    bool isEnabled() const { return enabled_ && QTabWidget::isEnabled(); }
    void setDisplayPage(int tab) { displayPage_ = tab; }

signals:
    void Click(int previousTab);
    void GotFocus();
    void LostFocus();

private:
    void check(int tab) const;
    VbFocusFilter* focus_;
    int current_ = -1;
    int displayPage_ = -1;
    bool enabled_ = true;
};

}  // namespace ui
