// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QHash>
#include <QListWidget>

namespace ui {

// A VB list box, plain or with a check box per entry. In the check-box
// style an entry's Selected state is its check mark. Indexes count from 0
// and are 16-bit: a list holds at most 32767 entries.
class VbListBox : public QListWidget {
    Q_OBJECT
public:
    enum class Style { Standard, Checkbox };
    VbListBox(const QString& name, Style style, QWidget* parent = nullptr);
    ~VbListBox() override;

    void AddItem(const QString& item);              // 7 when the list is full
    void AddItem(const QString& item, int index);
    void RemoveItem(int index);
    void Clear();
    qint16 ListCount() const { return static_cast<qint16>(count()); }
    QString List(int index) const;                  // "" outside the list
    void setList(int index, const QString& text);
    bool Selected(int index) const;                 // 381 outside the list
    void setSelected(int index, bool selected);
    qint16 ListIndex() const { return static_cast<qint16>(currentRow()); }
    void setListIndex(int index);
    // Redraw off keeps the list from painting while it is filled.
    void setRedraw(bool on) { setUpdatesEnabled(on); }
    // The first entry whose text equals `text` exactly, -1 when there is
    // none. The entries are kept in an index that grows with the list, so a
    // list of thousands of entries that is checked for each entry added
    // costs no more per entry than a short one.
    int Find(const QString& text) const;

signals:
    void Click();      // the current entry changed (by the user or the program)
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QListWidgetItem* entry(int index) const;
    void forgetIndex() const;
    Style style_;
    mutable QHash<QString, int> index_;       // text -> first entry
    mutable int indexedRows_ = 0;             // the entries below this are in it
};

}  // namespace ui
