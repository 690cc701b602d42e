#include "RovuVuz/edit/Tables.h"

#include <algorithm>
#include <cmath>

#include "RovuVuz/edit/WholeTables.h"
#include "RovuVuz/model/DocxError.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::Tables {

namespace {

// A refusal with the reason a reader is told ("a table keeps at least one row").
DocxError refusal(DocxErrorCode code, const StoryID& story, std::string cause) {
    return DocxError(code, DocxError::Detail{story, std::nullopt, std::nullopt, std::move(cause)});
}

constexpr const char* mergedColumns = "cells merged across columns keep the table's columns as they are";

using Markup::qualified;

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

std::optional<std::pair<size_t, Raw*>> tcPr(Group& cell) {
    return rawChild(cell, "tcPr");
}

// Text rewritten and read back as a raw piece; the old piece when the result does not parse.
Raw rewritten(const Raw& old, const std::string& text) {
    return Fragment::raw(text).value_or(old);
}

// A raw properties element (w:tcPr, w:trPr, w:tblGrid) changed through its own tree:
// `change(tree, edit)` records what changes. The piece stays as it is when nothing
// changes or its bytes do not parse.
template <typename Change>
void editRaw(Raw& raw, Change&& change) {
    try {
        const XMLTree tree(raw.bytes.view());
        XMLEdit edit(tree);
        change(tree, edit);
        if (!edit.empty()) raw = rewritten(raw, edit.result());
    } catch (const XMLError&) {
    }
}

// The first child element of a raw element's root with a local name.
std::optional<int> childNamed(const XMLTree& tree, std::string_view local) {
    for (int child : tree.childElements(tree.root()))
        if (tree.localName(child) == local) return child;
    return std::nullopt;
}

// Removes the root's child elements with these local names.
void removeChildren(Raw& raw, std::initializer_list<std::string_view> locals) {
    editRaw(raw, [&](const XMLTree& tree, XMLEdit& edit) {
        for (int child : tree.childElements(tree.root()))
            if (std::find(locals.begin(), locals.end(), tree.localName(child)) != locals.end())
                edit.remove(child);
    });
}

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
        Raw copy = *props->second;
        removeChildren(copy, {"vMerge"});
        cell->children.emplace_back(std::move(copy));
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
                // A new row is not someone's change: the model's revision marks stay behind.
                Raw copy = *raw;
                removeChildren(copy, {"ins", "del"});
                row->children.emplace_back(std::move(copy));
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
    const std::string marker =
        Markup::startTag(qualified(prefix, name), TextEdit::revisionAttributes(document, prefix, tracked),
                         Markup::SelfClosing::Yes);
    if (const auto found = rawChild(row, "trPr")) {
        editRaw(*found->second, [&](const XMLTree& tree, XMLEdit& edit) {
            if (const auto change = childNamed(tree, "trPrChange"))
                edit.insertBefore(*change, marker);
            else
                edit.append(tree.root(), marker);
        });
        return;
    }
    const std::string trPr = qualified(prefix, "trPr");
    const auto made =
        Fragment::raw(Markup::startTag(trPr, {}, Markup::SelfClosing::No) + marker + "</" + trPr + ">");
    if (!made) return;
    const auto exceptions = rawChild(row, "tblPrEx");
    const size_t at = exceptions ? exceptions->first + 1 : 0;
    row.children.insert(row.children.begin() + static_cast<std::ptrdiff_t>(at), *made);
}

// Whether a cell's w:tcPr begins a vertical merge (w:vMerge w:val="restart").
bool startsMerge(const Raw& tcPr) {
    try {
        const XMLTree tree(tcPr.bytes.view());
        const auto merge = childNamed(tree, "vMerge");
        return merge && tree.ownAttribute(*merge, "val") == "restart";
    } catch (const XMLError&) {
        return false;
    }
}

// The w:gridSpan of a cell's w:tcPr, when it names one. A span that is not a number reads as
// more than one column: an edit that cannot tell must not split the cell.
std::optional<int64_t> gridSpan(const Raw& tcPr) {
    try {
        const XMLTree tree(tcPr.bytes.view());
        const auto span = childNamed(tree, "gridSpan");
        if (!span) return std::nullopt;
        const auto value = tree.ownAttribute(*span, "val");
        return value ? Numbers::integer(value).value_or(INT64_MAX) : std::optional<int64_t>();
    } catch (const XMLError&) {
        return std::nullopt;
    }
}

// A vertical merge that began in a removed row begins again in the row below it.
void continueMerges(Group& removed, Group& next) {
    const auto above = cells(removed);
    const auto below = cells(next);
    for (size_t k = 0; k < std::min(above.size(), below.size()); ++k) {
        const auto top = tcPr(*above[k]);
        const auto bottom = tcPr(*below[k]);
        if (!top || !bottom || !startsMerge(*top->second)) continue;
        editRaw(*bottom->second, [](const XMLTree& tree, XMLEdit& edit) {
            const auto merge = childNamed(tree, "vMerge");
            if (!merge) return;
            const std::string val = qualified(Markup::prefixOf(tree.nameView(*merge)), "val");
            edit.setAttributes(*merge, {{val, "restart"}});
        });
    }
}

bool hasHorizontalMerge(const std::vector<std::pair<size_t, Group*>>& rows) {
    for (const auto& [index, row] : rows) {
        for (Group* cell : cells(*row)) {
            const auto props = tcPr(*cell);
            const auto span = props ? gridSpan(*props->second) : std::nullopt;
            if (span && *span >= 2) return true;
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
            grid.widths.push_back(Numbers::decimal(tree.ownAttribute(child, "w")).value_or(0));
        }
    } catch (const XMLError&) {
        throw DocxError(DocxErrorCode::unsupported, story);
    }
    return grid;
}

// The grid's columns written anew inside its own w:tblGrid start tag.
void writeGrid(Group& table, const Grid& grid) {
    const std::string_view prefix = Markup::prefixOf(grid.qname);
    std::string columns;
    for (double width : grid.widths) {
        // Twentieths of a point, truncated; a width no page could hold is written as 0.
        const int64_t whole = std::abs(width) < 1e15 ? static_cast<int64_t>(width) : 0;
        columns +=
            Markup::startTag(qualified(prefix, "gridCol"), {{qualified(prefix, "w"), std::to_string(whole)}},
                             Markup::SelfClosing::Yes);
    }
    editRaw(std::get<Raw>(table.children[grid.index]),
            [&](const XMLTree& tree, XMLEdit& edit) { edit.replaceContent(tree.root(), columns); });
}

// Halves the width (w:tcW w:w) a cell's w:tcPr gives it.
void halveWidth(Raw& tcPr) {
    editRaw(tcPr, [](const XMLTree& tree, XMLEdit& edit) {
        const auto width = childNamed(tree, "tcW");
        if (!width) return;
        const auto value = Numbers::integer(tree.ownAttribute(*width, "w"));
        if (!value || *value < 0) return;
        edit.setAttributes(
            *width, {{qualified(Markup::prefixOf(tree.nameView(*width)), "w"), std::to_string(*value / 2)}});
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
    if (rows.size() < 2) throw refusal(DocxErrorCode::unsupported, story, "a table keeps at least one row");
    if (index >= rows.size()) throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
    if (mode.tracked) {
        markRowDeleted(document, *rows[index].second, *mode.tracked);
        return;
    }
    eraseRow(table, rows[index].first);
}

// The grid with a new column at `at`: the new column takes an equal share, 1/(n+1), of
// the grid's total, and every other column gives up that fraction of its own width, so
// the table keeps its width and no single column is halved (a halved column clips the
// text it held). Rounding leftovers go to the widest column.
std::vector<double> rebalanced(const std::vector<double>& widths, size_t at) {
    double total = 0;
    for (double width : widths) total += std::max(width, 0.0);
    std::vector<double> result;
    if (!(total > 0)) {
        result = widths;
        result.insert(result.begin() + static_cast<std::ptrdiff_t>(at), 0);
        return result;
    }
    const double share = std::floor(total / static_cast<double>(widths.size() + 1));
    const double rest = total - share;
    double used = 0;
    size_t widest = 0;
    for (double width : widths) {
        result.push_back(std::floor(std::max(width, 0.0) * rest / total));
        used += result.back();
        if (result.back() > result[widest]) widest = result.size() - 1;
    }
    result[widest] += rest - used;
    result.insert(result.begin() + static_cast<std::ptrdiff_t>(at), share);
    return result;
}

// Rewrites the width (w:tcW w:w) a cell's w:tcPr gives it: `resize` takes the value and its
// type (dxa when absent) and answers the new value, or nothing to leave it.
template <typename Resize>
void resizeCell(Group& cell, Resize&& resize) {
    const auto props = tcPr(cell);
    if (!props) return;
    editRaw(*props->second, [&](const XMLTree& tree, XMLEdit& edit) {
        const auto width = childNamed(tree, "tcW");
        if (!width) return;
        const auto value = Numbers::integer(tree.ownAttribute(*width, "w"));
        if (!value || *value < 0) return;
        const std::optional<int64_t> next = resize(*value, tree.ownAttribute(*width, "type").value_or("dxa"));
        if (!next || *next == *value) return;
        edit.setAttributes(*width,
                           {{qualified(Markup::prefixOf(tree.nameView(*width)), "w"), std::to_string(*next)}});
    });
}

// Cell widths follow the new grid: a width in twentieths of a point takes its column's
// width, a percentage (fiftieths of a percent) shrinks by the same fraction as the grid's
// other columns; automatic and nil widths stay as they are.
void fitCells(Group& row, const std::vector<double>& before, const std::vector<double>& after, size_t at,
              Group& added, size_t source) {
    double total = 0;
    for (double width : before) total += std::max(width, 0.0);
    const double kept = total > 0 ? (total - after[at]) / total : 1;
    const auto column = [&](size_t grid) -> std::optional<int64_t> {
        if (grid >= after.size() || !(std::abs(after[grid]) < 1e15)) return std::nullopt;
        return static_cast<int64_t>(after[grid]);
    };
    const auto fit = [&](size_t grid, double pctScale) {
        return [&, grid, pctScale](int64_t value, const std::string& type) -> std::optional<int64_t> {
            if (type == "dxa") return column(grid);
            if (type == "pct") return static_cast<int64_t>(std::floor(static_cast<double>(value) * pctScale));
            return std::nullopt;
        };
    };
    const std::vector<Group*> all = cells(row);
    for (size_t i = 0, grid = 0; i < all.size(); ++i, ++grid) {
        if (all[i] == &added) {
            const double share = before[source] > 0 ? after[at] / before[source] : 1;
            resizeCell(added, fit(grid, share));
            continue;
        }
        resizeCell(*all[i], fit(grid, kept));
    }
}

void insertColumn(EditContext& document, Group& table, const std::vector<std::pair<size_t, Group*>>& rows,
                  size_t at, const StoryID& story) {
    const auto refuse = [&] { return DocxError(DocxErrorCode::unsupported, story); };
    if (hasHorizontalMerge(rows)) throw refusal(DocxErrorCode::unsupported, story, mergedColumns);
    if (rows.empty()) throw refuse();
    const size_t n = cells(*rows.front().second).size();
    if (n == 0 || at > n) throw refuse();
    for (const auto& [index, row] : rows)
        if (cells(*row).size() != n) throw refuse();
    const size_t source = std::min(at, n - 1);
    auto grid = readGrid(table, story);
    if (grid && source >= grid->widths.size()) throw refuse();  // the grid does not describe the column
    const std::vector<double> widths = grid ? rebalanced(grid->widths, at) : std::vector<double>();

    for (const auto& [index, row] : rows) {
        Group* cell = cells(*row)[source];
        // Without a grid there is nothing to share out: the model column is split in two.
        if (!grid)
            if (const auto props = tcPr(*cell)) halveWidth(*props->second);
        auto copy = cloneCell(document, *cell);
        Group& added = *copy;
        const auto place = std::find_if(row->children.begin(), row->children.end(), [&](const Block& b) {
            const auto* g = std::get_if<std::unique_ptr<Group>>(&b);
            return g && g->get() == cell;
        });
        row->children.insert(at == n ? place + 1 : place, std::move(copy));
        if (grid) fitCells(*row, grid->widths, widths, at, added, source);
    }
    if (!grid) return;
    grid->widths = widths;
    writeGrid(table, *grid);
}

void removeColumn(Group& table, const std::vector<std::pair<size_t, Group*>>& rows, size_t index,
                  const StoryID& story) {
    if (hasHorizontalMerge(rows)) throw refusal(DocxErrorCode::unsupported, story, mergedColumns);
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

void markRowDeleted(EditContext& document, Group& row, const EditMode::Tracked& tracked) {
    markRow(document, row, "del", tracked);
    for (Paragraph* paragraph : paragraphsIn(row)) {
        const size_t length = InlineOps::length(paragraph->inlines);
        if (length == 0) continue;
        TextEdit::deleteTracked(document, *paragraph, 0, length, tracked);
        paragraph->setDirty(true);
        TextEdit::prune(*paragraph);
    }
}

void eraseRow(Group& table, size_t index) {
    auto& row = std::get<std::unique_ptr<Group>>(table.children.at(index));
    for (size_t next = index + 1; next < table.children.size(); ++next) {
        const auto* below = std::get_if<std::unique_ptr<Group>>(&table.children[next]);
        if (!below || (*below)->local() != "tr") continue;
        continueMerges(*row, **below);
        break;
    }
    table.children.erase(table.children.begin() + static_cast<std::ptrdiff_t>(index));
}

void apply(EditContext& document, Story& story, const StoryID& storyID, const TableEdit& edit,
           BlockID tableID, const EditMode& mode) {
    Group* table = story.root ? findGroup(*story.root, tableID) : nullptr;
    if (!table || table->local() != "tbl") throw DocxError(DocxErrorCode::unknownParagraph, storyID);
    if (std::holds_alternative<TableEdit::RemoveTable>(edit.value)) {
        Group* parent = WholeTables::parentOf(*story.root, *table);
        if (!parent) throw DocxError(DocxErrorCode::unknownParagraph, storyID);
        WholeTables::remove(document, *parent, *table, mode);
        story.touched = true;
        return;
    }
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
