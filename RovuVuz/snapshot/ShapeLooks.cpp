#include "RovuVuz/snapshot/ShapeLooks.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/snapshot/ChildElements.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::ShapeLooks {

namespace {

constexpr double emuPerPoint = 12700;
// The widest outline drawn, points: a larger width is a damaged or hostile file.
constexpr double widestLine = 72;

// What a fill element says: a colour, no fill, or nothing about fill.
struct FillSays {
    bool stated = false;
    std::optional<std::string> color;
};

FillSays fillIn(const XMLTree& tree, int holder, const ThemeColors& theme) {
    for (int child : tree.childElements(holder)) {
        const std::string_view kind = tree.localName(child);
        if (kind == "noFill") return {true, std::nullopt};
        if (kind == "solidFill") return {true, DrawingColors::of(tree, child, theme)};
        if (kind == "gradFill") {
            // A gradient is drawn in its first stop's colour.
            const auto stops = childNamed(tree, child, "gsLst");
            const auto children = stops ? tree.childElements(*stops) : std::vector<int>{};
            return {true, children.empty() ? std::nullopt : DrawingColors::of(tree, children.front(), theme)};
        }
        if (kind == "pattFill") {
            const auto foreground = childNamed(tree, child, "fgClr");
            return {true, foreground ? DrawingColors::of(tree, *foreground, theme) : std::nullopt};
        }
        if (kind == "blipFill" || kind == "grpFill") return {true, std::nullopt};
    }
    return {};
}

// A style reference (a:fillRef, a:lnRef): idx 0 means none, else its own colour.
std::optional<std::string> styleColor(const XMLTree& tree, std::optional<int> style, std::string_view reference,
                                      const ThemeColors& theme, int& index) {
    index = 0;
    if (!style) return std::nullopt;
    const auto ref = childNamed(tree, *style, reference);
    if (!ref) return std::nullopt;
    index = static_cast<int>(std::clamp<int64_t>(Numbers::integer(tree.attribute(*ref, "idx")).value_or(0), 0, 1000));
    if (index == 0) return std::nullopt;
    return DrawingColors::of(tree, *ref, theme);
}

// The outline widths of the theme's line styles, by a:lnRef idx (1 to 3), as Office's
// themes give them.
double styleLineWidth(int index) {
    constexpr std::array<double, 3> widths{0.75, 1.0, 1.5};
    return widths[static_cast<size_t>(std::clamp(index, 1, 3) - 1)];
}

bool isLine(std::string_view geometry) {
    return geometry == "line" || geometry.find("Connector") != std::string_view::npos;
}

// A VML boolean (ECMA-376 Part 4 §19.1.2.5) that says false: "f", "false", "0", "off".
bool isOff(const std::optional<std::string>& value) {
    return value && (*value == "f" || !Markup::isOn(*value));
}

}  // namespace

ShapeLook drawingML(const XMLTree& tree, int shape, const ThemeColors& theme) {
    ShapeLook look;
    const auto properties = childNamed(tree, shape, "spPr");
    const auto style = childNamed(tree, shape, "style");
    if (properties) {
        if (const auto preset = childNamed(tree, *properties, "prstGeom"))
            look.geometry = tree.attribute(*preset, "prst").value_or("rect");
    }
    int fillIndex = 0;
    const std::optional<std::string> styleFill = styleColor(tree, style, "fillRef", theme, fillIndex);
    const FillSays fill = properties ? fillIn(tree, *properties, theme) : FillSays{};
    look.fill = fill.stated ? fill.color : styleFill;
    if (isLine(look.geometry)) look.fill.reset();

    int lineIndex = 0;
    const std::optional<std::string> styleLine = styleColor(tree, style, "lnRef", theme, lineIndex);
    look.lineWidth = styleLineWidth(lineIndex);
    const auto outline = properties ? childNamed(tree, *properties, "ln") : std::nullopt;
    FillSays line;
    if (outline) {
        if (const auto width = Numbers::decimal(tree.attribute(*outline, "w")))
            look.lineWidth = std::clamp(*width / emuPerPoint, 0.0, widestLine);
        line = fillIn(tree, *outline, theme);
    }
    look.line = line.stated ? line.color : styleLine;
    return look;
}

TextFrame bodyFrame(const XMLTree& tree, std::optional<int> bodyPr) {
    TextFrame frame;
    if (!bodyPr) return frame;
    auto inset = [&](const char* name, double& side) {
        if (const auto emu = Numbers::decimal(tree.attribute(*bodyPr, name)))
            side = std::clamp(*emu / emuPerPoint, 0.0, FormatValues::longestLength);
    };
    inset("lIns", frame.left);
    inset("tIns", frame.top);
    inset("rIns", frame.right);
    inset("bIns", frame.bottom);
    frame.autoFit = childNamed(tree, *bodyPr, "spAutoFit").has_value();
    const std::string anchor = tree.attribute(*bodyPr, "anchor").value_or("t");
    if (anchor == "ctr") frame.anchor = TextFrame::Anchor::center;
    if (anchor == "b") frame.anchor = TextFrame::Anchor::bottom;
    return frame;
}

std::optional<double> cssLength(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    size_t unit = 0;
    while (unit < text.size() && (std::isdigit(static_cast<unsigned char>(text[unit])) || text[unit] == '.' ||
                                  text[unit] == '-' || text[unit] == '+'))
        ++unit;
    const auto number = Numbers::decimal(text.substr(0, unit));
    if (!number) return std::nullopt;
    std::string_view suffix = text.substr(unit);
    while (!suffix.empty() && suffix.back() == ' ') suffix.remove_suffix(1);
    const double scale = suffix == "in" ? 72 : suffix == "cm" ? 72 / 2.54 : suffix == "mm" ? 72 / 25.4
                         : suffix == "px" ? 0.75 : suffix == "emu" ? 1 / emuPerPoint : 1;
    return FormatValues::clamp(*number * scale, -FormatValues::longestLength, FormatValues::longestLength);
}

ShapeLook vml(const XMLTree& tree, int shape) {
    ShapeLook look;
    const std::string_view kind = tree.localName(shape);
    if (kind == "roundrect") look.geometry = "roundRect";
    if (kind == "oval") look.geometry = "ellipse";
    if (kind == "line") look.geometry = "line";
    look.line = DrawingColors::vml(tree.attribute(shape, "strokecolor").value_or("black"));
    if (const auto weight = tree.attribute(shape, "strokeweight"))
        look.lineWidth = std::clamp(cssLength(*weight).value_or(0.75), 0.0, widestLine);
    look.fill = DrawingColors::vml(tree.attribute(shape, "fillcolor").value_or("white"));
    if (const auto stroke = childNamed(tree, shape, "stroke")) {
        if (const auto color = tree.attribute(*stroke, "color")) look.line = DrawingColors::vml(*color);
        if (isOff(tree.attribute(*stroke, "on"))) look.line.reset();
    }
    if (const auto fill = childNamed(tree, shape, "fill")) {
        if (const auto color = tree.attribute(*fill, "color")) look.fill = DrawingColors::vml(*color);
        if (isOff(tree.attribute(*fill, "on"))) look.fill.reset();
    }
    if (isOff(tree.attribute(shape, "stroked"))) look.line.reset();
    if (isOff(tree.attribute(shape, "filled")) || look.geometry == "line") look.fill.reset();
    return look;
}

TextFrame vmlFrame(const XMLTree& tree, int shape) {
    TextFrame frame;
    const std::string style = tree.attribute(shape, "style").value_or("");
    if (const size_t at = style.find("v-text-anchor:"); at != std::string::npos) {
        const std::string_view value = std::string_view(style).substr(at + 14);
        if (value.starts_with("middle")) frame.anchor = TextFrame::Anchor::center;
        if (value.starts_with("bottom")) frame.anchor = TextFrame::Anchor::bottom;
    }
    const auto box = childNamed(tree, shape, "textbox");
    if (!box) return frame;
    frame.autoFit = tree.attribute(*box, "style").value_or("").find("mso-fit-shape-to-text:t") != std::string::npos;
    // inset="left,top,right,bottom"; an empty place keeps its default.
    const std::string insets = tree.attribute(*box, "inset").value_or("");
    std::string_view rest = insets;
    double* sides[] = {&frame.left, &frame.top, &frame.right, &frame.bottom};
    for (double* side : sides) {
        if (rest.empty()) break;
        const size_t comma = std::min(rest.find(','), rest.size());
        if (const auto length = cssLength(rest.substr(0, comma)))
            *side = std::clamp(*length, 0.0, FormatValues::longestLength);
        rest.remove_prefix(std::min(comma + 1, rest.size()));
    }
    return frame;
}

}  // namespace rovuvuz::ShapeLooks
