// Escaping of text and attribute values, and entity unescaping, for the XML parts of a
// package. Only the five predefined entities and numeric character references exist here:
// packages have no DTDs.
#pragma once

#include <string>
#include <string_view>

namespace rovuvuz::XMLText {

// Every value written into a part passes through one of these two, so each first makes
// its text writable (XMLChars: invalid UTF-8 repaired, characters XML cannot carry
// dropped or, in an attribute, turned into a space).
//
// "&" "<" ">" become entities; quotes stay as they are.
std::string escapeText(std::string_view text);

// "&" "<" '"' "'" become entities; ">" stays as it is.
std::string escapeAttribute(std::string_view value);

// Replaces &lt; &gt; &amp; &quot; &apos; and &#N; / &#xN; references to scalar values.
// Anything not recognised (unknown names, references longer than nine characters between
// "&" and ";", surrogates, values past U+10FFFF) stays literally as written.
std::string unescape(std::string_view text);

}  // namespace rovuvuz::XMLText
