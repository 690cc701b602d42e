// The live view of a table: a grid of small editable text views, one per cell, each with a
// story bridge of its own registered with the editor, so typing, formatting, links and
// comments inside a cell edit the cell's paragraphs directly. Columns come from the table's
// grid (TableGeometry), rebalanced so that no cell clips a word, rows are as tall as their
// text and the row's stated height make them, and the table style's borders and shading
// are drawn under the cells (TableBorders).
//
// A cell's view is built only when the cell comes near the visible part of the table; the
// others are measured in one scratch document, so a long table opens without a widget per
// cell.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableBorders.h"
#include "Tovin/tables/TableGeometry.h"

class QAction;
class QPainter;
class QTextDocument;

namespace tovin {

class StoryBridge;
class TableAttachment;

class TableView : public QWidget {
    Q_OBJECT
  public:
    // Cells within this distance of the visible area get their views; unedited cells
    // farther than `keptMargin` give theirs up.
    static constexpr int viewMargin = 400;
    static constexpr int keptMargin = 2000;

    struct Cell {
        TableGeometry::Place place;
        QPointer<CellTextView> view;
        std::unique_ptr<StoryBridge> bridge;
        qreal height = 0;       // text height + top and bottom padding, measured at `measuredAt`
        qreal measuredAt = -1;  // the text width of that measure
        qreal longest = 0;      // its longest word, found by the same measure
        bool edited = false;    // its view is the only up-to-date copy of its text
    };

    TableView(const TableAttachment& attachment, QWidget* parent);
    ~TableView() override;

    // Lays the table out at a width and returns its size.
    QSizeF layoutTable(qreal width);
    bool laidOut() const { return layoutWidth_ >= 0; }
    qreal layoutWidth() const { return layoutWidth_; }
    QSizeF lastSize() const { return lastSize_; }

    const std::vector<Cell>& cells() const { return cells_; }
    const std::vector<qreal>& columnX() const { return columnX_; }
    const std::vector<qreal>& rowHeights() const { return rowHeights_; }
    // The cells' sides as drawn: real borders and, where a cell has none, guides.
    const std::vector<TableBorders::Side>& borders() const { return sides_; }
    // The shading and borders of the part of the table meeting `dirty` (table coordinates).
    void paintGrid(QPainter& painter, const QRectF& dirty) const;
    // The text a reader finds in the table: each cell's paragraphs, one per line, without
    // tracked deletions and objects, the cells row by row; the views' text where they exist.
    QString readerText() const;
    // How many cells have a view so far.
    int viewCount() const;

    // Builds the views of the cells meeting an area (table coordinates), and those near the
    // part of the table on screen (releasing those far from it).
    void ensureViews(const QRectF& area);
    void showVisibleCells();

    // The table this view shows, and its attachment (null once detached).
    const TableAttachment* attachment() const { return attachment_; }
    // Puts the caret at the start of the cell standing at a row and grid column (the row's
    // last cell when the row is shorter; the last row when the table is), building its view
    // and laying the table out if need be. Null when the table has no rows.
    CellTextView* focusCell(size_t row, size_t column);

    // The view of the cell holding a paragraph, in this table or in one nested in its cells,
    // its view built (and the nested table's) if need be; null when no cell holds it.
    CellTextView* viewHolding(rovuvuz::ParagraphID paragraph, int depth = 0);

    // The row and column commands for a cell (its row and first grid column).
    QList<QAction*> menuItems(int row, int column, QObject* parent) const;

    // Tab and Shift+Tab in a cell: the next or previous cell gets the focus with its text
    // selected. Tab in the last cell adds a row (tracked when the editor tracks) and moves
    // into its first cell, in the table view the reload makes.
    void moveFrom(const CellTextView* cell, bool forward);
    // Gives the cell at `index` (of cells()) a view, the focus and a selection of its text.
    void focusCell(size_t index);

    // A cell's text changed: the table lays out again, and the host measures the table's
    // line again only when the table's size changed.
    void cellChanged();
    // The attachment is going away: nothing refers back to it any more.
    void detach();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void paintShading(QPainter& painter, const QRectF& dirty) const;

  private:
    const rovuvuz::CellSnapshot& snapshotOf(const Cell& cell) const;
    qreal textWidth(const TableGeometry::Place& place) const;
    qreal measure(Cell& cell, qreal textWidth);
    std::vector<qreal> measureAll();
    void buildView(Cell& cell);
    void releaseViews(const QRectF& kept);
    void placeViews();
    std::pair<size_t, size_t> rowsMeeting(const QRectF& area) const;
    std::optional<std::vector<rovuvuz::BlockSnapshot>> freshBlocks(rovuvuz::BlockID cell) const;

    const TableAttachment* attachment_;
    std::vector<Cell> cells_;
    std::vector<size_t> rowStarts_;  // index of each row's first cell, and the cell count
    std::vector<qreal> columnX_;
    std::vector<qreal> rowHeights_;
    std::vector<qreal> rowTops_;
    std::vector<TableBorders::Side> sides_;
    QSizeF lastSize_;
    qreal layoutWidth_ = -1;
    std::unique_ptr<QTextDocument> scratch_;
    bool ensureQueued_ = false;
};

}  // namespace tovin
