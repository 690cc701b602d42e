// The edits a table takes (ECMA-376 §17.4): rows and columns inserted or removed, as values
// the application builds and DocxDocument::apply carries out.
#pragma once

#include <cstddef>
#include <variant>

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

}  // namespace rovuvuz
