#include "RovuVuz/format/Sections.h"

#include <cmath>
#include <string>
#include <vector>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

using FormatValues::longestLength;

// A layout never has room for more columns than this on the widest page.
constexpr int mostColumns = 64;

// Sets `field` to a twips attribute in points, within [lowest, highest]; an absent or
// unreadable attribute leaves it.
void readLength(const XMLTree& tree, int node, std::string_view local, double& field, double lowest,
                double highest) {
    const auto text = tree.ownAttribute(node, local);
    const auto value = text ? FormatValues::number(*text) : std::nullopt;
    if (value) field = FormatValues::clamp(*value / 20, lowest, highest);
}

// The references of one kind a section names, in order, and the one of type "default".
struct SectionReferences {
    std::vector<std::string> ids;
    std::optional<std::string> defaultID;
};

// A header or footer reference names its part with an id of the relationships namespace,
// which a section's properties, read on their own, do not declare: the id qualified with
// any prefix other than the element's own.
std::optional<std::string> relationshipID(const XMLTree& tree, int reference) {
    const std::string_view own = Markup::prefixOf(tree.nameView(reference));
    for (size_t i = 0; i < tree.attributeCount(reference); ++i) {
        const std::string_view name = asChars(tree.raw(tree.attributeAt(reference, i).name));
        const std::string_view prefix = Markup::prefixOf(name);
        if (Markup::localOf(name) == "id" && !prefix.empty() && prefix != own)
            return tree.attribute(reference, name);
    }
    return std::nullopt;
}

SectionReferences references(ByteView sectPr, std::string_view kind) {
    SectionReferences found;
    try {
        const XMLTree tree(sectPr);
        for (int child : tree.childElements(tree.root())) {
            if (tree.localName(child) != kind) continue;
            const std::string id(relationshipID(tree, child).value_or(""));
            if (!found.defaultID && tree.ownAttribute(child, "type") == "default") found.defaultID = id;
            found.ids.push_back(id);
        }
    } catch (const XMLError&) {
    }
    return found;
}

// Every section's w:sectPr in document order, the final one last.
std::vector<ByteSlice> allSections(const Group* body) {
    std::vector<ByteSlice> sections = Sections::earlierSections(body);
    if (const auto last = Sections::finalSection(body)) sections.push_back(*last);
    return sections;
}

}  // namespace

PageSetup PageSetup::read(ByteView sectPr) {
    PageSetup page;
    try {
        const XMLTree tree(sectPr);
        for (int child : tree.childElements(tree.root())) {
            const std::string_view local = tree.localName(child);
            if (local == "pgSz") {
                readLength(tree, child, "w", page.width, 1, longestLength);
                readLength(tree, child, "h", page.height, 1, longestLength);
            } else if (local == "pgMar") {
                // Top and bottom are signed (§17.6.11): a negative value keeps the text
                // where it is however tall the header grows; the distance is its size.
                readLength(tree, child, "top", page.top, -longestLength, longestLength);
                readLength(tree, child, "right", page.right, 0, longestLength);
                readLength(tree, child, "bottom", page.bottom, -longestLength, longestLength);
                readLength(tree, child, "left", page.left, 0, longestLength);
                readLength(tree, child, "header", page.header, 0, longestLength);
                readLength(tree, child, "footer", page.footer, 0, longestLength);
                page.top = std::abs(page.top);
                page.bottom = std::abs(page.bottom);
            } else if (local == "cols") {
                const auto num = tree.ownAttribute(child, "num");
                const auto columns = num ? FormatValues::integer(*num) : std::nullopt;
                page.columns = columns ? static_cast<int>(std::clamp<int64_t>(*columns, 1, mostColumns)) : 1;
            }
        }
    } catch (const XMLError&) {
        return PageSetup{};
    }
    return page;
}

namespace Sections {

const Group* bodyGroup(const Story& body) {
    if (!body.root) return nullptr;
    for (const Block& block : body.root->children) {
        const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (group && (*group)->local() == "body") return group->get();
    }
    return nullptr;
}

std::optional<ByteSlice> finalSection(const Group* body) {
    if (!body) return std::nullopt;
    for (auto child = body->children.rbegin(); child != body->children.rend(); ++child) {
        const Raw* raw = std::get_if<Raw>(&*child);
        if (raw && raw->local() == "sectPr") return raw->bytes;
    }
    return std::nullopt;
}

std::vector<ByteSlice> earlierSections(const Group* body) {
    std::vector<ByteSlice> sections;
    if (!body) return sections;
    for (const Block& block : body->children) {
        const auto* paragraph = std::get_if<std::unique_ptr<Paragraph>>(&block);
        if (!paragraph || !(*paragraph)->props) continue;
        for (const PropertyBag::Child& child : (*paragraph)->props->children)
            if (child.local() == "sectPr") sections.push_back(child.bytes);
    }
    return sections;
}

std::optional<RelationshipID> lastPageReference(const Group* body, std::string_view kind) {
    const auto last = finalSection(body);
    if (!last) return std::nullopt;
    std::vector<ByteSlice> sections = earlierSections(body);
    sections.push_back(*last);

    std::optional<std::string> id;
    std::optional<std::string> fallback;
    for (auto section = sections.rbegin(); section != sections.rend() && !id; ++section) {
        SectionReferences named = references(section->view(), kind);
        if (named.defaultID)
            id = std::move(named.defaultID);
        else if (!fallback && !named.ids.empty())
            fallback = std::move(named.ids.front());
    }
    if (!id) id = std::move(fallback);
    if (!id || id->empty()) return std::nullopt;
    return RelationshipID{*id};
}

std::vector<std::pair<StoryID::Kind, RelationshipID>> headerAndFooterReferences(const Group* body) {
    std::vector<std::pair<StoryID::Kind, RelationshipID>> result;
    for (const ByteSlice& section : allSections(body)) {
        for (const auto kind : {StoryID::Kind::header, StoryID::Kind::footer}) {
            const auto name = kind == StoryID::Kind::header ? "headerReference" : "footerReference";
            for (const std::string& id : references(section.view(), name).ids) result.emplace_back(kind, RelationshipID{id});
        }
    }
    return result;
}

bool sumsParagraphSpacing(ByteView settings) {
    try {
        const XMLTree tree(settings);
        for (int compat : tree.childElements(tree.root())) {
            if (tree.localName(compat) != "compat") continue;
            for (int option : tree.childElements(compat)) {
                if (tree.localName(option) != "doNotUseHTMLParagraphAutoSpacing") continue;
                return Markup::isOn(tree.ownAttribute(option, "val"));
            }
        }
    } catch (const XMLError&) {
    }
    return false;
}

}  // namespace Sections

}  // namespace rovuvuz
