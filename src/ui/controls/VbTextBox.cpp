// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbTextBox.h"

#include <limits>

#include "ui/controls/VbFocusFilter.h"

namespace ui {

VbTextBox::VbTextBox(const QString& name, const QString& text, QWidget* parent)
    : QLineEdit(text, parent), focus_(new VbFocusFilter(this)) {
    setObjectName(name);
    // A text box holds long filter lists; Qt's default limit would cut them.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, [this](const QString&) { emit Change(); });
    connect(focus_, &VbFocusFilter::GotFocus, this, &VbTextBox::GotFocus);
    connect(focus_, &VbFocusFilter::LostFocus, this, &VbTextBox::LostFocus);
}

}  // namespace ui
