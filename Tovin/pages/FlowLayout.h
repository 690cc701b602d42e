// The lines of a PageText placed one below another in a column of a given width, with the
// document's line heights (WordLineHeights), paragraph spacing and indents, and tables as
// grids of cells side by side. Each paragraph's QTextLayout breaks its lines; this places
// them and records, for the body, the units pagination works with. Coordinates are those of
// the column: x from its left edge, y from the top of the text, in display points.
#pragma once

#include <QPointF>
#include <QRectF>
#include <optional>
#include <set>
#include <vector>

#include "Tovin/pages/PageText.h"
#include "Tovin/pages/Pagination.h"
#include "Tovin/pages/WordLineHeights.h"

class QPainter;
class QTextBlock;
class QTextLine;

namespace tovin {

struct LaidLine {
    int block = 0;  // the Qt block and the line in its layout
    int index = 0;
    qreal top = 0;  // the line's fragment: the line with its paragraph's spacing around it
    qreal bottom = 0;
    int piece = 0;  // the text it is in, for a layout joined from pieces
};

// A table cell's frame with what is drawn around and under it.
struct CellFrame {
    QRectF frame;
    rovuvuz::CellBorders borders;
    std::optional<QColor> fill;
};

class FlowLayout {
  public:
    enum class Units { none, body };

    // Lays `text` out; `Units::body` also records the units of the body. Floats are placed
    // in `frame`, or in a page the size of the text without one.
    static FlowLayout lay(const PageText& text, qreal width, WordLineHeights& heights, Units units,
                          const FloatFrame* frame = nullptr);
    // Lays out a piece of a text (PageText::assembleInPieces) that follows another: its
    // first paragraph keeps its space before. A piece's lines do not depend on where it
    // starts, so pieces can be laid out at once, each on its own thread, and joined.
    static FlowLayout layFollowing(const PageText& piece, qreal width, WordLineHeights& heights, Units units);
    // The pieces' layouts one below another, as the whole text's layout would be.
    static FlowLayout join(std::vector<FlowLayout> pieces);

    const std::vector<LaidLine>& lines() const { return lines_; }
    // The note references of the lines, as (line, note id) in line order.
    const std::vector<std::pair<int, qint64>>& noteRefs() const { return noteRefs_; }
    std::vector<Unit>& units() { return units_; }
    qreal height() const { return height_; }
    // The space after the text's last paragraph, included in its height.
    qreal trailingSpace() const { return trailingSpace_; }
    // The space before the first paragraph, left out at the top of the text.
    qreal firstSpace() const { return firstSpace_; }

    // Draws a range of lines at `origin` (the column's top left in the painter's
    // coordinates) and the table grid between `top` and `bottom`; with `cut`, only the lines
    // reaching in between.
    void draw(QPainter& painter, QPointF origin, LineRange range, qreal top, qreal bottom, bool cut) const;
    // Draws every line and the whole grid.
    void drawAll(QPainter& painter, QPointF origin) const;

    // The lines a column break starts.
    const std::set<int>& columnStarts() const { return columnStarts_; }
    // The floats, placed in the text's coordinates.
    const std::vector<PlacedFloat>& floats() const { return floats_; }
    // Whether a float that moves text stands where its page puts it, which the page breaks
    // decide.
    bool hasPageFloats() const;
    enum class Layer { behind, front };
    // Draws the floats anchored in a range of lines, each kept inside `page` when given.
    void drawFloats(QPainter& painter, QPointF origin, LineRange range, Layer layer,
                    const std::optional<QRectF>& page) const;

  private:
    static FlowLayout layText(const PageText& text, qreal width, WordLineHeights& heights, Units units,
                              const FloatFrame* frame, bool textTop);
    friend class Layouter;
    // The texts its lines are in, and how far down each one's own coordinates start.
    std::vector<const PageText*> texts_;
    std::vector<qreal> shifts_;
    int tables_ = 0;
    std::vector<LaidLine> lines_;
    std::vector<Unit> units_;
    std::vector<std::pair<int, qint64>> noteRefs_;
    std::vector<CellFrame> cells_;
    std::vector<PlacedFloat> floats_;
    std::set<int> columnStarts_;
    qreal height_ = 0;
    qreal firstSpace_ = 0;
    qreal trailingSpace_ = 0;

    enum class Grid { fills, borders };
    void drawGrid(QPainter& painter, QPointF origin, qreal top, qreal bottom, Grid part) const;
    void drawLeaders(QPainter& painter, QPointF origin, const PageText& piece, const QTextBlock& block,
                     const QTextLine& line) const;
    static void drawLeader(QPainter& painter, QPointF from, qreal width, rovuvuz::TabStop::Leader leader,
                           const QTextCharFormat& format, QPaintDevice* device);
};

}  // namespace tovin
