// A table cell's text view: a band view that knows its table and place, and puts the
// table's row and column commands at the top of its context menu. Tab and Shift+Tab move
// to the next and previous cell (Tab in the last cell adds a row); Ctrl+Tab types a tab.
#pragma once

#include <QPointer>

#include "Tovin/text/BandTextView.h"

namespace tovin {

class TableView;

class CellTextView : public BandTextView {
    Q_OBJECT
  public:
    CellTextView(TableView* table, int row, int column, QWidget* parent);

    // The table is going away: the menu offers its commands no longer.
    void detach() { table_ = nullptr; }

    TableView* table() const { return table_; }
    int row() const { return row_; }
    int column() const { return column_; }

  protected:
    QMenu* editingMenu(const QPoint& at) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab belongs to the cells, not to the focus chain.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    QPointer<TableView> table_;
    int row_;
    int column_;
};

}  // namespace tovin
