// A long body written in pieces, each in a QTextDocument of its own and laid out on a
// thread of its own, then joined: the lines, units and pages are those of the whole text
// laid out on one thread, and a text with floats stays whole.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextLayout>
#include <QThreadPool>
#include <future>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/pages/FlowLayout.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PageText.h"
#include "Tovin/pages/Pagination.h"
#include "support/TestSupport.h"

using namespace tovin;

namespace {

constexpr qreal width = 585;

std::unique_ptr<rovuvuz::DocxDocument> document(const std::string& body) {
    return std::make_unique<rovuvuz::DocxDocument>(
        rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body, {})));
}

std::string paragraph(const std::string& text, const std::string& pPr = {}) {
    return "<w:p><w:pPr>" + pPr + "</w:pPr><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

std::string cell(const std::string& text) {
    return "<w:tc><w:tcPr><w:tcW w:w=\"3000\" w:type=\"dxa\"/></w:tcPr>" + paragraph(text) + "</w:tc>";
}

// Paragraphs of one to five lines with spacing that collapses across them, headings kept
// with the next paragraph, a page break, and a table every fortieth block.
std::string longBody(int blocks) {
    std::string body;
    for (int i = 0; i < blocks; ++i) {
        if (i % 40 == 39) {
            body += "<w:tbl><w:tblGrid><w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>";
            for (int row = 0; row < 3; ++row)
                body += "<w:tr>" + cell("Row " + std::to_string(row)) + cell("Cell text that wraps " + std::string(40, 'x')) + "</w:tr>";
            body += "</w:tbl>";
        } else if (i % 17 == 0) {
            body += paragraph("Heading " + std::to_string(i), "<w:keepNext/><w:spacing w:before=\"240\" w:after=\"120\"/>");
        } else {
            std::string words;
            for (int w = 0; w < 1 + (i * 7) % 60; ++w) words += "word" + std::to_string(w) + " ";
            const std::string pPr = i == 500 ? "<w:pageBreakBefore/>" : "<w:spacing w:before=\"60\" w:after=\"200\"/>";
            body += paragraph(words, pPr);
        }
    }
    return body;
}

std::vector<rovuvuz::BlockSnapshot> bodyBlocks(rovuvuz::DocxDocument& doc) {
    return doc.snapshot(rovuvuz::StoryID::body()).blocks;
}

PageTextOptions options() {
    return {false, 45, nullptr, nullptr};
}

// The pieces of a body laid out on the global pool's threads and joined, as the page layout
// does it.
struct Pieces {
    std::vector<std::unique_ptr<PageText>> texts;
    std::optional<FlowLayout> layout;
};

Pieces layInPieces(rovuvuz::DocxDocument& doc, size_t count) {
    Pieces out;
    std::vector<std::future<FlowLayout>> laid;
    PageText::assembleInPieces(bodyBlocks(doc), AttributedBuilder(&doc, rovuvuz::StoryID::body(), width), options(),
                               count, out.texts, [&](const PageText& piece) {
                                   const bool first = laid.empty();
                                   auto task = std::make_shared<std::packaged_task<FlowLayout()>>([&piece, first] {
                                       WordLineHeights heights;
                                       return first ? FlowLayout::lay(piece, width, heights, FlowLayout::Units::body)
                                                    : FlowLayout::layFollowing(piece, width, heights,
                                                                               FlowLayout::Units::body);
                                   });
                                   laid.push_back(task->get_future());
                                   QThreadPool::globalInstance()->start([task] { (*task)(); });
                               });
    std::vector<FlowLayout> parts;
    for (auto& part : laid) parts.push_back(part.get());
    out.layout = FlowLayout::join(std::move(parts));
    return out;
}

// A laid line's text, from whichever text holds it.
QString lineText(const std::vector<const PageText*>& texts, const LaidLine& line) {
    const QTextBlock block = texts[static_cast<size_t>(line.piece)]->document->findBlockByNumber(line.block);
    const QTextLine laid = block.layout()->lineAt(line.index);
    return block.text().mid(laid.textStart(), laid.textLength());
}

}  // namespace

TEST(PiecewiseLayout, PiecesOnThreadsGiveTheWholeTextsLinesUnitsAndPages) {
    auto doc = document(longBody(900));
    const PageText whole =
        PageText::assemble(bodyBlocks(*doc), AttributedBuilder(doc.get(), rovuvuz::StoryID::body(), width), options());
    WordLineHeights heights;
    FlowLayout serial = FlowLayout::lay(whole, width, heights, FlowLayout::Units::body);

    Pieces pieces = layInPieces(*doc, 4);
    ASSERT_EQ(pieces.texts.size(), 4u);
    FlowLayout& joined = *pieces.layout;
    std::vector<const PageText*> texts;
    for (const auto& text : pieces.texts) texts.push_back(text.get());

    ASSERT_EQ(joined.lines().size(), serial.lines().size());
    EXPECT_GT(joined.lines().back().piece, 0);
    for (size_t i = 0; i < serial.lines().size(); ++i) {
        const LaidLine& a = serial.lines()[i];
        const LaidLine& b = joined.lines()[i];
        ASSERT_EQ(lineText({&whole}, a), lineText(texts, b)) << "line " << i;
        EXPECT_NEAR(a.top, b.top, 1e-6) << "line " << i;
        EXPECT_NEAR(a.bottom, b.bottom, 1e-6) << "line " << i;
    }
    ASSERT_EQ(joined.units().size(), serial.units().size());
    for (size_t i = 0; i < serial.units().size(); ++i) {
        const Unit& a = serial.units()[i];
        const Unit& b = joined.units()[i];
        EXPECT_EQ(a.lines, b.lines) << "unit " << i;
        EXPECT_NEAR(a.fit, b.fit, 1e-6) << "unit " << i;
        EXPECT_EQ(a.startsPage, b.startsPage) << "unit " << i;
        EXPECT_EQ(a.rules.has_value() && a.rules->keepNext, b.rules.has_value() && b.rules->keepNext);
        EXPECT_EQ(a.row.has_value(), b.row.has_value()) << "unit " << i;
        if (a.row && b.row) {
            EXPECT_EQ(a.row->table, b.row->table) << "unit " << i;
        }
    }
    EXPECT_NEAR(joined.height(), serial.height(), 1e-6);
    EXPECT_EQ(joined.firstSpace(), serial.firstSpace());
    EXPECT_EQ(joined.trailingSpace(), serial.trailingSpace());

    // The page layout lays this body out in pieces too, and cuts the same pages.
    const PageLayout layout(*doc);
    const std::vector<Page> pages = Pagination::paginate(serial.units(), layout.bodyHeight(), serial.firstSpace());
    ASSERT_EQ(layout.pages().size(), pages.size());
    for (size_t p = 0; p < pages.size(); ++p) EXPECT_EQ(layout.pages()[p].lines, pages[p].lines) << "page " << p;
}

TEST(PiecewiseLayout, ATextWithAFloatOrNoParagraphToStartAPieceAtStaysWhole) {
    const std::string box =
        "<w:r><w:drawing><wp:anchor xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
        " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" distT=\"0\" distB=\"0\" distL=\"0\" "
        "distR=\"0\" simplePos=\"0\" relativeHeight=\"1\" behindDoc=\"0\" locked=\"0\" layoutInCell=\"1\" "
        "allowOverlap=\"1\"><wp:simplePos x=\"0\" y=\"0\"/><wp:positionH relativeFrom=\"column\"><wp:posOffset>0"
        "</wp:posOffset></wp:positionH><wp:positionV relativeFrom=\"paragraph\"><wp:posOffset>0</wp:posOffset>"
        "</wp:positionV><wp:extent cx=\"914400\" cy=\"457200\"/><wp:wrapSquare/><wp:docPr id=\"1\" name=\"f\"/>"
        "<a:graphic><a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
        "<wps:wsp xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:txbx>"
        "<w:txbxContent>" +
        paragraph("Boxed") + "</w:txbxContent></wps:txbx><wps:bodyPr/></wps:wsp></a:graphicData></a:graphic>"
                             "</wp:anchor></w:drawing></w:r>";
    auto floating = document("<w:p>" + box + "</w:p>" + longBody(600));
    std::vector<std::unique_ptr<PageText>> texts;
    int written = 0;
    PageText::assembleInPieces(bodyBlocks(*floating), AttributedBuilder(floating.get(), rovuvuz::StoryID::body(), width),
                               options(), 4, texts, [&](const PageText&) { ++written; });
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(written, 1);
    EXPECT_FALSE(texts.front()->floats.empty());
    // The page layout lays it out whole, with its float.
    const PageLayout layout(*floating);
    EXPECT_FALSE(layout.body().floats().empty());

    // One table and nothing else: no paragraph between top-level items to start a piece at.
    std::string rows;
    for (int row = 0; row < 400; ++row) rows += "<w:tr>" + cell("Row " + std::to_string(row)) + "</w:tr>";
    auto table = document("<w:tbl><w:tblGrid><w:gridCol w:w=\"3000\"/></w:tblGrid>" + rows + "</w:tbl>");
    Pieces pieces = layInPieces(*table, 4);
    ASSERT_EQ(pieces.texts.size(), 1u);
    EXPECT_EQ(pieces.layout->lines().size(), 400u);
}
