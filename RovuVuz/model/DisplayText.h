// The display text of a paragraph's inline content, which every text position in the
// engine counts in UTF-16 code units: it includes tracked-deleted text; an object, note
// reference, page break or visible preserved element counts one (U+FFFC), a tab one, a
// line break one (U+2028), and comment references, field codes and hidden items count
// nothing. Snapshots show this text and edits are addressed in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/model/Nodes.h"

namespace rovuvuz::DisplayText {

// Preserved inline elements that occupy one display position (shown as U+FFFC).
bool isVisibleRaw(std::string_view local);

size_t length(const RunItem::Kind& kind);
size_t length(const Raw& raw);
size_t length(const Run& run);
size_t length(const Inline& node);
size_t length(const std::vector<Inline>& inlines);

// What one item shows: its text, one U+FFFC, a tab, U+2028, or nothing.
std::u16string_view displayText(const RunItem::Kind& kind);
// The display text of an owner's inlines; its length always equals length(inlines).
std::u16string visibleText(const std::vector<Inline>& inlines);

}  // namespace rovuvuz::DisplayText
