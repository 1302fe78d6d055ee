// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>

class QWidget;

namespace ui {

// Turns the focus events of one widget into VB's GotFocus and LostFocus.
// Focus that leaves or returns because another window became active, or
// because a pop-up (menu, drop-down list) opened or closed, is not a change
// of focus in VB's sense and raises nothing. GotFocus and LostFocus always
// alternate.
class VbFocusFilter : public QObject {
    Q_OBJECT
public:
    // Watches `target`; the filter is a child of it.
    explicit VbFocusFilter(QWidget* target);

    bool holdsFocus() const { return inside_; }

signals:
    void GotFocus();
    void LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inside_ = false;
};

}  // namespace ui
