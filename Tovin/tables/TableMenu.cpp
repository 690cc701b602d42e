#include "Tovin/tables/TableMenu.h"

#include <QAction>
#include <QTimer>
#include <algorithm>

namespace tovin::TableMenu {

using rovuvuz::TableEdit;

QList<QAction*> items(const Payload& base, int row, int column, QObject* parent) {
    const size_t r = size_t(std::max(row, 0));
    const size_t c = size_t(std::max(column, 0));
    const std::pair<const char*, TableEdit::Value> commands[] = {
        {"Insert Row Above", TableEdit::InsertRow{r}},
        {"Insert Row Below", TableEdit::InsertRow{r + 1}},
        {"Delete Row", TableEdit::RemoveRow{r}},
        {"Insert Column Left", TableEdit::InsertColumn{c}},
        {"Insert Column Right", TableEdit::InsertColumn{c + 1}},
        {"Delete Column", TableEdit::RemoveColumn{c}},
        {"Delete Table", TableEdit::RemoveTable{}},
    };
    QList<QAction*> out;
    for (const auto& [title, edit] : commands) {
        auto* action = new QAction(QString::fromLatin1(title), parent);
        Payload payload = base;
        payload.edit = TableEdit{edit};
        payload.row = r;
        payload.column = c;
        // The edit reloads every view, the cell and its menu included: it waits until the
        // menu has closed.
        QObject::connect(action, &QAction::triggered, action, [payload] {
            if (TableEditor* editor = payload.editor.get())
                QTimer::singleShot(0, editor->editorObject(), [payload] { run(payload); });
        });
        out.append(action);
    }
    return out;
}

void run(const Payload& payload) {
    if (TableEditor* editor = payload.editor.get())
        editor->tableEdit(payload.edit, payload.table, payload.story, payload.row, payload.column);
}

std::pair<size_t, size_t> caretAfter(const TableEdit& edit, size_t row, size_t column) {
    if (const auto* insert = std::get_if<TableEdit::InsertRow>(&edit.value)) return {insert->at, column};
    if (const auto* insert = std::get_if<TableEdit::InsertColumn>(&edit.value)) return {row, insert->at};
    return {row, column};
}

}  // namespace tovin::TableMenu
