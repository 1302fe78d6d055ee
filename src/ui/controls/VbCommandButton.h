// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPushButton>

namespace ui {

// A VB command button: Caption ("&" marks the access key) and Click.
class VbCommandButton : public QPushButton {
    Q_OBJECT
public:
    VbCommandButton(const QString& name, const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

signals:
    void Click();
};

}  // namespace ui
