// New content enters a story the way read content does: written as a WordprocessingML
// snippet and read back into nodes by the story parser. Paragraphs read this way are
// marked dirty, so they are always written from their model.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "RovuVuz/model/Nodes.h"

namespace rovuvuz::Fragment {

// The snippet's root read as a block container; nothing when it does not parse.
std::unique_ptr<Group> group(std::string_view xml, IdentityMint& mint);
// The snippet's root read as a paragraph; nothing when it does not parse.
std::unique_ptr<Paragraph> paragraph(std::string_view xml, IdentityMint& mint);
// The snippet's root element kept as one raw piece; nothing when it does not parse.
std::optional<Raw> raw(std::string_view xml);

}  // namespace rovuvuz::Fragment
