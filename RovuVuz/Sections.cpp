#include "RovuVuz/Sections.h"

#include <cmath>

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

// The bytes of the w:sectPr that closes the body: the last such child of w:body.
std::optional<ByteSlice> finalSection(DocxDocument& document) {
    try {
        const Story& body = document.story(StoryID::body());
        for (const Block& block : body.root->children) {
            const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
            if (!group || (*group)->local() != "body") continue;
            const auto& children = (*group)->children;
            for (auto child = children.rbegin(); child != children.rend(); ++child) {
                const Raw* raw = std::get_if<Raw>(&*child);
                if (raw && raw->local() == "sectPr") return raw->bytes;
            }
            return std::nullopt;
        }
    } catch (const std::exception&) {
        // A body that cannot be read shows the default page.
    }
    return std::nullopt;
}

// The final section's header or footer reference of type "default", else its first one,
// resolved through the main part's relationships to a part that exists.
std::optional<PartName> reference(DocxDocument& document, std::string_view kind) {
    const auto section = finalSection(document);
    if (!section) return std::nullopt;
    try {
        const XMLTree tree(section->view());
        std::optional<int> chosen;
        for (int child : tree.childElements(tree.root())) {
            if (tree.localName(child) != kind) continue;
            if (tree.attribute(child, "w:type") == "default") {
                chosen = child;
                break;
            }
            if (!chosen) chosen = child;
        }
        const auto id = chosen ? tree.attribute(*chosen, "r:id") : std::nullopt;
        const Relationship* relationship = id ? document.relationships().find(RelationshipID{*id}) : nullptr;
        auto part = relationship ? document.relationships().part(*relationship) : std::nullopt;
        if (part && document.hasPart(part->rawValue)) return part;
    } catch (const XMLError&) {
    }
    return std::nullopt;
}

// The header and footer stories every section references, in document order: the
// w:sectPr of each paragraph that ends a section, then the one closing the body.
std::vector<StoryID> referencedHeadersAndFooters(DocxDocument& document) {
    std::vector<StoryID> result;
    const auto read = [&](ByteView section) {
        try {
            const XMLTree tree(section);
            for (int child : tree.childElements(tree.root())) {
                const std::string_view kind = tree.localName(child);
                if (kind != "headerReference" && kind != "footerReference") continue;
                const auto id = tree.attribute(child, "r:id");
                const Relationship* relationship =
                    id ? document.relationships().find(RelationshipID{*id}) : nullptr;
                auto part = relationship ? document.relationships().part(*relationship) : std::nullopt;
                if (!part) continue;
                result.push_back(kind == "headerReference" ? StoryID::header(std::move(*part))
                                                           : StoryID::footer(std::move(*part)));
            }
        } catch (const XMLError&) {
        }
    };
    try {
        const Story& body = document.story(StoryID::body());
        for (const Block& block : body.root->children) {
            const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
            if (!group || (*group)->local() != "body") continue;
            for (const Block& child : (*group)->children) {
                if (const auto* raw = std::get_if<Raw>(&child); raw && raw->local() == "sectPr")
                    read(raw->bytes.view());
                const auto* paragraph = std::get_if<std::unique_ptr<Paragraph>>(&child);
                if (!paragraph || !(*paragraph)->props) continue;
                if (const auto section = (*paragraph)->props->child("sectPr")) read(*section);
            }
        }
    } catch (const std::exception&) {
        // A body that cannot be read references nothing.
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
    const auto section = finalSection(*this);
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
