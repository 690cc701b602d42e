#include "Tovin/editor/TableGridAttachment.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <numeric>

#include "Tovin/editor/AttributedBuilder.h"
#include "Tovin/editor/DisplayUnits.h"
#include "Tovin/editor/Theme.h"

namespace tovin {

namespace {

using rovuvuz::BlockSnapshot;
using rovuvuz::CellSnapshot;
using rovuvuz::ParagraphSnapshot;

constexpr QChar objectCharacter(0xFFFC);
// Nested tables deeper than this show no text: the grid is a preview, not a layout.
constexpr int deepestNesting = 8;

const ParagraphSnapshot* firstParagraph(const std::vector<BlockSnapshot>& blocks) {
    for (const BlockSnapshot& block : blocks)
        if (const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value)) return paragraph;
    return nullptr;
}

// The text a reader sees in some blocks: deletions and objects left out, one line per
// paragraph, nested tables' cells in order.
void appendText(const std::vector<BlockSnapshot>& blocks, QStringList& lines, int depth) {
    if (depth > deepestNesting) return;
    for (const BlockSnapshot& block : blocks) {
        if (const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value)) {
            QString line;
            for (const rovuvuz::Span& span : paragraph->spans) {
                if (span.revision && span.revision->kind == rovuvuz::RevisionKind::remove) continue;
                const size_t lower = std::min(span.range.lower, paragraph->text.size());
                const size_t upper = std::clamp(span.range.upper, lower, paragraph->text.size());
                line += QString::fromStdU16String(paragraph->text.substr(lower, upper - lower));
            }
            lines << line.remove(objectCharacter);
        } else if (const auto* table = std::get_if<rovuvuz::TableSnapshot>(&block.value)) {
            for (const auto& row : table->rows)
                for (const CellSnapshot& cell : row) appendText(cell.blocks, lines, depth + 1);
        }
    }
}

// Column widths at the display scale: the table's grid fitted to the column, or equal
// columns when the grid does not describe every column the rows use.
std::vector<qreal> columnWidths(const rovuvuz::TableSnapshot& table, qreal available) {
    int64_t count = static_cast<int64_t>(table.columns.size());
    for (const auto& row : table.rows) {
        int64_t spans = 0;
        for (const CellSnapshot& cell : row) spans += std::clamp<int64_t>(cell.gridSpan, 1, 64);
        count = std::max(count, spans);
    }
    count = std::clamp<int64_t>(count, 1, 512);
    available = std::max<qreal>(available, 40);
    if (static_cast<int64_t>(table.columns.size()) < count || table.columns.size() > 512)
        return std::vector<qreal>(count, available / count);
    std::vector<qreal> widths;
    for (double width : table.columns) widths.push_back(std::max<qreal>(width, 0) * displayScale);
    const qreal sum = std::accumulate(widths.begin(), widths.end(), qreal(0));
    if (sum <= 0) return std::vector<qreal>(count, available / count);
    if (sum > available)
        for (qreal& width : widths) width *= available / sum;
    return widths;
}

}  // namespace

TableGridAttachment::TableGridAttachment(const rovuvuz::TableSnapshot& table,
                                         const AttributedBuilder& builder) {
    const std::vector<qreal> widths = columnWidths(table, builder.columnWidth);
    std::vector<qreal> edges(1, 0);
    for (qreal width : widths) edges.push_back(edges.back() + width);
    const int columns = static_cast<int>(widths.size());

    qreal top = 0;
    for (const auto& row : table.rows) {
        if (top > tallest) break;
        const size_t firstCell = cells_.size();
        qreal rowHeight = 0;
        int column = 0;
        for (const CellSnapshot& cell : row) {
            if (column >= columns) break;
            const int span = static_cast<int>(std::clamp<int64_t>(cell.gridSpan, 1, columns - column));
            Cell shown;
            shown.continues = cell.vMerge == rovuvuz::VMerge::continues;
            const ParagraphSnapshot* first = firstParagraph(cell.blocks);
            const rovuvuz::RunFormat runFormat =
                first && !first->spans.empty() ? first->spans.front().format : rovuvuz::RunFormat{};
            shown.font = builder.attributes(runFormat, std::nullopt).font();
            if (!shown.continues) {
                QStringList lines;
                appendText(cell.blocks, lines, 0);
                shown.text = lines.join('\n');
            }
            const qreal left = edges[column], right = edges[column + span];
            const QRectF textRect =
                QFontMetricsF(shown.font)
                    .boundingRect(QRectF(0, 0, std::max<qreal>(right - left - 2 * padding, 1), tallest),
                                  Qt::TextWordWrap, shown.text.isEmpty() ? QStringLiteral(" ") : shown.text);
            rowHeight = std::max(rowHeight, textRect.height() + 2 * padding);
            shown.frame = QRectF(left, top, right - left, 0);
            cells_.push_back(std::move(shown));
            column += span;
        }
        for (size_t i = firstCell; i < cells_.size(); ++i) cells_[i].frame.setHeight(rowHeight);
        top += rowHeight;
    }
    size_ = QSizeF(edges.back(), std::max<qreal>(top, 1));
}

void TableGridAttachment::draw(QPainter& painter, const QRectF& box) const {
    const QPalette colours = QGuiApplication::palette();
    QColor rule = Theme::labelColor(Theme::Label::tertiary, colours);
    painter.translate(box.topLeft());
    for (const Cell& cell : cells_) {
        const QRectF frame = cell.frame;
        painter.setPen(QPen(rule, 0.75));
        painter.drawLine(frame.topLeft(), frame.bottomLeft());
        painter.drawLine(frame.topRight(), frame.bottomRight());
        painter.drawLine(frame.bottomLeft(), frame.bottomRight());
        if (!cell.continues) painter.drawLine(frame.topLeft(), frame.topRight());
        if (cell.text.isEmpty()) continue;
        painter.setFont(cell.font);
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(frame.adjusted(padding, padding, -padding, -padding), Qt::TextWordWrap, cell.text);
    }
}

}  // namespace tovin
