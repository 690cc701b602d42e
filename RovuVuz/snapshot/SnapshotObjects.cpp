// The parts of a snapshot that are not plain paragraphs: tables, inline objects, the
// entries of note and comment stories.
#include <charconv>
#include <cmath>

#include "RovuVuz/snapshot/SnapshotContext.h"
#include "RovuVuz/xml/Regex.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

std::optional<int64_t> integer(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
    return value;
}

std::optional<double> number(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The element children of a raw element, read with a tree of its own bytes; nothing when
// they do not parse.
template <typename Visit>
void forEachChildElement(const Raw& raw, Visit&& visit) {
    try {
        const XMLTree tree(raw.bytes.view());
        for (int child : tree.childElements(tree.root())) visit(tree, child);
    } catch (const XMLError&) {
    }
}

const Raw* rawChild(const Group& group, std::string_view local) {
    for (const Block& block : group.children)
        if (const auto* raw = std::get_if<Raw>(&block); raw && raw->local() == local) return raw;
    return nullptr;
}

// w:tblPr/w:tblStyle/@w:val; nothing when the properties name no style.
std::optional<StyleID> tableStyleOf(const Raw& tblPr) {
    std::optional<StyleID> style;
    bool found = false;
    forEachChildElement(tblPr, [&](const XMLTree& tree, int child) {
        if (found || tree.localName(child) != "tblStyle") return;
        found = true;
        if (auto value = tree.attribute(child, "w:val")) style = StyleID{std::move(*value)};
    });
    return style;
}

std::vector<double> gridColumns(const Raw& grid) {
    std::vector<double> columns;
    forEachChildElement(grid, [&](const XMLTree& tree, int child) {
        if (const auto width = number(tree.attribute(child, "w:w"))) columns.push_back(*width / 20);
    });
    return columns;
}

void readCellProperties(const Raw& tcPr, CellSnapshot& cell) {
    forEachChildElement(tcPr, [&](const XMLTree& tree, int child) {
        const std::string_view local = tree.localName(child);
        if (local == "gridSpan") cell.gridSpan = integer(tree.attribute(child, "w:val")).value_or(1);
        if (local == "vMerge") {
            const auto value = tree.attribute(child, "w:val");
            cell.vMerge = value && *value == "restart" ? VMerge::restart : VMerge::continues;
        }
    });
}

std::optional<std::string> attributeEnding(const Markup::Attributes& attributes, std::string_view suffix) {
    for (const auto& [name, value] : attributes)
        if (name.size() > suffix.size() && name.ends_with(suffix) && name[name.size() - suffix.size() - 1] == ':')
            return value;
    return std::nullopt;
}

}  // namespace

void SnapshotContext::enterTable(const Group& group) {
    if (const Raw* tblPr = rawChild(group, "tblPr")) tableStyle_ = tableStyleOf(*tblPr);
}

TableSnapshot SnapshotContext::table(const Group& group) {
    const std::optional<StyleID> enclosing = tableStyle_;
    enterTable(group);
    TableSnapshot table;
    table.id = group.id;
    for (const Block& block : group.children) {
        if (const auto* raw = std::get_if<Raw>(&block)) {
            if (raw->local() == "tblGrid") table.columns = gridColumns(*raw);
            continue;
        }
        const auto* row = std::get_if<std::unique_ptr<Group>>(&block);
        if (!row || (*row)->local() != "tr") continue;
        auto& cells = table.rows.emplace_back();
        for (const Block& rowChild : (*row)->children) {
            const auto* cellGroup = std::get_if<std::unique_ptr<Group>>(&rowChild);
            if (!cellGroup || (*cellGroup)->local() != "tc") continue;
            CellSnapshot cell;
            cell.id = (*cellGroup)->id;
            if (const Raw* tcPr = rawChild(**cellGroup, "tcPr")) readCellProperties(*tcPr, cell);
            cell.blocks = blocks((*cellGroup)->children);
            cells.push_back(std::move(cell));
        }
    }
    tableStyle_ = enclosing;
    return table;
}

Span::Content SnapshotContext::object(std::string_view name, ByteView bytes) {
    static const Regex drawingRelationship(R"re(r:(?:embed|id)="([^"]+)")re");
    static const Regex alternateRelationship(R"re(r:embed="([^"]+)")re");
    static const Regex extent(R"re(extent cx="(\d+)" cy="(\d+)")re");
    Span::Content content;
    content.type = Span::Content::Type::opaque;
    content.name = std::string(name);
    if (bytes.empty()) return content;
    const std::string text = utf8::repaired(bytes);
    std::optional<Regex::Match> relationship;
    if (name == "drawing" || name == "pict") relationship = drawingRelationship.firstMatch(text);
    if (!relationship && name == "AlternateContent") relationship = alternateRelationship.firstMatch(text);
    if (relationship) {
        content.type = Span::Content::Type::image;
        content.image = RelationshipID{relationship->groups[1]};
        if (const auto size = extent.firstMatch(text)) {
            // English Metric Units: 12700 to the point.
            content.width = number(size->groups[1]).value_or(0) / 12700;
            content.height = number(size->groups[2]).value_or(0) / 12700;
        }
        return content;
    }
    content.preview = Markup::previewText(bytes);
    return content;
}

std::vector<EntrySnapshot> SnapshotContext::entries(const Group& root) {
    std::vector<EntrySnapshot> result;
    for (const Block& block : root.children) {
        const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (!group) continue;
        const Markup::Attributes attributes = Markup::attributes((*group)->tags.start.view());
        // Separator and continuation-separator notes are layout, not content.
        if (const auto type = attributeEnding(attributes, "type"); type && *type != "normal") continue;
        EntrySnapshot entry;
        entry.id = integer(attributeEnding(attributes, "id")).value_or(-1);
        entry.author = attributeEnding(attributes, "author");
        entry.date = attributeEnding(attributes, "date");
        entry.blocks = blocks((*group)->children);
        result.push_back(std::move(entry));
    }
    return result;
}

}  // namespace rovuvuz
