// Drawings in a paragraph's snapshot: the frame, anchor and wrapping of a floating
// DrawingML picture or shape (wp:anchor, ECMA-376 §20.4.2.3) or VML shape (v:shape with
// an absolute position), the text of a text box (wps:txbx or v:textbox around
// w:txbxContent) as blocks the layout can lay out, a shape's outline and fill, what a
// SmartArt graphic or chart shows, and the character a w:sym shows.
#include <algorithm>
#include <cctype>

#include "RovuVuz/model/StoryParser.h"
#include "RovuVuz/snapshot/ChildElements.h"
#include "RovuVuz/snapshot/ShapeLooks.h"
#include "RovuVuz/snapshot/SnapshotWalk.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// Text boxes hold paragraphs that may hold text boxes; past this depth the inner ones
// stay opaque.
constexpr int deepestTextBox = 4;
// Paragraphs of text boxes get identities from their own mint, far above any document's,
// so that the layout never mistakes one for a paragraph of the story.
constexpr uint64_t textBoxIdentities = uint64_t(1) << 62;
constexpr double emuPerPoint = 12700;

std::optional<int> firstElement(const XMLTree& tree, int from, std::string_view local) {
    const auto end = tree.range(from).upper;
    for (size_t index = static_cast<size_t>(from); index < tree.nodeCount(); ++index) {
        const int node = static_cast<int>(index);
        if (tree.range(node).lower >= end) break;
        if (tree.kind(node) == XMLTree::Kind::element && tree.localName(node) == local) return node;
    }
    return std::nullopt;
}

double points(std::optional<double> emu) {
    return FormatValues::clamp(emu.value_or(0) / emuPerPoint, -FormatValues::longestLength, FormatValues::longestLength);
}

DrawingSnapshot::Position position(const XMLTree& tree, std::optional<int> node) {
    DrawingSnapshot::Position where;
    if (!node) return where;
    where.relativeFrom = tree.attribute(*node, "relativeFrom").value_or("");
    if (const auto offset = childNamed(tree, *node, "posOffset")) where.offset = points(Numbers::decimal(tree.text(*offset)));
    if (const auto align = childNamed(tree, *node, "align")) where.align = tree.text(*align);
    return where;
}

DrawingSnapshot::Wrap wrapOf(const XMLTree& tree, int anchor) {
    using W = DrawingSnapshot::Wrap;
    const bool behind = Markup::isOn(tree.attribute(anchor, "behindDoc").value_or("0"));
    for (int child : tree.childElements(anchor)) {
        const std::string_view local = tree.localName(child);
        if (local == "wrapSquare" || local == "wrapTight" || local == "wrapThrough") return W::square;
        if (local == "wrapTopAndBottom") return W::topAndBottom;
        if (local == "wrapNone") return behind ? W::behind : W::inFront;
    }
    return behind ? W::behind : W::inFront;
}

// A DrawingML wp:anchor or wp:inline.
void readDrawingML(const XMLTree& tree, int frame, DrawingSnapshot& drawing) {
    drawing.floating = tree.localName(frame) == "anchor";
    if (const auto extent = childNamed(tree, frame, "extent")) {
        drawing.width = std::max(0.0, points(Numbers::decimal(tree.attribute(*extent, "cx"))));
        drawing.height = std::max(0.0, points(Numbers::decimal(tree.attribute(*extent, "cy"))));
    }
    if (!drawing.floating) return;
    drawing.horizontal = position(tree, childNamed(tree, frame, "positionH"));
    drawing.vertical = position(tree, childNamed(tree, frame, "positionV"));
    drawing.wrap = wrapOf(tree, frame);
}

// A VML shape's style attribute: "position:absolute;margin-left:10pt;width:100pt;…".
void readVml(const XMLTree& tree, int shape, DrawingSnapshot& drawing) {
    const std::string style = tree.attribute(shape, "style").value_or("");
    std::string_view rest = style;
    while (!rest.empty()) {
        const size_t end = std::min(rest.find(';'), rest.size());
        const std::string_view declaration = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        const size_t colon = declaration.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = declaration.substr(0, colon);
        const std::string_view value = declaration.substr(colon + 1);
        if (name == "position") drawing.floating = value == "absolute";
        if (name == "width") drawing.width = std::max(0.0, ShapeLooks::cssLength(value).value_or(0));
        if (name == "height") drawing.height = std::max(0.0, ShapeLooks::cssLength(value).value_or(0));
        if (name == "margin-left") drawing.horizontal.offset = ShapeLooks::cssLength(value);
        if (name == "margin-top") drawing.vertical.offset = ShapeLooks::cssLength(value);
        if (name == "mso-position-horizontal-relative") drawing.horizontal.relativeFrom = std::string(value);
        if (name == "mso-position-vertical-relative") drawing.vertical.relativeFrom = std::string(value);
        if (name == "mso-position-horizontal") drawing.horizontal.align = std::string(value);
        if (name == "mso-position-vertical") drawing.vertical.align = std::string(value);
    }
    if (!drawing.floating) return;
    drawing.wrap = DrawingSnapshot::Wrap::inFront;
    if (const auto wrap = firstElement(tree, shape, "wrap")) {
        const std::string type = tree.attribute(*wrap, "type").value_or("");
        if (type == "square" || type == "tight" || type == "through") drawing.wrap = DrawingSnapshot::Wrap::square;
        if (type == "topAndBottom") drawing.wrap = DrawingSnapshot::Wrap::topAndBottom;
    }
}

// The VML shape around a text box or picture: the nearest ancestor that has a style (the
// v:textbox's own style is not a shape's).
std::optional<int> vmlShape(const XMLTree& tree, int inside) {
    for (std::optional<int> node = tree.parent(inside); node; node = tree.parent(*node))
        if (tree.attribute(*node, "style") && tree.localName(*node) != "textbox") return node;
    return std::nullopt;
}

// The first VML shape element, in document order.
std::optional<int> anyVmlShape(const XMLTree& tree) {
    for (size_t index = 0; index < tree.nodeCount(); ++index) {
        const int node = static_cast<int>(index);
        if (tree.kind(node) != XMLTree::Kind::element) continue;
        const std::string_view local = tree.localName(node);
        if (local == "shape" || local == "rect" || local == "roundrect" || local == "oval" || local == "line")
            return node;
    }
    return std::nullopt;
}

// Whether a drawing's markup may hold more than an inline picture: a float, a text box, a
// DrawingML or VML shape, or a SmartArt graphic or chart.
bool mayBeShape(std::string_view text) {
    for (std::string_view mark : {":anchor", "position:absolute", "txbxContent", ":wsp", "/diagram\"", "/chart\"",
                                  ":rect ", ":roundrect ", ":oval ", ":line "})
        if (text.find(mark) != std::string_view::npos) return true;
    return false;
}

// The theme's colours when the document gives none: Office's.
const ThemeColors& defaultTheme() {
    static const ThemeColors theme = ThemeColors::read(std::nullopt);
    return theme;
}

// Symbol fonts map their characters into U+F000…U+F0FF; a w:sym that writes the code
// without that offset means the same character (ECMA-376 §17.3.3.30).
bool isSymbolFont(std::string_view font) {
    return font == "Symbol" || font.starts_with("Wingdings") || font == "Webdings" || font == "Marlett" ||
           font == "MT Extra";
}

}  // namespace

std::optional<DrawingSnapshot> SnapshotContext::drawing(std::string_view name, ByteView bytes, size_t offset) {
    if (name != "drawing" && name != "pict" && name != "AlternateContent") return std::nullopt;
    // Most drawings are inline pictures: they need no tree of their own here.
    if (!mayBeShape(asChars(bytes))) return std::nullopt;
    std::optional<XMLTree> tree;
    try {
        tree.emplace(bytes);
    } catch (const XMLError&) {
        return std::nullopt;
    }
    DrawingSnapshot drawing;
    drawing.offset = offset;
    const auto content = firstElement(*tree, tree->root(), "txbxContent");
    std::optional<int> frame = firstElement(*tree, tree->root(), "anchor");
    if (!frame) frame = firstElement(*tree, tree->root(), "inline");
    std::optional<int> vml;
    if (frame) {
        readDrawingML(*tree, *frame, drawing);
    } else if ((vml = vmlShape(*tree, content ? *content : tree->root()))) {
        readVml(*tree, *vml, drawing);
    } else if ((vml = anyVmlShape(*tree))) {
        readVml(*tree, *vml, drawing);
    }
    looks(*tree, frame ? std::nullopt : vml, drawing);
    const Span::Content shown = object(name, bytes, "w");
    if (shown.type == Span::Content::Type::image && drawing.graphic.kind != DrawingGraphic::Kind::chart)
        drawing.image = shown.image;
    if (content && drawingDepth_ < deepestTextBox) {
        const std::string_view prefix = Markup::prefixOf(tree->nameView(*content));
        drawing.blocks = textBox(tree->raw(*content), prefix);
    }
    const bool shows = !drawing.blocks.empty() || drawing.look || drawing.graphic.kind != DrawingGraphic::Kind::none;
    if (!drawing.floating && !shows) return std::nullopt;
    return drawing;
}

void SnapshotContext::looks(const XMLTree& tree, std::optional<int> vml, DrawingSnapshot& drawing) const {
    const ThemeColors& theme = parts_ ? parts_->theme() : defaultTheme();
    // A group or canvas holds shapes of their own looks and places: one outline over the
    // whole frame would be none of them.
    const bool grouped = firstElement(tree, tree.root(), "wgp") || firstElement(tree, tree.root(), "wpc");
    if (const auto shape = firstElement(tree, tree.root(), "wsp"); shape && !grouped) {
        drawing.look = ShapeLooks::drawingML(tree, *shape, theme);
        drawing.textFrame = ShapeLooks::bodyFrame(tree, childNamed(tree, *shape, "bodyPr"));
    } else if (vml && !firstElement(tree, *vml, "imagedata")) {
        drawing.look = ShapeLooks::vml(tree, *vml);
        drawing.textFrame = ShapeLooks::vmlFrame(tree, *vml);
    }
    if (const auto data = firstElement(tree, tree.root(), "graphicData")) {
        static const DrawingParts none({}, {}, std::nullopt);
        drawing.graphic = DrawingGraphics::read(tree, *data, rels_, parts_ ? *parts_ : none);
    }
}

std::vector<BlockSnapshot> SnapshotContext::textBox(ByteView txbxContent, std::string_view mainPrefix) {
    std::optional<XMLTree> tree;
    try {
        tree.emplace(txbxContent);
    } catch (const XMLError&) {
        return {};
    }
    IdentityMint mint(textBoxIdentities);
    StoryParser parser(*tree, mint);
    const std::unique_ptr<Group> content = parser.group(tree->root());
    // A text box is a story of its own: its paragraphs take no table's style, and its
    // lists count on their own, so the story's labels stay those listLabels() counts.
    const std::optional<StyleID> table = std::exchange(tableStyle_, std::nullopt);
    const TableConditions conditions = std::exchange(conditions_, 0);
    std::optional<Numbering::Counter> storyCounter = std::move(counter_);
    if (storyCounter) counter_.emplace(numbering_);
    ++drawingDepth_;
    std::vector<BlockSnapshot> result = blocks(content->children, mainPrefix);
    --drawingDepth_;
    counter_ = std::move(storyCounter);
    tableStyle_ = table;
    conditions_ = conditions;
    return result;
}

std::pair<std::string, std::optional<std::string>> SnapshotContext::symbol(ByteView bytes) {
    const auto close = std::find(bytes.begin(), bytes.end(), uint8_t('>'));
    if (close == bytes.end()) return {};
    const ByteView start = bytes.first(static_cast<size_t>(close - bytes.begin()) + 1);
    const auto name = Markup::startTagName(asChars(start));
    if (!name) return {};
    const Markup::Attributes attributes = Markup::attributes(start);
    const auto font = Markup::ownAttribute(*name, attributes, "font");
    const auto code = Markup::ownAttribute(*name, attributes, "char");
    std::optional<std::string> family = font ? std::optional<std::string>(*font) : std::nullopt;
    uint32_t scalar = code ? Numbers::hex(*code).value_or(0) : 0;
    if (scalar >= 0x20 && scalar <= 0xFF && family && isSymbolFont(*family)) scalar += 0xF000;
    const bool valid = scalar > 0 && scalar <= 0x10FFFF && !(scalar >= 0xD800 && scalar <= 0xDFFF);
    std::string character;
    utf8::appendScalar(character, valid ? char32_t(scalar) : char32_t(0xFFFD));
    return {std::move(character), std::move(family)};
}

}  // namespace rovuvuz
