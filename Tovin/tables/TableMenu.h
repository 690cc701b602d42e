// The row and column commands a table cell's context menu starts with. Each item carries
// its payload: the editor, the table edit and the table; running it has the editor make the
// edit as one undo step in the current edit mode.
#pragma once

#include <QList>
#include <QPointer>

#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/model/Identifiers.h"
#include "Tovin/tables/TableEditor.h"

class QAction;
class QObject;

namespace tovin {

namespace TableMenu {

struct Payload {
    TableEditorRef editor;
    rovuvuz::TableEdit edit;
    rovuvuz::BlockID table;
    rovuvuz::StoryID story;
    size_t row = 0;  // the cell the menu was opened in
    size_t column = 0;
};

// "Insert Row Above", "Insert Row Below", "Delete Row", "Insert Column Left", "Insert Column
// Right", "Delete Column" and "Delete Table" for the cell at a row and first grid column; `base` gives the
// editor, table and story. Row and column are passed on as they are: the engine refuses what
// the table cannot take.
QList<QAction*> items(const Payload& base, int row, int column, QObject* parent);

// Makes the item's edit through its editor (nothing when the editor is gone). Triggering
// an item runs this once the event loop is back.
void run(const Payload& payload);

// The cell (row, grid column) where the caret goes after an edit made from a cell: the new
// row's or column's, or the one that took the removed one's place (clamped by the table).
std::pair<size_t, size_t> caretAfter(const rovuvuz::TableEdit& edit, size_t row, size_t column);

}  // namespace TableMenu
}  // namespace tovin
