#include "Tovin/pages/FlowLayout.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "Tovin/pages/PaperText.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/Attachments.h"
#include "Tovin/text/BorderLines.h"
#include "Tovin/text/TextAttachment.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

// The closest default tab stops stand, so that an absurd w:defaultTabStop cannot make a
// line of thousands of stops.
constexpr qreal closestTabDistance = 4;
// The narrowest a line is given, however deep the indents.
constexpr qreal narrowestLine = 1;

struct Fragment {
    int start = 0;  // in the block
    int end = 0;
    QFont font;
    bool attachment = false;
    std::optional<qint64> note;  // a note reference's id
};

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
    option.setTabStopDistance(std::isfinite(defaultTab) ? std::max(defaultTab, closestTabDistance) : 45);
    const QList<QTextOption::Tab> tabs = format.tabPositions();
    if (!tabs.isEmpty()) option.setTabs(tabs);
    return option;
}

}  // namespace

class Layouter {
  public:
    Layouter(FlowLayout& out, const PageText& text, WordLineHeights& heights, bool units)
        : out_(out), text_(text), heights_(heights), units_(units) {}

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

    qreal paragraph(const FlowParagraph& p, qreal x, qreal y, qreal width, bool body, bool textTop) {
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
        const int length = static_cast<int>(block.text().size());
        const qreal above = textTop ? 0 : p.spaceBefore;
        if (textTop && body) out_.firstSpace_ = p.spaceBefore;

        layout->beginLayout();
        size_t from = 0;
        for (int index = 0;; ++index) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) break;
            const bool first = index == 0;
            const qreal start = format.leftMargin() + (first ? format.textIndent() : 0);
            line.setLineWidth(std::max(width - start - format.rightMargin(), narrowestLine));
            const bool last = line.textStart() + line.textLength() >= length;
            const WordLineHeights::Line size = measure(line, format, pieces, from);
            const qreal top = y;
            const qreal spaceAbove = first ? above : 0;
            const qreal spaceBelow = last ? p.spaceAfter : 0;
            const qreal baseline = top + spaceAbove + size.height - size.descent;
            line.setPosition(QPointF(x + start, baseline - line.ascent()));
            y = top + spaceAbove + size.height + spaceBelow;
            const int lineNumber = static_cast<int>(out_.lines_.size());
            out_.lines_.push_back({p.block, index, top, y});
            for (const Fragment& piece : pieces)
                if (piece.note && piece.start >= line.textStart() &&
                    piece.start < line.textStart() + std::max(line.textLength(), 1))
                    out_.noteRefs_.emplace_back(lineNumber, *piece.note);
            if (body && units_) {
                Unit unit;
                unit.lines = {lineNumber, lineNumber + 1};
                unit.top = top;
                unit.bottom = y;
                unit.fit = y - spaceBelow;
                unit.rules = p.rules;
                unit.first = first;
                unit.last = last;
                unit.startsPage = first ? p.startsPage
                                        : std::find(p.pageStarts.begin(), p.pageStarts.end(),
                                                    line.textStart()) != p.pageStarts.end();
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
        const int tableNumber = tables_++;
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
    int tables_ = 0;
    QFont emptyFont_;
};

FlowLayout FlowLayout::lay(const PageText& text, qreal width, WordLineHeights& heights, Units units) {
    FlowLayout out;
    out.text_ = &text;
    Layouter layouter(out, text, heights, units == Units::body);
    out.height_ = layouter.items(text.items, 0, 0, std::max(width, narrowestLine), true, true);
    if (!text.items.empty())
        if (const auto* last = std::get_if<FlowParagraph>(&text.items.back()))
            out.trailingSpace_ = std::clamp<qreal>(last->spaceAfter, 0, out.height_);
    return out;
}

void FlowLayout::draw(QPainter& painter, QPointF origin, LineRange range, qreal top, qreal bottom,
                      bool cut) const {
    if (!text_) return;
    const int first = std::clamp(range.first, 0, static_cast<int>(lines_.size()));
    const int end = std::clamp(range.end, first, static_cast<int>(lines_.size()));
    drawGrid(painter, origin, top, bottom, Grid::fills);
    QTextBlock block;
    for (int i = first; i < end; ++i) {
        const LaidLine& line = lines_[i];
        if (cut && !(line.bottom > top && line.top < bottom)) continue;
        if (!block.isValid() || block.blockNumber() != line.block)
            block = text_->document->findBlockByNumber(line.block);
        if (!block.isValid() || !block.layout() || line.index >= block.layout()->lineCount()) continue;
        const QTextLine laid = block.layout()->lineAt(line.index);
        laid.draw(&painter, origin);
        drawLeaders(painter, origin, block, laid);
    }
    drawGrid(painter, origin, top, bottom, Grid::borders);
}

// Qt leaves a tab's space empty; a stop with a leader fills the space before it with dots,
// dashes or a line along the baseline.
void FlowLayout::drawLeaders(QPainter& painter, QPointF origin, const QTextBlock& block,
                             const QTextLine& line) const {
    const auto found = text_->leaders.find(block.blockNumber());
    if (found == text_->leaders.end()) return;
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
        drawLeader(painter, QPointF(origin.x() + x0 + 2, origin.y() + line.y() + line.ascent()), x1 - x0 - 4,
                   stop->leader);
    }
}

void FlowLayout::drawLeader(QPainter& painter, QPointF from, qreal width, rovuvuz::TabStop::Leader leader) {
    using Leader = rovuvuz::TabStop::Leader;
    painter.save();
    painter.setPen(QPen(Qt::black, leader == Leader::heavy ? 1.5 : 0.75));
    switch (leader) {
        case Leader::underscore:
        case Leader::heavy:
            painter.drawLine(from + QPointF(0, 1), from + QPointF(width, 1));
            break;
        case Leader::hyphen:
            for (qreal x = 0; x + 3 <= width; x += 6)
                painter.drawLine(from + QPointF(x, -3), from + QPointF(x + 3, -3));
            break;
        default: {
            const qreal y = leader == Leader::middleDot ? -3.5 : -0.8;
            painter.setBrush(Qt::black);
            painter.setPen(Qt::NoPen);
            for (qreal x = width - 1; x >= 0; x -= 4) painter.drawEllipse(from + QPointF(x, y), 0.55, 0.55);
        }
    }
    painter.restore();
}

void FlowLayout::drawAll(QPainter& painter, QPointF origin) const {
    draw(painter, origin, {0, static_cast<int>(lines_.size())}, 0, height_, false);
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
