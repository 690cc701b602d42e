// What pages show of a document: sections with their own paper and headers, title pages
// and even/odd headers with their page numbers, footnotes at the foot of their page, tab
// stops with leaders, table styles and borders, text boxes; and documents built to break
// the layout. Each document is built from small parts; what a page shows is read back from
// the exported PDF (pdftotext), page by page.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "PageDrawingSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PaperText.h"
#include "Tovin/pages/PdfExport.h"
#include "support/TestSupport.h"

using namespace tovin;
using rovuvuz::testing::RelatedPart;
using tovin::pagestest::pageTexts;

namespace {

constexpr const char* relNamespace = "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

std::string run(const std::string& text, const std::string& rPr = {}) {
    return "<w:r><w:rPr>" + rPr + "</w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

std::string paragraph(const std::string& text, const std::string& pPr = {}) {
    return "<w:p><w:pPr>" + pPr + "</w:pPr>" + run(text) + "</w:p>";
}

std::string lines(const std::string& word, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += paragraph(word + std::to_string(i));
    return out;
}

// A PAGE field as Word writes it: begin, instruction, separate, cached result, end.
std::string pageField(const std::string& name = "PAGE", const std::string& cached = "9") {
    return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> " + name +
           " </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run(cached) +
           "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

std::string band(const std::string& root, const std::string& content) {
    return "<w:" + root + " " + std::string(rovuvuz::testing::mainNamespace) + ">" + content + "</w:" + root + ">";
}

std::unique_ptr<rovuvuz::DocxDocument> open(const std::string& body, const std::vector<RelatedPart>& parts = {}) {
    return std::make_unique<rovuvuz::DocxDocument>(rovuvuz::testing::packageWith(body, parts));
}

QString simplified(const QString& text) {
    return text.simplified();
}

// The page drawn at `scale` pixels a display point.
QImage picture(const PageLayout& layout, int page, int scale = 1) {
    QImage image(layout.pageSize(page).toSize() * scale, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    painter.scale(scale, scale);
    layout.draw(painter, page, {0, 0});
    return image;
}

bool inked(const QImage& image, QRect area) {
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160) return true;
    return false;
}

const std::string landscapeSecond =
    std::string("<w:p><w:pPr><w:sectPr ") + relNamespace +
    "><w:headerReference w:type=\"default\" r:id=\"rIdP1\"/><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr></w:pPr>"
    "</w:p>";

}  // namespace

// Each section on its own paper, with its own header; a header taller than its margin
// pushes the body down.
TEST(PagedSections, LandscapeSecondSectionWithItsOwnHeader) {
    const std::string body = paragraph("Portrait text") + landscapeSecond + paragraph("Landscape text") +
                             std::string("<w:sectPr ") + relNamespace +
                             "><w:headerReference w:type=\"default\" r:id=\"rIdP2\"/>"
                             "<w:pgSz w:w=\"15840\" w:h=\"12240\" w:orient=\"landscape\"/></w:sectPr>";
    auto doc = open(body, {{"header", "header1.xml", band("hdr", paragraph("First header"))},
                           {"header", "header2.xml", band("hdr", paragraph("Wide header"))}});
    const PageLayout layout(*doc);
    ASSERT_EQ(layout.pages().size(), 2u);
    EXPECT_GT(layout.pageSize(0).height(), layout.pageSize(0).width());
    EXPECT_GT(layout.pageSize(1).width(), layout.pageSize(1).height());
    const auto texts = pageTexts(layout);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[0].contains("First header") && texts[0].contains("Portrait text")) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].contains("Wide header") && texts[1].contains("Landscape text")) << texts[1].toStdString();
    EXPECT_FALSE(texts[1].contains("First header"));
}

TEST(PagedSections, TallHeaderPushesTheBodyDown) {
    const std::string tall = band("hdr", lines("Header line ", 12));
    const std::string sectPr = std::string("<w:sectPr ") + relNamespace +
                               "><w:headerReference w:type=\"default\" r:id=\"rIdP1\"/></w:sectPr>";
    auto plain = open(paragraph("Body") + "<w:sectPr/>");
    auto pushed = open(paragraph("Body") + sectPr, {{"header", "header1.xml", tall}});
    EXPECT_GT(PageLayout(*pushed).bodyTop(), PageLayout(*plain).bodyTop() + 100);
}

// A title page shows its own (here empty) header; even pages the even header; and the
// page numbers restart and take the section's format.
TEST(PagedSections, TitlePageEvenOddHeadersAndNumbering) {
    const std::string body = lines("Line ", 240) + std::string("<w:sectPr ") + relNamespace +
                             "><w:headerReference w:type=\"default\" r:id=\"rIdP1\"/>"
                             "<w:headerReference w:type=\"even\" r:id=\"rIdP2\"/>"
                             "<w:headerReference w:type=\"first\" r:id=\"rIdP3\"/>"
                             "<w:pgNumType w:fmt=\"upperRoman\" w:start=\"1\"/><w:titlePg/></w:sectPr>";
    const std::string settings = band("settings", "<w:evenAndOddHeaders/>");
    auto doc = open(body, {{"header", "header1.xml", band("hdr", "<w:p>" + run("Odd page ") + pageField() + "</w:p>")},
                           {"header", "header2.xml", band("hdr", "<w:p>" + run("Even page ") + pageField() + "</w:p>")},
                           {"header", "header3.xml", band("hdr", paragraph("Title"))},
                           {"settings", "settings.xml", settings}});
    const PageLayout layout(*doc);
    ASSERT_GE(layout.pages().size(), 4u);
    const auto texts = pageTexts(layout);
    ASSERT_EQ(texts.size(), layout.pages().size());
    EXPECT_TRUE(texts[0].contains("Title"));
    EXPECT_FALSE(texts[0].contains("Odd page"));
    EXPECT_TRUE(simplified(texts[1]).contains("Even page II")) << texts[1].toStdString();
    EXPECT_TRUE(simplified(texts[2]).contains("Odd page III")) << texts[2].toStdString();
    EXPECT_TRUE(simplified(texts[3]).contains("Even page IV")) << texts[3].toStdString();
}

TEST(PagedFields, PageAndNumPagesEvaluatedPerPageWithoutChips) {
    const std::string footer = band("ftr", "<w:p>" + run("Page ") + pageField() + run(" of ") +
                                               pageField("NUMPAGES", "7") + "</w:p>");
    const std::string body = lines("Text ", 100) + "<w:p><w:fldSimple w:instr=\" DATE \">" + run("1 May 2020") +
                             "</w:fldSimple></w:p>" + std::string("<w:sectPr ") + relNamespace +
                             "><w:footerReference w:type=\"default\" r:id=\"rIdP1\"/></w:sectPr>";
    auto doc = open(body, {{"footer", "footer1.xml", footer}});
    const PageLayout layout(*doc);
    const auto texts = pageTexts(layout);
    ASSERT_GE(texts.size(), 2u);
    const QString count = QString::number(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_TRUE(simplified(texts[i]).contains(QString("Page %1 of %2").arg(i + 1).arg(count)))
            << i << texts[i].toStdString();
    EXPECT_TRUE(texts.back().contains("1 May 2020"));
    for (const QString& text : texts) EXPECT_FALSE(text.contains("EDIT IN WORD", Qt::CaseInsensitive));
}

// The reference near the bottom of the first page takes its long note to the second page.
TEST(PagedNotes, FootnoteMovesWithItsReference) {
    std::string note = "<w:footnote w:id=\"1\">";
    for (int i = 0; i < 14; ++i) note += paragraph("Footnote words " + std::to_string(i));
    note += "</w:footnote>";
    const std::string notes = band("footnotes", note);
    auto referring = [](int at) {
        return lines("Body ", at) + "<w:p>" + run("Noted") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>" +
               lines("After ", 5);
    };
    {
        auto early = open(referring(3), {{"footnotes", "footnotes.xml", notes}});
        const auto texts = pageTexts(PageLayout(*early));
        ASSERT_GE(texts.size(), 1u);
        EXPECT_TRUE(texts[0].contains("Noted") && texts[0].contains("Footnote words 13")) << texts[0].toStdString();
    }
    auto late = open(referring(50), {{"footnotes", "footnotes.xml", notes}});
    const PageLayout layout(*late);
    const auto texts = pageTexts(layout);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_FALSE(texts[0].contains("Footnote words"));
    EXPECT_TRUE(texts[1].contains("Noted") && texts[1].contains("Footnote words 0")) << texts[1].toStdString();
    EXPECT_EQ(layout.sheets()[1].notes.size(), 1u);
}

// Endnotes are numbered i, ii, … as Word numbers them by default.
TEST(PagedNotes, EndnotesFollowTheBodyOnANewPage) {
    const std::string notes = band("endnotes", "<w:endnote w:id=\"1\">" + paragraph("The endnote text") +
                                                   "</w:endnote>");
    auto doc = open("<w:p>" + run("Body") + "<w:r><w:endnoteReference w:id=\"1\"/></w:r></w:p>",
                    {{"endnotes", "endnotes.xml", notes}});
    const auto texts = pageTexts(PageLayout(*doc));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_FALSE(texts[0].contains("The endnote text"));
    EXPECT_TRUE(simplified(texts[1]).contains(QRegularExpression("\\bi\\s*The endnote text"))) << texts[1].toStdString();
}

// A right stop at the margin with a dot leader: the text after the tab ends at the margin
// and dots fill the space before it.
TEST(PagedTabs, RightTabWithDotLeader) {
    const std::string pPr = "<w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"9360\"/></w:tabs>";
    auto doc = open("<w:p><w:pPr>" + pPr + "</w:pPr>" + run("Chapter") + "<w:r><w:tab/></w:r>" + run("12") +
                    "</w:p><w:sectPr/>");
    const PageLayout layout(*doc);
    const QImage page = picture(layout, 0);
    const int x = static_cast<int>(layout.pageSize(0).width() / 2);
    const int top = static_cast<int>(layout.bodyTop());
    // Dots in the middle of the line (drawn at twice the size: a dot is under a pixel wide
    // and may fall between pixels), and the number at the right margin.
    EXPECT_TRUE(inked(picture(layout, 0, 2), QRect(2 * (x - 40), 2 * top, 160, 40)));
    const int right = static_cast<int>(layout.pageSize(0).width() - 90);
    EXPECT_TRUE(inked(page, QRect(right - 16, top, 15, 20)));
    EXPECT_FALSE(inked(page, QRect(right + 4, top, 40, 20)));
}

// A leader is the tab's font's own dots, set up to the stop: text a reader extracts, in
// the text's colour, as Word and LibreOffice write it.
TEST(PagedTabs, DotLeaderIsTheFontsDotsUpToTheStop) {
    const std::string pPr = "<w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"4320\"/></w:tabs>";
    auto doc = open("<w:p><w:pPr>" + pPr + "</w:pPr>" + run("Chapter") + "<w:r><w:tab/></w:r>" + run("12") +
                    "</w:p><w:sectPr/>");
    const std::vector<QString> pages = pageTexts(PageLayout(*doc));
    ASSERT_EQ(pages.size(), 1u);
    const QRegularExpressionMatch dots = QRegularExpression("Chapter ?(\\.+)12").match(pages[0]);
    ASSERT_TRUE(dots.hasMatch()) << pages[0].toStdString();
    // About 2.2 inches of dots a couple of points wide each.
    EXPECT_GT(dots.captured(1).size(), 30);
    EXPECT_LT(dots.captured(1).size(), 80);
}

// Default stops stand every w:defaultTabStop: an inch here, so the text after the tab
// starts an inch into the column.
TEST(PagedTabs, DefaultStopsFollowTheSettings) {
    auto doc = open("<w:p>" + run("a") + "<w:r><w:tab/></w:r>" + run("b") + "</w:p><w:sectPr/>",
                    {{"settings", "settings.xml", band("settings", "<w:defaultTabStop w:val=\"1440\"/>")}});
    const PageLayout layout(*doc);
    const QImage page = picture(layout, 0);
    const int left = 90, top = static_cast<int>(layout.bodyTop());
    EXPECT_TRUE(inked(page, QRect(left + 89, top, 12, 20)));
    EXPECT_FALSE(inked(page, QRect(left + 20, top, 60, 20)));
}

namespace {

const std::string tableStyles = band(
    "styles",
    "<w:style w:type=\"table\" w:styleId=\"Banded\"><w:tblPr><w:tblStyleRowBandSize w:val=\"1\"/>"
    "<w:tblBorders><w:top w:val=\"single\" w:sz=\"8\"/><w:bottom w:val=\"single\" w:sz=\"8\"/></w:tblBorders>"
    "</w:tblPr><w:tblStylePr w:type=\"band1Horz\"><w:tcPr><w:shd w:val=\"clear\" w:fill=\"00FF00\"/></w:tcPr>"
    "</w:tblStylePr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Loop1\"><w:basedOn w:val=\"Loop2\"/></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Loop2\"><w:basedOn w:val=\"Loop1\"/></w:style>");

std::string table(const std::string& tblPr, int rows, const std::string& trPr = {}) {
    std::string out = "<w:tbl><w:tblPr>" + tblPr + "</w:tblPr><w:tblGrid><w:gridCol w:w=\"3000\"/>"
                      "<w:gridCol w:w=\"3000\"/></w:tblGrid>";
    for (int r = 0; r < rows; ++r)
        out += "<w:tr><w:trPr>" + trPr + "</w:trPr><w:tc>" + paragraph("a" + std::to_string(r)) + "</w:tc><w:tc>" +
               paragraph("b" + std::to_string(r)) + "</w:tc></w:tr>";
    return out + "</w:tbl>";
}

int greenRows(const QImage& image) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); x += 4)
            if (image.pixel(x, y) == qRgb(0, 255, 0)) {
                ++rows;
                break;
            }
    return rows;
}

}  // namespace

TEST(PagedTables, BandedStyleShadesEveryOtherRowAndBorderlessDrawsNoLines) {
    const std::string look = "<w:tblLook w:val=\"04A0\" w:firstRow=\"0\" w:lastRow=\"0\" w:firstColumn=\"0\" "
                             "w:lastColumn=\"0\" w:noHBand=\"0\" w:noVBand=\"1\"/>";
    auto banded = open(table("<w:tblStyle w:val=\"Banded\"/>" + look, 4) + "<w:p/>",
                       {{"styles", "styles.xml", tableStyles}});
    const QImage shaded = picture(PageLayout(*banded), 0);
    EXPECT_GT(greenRows(shaded), 10);

    auto borderless = open(table("<w:tblBorders><w:top w:val=\"none\"/><w:left w:val=\"none\"/>"
                                 "<w:bottom w:val=\"none\"/><w:right w:val=\"none\"/><w:insideH w:val=\"none\"/>"
                                 "<w:insideV w:val=\"none\"/></w:tblBorders>",
                                 3) +
                           "<w:p/>");
    const PageLayout layout(*borderless);
    const QImage plain = picture(layout, 0);
    // Between the two columns, where an inside border would run, nothing is drawn.
    const int x = static_cast<int>(90 + 3000 / 20.0 * 1.25);
    EXPECT_FALSE(inked(plain, QRect(x - 1, static_cast<int>(layout.bodyTop()), 3, 40)));
}

// A row that skips grid columns places its cell in the column after them, at that
// column's width: the text is not squeezed into a sliver.
TEST(PagedTables, GridBeforeRowAndRowHeights) {
    const std::string grid = "<w:tbl><w:tblGrid><w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
                             "<w:tr><w:tc>" + paragraph("one") + "</w:tc><w:tc>" + paragraph("two") + "</w:tc></w:tr>"
                             "<w:tr><w:trPr><w:gridBefore w:val=\"1\"/></w:trPr><w:tc>" +
                             paragraph("A long sentence of several words in the second column") +
                             "</w:tc></w:tr></w:tbl><w:p/>";
    auto doc = open(grid);
    const PageLayout layout(*doc);
    EXPECT_EQ(layout.pages().size(), 1u);
    const auto texts = pageTexts(layout);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(simplified(texts[0]).contains("A long sentence")) << texts[0].toStdString();

    auto tall = open(table({}, 2, "<w:trHeight w:val=\"2000\" w:hRule=\"atLeast\"/>") + "<w:p/>");
    auto exact = open(table({}, 2, "<w:trHeight w:val=\"200\" w:hRule=\"exact\"/>") + "<w:p/>");
    auto natural = open(table({}, 2) + "<w:p/>");
    const qreal naturalHeight = PageLayout(*natural).body().height();
    EXPECT_GT(PageLayout(*tall).body().height(), naturalHeight + 150);
    EXPECT_LT(PageLayout(*exact).body().height(), naturalHeight);
}

TEST(PagedTextBoxes, FloatingTextBoxTextIsOnThePage) {
    const std::string box =
        "<w:p><w:r><w:drawing><wp:anchor xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
        "distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\" simplePos=\"0\" relativeHeight=\"1\" behindDoc=\"0\" "
        "locked=\"0\" layoutInCell=\"1\" allowOverlap=\"1\"><wp:simplePos x=\"0\" y=\"0\"/>"
        "<wp:positionH relativeFrom=\"column\"><wp:posOffset>914400</wp:posOffset></wp:positionH>"
        "<wp:positionV relativeFrom=\"paragraph\"><wp:posOffset>0</wp:posOffset></wp:positionV>"
        "<wp:extent cx=\"2000000\" cy=\"600000\"/><wp:wrapSquare wrapText=\"bothSides\"/><wp:docPr id=\"1\" name=\"b\"/>"
        "<a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
        "<a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
        "<wps:wsp xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:txbx>"
        "<w:txbxContent>" +
        paragraph("Boxed words inside") +
        "</w:txbxContent></wps:txbx><wps:bodyPr/></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing>"
        "</w:r>" +
        run("Around the box") + "</w:p>";
    auto doc = open(box);
    const auto texts = pageTexts(PageLayout(*doc));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(simplified(texts[0]).contains("Boxed words inside")) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains("Around the box"));
    EXPECT_FALSE(texts[0].contains("EDIT IN WORD", Qt::CaseInsensitive));
}

TEST(PaperTextReplace, ReplacingKeepsTheRunsAroundAndTheirFormats) {
    StyledText styled;
    styled.text = "abcdef";
    QTextCharFormat bold, italic, mark;
    bold.setFontWeight(QFont::Bold);
    italic.setFontItalic(true);
    mark.setFontUnderline(true);
    styled.runs = {{0, 3, bold}, {3, 3, italic}};
    PaperText::replace(styled, 2, 4, "XYZW", mark);
    EXPECT_EQ(styled.text, "abXYZWef");
    ASSERT_EQ(styled.runs.size(), 3u);
    EXPECT_EQ(styled.runs[0].length, 2);
    EXPECT_EQ(styled.runs[1].start, 2);
    EXPECT_EQ(styled.runs[1].length, 4);
    EXPECT_TRUE(styled.runs[1].format.fontUnderline());
    EXPECT_EQ(styled.runs[2].start, 6);
    EXPECT_TRUE(styled.runs[2].format.fontItalic());
    PaperText::replace(styled, 6, 100, "", mark);
    EXPECT_EQ(styled.text, "abXYZW");
    EXPECT_EQ(styled.runs.size(), 2u);
}

// Documents made to break the layout: each lays out and exports without a crash or hang.
TEST(PagedBadInput, HostileNotesSectionsTabsAndStyles) {
    std::string many = "<w:p>";
    std::string notes = "<w:footnotes " + std::string(rovuvuz::testing::mainNamespace) + ">";
    for (int i = 1; i <= 10000; ++i) {
        many += "<w:r><w:footnoteReference w:id=\"" + std::to_string(i) + "\"/></w:r>";
        notes += "<w:footnote w:id=\"" + std::to_string(i) + "\">" + paragraph("n") + "</w:footnote>";
    }
    many += "</w:p>";
    notes += "</w:footnotes>";
    std::string longNote = "<w:footnotes " + std::string(rovuvuz::testing::mainNamespace) + "><w:footnote w:id=\"1\">" +
                           lines("Long note line ", 200) + "</w:footnote></w:footnotes>";
    const std::string ref = "<w:p>" + run("x") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>";
    struct Case {
        std::string name, body;
        std::vector<RelatedPart> parts;
    };
    const std::vector<Case> cases = {
        {"10,000 footnotes", many, {{"footnotes", "footnotes.xml", notes}}},
        {"a footnote longer than a page", ref + lines("b", 5), {{"footnotes", "footnotes.xml", longNote}}},
        {"zero and negative page sizes",
         paragraph("a", "<w:sectPr><w:pgSz w:w=\"0\" w:h=\"0\"/></w:sectPr>") +
             paragraph("b", "<w:sectPr><w:pgSz w:w=\"-500\" w:h=\"-9\"/><w:type w:val=\"oddPage\"/></w:sectPr>") +
             paragraph("c") + "<w:sectPr><w:pgSz w:w=\"-1\" w:h=\"0\"/><w:type w:val=\"evenPage\"/></w:sectPr>",
         {}},
        {"a tab stop beyond the margin",
         "<w:p><w:pPr><w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"99999999\"/><w:tab w:val=\"left\" "
         "w:pos=\"-4000\"/></w:tabs></w:pPr>" +
             run("a") + "<w:r><w:tab/></w:r>" + run("b") + "</w:p>",
         {{"settings", "settings.xml", band("settings", "<w:defaultTabStop w:val=\"0\"/>")}}},
        {"a looping table style", table("<w:tblStyle w:val=\"Loop1\"/>", 3), {{"styles", "styles.xml", tableStyles}}},
    };
    for (const Case& c : cases) {
        auto doc = open(c.body, c.parts);
        const PageLayout layout(*doc);
        EXPECT_GE(layout.pages().size(), 1u) << c.name;
        EXPECT_EQ(layout.pages().size(), layout.sheets().size()) << c.name;
        QTemporaryDir folder;
        EXPECT_FALSE(PdfExport::write(layout, folder.filePath("out.pdf"), "t").has_value()) << c.name;
    }
}
