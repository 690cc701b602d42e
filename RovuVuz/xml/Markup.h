// Helpers that work on one raw start tag or a small fragment without building a tree of
// the whole part: read attributes, build a start tag, and take the visible text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {
class XMLTree;
}

namespace rovuvuz::Markup {

using Attributes = std::vector<std::pair<std::string, std::string>>;

enum class SelfClosing { No, Yes };

// The qualified name of a start tag ("<w:p w:rsidR=\"1\">" gives "w:p"); nothing for an
// end tag, a comment, a processing instruction or text.
inline std::optional<std::string_view> startTagName(std::string_view tag) {
    if (tag.size() < 2 || tag[0] != '<' || tag[1] == '!' || tag[1] == '?' || tag[1] == '/')
        return std::nullopt;
    size_t end = 1;
    while (end < tag.size() && !(tag[end] == ' ' || tag[end] == '\t' || tag[end] == '\r' ||
                                 tag[end] == '\n' || tag[end] == '/' || tag[end] == '>'))
        ++end;
    return tag.substr(1, end - 1);
}

// The part of a qualified name before its first ":"; empty without one.
inline std::string_view prefixOf(std::string_view qname) {
    const size_t colon = qname.find(':');
    return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

// The part of a qualified name after its first ":"; the whole name without one.
inline std::string_view localOf(std::string_view qname) {
    const size_t colon = qname.find(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

// How well a qualified attribute name stands for the attribute `local` of an element named
// `element` in the element's own namespace. WordprocessingML qualifies its attributes with
// the namespace of its elements, bound to any prefix: on a prefixed element (w:jc, ns0:jc)
// that is the element's own prefix. An unprefixed element stands in a default namespace,
// which attributes never take: writers qualify them with a second prefix bound to the same
// namespace (<jc w:val="…">) or, loosely, leave them unqualified (<jc val="…">). Both are
// read there, the unqualified one first; xml: and xmlns: attributes never match.
enum class OwnAttributeMatch : uint8_t { none, otherPrefix, own };
inline OwnAttributeMatch ownAttributeMatch(std::string_view element, std::string_view attribute,
                                           std::string_view local) {
    if (localOf(attribute) != local) return OwnAttributeMatch::none;
    const bool qualified = attribute.size() > local.size();
    const std::string_view prefix = prefixOf(element);
    if (prefix.empty()) {
        if (!qualified) return OwnAttributeMatch::own;
        const std::string_view other = prefixOf(attribute);
        return other == "xml" || other == "xmlns" ? OwnAttributeMatch::none : OwnAttributeMatch::otherPrefix;
    }
    return qualified && prefixOf(attribute) == prefix ? OwnAttributeMatch::own : OwnAttributeMatch::none;
}

// The value of the attribute `local` in the namespace of the element named `element`,
// among that element's attributes (see ownAttributeMatch).
std::optional<std::string_view> ownAttribute(std::string_view element, const Attributes& attributes,
                                             std::string_view local);

// "prefix:local", or just the local name for an empty prefix.
std::string qualified(std::string_view prefix, std::string_view local);

// The attributes of a start tag ("<w:b w:val=\"0\">" or "<w:b/>"), in source order, values
// unescaped. Empty when the tag does not parse.
Attributes attributes(ByteView tag);

// The value of the first attribute named `name` exactly or with any prefix ("val" finds
// "w:val") in the first start tag of `slice`.
std::optional<std::string> attribute(std::string_view name, ByteView slice);

// `base` with every pair of `set` set: present names keep their place and take the new
// value, new ones are appended in order.
Attributes merged(Attributes base, const Attributes& set);

// The prefix a start tag's attributes bind to a namespace URI ("" for the default
// namespace); nothing when they bind none.
std::optional<std::string> boundPrefix(const Attributes& attributes, std::string_view uri);

// "<name a=\"v\" …>" or "…/>", values escaped, always double quotes, in the order given.
std::string startTag(std::string_view name, const Attributes& attributes, SelfClosing selfClosing);

// A whole element around markup built with these helpers: "<name a=\"v\">content</name>",
// or an empty-element tag when there is no content.
std::string element(std::string_view name, const Attributes& attributes, std::string_view content);

// An on/off value as WordprocessingML writes it (ST_OnOff): absent is on (an empty
// element such as <w:b/>); "0", "false", "off" and "none" are off; anything else is on.
bool isOn(std::optional<std::string_view> value);

// The concatenated text of every w:t element of a fragment, of each mc:AlternateContent
// only its first mc:Choice (or its mc:Fallback without one); empty when it does not parse.
// `mainPrefix` is what the story binds the main namespace to ("w", "ns0", "" for a default
// namespace): a fragment on its own declares nothing, and DrawingML's a:t and math's m:t
// share the local name.
std::string previewText(ByteView fragment, std::string_view mainPrefix);
std::string previewText(const XMLTree& fragment, std::string_view mainPrefix);

}  // namespace rovuvuz::Markup
