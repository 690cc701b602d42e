// Inline operations: measuring a paragraph's inline content in display offsets (and,
// as the editing engine grows, finding, cutting and isolating it). Every text position in
// the engine counts UTF-16 code units of this display text, which includes tracked-deleted
// text; an object, note reference, page break or visible preserved element counts one
// (U+FFFC), a tab one, a line break one (U+2028), and comment references, field codes
// and hidden items count nothing.
#pragma once

#include <string_view>
#include <vector>

#include "RovuVuz/Nodes.h"

namespace rovuvuz::InlineOps {

// Preserved inline elements that occupy one display position (shown as U+FFFC).
bool isVisibleRaw(std::string_view local);

size_t length(const RunItem::Kind& kind);
size_t length(const Raw& raw);
size_t length(const Run& run);
size_t length(const Inline& node);
size_t length(const std::vector<Inline>& inlines);

// What one item shows: its text, one U+FFFC, a tab, U+2028, or nothing.
std::u16string_view displayText(const RunItem::Kind& kind);

}  // namespace rovuvuz::InlineOps
