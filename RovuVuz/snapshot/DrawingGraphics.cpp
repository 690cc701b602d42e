#include "RovuVuz/snapshot/DrawingGraphics.h"

#include <algorithm>
#include <cmath>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/snapshot/ChildElements.h"
#include "RovuVuz/snapshot/ShapeLooks.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

DrawingParts::DrawingParts(Reader reader, Related related, std::optional<PartName> themePart)
    : bytes_(std::move(reader)), related_(std::move(related)), themePart_(std::move(themePart)) {}

SharedBytes DrawingParts::bytes(const PartName& part) const {
    try {
        return bytes_ ? bytes_(part) : nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
}

Relationships DrawingParts::relationships(const PartName& part) const {
    try {
        return related_ ? related_(part) : Relationships();
    } catch (const std::exception&) {
        return {};
    }
}

const ThemeColors& DrawingParts::theme() const {
    if (!theme_) {
        const SharedBytes stored = themePart_ ? bytes(*themePart_) : nullptr;
        theme_ = ThemeColors::read(stored ? std::optional<ByteView>(*stored) : std::nullopt);
    }
    return *theme_;
}

namespace DrawingGraphics {

namespace {

constexpr double emuPerPoint = 12700;
// A chart of more series than this draws the first ones.
constexpr size_t mostSeries = 64;

// The elements of a local name under `from` (itself included), in document order, at most `most`.
std::vector<int> elementsNamed(const XMLTree& tree, int from, std::string_view local, size_t most) {
    std::vector<int> found;
    const auto end = tree.range(from).upper;
    for (size_t index = static_cast<size_t>(from); index < tree.nodeCount() && found.size() < most; ++index) {
        const int node = static_cast<int>(index);
        if (tree.range(node).lower >= end) break;
        if (tree.kind(node) == XMLTree::Kind::element && tree.localName(node) == local) found.push_back(node);
    }
    return found;
}

std::optional<int> firstNamed(const XMLTree& tree, int from, std::string_view local) {
    const auto found = elementsNamed(tree, from, local, 1);
    return found.empty() ? std::nullopt : std::optional<int>(found.front());
}

// A relationship attribute (r:id, r:dm) by its local name, whatever its prefix.
std::optional<std::string> relationshipAttribute(const XMLTree& tree, int node, std::string_view local) {
    for (size_t a = 0; a < tree.attributeCount(node); ++a) {
        const std::string_view name = asChars(tree.raw(tree.attributeAt(node, a).name));
        const std::string_view prefix = Markup::prefixOf(name);
        if (Markup::localOf(name) == local && !prefix.empty() && prefix != "xmlns") return tree.attribute(node, name);
    }
    return std::nullopt;
}

std::optional<PartName> target(const Relationships& rels, const std::optional<std::string>& id) {
    if (!id) return std::nullopt;
    const Relationship* relationship = rels.find(RelationshipID{*id});
    return relationship ? rels.part(*relationship) : std::nullopt;
}

// A part's tree; nothing when it is missing or does not parse.
std::optional<XMLTree> partTree(const DrawingParts& parts, const std::optional<PartName>& part) {
    if (!part) return std::nullopt;
    const SharedBytes bytes = parts.bytes(*part);
    if (!bytes) return std::nullopt;
    try {
        return XMLTree(bytes);
    } catch (const XMLError&) {
        return std::nullopt;
    }
}

double points(const XMLTree& tree, int node, const char* name) {
    return FormatValues::clamp(Numbers::decimal(tree.attribute(node, name)).value_or(0) / emuPerPoint,
                               -FormatValues::longestLength, FormatValues::longestLength);
}

// The text of every a:t under `node`, joined.
std::string textUnder(const XMLTree& tree, int node) {
    std::string text;
    for (int t : elementsNamed(tree, node, "t", mostPoints)) text += tree.text(t);
    return text;
}

GraphicParagraph paragraphOf(const XMLTree& tree, int p, const ThemeColors& theme,
                             const std::optional<std::string>& fontColor) {
    GraphicParagraph out;
    out.text = textUnder(tree, p);
    out.color = fontColor;
    if (const auto properties = childNamed(tree, p, "pPr")) {
        const std::string align = tree.attribute(*properties, "algn").value_or("l");
        if (align == "ctr") out.align = GraphicParagraph::Align::center;
        if (align == "r") out.align = GraphicParagraph::Align::right;
    }
    if (const auto run = firstNamed(tree, p, "rPr")) {
        if (const auto size = Numbers::decimal(tree.attribute(*run, "sz")))
            out.size = std::clamp(*size / 100, 1.0, 400.0);
        out.bold = Markup::isOn(tree.attribute(*run, "b").value_or("0"));
        if (const auto fill = childNamed(tree, *run, "solidFill"))
            if (auto color = DrawingColors::of(tree, *fill, theme)) out.color = std::move(color);
    }
    return out;
}

GraphicShape shapeOf(const XMLTree& tree, int sp, const ThemeColors& theme) {
    GraphicShape shape;
    shape.look = ShapeLooks::drawingML(tree, sp, theme);
    if (const auto properties = childNamed(tree, sp, "spPr"))
        if (const auto transform = childNamed(tree, *properties, "xfrm")) {
            if (const auto offset = childNamed(tree, *transform, "off")) {
                shape.x = points(tree, *offset, "x");
                shape.y = points(tree, *offset, "y");
            }
            if (const auto extent = childNamed(tree, *transform, "ext")) {
                shape.width = std::max(0.0, points(tree, *extent, "cx"));
                shape.height = std::max(0.0, points(tree, *extent, "cy"));
            }
        }
    // The style's font reference gives the text its colour unless a run states one.
    std::optional<std::string> fontColor;
    if (const auto style = childNamed(tree, sp, "style"))
        if (const auto font = childNamed(tree, *style, "fontRef")) fontColor = DrawingColors::of(tree, *font, theme);
    if (const auto body = childNamed(tree, sp, "txBody")) {
        shape.frame = ShapeLooks::bodyFrame(tree, childNamed(tree, *body, "bodyPr"));
        for (int child : tree.childElements(*body))
            if (tree.localName(child) == "p") shape.paragraphs.push_back(paragraphOf(tree, child, theme, fontColor));
    }
    return shape;
}

// The texts of a data part's points (dgm:pt of type node, the default), one line each
// paragraph.
std::vector<std::string> pointTexts(const XMLTree& data) {
    std::vector<std::string> lines;
    for (int point : elementsNamed(data, data.root(), "pt", mostPoints)) {
        const std::string type = data.attribute(point, "type").value_or("node");
        const auto text = childNamed(data, point, "t");
        if (type != "node" || !text) continue;
        for (int p : data.childElements(*text)) {
            if (data.localName(p) != "p") continue;
            std::string line = textUnder(data, p);
            if (!line.empty()) lines.push_back(std::move(line));
        }
    }
    return lines;
}

DrawingGraphic diagram(const XMLTree& tree, int graphicData, const Relationships& story, const DrawingParts& parts) {
    DrawingGraphic out;
    out.kind = DrawingGraphic::Kind::diagram;
    const auto ids = firstNamed(tree, graphicData, "relIds");
    if (!ids) return out;
    const std::optional<XMLTree> data = partTree(parts, target(story, relationshipAttribute(tree, *ids, "dm")));
    // Word names the drawing part in the data part's extension, by a relationship of the
    // story part; without one, the story's only diagram drawing will do.
    std::optional<PartName> drawingPart;
    if (data)
        if (const auto extension = firstNamed(*data, data->root(), "dataModelExt"))
            drawingPart = target(story, data->attribute(*extension, "relId"));
    if (!drawingPart) {
        const auto drawings = story.of("diagramDrawing");
        if (drawings.size() == 1) drawingPart = story.part(drawings.front());
    }
    if (const std::optional<XMLTree> drawing = partTree(parts, drawingPart)) {
        for (int sp : elementsNamed(*drawing, drawing->root(), "sp", mostShapes))
            out.shapes.push_back(shapeOf(*drawing, sp, parts.theme()));
    }
    if (out.shapes.empty() && data) out.lines = pointTexts(*data);
    return out;
}

// The points of a c:strCache or c:numCache (or c:strLit, c:numLit) by index.
std::vector<std::optional<std::string>> cached(const XMLTree& tree, std::optional<int> holder) {
    std::vector<std::optional<std::string>> values;
    if (!holder) return values;
    std::optional<int> cache = firstNamed(tree, *holder, "strCache");
    if (!cache) cache = firstNamed(tree, *holder, "numCache");
    if (!cache) cache = firstNamed(tree, *holder, "strLit");
    if (!cache) cache = firstNamed(tree, *holder, "numLit");
    if (!cache) return values;
    for (int point : tree.childElements(*cache)) {
        if (tree.localName(point) != "pt") continue;
        const auto index = Numbers::integer(tree.attribute(point, "idx"));
        const auto value = childNamed(tree, point, "v");
        if (!index || *index < 0 || *index >= static_cast<int64_t>(mostPoints) || !value) continue;
        if (values.size() <= static_cast<size_t>(*index)) values.resize(static_cast<size_t>(*index) + 1);
        values[static_cast<size_t>(*index)] = tree.text(*value);
    }
    return values;
}

ChartData::Kind kindOf(const XMLTree& tree, int plot) {
    const std::string_view name = tree.localName(plot);
    if (name == "barChart" || name == "bar3DChart") {
        const auto direction = childNamed(tree, plot, "barDir");
        return direction && tree.attribute(*direction, "val") == "bar" ? ChartData::Kind::bar : ChartData::Kind::column;
    }
    if (name == "lineChart" || name == "line3DChart" || name == "scatterChart") return ChartData::Kind::line;
    if (name == "areaChart" || name == "area3DChart") return ChartData::Kind::area;
    if (name == "pieChart" || name == "pie3DChart" || name == "doughnutChart" || name == "ofPieChart")
        return ChartData::Kind::pie;
    return ChartData::Kind::other;
}

ChartSeries seriesOf(const XMLTree& tree, int ser, const ThemeColors& theme, std::vector<std::string>& categories) {
    ChartSeries series;
    if (const auto name = childNamed(tree, ser, "tx")) {
        const auto values = cached(tree, name);
        if (!values.empty() && values.front()) series.name = *values.front();
        else if (const auto v = childNamed(tree, *name, "v")) series.name = tree.text(*v);
    }
    if (categories.empty())
        for (const auto& category : cached(tree, childNamed(tree, ser, "cat"))) categories.push_back(category.value_or(""));
    for (const auto& value : cached(tree, childNamed(tree, ser, "val"))) {
        const auto number = value ? Numbers::decimal(*value) : std::nullopt;
        series.values.push_back(number && std::isfinite(*number) ? number : std::nullopt);
    }
    if (const auto properties = childNamed(tree, ser, "spPr"))
        if (const auto fill = childNamed(tree, *properties, "solidFill")) series.color = DrawingColors::of(tree, *fill, theme);
    return series;
}

DrawingGraphic chart(const XMLTree& tree, int graphicData, const Relationships& story, const DrawingParts& parts) {
    DrawingGraphic out;
    out.kind = DrawingGraphic::Kind::chart;
    const auto frame = firstNamed(tree, graphicData, "chart");
    if (!frame) return out;
    const std::optional<XMLTree> part = partTree(parts, target(story, relationshipAttribute(tree, *frame, "id")));
    if (!part) return out;
    const auto chartElement = firstNamed(*part, part->root(), "chart");
    if (!chartElement) return out;
    const ThemeColors& theme = parts.theme();
    ChartData data;
    for (int i = 1; i <= 6; ++i) data.accents.push_back(theme.color("accent" + std::to_string(i)).value_or("4F81BD"));
    if (const auto title = childNamed(*part, *chartElement, "title")) {
        // A rich title's paragraphs, else the cell it refers to.
        std::string text;
        for (int p : elementsNamed(*part, *title, "p", mostPoints)) {
            const std::string line = textUnder(*part, p);
            if (line.empty()) continue;
            if (!text.empty()) text += ' ';
            text += line;
        }
        if (text.empty()) {
            const auto values = cached(*part, childNamed(*part, *title, "tx"));
            if (!values.empty() && values.front()) text = *values.front();
        }
        data.title = std::move(text);
    }
    if (const auto plotArea = childNamed(*part, *chartElement, "plotArea")) {
        for (int plot : part->childElements(*plotArea)) {
            if (!part->localName(plot).ends_with("Chart")) continue;
            if (data.series.empty()) data.kind = kindOf(*part, plot);
            for (int ser : part->childElements(plot)) {
                if (part->localName(ser) != "ser" || data.series.size() >= mostSeries) continue;
                data.series.push_back(seriesOf(*part, ser, theme, data.categories));
            }
        }
    }
    out.chart = std::move(data);
    return out;
}

}  // namespace

DrawingGraphic read(const XMLTree& tree, int graphicData, const Relationships& story, const DrawingParts& parts) {
    const std::string uri = tree.attribute(graphicData, "uri").value_or("");
    if (uri.ends_with("/diagram")) return diagram(tree, graphicData, story, parts);
    if (uri.ends_with("/chart")) return chart(tree, graphicData, story, parts);
    return {};
}

}  // namespace DrawingGraphics

}  // namespace rovuvuz
