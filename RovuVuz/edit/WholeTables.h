// Whole tables as edits: a new empty table after a paragraph, and a table removed, outright
// or as a tracked change. Tracked, an inserted table's rows carry w:ins and a deleted
// table's rows w:del in their w:trPr (ECMA-376 §17.13.5.19, §17.13.5.13), so the tracked
// rows' resolution (TrackedRows) accepts and rejects them; rows and columns of a table that
// stays are Tables' business.
#pragma once

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/edit/NewTable.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

namespace WholeTables {

// Inserts an empty table right after a paragraph, in the group that holds the paragraph.
// Its columns share the width equally; it takes the document's table grid style (id
// "TableGrid", or a table style named "Table Grid") when there is one, else plain single
// borders. A group that must end in a paragraph (a cell, the body, a note) gets an empty one
// after the table when the paragraph was its last. Throws DocxError: unknownParagraph,
// rangeOutOfBounds (no rows or columns, or more than the limits, or a width outside 1 …
// maxWidth), crossesStructure (a paragraph outside any group).
InsertedTable insert(EditContext& document, Story& story, const StoryID& storyID, ParagraphID after,
                     const NewTable& shape, const EditMode& mode);

// Removes a table standing in `parent`. Direct: the table goes (see erase). Tracked: the
// author's own inserted rows go outright, every other row is marked deleted with its text.
void remove(EditContext& document, Group& parent, Group& table, const EditMode& mode);

// Takes a table out of the group it stands in, leaving that group ending in a paragraph
// when it must (a cell, the body, a header, a footer, a note, a comment).
void erase(Group& parent, const Group& table, IdentityMint& mint);

// The group whose children hold `child`, searched from `root` without recursion; nullptr
// when `child` is not under it.
Group* parentOf(Group& root, const Group& child);

}  // namespace WholeTables

}  // namespace rovuvuz
