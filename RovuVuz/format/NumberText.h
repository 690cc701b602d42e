// One number written in a numbering format of WordprocessingML (ST_NumberFormat, ECMA-376
// §17.18.59): the one conversion behind list labels, page numbers (w:pgNumType w:fmt) and
// the number switches of PAGE-like fields. Letters, Roman numerals and decimal digits are
// computed; ordinals, spelled-out numbers and the counting systems of other languages come
// from ICU's rule-based and numbering-system formats in the paragraph's language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rovuvuz::NumberText {

// The language used when a paragraph states none.
inline constexpr std::string_view defaultLanguage = "en-US";

// `n` in the format named `format` ("decimal", "lowerRoman", "ordinal", "cardinalText",
// "hebrew1", "japaneseCounting", …), for the BCP 47 language `language` ("en-US", "fr-FR";
// empty or malformed means defaultLanguage). "bullet" and "none" give empty text, and so
// do letters and Roman numerals below 1. A format this does not know, or one ICU cannot
// serve, gives decimal digits. Never throws.
std::string format(int64_t n, std::string_view format, std::string_view language = defaultLanguage);

}  // namespace rovuvuz::NumberText
