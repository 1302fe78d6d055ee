// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QStatusBar>

class QLabel;
class QTimer;

namespace ui {

// A VB status bar with panels numbered from 1: panel 1 carries a text,
// panels 2 and 3 show the date and the time and keep them current.
class VbStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit VbStatusBar(const QString& name, const QString& firstPanelText = {},
                         QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QString PanelText(int panel) const;            // 35600 outside
    void setPanelText(int panel, const QString& text);

private:
    void tick();
    QList<QLabel*> panels_;
    QTimer* clock_;
};

}  // namespace ui
