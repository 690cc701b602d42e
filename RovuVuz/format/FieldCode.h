// A field's instruction (ECMA-376 §17.16): the text of w:fldSimple's w:instr or of the
// w:instrText runs between a complex field's begin and separate characters, read as its
// kind, its arguments and its switches, and how a page-number field shows a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rovuvuz {

struct FieldInstruction {
    // The fields whose result depends on where the layout puts them; every other field
    // shows its cached result.
    enum class Kind : uint8_t { page, numPages, sectionPages, other };
    // \* Caps, \* FirstCap, \* Upper, \* Lower.
    enum class TextCase : uint8_t { asIs, caps, firstCap, upper, lower };

    Kind kind = Kind::other;
    std::string name;                    // the field's name in upper case ("PAGE", "REF", "TOC")
    std::vector<std::string> arguments;  // the words after the name that belong to no switch
    // Every switch in order with its argument, if any: {"\\*", "ROMAN"}, {"\\h", ""}.
    std::vector<std::pair<std::string, std::string>> switches;
    // The number format (ST_NumberFormat) a \* switch names: "upperRoman" for \* ROMAN,
    // "ordinal" for \* Ordinal; nothing when the field names none.
    std::optional<std::string> numberFormat;
    TextCase textCase = TextCase::asIs;

    // Reads an instruction; any text gives a value (an empty one gives an empty name).
    static FieldInstruction parse(std::string_view code);
    // The text a page-number field shows for `n`: in its own \* format, else in
    // `sectionFormat` (the section's w:pgNumType w:fmt, "decimal" when it names none), in
    // the paragraph's `language`, with the field's case switch applied.
    std::string number(int64_t n, std::string_view sectionFormat, std::string_view language) const;
    bool operator==(const FieldInstruction&) const = default;
};

}  // namespace rovuvuz
