#include "RovuVuz/format/TableFormat.h"

#include <algorithm>

#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// Word draws no line wider than 6 points (w:sz 48); files may state more.
constexpr double widestLine = 12;

template <typename T>
void take(std::optional<T>& mine, const std::optional<T>& later) {
    if (later) mine = later;
}

std::optional<std::string> colour(const XMLTree& tree, int node, std::string_view local) {
    auto value = tree.ownAttribute(node, local);
    if (!value || *value == "auto" || value->empty()) return std::nullopt;
    return value;
}

BorderLine::Style borderStyle(std::string_view val) {
    using S = BorderLine::Style;
    if (val == "none" || val == "nil") return S::none;
    if (val == "single") return S::single;
    if (val == "thick") return S::thick;
    if (val == "double") return S::doubleLine;
    if (val == "triple") return S::triple;
    if (val == "dotted") return S::dotted;
    if (val == "dashed" || val == "dashSmallGap") return S::dashed;
    if (val == "dotDash" || val == "dotDotDash") return S::dotDash;
    if (val == "wave" || val == "doubleWave") return S::wave;
    return S::other;
}

// A width of ST_TblWidth in twentieths of a point: w:type dxa, or no type at all.
std::optional<double> dxa(const XMLTree& tree, int node) {
    const auto type = tree.ownAttribute(node, "type");
    if (type && *type != "dxa") return std::nullopt;
    const auto w = tree.ownAttribute(node, "w");
    const auto value = w ? FormatValues::number(*w) : std::nullopt;
    if (!value) return std::nullopt;
    return FormatValues::clamp(*value / 20, 0, FormatValues::longestLength);
}

std::optional<int> bandSize(const XMLTree& tree, int node) {
    const auto val = tree.ownAttribute(node, "val");
    const auto size = val ? FormatValues::integer(*val) : std::nullopt;
    if (!size) return std::nullopt;
    return static_cast<int>(std::clamp<int64_t>(*size, 1, 1000));
}

// Runs `read` on the tree of a property element's bytes; nothing read when they do not
// parse.
template <typename T>
T readBytes(ByteView bytes) {
    try {
        const XMLTree tree(bytes);
        return T::read(tree, tree.root());
    } catch (const XMLError&) {
        return T{};
    }
}

}  // namespace

BorderLine BorderLine::read(const XMLTree& tree, int node) {
    BorderLine line;
    line.style = borderStyle(tree.ownAttribute(node, "val").value_or("none"));
    const auto sz = tree.ownAttribute(node, "sz");
    if (const auto eighths = sz ? FormatValues::number(*sz) : std::nullopt)
        line.width = FormatValues::clamp(*eighths / 8, 0, widestLine);
    else if (line.visible())
        line.width = 0.5;  // a line without a width draws as Word's thinnest (w:sz 4)
    line.color = colour(tree, node, "color");
    const auto space = tree.ownAttribute(node, "space");
    if (const auto points = space ? FormatValues::number(*space) : std::nullopt)
        line.space = FormatValues::clamp(*points, 0, 31);
    return line;
}

Borders Borders::read(const XMLTree& tree, int node) {
    Borders borders;
    for (int child : tree.childElements(node)) {
        const std::string_view local = tree.localName(child);
        std::optional<BorderLine>* side = local == "top"                      ? &borders.top
                                          : local == "left" || local == "start" ? &borders.left
                                          : local == "bottom"                  ? &borders.bottom
                                          : local == "right" || local == "end" ? &borders.right
                                          : local == "insideH"                 ? &borders.insideH
                                          : local == "insideV"                 ? &borders.insideV
                                                                               : nullptr;
        if (side) *side = BorderLine::read(tree, child);
    }
    return borders;
}

void Borders::overlay(const Borders& later) {
    take(top, later.top);
    take(left, later.left);
    take(bottom, later.bottom);
    take(right, later.right);
    take(insideH, later.insideH);
    take(insideV, later.insideV);
}

Shading Shading::read(const XMLTree& tree, int node) {
    Shading shading;
    shading.fill = colour(tree, node, "fill");
    shading.color = colour(tree, node, "color");
    if (auto pattern = tree.ownAttribute(node, "val")) shading.pattern = std::move(*pattern);
    return shading;
}

CellMargins CellMargins::read(const XMLTree& tree, int node) {
    CellMargins margins;
    for (int child : tree.childElements(node)) {
        const std::string_view local = tree.localName(child);
        const auto width = dxa(tree, child);
        if (!width) continue;
        if (local == "top") margins.top = width;
        if (local == "bottom") margins.bottom = width;
        if (local == "left" || local == "start") margins.left = width;
        if (local == "right" || local == "end") margins.right = width;
    }
    return margins;
}

void CellMargins::overlay(const CellMargins& later) {
    take(top, later.top);
    take(left, later.left);
    take(bottom, later.bottom);
    take(right, later.right);
}

TableLook TableLook::read(const XMLTree& tree, int node) {
    TableLook look;
    if (const auto val = tree.ownAttribute(node, "val")) {
        const auto bits = Numbers::hex(*val).value_or(0);
        look.firstRow = bits & 0x0020;
        look.lastRow = bits & 0x0040;
        look.firstColumn = bits & 0x0080;
        look.lastColumn = bits & 0x0100;
        look.noHBand = bits & 0x0200;
        look.noVBand = bits & 0x0400;
    }
    const auto flag = [&](std::string_view local, bool& field) {
        if (const auto value = tree.ownAttribute(node, local)) field = Markup::isOn(*value);
    };
    flag("firstRow", look.firstRow);
    flag("lastRow", look.lastRow);
    flag("firstColumn", look.firstColumn);
    flag("lastColumn", look.lastColumn);
    flag("noHBand", look.noHBand);
    flag("noVBand", look.noVBand);
    return look;
}

TableProperties TableProperties::read(ByteView tblPr) {
    return readBytes<TableProperties>(tblPr);
}

TableProperties TableProperties::read(const XMLTree& tree, int node) {
    TableProperties table;
    for (int child : tree.childElements(node)) {
        const std::string_view local = tree.localName(child);
        const auto val = tree.ownAttribute(child, "val");
        if (local == "tblStyle" && val) {
            table.style = StyleID{*val};
        } else if (local == "tblBorders") {
            table.borders = Borders::read(tree, child);
        } else if (local == "tblCellMar") {
            table.cellMargins = CellMargins::read(tree, child);
        } else if (local == "shd") {
            table.shading = Shading::read(tree, child);
        } else if (local == "tblLook") {
            table.look = TableLook::read(tree, child);
        } else if (local == "tblStyleRowBandSize") {
            table.rowBandSize = bandSize(tree, child);
        } else if (local == "tblStyleColBandSize") {
            table.columnBandSize = bandSize(tree, child);
        } else if (local == "tblW") {
            table.width = dxa(tree, child);
        } else if (local == "tblInd") {
            const auto w = tree.ownAttribute(child, "w");
            const auto value = w ? FormatValues::number(*w) : std::nullopt;
            if (value) table.indent = FormatValues::twips(*value);
        } else if (local == "jc" && val) {
            table.alignment = *val == "center"                 ? Alignment::center
                              : *val == "right" || *val == "end" ? Alignment::right
                                                                 : Alignment::left;
        }
    }
    return table;
}

void TableProperties::overlay(const TableProperties& later) {
    take(style, later.style);
    borders.overlay(later.borders);
    cellMargins.overlay(later.cellMargins);
    take(shading, later.shading);
    take(look, later.look);
    take(rowBandSize, later.rowBandSize);
    take(columnBandSize, later.columnBandSize);
    take(width, later.width);
    take(indent, later.indent);
    take(alignment, later.alignment);
}

CellProperties CellProperties::read(ByteView tcPr) {
    return readBytes<CellProperties>(tcPr);
}

CellProperties CellProperties::read(const XMLTree& tree, int node) {
    CellProperties cell;
    for (int child : tree.childElements(node)) {
        const std::string_view local = tree.localName(child);
        if (local == "tcBorders") {
            cell.borders = Borders::read(tree, child);
        } else if (local == "shd") {
            cell.shading = Shading::read(tree, child);
        } else if (local == "tcMar") {
            cell.margins = CellMargins::read(tree, child);
        } else if (local == "tcW") {
            cell.width = dxa(tree, child);
        } else if (local == "vAlign") {
            const auto val = tree.ownAttribute(child, "val").value_or("top");
            cell.verticalAlign = val == "center" ? CellAlign::center : val == "bottom" ? CellAlign::bottom : CellAlign::top;
        }
    }
    return cell;
}

void CellProperties::overlay(const CellProperties& later) {
    borders.overlay(later.borders);
    take(shading, later.shading);
    margins.overlay(later.margins);
    take(verticalAlign, later.verticalAlign);
    take(width, later.width);
}

RowProperties RowProperties::read(ByteView trPr) {
    RowProperties row;
    try {
        const XMLTree tree(trPr);
        for (int child : tree.childElements(tree.root())) {
            const std::string_view local = tree.localName(child);
            const auto val = tree.ownAttribute(child, "val");
            const auto count = [&] {
                const auto n = val ? FormatValues::integer(*val) : std::nullopt;
                return static_cast<int>(std::clamp<int64_t>(n.value_or(0), 0, 63));  // at most 63 grid columns
            };
            if (local == "gridBefore") row.gridBefore = count();
            if (local == "gridAfter") row.gridAfter = count();
            if (local == "wBefore") row.widthBefore = dxa(tree, child);
            if (local == "wAfter") row.widthAfter = dxa(tree, child);
            if (local == "tblHeader") row.header = Markup::isOn(val);
            if (local == "cantSplit") row.cantSplit = Markup::isOn(val);
            if (local == "trHeight") {
                const auto text = tree.ownAttribute(child, "val");
                const auto height = text ? FormatValues::number(*text) : std::nullopt;
                if (height) row.height = FormatValues::clamp(*height / 20, 0, FormatValues::longestLength);
                const auto rule = tree.ownAttribute(child, "hRule");
                row.heightRule = rule == "exact"  ? RowProperties::HeightRule::exact
                                 : rule == "auto" ? RowProperties::HeightRule::automatic
                                                  : RowProperties::HeightRule::atLeast;
            }
        }
    } catch (const XMLError&) {
        return RowProperties{};
    }
    return row;
}

std::optional<TableCondition> tableConditionNamed(std::string_view type) {
    static constexpr std::string_view names[tableConditionCount] = {
        "wholeTable", "band1Vert", "band2Vert", "band1Horz", "band2Horz", "firstCol", "lastCol",
        "firstRow",   "lastRow",   "neCell",    "nwCell",    "seCell",    "swCell"};
    const auto found = std::find(std::begin(names), std::end(names), type);
    if (found == std::end(names)) return std::nullopt;
    return static_cast<TableCondition>(found - std::begin(names));
}

TableConditions cellConditions(const TableLook& look, size_t row, size_t rows, size_t column, size_t columns,
                               int rowBandSize, int columnBandSize) {
    using C = TableCondition;
    TableConditions set = conditionBit(C::wholeTable);
    const bool first = look.firstRow && row == 0;
    const bool last = look.lastRow && rows > 0 && row + 1 == rows;
    const bool firstCol = look.firstColumn && column == 0;
    const bool lastCol = look.lastColumn && columns > 0 && column + 1 == columns;
    if (first) set |= conditionBit(C::firstRow);
    if (last) set |= conditionBit(C::lastRow);
    if (firstCol) set |= conditionBit(C::firstCol);
    if (lastCol) set |= conditionBit(C::lastCol);
    if (first && firstCol) set |= conditionBit(C::nwCell);
    if (first && lastCol) set |= conditionBit(C::neCell);
    if (last && firstCol) set |= conditionBit(C::swCell);
    if (last && lastCol) set |= conditionBit(C::seCell);
    // Bands count the rows and columns that no first or last condition claims.
    if (!look.noHBand && !first && !last) {
        const size_t index = row - (look.firstRow ? 1 : 0);
        const size_t band = index / static_cast<size_t>(std::max(rowBandSize, 1));
        set |= conditionBit(band % 2 == 0 ? C::band1Horz : C::band2Horz);
    }
    if (!look.noVBand && !firstCol && !lastCol) {
        const size_t index = column - (look.firstColumn ? 1 : 0);
        const size_t band = index / static_cast<size_t>(std::max(columnBandSize, 1));
        set |= conditionBit(band % 2 == 0 ? C::band1Vert : C::band2Vert);
    }
    return set;
}

}  // namespace rovuvuz
