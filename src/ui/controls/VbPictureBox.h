// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFrame>

namespace ui {

// A VB picture box used as a panel or an indicator: BackColor (&HBBGGRR),
// Click and DblClick.
class VbPictureBox : public QFrame {
    Q_OBJECT
public:
    explicit VbPictureBox(const QString& name, QWidget* parent = nullptr);

    qint32 BackColor() const { return backColor_; }
    void setBackColor(qint32 vbColor);

signals:
    void Click();
    void DblClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    qint32 backColor_ = -1;  // -1: the window's own colour
};

}  // namespace ui
