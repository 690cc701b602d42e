// A table in a story's text: one attachment character whose box is the table's live view,
// a TableView laid out at the width the host text gives it. In Qt the view is a child
// widget of the host view's viewport, moved to the character's rectangle after every
// layout and scroll (TableHost); the attachment itself draws nothing while its view shows.
//
// An attachment in a document that no view shows (a cell measured off screen) lays its
// table out all the same, without cell views.
#pragma once

#include <QPointer>
#include <QTextEdit>
#include <memory>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/tables/TableEditor.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/TextAttachment.h"

namespace tovin {

class TableView;

// Where a table lives: the editor that owns its cells' bridges (none: read-only cells), the
// text view whose text holds it (none: it is only measured), the builder of its host story,
// and how deep inside other tables it stands.
struct TableContext {
    TableEditorRef editor;
    QPointer<QTextEdit> host;
    AttributedBuilder builder;
    int depth = 0;
};

class TableAttachment : public TextAttachment {
  public:
    // Tables nested deeper than this show as a chip.
    static constexpr int deepestNesting = 6;
    // The table's view is this much narrower than the text it stands in.
    static constexpr qreal sideRoom = 4;

    TableAttachment(rovuvuz::TableSnapshot table, TableContext context, qreal width);
    ~TableAttachment() override;

    QSizeF size() const override;
    QSizeF sizeIn(const QTextDocument& document) const override;
    void draw(QPainter& painter, const QRectF& box) const override;

    const rovuvuz::TableSnapshot& table() const { return table_; }
    const TableContext& context() const { return context_; }
    qreal width() const { return width_; }
    // The live view, made on first use.
    TableView* view() const;

    // The table's size changed: the host text measures the attachment's line again.
    void invalidate() const;

    // `builder` with tables made live for `host`: each table block becomes a
    // TableAttachment at `depth`, or a chip past `deepestNesting`. Without an editor the
    // cells are read-only; without a host the tables are only measured and drawn.
    static AttributedBuilder liveTables(AttributedBuilder builder, TableEditorRef editor, QTextEdit* host,
                                        int depth);

  private:
    rovuvuz::TableSnapshot table_;
    TableContext context_;
    qreal width_;
    mutable QPointer<TableView> view_;
};

}  // namespace tovin
