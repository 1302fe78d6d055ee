// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProgressBar>

namespace ui {

// A VB progress bar: Value between Min and Max (default 0 to 100); a value
// outside raises 380.
class VbProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit VbProgressBar(const QString& name, QWidget* parent = nullptr);

    int Value() const { return value(); }
    void setValue(int value);
    int Max() const { return maximum(); }
    void setMax(int max) { setMaximum(max); }
    int Min() const { return minimum(); }
    void setMin(int min) { setMinimum(min); }
};

}  // namespace ui
