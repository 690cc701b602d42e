// Helpers that work on one raw start tag or a small fragment without building a tree of
// the whole part: read attributes, build a start tag, and take the visible text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz::Markup {

using Attributes = std::vector<std::pair<std::string, std::string>>;

enum class SelfClosing { No, Yes };

// The attributes of a start tag ("<w:b w:val=\"0\">" or "<w:b/>"), in source order, values
// unescaped. Empty when the tag does not parse.
Attributes attributes(ByteView tag);

// The value of the first attribute named `name` exactly or with any prefix ("val" finds
// "w:val") in the first start tag of `slice`.
std::optional<std::string> attribute(std::string_view name, ByteView slice);

// "<name a=\"v\" …>" or "…/>", values escaped, always double quotes, in the order given.
std::string startTag(std::string_view name, const Attributes& attributes, SelfClosing selfClosing);

// An on/off value as WordprocessingML writes it (ST_OnOff): absent is on (an empty
// element such as <w:b/>); "0", "false", "off" and "none" are off; anything else is on.
bool isOn(std::optional<std::string_view> value);

// The concatenated text of every w:t element of a fragment; empty when it does not parse.
std::string previewText(ByteView fragment);

}  // namespace rovuvuz::Markup
