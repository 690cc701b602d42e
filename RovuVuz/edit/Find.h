// Finding text as a reader sees it: the display text of a paragraph without what tracked
// deletions hold, matched exactly or ignoring case, anywhere or as a whole word. What is
// found is given in display offsets, so it can be replaced or selected as it stands.
#pragma once

#include <string_view>
#include <vector>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Nodes.h"

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

namespace Find {

// The occurrences of `needle` in a paragraph, in order and not overlapping; none for an
// empty needle.
std::vector<TextRange> inParagraph(const Paragraph& paragraph, std::u16string_view needle, const FindOptions& options);

}  // namespace Find

}  // namespace rovuvuz
