#include "Tovin/tables/TableBorders.h"

#include <QPainter>
#include <algorithm>

#include "Tovin/text/BorderLines.h"

namespace tovin::TableBorders {

namespace {

// Whether the next row has a cell at `column` that continues a merge.
bool continuedBelow(const std::vector<TableGeometry::Place>& places, size_t from, int row, int column) {
    for (size_t i = from; i < places.size() && places[i].row <= row + 1; ++i)
        if (places[i].row == row + 1 && places[i].column == column) return places[i].continues;
    return false;
}

}  // namespace

std::vector<Side> sides(const rovuvuz::TableSnapshot& table, const std::vector<TableGeometry::Place>& places,
                        const std::vector<qreal>& edges, const std::vector<qreal>& tops) {
    std::vector<Side> guides, lines;
    if (edges.empty()) return {};
    const size_t last = edges.size() - 1;
    for (size_t i = 0; i < places.size(); ++i) {
        const TableGeometry::Place& place = places[i];
        if (place.row < 0 || size_t(place.row) + 1 >= tops.size() || size_t(place.row) >= table.rows.size())
            continue;
        const auto& row = table.rows[size_t(place.row)];
        if (place.cell < 0 || size_t(place.cell) >= row.size()) continue;
        const rovuvuz::CellBorders& borders = row[size_t(place.cell)].format.borders;
        const qreal top = tops[size_t(place.row)];
        const qreal bottom = tops[size_t(place.row) + 1];
        const qreal left = edges[std::min(size_t(place.column), last)];
        const qreal right = edges[std::min(size_t(place.column + place.span), last)];
        auto add = [&](QLineF line, const rovuvuz::BorderLine& border) {
            (border.visible() ? lines : guides).push_back(Side{line, border});
        };
        if (!place.continues) add(QLineF(left, top, right, top), borders.top);
        if (!continuedBelow(places, i + 1, place.row, place.column))
            add(QLineF(left, bottom, right, bottom), borders.bottom);
        add(QLineF(left, top, left, bottom), borders.left);
        add(QLineF(right, top, right, bottom), borders.right);
    }
    guides.insert(guides.end(), lines.begin(), lines.end());
    return guides;
}

void paint(QPainter& painter, const std::vector<Side>& sides, const QRectF& dirty, const QColor& guide) {
    QPen dashed(guide, 0, Qt::DashLine);
    for (const Side& side : sides) {
        const qreal reach = side.border.visible() ? 8 : 1;
        if (!QRectF(side.line.p1(), side.line.p2()).normalized().adjusted(-reach, -reach, reach, reach).intersects(dirty))
            continue;
        // Half a pixel in, so that a hairline covers one row of pixels.
        const QLineF line = side.line.translated(0.5, 0.5);
        if (side.border.visible()) {
            drawBorderSide(painter, side.border, line.p1(), line.p2());
        } else {
            painter.setPen(dashed);
            painter.drawLine(line);
        }
    }
}

}  // namespace tovin::TableBorders
