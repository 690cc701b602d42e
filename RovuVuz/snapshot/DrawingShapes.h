// What a drawing looks like, as plain values a page can draw without reading markup: a
// shape's outline, fill and line (DrawingML wps:spPr and wps:style, VML stroke and fill
// attributes), where its text stands inside it (wps:bodyPr, v:textbox), and what a SmartArt
// graphic or a chart shows (their drawing and chart parts). Lengths in points; colours as
// six hexadecimal digits "RRGGBB" with theme colours already resolved.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rovuvuz {

struct ShapeLook {
    // The preset geometry's name (a:prstGeom prst: "rect", "roundRect", "ellipse", "line",
    // "triangle", "rightArrow", …) or the VML element's equivalent.
    std::string geometry = "rect";
    std::optional<std::string> fill;  // nothing: not filled
    std::optional<std::string> line;  // nothing: no outline
    double lineWidth = 0.75;
    bool operator==(const ShapeLook&) const = default;
};

// The space between a shape's edges and its text, whether the shape takes its text's
// height, and where the text stands when the shape is taller than it.
struct TextFrame {
    enum class Anchor : uint8_t { top, center, bottom };
    double left = 7.2, top = 3.6, right = 7.2, bottom = 3.6;  // 0.1" and 0.05", the defaults
    bool autoFit = false;  // a:spAutoFit, mso-fit-shape-to-text
    Anchor anchor = Anchor::top;
    bool operator==(const TextFrame&) const = default;
};

// A paragraph of a SmartArt shape's text.
struct GraphicParagraph {
    enum class Align : uint8_t { left, center, right };
    std::string text;
    double size = 0;  // 0: the graphic's default
    std::optional<std::string> color;
    bool bold = false;
    Align align = Align::left;
    bool operator==(const GraphicParagraph&) const = default;
};

// One drawn shape of a SmartArt graphic, from the frame's top left.
struct GraphicShape {
    double x = 0, y = 0, width = 0, height = 0;
    ShapeLook look;
    TextFrame frame;
    std::vector<GraphicParagraph> paragraphs;
    bool operator==(const GraphicShape&) const = default;
};

struct ChartSeries {
    std::string name;
    std::vector<std::optional<double>> values;  // by category; nothing where the cache has no point
    std::optional<std::string> color;           // its own fill; nothing: the theme's accent
    bool operator==(const ChartSeries&) const = default;
};

// A chart's cached values (c:strCache, c:numCache): enough to draw its title, names and a
// simple plot without the workbook behind it.
struct ChartData {
    enum class Kind : uint8_t { column, bar, line, area, pie, other };
    Kind kind = Kind::other;
    std::string title;
    std::vector<std::string> categories;
    std::vector<ChartSeries> series;
    std::vector<std::string> accents;  // the theme's accent colours, for series without their own
    bool operator==(const ChartData&) const = default;
};

// What a graphic frame shows that is not a picture (a:graphicData of a diagram or a chart).
struct DrawingGraphic {
    enum class Kind : uint8_t { none, diagram, chart };
    Kind kind = Kind::none;
    std::vector<GraphicShape> shapes;  // a diagram's drawn shapes
    std::vector<std::string> lines;    // a diagram without a drawing part: its points' texts
    std::optional<ChartData> chart;
    bool operator==(const DrawingGraphic&) const = default;
};

}  // namespace rovuvuz
