#include "RovuVuz/format/ListDefinitions.h"

#include <array>
#include <cstdio>

#include "RovuVuz/xml/XMLWriter.h"

namespace rovuvuz::ListDefinitions {

namespace {

using Markup::qualified;

// Each level sits half an inch deeper than the one before, its label hanging a quarter
// inch to the left of the text (twentieths of a point).
constexpr int levelStep = 720;
constexpr int hangingIndent = 360;
// Roman numerals end at their right edge, so they hang less and align right.
constexpr int romanHanging = 180;

struct LevelLook {
    std::string_view format;  // w:numFmt
    std::string_view text;    // w:lvlText
    std::string_view font;    // the label's font; empty for the paragraph's own
};

// Bullets cycle through a filled dot, a hollow circle and a square, in the symbol fonts
// whose private-use code points Word uses for them (U+F0B7 in Symbol, "o" in Courier New,
// U+F0A7 in Wingdings).
constexpr std::array<LevelLook, 3> bulletLooks = {{
    {"bullet", "\xEF\x82\xB7", "Symbol"},
    {"bullet", "o", "Courier New"},
    {"bullet", "\xEF\x82\xA7", "Wingdings"},
}};

constexpr std::array<std::string_view, 3> numberFormats = {"decimal", "lowerLetter", "lowerRoman"};

std::string hex8(uint32_t value) {
    std::array<char, 9> digits{};
    std::snprintf(digits.data(), digits.size(), "%08X", value);
    return std::string(digits.data(), 8);
}

void writeLevel(XMLWriter& out, const Prefixes& p, int level, ListKind kind) {
    const auto e = [&](std::string_view local) { return qualified(p.element, local); };
    const auto a = [&](std::string_view local) { return qualified(p.attribute, local); };
    const size_t cycle = static_cast<size_t>(level) % 3;
    const std::string template_ = "%" + std::to_string(level + 1) + ".";
    const LevelLook look = kind == ListKind::bullet ? bulletLooks[cycle]
                                                    : LevelLook{numberFormats[cycle], template_, {}};
    const bool roman = look.format == "lowerRoman";
    out.open(e("lvl"), {{a("ilvl"), std::to_string(level)}});
    out.empty(e("start"), {{a("val"), "1"}});
    out.empty(e("numFmt"), {{a("val"), std::string(look.format)}});
    out.empty(e("lvlText"), {{a("val"), std::string(look.text)}});
    out.empty(e("lvlJc"), {{a("val"), roman ? "right" : "left"}});
    out.open(e("pPr"));
    out.empty(e("ind"), {{a("left"), std::to_string(levelStep * (level + 1))},
                         {a("hanging"), std::to_string(roman ? romanHanging : hangingIndent)}});
    out.close();
    if (!look.font.empty()) {
        const std::string font(look.font);
        out.open(e("rPr"));
        out.empty(e("rFonts"), {{a("ascii"), font}, {a("hAnsi"), font}, {a("hint"), "default"}});
        out.close();
    }
    out.close();
}

}  // namespace

ListKind kind(const Numbering& numbering, const NumberingID& list) {
    const Numbering::Level* first = numbering.level(list, 0);
    if (!first || first->format == "none") return ListKind::none;
    return first->format == "bullet" ? ListKind::bullet : ListKind::number;
}

bool isPlain(const Numbering& numbering, const NumberingID& list, ListKind wanted) {
    const Numbering::Level* first = numbering.level(list, 0);
    if (!first) return false;
    if (wanted == ListKind::bullet) return first->format == "bullet";
    return wanted == ListKind::number && first->format == "decimal";
}

std::string abstractNum(const Prefixes& p, std::string_view abstractID, ListKind kind, uint32_t nsid) {
    const auto e = [&](std::string_view local) { return qualified(p.element, local); };
    const auto a = [&](std::string_view local) { return qualified(p.attribute, local); };
    XMLWriter out;
    out.open(e("abstractNum"), {{a("abstractNumId"), std::string(abstractID)}});
    out.empty(e("nsid"), {{a("val"), hex8(nsid)}});
    out.empty(e("multiLevelType"), {{a("val"), "hybridMultilevel"}});
    for (int level = 0; level < Numbering::levelCount; ++level) writeLevel(out, p, level, kind);
    return out.finish();
}

std::string num(const Prefixes& p, std::string_view numID, std::string_view abstractID, bool restart) {
    const auto e = [&](std::string_view local) { return qualified(p.element, local); };
    const auto a = [&](std::string_view local) { return qualified(p.attribute, local); };
    XMLWriter out;
    out.open(e("num"), {{a("numId"), std::string(numID)}});
    out.empty(e("abstractNumId"), {{a("val"), std::string(abstractID)}});
    if (restart) {
        out.open(e("lvlOverride"), {{a("ilvl"), "0"}});
        out.empty(e("startOverride"), {{a("val"), "1"}});
        out.close();
    }
    return out.finish();
}

}  // namespace rovuvuz::ListDefinitions
