// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QGroupBox>

namespace ui {

// A VB frame: a captioned container, with DblClick.
class VbFrame : public QGroupBox {
    Q_OBJECT
public:
    VbFrame(const QString& name, const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return title(); }
    void setCaption(const QString& caption) { setTitle(caption); }

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace ui
