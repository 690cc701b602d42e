// Tables edited in place: the grid's geometry on good and hostile tables, and the live table
// view in an editor window — typing in cells, rows growing with their text, the row and
// column commands of a cell's context menu, long tables, and refusals.
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <cmath>
#include <numeric>
#include <regex>

#include "AppTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableBorders.h"
#include "Tovin/tables/TableGeometry.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/BandTextView.h"
#include "Tovin/text/StoryBridge.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

using rovuvuz::CellSnapshot;
using rovuvuz::TableSnapshot;
using rovuvuz::VMerge;
using namespace TableGeometry;

// ---- Geometry ----

CellSnapshot cell(int64_t span = 1, std::optional<VMerge> merge = std::nullopt) {
    CellSnapshot out;
    out.gridSpan = span;
    out.vMerge = merge;
    return out;
}

TableSnapshot tableOf(std::vector<double> columns, std::vector<std::vector<CellSnapshot>> rows) {
    TableSnapshot table;
    table.columns = std::move(columns);
    table.rows = std::move(rows);
    return table;
}

std::vector<qreal> edges(const TableSnapshot& table, qreal width) {
    return columnEdges(table, places(table), width);
}

TEST(TableGeometry, NarrowTablesStretchWideOnesShrinkOthersKeepTheirWidths) {
    // 2 × 20 pt is 50 at the display scale, under 30 % of 600: stretched.
    EXPECT_EQ(edges(tableOf({20, 20}, {{cell(), cell()}}), 600), (std::vector<qreal>{0, 300, 600}));
    // 2 × 400 pt is 1000: shrunk, keeping the proportions.
    EXPECT_EQ(edges(tableOf({400, 200}, {{cell(), cell()}}), 600), (std::vector<qreal>{0, 400, 600}));
    // 100 + 150 pt is 312.5, between 30 % and all of the width: kept.
    EXPECT_EQ(edges(tableOf({100, 150}, {{cell(), cell()}}), 600), (std::vector<qreal>{0, 125, 312.5}));
}

TEST(TableGeometry, MissingOrUnusableWidthsGiveEqualColumns) {
    const std::vector<qreal> thirds{0, 200, 400, 600};
    // Fewer widths than the row's cells.
    EXPECT_EQ(edges(tableOf({100}, {{cell(), cell(), cell()}}), 600), thirds);
    // None at all, zero, negative, not a number.
    EXPECT_EQ(edges(tableOf({}, {{cell(), cell(), cell()}}), 600), thirds);
    EXPECT_EQ(edges(tableOf({0, 0, 0}, {{cell(), cell(), cell()}}), 600), thirds);
    EXPECT_EQ(edges(tableOf({-5, -5, -5}, {{cell(), cell(), cell()}}), 600), thirds);
    EXPECT_EQ(edges(tableOf({NAN, INFINITY, -INFINITY}, {{cell(), cell(), cell()}}), 600), thirds);
    // A table without rows or cells still has one column.
    EXPECT_EQ(edges(tableOf({}, {}), 600), (std::vector<qreal>{0, 600}));
}

TEST(TableGeometry, HostileGridsStayBounded) {
    // A row with more cells than the grid widens the grid; the widths then do not cover it.
    const TableSnapshot wider = tableOf({100, 100}, {{cell(), cell()}, {cell(), cell(), cell(), cell()}});
    EXPECT_EQ(gridColumns(places(wider)), 4);
    EXPECT_EQ(edges(wider, 400), (std::vector<qreal>{0, 100, 200, 300, 400}));
    // Spans past the grid stop at the widest grid; cells past it are left out.
    const TableSnapshot spans = tableOf({100}, {{cell(1'000'000'000), cell()}, {cell(-7), cell(INT64_MAX)}});
    const std::vector<Place> placed = places(spans);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].span, widestGrid);
    EXPECT_EQ(placed[1].span, 1);  // a span under 1 counts as 1
    EXPECT_EQ(placed[2].column, 1);
    EXPECT_EQ(placed[2].span, widestGrid - 1);
    EXPECT_EQ(edges(spans, 640).size(), size_t(widestGrid) + 1);
    std::vector<CellSnapshot> crowded(10'000, cell());
    EXPECT_EQ(places(tableOf({}, {crowded})).size(), size_t(widestGrid));
}

// A row that skips grid columns (w:gridBefore) starts its first cell after them, so its
// cells stand under the columns they belong to.
TEST(TableGeometry, ARowStartsAfterTheColumnsItSkips) {
    TableSnapshot table = tableOf({100, 100, 100}, {{cell(), cell(), cell()}, {cell(), cell()}});
    table.rows[1][0].gridColumn = 1;
    table.rows[1][1].gridColumn = 2;
    const std::vector<Place> placed = places(table);
    ASSERT_EQ(placed.size(), 5u);
    EXPECT_EQ(placed[3].column, 1);
    EXPECT_EQ(placed[4].column, 2);
    EXPECT_EQ(gridColumns(placed), 3);
}

TEST(TableGeometry, AMergeContinuesOnlyWhatIsMergedAbove) {
    const TableSnapshot table =
        tableOf({100, 100}, {
                                {cell(1, VMerge::continues), cell(1, VMerge::restart)},
                                {cell(1, VMerge::continues), cell(1, VMerge::continues)},
                                {
                                    cell(2),
                                },
                                {cell(1, VMerge::continues), cell(1, VMerge::continues)},
                            });
    const std::vector<Place> placed = places(table);
    ASSERT_EQ(placed.size(), 7u);
    EXPECT_FALSE(placed[0].continues);  // nothing above the first row
    EXPECT_TRUE(placed[2].continues);   // under an orphan that starts a merge of its own
    EXPECT_TRUE(placed[3].continues);   // under a restart
    EXPECT_FALSE(placed[5].continues);  // under a cell that is not merged
    EXPECT_FALSE(placed[6].continues);  // no cell above starts at its column
}

// Whether a line crosses the inside of a rectangle.
bool crosses(const QLineF& line, const QRectF& inside) {
    return QRectF(line.p1(), line.p2()).normalized().adjusted(-0.1, -0.1, 0.1, 0.1).intersects(inside);
}

TEST(TableGeometry, MergedCellsAreDrawnWithoutInnerLines) {
    // Row 0: one cell across both columns; rows 1 and 2: a vertical merge in column 0.
    const TableSnapshot table = tableOf(
        {100, 100}, {{cell(2)}, {cell(1, VMerge::restart), cell()}, {cell(1, VMerge::continues), cell()}});
    const std::vector<Place> placed = places(table);
    const std::vector<qreal> x = columnEdges(table, placed, 250);
    const std::vector<qreal> tops = rowTops(rowHeights(placed, std::vector<qreal>(placed.size(), 40), 3));
    EXPECT_EQ(tops, (std::vector<qreal>{0, 40, 80, 120}));
    std::vector<QLineF> lines;
    for (const TableBorders::Side& side : TableBorders::sides(table, placed, x, tops)) lines.push_back(side.line);
    const QRectF wide(x[0] + 1, 1, x[2] - 2, 38);   // inside the spanning cell
    const QRectF tall(x[0] + 1, 41, x[1] - 2, 78);  // inside the merged column-0 cells
    const QRectF split(x[1] - 1, 41, 2, 78);        // the line between the columns below
    for (const QLineF& line : lines) {
        EXPECT_FALSE(crosses(line, wide))
            << line.x1() << "," << line.y1() << " " << line.x2() << "," << line.y2();
        EXPECT_FALSE(crosses(line, tall))
            << line.x1() << "," << line.y1() << " " << line.x2() << "," << line.y2();
    }
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QLineF& l) { return crosses(l, split); }));
    // One line closes the table under its last row.
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QLineF& l) {
        return l.y1() == 120 && l.y2() == 120 && l.x2() == x[2];
    }));
}

TEST(TableGeometry, RowsAreTheirTallestCellNotCountingContinuationsOrTheHeightTheyState) {
    const TableSnapshot table =
        tableOf({100}, {{cell(1, VMerge::restart)}, {cell(1, VMerge::continues)}, {cell()}});
    const std::vector<Place> placed = places(table);
    // The continuation's own height counts for nothing; its row has no cell of its own.
    EXPECT_EQ(rowHeights(placed, {12, 500, 45}, 3), (std::vector<qreal>{12, 0, 45}));

    using Rule = rovuvuz::RowProperties::HeightRule;
    auto stated = [](std::optional<double> points, Rule rule) {
        rovuvuz::RowProperties row;
        row.height = points;
        row.heightRule = rule;
        return row;
    };
    const std::vector<Place> three = places(tableOf({100}, {{cell()}, {cell()}, {cell()}, {cell()}, {cell()}}));
    // 20 pt is 25 pixels: at least 25 grows the short row and leaves the tall one; exactly
    // 25 cuts the tall one; automatic and a height of 0 leave the content's; a hostile
    // height stops at the tallest stated row.
    EXPECT_EQ(rowHeights(three, {18, 40, 40, 18, 18}, 5,
                         {stated(20, Rule::atLeast), stated(20, Rule::atLeast), stated(20, Rule::exact),
                          stated(20, Rule::automatic), stated(0, Rule::exact)}),
              (std::vector<qreal>{25, 40, 25, 18, 18}));
    EXPECT_EQ(rowHeights(three, {18}, 1, {stated(1e300, Rule::exact)}), (std::vector<qreal>{tallestStatedRow}));
}

// Columns that would cut a word are widened on screen from the others' spare width, then
// into the width the table leaves; when nothing can hold every word each column gets a
// share by its need; a grid that already fits stays as it is.
TEST(TableGeometry, ColumnsWidenSoThatNoWordIsCut) {
    const std::vector<qreal> edges{0, 100, 140, 300};
    // Nothing lacks: unchanged.
    EXPECT_EQ(rebalance(edges, {50, 40, 60}, 600), edges);
    // The middle column needs 80: 40 comes from the others' spare (60 and 100, in that
    // proportion), the table keeps its width.
    EXPECT_EQ(rebalance(edges, {40, 80, 60}, 600), (std::vector<qreal>{0, 85, 165, 300}));
    // Needs past the others' spare widen the table, within the width.
    EXPECT_EQ(rebalance(edges, {100, 150, 160}, 600), (std::vector<qreal>{0, 100, 250, 410}));
    // Needs past the whole width: shares of it.
    EXPECT_EQ(rebalance(edges, {100, 200, 100}, 200), (std::vector<qreal>{0, 50, 150, 200}));

    // A need is the longest word and its padding, whole pixels plus one; a spanning cell
    // shares what the columns' own needs leave short evenly, and asks nothing more of
    // columns that already hold it.
    TableSnapshot table = tableOf({100, 100}, {{cell(), cell()}, {cell(2)}});
    std::vector<Place> placed = places(table);
    EXPECT_EQ(placed[0].padding, (Padding{6.75, 0, 6.75, 0}));
    EXPECT_EQ(columnNeeds(placed, {30.2, 0, 20}, 2), (std::vector<qreal>{45, 0}));
    EXPECT_EQ(columnNeeds(placed, {30.2, 0, 100}, 2), (std::vector<qreal>{45 + 35, 35}));
}

// ---- The live view ----

std::string paragraph(const std::string& text) {
    return text.empty() ? "<w:p/>" : "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}
std::string tc(const std::string& text, const std::string& props = "") {
    return "<w:tc>" + (props.empty() ? "" : "<w:tcPr>" + props + "</w:tcPr>") + paragraph(text) + "</w:tc>";
}
std::string grid(std::initializer_list<int> twentieths) {
    std::string out = "<w:tblGrid>";
    for (int w : twentieths) out += "<w:gridCol w:w=\"" + std::to_string(w) + "\"/>";
    return out + "</w:tblGrid>";
}

// The w:p elements of a part, in order.
std::vector<std::string> paragraphsOf(const std::string& xml) {
    static const std::regex element("<w:p[ >/][\\s\\S]*?(</w:p>|/>)");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it)
        out.push_back(it->str());
    return out;
}

class TableViewTest : public AppTest {
  protected:
    void open(const std::string& body) {
        open(rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body)));
    }
    void open(const rovuvuz::SharedBytes& package) {
        document = documents().openDocument(writeScratch("doc.docx", *package));
        ASSERT_NE(document, nullptr);
        editor = EditorWindowController::of(document)->editor();
        ASSERT_NE(editor, nullptr);
        EditorWindowController::of(document)->showWindow();
        QObject::connect(&editor->seam(), &EditSeam::refused, editor, [this] { ++beeps; });
        settle();
    }

    // The body's table views in text order.
    std::vector<TableView*> tables() {
        std::vector<TableView*> out;
        for (QTextBlock block = editor->body()->document()->begin(); block.isValid(); block = block.next()) {
            if (block.begin().atEnd()) continue;
            if (const auto* table = dynamic_cast<const TableAttachment*>(
                    attachmentOf(block.begin().fragment().charFormat()).get()))
                out.push_back(table->view());
        }
        return out;
    }
    const TableAttachment* attachment(int index = 0) {
        int seen = 0;
        for (QTextBlock block = editor->body()->document()->begin(); block.isValid(); block = block.next()) {
            if (block.begin().atEnd()) continue;
            if (const auto* table = dynamic_cast<const TableAttachment*>(
                    attachmentOf(block.begin().fragment().charFormat()).get()))
                if (seen++ == index) return table;
        }
        return nullptr;
    }
    BandTextView* cellView(int index, int table = 0) {
        TableView* view = tables().at(size_t(table));
        view->ensureViews(QRectF(0, 0, view->width(), view->height()));
        return view->cells().at(size_t(index)).view;
    }
    void type(BandTextView* view, const QString& text) {
        view->setFocus();
        QTextCursor cursor = view->textCursor();
        cursor.movePosition(QTextCursor::End);
        view->setTextCursor(cursor);
        QTest::keyClicks(view, text);
        settle();
    }
    std::string body() {
        const rovuvuz::SharedBytes bytes = document->docx()->partData(rovuvuz::PartName{"word/document.xml"});
        return std::string(bytes->begin(), bytes->end());
    }
    TableSnapshot snapshot() {
        for (const auto& block : document->docx()->snapshot(rovuvuz::StoryID::body()).blocks)
            if (const auto* table = std::get_if<TableSnapshot>(&block.value)) return *table;
        ADD_FAILURE() << "no table";
        return {};
    }
    // The top of the body's last line, in the body's document.
    qreal lastLineTop() {
        const QTextBlock last = editor->body()->document()->lastBlock();
        return editor->body()->document()->documentLayout()->blockBoundingRect(last).top();
    }
    // Runs a table command from the context menu of a cell.
    void runMenu(BandTextView* view, const QString& title) {
        const QPointer<QMenu> menu = view->contextMenu(QPoint(2, 2));
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == title) chosen = action;
        if (!chosen) ADD_FAILURE() << "no item " << title.toStdString();
        if (chosen) chosen->trigger();
        settle();
        delete menu.data();
    }

    TovinDocument* document = nullptr;
    EditorViewController* editor = nullptr;
    int beeps = 0;
};

const std::string twoByTwo = paragraph("Above") + "<w:tbl>" + grid({4000, 4000}) + "<w:tr>" + tc("Top left") +
                             tc("Top right") + "</w:tr><w:tr>" + tc("Bottom left") + tc("Bottom right") +
                             "</w:tr></w:tbl>" + paragraph("Below");

TEST_F(TableViewTest, TypingInACellEditsOnlyThatCellsParagraph) {
    open(twoByTwo);
    ASSERT_EQ(tables().size(), 1u);
    TableView* table = tables()[0];
    EXPECT_TRUE(table->isVisible());
    // The view stands where the host laid the table's character out.
    const QRectF placed = TableHost::of(editor->body())->rectOf(attachment());
    EXPECT_EQ(table->geometry().topLeft(), placed.topLeft().toPoint());
    EXPECT_EQ(table->size(), placed.size().toSize());

    const std::vector<std::string> before = paragraphsOf(body());
    BandTextView* cell = cellView(1);
    ASSERT_NE(cell, nullptr);
    type(cell, " typed");
    // The cell's bridge is the one commands act on while the cell has the focus.
    EXPECT_EQ(editor->active().view, cell);
    ASSERT_NE(editor->active().bridge, nullptr);
    EXPECT_EQ(editor->active().bridge->viewText(), "Top right typed");

    const std::vector<std::string> after = paragraphsOf(body());
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (i == 2)
            EXPECT_NE(after[i].find("Top right typed"), std::string::npos) << after[i];
        else
            EXPECT_EQ(after[i], before[i]);
    }
    EXPECT_EQ(beeps, 0);
    // The footer counts the cells' words with the body's.
    editor->flushRefresh();
    EXPECT_EQ(editor->footer()->words(), 11);
    // The host's own text still holds one object character for the table.
    EXPECT_EQ(editor->bodyBridge()->viewText(), QString("Above\n\uFFFC\nBelow"));
    // One undo step puts the cell back.
    editor->session()->undoStep();
    settle();
    EXPECT_EQ(paragraphsOf(body()), before);
    EXPECT_EQ(tables().at(0)->readerText(), "Top left\nTop right\nBottom left\nBottom right");
}

TEST_F(TableViewTest, RowsGrowWithTheirTextAndOnlyASizeChangeMeasuresTheHostLine) {
    open(paragraph("Above") + "<w:tbl>" + grid({3000, 3000}) + "<w:tr>" + tc("") + tc("") + "</w:tr><w:tr>" +
         tc("x") + tc("") + "</w:tr></w:tbl>" + paragraph("Below"));
    TableView* table = tables().at(0);
    // An empty row is as tall as a row of one line.
    EXPECT_EQ(table->rowHeights().at(0), table->rowHeights().at(1));
    const qreal rowBefore = table->rowHeights().at(1);
    const qreal belowBefore = lastLineTop();
    // The host lays text out again only where its document changed or was marked dirty.
    QSignalSpy relayouts(editor->body()->document()->documentLayout(), &QAbstractTextDocumentLayout::update);

    BandTextView* cell = cellView(2);
    type(cell, "y");
    EXPECT_EQ(table->rowHeights().at(1), rowBefore);
    EXPECT_EQ(relayouts.count(), 0);
    EXPECT_EQ(lastLineTop(), belowBefore);

    // Enough words to wrap in a column of 3000 twentieths.
    type(cell, QString(" word").repeated(40));
    const qreal grown = table->rowHeights().at(1) - rowBefore;
    EXPECT_GT(grown, 20);
    EXPECT_GT(relayouts.count(), 0);
    EXPECT_NEAR(lastLineTop() - belowBefore, grown, 1);
    EXPECT_EQ(table->height(), int(std::ceil(table->rowHeights()[0] + table->rowHeights()[1])) + 1);
    // The cell's view is as tall as its row allows.
    EXPECT_GE(cell->height(), cell->document()->size().height() - 1);
}

TEST_F(TableViewTest, RowAndColumnCommandsComeFromTheCellsContextMenuAsOneStepEach) {
    open(twoByTwo);
    BandTextView* cell = cellView(2);  // bottom left
    QMenu* menu = cell->contextMenu(QPoint(2, 2));
    QStringList titles;
    for (int i = 0; i < 8; ++i)
        titles << (menu->actions()[i]->isSeparator() ? "-" : menu->actions()[i]->text());
    EXPECT_EQ(titles, QStringList({"Insert Row Above", "Insert Row Below", "Delete Row", "Insert Column Left",
                                   "Insert Column Right", "Delete Column", "Delete Table", "-"}));
    delete menu;

    document->setTrackChanges(true);
    const std::string before = body();
    runMenu(cell, "Insert Row Below");
    ASSERT_EQ(snapshot().rows.size(), 3u);
    const auto changes = document->docx()->trackedChanges(rovuvuz::StoryID::body());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, rovuvuz::TrackedChange::Kind::insertedRow);
    EXPECT_EQ(changes[0].author, TovinDocument::authorName().toStdString());
    // The views were rebuilt from the model: three rows now.
    ASSERT_EQ(tables().size(), 1u);
    EXPECT_EQ(tables()[0]->rowHeights().size(), 3u);

    runMenu(cellView(0), "Insert Column Right");
    EXPECT_EQ(snapshot().rows[0].size(), 3u);
    EXPECT_EQ(tables()[0]->columnX().size(), 4u);
    EXPECT_EQ(beeps, 0);

    editor->session()->undoStep();
    editor->session()->undoStep();
    settle();
    EXPECT_EQ(body(), before);
    EXPECT_EQ(tables().at(0)->rowHeights().size(), 2u);
}

TEST_F(TableViewTest, EdgeCommandsGoToTheEngineAndARefusalLeavesTheTable) {
    open("<w:tbl>" + grid({3000, 3000}) + "<w:tr>" + tc("only") + tc("row") + "</w:tr></w:tbl>");
    const std::string before = body();
    runMenu(cellView(0), "Delete Row");  // the engine keeps a table's last row
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(body(), before);
    EXPECT_FALSE(editor->document()->isDocumentEdited());
    EXPECT_FALSE(editor->undo().canUndo());  // a refusal leaves no step to undo
    EXPECT_EQ(tables().at(0)->cells().size(), 2u);
    // The footer says why, in the engine's words, for a few seconds.
    QLabel* message = editor->footer()->message();
    EXPECT_TRUE(message->isVisibleTo(editor->footer()));
    EXPECT_EQ(message->text(), "This edit is not supported here: a table keeps at least one row.");

    runMenu(cellView(1), "Insert Column Right");  // after the last column: the engine takes it
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(snapshot().rows[0].size(), 3u);
}

TEST_F(TableViewTest, AMergedCellSpansItsColumnsAndRefusesColumnEdits) {
    open("<w:tbl>" + grid({3000, 3000}) + "<w:tr>" + tc("wide", "<w:gridSpan w:val=\"2\"/>") +
         "</w:tr><w:tr>" + tc("a") + tc("b") + "</w:tr></w:tbl>");
    const std::string before = body();
    runMenu(cellView(1), "Delete Column");
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(body(), before);
    // The merged cell spans both columns.
    TableView* table = tables().at(0);
    EXPECT_EQ(table->cells()[0].place.span, 2);
    EXPECT_EQ(cellView(0)->width(), int(std::floor(table->columnX()[2] - 2 * 6.75)));
}

TEST_F(TableViewTest, ALongTableBuildsViewsOnlyNearTheScreen) {
    std::string rows;
    for (int r = 0; r < 1000; ++r)
        rows += "<w:tr>" + tc("row " + std::to_string(r)) + tc("b") + tc("c") + "</w:tr>";
    open(paragraph("Above") + "<w:tbl>" + grid({2000, 2000, 2000}) + rows + "</w:tbl>" + paragraph("Below"));
    TableView* table = tables().at(0);
    ASSERT_EQ(table->cells().size(), 3000u);
    EXPECT_GT(table->height(), 1000 * 15);
    const int opened = table->viewCount();
    EXPECT_GT(opened, 0);
    EXPECT_LT(opened, 300);

    QScrollBar* scroll = editor->body()->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    settle();
    table = tables().at(0);
    ASSERT_NE(table->cells().back().view, nullptr);
    EXPECT_TRUE(table->cells().back().view->isVisible());
    EXPECT_LT(table->viewCount(), opened + 300);
    // Moving with the host: the last cell's view is inside the viewport.
    const QRect shown(table->cells().back().view->mapTo(editor->body()->viewport(), QPoint(0, 0)),
                      table->cells().back().view->size());
    EXPECT_TRUE(editor->body()->viewport()->rect().intersects(shown));
    // The first rows' views were given up far off screen; they come back when shown again.
    EXPECT_EQ(table->cells().front().view, nullptr);
    const qreal firstRow = table->rowHeights().front();
    scroll->setValue(0);
    settle();
    ASSERT_NE(table->cells().front().view, nullptr);
    EXPECT_EQ(table->cells().front().view->toPlainText(), "row 0");
    EXPECT_EQ(table->rowHeights().front(), firstRow);
    EXPECT_EQ(table->cells().back().view, nullptr);
}

TEST_F(TableViewTest, HostileTablesOpenWithBoundedLayouts) {
    std::string nested = tc("deepest");
    for (int depth = 0; depth < 12; ++depth)
        nested = "<w:tc><w:p/><w:tbl><w:tr>" + nested + "</w:tr></w:tbl><w:p/></w:tc>";
    const std::string body =
        // More cells than the grid, spans past it, zero and negative widths.
        "<w:tbl>" + grid({0, -400}) + "<w:tr>" + tc("a") + tc("b") + tc("c") + tc("d") + "</w:tr><w:tr>" +
        tc("span", "<w:gridSpan w:val=\"99999999\"/>") + tc("past") + "</w:tr></w:tbl>" +
        // A merge that continues nothing, and an empty row.
        "<w:tbl>" + grid({3000}) + "<w:tr>" + tc("orphan", "<w:vMerge/>") + "</w:tr><w:tr></w:tr></w:tbl>" +
        // Tables inside tables.
        "<w:tbl><w:tr>" + nested + "</w:tr></w:tbl>" + paragraph("end");
    open(body);
    const std::vector<TableView*> shown = tables();
    ASSERT_EQ(shown.size(), 3u);
    const qreal column = editor->body()->document()->textWidth();
    for (TableView* table : shown) {
        EXPECT_TRUE(std::isfinite(table->lastSize().width()) && std::isfinite(table->lastSize().height()));
        EXPECT_LE(table->lastSize().width(), column);
        EXPECT_LT(table->lastSize().height(), 5000);
    }
    EXPECT_EQ(shown[0]->columnX().size(), size_t(widestGrid) + 1);
    EXPECT_FALSE(shown[1]->cells()[0].place.continues);
    // A row without cells takes no height.
    EXPECT_EQ(shown[1]->rowHeights(), (std::vector<qreal>{shown[1]->rowHeights()[0], 0}));
    EXPECT_EQ(editor->bodyBridge()->viewText(), QString("\uFFFC\n\uFFFC\n\uFFFC\nend"));
    // A nested table is a table character in its cell's text, with a view of its own; past
    // the deepest nesting the text is not reached.
    BandTextView* cell = cellView(0, 2);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->toPlainText(), QString("\n\uFFFC\n"));
    settle();
    EXPECT_NE(cell->viewport()->findChild<TableView*>(), nullptr);
    EXPECT_FALSE(shown[2]->readerText().contains("deepest"));
}

// ---- Row heights, column widths, borders ----

// A cell's text height as a fresh copy of its view's text lays it out at the width the view
// shows it at: what the row must hold, measured apart from the table view.
qreal shownTextHeight(BandTextView* view) {
    const std::unique_ptr<QTextDocument> copy(view->document()->clone());
    copy->setDocumentMargin(0);
    copy->setTextWidth(view->width());
    return std::ceil(copy->size().height());
}

// Every row is as tall as its tallest cell's text and that cell's top and bottom margins,
// or the height the row states; returns how many rows were checked.
int expectRowsFitTheirText(TableView* table, const std::vector<rovuvuz::RowProperties>& stated = {}) {
    table->ensureViews(QRectF(0, 0, table->width(), table->height()));
    std::vector<qreal> tallest(table->rowHeights().size(), 0);
    for (const TableView::Cell& cell : table->cells()) {
        if (cell.place.continues) continue;
        if (!cell.view) {
            ADD_FAILURE() << "no view for the cell at row " << cell.place.row;
            continue;
        }
        // The view is as wide as the cell's text width, and as tall as its row allows.
        EXPECT_EQ(cell.view->width(), int(std::floor(TableGeometry::textWidth(table->columnX(), cell.place))));
        const qreal height = shownTextHeight(cell.view) + cell.place.padding.top + cell.place.padding.bottom;
        tallest[size_t(cell.place.row)] = std::max(tallest[size_t(cell.place.row)], height);
    }
    for (size_t r = 0; r < tallest.size(); ++r) {
        qreal expected = tallest[r];
        if (r < stated.size() && stated[r].height && *stated[r].height > 0) {
            const qreal height = *stated[r].height * 1.25;
            if (stated[r].heightRule == rovuvuz::RowProperties::HeightRule::exact) expected = height;
            if (stated[r].heightRule == rovuvuz::RowProperties::HeightRule::atLeast)
                expected = std::max(expected, height);
        }
        EXPECT_EQ(table->rowHeights()[r], expected) << "row " << r;
    }
    return int(tallest.size());
}

// A row is as tall as its text when the table is first shown and after each edit, not the
// height a cell measured before its view was placed (a new view is 100 pixels wide, which
// measured "a hearty foo to you too sir!" as two lines until an edit in the same table).
TEST_F(TableViewTest, RowsAreAsTallAsTheirTextWhenShownAndAfterEveryEdit) {
    const std::string margins = "<w:tcMar><w:top w:w=\"100\" w:type=\"dxa\"/><w:bottom w:w=\"200\" "
                                "w:type=\"dxa\"/></w:tcMar>";
    open(paragraph("Above") + "<w:tbl>" + grid({4000, 4000}) + "<w:tr>" + tc("and a hearty foo to you too sir!") +
         tc("") + "</w:tr><w:tr>" + tc("with margins", margins) + tc("x") + "</w:tr>" +
         "<w:tr><w:trPr><w:trHeight w:val=\"1440\"/></w:trPr>" + tc("at least an inch") + tc("") + "</w:tr>" +
         "<w:tr><w:trPr><w:trHeight w:val=\"200\" w:hRule=\"exact\"/></w:trPr>" + tc("exactly ten points") +
         tc("") + "</w:tr></w:tbl>" + paragraph("Below"));
    TableView* table = tables().at(0);
    const std::vector<rovuvuz::RowProperties> stated = snapshot().rowProperties;
    ASSERT_EQ(stated.size(), 4u);
    EXPECT_EQ(expectRowsFitTheirText(table, stated), 4);
    // One line of 11-point text is about 20 pixels: no row of one line is near two.
    EXPECT_LT(table->rowHeights()[0], 30);
    EXPECT_EQ(table->rowHeights()[2], 90);
    EXPECT_EQ(table->rowHeights()[3], 12.5);
    // The margins of w:tcMar: 5 and 10 points above and below.
    EXPECT_EQ(table->cells()[2].place.padding, (Padding{6.75, 6.25, 6.75, 12.5}));

    // Text that wraps grows its row; taking it away shrinks the row back.
    const qreal before = table->rowHeights()[1];
    BandTextView* cell = cellView(3);
    type(cell, QString(" word").repeated(30));
    EXPECT_GT(table->rowHeights()[1], before + 15);
    EXPECT_EQ(expectRowsFitTheirText(table, stated), 4);
    editor->session()->undoStep();
    settle();
    table = tables().at(0);
    EXPECT_EQ(expectRowsFitTheirText(table, stated), 4);
    EXPECT_EQ(table->rowHeights()[1], before);
}

// A cell shorter than its row stands at the top, the middle or the bottom of the row, as
// its w:vAlign says.
TEST_F(TableViewTest, ACellStandsWhereItsVerticalAlignmentPutsIt) {
    const std::string tall = "<w:tc><w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p>"
                             "<w:p><w:r><w:t>three</w:t></w:r></w:p><w:p><w:r><w:t>four</w:t></w:r></w:p></w:tc>";
    open("<w:tbl>" + grid({2000, 2000, 2000, 2000}) + "<w:tr>" + tall + tc("top") +
         tc("middle", "<w:vAlign w:val=\"center\"/>") + tc("bottom", "<w:vAlign w:val=\"bottom\"/>") +
         "</w:tr></w:tbl>");
    TableView* table = tables().at(0);
    for (int i = 0; i < 4; ++i) ASSERT_NE(cellView(i), nullptr);
    const qreal row = table->rowHeights()[0];
    const int line = int(shownTextHeight(cellView(1)));
    ASSERT_GT(row, 3 * line);
    EXPECT_EQ(cellView(1)->y(), 0);
    EXPECT_NEAR(cellView(2)->y() + line / 2.0, row / 2, 1.5);
    EXPECT_NEAR(cellView(3)->y() + cellView(3)->height(), row, 1);
    EXPECT_GE(cellView(3)->height(), line);
}

TEST_F(TableViewTest, ACorpusTablesRowsAreAsTallAsTheirText) {
    const QString path = QStringLiteral(TOVIN_CORPUS_DIR "/pydocx-tbl-having-applied-style.docx");
    const rovuvuz::Bytes bytes = readBytes(path);
    ASSERT_FALSE(bytes.empty()) << path.toStdString();
    open(std::make_shared<const rovuvuz::Bytes>(bytes));
    ASSERT_EQ(tables().size(), 3u);
    int rows = 0;
    for (TableView* table : tables()) rows += expectRowsFitTheirText(table);
    EXPECT_EQ(rows, 12);
    // Its rows are one line each: none stands out.
    for (TableView* table : tables()) {
        const auto [low, high] = std::minmax_element(table->rowHeights().begin(), table->rowHeights().end());
        EXPECT_EQ(*low, *high);
    }
}

// The words a cell's view breaks inside: a line that starts in the middle of a word.
QStringList cutWords(BandTextView* view) {
    QStringList cut;
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (int i = 1; i < block.layout()->lineCount(); ++i) {
            const int start = block.layout()->lineAt(i).textStart();
            if (start > 0 && start < text.size() && !text[start - 1].isSpace() && !text[start].isSpace())
                cut << text;
        }
    }
    return cut;
}

// A column too narrow for its words is widened on screen from the others, when the table
// opens and after Insert Column splits a column in two; the document's grid stays the
// engine's.
TEST_F(TableViewTest, ColumnsWidenSoThatNoCellCutsAWord) {
    open("<w:tbl>" + grid({500, 4500, 4500}) + "<w:tr>" + tc("Leaving Cleveland") + tc("Arriving in Columbus") +
         tc("x") + "</w:tr></w:tbl>");
    TableView* table = tables().at(0);
    auto expectNothingCut = [&] {
        table = tables().at(0);
        table->ensureViews(QRectF(0, 0, table->width(), table->height()));
        for (const TableView::Cell& cell : table->cells()) {
            ASSERT_NE(cell.view, nullptr);
            EXPECT_EQ(cutWords(cell.view), QStringList()) << "column " << cell.place.column;
        }
    };
    expectNothingCut();
    // 500 twentieths is 31 pixels, far less than "Cleveland".
    EXPECT_GT(table->columnX()[1], 31.25 + 20);
    const std::vector<double> grid = snapshot().columns;
    ASSERT_EQ(grid.size(), 3u);
    EXPECT_EQ(grid[0], 25);

    // A new column beside the narrow one.
    runMenu(cellView(0), "Insert Column Right");
    EXPECT_EQ(beeps, 0);
    const std::vector<double> inserted = snapshot().columns;
    ASSERT_EQ(inserted.size(), 4u);
    expectNothingCut();
    // Wider on screen than the grid says; nothing written for it.
    EXPECT_GT(tables().at(0)->columnX()[1], inserted[0] * 1.25 + 20);
    EXPECT_EQ(body().find("w:w=\"500\""), std::string::npos);
    EXPECT_LE(tables().at(0)->lastSize().width(), editor->body()->document()->textWidth());
}

// The table style's borders and shading, as the engine resolves them: a borderless table
// shows only faint dashed guides, a styled one its coloured lines, its header row's fill
// and its banded rows.
TEST_F(TableViewTest, BordersAndShadingFollowTheTableStyle) {
    const std::string styles =
        "<w:styles " + std::string(rovuvuz::testing::mainNamespace) +
        "><w:style w:type=\"table\" w:styleId=\"Banded\"><w:tblPr><w:tblStyleRowBandSize w:val=\"1\"/>"
        "<w:tblBorders><w:top w:val=\"single\" w:sz=\"16\" w:color=\"FF0000\"/>"
        "<w:insideH w:val=\"single\" w:sz=\"16\" w:color=\"FF0000\"/></w:tblBorders></w:tblPr>"
        "<w:tblStylePr w:type=\"firstRow\"><w:tcPr><w:shd w:val=\"clear\" w:fill=\"0000FF\"/></w:tcPr></w:tblStylePr>"
        "<w:tblStylePr w:type=\"band1Horz\"><w:tcPr><w:shd w:val=\"clear\" w:fill=\"00FF00\"/></w:tcPr>"
        "</w:tblStylePr></w:style></w:styles>";
    auto row = [](const std::string& text) { return "<w:tr>" + tc(text) + tc(text) + "</w:tr>"; };
    const std::string styled = "<w:tbl><w:tblPr><w:tblStyle w:val=\"Banded\"/><w:tblLook w:firstRow=\"1\" "
                               "w:noHBand=\"0\"/></w:tblPr>" +
                               grid({3000, 3000}) + row("head") + row("one") + row("two") + "</w:tbl>";
    const std::string bare = "<w:tbl>" + grid({3000, 3000}) + row("a") + row("b") + "</w:tbl>";
    open(rovuvuz::testing::packageWith(styled + paragraph("between") + bare, {{"styles", "styles.xml", styles}}));
    ASSERT_EQ(tables().size(), 2u);

    // The borderless table: every side a guide, drawn light.
    TableView* plain = tables()[1];
    ASSERT_FALSE(plain->borders().empty());
    for (const TableBorders::Side& side : plain->borders()) EXPECT_FALSE(side.border.visible());
    const QImage plainImage = plain->grab().toImage();
    const int middle = int(plain->rowHeights()[0]);  // the line between the rows
    int dark = 0;
    for (int x = 0; x < plainImage.width(); ++x)
        if (qGray(plainImage.pixel(x, middle)) < 100) ++dark;
    EXPECT_EQ(dark, 0);

    TableView* table = tables()[0];
    const QImage image = table->grab().toImage();
    ASSERT_FALSE(image.isNull());
    const int x = int(table->columnX()[1] - 4);
    const std::vector<qreal> heights = table->rowHeights();
    auto fillOf = [&](int r) {
        const qreal top = std::accumulate(heights.begin(), heights.begin() + r, qreal(0));
        return QColor(image.pixel(x, int(top + heights[size_t(r)] - 3)));
    };
    EXPECT_EQ(fillOf(0), QColor(0, 0, 255));
    EXPECT_EQ(fillOf(1), QColor(0, 255, 0));  // the first band
    // The second band has no fill.
    EXPECT_NE(fillOf(2), QColor(0, 255, 0));
    EXPECT_NE(fillOf(2), QColor(0, 0, 255));
    // A red line between the first and second rows, and at the top.
    auto redAt = [&](qreal y) {
        for (int dy = -1; dy <= 2; ++dy) {
            if (int(y) + dy < 0 || int(y) + dy >= image.height()) continue;
            const QColor c(image.pixel(x, int(y) + dy));
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) return true;
        }
        return false;
    };
    EXPECT_TRUE(redAt(heights[0]));
    EXPECT_TRUE(redAt(0));
    // No left or right border is stated: the sides are guides.
    for (const TableBorders::Side& side : table->borders())
        if (side.line.x1() == side.line.x2() && side.line.x1() == 0) {
            EXPECT_FALSE(side.border.visible());
        }
}

// A shaded cell shows its fill under its text in the table view; an unshaded one stays
// the window's colour.
TEST_F(TableViewTest, CellShadingIsDrawnUnderTheText) {
    open("<w:tbl>" + grid({3000, 3000}) + "<w:tr>" + tc("green", "<w:shd w:val=\"clear\" w:fill=\"00FF00\"/>") +
         tc("plain") + "</w:tr></w:tbl>");
    TableView* table = tables().at(0);
    const QImage image = table->grab().toImage();
    ASSERT_FALSE(image.isNull());
    const int y = int(table->rowHeights()[0] / 2);
    auto greenAt = [&](qreal x) { return image.pixel(int(x), image.height() > y ? y : 0) == qRgb(0, 255, 0); };
    const qreal left = table->columnX()[0] + 2, right = table->columnX()[1] + 2;
    EXPECT_TRUE(greenAt(left) || greenAt(left + 3));
    EXPECT_FALSE(greenAt(right) || greenAt(right + 3));
}

}  // namespace
}  // namespace tovin::testing
