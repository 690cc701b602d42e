// Finding text as a reader sees it: the display text of a paragraph without what tracked
// deletions hold, matched exactly or ignoring case, anywhere or as a whole word. What is
// found is given in display offsets, so it can be replaced or selected as it stands.
#pragma once

#include <string_view>
#include <vector>

#include "RovuVuz/edit/FindOptions.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Nodes.h"

namespace rovuvuz {

namespace Find {

// The occurrences of `needle` in a paragraph, in order and not overlapping; none for an
// empty needle.
std::vector<TextRange> inParagraph(const Paragraph& paragraph, std::u16string_view needle, const FindOptions& options);

}  // namespace Find

}  // namespace rovuvuz
