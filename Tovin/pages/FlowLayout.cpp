#include "Tovin/pages/FlowLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "Tovin/pages/PaperText.h"
#include "Tovin/pages/ShapeFrames.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/Attachments.h"
#include "Tovin/text/BorderLines.h"
#include "Tovin/text/DoubleUnderline.h"
#include "Tovin/text/TabPositions.h"
#include "Tovin/text/TextAttachment.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

// The narrowest a line is given, however deep the indents.
constexpr qreal narrowestLine = 1;
// How far text set against a right or centre stop may reach past the line's end: Qt
// measures the text after such a stop a pixel short of where it draws it at some sizes.
constexpr qreal tabSlack = 2;

struct Fragment {
    int start = 0;  // in the block
    int end = 0;
    QFont font;
    bool attachment = false;
    std::optional<qint64> note;  // a note reference's id
};

// A line that Qt broke right after a tab, though the text aligned to the stop ends at the
// margin (a header's right stop at the margin), is given the slack to keep that text:
// Word sets it on the line the tab is on.
void keepTabbedText(QTextLine& line, const QString& text, qreal width) {
    const int end = line.textStart() + line.textLength();
    if (end <= 0 || end >= text.size() || text[end - 1] != QLatin1Char('\t')) return;
    line.setLineWidth(width + tabSlack);
    if (line.naturalTextWidth() > width + tabSlack) line.setLineWidth(width);
}

std::vector<Fragment> fragments(const QTextBlock& block) {
    std::vector<Fragment> out;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const QTextCharFormat format = fragment.charFormat();
        const int start = fragment.position() - block.position();
        const bool object = format.objectType() == attachmentObjectType;
        std::optional<qint64> note;
        if (format.hasProperty(noteIdProperty))
            note = format.property(noteIdProperty).toLongLong();
        else if (object)
            if (const auto* ref = dynamic_cast<const NoteRefAttachment*>(attachmentOf(format).get()))
                note = ref->number();
        out.push_back({start, start + fragment.length(), format.font(), object, note});
    }
    return out;
}

QTextOption optionFor(const QTextBlockFormat& format, qreal defaultTab) {
    QTextOption option(format.alignment());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(TabPositions::defaultDistance(defaultTab));
    const QList<QTextOption::Tab> tabs = format.tabPositions();
    if (!tabs.isEmpty()) option.setTabs(tabs);
    return option;
}

}  // namespace

class Layouter {
  public:
    Layouter(FlowLayout& out, const PageText& text, WordLineHeights& heights, bool units, const FloatFrame& frame)
        : out_(out), text_(text), heights_(heights), units_(units), frame_(frame) {
        for (size_t i = 0; i < text.floats.size(); ++i) anchored_.emplace(text.floats[i].block, i);
    }

    qreal items(const std::vector<FlowItem>& items, qreal x, qreal y, qreal width, bool body, bool textTop) {
        for (const FlowItem& item : items) {
            if (const auto* paragraph = std::get_if<FlowParagraph>(&item)) {
                y = this->paragraph(*paragraph, x, y, width, body, textTop);
            } else {
                y = table(*std::get<std::shared_ptr<FlowTable>>(item), x, y, body);
            }
            textTop = false;
        }
        return y;
    }

  private:
    // A line's height and the distance from its baseline to its bottom.
    WordLineHeights::Line measure(const QTextLine& line, const QTextBlockFormat& format,
                                  const std::vector<Fragment>& pieces, size_t& from) {
        const WordLineHeights::Line natural{line.ascent() + line.descent(), line.descent()};
        if (format.lineHeightType() == QTextBlockFormat::FixedHeight)
            return {format.lineHeight(), line.descent()};
        const int start = line.textStart();
        const int end = start + std::max(line.textLength(), 1);
        std::vector<QFont> fonts;
        while (from < pieces.size() && pieces[from].end <= start) ++from;
        for (size_t i = from; i < pieces.size() && pieces[i].start < end; ++i) {
            if (pieces[i].attachment) return natural;
            fonts.push_back(pieces[i].font);
        }
        if (fonts.empty()) fonts.push_back(emptyFont_);
        const double multiple =
            format.lineHeightType() == QTextBlockFormat::ProportionalHeight ? format.lineHeight() / 100 : 1;
        return heights_.line(fonts, multiple).value_or(natural);
    }

    // The floats anchored in a paragraph whose text starts at `top`; those that wrap push
    // the lines of the body after them.
    void placeFloats(int block, qreal top, bool body) {
        for (auto [at, end] = anchored_.equal_range(block); at != end; ++at) {
            const Floater& floater = text_.floats[at->second];
            PlacedFloat placed;
            placed.floater = at->second;
            placed.line = static_cast<int>(out_.lines_.size());
            // Never larger than the page, nor, when it moves text, than the body: the lines
            // it pushes down find room on the next page.
            QSizeF size = floater.size.boundedTo(
                QSizeF(frame_.pageWidth, Floats::wraps(floater) ? frame_.textHeight : frame_.pageHeight));
            if (floater.box) {
                // A box that fits its shape to its text takes the text's height; any other
                // grows to show all of it.
                const QMarginsF inset = Floats::insets(floater.textFrame);
                const qreal inner = std::max<qreal>(size.width() - inset.left() - inset.right(), narrowestLine);
                placed.text = std::make_shared<FlowLayout>(
                    FlowLayout::lay(*floater.box, inner, heights_, FlowLayout::Units::none, nullptr));
                const qreal needed = placed.text->height() + inset.top() + inset.bottom();
                // Fitted as LibreOffice fits it: without the last paragraph's space after.
                if (floater.textFrame.autoFit)
                    size.setHeight(std::max<qreal>(needed - placed.text->trailingSpace(), 1));
                else
                    size.setHeight(std::max(size.height(), needed));
            }
            placed.box = Floats::place(floater, size, frame_, top);
            if (body && Floats::wraps(floater)) {
                const bool square = floater.wrap == rovuvuz::DrawingSnapshot::Wrap::square;
                const qreal side = square ? Floats::wrapGap : 0;
                QRectF area = placed.box.adjusted(-side, 0, side, 0);
                area.setHeight(std::min(area.height(), frame_.textHeight));
                areas_.emplace_back(area, square);
            }
            out_.floats_.push_back(std::move(placed));
        }
    }

    // A line's room beside the floats: its natural start and end in the column, the block's
    // text and the width it was first given.
    struct Beside {
        qreal start = 0;
        qreal end = 0;
        const QString& text;
        qreal width = 0;
    };

    // Narrows the line to the room beside the floats it meets, or moves it below them; gives
    // how far it moved down, and where it starts in `left`. `remeasure` measures the line
    // again after its width changes.
    template <typename Remeasure>
    qreal fitBesideFloats(QTextLine& line, const Beside& beside, qreal top, qreal& left, Remeasure remeasure) {
        qreal drop = 0, width = beside.width;
        left = beside.start;
        // Each round either settles or moves below a float: no more rounds than floats.
        for (size_t round = 0; round <= areas_.size() + 1; ++round) {
            const qreal lineTop = top + drop;
            const qreal lineBottom = lineTop + std::max<qreal>(line.height(), 1);
            qreal below = lineTop;
            const auto room = Floats::room(areas_, lineTop, lineBottom, beside.end, below);
            if (!room) {
                drop = below - top;
                continue;
            }
            const qreal from = std::max(beside.start, room->left);
            const qreal wanted = std::max(std::min(beside.end, room->right) - from, narrowestLine);
            if (std::abs(wanted - width) < 0.5 && std::abs(from - left) < 0.5) break;
            left = from;
            width = wanted;
            line.setLineWidth(width);
            keepTabbedText(line, beside.text, width);
            remeasure();
        }
        return drop;
    }

    qreal paragraph(const FlowParagraph& p, qreal x, qreal y, qreal width, bool body, bool textTop) {
        if (p.width) width = std::max(*p.width, narrowestLine);
        const QTextBlock block = text_.document->findBlockByNumber(p.block);
        if (!block.isValid()) return y;
        const QTextBlockFormat format = block.blockFormat();
        QTextLayout* layout = block.layout();
        layout->setTextOption(optionFor(format, text_.defaultTab));
        // The glyphs shaped to break the lines are kept for drawing them: without the cache
        // Qt drops them at the end of the layout and shapes every line again as it draws.
        layout->setCacheEnabled(true);
        const std::vector<Fragment> pieces = fragments(block);
        emptyFont_ = block.charFormat().font();
        const QString text = block.text();
        const int length = static_cast<int>(text.size());
        const qreal above = textTop ? 0 : p.spaceBefore;
        if (textTop && body) out_.firstSpace_ = p.spaceBefore;
        placeFloats(p.block, y + above, body);

        layout->beginLayout();
        size_t from = 0;
        for (int index = 0;; ++index) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) break;
            const bool first = index == 0;
            const qreal start = format.leftMargin() + (first ? format.textIndent() : 0);
            const qreal lineWidth = std::max(width - start - format.rightMargin(), narrowestLine);
            line.setLineWidth(lineWidth);
            keepTabbedText(line, text, lineWidth);
            WordLineHeights::Line size = measure(line, format, pieces, from);
            const qreal top = y;
            const qreal spaceAbove = first ? above : 0;
            qreal drop = 0, left = x + start;
            if (body && !areas_.empty()) {
                const Beside beside{start, width - format.rightMargin(), text, lineWidth};
                drop = fitBesideFloats(line, beside, top + spaceAbove, left,
                                       [&] { return size = measure(line, format, pieces, from); });
                left += x;
            }
            const bool last = line.textStart() + line.textLength() >= length;
            const qreal spaceBelow = last ? p.spaceAfter : 0;
            const qreal baseline = top + spaceAbove + drop + size.height - size.descent;
            line.setPosition(QPointF(left, baseline - line.ascent()));
            y = top + spaceAbove + drop + size.height + spaceBelow;
            const int lineNumber = static_cast<int>(out_.lines_.size());
            // A line moved below a float starts there: a page break may fall in the space
            // the float takes, and the line then stands at the next page's top.
            out_.lines_.push_back({p.block, index, top + drop, y});
            for (const Fragment& piece : pieces)
                if (piece.note && piece.start >= line.textStart() &&
                    piece.start < line.textStart() + std::max(line.textLength(), 1))
                    out_.noteRefs_.emplace_back(lineNumber, *piece.note);
            if (body && units_) {
                Unit unit;
                unit.lines = {lineNumber, lineNumber + 1};
                unit.top = top + drop;
                unit.bottom = y;
                unit.fit = y - spaceBelow;
                unit.rules = p.rules;
                unit.first = first;
                unit.last = last;
                unit.startsPage = first ? p.startsPage
                                        : std::find(p.pageStarts.begin(), p.pageStarts.end(),
                                                    line.textStart()) != p.pageStarts.end();
                // A column break starts the next piece too; pages say whether it is a new
                // column or, in a single column, a new page.
                if (!first && !unit.startsPage &&
                    std::find(p.columnStarts.begin(), p.columnStarts.end(), line.textStart()) != p.columnStarts.end()) {
                    unit.startsPage = true;
                    out_.columnStarts_.insert(lineNumber);
                }
                unit.lift = first ? p.lift : 0;
                unit.space = spaceAbove;
                out_.units_.push_back(std::move(unit));
            }
            if (last) break;
        }
        layout->endLayout();
        return y;
    }

    qreal table(const FlowTable& t, qreal x, qreal y, bool body) {
        const int tableNumber = out_.tables_++;
        const int rows = t.rows;
        if (rows <= 0) return y;
        std::vector<qreal> rowTop(rows), rowBottom(rows);
        std::vector<int> rowLines(rows + 1), reach(rows);
        std::vector<std::pair<int, qreal>> spanning;  // (last row, content bottom)
        size_t cell = 0;
        for (int r = 0; r < rows; ++r) {
            rowTop[r] = r == 0 ? y : rowBottom[r - 1];
            rowLines[r] = static_cast<int>(out_.lines_.size());
            qreal bottom = rowTop[r] + 2 * PageText::cellBorder;
            reach[r] = r;
            for (; cell < t.cells.size() && t.cells[cell].row == r; ++cell) {
                const FlowCell& c = t.cells[cell];
                const QMarginsF& pad = c.padding;
                const qreal end = items(c.items, x + c.x + pad.left(), rowTop[r] + pad.top(),
                                        std::max(c.width - pad.left() - pad.right(), narrowestLine), false,
                                        false) +
                                  pad.bottom();
                const int lastRow = std::min(r + c.rowSpan - 1, rows - 1);
                reach[r] = std::max(reach[r], lastRow);
                if (lastRow == r)
                    bottom = std::max(bottom, end);
                else
                    spanning.emplace_back(lastRow, end);
            }
            for (const auto& [lastRow, end] : spanning)
                if (lastRow == r) bottom = std::max(bottom, end);
            // A stated height: at least it, or exactly it (the text beyond is cut by the
            // next row drawn over it).
            if (static_cast<size_t>(r) < t.heights.size() && t.heights[r].height > 0) {
                const qreal stated = rowTop[r] + t.heights[r].height;
                bottom = t.heights[r].exact ? stated : std::max(bottom, stated);
            }
            rowBottom[r] = bottom;
        }
        rowLines[rows] = static_cast<int>(out_.lines_.size());
        for (const FlowCell& c : t.cells) {
            const int lastRow = std::min(c.row + c.rowSpan - 1, rows - 1);
            out_.cells_.push_back(
                {QRectF(x + c.x, rowTop[c.row], c.width, rowBottom[lastRow] - rowTop[c.row]), c.borders, c.fill});
        }
        if (body && units_) rowUnits(t, tableNumber, rowTop, rowBottom, rowLines, reach);
        return rowBottom.back();
    }

    // One unit per row, or per run of rows that vertically merged cells hold together.
    void rowUnits(const FlowTable& t, int tableNumber, const std::vector<qreal>& rowTop,
                  const std::vector<qreal>& rowBottom, const std::vector<int>& rowLines,
                  const std::vector<int>& reach) {
        const int rows = static_cast<int>(rowTop.size());
        for (int r = 0; r < rows;) {
            int through = reach[r];
            for (int q = r; q <= through; ++q) through = std::max(through, reach[q]);
            Unit unit;
            unit.lines = {rowLines[r], rowLines[through + 1]};
            unit.top = rowTop[r];
            unit.fit = unit.bottom = rowBottom[through];
            unit.first = unit.last = true;
            unit.startsPage = r == 0 && t.startsPage;
            unit.row = Unit::Row{tableNumber, through};
            for (int l = unit.lines.first; l < unit.lines.end; ++l)
                unit.rowLines.emplace_back(out_.lines_[l].top, out_.lines_[l].bottom);
            out_.units_.push_back(std::move(unit));
            r = through + 1;
        }
    }

    FlowLayout& out_;
    const PageText& text_;
    WordLineHeights& heights_;
    bool units_;
    const FloatFrame& frame_;
    std::unordered_multimap<int, size_t> anchored_;  // Qt block → floats anchored there
    std::vector<std::pair<QRectF, bool>> areas_;     // wrapping floats, and whether square
    QFont emptyFont_;
};

namespace {

qreal trailingSpaceOf(const PageText& text, qreal height) {
    if (text.items.empty()) return 0;
    const auto* last = std::get_if<FlowParagraph>(&text.items.back());
    return last ? std::clamp<qreal>(last->spaceAfter, 0, height) : 0;
}

}  // namespace

FlowLayout FlowLayout::lay(const PageText& text, qreal width, WordLineHeights& heights, Units units,
                           const FloatFrame* frame) {
    return layText(text, width, heights, units, frame, true);
}

FlowLayout FlowLayout::layFollowing(const PageText& piece, qreal width, WordLineHeights& heights, Units units) {
    return layText(piece, width, heights, units, nullptr, false);
}

// `textTop`: the text's first paragraph stands at the top of its text, where Word drops
// its space before; a piece that follows another keeps it.
FlowLayout FlowLayout::layText(const PageText& text, qreal width, WordLineHeights& heights, Units units,
                               const FloatFrame* frame, bool textTop) {
    FlowLayout out;
    out.texts_ = {&text};
    out.shifts_ = {0};
    FloatFrame column;
    column.pageWidth = column.columnWidth = width;
    column.pageHeight = column.textHeight = 1e6;
    Layouter layouter(out, text, heights, units == Units::body, frame ? *frame : column);
    out.height_ = layouter.items(text.items, 0, 0, std::max(width, narrowestLine), true, textTop);
    out.trailingSpace_ = trailingSpaceOf(text, out.height_);
    return out;
}

FlowLayout FlowLayout::join(std::vector<FlowLayout> pieces) {
    if (pieces.size() == 1) return std::move(pieces.front());
    FlowLayout out;
    if (pieces.empty()) return out;
    qreal y = 0;
    int lineBase = 0;
    for (size_t k = 0; k < pieces.size(); ++k) {
        FlowLayout& piece = pieces[k];
        out.texts_.push_back(piece.texts_.front());
        out.shifts_.push_back(y);
        for (LaidLine line : piece.lines_) {
            line.piece = static_cast<int>(k);
            line.top += y;
            line.bottom += y;
            out.lines_.push_back(line);
        }
        for (Unit& unit : piece.units_) {
            unit.lines = {unit.lines.first + lineBase, unit.lines.end + lineBase};
            unit.top += y;
            unit.fit += y;
            unit.bottom += y;
            if (unit.row) unit.row->table += out.tables_;
            for (auto& [top, bottom] : unit.rowLines) {
                top += y;
                bottom += y;
            }
            out.units_.push_back(std::move(unit));
        }
        for (const auto& [line, note] : piece.noteRefs_) out.noteRefs_.emplace_back(line + lineBase, note);
        for (CellFrame cell : piece.cells_) {
            cell.frame.translate(0, y);
            out.cells_.push_back(std::move(cell));
        }
        for (int line : piece.columnStarts_) out.columnStarts_.insert(line + lineBase);
        lineBase += static_cast<int>(piece.lines_.size());
        out.tables_ += piece.tables_;
        y += piece.height_;
    }
    // Only a whole text has floats (assembleInPieces keeps a text with floats whole).
    out.floats_ = std::move(pieces.front().floats_);
    out.height_ = y;
    out.firstSpace_ = pieces.front().firstSpace_;
    out.trailingSpace_ = trailingSpaceOf(*out.texts_.back(), y);
    return out;
}

void FlowLayout::draw(QPainter& painter, QPointF origin, LineRange range, qreal top, qreal bottom,
                      bool cut) const {
    if (texts_.empty()) return;
    const int first = std::clamp(range.first, 0, static_cast<int>(lines_.size()));
    const int end = std::clamp(range.end, first, static_cast<int>(lines_.size()));
    drawGrid(painter, origin, top, bottom, Grid::fills);
    QTextBlock block;
    int piece = -1;
    for (int i = first; i < end; ++i) {
        const LaidLine& line = lines_[i];
        if (cut && !(line.bottom > top && line.top < bottom)) continue;
        const PageText& text = *texts_[static_cast<size_t>(line.piece)];
        if (!block.isValid() || piece != line.piece || block.blockNumber() != line.block)
            block = text.document->findBlockByNumber(line.block);
        piece = line.piece;
        if (!block.isValid() || !block.layout() || line.index >= block.layout()->lineCount()) continue;
        const QTextLine laid = block.layout()->lineAt(line.index);
        // A piece's lines stand in its own coordinates.
        const QPointF at = origin + QPointF(0, shifts_[static_cast<size_t>(line.piece)]);
        laid.draw(&painter, at);
        drawLeaders(painter, at, text, block, laid);
        if (text.underlined.count(line.block)) DoubleUnderline::draw(painter, block, laid, at);
    }
    drawGrid(painter, origin, top, bottom, Grid::borders);
}

namespace {

// The format of the character at `offset` in `block`.
QTextCharFormat formatAt(const QTextBlock& block, int offset) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.position() - block.position() + fragment.length() > offset) return fragment.charFormat();
    }
    return block.charFormat();
}

}  // namespace

// Qt leaves a tab's space empty; a stop with a leader fills the space before it with dots,
// dashes or a line along the baseline.
void FlowLayout::drawLeaders(QPainter& painter, QPointF origin, const PageText& piece, const QTextBlock& block,
                             const QTextLine& line) const {
    const auto found = piece.leaders.find(block.blockNumber());
    if (found == piece.leaders.end()) return;
    const QString text = block.text();
    const int end = std::min<int>(line.textStart() + line.textLength(), static_cast<int>(text.size()));
    const qreal start = block.layout()->lineAt(0).x();
    for (int i = line.textStart(); i < end; ++i) {
        if (text[i] != QLatin1Char('\t')) continue;
        const qreal x0 = line.cursorToX(i);
        const qreal x1 = line.cursorToX(i + 1);
        // The stop a tab goes to is the first one past where it starts.
        const auto stop = std::find_if(found->second.begin(), found->second.end(),
                                       [&](const TabLeader& leader) { return start + leader.position > x0 + 0.5; });
        if (stop == found->second.end() || stop->leader == rovuvuz::TabStop::Leader::none || x1 - x0 < 4) continue;
        drawLeader(painter, QPointF(origin.x() + x0, origin.y() + line.y() + line.ascent()), x1 - x0,
                   stop->leader, formatAt(block, i), piece.document->documentLayout()->paintDevice());
    }
}

// Word fills a leader with the tab's own font: dots, middle dots and hyphens are that
// font's characters, set flush against the stop; the underscore and heavy leaders are
// rules along the baseline.
void FlowLayout::drawLeader(QPainter& painter, QPointF from, qreal width, rovuvuz::TabStop::Leader leader,
                            const QTextCharFormat& format, QPaintDevice* device) {
    using Leader = rovuvuz::TabStop::Leader;
    painter.save();
    const QColor colour = format.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : format.foreground().color();
    if (leader == Leader::underscore || leader == Leader::heavy) {
        painter.setPen(QPen(colour, leader == Leader::heavy ? 1.5 : 0.75));
        painter.drawLine(from + QPointF(2, 1), from + QPointF(width - 2, 1));
    } else {
        const QChar mark = leader == Leader::hyphen ? QLatin1Char('-')
                           : leader == Leader::middleDot ? QChar(0x00B7)
                                                         : QLatin1Char('.');
        // Set through a text layout on the document's own device, as the lines are, so
        // that the marks have the text's size on the screen and in a PDF alike.
        const QFont font = format.font();
        QTextLayout marks(QString(mark), font, device);
        marks.beginLayout();
        QTextLine one = marks.createLine();
        marks.endLayout();
        const qreal advance = one.isValid() ? one.naturalTextWidth() : 0;
        const int count = advance > 0 ? static_cast<int>(std::min<qreal>(width / advance, 2000)) : 0;
        if (count > 0) {
            marks.setText(QString(count, mark));
            marks.beginLayout();
            QTextLine line = marks.createLine();
            marks.endLayout();
            painter.setPen(colour);
            line.setPosition(QPointF(0, -line.ascent()));
            marks.draw(&painter, from + QPointF(width - count * advance, 0));
        }
    }
    painter.restore();
}

void FlowLayout::drawAll(QPainter& painter, QPointF origin) const {
    const LineRange all{0, static_cast<int>(lines_.size())};
    drawFloats(painter, origin, all, Layer::behind, std::nullopt);
    draw(painter, origin, all, 0, height_, false);
    drawFloats(painter, origin, all, Layer::front, std::nullopt);
}

namespace {

// How far a box's text stands below its top inset: a box taller than its text puts the
// text in its middle or at its bottom when its body says so.
qreal anchorDrop(const rovuvuz::TextFrame& frame, const QRectF& box, const QMarginsF& inset, qreal textHeight) {
    const qreal room = std::max<qreal>(box.height() - inset.top() - inset.bottom() - textHeight, 0);
    if (frame.anchor == rovuvuz::TextFrame::Anchor::center) return room / 2;
    if (frame.anchor == rovuvuz::TextFrame::Anchor::bottom) return room;
    return 0;
}

}  // namespace

bool FlowLayout::hasPageFloats() const {
    if (texts_.empty()) return false;
    return std::any_of(floats_.begin(), floats_.end(), [&](const PlacedFloat& placed) {
        const Floater& floater = texts_.front()->floats[placed.floater];
        const std::string& from = floater.vertical.relativeFrom;
        return Floats::wraps(floater) && (from == "page" || from == "margin" || from == "topMargin" || from == "bottomMargin");
    });
}

void FlowLayout::drawFloats(QPainter& painter, QPointF origin, LineRange range, Layer layer,
                            const std::optional<QRectF>& page) const {
    if (texts_.empty()) return;
    for (const PlacedFloat& placed : floats_) {
        if (placed.line < range.first || placed.line >= range.end) continue;
        const Floater& floater = texts_.front()->floats[placed.floater];
        const bool behind = floater.wrap == rovuvuz::DrawingSnapshot::Wrap::behind;
        if (behind != (layer == Layer::behind)) continue;
        QRectF box = placed.box.translated(origin);
        if (page) {
            // On its anchor's page, however far its offsets or its anchor's lines reach.
            box.moveLeft(std::max(page->left(), std::min(box.left(), page->right() - box.width())));
            box.moveTop(std::max(page->top(), std::min(box.top(), page->bottom() - box.height())));
        }
        painter.save();
        if (floater.picture) floater.picture->draw(painter, box);
        if (placed.text) {
            if (floater.look) {
                ShapeFrames::drawLook(painter, *floater.look, box);
            } else {
                if (!behind) painter.fillRect(box, Qt::white);
                painter.setPen(QPen(Qt::black, 0.75));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(box.adjusted(0.375, 0.375, -0.375, -0.375));
            }
            painter.setPen(Qt::black);
            const QMarginsF inset = Floats::insets(floater.textFrame);
            placed.text->drawAll(painter, box.topLeft() + QPointF(inset.left(), inset.top() + anchorDrop(
                                                                                     floater.textFrame, box, inset,
                                                                                     placed.text->height())));
        }
        painter.restore();
    }
}

// Fills go under the text and borders over it.
void FlowLayout::drawGrid(QPainter& painter, QPointF origin, qreal top, qreal bottom, Grid part) const {
    if (cells_.empty()) return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    // Only the part of the grid between top and bottom: a row cut by the page shows its
    // part on each page.
    painter.setClipRect(QRectF(origin.x() - 8, origin.y() + top - 4, 1e6, bottom - top + 8), Qt::IntersectClip);
    for (const CellFrame& cell : cells_) {
        if (cell.frame.bottom() <= top || cell.frame.top() >= bottom) continue;
        const QRectF f = cell.frame.translated(origin);
        if (part == Grid::fills) {
            if (cell.fill) painter.fillRect(f, *cell.fill);
            continue;
        }
        drawBorderSide(painter, cell.borders.top, f.topLeft(), f.topRight());
        drawBorderSide(painter, cell.borders.bottom, f.bottomLeft(), f.bottomRight());
        drawBorderSide(painter, cell.borders.left, f.topLeft(), f.bottomLeft());
        drawBorderSide(painter, cell.borders.right, f.topRight(), f.bottomRight());
    }
    painter.restore();
}

}  // namespace tovin
