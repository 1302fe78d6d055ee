// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLineEdit>

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

    QString Text() const { return text(); }

    bool Locked() const { return isReadOnly(); }
    void setLocked(bool locked) { setReadOnly(locked); }

    // PasswordChar "*": the text is shown masked.
    void setPasswordMode(bool on) { setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal); }

signals:
    void Change();
    void GotFocus();
    void LostFocus();

private:
    VbFocusFilter* focus_;
};

}  // namespace ui
