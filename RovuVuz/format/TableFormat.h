// How a table looks (ECMA-376 §17.4): borders, shading and cell margins from the table's
// w:tblPr, its rows' w:trPr and its cells' w:tcPr, and the table style's conditional
// formats (w:tblStylePr) for the first and last rows and columns, banded rows and columns
// and the corner cells, switched on by w:tblLook. Lengths in points; every reader here
// gives defaults for what it cannot read and never throws.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

class XMLTree;

struct BorderLine {
    // ST_Border (§17.18.2) by how it is drawn; the art borders and 3-D styles are `other`.
    enum class Style : uint8_t { none, single, thick, doubleLine, triple, dotted, dashed, dotDash, wave, other };

    Style style = Style::none;  // none and nil both draw nothing
    double width = 0;           // w:sz is eighths of a point
    std::optional<std::string> color;  // hexadecimal as written; nothing for "auto"
    double space = 0;           // w:space, points

    static BorderLine read(const XMLTree& tree, int node);
    bool visible() const { return style != Style::none; }
    bool operator==(const BorderLine&) const = default;
};

// The borders a table, a conditional format or a cell states; nothing where it states none.
struct Borders {
    std::optional<BorderLine> top, left, bottom, right, insideH, insideV;

    // The children of a w:tblBorders or w:tcBorders element (start/end read as left/right).
    static Borders read(const XMLTree& tree, int node);
    void overlay(const Borders& later);
    bool operator==(const Borders&) const = default;
};

// w:shd (§17.3.5): the fill behind, and the pattern's colour over it.
struct Shading {
    std::optional<std::string> fill;   // hexadecimal; nothing for "auto"
    std::optional<std::string> color;  // hexadecimal; nothing for "auto"
    std::string pattern = "clear";     // ST_Shd as written
    static Shading read(const XMLTree& tree, int node);
    bool operator==(const Shading&) const = default;
};

struct CellMargins {
    std::optional<double> top, left, bottom, right;
    // w:tblCellMar or w:tcMar (start/end read as left/right); widths of type dxa only.
    static CellMargins read(const XMLTree& tree, int node);
    void overlay(const CellMargins& later);
    bool operator==(const CellMargins&) const = default;
};

// w:tblLook: which conditional formats of the table style apply.
struct TableLook {
    bool firstRow = false;
    bool lastRow = false;
    bool firstColumn = false;
    bool lastColumn = false;
    bool noHBand = false;
    bool noVBand = false;
    // The attributes of the current schema, or the bits of the older hexadecimal w:val
    // (0x0020 first row … 0x0400 no vertical bands); attributes win where both are there.
    static TableLook read(const XMLTree& tree, int node);
    bool operator==(const TableLook&) const = default;
};

// What a table's w:tblPr (or a table style's) states.
struct TableProperties {
    std::optional<StyleID> style;
    Borders borders;
    CellMargins cellMargins;
    std::optional<Shading> shading;
    std::optional<TableLook> look;
    std::optional<int> rowBandSize, columnBandSize;  // w:tblStyleRowBandSize, …ColBandSize
    std::optional<double> width;                     // w:tblW of type dxa
    std::optional<double> indent;                    // w:tblInd of type dxa
    std::optional<Alignment> alignment;              // w:jc

    static TableProperties read(ByteView tblPr);
    static TableProperties read(const XMLTree& tree, int node);
    void overlay(const TableProperties& later);
    bool operator==(const TableProperties&) const = default;
};

// A cell's vertical alignment (w:vAlign).
enum class CellAlign : uint8_t { top, center, bottom };

// What a cell's w:tcPr (or a table style's, or a conditional format's) states.
struct CellProperties {
    Borders borders;
    std::optional<Shading> shading;
    CellMargins margins;
    std::optional<CellAlign> verticalAlign;
    std::optional<double> width;  // w:tcW of type dxa

    static CellProperties read(ByteView tcPr);
    static CellProperties read(const XMLTree& tree, int node);
    void overlay(const CellProperties& later);
    bool operator==(const CellProperties&) const = default;
};

// A row's w:trPr, and the table-level exceptions of w:tblPrEx are not read here.
struct RowProperties {
    enum class HeightRule : uint8_t { automatic, atLeast, exact };

    int gridBefore = 0;                 // grid columns skipped before the first cell
    int gridAfter = 0;                  // and after the last
    std::optional<double> widthBefore;  // w:wBefore of type dxa, points
    std::optional<double> widthAfter;
    std::optional<double> height;       // w:trHeight
    HeightRule heightRule = HeightRule::atLeast;  // of a stated height (§17.4.80)
    bool header = false;                // w:tblHeader: repeats at the top of each page
    bool cantSplit = false;

    static RowProperties read(ByteView trPr);
    bool operator==(const RowProperties&) const = default;
};

// The conditional formats of a table style (ST_TblStyleOverrideType), in the order they
// apply: a later one overrides an earlier one where both state something.
enum class TableCondition : uint8_t {
    wholeTable,
    band1Vert,
    band2Vert,
    band1Horz,
    band2Horz,
    firstCol,
    lastCol,
    firstRow,
    lastRow,
    neCell,
    nwCell,
    seCell,
    swCell,
};
inline constexpr size_t tableConditionCount = 13;
// A set of conditions, one bit per condition.
using TableConditions = uint16_t;
inline constexpr TableConditions conditionBit(TableCondition c) {
    return static_cast<TableConditions>(1u << static_cast<unsigned>(c));
}
std::optional<TableCondition> tableConditionNamed(std::string_view type);

// The conditions that hold for the cell at (row, column) of a table of `rows` rows whose
// row has `columns` cells, given the look and the band sizes.
TableConditions cellConditions(const TableLook& look, size_t row, size_t rows, size_t column, size_t columns,
                               int rowBandSize, int columnBandSize);

// One conditional format of a table style, its whole chain merged.
struct ConditionalFormat {
    bool stated = false;
    RunFormatDelta run;
    ParagraphFormatDelta paragraph;
    CellProperties cell;
};

// A table style with its basedOn chain merged, base first.
struct TableStyle {
    TableProperties table;
    CellProperties cell;
    std::array<ConditionalFormat, tableConditionCount> conditions;
};

}  // namespace rovuvuz
