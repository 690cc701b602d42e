// Custom tab stops (w:tabs, ECMA-376 §17.3.1.38): what one w:tabs element sets or clears,
// and the stops a paragraph ends up with once its style chain and its own w:tabs are
// merged in order. The space between custom stops is filled by default stops, which the
// settings part spaces (w:defaultTabStop, see Settings.h).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

struct TabStop {
    // "start"/"end" are read as left/right, and a list's "num" stop as left.
    enum class Kind : uint8_t { left, center, right, decimal, bar };
    enum class Leader : uint8_t { none, dot, hyphen, underscore, heavy, middleDot };

    double position = 0;  // points from the paragraph's left indent origin (the text margin)
    Kind kind = Kind::left;
    Leader leader = Leader::none;
    bool operator==(const TabStop&) const = default;
};

namespace TabStops {

// One w:tab of a w:tabs: a stop to set, or (w:val="clear") the position to clear.
struct Change {
    double position = 0;
    std::optional<TabStop> stop;  // nothing: clear the stop at `position`
    bool operator==(const Change&) const = default;
};

// A property element's tab children, in order. Unreadable tabs are skipped; bytes that do
// not parse give nothing. Never throws.
std::vector<Change> read(ByteView tabs);
// Applies changes to stops kept in position order: a set replaces a stop at its position,
// a clear removes one there.
void apply(std::vector<TabStop>& stops, const std::vector<Change>& changes);

}  // namespace TabStops

}  // namespace rovuvuz
