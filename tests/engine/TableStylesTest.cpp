// Table styles in snapshots: borders, shading and margins resolved per cell from the
// table, its style and the style's conditional formats as w:tblLook switches them; the
// paragraph and run formats conditional formats give; grid placement and row heights.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

std::string styles(std::string_view content) {
    return "<w:styles " + std::string(rovuvuz::testing::mainNamespace) + ">" + std::string(content) + "</w:styles>";
}

std::string cell(std::string_view text, std::string_view tcPr = {}) {
    const std::string props = tcPr.empty() ? "" : "<w:tcPr>" + std::string(tcPr) + "</w:tcPr>";
    return "<w:tc>" + props + "<w:p><w:r><w:t>" + std::string(text) + "</w:t></w:r></w:p></w:tc>";
}

std::string row(int cells, int index, std::string_view trPr = {}) {
    std::string xml = "<w:tr>" + (trPr.empty() ? "" : "<w:trPr>" + std::string(trPr) + "</w:trPr>");
    for (int c = 0; c < cells; ++c) xml += cell("r" + std::to_string(index) + "c" + std::to_string(c));
    return xml + "</w:tr>";
}

// A banded grid style: a single grid, a shaded bold first row with a thick bottom line,
// band shading on odd rows, and a wider right column.
const std::string banded = styles(
    "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:tblPr><w:tblStyleRowBandSize w:val=\"1\"/><w:tblBorders>"
    "<w:top w:val=\"single\" w:sz=\"4\" w:color=\"000000\"/><w:left w:val=\"single\" w:sz=\"4\"/>"
    "<w:bottom w:val=\"single\" w:sz=\"4\"/><w:right w:val=\"single\" w:sz=\"4\"/>"
    "<w:insideH w:val=\"dotted\" w:sz=\"2\"/><w:insideV w:val=\"single\" w:sz=\"4\" w:color=\"auto\"/></w:tblBorders>"
    "<w:tblCellMar><w:left w:w=\"144\" w:type=\"dxa\"/><w:right w:w=\"144\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Banded\"><w:basedOn w:val=\"Grid\"/>"
    "<w:rPr><w:sz w:val=\"20\"/></w:rPr>"
    "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/><w:color w:val=\"FFFFFF\"/></w:rPr>"
    "<w:pPr><w:jc w:val=\"center\"/></w:pPr><w:tcPr><w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"1F4E79\"/>"
    "<w:tcBorders><w:bottom w:val=\"double\" w:sz=\"12\" w:color=\"FF0000\"/></w:tcBorders></w:tcPr></w:tblStylePr>"
    "<w:tblStylePr w:type=\"band1Horz\"><w:tcPr><w:shd w:val=\"clear\" w:fill=\"DDEBF7\"/></w:tcPr></w:tblStylePr>"
    "<w:tblStylePr w:type=\"lastCol\"><w:rPr><w:i/></w:rPr></w:tblStylePr>"
    "<w:tblStylePr w:type=\"neCell\"><w:tcPr><w:shd w:val=\"clear\" w:fill=\"000000\"/></w:tcPr></w:tblStylePr>"
    "</w:style>"
    "<w:style w:type=\"table\" w:styleId=\"LoopA\"><w:basedOn w:val=\"LoopB\"/><w:tblPr><w:tblBorders>"
    "<w:top w:val=\"single\"/></w:tblBorders></w:tblPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"LoopB\"><w:basedOn w:val=\"LoopA\"/>"
    "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/></w:rPr></w:tblStylePr></w:style>");

const TableSnapshot& tableAt(const StorySnapshot& snapshot, size_t i) {
    return std::get<TableSnapshot>(snapshot.blocks.at(i).value);
}

const ParagraphSnapshot& firstParagraph(const CellSnapshot& cell) {
    return std::get<ParagraphSnapshot>(cell.blocks.at(0).value);
}

}  // namespace

TEST(TableStyles, BandedStyleWithShadedFirstRowAndAConditionalOverride) {
    // The old hexadecimal look (first row, last column, horizontal bands) and a cell that
    // overrides its band shading and one border.
    const std::string body =
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"Banded\"/><w:tblLook w:val=\"0120\"/></w:tblPr>"
        "<w:tblGrid><w:gridCol w:w=\"2880\"/><w:gridCol w:w=\"2880\"/><w:gridCol w:w=\"2880\"/></w:tblGrid>" +
        row(3, 0) + row(3, 1) + "<w:tr>" + cell("r2c0") +
        cell("r2c1", "<w:shd w:val=\"clear\" w:fill=\"FFFF00\"/><w:tcBorders><w:top w:val=\"nil\"/></w:tcBorders>"
                     "<w:tcMar><w:left w:w=\"0\" w:type=\"dxa\"/></w:tcMar><w:vAlign w:val=\"center\"/>") +
        cell("r2c2") + "</w:tr>" + row(3, 3) + "</w:tbl><w:p/>";
    DocxDocument document(rovuvuz::testing::packageWith(body, {{"styles", "styles.xml", banded}}));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const TableSnapshot& table = tableAt(snapshot, 0);
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_EQ(table.properties.style, StyleID{"Banded"});
    EXPECT_TRUE(table.properties.look->firstRow);
    EXPECT_TRUE(table.properties.look->lastColumn);
    EXPECT_FALSE(table.properties.look->noHBand);

    // First row: shaded, bold white centred text, a double red bottom under every cell.
    const CellSnapshot& header = table.rows[0][1];
    ASSERT_TRUE(header.format.shading);
    EXPECT_EQ(header.format.shading->fill, "1F4E79");
    EXPECT_EQ(header.format.borders.bottom.style, BorderLine::Style::doubleLine);
    EXPECT_EQ(header.format.borders.bottom.width, 1.5);
    EXPECT_EQ(header.format.borders.bottom.color, "FF0000");
    EXPECT_EQ(header.format.borders.top.style, BorderLine::Style::single);  // the table's top edge
    const ParagraphSnapshot& heading = firstParagraph(header);
    EXPECT_EQ(heading.format.alignment, Alignment::center);
    EXPECT_TRUE(heading.spans.at(0).format.bold);
    EXPECT_EQ(heading.spans.at(0).format.color, "FFFFFF");
    EXPECT_EQ(heading.spans.at(0).format.size, 10);  // the style's own run properties
    // The top-right corner (first row and last column both on) wins over the first row's
    // shading; the top-left one is no corner while first-column formatting is off.
    EXPECT_EQ(table.rows[0][2].format.shading->fill, "000000");
    EXPECT_EQ(table.rows[0][0].format.shading->fill, "1F4E79");

    // Bands count from the first row after the header: rows 1 and 3 are band 1, row 2 band 2.
    EXPECT_EQ(table.rows[1][0].format.shading->fill, "DDEBF7");
    EXPECT_FALSE(table.rows[2][0].format.shading);
    EXPECT_EQ(table.rows[3][0].format.shading->fill, "DDEBF7");
    EXPECT_FALSE(firstParagraph(table.rows[1][0]).spans.at(0).format.bold);
    // Inside lines between rows and columns; the last column's italics.
    EXPECT_EQ(table.rows[1][1].format.borders.top.style, BorderLine::Style::dotted);
    EXPECT_EQ(table.rows[1][1].format.borders.left.style, BorderLine::Style::single);
    EXPECT_FALSE(table.rows[1][1].format.borders.left.color);  // "auto"
    EXPECT_TRUE(firstParagraph(table.rows[1][2]).spans.at(0).format.italic);
    EXPECT_FALSE(firstParagraph(table.rows[1][1]).spans.at(0).format.italic);
    EXPECT_EQ(table.rows[1][1].format.marginLeft, 7.2);

    // The cell's own shading, border, margin and alignment win.
    const CellSnapshot& own = table.rows[2][1];
    EXPECT_EQ(own.format.shading->fill, "FFFF00");
    EXPECT_EQ(own.format.borders.top.style, BorderLine::Style::none);
    EXPECT_EQ(own.format.marginLeft, 0);
    EXPECT_EQ(own.format.marginRight, 7.2);
    EXPECT_EQ(own.format.verticalAlign, CellAlign::center);

    // A paragraph snapshot taken alone in a cell sees the same conditional formats.
    EXPECT_EQ(document.snapshot(heading.id, StoryID::body()), heading);
    EXPECT_EQ(document.snapshot(table.id, StoryID::body()), table);
}

TEST(TableStyles, ABorderlessTableAndTheLookAttributes) {
    const std::string body =
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/><w:tblBorders><w:top w:val=\"none\"/><w:left w:val=\"nil\"/>"
        "<w:bottom w:val=\"none\" w:sz=\"0\"/><w:right w:val=\"none\"/><w:insideH w:val=\"none\"/>"
        "<w:insideV w:val=\"none\"/></w:tblBorders>"
        "<w:tblLook w:val=\"04A0\" w:firstRow=\"0\" w:lastRow=\"1\" w:noVBand=\"0\"/></w:tblPr>" +
        row(2, 0) + row(2, 1) + "</w:tbl>"
        // No style at all: no lines, Word's default margins.
        "<w:tbl><w:tblPr/>" + row(1, 0) + "</w:tbl><w:p/>";
    DocxDocument document(rovuvuz::testing::packageWith(body, {{"styles", "styles.xml", banded}}));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const TableSnapshot& borderless = tableAt(snapshot, 0);
    for (const auto& cells : borderless.rows)
        for (const CellSnapshot& c : cells) {
            EXPECT_FALSE(c.format.borders.top.visible());
            EXPECT_FALSE(c.format.borders.left.visible());
            EXPECT_FALSE(c.format.borders.bottom.visible());
            EXPECT_FALSE(c.format.borders.right.visible());
        }
    // Attributes win over the hexadecimal value they stand beside.
    const TableLook look = *borderless.properties.look;
    EXPECT_FALSE(look.firstRow);
    EXPECT_TRUE(look.lastRow);
    EXPECT_TRUE(look.firstColumn);
    EXPECT_FALSE(look.noVBand);
    EXPECT_TRUE(borderless.rows[1][0].format.conditions & conditionBit(TableCondition::lastRow));
    EXPECT_TRUE(borderless.rows[1][0].format.conditions & conditionBit(TableCondition::swCell));
    EXPECT_TRUE(borderless.rows[0][1].format.conditions & conditionBit(TableCondition::band1Vert));

    const CellSnapshot& plain = tableAt(snapshot, 1).rows[0][0];
    EXPECT_FALSE(plain.format.borders.top.visible());
    EXPECT_EQ(plain.format.marginLeft, 5.4);
    EXPECT_FALSE(plain.format.shading);
}

// Rows that skip grid columns put their cells in the columns after them; row heights and
// header rows are read; a style whose base chain loops still resolves.
TEST(TableStyles, GridBeforeRowHeightsAndALoopingStyleChain) {
    const std::string body =
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"LoopA\"/><w:tblLook w:firstRow=\"1\"/></w:tblPr>"
        "<w:tblGrid><w:gridCol w:w=\"1440\"/><w:gridCol w:w=\"1440\"/><w:gridCol w:w=\"1440\"/></w:tblGrid>" +
        row(3, 0, "<w:tblHeader/><w:trHeight w:val=\"400\" w:hRule=\"exact\"/>") +
        "<w:tr><w:trPr><w:gridBefore w:val=\"1\"/><w:wBefore w:w=\"1440\" w:type=\"dxa\"/><w:gridAfter w:val=\"1\"/>"
        "<w:trHeight w:val=\"300\"/></w:trPr>" +
        cell("middle") + "</w:tr>"
        "<w:tr><w:trPr><w:gridBefore w:val=\"-5\"/><w:trHeight w:val=\"200\" w:hRule=\"auto\"/></w:trPr>" +
        cell("wide", "<w:gridSpan w:val=\"2\"/>") + cell("last") + "</w:tr></w:tbl><w:p/>";
    DocxDocument document(rovuvuz::testing::packageWith(body, {{"styles", "styles.xml", banded}}));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const TableSnapshot& table = tableAt(snapshot, 0);
    ASSERT_EQ(table.rowProperties.size(), 3u);
    EXPECT_TRUE(table.rowProperties[0].header);
    EXPECT_EQ(table.rowProperties[0].height, 20);
    EXPECT_EQ(table.rowProperties[0].heightRule, RowProperties::HeightRule::exact);
    EXPECT_EQ(table.rowProperties[1].gridBefore, 1);
    EXPECT_EQ(table.rowProperties[1].gridAfter, 1);
    EXPECT_EQ(table.rowProperties[1].widthBefore, 72);
    EXPECT_EQ(table.rowProperties[1].heightRule, RowProperties::HeightRule::atLeast);
    EXPECT_EQ(table.rowProperties[2].gridBefore, 0);
    EXPECT_EQ(table.rowProperties[2].heightRule, RowProperties::HeightRule::automatic);
    EXPECT_EQ(table.rows[1][0].gridColumn, 1);
    EXPECT_EQ(table.rows[2][0].gridColumn, 0);
    EXPECT_EQ(table.rows[2][1].gridColumn, 2);
    // LoopA → LoopB → LoopA: both styles' properties, once each.
    EXPECT_EQ(table.rows[0][0].format.borders.top.style, BorderLine::Style::single);
    EXPECT_TRUE(firstParagraph(table.rows[0][0]).spans.at(0).format.bold);
    EXPECT_FALSE(firstParagraph(table.rows[2][1]).spans.at(0).format.bold);
}
