// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbListBox.h"

#include <QMouseEvent>

#include "ui/controls/VbControl.h"
#include "vb/VbError.h"

namespace ui {

namespace {
constexpr int kMaxEntries = 32767;
}

VbListBox::VbListBox(const QString& name, Style style, QWidget* parent)
    : QListWidget(parent), style_(style) {
    setObjectName(name);
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) { emit Click(); });
    // Entries added at the end join the index at the next look-up; anything
    // else that moves or renames entries makes it start again.
    QAbstractItemModel* m = model();
    connect(m, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int) {
        if (first < indexedRows_)
            forgetIndex();
    });
    connect(m, &QAbstractItemModel::rowsRemoved, this, [this] { forgetIndex(); });
    connect(m, &QAbstractItemModel::rowsMoved, this, [this] { forgetIndex(); });
    connect(m, &QAbstractItemModel::modelReset, this, [this] { forgetIndex(); });
    connect(m, &QAbstractItemModel::layoutChanged, this, [this] { forgetIndex(); });
    connect(m, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex&, const QList<int>& roles) {
                // A check mark or a colour leaves the texts as they are.
                if (topLeft.row() < indexedRows_ &&
                    (roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole)))
                    forgetIndex();
            });
}

// The list widget empties its model after this part of it is gone: the
// index hears nothing of that.
VbListBox::~VbListBox() { disconnect(model(), nullptr, this, nullptr); }

void VbListBox::forgetIndex() const {
    index_.clear();
    indexedRows_ = 0;
}

int VbListBox::Find(const QString& text) const {
    const int rows = count();
    if (indexedRows_ > rows)
        forgetIndex();
    for (; indexedRows_ < rows; ++indexedRows_) {
        const QString text = item(indexedRows_)->text();
        if (!index_.contains(text))
            index_.insert(text, indexedRows_);
    }
    const auto found = index_.constFind(text);
    return found == index_.cend() ? -1 : *found;
}

QListWidgetItem* VbListBox::entry(int index) const {
    if (index < 0 || index >= count())
        RaiseInvalidIndex();
    return item(index);
}

void VbListBox::AddItem(const QString& text) { AddItem(text, count()); }

void VbListBox::AddItem(const QString& text, int index) {
    if (count() >= kMaxEntries)
        vb::Raise(7);
    if (index < 0 || index > count())
        vb::Raise(5);
    auto* it = new QListWidgetItem(text);
    if (style_ == Style::Checkbox) {
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(Qt::Unchecked);
    }
    const bool old = blockSignals(true);
    insertItem(index, it);
    blockSignals(old);
}

void VbListBox::RemoveItem(int index) {
    if (index < 0 || index >= count())
        vb::Raise(5);
    delete takeItem(index);
}

void VbListBox::Clear() { clear(); }

QString VbListBox::List(int index) const {
    if (index < 0 || index >= count())
        return {};
    return item(index)->text();
}

void VbListBox::setList(int index, const QString& text) { entry(index)->setText(text); }

bool VbListBox::Selected(int index) const {
    QListWidgetItem* it = entry(index);
    if (style_ == Style::Checkbox)
        return it->checkState() == Qt::Checked;
    return it->isSelected();
}

void VbListBox::setSelected(int index, bool selected) {
    QListWidgetItem* it = entry(index);
    if (style_ == Style::Checkbox) {
        it->setCheckState(selected ? Qt::Checked : Qt::Unchecked);
    } else {
        it->setSelected(selected);
    }
}

void VbListBox::setListIndex(int index) {
    if (index < -1 || index >= count())
        RaiseInvalidValue();
    setCurrentRow(index);
}

void VbListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (itemAt(event->position().toPoint()))
        emit DblClick();
}

}  // namespace ui
