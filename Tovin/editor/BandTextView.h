// The small editable text views around and inside the body: the header, footer and notes
// bands, and the cells of a table. A band is sized to its text and never scrolls itself; a
// cell knows its table and place, and puts the table's row and column commands at the top
// of its context menu.
#pragma once

#include <QPointer>
#include <QTextEdit>
#include <optional>

class QMenu;

namespace tovin {

class TableView;

class BandTextView : public QTextEdit {
    Q_OBJECT
  public:
    explicit BandTextView(QWidget* parent = nullptr);
    // The height the text needs at `width`.
    int fittedHeight(int width);

    // Set when the view is a table cell: its table, row and first grid column.
    struct TableCell {
        QPointer<TableView> table;
        int row = 0;
        int column = 0;
    };
    std::optional<TableCell> tableCell;

    // The context menu at a point of the viewport: the standard one, with a cell's table
    // commands and a separator at its top. The caller owns it.
    QMenu* contextMenu(const QPoint& at);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace tovin
