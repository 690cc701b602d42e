// Format changes as edits: one group of paragraph properties or one character property,
// described as a value and applied to a property bag (w:pPr, w:rPr). Which paragraphs and
// runs they reach, and how a tracked change is recorded, is Structural's concern.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/model/PropertyBag.h"

namespace rovuvuz {

// Lengths in points, line spacing in multiples of single spacing.
struct ParagraphFormatChange {
    struct Align {
        std::optional<Alignment> alignment;
        bool operator==(const Align&) const = default;
    };
    struct Indent {
        std::optional<double> left, right, firstLine;  // a negative first line is a hanging indent
        bool operator==(const Indent&) const = default;
    };
    struct Spacing {
        std::optional<double> before, after, line;
        bool operator==(const Spacing&) const = default;
    };
    struct Numbering {
        std::optional<NumberingID> id;  // nothing: no list
        int level = 0;
        bool operator==(const Numbering&) const = default;
    };

    std::variant<Align, Indent, Spacing, Numbering> value;
    bool operator==(const ParagraphFormatChange&) const = default;
};

struct RunFormatChange {
    enum class Toggle : uint8_t { bold, italic, underline, strike };
    struct Switch {
        Toggle property = Toggle::bold;
        bool on = true;
        bool operator==(const Switch&) const = default;
    };
    struct VertAlign {
        VerticalAlign align = VerticalAlign::baseline;
        bool operator==(const VertAlign&) const = default;
    };
    struct Font {
        std::optional<std::string> family;
        bool operator==(const Font&) const = default;
    };
    struct Size {
        std::optional<double> points;
        bool operator==(const Size&) const = default;
    };
    struct Color {
        std::optional<std::string> hex;  // RGB, six hexadecimal digits
        bool operator==(const Color&) const = default;
    };
    struct Highlight {
        std::optional<std::string> name;  // ST_HighlightColor ("yellow", …)
        bool operator==(const Highlight&) const = default;
    };
    struct RunStyle {
        std::optional<StyleID> style;
        bool operator==(const RunStyle&) const = default;
    };
    // Each run's own size, whatever it is, made larger or smaller by a number of points
    // (Increase and Decrease Font Size), within Word's range.
    struct SizeStep {
        double points = 1;  // negative: smaller
        bool operator==(const SizeStep&) const = default;
    };
    // Clear Formatting: every property of the run's own w:rPr that sets how the text looks
    // goes, the character style (w:rStyle) included, as Word's Reset Character Formatting
    // does; what says what the text is stays: its language (w:lang), right-to-left and
    // complex-script flags (w:rtl, w:cs), w:noProof, w:specVanish, w:oMath, and the
    // revision records (w:rPrChange, w:ins, w:del, w:moveFrom, w:moveTo). The paragraph's
    // style still applies.
    struct ClearFormatting {
        bool operator==(const ClearFormatting&) const = default;
    };

    std::variant<Switch, VertAlign, Font, Size, Color, Highlight, RunStyle, SizeStep, ClearFormatting> value;
    bool operator==(const RunFormatChange&) const = default;
};

namespace FormatEdit {

// Whether a change carries values a file can hold (finite lengths a page can show, sizes
// in Word's range, a hexadecimal colour, a highlight name of letters). Callers check
// before changing anything.
bool isValid(const ParagraphFormatChange& change);
bool isValid(const RunFormatChange& change);

// Sets or removes the w:pPr children the change concerns (ECMA-376 §17.3.1): lengths
// become twentieths of a point, line spacing 240ths of a line.
void apply(const ParagraphFormatChange& change, PropertyBag& bag);

// Sets or removes the w:rPr children the change concerns (ECMA-376 §17.3.2). Turning a
// toggle off removes it and, when the run would still show it (from its styles), writes it
// explicitly off; `effective` gives the run's format for the bag as it then stands.
void apply(const RunFormatChange& change, PropertyBag& bag,
           const std::function<RunFormat(const PropertyBag&)>& effective);

}  // namespace FormatEdit

}  // namespace rovuvuz
