#include "Tovin/tables/TableView.h"

#include <QAction>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/LongestWord.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableEditor.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableMenu.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/StoryText.h"
#include "Tovin/text/TextProperties.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

using rovuvuz::BlockSnapshot;

// The guides where a cell has no border are fainter than the editor's hairlines.
constexpr qreal guideAlpha = 0.6;

// A cell's text height and its top and bottom padding. An empty cell is as tall as the
// empty line of its paragraph mark.
qreal cellHeight(QTextDocument& document, qreal textWidth, const TableGeometry::Padding& padding) {
    document.setTextWidth(textWidth);
    return std::ceil(document.size().height()) + padding.top + padding.bottom;
}

// Nested tables deeper than this add nothing to the reader's text.
constexpr int deepestText = 8;
constexpr QChar objectCharacter(0xFFFC);

void appendText(const std::vector<BlockSnapshot>& blocks, QStringList& lines, int depth) {
    if (depth > deepestText) return;
    for (const BlockSnapshot& block : blocks) {
        if (const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value)) {
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
                for (const rovuvuz::CellSnapshot& cell : row) appendText(cell.blocks, lines, depth + 1);
        }
    }
}

void appendText(const QTextDocument& document, QStringList& lines) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const auto revision = revisionProperty(fragment.charFormat(), TextProperty::revision);
            if (revision && revision->kind == rovuvuz::RevisionKind::remove) continue;
            if (const auto* table =
                    dynamic_cast<const TableAttachment*>(attachmentOf(fragment.charFormat()).get())) {
                line += table->view()->readerText();
                continue;
            }
            line += fragment.text();
        }
        lines << line.remove(objectCharacter);
    }
}

}  // namespace

QString TableView::readerText() const {
    if (!attachment_) return {};
    QStringList lines;
    for (const Cell& cell : cells_) {
        if (cell.place.continues) continue;
        if (cell.view)
            appendText(*cell.view->document(), lines);
        else
            appendText(snapshotOf(cell).blocks, lines, attachment_->context().depth);
    }
    return lines.join(QLatin1Char('\n'));
}

TableView::TableView(const TableAttachment& attachment, QWidget* parent)
    : QWidget(parent), attachment_(&attachment) {
    setObjectName(QStringLiteral("TableView"));
    hide();
    const std::vector<TableGeometry::Place> places = TableGeometry::places(attachment.table());
    cells_.reserve(places.size());
    for (const TableGeometry::Place& place : places) {
        while (rowStarts_.size() <= size_t(place.row)) rowStarts_.push_back(cells_.size());
        cells_.push_back(Cell{place, nullptr, nullptr, 0, -1});
    }
    while (rowStarts_.size() <= attachment.table().rows.size()) rowStarts_.push_back(cells_.size());
}

TableView::~TableView() {
    // The bridges go before their views.
    for (Cell& cell : cells_) cell.bridge.reset();
}

void TableView::detach() {
    attachment_ = nullptr;
    for (Cell& cell : cells_)
        if (cell.view) cell.view->detach();
}

int TableView::viewCount() const {
    return int(
        std::count_if(cells_.begin(), cells_.end(), [](const Cell& cell) { return cell.view != nullptr; }));
}

const rovuvuz::CellSnapshot& TableView::snapshotOf(const Cell& cell) const {
    return attachment_->table().rows[size_t(cell.place.row)][size_t(cell.place.cell)];
}

// ---- Layout ----

QSizeF TableView::layoutTable(qreal width) {
    if (!attachment_) return lastSize_;
    width = std::max<qreal>(width, 1);
    std::vector<TableGeometry::Place> places;
    places.reserve(cells_.size());
    for (const Cell& cell : cells_) places.push_back(cell.place);
    columnX_ = TableGeometry::columnEdges(attachment_->table(), places, width);
    std::vector<qreal> heights = measureAll();
    // Measuring found each cell's longest word: columns that would cut one are widened, and
    // the cells measured again at their new widths.
    std::vector<qreal> longest;
    longest.reserve(cells_.size());
    for (const Cell& cell : cells_) longest.push_back(cell.longest);
    const std::vector<qreal> balanced =
        TableGeometry::rebalance(columnX_, TableGeometry::columnNeeds(places, longest, columnX_.size() - 1), width);
    if (balanced != columnX_) {
        columnX_ = balanced;
        heights = measureAll();
    }
    rowHeights_ = TableGeometry::rowHeights(places, heights, int(attachment_->table().rows.size()),
                                            attachment_->table().rowProperties);
    rowTops_ = TableGeometry::rowTops(rowHeights_);
    sides_ = TableBorders::sides(attachment_->table(), places, columnX_, rowTops_);
    lastSize_ = TableGeometry::size(columnX_, rowTops_);
    layoutWidth_ = width;
    resize(lastSize_.toSize());
    placeViews();
    update();
    return lastSize_;
}

std::vector<qreal> TableView::measureAll() {
    std::vector<qreal> heights(cells_.size(), 0);
    for (size_t i = 0; i < cells_.size(); ++i)
        if (!cells_[i].place.continues) heights[i] = measure(cells_[i], textWidth(cells_[i].place));
    return heights;
}

qreal TableView::measure(Cell& cell, qreal textWidth) {
    const TableGeometry::Padding& padding = cell.place.padding;
    if (cell.view) {
        // The view's own wrap width, not the document's: a text view sets its document's
        // width from its own on every layout, and a view just made is 100 pixels wide until
        // it is placed, which measured its text as if wrapped there (a row drawn two or
        // three lines tall until the next edit in the table measured it again).
        if (cell.view->lineWrapColumnOrWidth() != int(textWidth)) cell.view->setLineWrapColumnOrWidth(int(textWidth));
        cell.height = cellHeight(*cell.view->document(), textWidth, padding);
        cell.longest = longestWord(*cell.view->document());
        cell.measuredAt = textWidth;
        return cell.height;
    }
    if (cell.measuredAt == textWidth) return cell.height;
    if (!scratch_) {
        scratch_ = std::make_unique<QTextDocument>();
        scratch_->setDocumentMargin(0);
        scratch_->setUndoRedoEnabled(false);
    }
    const TableContext& context = attachment_->context();
    AttributedBuilder builder = context.builder;
    builder.columnWidth = textWidth;
    builder = TableAttachment::liveTables(builder, TableEditorRef(), nullptr, context.depth + 1);
    StoryText::fill(*scratch_, snapshotOf(cell).blocks, builder);
    cell.height = cellHeight(*scratch_, textWidth, padding);
    cell.longest = longestWord(*scratch_);
    cell.measuredAt = textWidth;
    return cell.height;
}

void TableView::placeViews() {
    for (Cell& cell : cells_) {
        if (!cell.view) continue;
        if (cell.place.continues) {
            cell.view->hide();
            continue;
        }
        const size_t row = size_t(cell.place.row);
        const TableGeometry::Padding& padding = cell.place.padding;
        const qreal left = columnX_[std::min(size_t(cell.place.column), columnX_.size() - 1)] + padding.left;
        // A cell shorter than its row stands where its w:vAlign puts it.
        const qreal below = std::max<qreal>(rowHeights_[row] - cell.height, 0);
        const rovuvuz::CellAlign align = snapshotOf(cell).format.verticalAlign;
        const qreal drop = align == rovuvuz::CellAlign::bottom   ? below
                           : align == rovuvuz::CellAlign::center ? std::floor(below / 2)
                                                                 : 0;
        const qreal height = std::max<qreal>(rowHeights_[row] - padding.top - padding.bottom - drop, 0);
        cell.view->setGeometry(int(std::round(left)), int(std::round(rowTops_[row] + padding.top + drop)),
                               int(textWidth(cell.place)), int(std::floor(height)));
        cell.view->show();
    }
}

void TableView::cellChanged() {
    if (!attachment_ || !laidOut()) return;
    const QSizeF before = lastSize_;
    layoutTable(layoutWidth_);
    if (lastSize_ != before) attachment_->invalidate();
}

// Whole pixels, so that a cell is measured at the width its view lays its text out at.
qreal TableView::textWidth(const TableGeometry::Place& place) const {
    return std::floor(TableGeometry::textWidth(columnX_, place));
}

// ---- Cell views ----

std::pair<size_t, size_t> TableView::rowsMeeting(const QRectF& area) const {
    if (rowTops_.size() < 2) return {0, 0};
    const auto first = std::upper_bound(rowTops_.begin(), rowTops_.end() - 1, area.top());
    const auto last = std::upper_bound(rowTops_.begin(), rowTops_.end() - 1, area.bottom());
    const size_t from = first == rowTops_.begin() ? 0 : size_t(first - rowTops_.begin()) - 1;
    return {from, size_t(last - rowTops_.begin())};
}

void TableView::ensureViews(const QRectF& area) {
    if (!attachment_ || !laidOut()) return;
    const auto [from, to] = rowsMeeting(area);
    bool built = false;
    for (size_t row = from; row < to && row + 1 < rowStarts_.size(); ++row) {
        for (size_t i = rowStarts_[row]; i < rowStarts_[row + 1]; ++i) {
            Cell& cell = cells_[i];
            if (cell.view || cell.place.continues) continue;
            buildView(cell);
            built = true;
        }
    }
    if (built) cellChanged();
}

void TableView::showVisibleCells() {
    if (!isVisible()) return;
    const QRect visible = visibleRegion().boundingRect();
    if (visible.isEmpty()) return;
    ensureViews(QRectF(visible.adjusted(0, -viewMargin, 0, viewMargin)));
    releaseViews(QRectF(visible.adjusted(0, -keptMargin, 0, keptMargin)));
}

// A cell's view goes when it is far from the screen, unless its text was edited (the
// snapshot it would be rebuilt from is older) or it has the focus.
void TableView::releaseViews(const QRectF& kept) {
    const auto [from, to] = rowsMeeting(kept);
    for (size_t row = 0; row + 1 < rowStarts_.size(); ++row) {
        if (row >= from && row < to) continue;
        for (size_t i = rowStarts_[row]; i < rowStarts_[row + 1]; ++i) {
            Cell& cell = cells_[i];
            if (!cell.view || cell.edited || cell.view->hasFocus()) continue;
            cell.bridge.reset();
            delete cell.view.data();
        }
    }
}

void TableView::buildView(Cell& cell) {
    const TableContext& context = attachment_->context();
    const rovuvuz::CellSnapshot& snapshot = snapshotOf(cell);
    auto* view = new CellTextView(this, cell.place.row, cell.place.column, this);
    // Wrapped at the cell's text width, which the layout sets (measure).
    view->setLineWrapMode(QTextEdit::FixedPixelWidth);
    cell.view = view;
    const size_t inRow = attachment_->table().rows[size_t(cell.place.row)].size();
    const qreal width = attachment_->width() / qreal(std::max<size_t>(inRow, 1));
    if (TableEditor* editor = context.editor.get(); editor && editor->doc()) {
        const size_t index = size_t(&cell - cells_.data());
        cell.bridge = editor->makeBridge(context.builder.story, view, width, context.depth + 1);
        connect(cell.bridge.get(), &StoryBridge::edited, this, [this, index] {
            cells_[index].edited = true;
            if (!attachment_) return;
            if (TableEditor* owner = attachment_->context().editor.get())
                owner->cellEdited(attachment_->table().id, attachment_->context().builder.story);
            cellChanged();
        });
        cell.bridge->freshBlocks = [this, id = snapshot.id] { return freshBlocks(id); };
        cell.bridge->load(snapshot.blocks);
    } else {
        AttributedBuilder builder = context.builder;
        builder.columnWidth = width;
        StoryText::fill(*view->document(), snapshot.blocks,
                        TableAttachment::liveTables(builder, TableEditorRef(), view, context.depth + 1));
        view->setReadOnly(true);
    }
}

std::optional<std::vector<BlockSnapshot>> TableView::freshBlocks(rovuvuz::BlockID cell) const {
    if (!attachment_) return std::nullopt;
    const TableContext& context = attachment_->context();
    TableEditor* editor = context.editor.get();
    if (!editor || !editor->doc()) return std::nullopt;
    try {
        const rovuvuz::TableSnapshot table =
            editor->doc()->snapshot(attachment_->table().id, context.builder.story);
        for (const auto& row : table.rows)
            for (const rovuvuz::CellSnapshot& found : row)
                if (found.id == cell) return found.blocks;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

CellTextView* TableView::focusCell(size_t row, size_t column) {
    if (!attachment_ || cells_.empty() || rowStarts_.size() < 2) return nullptr;
    if (!laidOut()) layoutTable(attachment_->width() - TableAttachment::sideRoom);
    row = std::min(row, rowStarts_.size() - 2);
    if (rowStarts_[row] == rowStarts_[row + 1]) return nullptr;  // a row without cells
    size_t chosen = rowStarts_[row + 1] - 1;
    for (size_t i = rowStarts_[row]; i < rowStarts_[row + 1]; ++i) {
        const TableGeometry::Place& place = cells_[i].place;
        if (size_t(place.column) <= column && column < size_t(place.column + place.span)) chosen = i;
    }
    Cell& cell = cells_[chosen];
    if (!cell.view) {
        buildView(cell);
        cellChanged();
    }
    cell.view->show();
    cell.view->setFocus();
    QTextCursor start = cell.view->textCursor();
    start.movePosition(QTextCursor::Start);
    cell.view->setTextCursor(start);
    return cell.view;
}

namespace {

// Whether blocks hold a paragraph, directly (nothing) or inside a table (that table's ID).
std::optional<std::optional<rovuvuz::BlockID>> holder(const std::vector<BlockSnapshot>& blocks,
                                                      rovuvuz::ParagraphID paragraph, int depth) {
    for (const BlockSnapshot& block : blocks) {
        if (const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value)) {
            if (p->id == paragraph) return std::optional<rovuvuz::BlockID>();
        } else if (const auto* table = std::get_if<rovuvuz::TableSnapshot>(&block.value)) {
            if (depth >= TableAttachment::deepestNesting) continue;
            for (const auto& row : table->rows)
                for (const rovuvuz::CellSnapshot& cell : row)
                    if (holder(cell.blocks, paragraph, depth + 1)) return std::optional(table->id);
        }
    }
    return std::nullopt;
}

}  // namespace

CellTextView* TableView::viewHolding(rovuvuz::ParagraphID paragraph, int depth) {
    if (!attachment_) return nullptr;
    for (Cell& cell : cells_) {
        if (cell.place.continues) continue;
        const auto found = holder(snapshotOf(cell).blocks, paragraph, depth);
        if (!found) continue;
        if (!laidOut()) layoutTable(attachment_->width() - TableAttachment::sideRoom);
        if (!cell.view) {
            buildView(cell);
            cellChanged();
        }
        if (!*found) return cell.view;
        TableView* inner = TableHost::of(cell.view)->find(**found);
        return inner ? inner->viewHolding(paragraph, depth + 1) : nullptr;
    }
    return nullptr;
}

QList<QAction*> TableView::menuItems(int row, int column, QObject* parent) const {
    if (!attachment_) return {};
    const TableContext& context = attachment_->context();
    return TableMenu::items(
        TableMenu::Payload{context.editor, rovuvuz::TableEdit{rovuvuz::TableEdit::InsertRow{0}},
                           attachment_->table().id, context.builder.story},
        row, column, parent);
}

// ---- Moving between cells ----

namespace {

// The first cell of a table's last row, in the table's view as `host` now shows it.
void enterLastRow(QTextEdit* host, rovuvuz::BlockID table) {
    for (TableView* view : TableHost::of(host)->views()) {
        const TableAttachment* attachment = view ? view->attachment() : nullptr;
        if (!attachment || attachment->table().id != table) continue;
        const auto& cells = view->cells();
        const int lastRow = int(attachment->table().rows.size()) - 1;
        for (size_t i = 0; i < cells.size(); ++i)
            if (cells[i].place.row == lastRow && !cells[i].place.continues) return view->focusCell(i);
    }
}

}  // namespace

void TableView::moveFrom(const CellTextView* from, bool forward) {
    if (!attachment_) return;
    const auto at =
        std::find_if(cells_.begin(), cells_.end(), [from](const Cell& c) { return c.view.data() == from; });
    if (at == cells_.end()) return;
    const std::ptrdiff_t step = forward ? 1 : -1;
    for (std::ptrdiff_t i = (at - cells_.begin()) + step; i >= 0 && i < std::ptrdiff_t(cells_.size());
         i += step)
        if (!cells_[size_t(i)].place.continues) return focusCell(size_t(i));
    if (!forward) return;
    // Tab in the last cell: a new last row, then its first cell. The edit rebuilds every
    // view, this one included, so what is needed afterwards is taken first.
    const TableContext& context = attachment_->context();
    TableEditor* editor = context.editor.get();
    if (!editor) return;
    const rovuvuz::BlockID table = attachment_->table().id;
    const rovuvuz::StoryID story = context.builder.story;
    const QPointer<QTextEdit> host = context.host;
    const size_t rows = attachment_->table().rows.size();
    editor->tableEdit(rovuvuz::TableEdit{rovuvuz::TableEdit::InsertRow{rows}}, table, story, rows, 0);
    if (host) enterLastRow(host, table);
}

void TableView::focusCell(size_t index) {
    if (index >= cells_.size() || !attachment_) return;
    Cell& cell = cells_[index];
    if (!laidOut() && attachment_->context().host) layoutTable(attachment_->width());
    if (!cell.view && size_t(cell.place.row) + 1 < rowTops_.size())
        ensureViews(QRectF(0, rowTops_[size_t(cell.place.row)], width(), 1));
    if (!cell.view) return;
    cell.view->setFocus(Qt::TabFocusReason);
    QTextCursor all = cell.view->textCursor();
    all.select(QTextCursor::Document);
    cell.view->setTextCursor(all);
}

// ---- Drawing ----

// The cells' shading as the table style and the cells resolve it, under the text.
void TableView::paintShading(QPainter& painter, const QRectF& dirty) const {
    if (!attachment_ || rowTops_.size() < 2 || columnX_.size() < 2) return;
    const rovuvuz::TableSnapshot& table = attachment_->table();
    for (const Cell& cell : cells_) {
        const TableGeometry::Place& place = cell.place;
        if (place.continues || place.row < 0 || size_t(place.row) >= table.rows.size()) continue;
        const auto& row = table.rows[size_t(place.row)];
        if (place.cell < 0 || size_t(place.cell) >= row.size()) continue;
        const auto& shading = row[size_t(place.cell)].format.shading;
        if (!shading || !shading->fill) continue;
        const auto colour = AttributedBuilder::wordColor(*shading->fill);
        if (!colour) continue;
        const size_t last = std::min(size_t(place.column + place.span), columnX_.size() - 1);
        const size_t bottom = std::min(size_t(place.row) + 1, rowTops_.size() - 1);
        const QRectF area(QPointF(columnX_[std::min(size_t(place.column), last)], rowTops_[size_t(place.row)]),
                          QPointF(columnX_[last], rowTops_[bottom]));
        if (area.intersects(dirty)) painter.fillRect(area, *colour);
    }
}

void TableView::paintGrid(QPainter& painter, const QRectF& dirty) const {
    paintShading(painter, dirty);
    QColor guide = Theme::hairline.resolve(palette());
    guide.setAlphaF(guide.alphaF() * guideAlpha);
    TableBorders::paint(painter, sides_, dirty, guide);
}

void TableView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRectF dirty = QRectF(event->rect()).adjusted(-1, -1, 1, 1);
    paintGrid(painter, dirty);
    // Cells that scroll into sight get their views once this paint is done.
    if (ensureQueued_ || !attachment_) return;
    const auto [from, to] = rowsMeeting(dirty);
    for (size_t row = from; row < to && row + 1 < rowStarts_.size(); ++row) {
        for (size_t i = rowStarts_[row]; i < rowStarts_[row + 1]; ++i) {
            if (cells_[i].view || cells_[i].place.continues) continue;
            ensureQueued_ = true;
            QTimer::singleShot(0, this, [this] {
                ensureQueued_ = false;
                showVisibleCells();
            });
            return;
        }
    }
}

}  // namespace tovin
