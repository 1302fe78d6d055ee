// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLineEdit>
#include <optional>

class QTimer;

namespace ui {

class VbFocusFilter;

// A VB text box. Change is raised whenever the text changes, by typing or
// by the program (setText), at once and before setText returns; a handler
// may set the text again from inside Change. GotFocus and LostFocus follow
// VbFocusFilter's rules.
class VbTextBox : public QLineEdit {
    Q_OBJECT
public:
    VbTextBox(const QString& name, const QString& text = {}, QWidget* parent = nullptr);

    // The latest text, also one that setTextSoon has not shown yet.
    QString Text() const { return pending_ ? *pending_ : text(); }

    // As QLineEdit::setText; drops a text that setTextSoon still holds back.
    void setText(const QString& text);

    // For counters that change with every file of a run: the text is shown
    // at once when the box has not changed for a frame, otherwise with the
    // next frame; Text() has it and Change is raised at once either way.
    void setTextSoon(const QString& text);

    bool Locked() const { return isReadOnly(); }
    void setLocked(bool locked) { setReadOnly(locked); }

    // PasswordChar "*": the text is shown masked.
    void setPasswordMode(bool on) { setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal); }

signals:
    void Change();
    void GotFocus();
    void LostFocus();

private:
    void showPending();
    void showQuietly(const QString& text);   // shows a text whose Change has been raised

    VbFocusFilter* focus_;
    std::optional<QString> pending_;
    QTimer* frame_ = nullptr;
    bool quietShow_ = false;
    qint64 shownAt_ = -1;   // steady ms of the last text setTextSoon showed
};

}  // namespace ui
