// What pages draw beyond plain lines: tab stops in headers and footers, the underline
// kinds, pictures and text boxes floating at their anchors, sections in columns, and
// emoji. Each document is built in the test; pages are read back as pixels and as the
// exported PDF's text.
#include <gtest/gtest.h>

#include <QRegularExpression>

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
