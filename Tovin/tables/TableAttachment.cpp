#include "Tovin/tables/TableAttachment.h"

#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>

#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/Attachments.h"

namespace tovin {

namespace {

// The width the text of a document gives its lines: the text width less the root frame's
// margins (a column view's sides) and the document margin.
std::optional<qreal> lineWidth(const QTextDocument& document) {
    const qreal text = document.textWidth();
    if (text < 0) return std::nullopt;
    const QTextFrameFormat frame = document.rootFrame()->frameFormat();
    return text - frame.leftMargin() - frame.rightMargin() - 2 * document.documentMargin();
}

}  // namespace

TableAttachment::TableAttachment(rovuvuz::TableSnapshot table, TableContext context, qreal width)
    : table_(std::move(table)), context_(std::move(context)), width_(width) {}

TableAttachment::~TableAttachment() {
    if (!view_) return;
    // The host may be in the middle of replacing its text: the view goes once that is done.
    view_->detach();
    view_->hide();
    view_->deleteLater();
}

TableView* TableAttachment::view() const {
    if (!view_) {
        QWidget* parent = context_.host ? context_.host->viewport() : nullptr;
        view_ = new TableView(*this, parent);
        if (context_.host) TableHost::of(context_.host)->watch();
    }
    return view_;
}

QSizeF TableAttachment::size() const {
    TableView* shown = view();
    return shown->laidOut() ? shown->lastSize() : shown->layoutTable(width_ - sideRoom);
}

QSizeF TableAttachment::sizeIn(const QTextDocument& document) const {
    const qreal available = std::min(lineWidth(document).value_or(width_), width_) - sideRoom;
    TableView* shown = view();
    if (shown->laidOut() && shown->layoutWidth() == available) return shown->lastSize();
    return shown->layoutTable(available);
}

void TableAttachment::draw(QPainter& painter, const QRectF& box) const {
    // In a view the live table view draws over this box; elsewhere its shading and borders
    // stand for it.
    if (context_.host) return;
    painter.save();
    painter.translate(box.topLeft());
    view()->paintGrid(painter, QRectF(QPointF(0, 0), box.size()));
    painter.restore();
}

void TableAttachment::invalidate() const {
    if (!context_.host) return;
    TableHost::of(context_.host)->remeasure(this);
}

AttributedBuilder TableAttachment::liveTables(AttributedBuilder builder, TableEditorRef editor,
                                              QTextEdit* host, int depth) {
    AttributedBuilder plain = builder;
    plain.makeTable = nullptr;
    builder.makeTable = [editor, host = QPointer<QTextEdit>(host), depth,
                         plain](const rovuvuz::TableSnapshot& table) -> AttachmentRef {
        if (depth > deepestNesting) return OpaqueAttachment::make("tbl", "", std::nullopt);
        return std::make_shared<TableAttachment>(table, TableContext{editor, host, plain, depth},
                                                 plain.columnWidth);
    };
    return builder;
}

}  // namespace tovin
