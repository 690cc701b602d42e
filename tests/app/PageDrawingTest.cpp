// What pages draw beyond plain lines: tab stops in headers and footers, the underline
// kinds, pictures and text boxes floating at their anchors, sections in columns, and
// emoji. Each document is built in the test; pages are read back as pixels and as the
// exported PDF's text.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/PageDrawingSupport.h"

using namespace tovin;
using namespace tovin::pagestest;

namespace {

constexpr const char* relNamespace = " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// Header and footer paragraphs as Word's Header and Footer styles set them: 9-point text,
// a centre stop mid-column and a right stop at the margin of a Letter page.
const std::string bandStops =
    "<w:tabs><w:tab w:val=\"center\" w:pos=\"4680\"/><w:tab w:val=\"right\" w:pos=\"9360\"/></w:tabs>";
const std::string smallText = "<w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/><w:sz w:val=\"18\"/>";

std::string bandsBody() {
    return paragraph(run("Body")) + "<w:sectPr" + std::string(relNamespace) +
           "><w:headerReference w:type=\"default\" r:id=\"rIdP1\"/><w:footerReference w:type=\"default\" "
           "r:id=\"rIdP2\"/><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
           "w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\"/></w:sectPr>";
}

std::string pageField() {
    return "<w:fldSimple w:instr=\" PAGE \">" + run("9", smallText) + "</w:fldSimple>";
}

}  // namespace

// "Tovin", two tabs and "Welcome" in a header is one line, "Welcome" ending at the right
// margin; a footer's tab and "Page N" stand centred. Qt broke the header after its tabs at
// some text sizes, putting "Welcome" on a second line at the left margin.
TEST(PageBandTabs, HeaderRightStopAndCentredFooterStayOnTheirLines) {
    const std::string header =
        paragraph(run("Tovin", smallText) + "<w:r><w:tab/></w:r><w:r><w:tab/></w:r>" + run("Welcome", smallText),
                  bandStops);
    const std::string footer = paragraph("<w:r><w:tab/></w:r>" + run("Page ", smallText) + pageField(), bandStops);
    auto doc = open(bandsBody(), {{"header", "header1.xml", part("hdr", header)},
                                  {"footer", "footer1.xml", part("ftr", footer)}});
    const PageLayout layout(*doc);
    const QImage page = picture(layout, 0);
    const int width = page.width();
    const int margin = 90;  // an inch at 1.25 display points a point

    // The header: one row of text from the left margin to the right one.
    const QRect head = ink(page, QRect(0, 0, width, static_cast<int>(layout.bodyTop()) - 4));
    ASSERT_FALSE(head.isEmpty());
    EXPECT_LT(head.height(), 16) << "the header's text took more than one line";
    EXPECT_NEAR(head.left(), margin, 3);
    EXPECT_NEAR(head.right(), width - margin, 4);

    // The footer: its text centred on the column.
    const int footTop = page.height() - margin;
    const QRect foot = ink(page, QRect(0, footTop, width, margin - 20));
    ASSERT_FALSE(foot.isEmpty());
    EXPECT_NEAR((foot.left() + foot.right()) / 2.0, width / 2.0, 6);

    const auto texts = pageTexts(layout);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].contains(QRegularExpression("Tovin\\s+Welcome"))) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains(QRegularExpression("Page\\s*1\\b"))) << texts[0].toStdString();
}

namespace {

// Runs of consecutive rows, as (first, last).
std::vector<std::pair<int, int>> groups(const std::vector<int>& rows) {
    std::vector<std::pair<int, int>> out;
    for (int row : rows) {
        if (!out.empty() && row == out.back().second + 1)
            out.back().second = row;
        else
            out.emplace_back(row, row);
    }
    return out;
}

// Capitals without descenders, large, each paragraph in one underline kind.
std::string underlined(const std::string& kind) {
    return paragraph(run("HHHHHH", "<w:sz w:val=\"56\"/><w:u w:val=\"" + kind + "\"/>"),
                     "<w:spacing w:before=\"0\" w:after=\"600\"/>");
}

// The ink of a strip through the middle of each paragraph's word: the letters, then each
// line under them.
std::vector<std::vector<std::pair<int, int>>> underlineRows(const QImage& page, int paragraphs) {
    const QRect text = ink(page, QRect(0, 0, page.width(), page.height()));
    const QRect strip(text.left() + 8, text.top(), 12, text.height());
    std::vector<std::vector<std::pair<int, int>>> out;
    auto all = groups(inkedRows(page, strip));
    // Paragraphs stand far apart: a gap of over 20 rows starts the next one.
    std::vector<std::pair<int, int>> current;
    for (const auto& g : all) {
        if (!current.empty() && g.first - current.back().second > 20) {
            out.push_back(current);
            current.clear();
        }
        current.push_back(g);
    }
    if (!current.empty()) out.push_back(current);
    EXPECT_EQ(static_cast<int>(out.size()), paragraphs);
    return out;
}

QImage pdfPage(const PageLayout& layout) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath("out.pdf");
    if (PdfExport::write(layout, pdf, "t")) return {};
    QProcess tool;
    tool.start("pdftoppm", {"-png", "-r", "90", "-f", "1", "-l", "1", "-singlefile", pdf, folder.filePath("page")});
    tool.waitForFinished(60000);
    return QImage(folder.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

// A double underline is two lines under the text, a single one one line, a thick one a
// line heavier than the single, on the drawn page and in the PDF alike.
TEST(PageUnderlines, DoubleSingleAndThickOnPageAndInPdf) {
    auto doc = open(underlined("double") + underlined("single") + underlined("thick") + "<w:sectPr/>");
    const PageLayout layout(*doc);
    for (const QImage& page : {picture(layout, 0), pdfPage(layout)}) {
        ASSERT_FALSE(page.isNull());
        const auto rows = underlineRows(page, 3);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0].size(), 3u) << "double: letters and two lines";
        EXPECT_EQ(rows[1].size(), 2u) << "single: letters and one line";
        ASSERT_EQ(rows[2].size(), 2u) << "thick: letters and one line";
        if (rows[1].size() == 2 && rows[2].size() == 2) {
            const int single = rows[1][1].second - rows[1][1].first + 1;
            const int thick = rows[2][1].second - rows[2][1].first + 1;
            EXPECT_GE(thick, single + 1) << "single " << single << ", thick " << thick;
        }
    }
}
