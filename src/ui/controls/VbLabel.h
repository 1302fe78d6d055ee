// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLabel>

namespace ui {

// A VB label: Caption, and Click / DblClick from the mouse. A label that
// acts as a link (`setLink(true)`) is drawn underlined with a hand cursor.
class VbLabel : public QLabel {
    Q_OBJECT
public:
    VbLabel(const QString& name, const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    void setLink(bool on);

    qint32 ForeColor() const;
    void setForeColor(qint32 vbColor);

signals:
    void Click();
    void DblClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace ui
