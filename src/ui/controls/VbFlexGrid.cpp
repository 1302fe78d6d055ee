// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbFlexGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <unordered_map>

#include "ui/controls/VbControl.h"
#include "vb/VbError.h"

namespace ui {

namespace {
constexpr int kBadRowCol = 30009;  // "Invalid Row value" of the grid
}

// Row 0 of the grid is the model's horizontal header; grid row r > 0 is
// model row r - 1. Rows added by the program become visible to the view in
// one batch (publish) rather than one insert per row.
class VbFlexGridModel : public QAbstractTableModel {
public:
    explicit VbFlexGridModel(QObject* parent) : QAbstractTableModel(parent) {
        flush_.setSingleShot(true);
        flush_.setInterval(0);
        connect(&flush_, &QTimer::timeout, this, [this] { publish(); });
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : shown_; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : cols_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return cell(index.row() + 1, index.column());
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return cell(0, section);
    }

    QString cell(int row, int col) const {
        if (row == 0)
            return col < header_.size() ? header_[col] : QString();
        if (!edited_.empty()) {
            const auto e = edited_.find(row);
            if (e != edited_.end())
                return col < e->second.size() ? e->second[col] : QString();
        }
        // The col-th field of the row's text.
        const QString& r = rows_[size_t(row - 1)];
        qsizetype start = 0;
        for (int c = 0; c < col; ++c) {
            const qsizetype tab = r.indexOf(QLatin1Char('\t'), start);
            if (tab < 0)
                return QString();
            start = tab + 1;
        }
        const qsizetype end = r.indexOf(QLatin1Char('\t'), start);
        return r.mid(start, end < 0 ? -1 : end - start);
    }
    void setCell(int row, int col, const QString& text) {
        if (row == 0) {
            while (header_.size() <= col)
                header_.append(QString());
            header_[col] = text;
            emit headerDataChanged(Qt::Horizontal, col, col);
            return;
        }
        // A row changed cell by cell keeps its cells apart (a cell may then
        // hold a TAB).
        auto e = edited_.find(row);
        if (e == edited_.end())
            e = edited_.emplace(row, rows_[size_t(row - 1)].split(QLatin1Char('\t'))).first;
        QStringList& r = e->second;
        while (r.size() <= col)
            r.append(QString());
        r[col] = text;
        if (row - 1 < shown_)
            emit dataChanged(index(row - 1, col), index(row - 1, col));
    }

    int rows() const { return int(rows_.size()) + 1; }
    int cols() const { return cols_; }

    void setRows(int rows) {
        publish();
        const int data = rows - 1;
        std::erase_if(edited_, [&](const auto& e) { return e.first > data; });
        if (data < shown_) {
            beginRemoveRows({}, data, shown_ - 1);
            rows_.resize(size_t(data));
            shown_ = data;
            endRemoveRows();
        } else {
            rows_.resize(size_t(data));
            publishSoon();
        }
    }
    void setCols(int cols) {
        publish();
        beginResetModel();
        cols_ = cols;
        endResetModel();
    }
    // A row from its cells separated by TAB (those past the last column left out).
    void append(QString tabSeparated) {
        qsizetype at = 0;
        for (int c = 0; c < cols_ && at >= 0; ++c) {
            at = tabSeparated.indexOf(QLatin1Char('\t'), at);
            if (at >= 0 && c + 1 < cols_)
                ++at;
        }
        if (at >= 0)
            tabSeparated.truncate(at);
        tabSeparated.squeeze();   // a text built piece by piece has room to spare
        rows_.push_back(std::move(tabSeparated));
        publishSoon();
    }
    // Lets the view see every row the program has added.
    void publish() {
        flush_.stop();
        const int all = int(rows_.size());
        if (all <= shown_)
            return;
        beginInsertRows({}, shown_, all - 1);
        shown_ = all;
        endInsertRows();
    }

private:
    void publishSoon() {
        if (!flush_.isActive())
            flush_.start();
    }
    QStringList header_;
    // Each row as the text AddItem was given: one piece per row whatever
    // the number of columns, for searches that list a million entries.
    std::vector<QString> rows_;
    std::unordered_map<int, QStringList> edited_;   // rows changed cell by cell, by grid row
    int cols_ = 2;
    int shown_ = 0;
    QTimer flush_;
};

VbFlexGrid::VbFlexGrid(const QString& name, QWidget* parent)
    : QTableView(parent), model_(new VbFlexGridModel(this)) {
    setObjectName(name);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (pendingSelect_) {
            pendingSelect_ = false;
            showSelection();
        }
    });
}

VbFlexGrid::~VbFlexGrid() = default;

int VbFlexGrid::Rows() const { return model_->rows(); }
int VbFlexGrid::Cols() const { return model_->cols(); }

void VbFlexGrid::setRows(int rows) {
    if (rows < 1)
        vb::Raise(kBadRowCol);
    model_->setRows(rows);
    if (row_ >= rows || rowSel_ >= rows) {
        row_ = rowSel_ = 0;
        pendingSelect_ = false;
        clearSelection();
    }
}

void VbFlexGrid::setCols(int cols) {
    if (cols < 1)
        vb::Raise(kBadRowCol);
    model_->setCols(cols);
}

int VbFlexGrid::ColWidth(int col) const {
    if (col < 0 || col >= Cols())
        RaiseInvalidIndex();
    return qRound(PixelsToTwips(columnWidth(col)));
}

void VbFlexGrid::setColWidth(int col, int twips) {
    if (col < 0 || col >= Cols())
        RaiseInvalidIndex();
    setColumnWidth(col, TwipsToPixels(twips));
}

QString VbFlexGrid::TextMatrix(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        RaiseInvalidIndex();
    return model_->cell(row, col);
}

void VbFlexGrid::setTextMatrix(int row, int col, const QString& text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        RaiseInvalidIndex();
    model_->setCell(row, col, text);
}

void VbFlexGrid::AddItem(const QString& tabSeparated) {
    model_->append(tabSeparated);
    // The first row after the header is the current one, as in a fresh grid.
    if (row_ == 0) {
        row_ = rowSel_ = 1;
        pendingSelect_ = true;
    }
}

void VbFlexGrid::WidenColumnsToContents() {
    model_->publish();
    for (int c = 0; c < Cols(); ++c) {
        const int wanted = std::max(sizeHintForColumn(c), horizontalHeader()->sectionSizeHint(c));
        if (wanted > columnWidth(c))
            setColumnWidth(c, wanted);
    }
}

void VbFlexGrid::checkRow(int row) const {
    if (row < 1 || row >= Rows())
        vb::Raise(kBadRowCol);
}

void VbFlexGrid::setRow(int row) {
    checkRow(row);
    row_ = rowSel_ = row;
    showSelection();
}

void VbFlexGrid::setRowSel(int row) {
    checkRow(row);
    rowSel_ = row;
    showSelection();
}

QList<int> VbFlexGrid::SelectedRows() {
    // Rows the program added are shown first, the first of a fresh result
    // highlighted as Row says.
    model_->publish();
    QList<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows << i.row() + 1;
    std::sort(rows.begin(), rows.end());
    if (rowSel_ < row_)
        std::reverse(rows.begin(), rows.end());
    return rows;
}

// Puts the view's selection and current row where Row and RowSel say.
void VbFlexGrid::showSelection() {
    model_->publish();
    syncing_ = true;
    const int lo = std::min(row_, rowSel_) - 1, hi = std::max(row_, rowSel_) - 1;
    QItemSelection sel(model_->index(lo, 0), model_->index(hi, Cols() - 1));
    selectionModel()->setCurrentIndex(model_->index(rowSel_ - 1, 0), QItemSelectionModel::NoUpdate);
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

void VbFlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid())
        return;
    const int r = current.row() + 1;
    rowSel_ = r;
    if (!extending_)
        row_ = r;
}

void VbFlexGrid::mousePressEvent(QMouseEvent* event) {
    // A press starts a new range unless Shift extends the old one (Ctrl keeps
    // the rows chosen before beside the new one); while the button is held,
    // dragging moves its end.
    extending_ = (event->modifiers() & Qt::ShiftModifier) && row_ > 0;
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!extending_ && at.isValid()) {
        row_ = rowSel_ = at.row() + 1;
    }
    QTableView::mousePressEvent(event);
    extending_ = at.isValid() || extending_;
}

void VbFlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    extending_ = false;
}

void VbFlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        emit DblClick();
}

void VbFlexGrid::keyPressEvent(QKeyEvent* event) {
    extending_ = (event->modifiers() & Qt::ShiftModifier) && row_ > 0;
    QTableView::keyPressEvent(event);
    extending_ = false;
}

}  // namespace ui
