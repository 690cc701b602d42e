// The formats the display and the format commands work with: a run's character format and
// a paragraph's format, and how one property element (w:rPr, w:pPr) changes them. Every
// other property of the file is kept by the node tree and not interpreted here.
//
// Reading a bag gives a change: for each field, either nothing (the bag does not state it)
// or the value the bag sets, which may itself be "none" (w:highlight="none" clears the
// highlight). Merging bags one after another is overlaying their changes in order, later
// wins field by field, so the change of a whole style chain can be computed once and then
// applied to any number of formats.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/model/PropertyBag.h"

namespace rovuvuz {

enum class VerticalAlign : uint8_t { baseline, superscript, subscript };
enum class Alignment : uint8_t { left, center, right, both };
// w:u's style (ST_Underline) as the display draws it: the heavy, dash and wave variants of
// one line fold into their kind.
enum class UnderlineStyle : uint8_t { none, single, words, doubleLine, thick, dotted, dashed, dotDash, wave };

// A BCP 47 language tag as w:lang writes it ("en-US"), kept inline and trivially copyable
// because a run format is copied into every span of every snapshot. Tags longer than
// `capacity` (rare private-use extensions) are cut there. Empty: no language stated.
class LanguageTag {
  public:
    static constexpr size_t capacity = 23;
    LanguageTag() = default;
    explicit LanguageTag(std::string_view tag);
    std::string_view view() const { return {chars_.data(), size_}; }
    bool empty() const { return size_ == 0; }
    bool operator==(const LanguageTag&) const = default;

  private:
    std::array<char, capacity> chars_{};
    uint8_t size_ = 0;
};

// The theme's Latin typefaces: "major" (headings) and "minor" (body), either may be absent.
using ThemeFonts = std::map<std::string, std::string, std::less<>>;

// Numbers as the format writes them (ST_DecimalNumber, ST_TwipsMeasure, half-points), read
// so that any text gives a defined result: malformed or non-finite numbers are no number,
// and lengths are kept inside the range a page can show.
namespace FormatValues {

// A finite decimal number ("12", "-3.5", "1e2"); nothing for anything else.
std::optional<double> number(std::string_view text);
// A whole number that fits 32 bits, the range of ST_DecimalNumber; nothing otherwise.
std::optional<int64_t> integer(std::string_view text);

// 22 inches: Word's largest page side. No length on a page is longer, and clamping to it
// keeps hostile values (w:before="99999999999") from reaching layout.
constexpr double longestLength = 1584;
// Word's largest font size (ECMA-376 allows more, but nothing displays it).
constexpr double largestFontSize = 1638;
// The smallest font size the half-point unit can state.
constexpr double smallestFontSize = 0.5;
// A line-spacing multiple past this makes one line taller than any page.
constexpr double largestLineMultiple = 132;

double clamp(double value, double lowest, double highest);
// Twentieths of a point to points, within ±longestLength.
double twips(double value);

}  // namespace FormatValues

struct RunFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;  // any underline style
    bool strike = false;     // single strike only
    VerticalAlign verticalAlign = VerticalAlign::baseline;
    std::optional<std::string> font;       // family name
    std::optional<double> size;            // points
    std::optional<std::string> color;      // hexadecimal, as written
    std::optional<std::string> highlight;  // the highlight colour name, as written
    std::optional<StyleID> style;          // the character style (w:rStyle)
    std::optional<double> kernFrom;        // points: kerning from this font size up
    UnderlineStyle underlineStyle = UnderlineStyle::none;  // set with `underline`
    bool smallCaps = false;                // w:smallCaps
    bool caps = false;                     // w:caps: lower case shown as capitals
    bool doubleStrike = false;             // w:dstrike
    LanguageTag language;                  // w:lang w:val; empty when nothing states one

    // Sets whatever the bag states (ECMA-376 §17.3.2); theme font references resolve
    // through `theme`.
    void merge(const PropertyBag& bag, const ThemeFonts& theme);
    bool operator==(const RunFormat&) const = default;
};

struct ParagraphFormat {
    std::optional<StyleID> style;  // the paragraph style in force
    Alignment alignment = Alignment::left;
    double spaceBefore = 0;  // points
    double spaceAfter = 0;
    // Line spacing: a multiple of single spacing, or an exact (or at-least) height in
    // points. Once a w:spacing w:line has been merged exactly one of the two is set.
    std::optional<double> lineMultiple = 1.0;
    std::optional<double> lineExact;
    double indentLeft = 0;
    double indentRight = 0;
    double firstLine = 0;  // negative: a hanging indent
    std::optional<NumberingID> numbering;
    // The list level as the file states it. A value outside 0…8 names no list level, and
    // Numbering answers no level and no label for it.
    int numberingLevel = 0;
    bool keepNext = false;
    bool keepLines = false;
    bool widowControl = true;
    bool contextualSpacing = false;
    bool pageBreakBefore = false;
    std::optional<int> outlineLevel;

    // Sets whatever the bag states (ECMA-376 §17.3.1).
    void merge(const PropertyBag& bag);
    bool operator==(const ParagraphFormat&) const = default;
};

// What one w:rPr states; see the file comment.
struct RunFormatDelta {
    std::optional<bool> bold, italic, underline, strike, smallCaps, caps, doubleStrike;
    std::optional<UnderlineStyle> underlineStyle;
    std::optional<VerticalAlign> verticalAlign;
    std::optional<std::optional<std::string>> font, color, highlight;
    std::optional<LanguageTag> language;
    std::optional<std::optional<double>> size, kernFrom;
    std::optional<std::optional<StyleID>> style;

    static RunFormatDelta read(const PropertyBag& bag, const ThemeFonts& theme);
    // Takes every field `later` states.
    void overlay(const RunFormatDelta& later);
    void applyTo(RunFormat& format) const;
    bool operator==(const RunFormatDelta&) const = default;
};

// What one w:pPr states.
struct ParagraphFormatDelta {
    std::optional<std::optional<StyleID>> style;
    std::optional<Alignment> alignment;
    std::optional<double> spaceBefore, spaceAfter, indentLeft, indentRight, firstLine;
    std::optional<std::optional<double>> lineMultiple, lineExact;
    std::optional<std::optional<NumberingID>> numbering;
    std::optional<int> numberingLevel;
    std::optional<bool> keepNext, keepLines, widowControl, contextualSpacing, pageBreakBefore;
    std::optional<std::optional<int>> outlineLevel;

    static ParagraphFormatDelta read(const PropertyBag& bag);
    void overlay(const ParagraphFormatDelta& later);
    void applyTo(ParagraphFormat& format) const;
    bool operator==(const ParagraphFormatDelta&) const = default;
};

}  // namespace rovuvuz

template <>
struct std::hash<rovuvuz::RunFormat> {
    size_t operator()(const rovuvuz::RunFormat& format) const noexcept;
};
template <>
struct std::hash<rovuvuz::ParagraphFormat> {
    size_t operator()(const rovuvuz::ParagraphFormat& format) const noexcept;
};
