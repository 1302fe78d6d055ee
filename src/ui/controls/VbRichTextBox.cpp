// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbRichTextBox.h"

#include <QScrollBar>

#include "platform/RtfReader.h"
#include "ui/controls/VbControl.h"

namespace ui {

VbRichTextBox::VbRichTextBox(const QString& name, QWidget* parent) : QTextEdit(parent) {
    setObjectName(name);
    setReadOnly(true);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    soon_.setSingleShot(true);
    // A run log that changes with every file is laid out again at most ten
    // times a second: a layout of its text costs more than a small file's
    // whole backup.
    soon_.setInterval(100);
    connect(&soon_, &QTimer::timeout, this, [this] { display(text_); });
}

void VbRichTextBox::setText(const QString& text) {
    soon_.stop();
    text_ = text;
    display(text);
}

void VbRichTextBox::setTextRTF(const QString& rtf) {
    soon_.stop();
    text_ = platform::RtfPlainText(rtf);
    platform::ReadRtf(rtf, document());
    verticalScrollBar()->setValue(0);
}

void VbRichTextBox::setTextSoon(const QString& text) {
    text_ = text;
    if (!soon_.isActive())
        soon_.start();
}

void VbRichTextBox::Refresh() {
    if (soon_.isActive()) {
        soon_.stop();
        display(text_);
    }
    viewport()->repaint();
}

void VbRichTextBox::display(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(shown);
    verticalScrollBar()->setValue(0);
}

void VbRichTextBox::PrependLine(const QString& line) {
    setText(line + QLatin1String("\r\n") + text_);
}

void VbRichTextBox::setFontName(const QString& family) {
    QFont f = font();
    f.setFamily(family);
    setFont(f);
}

void VbRichTextBox::setFontSize(double points) {
    if (points <= 0)
        RaiseInvalidValue();
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
}

}  // namespace ui
