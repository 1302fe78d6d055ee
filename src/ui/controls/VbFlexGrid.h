// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>
#include <QTableView>
#include <vector>

namespace ui {

class VbFlexGridModel;

// A VB flex grid: Rows x Cols cells of text, row 0 the fixed header row
// (shown as the column headers). Row is the row where the selection started,
// RowSel the row where it ends: a selection dragged (or shift-extended) from
// the bottom up leaves RowSel above Row. Rows are selected whole, and
// Ctrl+click adds or takes away single rows, so what is highlighted may be
// more than the range from Row to RowSel: SelectedRows tells it.
//
// AddItem appends a row at once for the program (Rows, TextMatrix); the view
// takes the new rows in batches when events next run, so a search that adds
// a row per hit does not repaint per row.
class VbFlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit VbFlexGrid(const QString& name, QWidget* parent = nullptr);
    ~VbFlexGrid() override;

    int Rows() const;
    void setRows(int rows);      // at least 1 (the header row); 30009 below
    int Cols() const;
    void setCols(int cols);      // at least 1
    // Width of a column in twips.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);

    // The text of a cell; row 0 is the header. 381 outside the grid.
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // Appends a row from a text whose cells are separated by TAB.
    void AddItem(const QString& tabSeparated);

    int Row() const { return row_; }
    void setRow(int row);        // selects that row alone; 30009 outside 1 .. Rows - 1
    int RowSel() const { return rowSel_; }
    void setRowSel(int row);     // extends the selection from Row; 30009 outside
    // The highlighted rows, in the order from Row towards RowSel: top down,
    // or bottom up when RowSel lies above Row. Empty when none is.
    QList<int> SelectedRows();

    // Widens each column whose shown cells (the header and the rows in view)
    // are wider than the column; no column is made narrower.
    void WidenColumnsToContents();

    // Redraw off keeps the grid from painting.
    void setRedraw(bool on) { setUpdatesEnabled(on); }

signals:
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void checkRow(int row) const;
    void showSelection();
    VbFlexGridModel* model_;
    int row_ = 0;
    int rowSel_ = 0;
    bool extending_ = false;   // a drag or a shift-click / shift-key is moving RowSel
    bool syncing_ = false;     // the program itself is moving the current row
    bool pendingSelect_ = false;  // show Row once the view has the new rows
};

}  // namespace ui
