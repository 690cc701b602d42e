#include "Tovin/editor/TableCommands.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPointer>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Sections.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/editor/EditorSelection.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/TextProperties.h"

namespace tovin::TableCommands {

namespace {

constexpr int twipsPerPoint = 20;

// The text column's width in twips (w:tcW and w:gridCol count in twentieths of a point).
int64_t textWidthTwips(EditorViewController& editor) {
    const rovuvuz::PageSetup page = editor.doc()->pageSetup();
    const double points = std::max(page.width - page.left - page.right, 36.0);
    return std::min<int64_t>(std::llround(points * twipsPerPoint), rovuvuz::NewTable::maxWidth);
}

// The table of the cell that has the focus.
const TableAttachment* focusedTable(EditorViewController& editor) {
    const auto* cell = qobject_cast<const CellTextView*>(editor.active().view);
    return cell && cell->table() ? cell->table()->attachment() : nullptr;
}

// The position of a table's object character in the text that holds it.
std::optional<int> positionOf(QTextEdit& host, const TableAttachment& table) {
    for (QTextBlock block = host.document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (attachmentOf(it.fragment().charFormat()).get() == &table) return it.fragment().position();
    return std::nullopt;
}

}  // namespace

void showInsertTableDialog(EditorViewController& editor) {
    auto* dialog = new QDialog(editor.window());
    dialog->setObjectName(QStringLiteral("InsertTableDialog"));
    dialog->setWindowTitle(QStringLiteral("Insert Table"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    auto* rows = new QSpinBox(dialog);
    auto* columns = new QSpinBox(dialog);
    rows->setObjectName(QStringLiteral("rows"));
    columns->setObjectName(QStringLiteral("columns"));
    rows->setRange(1, 500);
    columns->setRange(1, int(rovuvuz::NewTable::maxColumns));
    rows->setValue(3);
    columns->setValue(3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    auto* form = new QFormLayout(dialog);
    form->addRow(QStringLiteral("Rows:"), rows);
    form->addRow(QStringLiteral("Columns:"), columns);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QPointer<EditorViewController> target(&editor);
    QObject::connect(dialog, &QDialog::accepted, &editor, [target, rows, columns] {
        if (target) insertTable(*target, rows->value(), columns->value());
    });
    dialog->open();
}

void insertTable(EditorViewController& editor, int rows, int columns) {
    const auto active = editor.active();
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.empty() || rows < 1 || columns < 1) return editor.seam().refuse();
    const rovuvuz::NewTable shape{size_t(rows), size_t(columns), textWidthTwips(editor)};
    rovuvuz::InsertedTable inserted;
    if (!editor.seam().run([&] {
            inserted = editor.doc()->insertTable(ranges.back().first, active.bridge->story(), shape,
                                                 editor.editMode());
        }))
        return;
    // A cell's view goes with the reload; its table is then found in the body.
    const QPointer<QTextEdit> host = active.view;
    editor.modelChanged();
    editor.reloadAll();
    for (TableView* view : TableHost::of(host ? host.data() : editor.body())->views())
        if (view && view->attachment() && view->attachment()->table().id == inserted.table)
            return view->focusCell(0);
}

void deleteTable(EditorViewController& editor) {
    const TableAttachment* table = focusedTable(editor);
    if (!table) return editor.seam().refuse();
    editor.tableEdit(rovuvuz::TableEdit{rovuvuz::TableEdit::RemoveTable{}}, table->table().id,
                     table->context().builder.story);
}

void selectTable(EditorViewController& editor) {
    const TableAttachment* table = focusedTable(editor);
    QTextEdit* host = table ? table->context().host.data() : nullptr;
    const std::optional<int> at = host ? positionOf(*host, *table) : std::nullopt;
    if (!at) return editor.seam().refuse();
    QTextCursor cursor(host->document());
    cursor.setPosition(*at);
    cursor.setPosition(*at + 1, QTextCursor::KeepAnchor);
    host->setFocus();
    host->setTextCursor(cursor);
}

bool inTable(EditorViewController& editor) {
    return focusedTable(editor) != nullptr;
}

}  // namespace tovin::TableCommands
