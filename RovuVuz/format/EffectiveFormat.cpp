#include "RovuVuz/format/EffectiveFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

LanguageTag::LanguageTag(std::string_view tag) : size_(static_cast<uint8_t>(std::min(tag.size(), capacity))) {
    std::copy_n(tag.begin(), size_, chars_.begin());
}

namespace FormatValues {

std::optional<double> number(std::string_view text) {
    return Numbers::decimal(text);
}

std::optional<int64_t> integer(std::string_view text) {
    const auto value = Numbers::integer(text);
    if (!value || *value < std::numeric_limits<int32_t>::min() ||
        *value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return value;
}

double clamp(double value, double lowest, double highest) {
    return std::min(std::max(value, lowest), highest);
}

double twips(double value) {
    return clamp(value / 20, -longestLength, longestLength);
}

}  // namespace FormatValues

namespace {

using FormatValues::clamp;

// One child element of a property bag: its names and its start tag's attributes.
struct Property {
    std::string_view qname;
    std::string_view local;
    Markup::Attributes attributes;

    // The attribute `local` in the element's own namespace ("val" finds "w:val" on w:b and
    // "ns0:val" on ns0:b, never an xml: attribute or one of another prefix).
    std::optional<std::string_view> operator[](std::string_view name) const {
        return Markup::ownAttribute(qname, attributes, name);
    }
};

// ST_OnOff as PropertyBag::toggle reads it.
bool isOn(const Property& property) {
    return Markup::isOn(property["val"]);
}

// Calls `visit` once for the first child element of each local name listed in `names`:
// the bag's first such child is the one that counts (ECMA-376 lets each appear once). The
// bag is walked once and each start tag parsed once, which matters because every run of
// every snapshot reads its direct properties.
template <size_t N, typename Visit>
void forEachProperty(const PropertyBag& bag, const std::string_view (&names)[N], Visit&& visit) {
    static_assert(N <= 32);
    uint32_t seen = 0;
    for (const PropertyBag::Child& child : bag.children) {
        const std::string_view local = child.local();
        const auto found = std::find(std::begin(names), std::end(names), local);
        if (local.empty() || found == std::end(names)) continue;
        const uint32_t bit = 1u << (found - std::begin(names));
        if (seen & bit) continue;
        seen |= bit;
        const ByteView bytes = child.bytes.view();
        const auto close = std::find(bytes.begin(), bytes.end(), uint8_t{'>'});
        if (close == bytes.end()) continue;
        Property property{Markup::startTagName(child.bytes.chars()).value_or(local), local,
                          Markup::attributes(bytes.first(static_cast<size_t>(close - bytes.begin()) + 1))};
        visit(property, bytes);
    }
}

constexpr std::string_view runNames[] = {"b",      "i",    "strike",    "u",    "vertAlign", "rFonts",
                                         "sz",     "color", "highlight", "rStyle", "kern",    "smallCaps",
                                         "caps",   "dstrike", "lang"};

// ST_Underline (§17.18.99) by kind.
UnderlineStyle underlineStyleOf(std::string_view val) {
    if (val == "none") return UnderlineStyle::none;
    if (val == "words") return UnderlineStyle::words;
    if (val == "double") return UnderlineStyle::doubleLine;
    if (val == "thick") return UnderlineStyle::thick;
    if (val.starts_with("dotDot") || val.starts_with("dashDotDot")) return UnderlineStyle::dotDash;
    if (val.starts_with("dotDash") || val.starts_with("dashDot")) return UnderlineStyle::dotDash;
    if (val == "dotted" || val == "dottedHeavy") return UnderlineStyle::dotted;
    if (val.starts_with("dash")) return UnderlineStyle::dashed;
    if (val.starts_with("wav")) return UnderlineStyle::wave;
    return UnderlineStyle::single;
}

std::optional<std::optional<std::string>> font(const Property& rFonts, const ThemeFonts& theme) {
    if (const auto ascii = rFonts["ascii"]) return std::string(*ascii);
    if (const auto hAnsi = rFonts["hAnsi"]) return std::string(*hAnsi);
    auto reference = rFonts["asciiTheme"];
    if (!reference) reference = rFonts["hAnsiTheme"];
    if (!reference) return std::nullopt;
    // ST_Theme: majorAscii, majorHAnsi, … name the heading font; every minor* the body font.
    const auto entry = theme.find(reference->starts_with("major") ? "major" : "minor");
    if (entry == theme.end()) return std::nullopt;
    return entry->second;
}

// w:sz and w:kern are half-points (ST_HpsMeasure).
std::optional<double> fontSize(const Property& property) {
    const auto value = property["val"];
    const auto n = value ? FormatValues::number(*value) : std::nullopt;
    if (!n) return std::nullopt;
    return clamp(*n / 2, FormatValues::smallestFontSize, FormatValues::largestFontSize);
}

void readRunProperty(RunFormatDelta& change, const Property& p, const ThemeFonts& theme) {
    const auto val = p["val"];
    if (p.local == "b") {
        change.bold = isOn(p);
    } else if (p.local == "i") {
        change.italic = isOn(p);
    } else if (p.local == "strike") {
        change.strike = isOn(p);
    } else if (p.local == "u") {
        change.underline = val.value_or("single") != "none";
        change.underlineStyle = underlineStyleOf(val.value_or("single"));
    } else if (p.local == "smallCaps") {
        change.smallCaps = isOn(p);
    } else if (p.local == "caps") {
        change.caps = isOn(p);
    } else if (p.local == "dstrike") {
        change.doubleStrike = isOn(p);
    } else if (p.local == "lang" && val) {
        change.language = LanguageTag(*val);
    } else if (p.local == "vertAlign" && val) {
        change.verticalAlign = *val == "superscript" ? VerticalAlign::superscript
                               : *val == "subscript" ? VerticalAlign::subscript
                                                     : VerticalAlign::baseline;
    } else if (p.local == "rFonts") {
        if (auto family = font(p, theme)) change.font = std::move(*family);
    } else if (p.local == "sz") {
        if (const auto size = fontSize(p)) change.size = *size;
    } else if (p.local == "color" && val) {
        // "auto" is the renderer's choice of contrast colour, not a colour of its own: an
        // inherited colour stays.
        if (*val != "auto") change.color = std::string(*val);
    } else if (p.local == "highlight" && val) {
        change.highlight = *val == "none" ? std::nullopt : std::optional<std::string>(*val);
    } else if (p.local == "rStyle" && val) {
        change.style = StyleID{std::string(*val)};
    } else if (p.local == "kern" && val) {
        if (const auto n = FormatValues::number(*val)) change.kernFrom = *n == 0 ? std::nullopt : fontSize(p);
    }
}

constexpr std::string_view paragraphNames[] = {"pStyle",
                                               "jc",
                                               "spacing",
                                               "ind",
                                               "numPr",
                                               "keepNext",
                                               "keepLines",
                                               "widowControl",
                                               "contextualSpacing",
                                               "pageBreakBefore",
                                               "outlineLvl"};

void readSpacing(ParagraphFormatDelta& change, const Property& p) {
    using FormatValues::longestLength;
    // Space before and after is ST_TwipsMeasure, never negative.
    if (const auto before = p["before"] ? FormatValues::number(*p["before"]) : std::nullopt)
        change.spaceBefore = clamp(*before / 20, 0, longestLength);
    if (const auto after = p["after"] ? FormatValues::number(*p["after"]) : std::nullopt)
        change.spaceAfter = clamp(*after / 20, 0, longestLength);
    const auto line = p["line"] ? FormatValues::number(*p["line"]) : std::nullopt;
    if (!line) return;
    // §17.3.1.33: under the "auto" rule w:line counts 240ths of a line; under "exact" and
    // "atLeast" twentieths of a point.
    const auto rule = p["lineRule"];
    if (!rule || *rule == "auto") {
        change.lineMultiple = clamp(*line / 240, 0, FormatValues::largestLineMultiple);
        change.lineExact = std::optional<double>();
    } else {
        change.lineExact = clamp(*line / 20, 0, longestLength);
        change.lineMultiple = std::optional<double>();
    }
}

void readIndent(ParagraphFormatDelta& change, const Property& p) {
    const auto twips = [&](std::string_view name,
                           std::string_view alternative = {}) -> std::optional<double> {
        auto text = p[name];
        if (!text && !alternative.empty()) text = p[alternative];
        const auto n = text ? FormatValues::number(*text) : std::nullopt;
        if (!n) return std::nullopt;
        return FormatValues::twips(*n);
    };
    if (const auto left = twips("left", "start")) change.indentLeft = *left;
    if (const auto right = twips("right", "end")) change.indentRight = *right;
    if (const auto first = twips("firstLine")) change.firstLine = *first;
    // §17.3.1.12: firstLine and hanging exclude each other; when both are written,
    // hanging wins.
    if (const auto hanging = twips("hanging")) change.firstLine = -*hanging;
}

void readNumbering(ParagraphFormatDelta& change, ByteView bytes) {
    try {
        const XMLTree tree(bytes);
        for (int child : tree.childElements(tree.root())) {
            const std::string_view local = tree.localName(child);
            const auto val = tree.ownAttribute(child, "val");
            if (local == "numId") {
                // numId 0 switches off a numbering inherited from the style (§17.9.18).
                change.numbering =
                    !val || *val == "0" ? std::nullopt : std::optional<NumberingID>(NumberingID{*val});
            } else if (local == "ilvl") {
                const auto level = val ? FormatValues::integer(*val) : std::nullopt;
                change.numberingLevel = static_cast<int>(level.value_or(0));
            }
        }
    } catch (const XMLError&) {
    }
}

void readParagraphProperty(ParagraphFormatDelta& change, const Property& p, ByteView bytes) {
    const auto val = p["val"];
    if (p.local == "pStyle" && val) {
        change.style = StyleID{std::string(*val)};
    } else if (p.local == "jc" && val) {
        change.alignment = *val == "center"                         ? Alignment::center
                           : *val == "right" || *val == "end"       ? Alignment::right
                           : *val == "both" || *val == "distribute" ? Alignment::both
                                                                    : Alignment::left;
    } else if (p.local == "spacing") {
        readSpacing(change, p);
    } else if (p.local == "ind") {
        readIndent(change, p);
    } else if (p.local == "numPr") {
        readNumbering(change, bytes);
    } else if (p.local == "keepNext") {
        change.keepNext = isOn(p);
    } else if (p.local == "keepLines") {
        change.keepLines = isOn(p);
    } else if (p.local == "widowControl") {
        change.widowControl = isOn(p);
    } else if (p.local == "contextualSpacing") {
        change.contextualSpacing = isOn(p);
    } else if (p.local == "pageBreakBefore") {
        change.pageBreakBefore = isOn(p);
    } else if (p.local == "outlineLvl" && val) {
        if (const auto level = FormatValues::integer(*val)) change.outlineLevel = static_cast<int>(*level);
    }
}

template <typename T>
void take(std::optional<T>& mine, const std::optional<T>& later) {
    if (later) mine = later;
}

template <typename T>
void put(T& field, const std::optional<T>& change) {
    if (change) field = *change;
}

void combine(size_t& seed, size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

template <typename T>
size_t hashOf(const std::optional<T>& value) {
    return value ? std::hash<T>()(*value) : 0x51ed27;
}

size_t hashOf(const std::optional<StyleID>& id) {
    return id ? std::hash<std::string>()(id->rawValue) : 0x51ed27;
}

}  // namespace

RunFormatDelta RunFormatDelta::read(const PropertyBag& bag, const ThemeFonts& theme) {
    RunFormatDelta change;
    forEachProperty(bag, runNames, [&](const Property& p, ByteView) { readRunProperty(change, p, theme); });
    return change;
}

void RunFormatDelta::overlay(const RunFormatDelta& later) {
    take(bold, later.bold);
    take(italic, later.italic);
    take(underline, later.underline);
    take(strike, later.strike);
    take(verticalAlign, later.verticalAlign);
    take(font, later.font);
    take(color, later.color);
    take(highlight, later.highlight);
    take(size, later.size);
    take(kernFrom, later.kernFrom);
    take(style, later.style);
    take(underlineStyle, later.underlineStyle);
    take(smallCaps, later.smallCaps);
    take(caps, later.caps);
    take(doubleStrike, later.doubleStrike);
    take(language, later.language);
}

void RunFormatDelta::applyTo(RunFormat& format) const {
    put(format.bold, bold);
    put(format.italic, italic);
    put(format.underline, underline);
    put(format.strike, strike);
    put(format.verticalAlign, verticalAlign);
    put(format.font, font);
    put(format.color, color);
    put(format.highlight, highlight);
    put(format.size, size);
    put(format.kernFrom, kernFrom);
    put(format.style, style);
    put(format.underlineStyle, underlineStyle);
    put(format.smallCaps, smallCaps);
    put(format.caps, caps);
    put(format.doubleStrike, doubleStrike);
    put(format.language, language);
}

ParagraphFormatDelta ParagraphFormatDelta::read(const PropertyBag& bag) {
    ParagraphFormatDelta change;
    forEachProperty(bag, paragraphNames,
                    [&](const Property& p, ByteView bytes) { readParagraphProperty(change, p, bytes); });
    return change;
}

void ParagraphFormatDelta::overlay(const ParagraphFormatDelta& later) {
    take(style, later.style);
    take(alignment, later.alignment);
    take(spaceBefore, later.spaceBefore);
    take(spaceAfter, later.spaceAfter);
    take(indentLeft, later.indentLeft);
    take(indentRight, later.indentRight);
    take(firstLine, later.firstLine);
    take(lineMultiple, later.lineMultiple);
    take(lineExact, later.lineExact);
    take(numbering, later.numbering);
    take(numberingLevel, later.numberingLevel);
    take(keepNext, later.keepNext);
    take(keepLines, later.keepLines);
    take(widowControl, later.widowControl);
    take(contextualSpacing, later.contextualSpacing);
    take(pageBreakBefore, later.pageBreakBefore);
    take(outlineLevel, later.outlineLevel);
}

void ParagraphFormatDelta::applyTo(ParagraphFormat& format) const {
    put(format.style, style);
    put(format.alignment, alignment);
    put(format.spaceBefore, spaceBefore);
    put(format.spaceAfter, spaceAfter);
    put(format.indentLeft, indentLeft);
    put(format.indentRight, indentRight);
    put(format.firstLine, firstLine);
    put(format.lineMultiple, lineMultiple);
    put(format.lineExact, lineExact);
    put(format.numbering, numbering);
    put(format.numberingLevel, numberingLevel);
    put(format.keepNext, keepNext);
    put(format.keepLines, keepLines);
    put(format.widowControl, widowControl);
    put(format.contextualSpacing, contextualSpacing);
    put(format.pageBreakBefore, pageBreakBefore);
    put(format.outlineLevel, outlineLevel);
}

void RunFormat::merge(const PropertyBag& bag, const ThemeFonts& theme) {
    RunFormatDelta::read(bag, theme).applyTo(*this);
}

void ParagraphFormat::merge(const PropertyBag& bag) {
    ParagraphFormatDelta::read(bag).applyTo(*this);
}

}  // namespace rovuvuz

size_t std::hash<rovuvuz::RunFormat>::operator()(const rovuvuz::RunFormat& f) const noexcept {
    using rovuvuz::combine;
    using rovuvuz::hashOf;
    size_t seed = (size_t(f.bold) << 0) | (size_t(f.italic) << 1) | (size_t(f.underline) << 2) |
                  (size_t(f.strike) << 3) | (size_t(f.verticalAlign) << 4) | (size_t(f.smallCaps) << 6) |
                  (size_t(f.caps) << 7) | (size_t(f.doubleStrike) << 8) | (size_t(f.underlineStyle) << 9);
    combine(seed, hashOf(f.font));
    combine(seed, hashOf(f.size));
    combine(seed, hashOf(f.color));
    combine(seed, hashOf(f.highlight));
    combine(seed, hashOf(f.style));
    combine(seed, hashOf(f.kernFrom));
    combine(seed, std::hash<std::string_view>()(f.language.view()));
    return seed;
}

size_t std::hash<rovuvuz::ParagraphFormat>::operator()(const rovuvuz::ParagraphFormat& f) const noexcept {
    using rovuvuz::combine;
    using rovuvuz::hashOf;
    size_t seed = (size_t(f.alignment) << 0) | (size_t(f.keepNext) << 2) | (size_t(f.keepLines) << 3) |
                  (size_t(f.widowControl) << 4) | (size_t(f.contextualSpacing) << 5) |
                  (size_t(f.pageBreakBefore) << 6);
    combine(seed, hashOf(f.style));
    for (double d : {f.spaceBefore, f.spaceAfter, f.indentLeft, f.indentRight, f.firstLine})
        combine(seed, std::hash<double>()(d));
    combine(seed, hashOf(f.lineMultiple));
    combine(seed, hashOf(f.lineExact));
    combine(seed, f.numbering ? std::hash<std::string>()(f.numbering->rawValue) : 0x51ed27);
    combine(seed, std::hash<int>()(f.numberingLevel));
    combine(seed, hashOf(f.outlineLevel));
    return seed;
}
