// The parts of a snapshot that are not plain paragraphs: inline objects and the entries of
// note and comment stories (tables are SnapshotTables.cpp).
#include <algorithm>

#include "RovuVuz/snapshot/SnapshotContext.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// The officeDocument relationships namespace (ECMA-376 Part 1 §22.8), conventionally r:.
constexpr std::string_view relationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The prefix bound to the relationships namespace where an element stands: the nearest
// declaration on it or an ancestor within the fragment, else r:, which the story part's
// root declares in every document Word and other producers write.
std::string relationshipsPrefix(const XMLTree& tree, int element) {
    for (std::optional<int> node = element; node; node = tree.parent(*node))
        if (auto bound =
                Markup::boundPrefix(Markup::attributes(tree.rawStartTag(*node)), relationshipsNamespace))
            return *bound;
    return "r";
}

// The first attribute, in document order, naming a relationship with one of these local
// names; nothing when there is none.
std::optional<std::string> firstRelationship(const XMLTree& tree,
                                             std::initializer_list<std::string_view> locals) {
    for (size_t index = 0; index < tree.nodeCount(); ++index) {
        const int node = static_cast<int>(index);
        if (tree.kind(node) != XMLTree::Kind::element) continue;
        for (size_t a = 0; a < tree.attributeCount(node); ++a) {
            const std::string_view attribute = asChars(tree.raw(tree.attributeAt(node, a).name));
            if (std::find(locals.begin(), locals.end(), Markup::localOf(attribute)) == locals.end()) continue;
            if (Markup::prefixOf(attribute) == relationshipsPrefix(tree, node))
                return tree.attribute(node, attribute);
        }
    }
    return std::nullopt;
}

// The first element with a local name, in document order.
std::optional<int> firstElement(const XMLTree& tree, std::string_view local) {
    for (size_t index = 0; index < tree.nodeCount(); ++index) {
        const int node = static_cast<int>(index);
        if (tree.kind(node) == XMLTree::Kind::element && tree.localName(node) == local) return node;
    }
    return std::nullopt;
}

}  // namespace

Span::Content SnapshotContext::object(std::string_view name, ByteView bytes, std::string_view mainPrefix) {
    Span::Content content;
    content.type = Span::Content::Type::opaque;
    content.name = std::string(name);
    if (bytes.empty()) return content;
    std::optional<XMLTree> tree;
    try {
        tree.emplace(bytes);
    } catch (const XMLError&) {
        return content;
    }
    // A picture names its media part by relationship: a:blip r:embed in DrawingML,
    // v:imagedata r:id in VML; an alternate content's choice is DrawingML.
    std::optional<std::string> relationship;
    if (name == "drawing" || name == "pict") relationship = firstRelationship(*tree, {"embed", "id"});
    if (!relationship && name == "AlternateContent") relationship = firstRelationship(*tree, {"embed"});
    if (relationship) {
        content.type = Span::Content::Type::image;
        content.image = RelationshipID{std::move(*relationship)};
        if (const auto extent = firstElement(*tree, "extent")) {
            // English Metric Units: 12700 to the point.
            content.width = Numbers::decimal(tree->attribute(*extent, "cx")).value_or(0) / 12700;
            content.height = Numbers::decimal(tree->attribute(*extent, "cy")).value_or(0) / 12700;
        }
        return content;
    }
    content.preview = Markup::previewText(*tree, mainPrefix);
    return content;
}

std::vector<EntrySnapshot> SnapshotContext::entries(const Group& root) {
    std::vector<EntrySnapshot> result;
    for (const Block& block : root.children) {
        const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (!group) continue;
        const Markup::Attributes attributes = Markup::attributes((*group)->tags.start.view());
        const auto attribute = [&](std::string_view local) -> std::optional<std::string> {
            const auto value = Markup::ownAttribute((*group)->tags.qname(), attributes, local);
            return value ? std::optional<std::string>(*value) : std::nullopt;
        };
        // Separator and continuation-separator notes are layout, not content.
        if (const auto type = attribute("type"); type && *type != "normal") continue;
        EntrySnapshot entry;
        entry.id = Numbers::integer(attribute("id")).value_or(-1);
        entry.author = attribute("author");
        entry.date = attribute("date");
        if (notes_ && root.local() != "comments")
            entry.label = notes_->note(root.local() == "endnotes", entry.id).value_or("");
        entry.blocks = blocks((*group)->children, (*group)->tags.prefix());
        result.push_back(std::move(entry));
    }
    return result;
}

}  // namespace rovuvuz
