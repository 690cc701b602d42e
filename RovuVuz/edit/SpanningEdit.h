// Replacing a range of a story that holds whole tables: a selection from a paragraph across
// one or more tables to another paragraph (Select All, then a key), or one that starts or
// ends at a table's edge. Whole tables in the range go with its text: outright they are
// removed, tracked their rows are marked deleted (w:del in w:trPr, ECMA-376 §17.13.5.13) with
// their text, so that rejecting the change brings them back and accepting it gives what
// the outright edit gives. Ranges within sibling paragraphs are Structural::replaceText's.
#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

// The edge of a table standing among paragraphs: just before it, or just after it.
struct TableEdge {
    BlockID table;
    bool after = false;
    bool operator==(const TableEdge&) const = default;
};

// One end of such a range: a paragraph offset or a table's edge.
using SpanEnd = std::variant<ParagraphPos, TableEdge>;

namespace SpanningEdit {

// Where new text ends: its paragraph, and how much of that paragraph's text follows it.
struct TextEnd {
    ParagraphID paragraph;
    size_t following = 0;
    bool operator==(const TextEnd&) const = default;
};

// Replaces the range between two ends that stand in one group (the body, a cell, a note),
// `from` not after `to`. The paragraphs at the ends keep what lies outside the range and
// join when both ends are paragraphs (tracked: the first one's mark is marked deleted, as
// are the marks of the paragraphs inside). The text (an LF starts a paragraph) goes where
// the range ended, or at the start of the paragraph after it when it ended at a table.
// Throws DocxError: unknownParagraph (an end that is not in the story), rangeOutOfBounds,
// crossesStructure (ends in different groups, or in the wrong order). Returns where the new
// text ends (where a caret goes after typing it), or nothing without new text.
std::optional<TextEnd> replace(EditContext& document, Story& story, const StoryID& storyID, const SpanEnd& from,
                               const SpanEnd& to, std::u16string_view text, const EditMode& mode);

}  // namespace SpanningEdit

}  // namespace rovuvuz
