// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTextEdit>
#include <QTimer>

namespace ui {

// The run log box. Its Text is kept as one string exactly as written (lines
// end with CR LF; writers put the newest line in front), and shown with the
// first line at the top.
class VbRichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit VbRichTextBox(const QString& name, QWidget* parent = nullptr);

    QString Text() const { return text_; }
    void setText(const QString& text);
    // Shows a Rich Text Format page (the news) with its formatting; Text
    // becomes the page's plain text. The next change of Text shows plain
    // text again.
    void setTextRTF(const QString& rtf);
    // Puts one line in front of the log: line & CR LF & the former text.
    void PrependLine(const QString& line);
    // Like setText, for writers of many lines a second (a run's line per
    // file): Text changes at once, the box shows it within a frame.
    void setTextSoon(const QString& text);

    QString FontName() const { return font().family(); }
    void setFontName(const QString& family);
    double FontSize() const { return font().pointSizeF(); }
    void setFontSize(double points);

    // Redraws at once (VB's Refresh).
    void Refresh();

private:
    void display(const QString& text);
    QString text_;
    QTimer soon_;
};

}  // namespace ui
