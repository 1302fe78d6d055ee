// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbComboBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "ui/controls/VbControl.h"
#include "ui/controls/VbFocusFilter.h"
#include "vb/VbError.h"

namespace ui {

VbComboBox::VbComboBox(const QString& name, Style style, QWidget* parent)
    : QComboBox(parent), style_(style) {
    setObjectName(name);
    if (style == Style::DropdownCombo) {
        setEditable(true);
        // Enter does not add the typed text as an item, and nothing is
        // completed while typing: the text is what the user typed.
        setInsertPolicy(QComboBox::NoInsert);
        setCompleter(nullptr);
        // Enter in the text, or leaving it, is no pick either: Qt would
        // select the item that matches the typed text.
        QObject::disconnect(lineEdit(), &QLineEdit::returnPressed, nullptr, nullptr);
        QObject::disconnect(lineEdit(), &QLineEdit::editingFinished, nullptr, nullptr);
    }
    focus_ = new VbFocusFilter(this);
    connect(focus_, &VbFocusFilter::GotFocus, this, &VbComboBox::GotFocus);
    connect(focus_, &VbFocusFilter::LostFocus, this, &VbComboBox::LostFocus);
    connect(this, &QComboBox::activated, this, [this](int) { emit Click(); });
}

void VbComboBox::setText(const QString& text) {
    if (style_ == Style::DropdownCombo) {
        setEditText(text);
        return;
    }
    const int i = findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (i < 0)
        vb::Raise(383, QStringLiteral("'Text' property is read-only"));
    setListIndex(i);
}

qint16 VbComboBox::ListIndex() const {
    const int i = currentIndex();
    if (i < 0)
        return -1;
    if (style_ == Style::DropdownCombo && itemText(i) != currentText())
        return -1;
    return static_cast<qint16>(i);
}

void VbComboBox::setListIndex(int index) {
    if (index < -1 || index >= count())
        RaiseInvalidValue();
    const int before = ListIndex();
    if (index == -1) {
        setCurrentIndex(-1);
        if (isEditable())
            setEditText(QString());
        return;
    }
    setCurrentIndex(index);
    if (isEditable() && currentText() != itemText(index))
        setEditText(itemText(index));
    if (before != index)
        emit Click();
}

QString VbComboBox::List(int index) const {
    if (index < 0 || index >= count())
        return {};
    return itemText(index);
}

void VbComboBox::AddItem(const QString& item) { insertKeepingText(count(), item); }

void VbComboBox::AddItem(const QString& item, int index) {
    if (index < 0 || index > count())
        vb::Raise(5);
    insertKeepingText(index, item);
}

// Qt makes the first item of an empty box the current one and shows its
// text; VB adds items without touching the text or the selection.
void VbComboBox::insertKeepingText(int index, const QString& item) {
    if (count() >= 32767)
        vb::Raise(7);
    const QString text = currentText();
    const int current = currentIndex();
    QSignalBlocker block(this);
    insertItem(index, item);
    if (current < 0) {
        setCurrentIndex(-1);
        if (isEditable())
            setEditText(text);
    } else if (isEditable() && currentText() != text) {
        setEditText(text);
    }
}

void VbComboBox::RemoveItem(int index) {
    if (index < 0 || index >= count())
        vb::Raise(5);
    const QString text = currentText();
    const bool wasCurrent = index == currentIndex();
    QSignalBlocker block(this);
    removeItem(index);
    // Removing the current item leaves no selection; a combo keeps its text.
    if (wasCurrent)
        setCurrentIndex(-1);
    if (isEditable())
        setEditText(text);
}

// Empties the list and, as VB does, the text of a combo.
void VbComboBox::Clear() {
    QSignalBlocker block(this);
    clear();
    if (isEditable())
        setEditText(QString());
}

qint32 VbComboBox::ItemData(int index) const {
    if (index < 0 || index >= count())
        RaiseInvalidIndex();
    return itemData(index, Qt::UserRole).toInt();
}

void VbComboBox::setItemData(int index, qint32 value) {
    if (index < 0 || index >= count())
        RaiseInvalidIndex();
    QComboBox::setItemData(index, value, Qt::UserRole);
}

}  // namespace ui
