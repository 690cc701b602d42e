#include "Tovin/pages/Floats.h"

#include <algorithm>
#include <cmath>

#include "Tovin/text/DisplayUnits.h"

namespace tovin::Floats {

namespace {

using Position = rovuvuz::DrawingSnapshot::Position;

qreal offsetOf(const Position& position) {
    const double offset = position.offset.value_or(0) * displayScale;
    return std::isfinite(offset) ? std::clamp<qreal>(offset, -1e6, 1e6) : 0;
}

// Where `extent` stands in [from, to] by the position's alignment, or at its offset from
// `from` when it has none (ST_AlignH, ST_AlignV: inside is the start, outside the end).
qreal along(const Position& position, qreal from, qreal to, qreal extent) {
    if (!position.align) return from + offsetOf(position);
    const std::string& align = *position.align;
    if (align == "center") return (from + to - extent) / 2;
    if (align == "right" || align == "bottom" || align == "outside") return to - extent;
    return from;
}

// The horizontal area a position is relative to (ST_RelFromH), in column coordinates.
std::pair<qreal, qreal> across(const std::string& from, const FloatFrame& frame) {
    const qreal pageLeft = -frame.columnLeft;
    const qreal pageRight = frame.pageWidth - frame.columnLeft;
    if (from == "page") return {pageLeft, pageRight};
    if (from == "leftMargin" || from == "insideMargin") return {pageLeft, 0};
    if (from == "rightMargin" || from == "outsideMargin") return {frame.columnWidth, pageRight};
    // column, margin, character and anything unknown: the column.
    return {0, frame.columnWidth};
}

// Keeps [at, at + extent) inside [from, to] where it fits, else at `from`.
qreal inside(qreal at, qreal extent, qreal from, qreal to) {
    return std::max(from, std::min(at, to - extent));
}

}  // namespace

QMarginsF insets(const rovuvuz::TextFrame& frame) {
    // Wider insets than this are a damaged file's: the text keeps room to stand.
    const qreal widest = 144;
    auto side = [widest](double points) {
        const double shown = points * displayScale;
        return std::isfinite(shown) ? std::clamp<qreal>(shown, 0, widest) : 0;
    };
    return QMarginsF(side(frame.left), side(frame.top), side(frame.right), side(frame.bottom));
}

bool wraps(const Floater& floater) {
    using Wrap = rovuvuz::DrawingSnapshot::Wrap;
    return floater.wrap == Wrap::square || floater.wrap == Wrap::topAndBottom;
}

QRectF place(const Floater& floater, QSizeF size, const FloatFrame& frame, qreal paragraphTop) {
    const auto [left, right] = across(floater.horizontal.relativeFrom, frame);
    qreal x = along(floater.horizontal, left, right, size.width());
    x = inside(x, size.width(), -frame.columnLeft, frame.pageWidth - frame.columnLeft);

    const std::string& from = floater.vertical.relativeFrom;
    qreal y = 0;
    if (from == "page" || from == "margin" || from == "topMargin" || from == "bottomMargin") {
        // Measured on the page that holds the anchor, then taken into the text's coordinates.
        const qreal textBottom = frame.textTop + frame.textHeight;
        qreal areaTop = 0, areaBottom = frame.pageHeight;
        if (from == "margin") areaTop = frame.textTop, areaBottom = textBottom;
        if (from == "topMargin") areaBottom = frame.textTop;
        if (from == "bottomMargin") areaTop = textBottom;
        qreal onPage = along(floater.vertical, areaTop, areaBottom, size.height());
        onPage = inside(onPage, size.height(), 0, frame.pageHeight);
        const qreal pageTop = frame.pageTop ? frame.pageTop(paragraphTop)
                              : frame.textHeight > 0
                                  ? std::floor(std::max<qreal>(paragraphTop, 0) / frame.textHeight) * frame.textHeight
                                  : 0;
        y = pageTop + onPage - frame.textTop;
    } else {
        // paragraph, line and anything unknown: from the anchor paragraph's top, kept
        // within a page's reach of it.
        y = paragraphTop + std::clamp<qreal>(offsetOf(floater.vertical), -frame.pageHeight, frame.pageHeight);
    }
    return {x, y, size.width(), size.height()};
}

std::optional<Room> room(const std::vector<std::pair<QRectF, bool>>& areas, qreal top, qreal bottom, qreal width,
                         qreal& below) {
    Room out{0, width};
    below = top;
    bool blocked = false;
    for (const auto& [area, square] : areas) {
        if (area.bottom() <= top || area.top() >= bottom) continue;
        if (area.right() <= 0 || area.left() >= width) continue;
        if (square) {
            // The float stands on the side of the column its middle is on; the line takes
            // the other.
            if (area.center().x() < width / 2)
                out.left = std::max(out.left, area.right());
            else
                out.right = std::min(out.right, area.left());
        }
        if (!square || out.right - out.left < narrowestBeside) {
            blocked = true;
            below = std::max(below, area.bottom());
        }
    }
    if (blocked) return std::nullopt;
    return out;
}

}  // namespace tovin::Floats
