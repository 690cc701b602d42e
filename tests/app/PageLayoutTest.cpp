// Page layout: line heights from the fonts' hhea (else OS/2) metrics, pagination with page
// breaks, the keep rules and footnotes,
// the keep rules, spacing between paragraphs, tables cut across pages, and documents whose
// page geometry is absurd. Documents are built from small XML bodies.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFileInfo>
#include <QFontInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QPdfWriter>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/Pagination.h"
#include "Tovin/pages/PdfExport.h"
#include "Tovin/pages/WordLineHeights.h"
#include "support/TestSupport.h"

using namespace tovin;

namespace {

std::unique_ptr<rovuvuz::DocxDocument> document(const std::string& body, const std::string& rels = {},
                                                std::vector<std::pair<std::string, std::string>> extra = {}) {
    auto parts = rovuvuz::testing::minimalDocument(body, rels);
    parts.insert(parts.end(), extra.begin(), extra.end());
    return std::make_unique<rovuvuz::DocxDocument>(rovuvuz::testing::makePackage(parts));
}

std::string paragraph(const std::string& text, const std::string& pPr = {}) {
    return "<w:p><w:pPr>" + pPr + "</w:pPr><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

std::string paragraphs(int count, const std::string& pPr = {}) {
    std::string out;
    for (int i = 0; i < count; ++i) out += paragraph("Line " + std::to_string(i), pPr);
    return out;
}

// Units of one line each, `height` tall, in paragraphs of the given line counts.
std::vector<Unit> lines(const std::vector<std::pair<int, KeepRules>>& paragraphs, qreal height) {
    std::vector<Unit> units;
    qreal y = 0;
    for (const auto& [count, rules] : paragraphs)
        for (int i = 0; i < count; ++i) {
            Unit unit;
            unit.lines = {static_cast<int>(units.size()), static_cast<int>(units.size()) + 1};
            unit.top = y;
            unit.fit = unit.bottom = y += height;
            unit.rules = rules;
            unit.first = i == 0;
            unit.last = i == count - 1;
            units.push_back(unit);
        }
    return units;
}

std::vector<int> firstLines(const std::vector<Page>& pages) {
    std::vector<int> out;
    for (const Page& page : pages) out.push_back(page.lines.first);
    return out;
}

}  // namespace

TEST(WordLineHeights, OS2WinMetricsInWholeTwentiethsAtTheLineMultiple) {
    QByteArray table(78, '\0');
    table[74] = char(800 >> 8), table[75] = char(800 & 0xFF);  // usWinAscent
    table[76] = 0, table[77] = char(200);                      // usWinDescent
    const auto ratios = WordLineHeights::fromOS2(table, 1000);
    ASSERT_TRUE(ratios);
    EXPECT_DOUBLE_EQ(ratios->ascent, 0.8);
    EXPECT_DOUBLE_EQ(ratios->descent, 0.2);
    EXPECT_FALSE(WordLineHeights::fromOS2(table.left(77), 1000));
    EXPECT_FALSE(WordLineHeights::fromOS2(table, 0));

    // 11 points shown at 13.75: A = 176 and D = 44 twentieths.
    const WordLineHeights heights;
    const auto single = heights.line({{*ratios, 13.75}}, 1);
    ASSERT_TRUE(single);
    EXPECT_DOUBLE_EQ(single->height, 13.75);
    EXPECT_DOUBLE_EQ(single->descent, 44 / 20.0 * 1.25);
    EXPECT_DOUBLE_EQ(heights.line({{*ratios, 13.75}}, 1.5)->height, 20.625);
    // The largest ascent and the largest descent of the fonts on the line, whichever
    // fonts they come from; no height keeps the text system's.
    const auto mixed = heights.line({{{0.9, 0.1}, 12.5}, {{0.7, 0.3}, 12.5}}, 0);
    EXPECT_DOUBLE_EQ(mixed->height, std::floor(double(180 + 60)) / 20 * 1.25);
    EXPECT_FALSE(heights.line({{{0, 0}, 12.5}}, 1));
}

// The horizontal header gives a line its height: ascender and line gap above the baseline,
// descender below. Caladea, the stand-in for Cambria, sets 12-point lines 13.8 points apart
// by it, as LibreOffice does; its OS/2 win metrics would make them 15.6.
TEST(WordLineHeights, HheaAscenderLineGapAndDescender) {
    QByteArray table(36, '\0');
    const auto put = [&](int at, int value) {
        table[at] = char((value >> 8) & 0xFF);
        table[at + 1] = char(value & 0xFF);
    };
    put(4, 1536), put(6, -512), put(8, 452);  // Carlito's: 2500 units of 2048 in all
    const auto ratios = WordLineHeights::fromHhea(table, 2048);
    ASSERT_TRUE(ratios);
    EXPECT_DOUBLE_EQ(ratios->ascent, 1988 / 2048.0);
    EXPECT_DOUBLE_EQ(ratios->descent, 512 / 2048.0);
    put(8, -100);  // a negative gap counts as none
    EXPECT_DOUBLE_EQ(WordLineHeights::fromHhea(table, 2048)->ascent, 1536 / 2048.0);
    EXPECT_FALSE(WordLineHeights::fromHhea(table.left(9), 2048));
    EXPECT_FALSE(WordLineHeights::fromHhea(table, 0));
    put(4, 0), put(6, 0), put(8, 0);
    EXPECT_FALSE(WordLineHeights::fromHhea(table, 2048));

    QFont caladea(QStringLiteral("Caladea"));
    caladea.setPointSizeF(15);
    if (QFontInfo(caladea).family() != QStringLiteral("Caladea")) GTEST_SKIP() << "Caladea is not installed";
    WordLineHeights heights;
    const auto line = heights.line({{heights.ratios(caladea), 15}}, 1);
    ASSERT_TRUE(line);
    EXPECT_DOUBLE_EQ(line->height, 13.8 * displayScale);
}

TEST(PageLayoutGeometry, DocumentWithoutAFinalSectionGetsTheLetterPage) {
    auto doc = document(paragraph("Hello"));
    const PageLayout layout(*doc);
    EXPECT_EQ(layout.pageSize(), QSizeF(765, 990));
    EXPECT_EQ(layout.bodyTop(), 90);
    EXPECT_EQ(layout.bodyHeight(), 810);
    EXPECT_EQ(layout.columnWidth(), 585);
    ASSERT_EQ(layout.pages().size(), 1u);

    auto empty = document("");
    EXPECT_EQ(PageLayout(*empty).pages().size(), 1u);
}

TEST(PageLayoutBreaks, PageBreakEndingAParagraphStartsTheNextOnANewPage) {
    auto doc = document("<w:p><w:r><w:t>One</w:t></w:r><w:r><w:br w:type=\"page\"/></w:r></w:p>" +
                        paragraph("Two") + paragraph("Three"));
    const PageLayout layout(*doc);
    ASSERT_EQ(layout.pages().size(), 2u);
    EXPECT_EQ(layout.pages()[0].lines, (LineRange{0, 1}));
    EXPECT_EQ(layout.pages()[1].lines, (LineRange{1, 3}));
}

TEST(PageLayoutBreaks, PageBreakInsideAParagraphContinuesItOnTheNextPage) {
    auto doc = document("<w:p><w:r><w:t>Before</w:t><w:br w:type=\"page\"/><w:t>after</w:t></w:r></w:p>" +
                        paragraph("Next"));
    const PageLayout layout(*doc);
    ASSERT_EQ(layout.pages().size(), 2u);
    const auto& lines = layout.body().lines();
    ASSERT_EQ(lines.size(), 3u);
    // The two halves are lines of one paragraph, split by a line separator.
    EXPECT_EQ(lines[0].block, lines[1].block);
    EXPECT_EQ(layout.pages()[1].lines, (LineRange{1, 3}));
    // A page break before the paragraph does the same as one ending the paragraph above.
    auto before = document(paragraph("One") + paragraph("Two", "<w:pageBreakBefore/>"));
    EXPECT_EQ(PageLayout(*before).pages().size(), 2u);
}

TEST(PageLayoutBreaks, ParagraphsFillPagesOfTheBodyHeight) {
    auto doc = document(paragraphs(200));
    const PageLayout layout(*doc);
    ASSERT_GT(layout.pages().size(), 3u);
    int covered = 0;
    for (const Page& page : layout.pages()) {
        EXPECT_LE(page.bottom - page.top, layout.bodyHeight() + 1e-9);
        covered += page.lines.end - page.lines.first;
    }
    EXPECT_EQ(covered, 200);
}

TEST(Pagination, WidowControlMovesATwoLineParagraphWhole) {
    // Lines of 10 in a body of 95: a two-line paragraph starts on the ninth line, and its
    // second line does not fit.
    const KeepRules widow{false, false, true};
    const auto pages = Pagination::paginate(lines({{8, {}}, {2, widow}, {3, {}}}, 10), 95, 0);
    EXPECT_EQ(firstLines(pages), (std::vector<int>{0, 8}));
    // Without widow control the first line stays behind.
    const auto loose = Pagination::paginate(lines({{8, {}}, {2, {false, false, false}}}, 10), 95, 0);
    EXPECT_EQ(firstLines(loose), (std::vector<int>{0, 9}));
    // Only the last line of a long paragraph would move: it takes one more with it.
    const auto tail = Pagination::paginate(lines({{1, {}}, {9, widow}}, 10), 95, 0);
    EXPECT_EQ(firstLines(tail), (std::vector<int>{0, 8}));
    // Keep lines together moves the whole paragraph.
    const auto kept = Pagination::paginate(lines({{4, {}}, {8, {false, true, true}}}, 10), 95, 0);
    EXPECT_EQ(firstLines(kept), (std::vector<int>{0, 4}));
}

TEST(Pagination, KeepWithNextTakesTheHeadingAlongAndAFullChainBreaksAsBefore) {
    const KeepRules next{true, false, true};
    // Eight lines, a heading, then a three-line paragraph that does not fit.
    const auto pages = Pagination::paginate(lines({{8, {}}, {1, next}, {3, {false, true, true}}}, 10), 95, 0);
    EXPECT_EQ(firstLines(pages), (std::vector<int>{0, 8}));
    // Twelve single-line paragraphs all keeping with the next: the chain reaches the page
    // top, so the page breaks where it would without the rule.
    const auto chain =
        Pagination::paginate(lines(std::vector<std::pair<int, KeepRules>>(12, {1, next}), 10), 95, 0);
    EXPECT_EQ(firstLines(chain), (std::vector<int>{0, 9}));
}

TEST(Pagination, PageStartsAndTheFirstPagesSpaceAndNoUnitsAtAll) {
    auto units = lines({{3, {}}, {2, {}}}, 10);
    units[3].startsPage = true;
    units[3].lift = 4;
    const auto pages = Pagination::paginate(units, 95, 6);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].top, -6);  // the first paragraph's space before shows on the first page
    EXPECT_EQ(pages[1].top, 26);  // the collapsed space above a page start shows again
    const auto none = Pagination::paginate({}, 95, 0);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_TRUE(none[0].lines.isEmpty());
}

// A paragraph's space before goes at the top of a page it reaches by a natural break, and
// stays after a page break (with the space collapsed into the paragraph above shown again).
TEST(Pagination, SpaceBeforeLeftOutAfterANaturalBreakOnly) {
    auto units = lines(std::vector<std::pair<int, KeepRules>>(30, {1, {}}), 10);
    for (size_t i = 1; i < units.size(); ++i) {
        units[i].space = 3;
        units[i].lift = 2;
    }
    units[20].startsPage = true;
    const auto pages = Pagination::paginate(units, 95, 0);
    ASSERT_EQ(firstLines(pages), (std::vector<int>{0, 9, 18, 20, 29}));
    EXPECT_EQ(pages[1].top, 93);  // unit 9's text top: the space above it is not shown
    EXPECT_EQ(pages[2].top, 183);
    EXPECT_EQ(pages[3].top, 198);  // the page break keeps the space and the lift
    EXPECT_EQ(pages[4].top, 293);
}

// A footnote area takes the notes and the separator above them; the space after the last
// note may stand below the body.
TEST(Pagination, FootnotesNeedTheirSeparatorButNotTheLastNotesSpaceAfter) {
    auto units = lines(std::vector<std::pair<int, KeepRules>>(9, {1, {}}), 10);
    const std::vector<NoteExtent> notes = {{{15}, 5, 15}, {{12}, 6, 12}};
    units[2].notes = {0};
    // 90 of body and 10 of note text: the note's own space after would not fit.
    const qreal body = 90 + 10 + Pagination::noteSeparator;
    EXPECT_EQ(Pagination::paginate(units, body, 0, notes).size(), 1u);
    EXPECT_EQ(Pagination::paginate(units, body - 0.5, 0, notes).size(), 2u);
    // Between notes their spaces after count: a second note makes the first one's count.
    units[7].notes = {1};
    EXPECT_EQ(Pagination::paginate(units, 90 + 15 + 6 + Pagination::noteSeparator, 0, notes).size(), 1u);
    EXPECT_EQ(Pagination::paginate(units, 90 + 15 + 6 + Pagination::noteSeparator - 0.5, 0, notes).size(), 2u);
}

// A note whose first line fits below its reference keeps the reference on the page: the
// note is cut after its last line that fits, the page ends with the reference, and the rest
// opens the next page's foot, before that page's own notes.
TEST(Pagination, NoteThatDoesNotFitContinuesOnTheNextPage) {
    auto units = lines(std::vector<std::pair<int, KeepRules>>(30, {1, {}}), 10);
    const std::vector<NoteExtent> notes = {{{10, 20, 30, 40, 50, 60}, 0, 10}, {{10}, 0, 10}};
    units[6].notes = {0};
    units[9].notes = {1};
    const qreal room = 100 + Pagination::noteSeparator;
    const auto pages = Pagination::paginate(units, room, 0, notes);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[0].lines.end, 7);  // the reference line ends the page
    EXPECT_EQ(pages[0].notes, (std::vector<NotePiece>{{0, 0, 30}}));
    EXPECT_EQ(pages[1].lines.first, 7);
    EXPECT_EQ(pages[1].notes, (std::vector<NotePiece>{{0, 30, 60}, {1, 0, 10}}));
    EXPECT_EQ(pages[1].lines.end, 13);  // 60 of body, 40 of notes

    // Not even the first line fits: the reference moves to the next page with its note.
    auto late = lines(std::vector<std::pair<int, KeepRules>>(30, {1, {}}), 10);
    late[9].notes = {0};
    const auto moved = Pagination::paginate(late, room, 0, notes);
    EXPECT_EQ(moved[0].lines.end, 9);
    EXPECT_TRUE(moved[0].notes.empty());
    EXPECT_EQ(moved[1].notes.front(), (NotePiece{0, 0, 60}));
}

// A note several pages long runs over pages of its own once the body has ended, every line
// on exactly one page; a line taller than a page is cut through rather than never placed.
TEST(Pagination, NoteLongerThanAPageRunsOverPages) {
    auto units = lines({{2, {}}}, 10);
    NoteExtent tall;
    tall.first = 10;
    for (int i = 1; i <= 30; ++i) tall.cuts.push_back(10.0 * i);
    tall.cuts.push_back(500);  // one line taller than any page
    units[0].notes = {0};
    const auto pages = Pagination::paginate(units, 100 + Pagination::noteSeparator, 0, {tall});
    qreal shown = 0;
    for (const Page& page : pages)
        for (const NotePiece& piece : page.notes) {
            EXPECT_EQ(piece.from, shown);
            EXPECT_LE(piece.to - piece.from, 100);
            shown = piece.to;
        }
    EXPECT_EQ(shown, 500);
    EXPECT_EQ(pages[0].lines.end, 1);
    EXPECT_EQ(pages[1].lines, (LineRange{1, 2}));
    EXPECT_TRUE(pages.back().lines.isEmpty());
}

// Where a note may be cut: not so as to leave one line of a paragraph with widow control on
// either side, never inside a paragraph kept together, anywhere between paragraphs and
// between table rows; its first line is known whatever the rules.
TEST(Pagination, NoteCutsFollowWidowControlAndKeepLines) {
    auto paragraphLines = [](int paragraph, int count, qreal& y, bool widows, bool keep) {
        std::vector<NoteLine> out;
        for (int i = 0; i < count; ++i, y += 10) out.push_back({y, y + 10, paragraph, widows, keep});
        return out;
    };
    qreal y = 0;
    std::vector<NoteLine> lines = paragraphLines(0, 2, y, true, false);  // 0–20
    for (const auto& l : paragraphLines(1, 5, y, true, false)) lines.push_back(l);   // 20–70
    for (const auto& l : paragraphLines(2, 3, y, false, true)) lines.push_back(l);   // 70–100
    for (const auto& l : paragraphLines(3, 3, y, false, false)) lines.push_back(l);  // 100–130
    lines.push_back({130, 140, -1});  // a table's rows
    lines.push_back({140, 150, -1});
    const NoteExtent extent = FootnoteArea::extentOf(lines, 150, 4);
    EXPECT_EQ(extent.cuts, (std::vector<qreal>{20, 40, 50, 70, 100, 110, 120, 130, 140, 150}));
    EXPECT_EQ(extent.first, 10);
    EXPECT_EQ(extent.tail, 4);
}

TEST(Pagination, TallRowIsSlicedAtLineBoundaries) {
    Unit row;
    row.lines = {0, 40};
    row.top = 100;
    row.fit = row.bottom = 100 + 40 * 12;
    row.first = row.last = true;
    row.row = Unit::Row{0, 0};
    for (int i = 0; i < 40; ++i) row.rowLines.emplace_back(100 + i * 12, 100 + (i + 1) * 12);
    // A line of another cell crossing 244 rules that place out.
    row.rowLines.emplace_back(238, 250);
    const auto pieces = Pagination::slices(row, 150);
    ASSERT_GE(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].bottom, 232);  // 100 + 11 lines; 244 is inside the other cell's line
    for (size_t i = 1; i < pieces.size(); ++i) EXPECT_EQ(pieces[i].top, pieces[i - 1].bottom);
    EXPECT_EQ(pieces.back().bottom, row.bottom);
    for (const Unit& piece : pieces) EXPECT_TRUE(piece.slice);
}

TEST(PageLayoutSpacing, LargerOfAfterAndBeforeUnlessTheDocumentSumsThem) {
    const std::string body = paragraph("One", "<w:spacing w:before=\"0\" w:after=\"240\"/>") +
                             paragraph("Two", "<w:spacing w:before=\"120\" w:after=\"0\"/>");
    const std::string rels = rovuvuz::testing::rel("rId1", "settings", "settings.xml");
    auto larger = document(body);
    auto summed = document(body, rels,
                           {{"word/settings.xml",
                             "<w:settings xmlns:w=\"w\"><w:compat><w:doNotUseHTMLParagraphAutoSpacing/>"
                             "</w:compat></w:settings>"}});
    const PageLayout a(*larger);
    const PageLayout b(*summed);
    ASSERT_FALSE(a.sumsSpacing());
    ASSERT_TRUE(b.sumsSpacing());
    // The two line fragments hold both lines and the space between them.
    const auto span = [](const PageLayout& layout) {
        const auto& lines = layout.body().lines();
        return lines.at(1).bottom - lines.at(0).top;
    };
    auto single = document(paragraph("One"));
    const qreal line = PageLayout(*single).body().lines().at(0).bottom;
    EXPECT_NEAR(span(a), 2 * line + 12 * 1.25, 1e-9);
    EXPECT_NEAR(span(b), 2 * line + 18 * 1.25, 1e-9);
}

TEST(PageLayoutTables, RowTallerThanThePageIsCutAcrossPagesAndClipped) {
    std::string cell;
    for (int i = 0; i < 120; ++i) cell += paragraph("Cell line " + std::to_string(i));
    auto doc = document(paragraph("Above") +
                        "<w:tbl><w:tblGrid><w:gridCol w:w=\"4000\"/><w:gridCol w:w=\"4000\"/>"
                        "</w:tblGrid><w:tr><w:tc>" +
                        cell + "</w:tc><w:tc>" + paragraph("Beside") + "</w:tc></w:tr></w:tbl>" +
                        paragraph("Below"));
    const PageLayout layout(*doc);
    ASSERT_GE(layout.pages().size(), 3u);
    int clipped = 0;
    for (const Page& page : layout.pages()) {
        clipped += page.clip;
        EXPECT_LE(page.bottom - page.top, layout.bodyHeight() + 1e-9);
    }
    EXPECT_GE(clipped, 2);
}

TEST(PageLayoutHostileGeometry, ZeroAbsurdAndNegativeGeometryStillGivesPages) {
    for (const std::string sectPr :
         {"<w:pgSz w:w=\"0\" w:h=\"0\"/>", "<w:pgSz w:w=\"99999999\" w:h=\"99999999\"/>",
          "<w:pgMar w:top=\"-99999\" w:bottom=\"-99999\" w:left=\"-5000\" w:right=\"-5000\"/>",
          "<w:pgSz w:w=\"100\" w:h=\"100\"/><w:pgMar w:top=\"50000\" w:left=\"50000\" w:right=\"50000\"/>"}) {
        auto doc = document(paragraphs(30) + "<w:sectPr>" + sectPr + "</w:sectPr>");
        const PageLayout layout(*doc);
        EXPECT_GE(layout.bodyHeight(), Pagination::smallestBodyHeight) << sectPr;
        EXPECT_GE(layout.columnWidth(), PageLayout::narrowestColumn) << sectPr;
        EXPECT_GE(layout.pages().size(), 1u) << sectPr;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter writer(&out);
        PdfExport::preparePage(layout, writer);
        PdfExport::render(layout, writer, 0, static_cast<int>(layout.pages().size()) - 1);
        EXPECT_TRUE(out.data().startsWith("%PDF")) << sectPr;
    }
}

TEST(PageLayoutHostileGeometry, TenThousandRowTableLaysOutOnManyPages) {
    std::string rows;
    for (int i = 0; i < 10000; ++i)
        rows += "<w:tr><w:tc>" + paragraph(std::to_string(i)) + "</w:tc><w:tc>" + paragraph("x") +
                "</w:tc></w:tr>";
    auto doc = document("<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2000\"/></w:tblGrid>" +
                        rows + "</w:tbl>");
    const PageLayout layout(*doc);
    EXPECT_GT(layout.pages().size(), 100u);
    EXPECT_EQ(layout.pages().back().lines.end, 20000);
}

// A painter that cannot start draws nothing, and says so: an export must not go on to
// commit the empty file as the PDF.
TEST(PdfExportFailure, PagesThatCouldNotBeDrawnAreReportedNotWritten) {
    auto doc = document(paragraphs(3));
    const PageLayout layout(*doc);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    {
        QPdfWriter unreachable(folder.filePath("missing/out.pdf"));
        EXPECT_FALSE(PdfExport::render(layout, unreachable, 0, 0));
    }
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QPdfWriter writer(&out);
    {
        QPainter busy(&writer);  // a device takes one painter at a time
        EXPECT_FALSE(PdfExport::render(layout, writer, 0, 0));
    }
    EXPECT_TRUE(PdfExport::write(layout, folder.filePath("missing/out.pdf"), "t").has_value());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("missing/out.pdf")));
}
