// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QSlider>

namespace ui {

// A VB slider: an integer Value between Min and Max; a value outside
// raises 380.
class VbSlider : public QSlider {
    Q_OBJECT
public:
    VbSlider(const QString& name, int min, int max, int value, QWidget* parent = nullptr);

    qint32 Value() const { return value(); }
    void setValue(qint32 value);
    qint32 Min() const { return minimum(); }
    qint32 Max() const { return maximum(); }
};

}  // namespace ui
