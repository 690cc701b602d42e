// Whole tables: a new table's markup, style or borders and grid; where it goes and the
// paragraph a body or cell must end in; removal outright and tracked, read back through
// the tracked rows' accept and reject.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "RovuVuz/edit/Tables.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::count;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;
using rovuvuz::testing::rel;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));
const EditMode byA = EditMode::trackedBy("A", when);

const std::string sectPr = "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr>";
const std::string twoParagraphs =
    "<w:p><w:r><w:t>First</w:t></w:r></w:p><w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr>"
    "<w:r><w:t>Last</w:t></w:r></w:p>" + sectPr;

std::string styles(std::string_view body) {
    return "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">" + std::string(body) +
           "</w:styles>";
}

struct Fixture {
    std::unique_ptr<DocxDocument> document;

    explicit Fixture(std::string_view body = twoParagraphs, std::string_view stylesPart = {}) {
        auto parts = minimalDocument(body, stylesPart.empty() ? "" : rel("rS", "styles", "styles.xml"));
        if (!stylesPart.empty()) parts.emplace_back("word/styles.xml", std::string(stylesPart));
        document = std::make_unique<DocxDocument>(makePackage(parts));
    }
    ParagraphID paragraph(size_t n) { return document->story(StoryID::body()).paragraphs().at(n)->id; }
    std::string body() {
        const Bytes data = document->storyData(StoryID::body());
        return std::string(data.begin(), data.end());
    }
    std::vector<BlockSnapshot> blocks() { return document->snapshot(StoryID::body()).blocks; }
    // The body's blocks as the reader sees them: paragraph texts, "table RxC".
    std::vector<std::string> shape() {
        std::vector<std::string> out;
        for (const BlockSnapshot& block : blocks()) {
            if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value))
                out.emplace_back(p->text.begin(), p->text.end());
            else if (const auto* t = std::get_if<TableSnapshot>(&block.value))
                out.push_back("table " + std::to_string(t->rows.size()) + "x" +
                              std::to_string(t->rows.empty() ? 0 : t->rows[0].size()));
        }
        return out;
    }
    void resolveAll(bool accept) {
        document->apply(accept ? StructuralEdit{StructuralEdit::AcceptAll{}} : StructuralEdit{StructuralEdit::RejectAll{}},
                        StoryID::body(), EditMode::direct());
    }
    void check() {
        const auto problem = document->story(StoryID::body()).checkInvariants();
        EXPECT_FALSE(problem) << *problem;
    }
    // Saved and opened again, so the checks see what another reader sees.
    void reopen() { document = std::make_unique<DocxDocument>(document->data()); }
};

}  // namespace

TEST(WholeTables, ANewTableSharesTheWidthAndTakesTheGridStyle) {
    Fixture f(twoParagraphs, styles("<w:style w:type=\"table\" w:styleId=\"TableGrid\"><w:name w:val=\"Table Grid\"/>"
                                    "</w:style>"));
    const InsertedTable made = f.document->insertTable(f.paragraph(0), StoryID::body(), {2, 3, 10000},
                                                       EditMode::direct());
    f.check();
    const std::vector<BlockSnapshot> shown = f.blocks();
    EXPECT_EQ(std::get<TableSnapshot>(shown.at(1).value).id, made.table);
    f.reopen();
    const std::string body = f.body();
    EXPECT_NE(body.find("<w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"0\" w:type=\"auto\"/>"),
              std::string::npos)
        << body;
    EXPECT_EQ(body.find("tblBorders"), std::string::npos);
    // Equal shares, the remainder to the last column: the grid adds up to the width.
    EXPECT_NE(body.find("<w:tblGrid><w:gridCol w:w=\"3333\"/><w:gridCol w:w=\"3333\"/><w:gridCol w:w=\"3334\"/>"
                        "</w:tblGrid>"),
              std::string::npos)
        << body;
    EXPECT_EQ(count(body, "<w:tcW w:w=\"3333\" w:type=\"dxa\"/>"), 4u);
    EXPECT_EQ(count(body, "<w:tcW w:w=\"3334\" w:type=\"dxa\"/>"), 2u);
    EXPECT_EQ(count(body, "<w:ins "), 0u);
    // Between the paragraphs, which keep their bytes; nothing else is added.
    const std::vector<std::string> expected = {"First", "table 2x3", "Last"};
    EXPECT_EQ(f.shape(), expected);
    EXPECT_NE(body.find("<w:p><w:r><w:t>First</w:t></w:r></w:p><w:tbl>"), std::string::npos);

    Fixture again(twoParagraphs);
    const InsertedTable second = again.document->insertTable(again.paragraph(0), StoryID::body(), {1, 1, 5000},
                                                             EditMode::direct());
    const std::vector<BlockSnapshot> blocks = again.blocks();
    const auto* table = std::get_if<TableSnapshot>(&blocks.at(1).value);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->id, second.table);
    ASSERT_EQ(table->rows.at(0).size(), 1u);
    const auto* first = std::get_if<ParagraphSnapshot>(&table->rows[0][0].blocks.at(0).value);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->id, second.firstCell);
}

TEST(WholeTables, WithoutAGridStyleTheBordersAreSingleLines) {
    // A table style named "Table Grid" under another id is the grid style; without one the
    // table draws its own single borders, outside and inside.
    Fixture named(twoParagraphs, styles("<w:style w:type=\"table\" w:styleId=\"Grille\"><w:name w:val=\"table grid\"/>"
                                        "</w:style><w:style w:type=\"paragraph\" w:styleId=\"TableGrid\"/>"));
    named.document->insertTable(named.paragraph(0), StoryID::body(), {1, 2, 4000}, EditMode::direct());
    EXPECT_NE(named.body().find("<w:tblStyle w:val=\"Grille\"/>"), std::string::npos) << named.body();

    Fixture plain;
    plain.document->insertTable(plain.paragraph(0), StoryID::body(), {1, 2, 4000}, EditMode::direct());
    const std::string body = plain.body();
    EXPECT_EQ(body.find("tblStyle"), std::string::npos);
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
        EXPECT_NE(body.find(std::string("<w:") + side + " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"),
                  std::string::npos)
            << side << " in " << body;
}

TEST(WholeTables, AfterTheLastParagraphABodyOrCellStillEndsInOne) {
    Fixture body;
    body.document->insertTable(body.paragraph(1), StoryID::body(), {1, 1, 2000}, EditMode::direct());
    body.check();
    const std::vector<std::string> expected = {"First", "Last", "table 1x1", ""};
    EXPECT_EQ(body.shape(), expected);
    EXPECT_NE(body.body().find("</w:tbl><w:p/>" + sectPr), std::string::npos) << body.body();

    // A table in a cell after the cell's only paragraph.
    Fixture cell("<w:tbl><w:tblGrid><w:gridCol w:w=\"4000\"/></w:tblGrid><w:tr><w:tc><w:p><w:r><w:t>In</w:t></w:r>"
                 "</w:p></w:tc></w:tr></w:tbl><w:p/>" + sectPr);
    cell.document->insertTable(cell.paragraph(0), StoryID::body(), {1, 1, 2000}, EditMode::direct());
    cell.check();
    EXPECT_NE(cell.body().find("</w:tbl><w:p/></w:tc>"), std::string::npos) << cell.body();
}

TEST(WholeTables, ATrackedTableIsAcceptedOrRejectedWhole) {
    for (const bool last : {false, true}) {
        Fixture f;
        const std::vector<std::string> before = f.shape();
        const std::string original = f.body();
        f.document->insertTable(f.paragraph(last ? 1 : 0), StoryID::body(), {2, 2, 4000}, byA);
        f.check();
        f.reopen();
        const std::string body = f.body();
        EXPECT_EQ(count(body, "<w:trPr><w:ins w:id="), 2u) << body;
        // Each cell's paragraph mark, and after the last paragraph the mark that now ends its
        // text (its own mark moved past the table, to the paragraph that ends the body).
        EXPECT_EQ(count(body, "<w:rPr><w:ins w:id="), last ? 5u : 4u) << body;
        EXPECT_EQ(count(body, "w:author=\"A\" w:date=\"2024-03-01T09:30:00Z\"/>"), last ? 7u : 6u);

        Fixture rejected;
        rejected.document = std::make_unique<DocxDocument>(f.document->data());
        rejected.resolveAll(false);
        rejected.check();
        EXPECT_EQ(rejected.shape(), before) << "after the " << (last ? "last" : "first") << " paragraph";
        EXPECT_EQ(rejected.body().find("<w:tbl>"), std::string::npos);
        // The paragraph that was split around the table is whole again, style and all.
        EXPECT_EQ(rejected.body(), original);

        f.resolveAll(true);
        f.check();
        EXPECT_EQ(count(f.body(), "<w:ins "), 0u);
        EXPECT_EQ(f.shape().size(), last ? 4u : 3u);
    }
}

TEST(WholeTables, RemovingATableOutrightOrTracked) {
    const std::string table = "<w:tbl><w:tblGrid><w:gridCol w:w=\"4000\"/></w:tblGrid><w:tr><w:tc><w:p><w:r>"
                              "<w:t>one</w:t></w:r></w:p></w:tc></w:tr><w:tr><w:tc><w:p><w:r><w:t>two</w:t></w:r>"
                              "</w:p></w:tc></w:tr></w:tbl>";
    const auto tableOf = [](Fixture& f) {
        for (const BlockSnapshot& block : f.blocks())
            if (const auto* t = std::get_if<TableSnapshot>(&block.value)) return t->id;
        throw std::logic_error("no table");
    };
    // Outright, a table that was all a cell held leaves the cell an empty paragraph.
    Fixture direct("<w:p><w:r><w:t>Before</w:t></w:r></w:p><w:tbl><w:tr><w:tc>" + table + "</w:tc></w:tr></w:tbl>" +
                   "<w:p/>" + sectPr);
    BlockID inner;
    const std::vector<BlockSnapshot> outer = direct.blocks();
    for (const BlockSnapshot& block : std::get<TableSnapshot>(outer.at(1).value).rows[0][0].blocks)
        if (const auto* t = std::get_if<TableSnapshot>(&block.value)) inner = t->id;
    direct.document->apply(TableEdit{TableEdit::RemoveTable{}}, inner, StoryID::body(), EditMode::direct());
    direct.check();
    EXPECT_NE(direct.body().find("<w:tc><w:p></w:p></w:tc>"), std::string::npos) << direct.body();

    // Tracked, every row is marked deleted with its text; reject brings it all back and
    // accept takes the table away.
    Fixture tracked("<w:p><w:r><w:t>Before</w:t></w:r></w:p>" + table + "<w:p/>" + sectPr);
    const std::string original = tracked.body();
    tracked.document->apply(TableEdit{TableEdit::RemoveTable{}}, tableOf(tracked), StoryID::body(), byA);
    tracked.check();
    tracked.reopen();
    EXPECT_EQ(count(tracked.body(), "<w:trPr><w:del w:id="), 2u) << tracked.body();
    EXPECT_NE(tracked.body().find("<w:delText>one</w:delText>"), std::string::npos);
    const std::vector<TrackedChange> changes = tracked.document->trackedChanges(StoryID::body());
    EXPECT_EQ(std::count_if(changes.begin(), changes.end(),
                            [](const TrackedChange& c) { return c.kind == TrackedChange::Kind::deletedRow; }),
              2);
    Fixture rejected;
    rejected.document = std::make_unique<DocxDocument>(tracked.document->data());
    rejected.resolveAll(false);
    EXPECT_EQ(rejected.body(), original);
    tracked.resolveAll(true);
    const std::vector<std::string> accepted = {"Before", ""};
    EXPECT_EQ(tracked.shape(), accepted);

    // One's own tracked table goes without a trace.
    Fixture own;
    own.document->insertTable(own.paragraph(0), StoryID::body(), {2, 2, 4000}, byA);
    own.document->apply(TableEdit{TableEdit::RemoveTable{}}, tableOf(own), StoryID::body(), byA);
    EXPECT_EQ(own.body().find("<w:tbl>"), std::string::npos);
    const std::vector<std::string> back = {"First", "Last"};
    EXPECT_EQ(own.shape(), back);
}

TEST(WholeTables, ShapesOutsideTheLimitsAreRefusedBeforeAnyChange) {
    Fixture f;
    const std::string before = f.body();
    for (const NewTable& shape : {NewTable{0, 3, 9000}, NewTable{3, 0, 9000}, NewTable{2, 64, 9000},
                                  NewTable{2, 3, 2}, NewTable{2, 3, 40000}, NewTable{10001, 1, 9000}}) {
        try {
            f.document->insertTable(f.paragraph(0), StoryID::body(), shape, byA);
            ADD_FAILURE() << shape.rows << "x" << shape.columns << " width " << shape.width << " was inserted";
        } catch (const DocxError& error) {
            EXPECT_EQ(error.code(), DocxErrorCode::rangeOutOfBounds);
        }
    }
    EXPECT_THROW(f.document->insertTable(ParagraphID{999999}, StoryID::body(), {}, byA), DocxError);
    EXPECT_EQ(f.body(), before);
}
