#include "Tovin/tables/TableGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "Tovin/text/DisplayUnits.h"

namespace tovin::TableGeometry {

namespace {

// The cell of the previous row that starts at a column, when that cell is vertically merged.
bool mergedAbove(const std::vector<Place>& placed, size_t rowStart, size_t previousRowStart, int column,
                 const rovuvuz::TableSnapshot& table) {
    for (size_t i = previousRowStart; i < rowStart; ++i) {
        const Place& above = placed[i];
        if (above.column != column) continue;
        return table.rows[size_t(above.row)][size_t(above.cell)].vMerge.has_value();
    }
    return false;
}

}  // namespace

std::vector<Place> places(const rovuvuz::TableSnapshot& table) {
    std::vector<Place> placed;
    size_t previousRowStart = 0;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const size_t rowStart = placed.size();
        int column = 0;
        for (size_t c = 0; c < table.rows[r].size() && column < widestGrid; ++c) {
            const rovuvuz::CellSnapshot& cell = table.rows[r][c];
            Place place;
            place.row = int(r);
            place.cell = int(c);
            place.column = column;
            place.span = int(std::clamp<int64_t>(cell.gridSpan, 1, widestGrid - column));
            place.continues = cell.vMerge == rovuvuz::VMerge::continues && r > 0 &&
                              mergedAbove(placed, rowStart, previousRowStart, column, table);
            placed.push_back(place);
            column += place.span;
        }
        previousRowStart = rowStart;
    }
    return placed;
}

int gridColumns(const std::vector<Place>& places) {
    int columns = 1;
    for (const Place& place : places) columns = std::max(columns, place.column + place.span);
    return columns;
}

std::vector<qreal> columnEdges(const rovuvuz::TableSnapshot& table, const std::vector<Place>& places,
                               qreal width) {
    width = std::max<qreal>(width, 1);
    const int grid = gridColumns(places);
    const int count =
        std::clamp(std::max(grid, int(std::min<size_t>(table.columns.size(), widestGrid))), 1, widestGrid);
    std::vector<qreal> widths;
    if (int(table.columns.size()) >= grid) {
        for (int i = 0; i < count; ++i) {
            const double stated = table.columns[size_t(i)];
            widths.push_back(std::isfinite(stated) && stated > 0 ? qreal(stated) * displayScale : 0);
        }
    }
    qreal total = std::accumulate(widths.begin(), widths.end(), qreal(0));
    // Widths that are missing, or none of them positive, give equal columns.
    if (widths.empty() || !(total > 0)) {
        widths.assign(size_t(count), width / count);
        total = width;
    }
    if (total > width || total < stretchBelow * width)
        for (qreal& w : widths) w *= width / std::max<qreal>(total, 1);
    std::vector<qreal> edges{0};
    for (qreal w : widths) edges.push_back(edges.back() + w);
    return edges;
}

qreal textWidth(const std::vector<qreal>& edges, const Place& place) {
    const size_t last = edges.size() - 1;
    const size_t from = std::min(size_t(place.column), last);
    const size_t to = std::min(size_t(place.column + place.span), last);
    return std::max(edges[to] - edges[from] - 2 * cellInset, narrowestText);
}

std::vector<qreal> rowHeights(const std::vector<Place>& places, const std::vector<qreal>& heights, int rows) {
    std::vector<qreal> out(size_t(std::max(rows, 0)), shortestRow);
    for (size_t i = 0; i < places.size() && i < heights.size(); ++i) {
        const Place& place = places[i];
        if (place.continues || place.row < 0 || place.row >= rows) continue;
        out[size_t(place.row)] = std::max(out[size_t(place.row)], heights[i]);
    }
    return out;
}

std::vector<qreal> rowTops(const std::vector<qreal>& heights) {
    std::vector<qreal> tops{0};
    for (qreal height : heights) tops.push_back(tops.back() + height);
    return tops;
}

QSizeF size(const std::vector<qreal>& edges, const std::vector<qreal>& tops) {
    return {std::ceil(edges.back()) + 1, std::ceil(tops.back()) + 1};
}

std::vector<QLineF> gridLines(const std::vector<Place>& places, const std::vector<qreal>& edges,
                              const std::vector<qreal>& tops) {
    std::vector<QLineF> lines;
    lines.reserve(places.size() * 3 + 1);
    const size_t last = edges.size() - 1;
    for (const Place& place : places) {
        if (size_t(place.row) + 1 >= tops.size()) continue;
        const qreal top = tops[size_t(place.row)];
        const qreal bottom = tops[size_t(place.row) + 1];
        const qreal left = edges[std::min(size_t(place.column), last)];
        const qreal right = edges[std::min(size_t(place.column + place.span), last)];
        lines.emplace_back(left, top, left, bottom);
        lines.emplace_back(right, top, right, bottom);
        if (!place.continues) lines.emplace_back(left, top, right, top);
    }
    if (tops.size() > 1) lines.emplace_back(0, tops.back(), edges.back(), tops.back());
    return lines;
}

}  // namespace tovin::TableGeometry
