// The Format menu's table commands: a new table after the caret's paragraph (through a
// small dialog asking for rows and columns), and the table the caret is in deleted or
// selected. Each edit is one step through the editor's seam.
#pragma once

namespace tovin {

class EditorViewController;

namespace TableCommands {

// The Insert Table dialog (3 × 3 to start with); OK inserts the table.
void showInsertTableDialog(EditorViewController& editor);
// A table of rows × columns after the caret's paragraph, its columns sharing the text
// width, the caret in its first cell.
void insertTable(EditorViewController& editor, int rows, int columns);
// The table whose cell has the focus: deleted (tracked when tracking), or selected as the
// one object it is in the text holding it.
void deleteTable(EditorViewController& editor);
void selectTable(EditorViewController& editor);

// Rule: whether the focus is in a table's cell.
bool inTable(EditorViewController& editor);

}  // namespace TableCommands
}  // namespace tovin
