#include "RovuVuz/format/Sections.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/model/Story.h"
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


// w:cols (§17.6.4): how many columns, how far apart, or each column on its own.
void readColumns(const XMLTree& tree, int cols, PageSetup& page) {
    const auto num = tree.ownAttribute(cols, "num");
    const auto columns = num ? FormatValues::integer(*num) : std::nullopt;
    page.columns = columns ? static_cast<int>(std::clamp<int64_t>(*columns, 1, mostColumns)) : 1;
    readLength(tree, cols, "space", page.columnSpace, 0, longestLength);
    page.columnSeparator = Markup::isOn(tree.ownAttribute(cols, "sep").value_or("0"));
    page.columnList.clear();
    const auto equal = tree.ownAttribute(cols, "equalWidth");
    if (!equal || Markup::isOn(*equal)) return;
    for (int col : tree.childElements(cols)) {
        if (tree.localName(col) != "col" || page.columnList.size() == mostColumns) continue;
        Column column;
        readLength(tree, col, "w", column.width, 0, longestLength);
        readLength(tree, col, "space", column.space, 0, longestLength);
        page.columnList.push_back(column);
    }
    if (!page.columnList.empty()) page.columns = static_cast<int>(page.columnList.size());
}

// Margins that leave less than the smallest side of text between them shrink in
// proportion, so that every section has room for a line.
void shrinkToFit(std::initializer_list<double*> margins, double side) {
    double total = 0;
    for (const double* margin : margins) total += *margin;
    const double room = side - PageSetup::smallestSide;
    if (total <= room || total <= 0) return;
    const double scale = std::max(room, 0.0) / total;
    for (double* margin : margins) *margin *= scale;
}

void keepSane(PageSetup& page) {
    const PageSetup defaults;
    if (!(page.width > 0)) page.width = defaults.width;
    if (!(page.height > 0)) page.height = defaults.height;
    page.width = FormatValues::clamp(page.width, PageSetup::smallestSide, longestLength);
    page.height = FormatValues::clamp(page.height, PageSetup::smallestSide, longestLength);
    shrinkToFit({&page.left, &page.gutter, &page.right}, page.width);
    shrinkToFit({&page.top, &page.bottom}, page.height);
    page.header = std::min(page.header, page.height - PageSetup::smallestSide);
    page.footer = std::min(page.footer, page.height - PageSetup::smallestSide);
}

HeaderFooterType referenceType(std::optional<std::string> type) {
    if (type == "first") return HeaderFooterType::first;
    if (type == "even") return HeaderFooterType::even;
    return HeaderFooterType::primary;
}

SectionStart sectionStart(std::optional<std::string> type) {
    if (type == "continuous") return SectionStart::continuous;
    if (type == "oddPage") return SectionStart::oddPage;
    if (type == "evenPage") return SectionStart::evenPage;
    if (type == "nextColumn") return SectionStart::nextColumn;
    return SectionStart::nextPage;
}

void readSectionChild(const XMLTree& tree, int child, Section& section) {
    const std::string_view local = tree.localName(child);
    if (local == "type") {
        section.start = sectionStart(tree.ownAttribute(child, "val"));
    } else if (local == "titlePg") {
        section.titlePage = Markup::isOn(tree.ownAttribute(child, "val"));
    } else if (local == "pgNumType") {
        if (auto format = tree.ownAttribute(child, "fmt")) section.pageNumberFormat = std::move(*format);
        const auto start = tree.ownAttribute(child, "start");
        if (const auto n = start ? FormatValues::integer(*start) : std::nullopt) section.pageNumberStart = *n;
    } else if (local == "headerReference" || local == "footerReference") {
        auto id = relationshipID(tree, child);
        if (!id || id->empty()) return;
        auto& references = local == "headerReference" ? section.headers : section.footers;
        auto& slot = references[static_cast<size_t>(referenceType(tree.ownAttribute(child, "type")))];
        if (!slot) slot = RelationshipID{std::move(*id)};  // the first of each type counts
    }
}

}  // namespace

PageSetup PageSetup::read(ByteView sectPr) {
    PageSetup page;
    try {
        const XMLTree tree(sectPr);
        for (int child : tree.childElements(tree.root())) {
            const std::string_view local = tree.localName(child);
            if (local == "pgSz") {
                readLength(tree, child, "w", page.width, -longestLength, longestLength);
                readLength(tree, child, "h", page.height, -longestLength, longestLength);
                page.landscape = tree.ownAttribute(child, "orient") == "landscape";
            } else if (local == "pgMar") {
                // Top and bottom are signed (§17.6.11): a negative value keeps the text
                // where it is however tall the header grows; the distance is its size.
                readLength(tree, child, "top", page.top, -longestLength, longestLength);
                readLength(tree, child, "right", page.right, 0, longestLength);
                readLength(tree, child, "bottom", page.bottom, -longestLength, longestLength);
                readLength(tree, child, "left", page.left, 0, longestLength);
                readLength(tree, child, "header", page.header, 0, longestLength);
                readLength(tree, child, "footer", page.footer, 0, longestLength);
                readLength(tree, child, "gutter", page.gutter, 0, longestLength);
                page.top = std::abs(page.top);
                page.bottom = std::abs(page.bottom);
            } else if (local == "cols") {
                readColumns(tree, child, page);
            }
        }
    } catch (const XMLError&) {
        return PageSetup{};
    }
    keepSane(page);
    return page;
}

Section Section::read(ByteView sectPr) {
    Section section;
    section.page = PageSetup::read(sectPr);
    try {
        const XMLTree tree(sectPr);
        for (int child : tree.childElements(tree.root())) readSectionChild(tree, child, section);
    } catch (const XMLError&) {
        return Section{};
    }
    return section;
}

namespace Sections {

std::vector<BodySection> all(const Group* body) {
    std::vector<BodySection> sections;
    if (body) {
        for (const Block& block : body->children) {
            const auto* paragraph = std::get_if<std::unique_ptr<Paragraph>>(&block);
            if (!paragraph || !(*paragraph)->props) continue;
            if (const auto sectPr = (*paragraph)->props->child("sectPr"))
                sections.push_back({Section::read(*sectPr), paragraph->get()});
        }
    }
    const auto last = finalSection(body);
    sections.push_back({last ? Section::read(last->view()) : Section{}, nullptr});
    // What a section does not name it inherits, type by type, from the one before.
    for (size_t i = 1; i < sections.size(); ++i) {
        for (size_t type = 0; type < 3; ++type) {
            Section& section = sections[i].section;
            const Section& before = sections[i - 1].section;
            if (!section.headers[type]) section.headers[type] = before.headers[type];
            if (!section.footers[type]) section.footers[type] = before.footers[type];
        }
    }
    return sections;
}

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
