// Where a table's cells stand: the grid column each cell starts at and how many it spans,
// which cells continue a vertical merge, the column edges fitted to the available width,
// row heights from the cells' text heights, and the grid lines between the cells. Pure
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
// Every row is at least this tall; the cell text stands this far inside its cell's edges.
constexpr qreal shortestRow = 30;
constexpr qreal cellInset = 6;
// The narrowest a cell's text is laid out.
constexpr qreal narrowestText = 20;
// A table narrower than this share of the width is stretched to fill it.
constexpr qreal stretchBelow = 0.3;

struct Place {
    int row = 0;
    int cell = 0;    // index in the snapshot's row
    int column = 0;  // first grid column
    int span = 1;
    bool continues = false;  // covered by the cell above: hidden, no top edge
    bool operator==(const Place&) const = default;
};

// The shown cells in row-major order.
std::vector<Place> places(const rovuvuz::TableSnapshot& table);

// The grid columns the cells use (at least 1).
int gridColumns(const std::vector<Place>& places);

// Column edges from 0, one more than the columns: the table's widths at the display scale
// when they cover every grid column, else equal columns; fitted to `width` when wider, or
// stretched to it when narrower than `stretchBelow` of it.
std::vector<qreal> columnEdges(const rovuvuz::TableSnapshot& table, const std::vector<Place>& places,
                               qreal width);

// The width a cell's text is laid out at.
qreal textWidth(const std::vector<qreal>& edges, const Place& place);

// Row heights: `shortestRow`, or the tallest cell of the row that does not continue a
// merge, `heights` holding each place's cell height (text height + 2 × inset).
std::vector<qreal> rowHeights(const std::vector<Place>& places, const std::vector<qreal>& heights, int rows);

// Each row's top from 0, and the total height as one more entry.
std::vector<qreal> rowTops(const std::vector<qreal>& heights);

// The whole table's size: the last edge and the total height, rounded up, plus one for the
// closing line.
QSizeF size(const std::vector<qreal>& edges, const std::vector<qreal>& tops);

// One-pixel lines: each cell's left and right edges and its top edge (none for a cell that
// continues a merge), then one line under the last row. A cell spanning columns has no line
// inside it.
std::vector<QLineF> gridLines(const std::vector<Place>& places, const std::vector<qreal>& edges,
                              const std::vector<qreal>& tops);

}  // namespace tovin::TableGeometry
