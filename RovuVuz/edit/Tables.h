// Table edits: inserting and removing rows and columns of a w:tbl (ECMA-376 §17.4). Row,
// cell and grid properties (w:trPr, w:tblPrEx, w:tcPr, w:tblGrid) are kept by the story
// parser as raw pieces, so they are edited here as text and read back as raw pieces.
// Rows can be inserted and removed as tracked changes (w:ins/w:del in w:trPr,
// §17.13.5.19, §17.13.5.13); column edits are always made outright.
#pragma once

#include <cstddef>
#include <variant>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

struct TableEdit {
    // A new row before row `at`, or after the last row when `at` equals the row count; it
    // copies the cell properties of the row it stands beside, with empty cells.
    struct InsertRow {
        size_t at = 0;
        bool operator==(const InsertRow&) const = default;
    };
    // Removes a row (tracked: marks it deleted and its text with it). The last row stays.
    struct RemoveRow {
        size_t index = 0;
        bool operator==(const RemoveRow&) const = default;
    };
    // A new column at `at`, cells copied from column min(at, count - 1) without their text.
    // It takes an equal share of the grid's total width and every other column gives up
    // the same fraction of its own (cell widths follow); a table without a grid splits
    // the model column's cell widths in two.
    struct InsertColumn {
        size_t at = 0;
        bool operator==(const InsertColumn&) const = default;
    };
    // Removes one cell from every row and its grid column. The last column stays.
    struct RemoveColumn {
        size_t index = 0;
        bool operator==(const RemoveColumn&) const = default;
    };

    // Removes the whole table (tracked: marks its rows deleted and its text with them);
    // see WholeTables::remove.
    struct RemoveTable {
        bool operator==(const RemoveTable&) const = default;
    };

    using Value = std::variant<InsertRow, RemoveRow, InsertColumn, RemoveColumn, RemoveTable>;
    Value value;
    bool operator==(const TableEdit&) const = default;
};

namespace Tables {

// Applies an edit to the table with that ID, searched through the story's groups. Every
// argument and the table itself are checked before anything changes: DocxError
// unknownStory, unknownParagraph (no such table), rangeOutOfBounds (a row or column the
// table does not have, or removing its last one), unsupported (column edits on
// horizontally merged cells, rows of unequal length, or a grid the edit cannot rewrite).
void apply(EditContext& document, Story& story, const StoryID& storyID, const TableEdit& edit, BlockID table,
           const EditMode& mode);

// Removes a table's child at `index`, a row, outright: a vertical merge that began in it
// begins again in the row below it.
void eraseRow(Group& table, size_t index);

// Marks a row deleted as a tracked change: w:del in its w:trPr, and every paragraph's text
// in it a tracked deletion.
void markRowDeleted(EditContext& document, Group& row, const EditMode::Tracked& tracked);

}  // namespace Tables

}  // namespace rovuvuz
