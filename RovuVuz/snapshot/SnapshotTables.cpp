// Tables in a snapshot: the grid, the rows and their cells, each cell's place in the grid
// and its effective look. The table style is resolved once per table; each cell's
// conditional formats (first row, banded rows, …) follow from its place and the table's
// w:tblLook, and apply to its borders and shading here and to its paragraphs' formats
// through the style sheet.
#include "RovuVuz/snapshot/SnapshotContext.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

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

std::vector<const Group*> groupChildren(const Group& group, std::string_view local) {
    std::vector<const Group*> found;
    for (const Block& block : group.children)
        if (const auto* child = std::get_if<std::unique_ptr<Group>>(&block); child && (*child)->local() == local)
            found.push_back(child->get());
    return found;
}

size_t countGroups(const Group& group, std::string_view local) {
    size_t count = 0;
    for (const Block& block : group.children)
        if (const auto* child = std::get_if<std::unique_ptr<Group>>(&block); child && (*child)->local() == local) ++count;
    return count;
}

std::vector<double> gridColumns(const Raw& grid) {
    std::vector<double> columns;
    forEachChildElement(grid, [&](const XMLTree& tree, int child) {
        if (const auto width = Numbers::decimal(tree.ownAttribute(child, "w"))) columns.push_back(*width / 20);
    });
    return columns;
}

void readSpanAndMerge(const Raw& tcPr, CellSnapshot& cell) {
    forEachChildElement(tcPr, [&](const XMLTree& tree, int child) {
        const std::string_view local = tree.localName(child);
        if (local == "gridSpan") cell.gridSpan = Numbers::integer(tree.ownAttribute(child, "val")).value_or(1);
        if (local == "vMerge") {
            const auto value = tree.ownAttribute(child, "val");
            cell.vMerge = value && *value == "restart" ? VMerge::restart : VMerge::continues;
        }
    });
}

// The tracked insertion and deletion a row's w:trPr records, in the order it has them.
void readRowRevisions(const Raw& trPr, size_t row, std::vector<RowRevision>& out) {
    forEachChildElement(trPr, [&](const XMLTree& tree, int child) {
        const std::string_view local = tree.localName(child);
        if (local != "ins" && local != "del") return;
        out.push_back({row, RevisionInfo{RevisionID{Numbers::integer(tree.ownAttribute(child, "id")).value_or(-1)},
                                         local == "ins" ? RevisionKind::insert : RevisionKind::remove,
                                         tree.ownAttribute(child, "author").value_or(""),
                                         tree.ownAttribute(child, "date")}});
    });
}

template <typename T>
void take(T& side, const std::optional<T>& stated) {
    if (stated) side = *stated;
}

// Where a cell stands among the table's edges.
struct Edges {
    bool top, bottom, left, right;
};

// A conditional format's borders: the condition's region has its own outer sides and
// inside lines. Row conditions span the row, column conditions the column, the whole table
// both, and a corner is one cell.
void overlayConditional(CellBorders& sides, const Borders& b, TableCondition condition, const Edges& at) {
    using C = TableCondition;
    const bool rows = condition == C::firstRow || condition == C::lastRow || condition == C::band1Horz ||
                      condition == C::band2Horz;
    const bool columns = condition == C::firstCol || condition == C::lastCol || condition == C::band1Vert ||
                         condition == C::band2Vert;
    const bool corner = !rows && !columns && condition != C::wholeTable;
    const bool topOuter = rows || corner || at.top;
    const bool bottomOuter = rows || corner || at.bottom;
    const bool leftOuter = columns || corner || at.left;
    const bool rightOuter = columns || corner || at.right;
    take(sides.top, topOuter ? b.top : b.insideH);
    take(sides.bottom, bottomOuter ? b.bottom : b.insideH);
    take(sides.left, leftOuter ? b.left : b.insideV);
    take(sides.right, rightOuter ? b.right : b.insideV);
}

}  // namespace

struct SnapshotContext::TableLayout {
    const TableStyle* style = nullptr;
    TableProperties properties;  // the style's w:tblPr with the table's own over it
    TableLook look;
    size_t rows = 0;
};

SnapshotContext::TableLayout SnapshotContext::tableLayout(const Group& table) const {
    TableLayout layout;
    const Raw* tblPr = rawChild(table, "tblPr");
    const TableProperties own = tblPr ? TableProperties::read(tblPr->bytes.view()) : TableProperties{};
    // A table without properties stands in the style of the table around it.
    const std::optional<StyleID> style = tblPr ? own.style : tableStyle_;
    layout.style = &styles_.tableStyle(style);
    layout.properties = layout.style->table;
    layout.properties.overlay(own);
    layout.properties.style = style;
    layout.look = layout.properties.look.value_or(TableLook{});
    layout.rows = countGroups(table, "tr");
    return layout;
}

CellFormat SnapshotContext::cellFormat(const TableLayout& layout, const Group& cell, size_t row, size_t column,
                                       size_t columns) const {
    CellFormat format;
    const TableProperties& table = layout.properties;
    format.conditions = cellConditions(layout.look, row, layout.rows, column, columns,
                                       table.rowBandSize.value_or(1), table.columnBandSize.value_or(1));
    const Edges at{row == 0, row + 1 == layout.rows, column == 0, column + 1 == columns};
    CellBorders& sides = format.borders;
    take(sides.top, at.top ? table.borders.top : table.borders.insideH);
    take(sides.bottom, at.bottom ? table.borders.bottom : table.borders.insideH);
    take(sides.left, at.left ? table.borders.left : table.borders.insideV);
    take(sides.right, at.right ? table.borders.right : table.borders.insideV);

    CellProperties look = layout.style->cell;
    CellMargins margins = table.cellMargins;
    margins.overlay(look.margins);
    overlayConditional(sides, look.borders, TableCondition::wholeTable, at);
    for (size_t c = 0; c < tableConditionCount; ++c) {
        const ConditionalFormat& conditional = layout.style->conditions[c];
        if (!(format.conditions & (1u << c)) || !conditional.stated) continue;
        overlayConditional(sides, conditional.cell.borders, static_cast<TableCondition>(c), at);
        look.overlay(conditional.cell);
        margins.overlay(conditional.cell.margins);
    }
    if (const Raw* tcPr = rawChild(cell, "tcPr")) {
        const CellProperties own = CellProperties::read(tcPr->bytes.view());
        take(sides.top, own.borders.top);
        take(sides.bottom, own.borders.bottom);
        take(sides.left, own.borders.left);
        take(sides.right, own.borders.right);
        look.shading = own.shading ? own.shading : look.shading;
        look.verticalAlign = own.verticalAlign ? own.verticalAlign : look.verticalAlign;
        if (own.width) look.width = own.width;
        margins.overlay(own.margins);
    }
    format.shading = look.shading ? look.shading : table.shading;
    format.verticalAlign = look.verticalAlign.value_or(CellAlign::top);
    format.width = look.width;
    format.marginTop = margins.top.value_or(format.marginTop);
    format.marginLeft = margins.left.value_or(format.marginLeft);
    format.marginBottom = margins.bottom.value_or(format.marginBottom);
    format.marginRight = margins.right.value_or(format.marginRight);
    return format;
}

void SnapshotContext::enterTable(const Group& group) {
    if (const Raw* tblPr = rawChild(group, "tblPr")) tableStyle_ = TableProperties::read(tblPr->bytes.view()).style;
    conditions_ = 0;
}

void SnapshotContext::enterCell(const Group& table, const Group& row, const Group& cell) {
    const std::vector<const Group*> rows = groupChildren(table, "tr");
    const std::vector<const Group*> cells = groupChildren(row, "tc");
    const auto rowAt = std::find(rows.begin(), rows.end(), &row);
    const auto cellAt = std::find(cells.begin(), cells.end(), &cell);
    if (rowAt == rows.end() || cellAt == cells.end()) return;
    // The layout reads the table's style from tableStyle_, which enterTable has set.
    const TableLayout layout = tableLayout(table);
    const TableProperties& properties = layout.properties;
    conditions_ = cellConditions(layout.look, static_cast<size_t>(rowAt - rows.begin()), rows.size(),
                                 static_cast<size_t>(cellAt - cells.begin()), cells.size(),
                                 properties.rowBandSize.value_or(1), properties.columnBandSize.value_or(1));
}

TableSnapshot SnapshotContext::table(const Group& group) {
    TableSnapshot table;
    table.id = group.id;
    if (const Raw* grid = rawChild(group, "tblGrid")) table.columns = gridColumns(*grid);
    const TableLayout layout = tableLayout(group);
    table.properties = layout.properties;
    size_t cellsInRow = 0;
    size_t column = 0;
    int64_t gridColumn = 0;
    eachCell(
        group,
        [&](const Group& row) {
            const Raw* trPr = rawChild(row, "trPr");
            if (trPr) readRowRevisions(*trPr, table.rows.size(), table.rowRevisions);
            table.rowProperties.push_back(trPr ? RowProperties::read(trPr->bytes.view()) : RowProperties{});
            table.rows.emplace_back();
            cellsInRow = countGroups(row, "tc");
            column = 0;
            gridColumn = table.rowProperties.back().gridBefore;
        },
        [&](const Group& cellGroup) {
            CellSnapshot cell;
            cell.id = cellGroup.id;
            if (const Raw* tcPr = rawChild(cellGroup, "tcPr")) readSpanAndMerge(*tcPr, cell);
            cell.gridColumn = gridColumn;
            gridColumn += std::clamp<int64_t>(cell.gridSpan, 1, 64);
            cell.format = cellFormat(layout, cellGroup, table.rows.size() - 1, column++, cellsInRow);
            conditions_ = cell.format.conditions;
            cell.blocks = blocks(cellGroup.children, cellGroup.tags.prefix());
            table.rows.back().push_back(std::move(cell));
        });
    return table;
}

}  // namespace rovuvuz
