// Base64 (RFC 4648, the standard alphabet with padding), for binary parts carried inside
// XML text: the pictures of a copied selection.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz::Base64 {

std::string encode(ByteView bytes);
// Decodes, skipping white space; nothing for any other character outside the alphabet,
// for padding anywhere but at the end, or for a length that does not come out whole.
std::optional<Bytes> decode(std::string_view text);

}  // namespace rovuvuz::Base64
