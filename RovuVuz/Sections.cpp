#include "RovuVuz/Sections.h"

#include <cmath>
#include <string>
#include <vector>

#include "RovuVuz/DocxDocument.h"
#include "RovuVuz/EffectiveFormat.h"
#include "RovuVuz/XMLTree.h"

namespace rovuvuz {

namespace {

using FormatValues::longestLength;

// A layout never has room for more columns than this on the widest page.
constexpr int mostColumns = 64;

// Sets `field` to a twips attribute in points, within [lowest, highest]; an absent or
// unreadable attribute leaves it.
void readLength(const XMLTree& tree, int node, std::string_view name, double& field, double lowest,
                double highest) {
    const auto text = tree.attribute(node, name);
    const auto value = text ? FormatValues::number(*text) : std::nullopt;
    if (value) field = FormatValues::clamp(*value / 20, lowest, highest);
}

// The body's w:body group, when the body story can be read.
const Group* bodyGroup(DocxDocument& document) {
    try {
        const Story& body = document.story(StoryID::body());
        for (const Block& block : body.root->children) {
            const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
            if (group && (*group)->local() == "body") return group->get();
        }
    } catch (const std::exception&) {
        // A body that cannot be read shows the default page.
    }
    return nullptr;
}

// The bytes of the w:sectPr that closes the body: the last such child of w:body.
std::optional<ByteSlice> finalSection(const Group* body) {
    if (!body) return std::nullopt;
    for (auto child = body->children.rbegin(); child != body->children.rend(); ++child) {
        const Raw* raw = std::get_if<Raw>(&*child);
        if (raw && raw->local() == "sectPr") return raw->bytes;
    }
    return std::nullopt;
}

// The w:sectPr of every section that ends before the final one, in document order: each
// is held in the w:pPr of the section's last paragraph (§17.6.18), a paragraph of the body
// itself (section ends inside tables do not exist; content controls are kept opaque).
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

// The references of one kind a section names, in order, and the one of type "default".
struct SectionReferences {
    std::vector<std::string> ids;
    std::optional<std::string> defaultID;
};

SectionReferences references(ByteView sectPr, std::string_view kind) {
    SectionReferences found;
    try {
        const XMLTree tree(sectPr);
        for (int child : tree.childElements(tree.root())) {
            if (tree.localName(child) != kind) continue;
            const std::string id(tree.attribute(child, "r:id").value_or(""));
            if (!found.defaultID && tree.attribute(child, "w:type") == "default") found.defaultID = id;
            found.ids.push_back(id);
        }
    } catch (const XMLError&) {
    }
    return found;
}

// The header or footer the last page shows. A section that names no default one inherits
// the default of the section before it (§17.10.5), so the sections are searched from the
// final one back for a default reference; when none has one, the final section's first
// reference (or the nearest earlier section's) stands for it. The reference is resolved
// through the main part's relationships to a part that exists.
std::optional<PartName> reference(DocxDocument& document, std::string_view kind) {
    const Group* body = bodyGroup(document);
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
    const Relationship* relationship = document.relationships().find(RelationshipID{*id});
    auto part = relationship ? document.relationships().part(*relationship) : std::nullopt;
    if (part && document.hasPart(part->rawValue)) return part;
    return std::nullopt;
}

// The header and footer stories every section references, in document order, each
// section's references in the order it names them.
std::vector<StoryID> referencedHeadersAndFooters(DocxDocument& document) {
    const Group* body = bodyGroup(document);
    std::vector<ByteSlice> sections = earlierSections(body);
    if (const auto last = finalSection(body)) sections.push_back(*last);
    std::vector<StoryID> result;
    for (const ByteSlice& section : sections) {
        for (const auto kind : {StoryID::Kind::header, StoryID::Kind::footer}) {
            for (const std::string& id :
                 references(section.view(),
                            kind == StoryID::Kind::header ? "headerReference" : "footerReference")
                     .ids) {
                const Relationship* relationship = document.relationships().find(RelationshipID{id});
                auto part = relationship ? document.relationships().part(*relationship) : std::nullopt;
                if (part) result.push_back(StoryID{kind, std::move(*part)});
            }
        }
    }
    return result;
}

}  // namespace

std::vector<StoryID> DocxDocument::storiesInOrder() {
    const std::vector<StoryID> present = storyIDs();
    std::vector<StoryID> ordered;
    const auto add = [&](const StoryID& id) {
        if (std::find(present.begin(), present.end(), id) != present.end() &&
            std::find(ordered.begin(), ordered.end(), id) == ordered.end())
            ordered.push_back(id);
    };
    add(StoryID::body());
    for (const StoryID& id : referencedHeadersAndFooters(*this)) add(id);
    for (const StoryID& id : present)
        if (id.kind == StoryID::Kind::header || id.kind == StoryID::Kind::footer) add(id);
    for (const StoryID& id : {StoryID::footnotes(), StoryID::endnotes(), StoryID::comments()}) add(id);
    return ordered;
}

PageSetup PageSetup::read(ByteView sectPr) {
    PageSetup page;
    try {
        const XMLTree tree(sectPr);
        for (int child : tree.childElements(tree.root())) {
            const std::string_view local = tree.localName(child);
            if (local == "pgSz") {
                readLength(tree, child, "w:w", page.width, 1, longestLength);
                readLength(tree, child, "w:h", page.height, 1, longestLength);
            } else if (local == "pgMar") {
                // Top and bottom are signed (§17.6.11): a negative value keeps the text
                // where it is however tall the header grows; the distance is its size.
                readLength(tree, child, "w:top", page.top, -longestLength, longestLength);
                readLength(tree, child, "w:right", page.right, 0, longestLength);
                readLength(tree, child, "w:bottom", page.bottom, -longestLength, longestLength);
                readLength(tree, child, "w:left", page.left, 0, longestLength);
                readLength(tree, child, "w:header", page.header, 0, longestLength);
                readLength(tree, child, "w:footer", page.footer, 0, longestLength);
                page.top = std::abs(page.top);
                page.bottom = std::abs(page.bottom);
            } else if (local == "cols") {
                const auto num = tree.attribute(child, "w:num");
                const auto columns = num ? FormatValues::integer(*num) : std::nullopt;
                page.columns = columns ? static_cast<int>(std::clamp<int64_t>(*columns, 1, mostColumns)) : 1;
            }
        }
    } catch (const XMLError&) {
        return PageSetup{};
    }
    return page;
}

PageSetup DocxDocument::pageSetup() {
    const auto section = finalSection(bodyGroup(*this));
    return section ? PageSetup::read(section->view()) : PageSetup{};
}

std::optional<StoryID> DocxDocument::defaultHeader() {
    auto part = reference(*this, "headerReference");
    if (!part) return std::nullopt;
    return StoryID::header(std::move(*part));
}

std::optional<StoryID> DocxDocument::defaultFooter() {
    auto part = reference(*this, "footerReference");
    if (!part) return std::nullopt;
    return StoryID::footer(std::move(*part));
}

bool DocxDocument::sumsParagraphSpacing() const {
    const SharedBytes settings = partBytes(partSource("settings"));
    if (!settings) return false;
    try {
        const XMLTree tree(settings);
        for (int compat : tree.childElements(tree.root())) {
            if (tree.localName(compat) != "compat") continue;
            for (int option : tree.childElements(compat)) {
                if (tree.localName(option) != "doNotUseHTMLParagraphAutoSpacing") continue;
                const auto value = tree.attribute(option, "w:val");
                return !(value == "0" || value == "false" || value == "off");
            }
        }
    } catch (const XMLError&) {
    }
    return false;
}

std::vector<PartName> DocxDocument::partNames() const {
    std::vector<PartName> names;
    for (const ZipArchive::Entry& entry : archive_.entries())
        if (!entry.name.ends_with('/')) names.emplace_back(entry.name);
    return names;
}

DocxDocument::Cache::PartSource DocxDocument::partSource(std::string_view kind) const {
    const auto related = relationships_.of(kind);
    if (related.empty()) return {};
    auto part = relationships_.part(related.front());
    if (!part) return {};
    const auto pending = cache_.added.find(part->rawValue);
    return {std::move(part), pending == cache_.added.end() ? nullptr : pending->second};
}

SharedBytes DocxDocument::partBytes(const Cache::PartSource& source) const {
    if (source.pending) return source.pending;
    if (!source.part || !hasPart(source.part->rawValue)) return nullptr;
    try {
        return contents(source.part->rawValue);
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace rovuvuz
