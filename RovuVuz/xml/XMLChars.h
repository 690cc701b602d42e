// The characters an XML 1.0 part can carry, and what text from outside the file becomes
// before it is written. Callers hand the engine any text (typed, pasted, command-line
// arguments, settings); this is the one rule that makes it writable, used by the text
// and attribute escaping that every written value passes through and by the conversion of
// text into runs:
//
//   where           TAB        LF, CR     VT, FF       other C0, U+FFFE/F   bad UTF-8, lone surrogate
//   runs            w:tab      w:br       w:br         dropped              U+FFFD / dropped
//   element text    kept       kept       dropped      dropped              U+FFFD / dropped
//   attribute       space      space      space        dropped              U+FFFD / dropped
//
// An attribute value keeps no TAB, LF or CR because a reader normalizes each of them to a
// space (XML 1.0 §3.3.3) anyway; VT and FF are the separators a user meant, so they become
// one too rather than vanish.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rovuvuz::XMLChars {

// Production Char of XML 1.0 §2.2: TAB, LF, CR, U+0020–U+D7FF, U+E000–U+FFFD and
// U+10000–U+10FFFF.
constexpr bool isAllowed(char32_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c < 0xD800) return true;
    if (c < 0xE000) return false;
    if (c < 0x10000) return c != 0xFFFE && c != 0xFFFF;
    return c <= 0x10FFFF;
}

// What one character of text becomes where text turns into the runs of a paragraph.
enum class InRun : uint8_t {
    character,  // text of a w:t
    tab,        // w:tab
    lineBreak,  // w:br: LF, CR, VT, FF and U+2028
    dropped,    // nothing: a character XML cannot carry
};
InRun inRun(char32_t c);

// UTF-8 for the content of an element written as text (table above).
std::string elementText(std::string_view utf8);
// UTF-8 for an attribute value (table above).
std::string attributeValue(std::string_view utf8);

// Whether UTF-8 bytes need no change to be written as element text.
bool isWritableText(std::string_view utf8);

}  // namespace rovuvuz::XMLChars
