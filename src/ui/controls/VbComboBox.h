// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QComboBox>

namespace ui {

class VbFocusFilter;

// A VB combo box, either a drop-down combo (editable text) or a drop-down
// list. Indexes count from 0 and are 16-bit.
//
// ListIndex is VB's: the position of the current item, or -1 when the text
// is not that item's text (a typed name, or a text set by the program).
// Setting Text is never a pick: it changes neither the item nor raises
// Click. Click is raised when the user picks an item (also the one already
// shown) and when the program sets ListIndex to another item.
class VbComboBox : public QComboBox {
    Q_OBJECT
public:
    enum class Style { DropdownCombo, DropdownList };
    VbComboBox(const QString& name, Style style, QWidget* parent = nullptr);

    QString Text() const { return currentText(); }
    void setText(const QString& text);  // a list raises 383 for a text that is no item

    qint16 ListIndex() const;
    void setListIndex(int index);       // -1 clears; outside the list raises 380
    qint16 ListCount() const { return static_cast<qint16>(count()); }
    QString List(int index) const;      // "" outside the list, as VB gives
    void AddItem(const QString& item);
    void AddItem(const QString& item, int index);
    void RemoveItem(int index);
    void Clear();
    qint32 ItemData(int index) const;
    void setItemData(int index, qint32 value);

signals:
    void Click();
    void GotFocus();
    void LostFocus();

private:
    void insertKeepingText(int index, const QString& item);
    Style style_;
    VbFocusFilter* focus_;
};

}  // namespace ui
