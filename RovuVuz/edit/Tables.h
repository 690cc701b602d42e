// Table edits: inserting and removing rows and columns of a w:tbl (ECMA-376 §17.4). Row,
// cell and grid properties (w:trPr, w:tblPrEx, w:tcPr, w:tblGrid) are kept by the story
// parser as raw pieces, so they are edited here as text and read back as raw pieces.
// Rows can be inserted and removed as tracked changes (w:ins/w:del in w:trPr,
// §17.13.5.19, §17.13.5.13); column edits are always made outright.
#pragma once

#include <cstddef>
#include <variant>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/edit/TableEdit.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

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
