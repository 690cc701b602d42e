// The lines of a table in the draft view: each shown cell's four sides with the border the
// engine resolves for it (the table's own borders, the table style and its conditional
// formats, the cell's w:tcBorders), the same lines pages draw. A side without a border
// gets a faint dashed guide instead, so that a borderless table can still be edited; the
// guides are drawn first, so a neighbour's real border covers a shared edge.
#pragma once

#include <QColor>
#include <QLineF>
#include <QRectF>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/tables/TableGeometry.h"

class QPainter;

namespace tovin::TableBorders {

struct Side {
    QLineF line;
    rovuvuz::BorderLine border;  // not visible: a guide
    bool operator==(const Side&) const = default;
};

// The sides of every shown cell at the column edges and row tops laid out, guides first.
// A cell continuing a vertical merge has no top, and the cell it continues no bottom.
std::vector<Side> sides(const rovuvuz::TableSnapshot& table, const std::vector<TableGeometry::Place>& places,
                        const std::vector<qreal>& edges, const std::vector<qreal>& tops);

// Draws the sides meeting `dirty`, the guides in `guide`.
void paint(QPainter& painter, const std::vector<Side>& sides, const QRectF& dirty, const QColor& guide);

}  // namespace tovin::TableBorders
