// Where a table's cells stand: the grid column each cell starts at and how many it spans,
// which cells continue a vertical merge, the column edges fitted to the available width and
// widened where a column would cut a word,
// row heights from the cells' text heights and the rows' stated heights. Pure
// arithmetic over a table snapshot, in device-independent pixels; the table view measures
// the text and places its cell views by it.
//
// Hostile grids stay bounded: a table shows at most `widestGrid` columns (cells past them
// are left out), spans stop at the grid's edge, widths that are not positive numbers count
// as missing, and a cell that claims to continue a vertical merge with nothing above it
// starts one of its own.
#pragma once

#include <QLineF>
#include <QSizeF>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"

namespace tovin::TableGeometry {

// Word's limit on a table's columns is 63.
constexpr int widestGrid = 64;
// The largest cell margin and stated row height taken from a file, display pixels.
constexpr qreal widestMargin = 200;
constexpr qreal tallestStatedRow = 5000;
// The narrowest a cell's text is laid out.
constexpr qreal narrowestText = 20;
// A table narrower than this share of the width is stretched to fill it.
constexpr qreal stretchBelow = 0.3;

// The space between a cell's edges and its text: its resolved margins (w:tcMar, the
// table's w:tblCellMar, Word's defaults) at the display scale.
struct Padding {
    qreal left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Padding&) const = default;
};

struct Place {
    int row = 0;
    int cell = 0;    // index in the snapshot's row
    int column = 0;  // first grid column
    int span = 1;
    bool continues = false;  // covered by the cell above: hidden, no top edge
    Padding padding;
    bool operator==(const Place&) const = default;
};

// The shown cells in row-major order, each row's first one after the grid columns its
// w:gridBefore skips.
std::vector<Place> places(const rovuvuz::TableSnapshot& table);

// The grid columns the cells use (at least 1).
int gridColumns(const std::vector<Place>& places);

// Column edges from 0, one more than the columns: the table's widths at the display scale
// when they cover every grid column, else equal columns; fitted to `width` when wider, or
// stretched to it when narrower than `stretchBelow` of it.
std::vector<qreal> columnEdges(const rovuvuz::TableSnapshot& table, const std::vector<Place>& places,
                               qreal width);

// What each grid column needs so that no word of its cells is cut: for each cell spanning
// one column, its longest word (`longest`, one per place) and its left and right padding,
// rounded up to whole pixels; a cell spanning several columns adds what their needs leave
// short of its own to each of them evenly.
std::vector<qreal> columnNeeds(const std::vector<Place>& places, const std::vector<qreal>& longest,
                               size_t columns);

// Edges moved so that each column is at least as wide as it needs where `width` allows: a
// column short of its need takes the room from the other columns' width beyond their own
// needs, in proportion, then from the part of `width` the table leaves; when all of
// `width` cannot hold every need, each column gets a share of it by its need, and its words
// wrap. Edges that already hold every need come back unchanged. Only the screen changes:
// the document's grid is left as it is.
std::vector<qreal> rebalance(const std::vector<qreal>& edges, const std::vector<qreal>& needs, qreal width);

// The width a cell's text is laid out at: its columns less its left and right padding.
qreal textWidth(const std::vector<qreal>& edges, const Place& place);

// Row heights: the tallest cell of the row that does not continue a merge, `heights`
// holding each place's cell height (its text's height and its top and bottom padding);
// then the row's w:trHeight (§17.4.80), at the display scale, where it states one: at
// least that tall, or exactly.
std::vector<qreal> rowHeights(const std::vector<Place>& places, const std::vector<qreal>& heights, int rows,
                              const std::vector<rovuvuz::RowProperties>& stated = {});

// Each row's top from 0, and the total height as one more entry.
std::vector<qreal> rowTops(const std::vector<qreal>& heights);

// The whole table's size: the last edge and the total height, rounded up, plus one for the
// closing line.
QSizeF size(const std::vector<qreal>& edges, const std::vector<qreal>& tops);

}  // namespace tovin::TableGeometry
