#include "Tovin/tables/TableGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

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

qreal displayed(double points, qreal largest) {
    return std::isfinite(points) ? std::clamp<qreal>(qreal(points) * displayScale, 0, largest) : 0;
}

Padding paddingOf(const rovuvuz::CellFormat& format) {
    return {displayed(format.marginLeft, widestMargin), displayed(format.marginTop, widestMargin),
            displayed(format.marginRight, widestMargin), displayed(format.marginBottom, widestMargin)};
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
            // A row's w:gridBefore leaves grid columns empty before its first cell.
            column = std::max(column, int(std::clamp<int64_t>(cell.gridColumn, 0, widestGrid - 1)));
            Place place;
            place.row = int(r);
            place.cell = int(c);
            place.column = column;
            place.span = int(std::clamp<int64_t>(cell.gridSpan, 1, widestGrid - column));
            place.continues = cell.vMerge == rovuvuz::VMerge::continues && r > 0 &&
                              mergedAbove(placed, rowStart, previousRowStart, column, table);
            place.padding = paddingOf(cell.format);
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

std::vector<qreal> columnNeeds(const std::vector<Place>& places, const std::vector<qreal>& longest,
                               size_t columns) {
    std::vector<qreal> needs(columns, 0);
    auto needOf = [&](size_t i) -> std::optional<qreal> {
        const Place& place = places[i];
        if (place.continues || place.column < 0 || size_t(place.column) >= columns) return std::nullopt;
        if (!(longest[i] > 0) || !std::isfinite(longest[i])) return std::nullopt;
        return std::ceil(longest[i] + place.padding.left + place.padding.right) + 1;
    };
    for (size_t i = 0; i < places.size() && i < longest.size(); ++i)
        if (const auto need = needOf(i); need && places[i].span == 1)
            needs[size_t(places[i].column)] = std::max(needs[size_t(places[i].column)], *need);
    // A cell spanning columns shares what their own needs leave short among them evenly.
    for (size_t i = 0; i < places.size() && i < longest.size(); ++i) {
        const auto need = needOf(i);
        if (!need || places[i].span == 1) continue;
        const size_t from = size_t(places[i].column);
        const size_t to = std::min(from + size_t(places[i].span), columns);
        const qreal have = std::accumulate(needs.begin() + std::ptrdiff_t(from), needs.begin() + std::ptrdiff_t(to), qreal(0));
        if (*need <= have) continue;
        for (size_t c = from; c < to; ++c) needs[c] += std::ceil((*need - have) / qreal(to - from));
    }
    return needs;
}

std::vector<qreal> rebalance(const std::vector<qreal>& edges, const std::vector<qreal>& needs, qreal width) {
    if (edges.size() < 2 || needs.size() != edges.size() - 1) return edges;
    const size_t count = needs.size();
    std::vector<qreal> widths(count);
    for (size_t i = 0; i < count; ++i) widths[i] = edges[i + 1] - edges[i];
    qreal lacking = 0, spare = 0, needed = 0;
    for (size_t i = 0; i < count; ++i) {
        lacking += std::max<qreal>(needs[i] - widths[i], 0);
        spare += std::max<qreal>(widths[i] - needs[i], 0);
        needed += needs[i];
    }
    if (!(lacking > 0)) return edges;
    if (needed > width) {
        // Every column wraps a little: shares of the whole width by need.
        for (size_t i = 0; i < count; ++i) widths[i] = needs[i] * width / needed;
    } else {
        // From the others' spare width; what that cannot give widens the table, within
        // `width` since every need fits there.
        const qreal taken = std::min(lacking, spare);
        for (size_t i = 0; i < count; ++i) {
            if (widths[i] < needs[i])
                widths[i] = needs[i];
            else if (spare > 0)
                widths[i] -= (widths[i] - needs[i]) * taken / spare;
        }
    }
    std::vector<qreal> out{0};
    for (qreal w : widths) out.push_back(out.back() + w);
    return out;
}

qreal textWidth(const std::vector<qreal>& edges, const Place& place) {
    const size_t last = edges.size() - 1;
    const size_t from = std::min(size_t(place.column), last);
    const size_t to = std::min(size_t(place.column + place.span), last);
    return std::max(edges[to] - edges[from] - place.padding.left - place.padding.right, narrowestText);
}

std::vector<qreal> rowHeights(const std::vector<Place>& places, const std::vector<qreal>& heights, int rows,
                              const std::vector<rovuvuz::RowProperties>& stated) {
    using Rule = rovuvuz::RowProperties::HeightRule;
    std::vector<qreal> out(size_t(std::max(rows, 0)), 0);
    for (size_t i = 0; i < places.size() && i < heights.size(); ++i) {
        const Place& place = places[i];
        if (place.continues || place.row < 0 || place.row >= rows) continue;
        out[size_t(place.row)] = std::max(out[size_t(place.row)], heights[i]);
    }
    for (size_t r = 0; r < out.size() && r < stated.size(); ++r) {
        // A height of nothing (or less) leaves the row to its content, as automatic does.
        if (!stated[r].height || !(*stated[r].height > 0) || stated[r].heightRule == Rule::automatic) continue;
        const qreal height = displayed(*stated[r].height, tallestStatedRow);
        out[r] = stated[r].heightRule == Rule::exact ? height : std::max(out[r], height);
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

}  // namespace tovin::TableGeometry
