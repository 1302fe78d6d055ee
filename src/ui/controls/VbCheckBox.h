// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCheckBox>

namespace ui {

// A VB check box: Value 0 (unchecked), 1 (checked) or 2 (grayed). Click is
// raised whenever the value changes, by the user or by the program, at once
// and before setValue returns; setting the value it already has raises
// nothing.
class VbCheckBox : public QCheckBox {
    Q_OBJECT
public:
    VbCheckBox(const QString& name, const QString& caption, QWidget* parent = nullptr);

    int Value() const;
    void setValue(int value);  // 0, 1 or 2; anything else raises 380

    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

signals:
    void Click();

protected:
    void nextCheckState() override;
};

}  // namespace ui
