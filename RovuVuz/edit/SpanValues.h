// The ends of a range that may hold whole tables, and where text put into it ends: the
// values DocxDocument::replaceAcross takes and returns (see SpanningEdit.h).
#pragma once

#include <cstddef>
#include <variant>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"

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

}  // namespace SpanningEdit

}  // namespace rovuvuz
