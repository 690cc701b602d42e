// The values of a whole-table edit that callers above the engine use: the shape of a new
// table and where it stands once inserted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

// The shape of a new table: its rows and columns, and the text width its columns share
// equally, in twentieths of a point (the units of w:tblGrid and w:tcW).
struct NewTable {
    size_t rows = 3;
    size_t columns = 3;
    int64_t width = 9360;  // 6.5 inches: a Letter page between one-inch margins

    // Word's own limit is 63 columns; a row count past this is a mistake, not a table.
    static constexpr size_t maxColumns = 63;
    static constexpr size_t maxRows = 10000;
    static constexpr int64_t maxWidth = 31680;  // 22 inches, the widest page Word sets

    bool operator==(const NewTable&) const = default;
};

// Where a new table stands: its ID, and the paragraph of its first cell, where the caret goes.
struct InsertedTable {
    BlockID table;
    ParagraphID firstCell;
    bool operator==(const InsertedTable&) const = default;
};

}  // namespace rovuvuz
