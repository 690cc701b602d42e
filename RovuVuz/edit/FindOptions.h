// What a search matches and what it finds, as values the application passes and receives.
#pragma once

#include "RovuVuz/model/EditValues.h"

namespace rovuvuz {

struct FindOptions {
    bool matchCase = true;
    bool wholeWord = false;  // neither neighbour of a match is a letter, digit or "_"
    bool operator==(const FindOptions&) const = default;
};

// One occurrence: a paragraph and the display range the reader's text covers. Deleted text
// inside the range (between the first and last character found) stays inside it.
struct FoundText {
    ParagraphID paragraph;
    TextRange range;
    bool operator==(const FoundText&) const = default;
};

}  // namespace rovuvuz
