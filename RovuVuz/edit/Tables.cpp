#include "RovuVuz/edit/Tables.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "RovuVuz/model/DocxError.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/xml/Regex.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::Tables {

namespace {

using TextEdit::qualified;

// Revision markers of a row copied from another row: a new row is not someone's change.
const Regex& rowMarkers() {
    static const Regex pattern(R"re(<\w+:(ins|del) [^>]*\/>)re");
    return pattern;
}
const Regex& vMergeMarker() {
    static const Regex pattern(R"re(<(\w+):vMerge[^>]*\/>)re");
    return pattern;
}
const Regex& cellWidth() {
    static const Regex pattern(R"re((<\w+:tcW [^>]*w="?)(\d+))re");
    return pattern;
}
const Regex& gridSpan() {
    static const Regex pattern(R"re(gridSpan [^>]*val="(\d+)")re");
    return pattern;
}

// The child groups of a group with one local name, with their indices among its children.
std::vector<std::pair<size_t, Group*>> childGroups(Group& parent, std::string_view local) {
    std::vector<std::pair<size_t, Group*>> result;
    for (size_t i = 0; i < parent.children.size(); ++i)
        if (auto* group = std::get_if<std::unique_ptr<Group>>(&parent.children[i]))
            if ((*group)->local() == local) result.emplace_back(i, group->get());
    return result;
}

std::vector<Group*> cells(Group& row) {
    std::vector<Group*> result;
    for (auto& [index, cell] : childGroups(row, "tc")) result.push_back(cell);
    return result;
}

// The first raw child with a local name, and its index.
std::optional<std::pair<size_t, Raw*>> rawChild(Group& group, std::string_view local) {
    for (size_t i = 0; i < group.children.size(); ++i)
        if (auto* raw = std::get_if<Raw>(&group.children[i]))
            if (raw->local() == local) return std::pair{i, raw};
    return std::nullopt;
}

std::optional<std::pair<size_t, Raw*>> tcPr(Group& cell) { return rawChild(cell, "tcPr"); }

// Text rewritten and read back as a raw piece; the old piece when the result does not parse.
Raw rewritten(const Raw& old, const std::string& text) { return Fragment::raw(text).value_or(old); }

// Searches groups without recursion: nesting depth comes from the file.
Group* findGroup(Group& root, BlockID id) {
    std::vector<Group*> pending{&root};
    while (!pending.empty()) {
        Group* group = pending.back();
        pending.pop_back();
        if (group->id == id) return group;
        for (Block& child : group->children)
            if (auto* inner = std::get_if<std::unique_ptr<Group>>(&child)) pending.push_back(inner->get());
    }
    return nullptr;
}

// The paragraphs of a group in order, through nested groups.
std::vector<Paragraph*> paragraphsIn(Group& root) {
    std::vector<Paragraph*> result;
    std::vector<std::pair<Group*, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto& [group, next] = stack.back();
        if (next == group->children.size()) {
            stack.pop_back();
            continue;
        }
        Block& child = group->children[next++];
        if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&child)) result.push_back(p->get());
        else if (auto* g = std::get_if<std::unique_ptr<Group>>(&child)) stack.emplace_back(g->get(), 0);
    }
    return result;
}

// The same element name and attributes, without w14: attributes (w14:paraId and
// w14:textId must stay unique in a document).
Tags freshTags(const Tags& tags) {
    Markup::Attributes kept;
    for (auto& [name, value] : Markup::attributes(tags.start.view()))
        if (!name.starts_with("w14:")) kept.emplace_back(std::move(name), std::move(value));
    return Tags::build(tags.qname(), kept);
}

std::unique_ptr<Paragraph> emptyParagraph(EditContext& document, Group& cell, Group& model) {
    auto paragraph = Paragraph::make(document.mint());
    const auto modelParagraphs = paragraphsIn(model);
    if (modelParagraphs.empty()) {
        paragraph->tags = Tags::build(qualified(cell.tags.prefix(), "p"), {});
    } else {
        const Paragraph& first = *modelParagraphs.front();
        paragraph->tags = freshTags(InlineOps::openTags(first.tags));
        if (first.props) {
            PropertyBag props = *first.props;
            // The mark's run properties and a recorded change belong to that paragraph.
            props.set("rPr", std::nullopt);
            props.set("pPrChange", std::nullopt);
            paragraph->props = std::move(props);
            paragraph->inlines.emplace_back(PropsMarker{});
        }
    }
    paragraph->setDirty(true);
    paragraph->parent = &cell;
    return paragraph;
}

// An empty cell with the model's properties, less its vertical merge.
std::unique_ptr<Group> cloneCell(EditContext& document, Group& model) {
    auto cell = std::make_unique<Group>();
    cell->id = BlockID{document.mint().mint()};
    cell->tags = freshTags(InlineOps::openTags(model.tags));
    if (const auto props = tcPr(model)) {
        const std::string text = vMergeMarker().replaceAll(props->second->bytes.chars(), [](auto&) { return ""; });
        cell->children.emplace_back(rewritten(*props->second, text));
    }
    cell->children.emplace_back(emptyParagraph(document, *cell, model));
    return cell;
}

std::unique_ptr<Group> cloneRow(EditContext& document, Group& model) {
    auto row = std::make_unique<Group>();
    row->id = BlockID{document.mint().mint()};
    row->tags = freshTags(InlineOps::openTags(model.tags));
    for (Block& child : model.children) {
        if (auto* group = std::get_if<std::unique_ptr<Group>>(&child)) {
            if ((*group)->local() == "tc") {
                row->children.emplace_back(cloneCell(document, **group));
            } else {
                // A wrapper around cells (a content control, custom XML) is copied as it stands.
                Bytes bytes;
                Serializer::group(**group, bytes);
                if (auto raw = Fragment::raw(asChars(bytes))) row->children.emplace_back(std::move(*raw));
            }
        } else if (auto* raw = std::get_if<Raw>(&child)) {
            const auto local = raw->local();
            if (local == "trPr" || local == "tblPrEx") {
                const std::string text = rowMarkers().replaceAll(raw->bytes.chars(), [](auto&) { return ""; });
                row->children.emplace_back(rewritten(*raw, text));
            } else {
                row->children.emplace_back(*raw);
            }
        }
    }
    return row;
}

// Marks a row inserted or deleted in its w:trPr, where ins and del follow the row
// properties and precede w:trPrChange (ECMA-376 §17.4.82).
void markRow(EditContext& document, Group& row, std::string_view name, const EditMode::Tracked& tracked) {
    const std::string_view prefix = row.tags.prefix();
    const std::string marker = Markup::startTag(qualified(prefix, name),
                                                TextEdit::revisionAttributes(document, prefix, tracked),
                                                Markup::SelfClosing::Yes);
    if (const auto found = rawChild(row, "trPr")) {
        Raw& raw = *found->second;
        std::string text(raw.bytes.chars());
        const std::string qname = text.substr(1, text.find_first_of(" \t\r\n/>", 1) - 1);
        if (text.ends_with("/>")) {
            text = text.substr(0, text.size() - 2) + ">" + marker + "</" + qname + ">";
        } else {
            size_t at = text.rfind("</");
            const size_t change = text.find(":trPrChange");
            if (change != std::string::npos) at = std::min(at, text.rfind('<', change));
            text.insert(at, marker);
        }
        raw = rewritten(raw, text);
        return;
    }
    const std::string trPr = qualified(prefix, "trPr");
    const auto made = Fragment::raw("<" + trPr + ">" + marker + "</" + trPr + ">");
    if (!made) return;
    const auto exceptions = rawChild(row, "tblPrEx");
    const size_t at = exceptions ? exceptions->first + 1 : 0;
    row.children.insert(row.children.begin() + static_cast<std::ptrdiff_t>(at), *made);
}

// A vertical merge that began in a removed row begins again in the row below it.
void continueMerges(Group& removed, Group& next) {
    const auto above = cells(removed);
    const auto below = cells(next);
    for (size_t k = 0; k < std::min(above.size(), below.size()); ++k) {
        const auto top = tcPr(*above[k]);
        const auto bottom = tcPr(*below[k]);
        if (!top || !bottom) continue;
        if (top->second->bytes.chars().find("restart") == std::string_view::npos) continue;
        if (bottom->second->bytes.chars().find("vMerge") == std::string_view::npos) continue;
        Raw& raw = *bottom->second;
        const std::string text = vMergeMarker().replaceAll(raw.bytes.chars(), [](const Regex::Match& m) {
            return "<" + m.groups[1] + ":vMerge " + m.groups[1] + ":val=\"restart\"/>";
        });
        raw = rewritten(raw, text);
    }
}

bool hasHorizontalMerge(const std::vector<std::pair<size_t, Group*>>& rows) {
    for (const auto& [index, row] : rows) {
        for (Group* cell : cells(*row)) {
            const auto props = tcPr(*cell);
            if (!props) continue;
            const auto match = gridSpan().firstMatch(props->second->bytes.chars());
            if (!match) continue;
            int64_t span = 0;
            const std::string& digits = match->groups[1];
            const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), span);
            // A span too large to read is certainly more than one column.
            if (parsed.ec != std::errc() || span >= 2) return true;
        }
    }
    return false;
}

// The grid's column widths, read before any change so that a grid the edit cannot
// rewrite refuses the whole edit; nothing when the table has no w:tblGrid.
struct Grid {
    size_t index = 0;
    std::string qname;
    std::vector<double> widths;
};

std::optional<Grid> readGrid(Group& table, const StoryID& story) {
    const auto found = rawChild(table, "tblGrid");
    if (!found) return std::nullopt;
    Grid grid;
    grid.index = found->first;
    try {
        const XMLTree tree(found->second->bytes.view());
        grid.qname = tree.name(tree.root());
        for (int child : tree.childElements(tree.root())) {
            if (tree.localName(child) != "gridCol") throw DocxError(DocxErrorCode::unsupported, story);
            double width = 0;
            if (const auto value = Markup::attribute("w", tree.rawStartTag(child))) {
                const auto parsed = std::from_chars(value->data(), value->data() + value->size(), width);
                if (parsed.ec != std::errc() || !std::isfinite(width)) width = 0;
            }
            grid.widths.push_back(width);
        }
    } catch (const XMLError&) {
        throw DocxError(DocxErrorCode::unsupported, story);
    }
    return grid;
}

void writeGrid(Group& table, const Grid& grid) {
    const std::string prefix = grid.qname.find(':') == std::string::npos ? "" : grid.qname.substr(0, grid.qname.find(':'));
    std::string text = "<" + grid.qname + ">";
    for (double width : grid.widths) {
        // Twentieths of a point, truncated; a width no page could hold is written as 0.
        const int64_t whole = std::abs(width) < 1e15 ? static_cast<int64_t>(width) : 0;
        text += "<" + qualified(prefix, "gridCol") + " " + qualified(prefix, "w") + "=\"" + std::to_string(whole) +
                "\"/>";
    }
    text += "</" + grid.qname + ">";
    Raw& old = std::get<Raw>(table.children[grid.index]);
    old = rewritten(old, text);
}

std::string halveWidth(std::string_view text) {
    return cellWidth().replaceAll(text, [](const Regex::Match& m) {
        uint64_t width = 0;
        const std::string& digits = m.groups[2];
        if (std::from_chars(digits.data(), digits.data() + digits.size(), width).ec != std::errc()) width = 0;
        return m.groups[1] + std::to_string(width / 2);
    });
}

void insertRow(EditContext& document, Group& table, const std::vector<std::pair<size_t, Group*>>& rows,
               size_t at, const EditMode& mode, const StoryID& story) {
    if (rows.empty() || at > rows.size()) throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
    const bool atEnd = at == rows.size();
    auto row = cloneRow(document, *rows[atEnd ? rows.size() - 1 : at].second);
    if (mode.tracked) markRow(document, *row, "ins", *mode.tracked);
    const size_t position = atEnd ? rows.back().first + 1 : rows[at].first;
    table.children.insert(table.children.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
}

void removeRow(EditContext& document, Group& table, const std::vector<std::pair<size_t, Group*>>& rows,
               size_t index, const EditMode& mode, const StoryID& story) {
    if (rows.size() < 2 || index >= rows.size()) throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
    Group& row = *rows[index].second;
    if (mode.tracked) {
        markRow(document, row, "del", *mode.tracked);
        for (Paragraph* paragraph : paragraphsIn(row)) {
            const size_t length = InlineOps::length(paragraph->inlines);
            if (length == 0) continue;
            TextEdit::deleteTracked(document, *paragraph, 0, length, *mode.tracked);
            paragraph->setDirty(true);
            TextEdit::prune(*paragraph);
        }
        return;
    }
    if (index + 1 < rows.size()) continueMerges(row, *rows[index + 1].second);
    table.children.erase(table.children.begin() + static_cast<std::ptrdiff_t>(rows[index].first));
}

void insertColumn(EditContext& document, Group& table, const std::vector<std::pair<size_t, Group*>>& rows,
                  size_t at, const StoryID& story) {
    const auto refuse = [&] { return DocxError(DocxErrorCode::unsupported, story); };
    if (hasHorizontalMerge(rows) || rows.empty()) throw refuse();
    const size_t n = cells(*rows.front().second).size();
    if (n == 0 || at > n) throw refuse();
    for (const auto& [index, row] : rows)
        if (cells(*row).size() != n) throw refuse();
    const size_t source = std::min(at, n - 1);
    auto grid = readGrid(table, story);
    if (grid && source >= grid->widths.size()) throw refuse();  // the grid does not describe the column

    for (const auto& [index, row] : rows) {
        Group* cell = cells(*row)[source];
        if (const auto props = tcPr(*cell))
            *props->second = rewritten(*props->second, halveWidth(props->second->bytes.chars()));
        auto copy = cloneCell(document, *cell);
        const auto place = std::find_if(row->children.begin(), row->children.end(), [&](const Block& b) {
            const auto* g = std::get_if<std::unique_ptr<Group>>(&b);
            return g && g->get() == cell;
        });
        row->children.insert(at == n ? place + 1 : place, std::move(copy));
    }
    if (!grid) return;
    const double half = std::floor(grid->widths[source] / 2);
    grid->widths[source] = half;
    grid->widths.insert(grid->widths.begin() + static_cast<std::ptrdiff_t>(at), half);
    writeGrid(table, *grid);
}

void removeColumn(Group& table, const std::vector<std::pair<size_t, Group*>>& rows, size_t index,
                  const StoryID& story) {
    if (hasHorizontalMerge(rows)) throw DocxError(DocxErrorCode::unsupported, story);
    if (rows.empty()) throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
    for (const auto& [position, row] : rows) {
        const size_t count = cells(*row).size();
        if (count < 2 || index >= count) throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
    }
    auto grid = readGrid(table, story);
    for (const auto& [position, row] : rows) {
        const auto cellIndices = childGroups(*row, "tc");
        row->children.erase(row->children.begin() + static_cast<std::ptrdiff_t>(cellIndices[index].first));
    }
    // A grid with fewer columns than the rows have cells has no column to give up.
    if (!grid || index >= grid->widths.size()) return;
    grid->widths.erase(grid->widths.begin() + static_cast<std::ptrdiff_t>(index));
    writeGrid(table, *grid);
}

}  // namespace

void apply(EditContext& document, Story& story, const StoryID& storyID, const TableEdit& edit,
           BlockID tableID, const EditMode& mode) {
    Group* table = story.root ? findGroup(*story.root, tableID) : nullptr;
    if (!table || table->local() != "tbl") throw DocxError(DocxErrorCode::unknownParagraph, storyID);
    const auto rows = childGroups(*table, "tr");
    if (const auto* insert = std::get_if<TableEdit::InsertRow>(&edit.value))
        insertRow(document, *table, rows, insert->at, mode, storyID);
    else if (const auto* remove = std::get_if<TableEdit::RemoveRow>(&edit.value))
        removeRow(document, *table, rows, remove->index, mode, storyID);
    else if (const auto* column = std::get_if<TableEdit::InsertColumn>(&edit.value))
        insertColumn(document, *table, rows, column->at, storyID);
    else if (const auto* gone = std::get_if<TableEdit::RemoveColumn>(&edit.value))
        removeColumn(*table, rows, gone->index, storyID);
    story.touched = true;
}

}  // namespace rovuvuz::Tables
