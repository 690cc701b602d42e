#include "Tovin/tables/TableHost.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>

#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableView.h"

namespace tovin {

namespace {

constexpr QChar objectCharacter(0xFFFC);

}  // namespace

TableHost* TableHost::of(QTextEdit* view) {
    if (auto* host = view->findChild<TableHost*>(QString(), Qt::FindDirectChildrenOnly)) return host;
    return new TableHost(view);
}

TableHost::TableHost(QTextEdit* view) : QObject(view), view_(view) {
    QTextDocument* text = view->document();
    connect(text, &QTextDocument::contentsChange, this, [this] {
        stale_ = true;
        schedule();
    });
    connect(text->documentLayout(), &QAbstractTextDocumentLayout::update, this, [this] { schedule(); });
    connect(text->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] { schedule(); });
    // Scrolling moves the viewport's children with it; placing them at once keeps them exact.
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { place(); });
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { place(); });
    view->viewport()->installEventFilter(this);
}

void TableHost::watch() {
    stale_ = true;
    schedule();
}

void TableHost::schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    QMetaObject::invokeMethod(
        this, [this] { place(); }, Qt::QueuedConnection);
}

bool TableHost::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show) schedule();
    return QObject::eventFilter(watched, event);
}

// Each table stands alone in a block of one object character.
void TableHost::rescan() {
    stale_ = false;
    tables_.clear();
    for (QTextBlock block = view_->document()->begin(); block.isValid(); block = block.next()) {
        if (block.length() != 2 || block.text().front() != objectCharacter) continue;
        const QTextBlock::iterator first = block.begin();
        if (first.atEnd()) continue;
        const AttachmentRef attachment = attachmentOf(first.fragment().charFormat());
        if (dynamic_cast<const TableAttachment*>(attachment.get()))
            tables_.push_back({block.position(), attachment});
    }
}

int TableHost::positionOf(const TableAttachment* table) {
    if (stale_) rescan();
    for (const Placed& placed : tables_)
        if (placed.attachment.lock().get() == table) return placed.position;
    return -1;
}

void TableHost::remeasure(const TableAttachment* table) {
    const int position = positionOf(table);
    if (position < 0) return;
    view_->document()->markContentsDirty(position, 1);
    schedule();
}

QRectF TableHost::rectOf(const TableAttachment* table) {
    const int position = positionOf(table);
    if (position < 0) return {};
    QTextDocument* text = view_->document();
    const QTextBlock block = text->findBlock(position);
    // Asking for the block's rectangle lays the text out that far.
    text->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) return {};
    const int at = position - block.position();
    const QTextLine line = layout->lineForTextPosition(at);
    if (!line.isValid()) return {};
    const QSizeF size = table->view()->lastSize();
    // The table stands on the line's baseline, as the layout places objects.
    const QPointF inText =
        layout->position() + QPointF(line.cursorToX(at), line.y() + line.ascent() - size.height());
    const QPointF scrolled(view_->horizontalScrollBar()->value(), view_->verticalScrollBar()->value());
    return {inText - scrolled, size};
}

std::vector<TableView*> TableHost::views() {
    if (stale_) rescan();
    std::vector<TableView*> out;
    for (const Placed& entry : tables_)
        if (const std::shared_ptr<const TextAttachment> attachment = entry.attachment.lock())
            out.push_back(static_cast<const TableAttachment*>(attachment.get())->view());
    return out;
}

TableView* TableHost::find(rovuvuz::BlockID table, int depth) {
    for (TableView* view : views()) {
        if (!view->attachment()) continue;
        if (view->attachment()->table().id == table) {
            rectOf(view->attachment());  // lays the text out as far as the table
            place();
            return view;
        }
        if (depth >= TableAttachment::deepestNesting) continue;
        for (const TableView::Cell& cell : view->cells())
            if (cell.view)
                if (TableView* inner = TableHost::of(cell.view)->find(table, depth + 1)) return inner;
    }
    return nullptr;
}

void TableHost::place() {
    scheduled_ = false;
    if (stale_) rescan();
    std::vector<QPointer<TableView>> placed;
    for (const Placed& entry : tables_) {
        const std::shared_ptr<const TextAttachment> attachment = entry.attachment.lock();
        if (!attachment) continue;
        const auto* table = static_cast<const TableAttachment*>(attachment.get());
        TableView* view = table->view();
        if (!view->laidOut()) continue;  // its line has not been laid out yet
        const QRectF rect = rectOf(table);
        if (rect.isEmpty()) continue;
        view->move(rect.topLeft().toPoint());
        view->show();
        view->showVisibleCells();
        placed.emplace_back(view);
    }
    for (const QPointer<TableView>& view : shown_)
        if (view && std::find(placed.begin(), placed.end(), view) == placed.end()) view->hide();
    shown_ = std::move(placed);
}

}  // namespace tovin
