// What pages draw beyond plain lines: tab stops in headers and footers, the underline
// kinds, pictures and text boxes floating at their anchors, sections in columns, and
// emoji. Each document is built in the test; pages are read back as pixels and as the
// exported PDF's text.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "Tovin/pages/Columns.h"
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

namespace {

const std::string drawingNamespaces =
    " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

std::string emu(double points) {
    return std::to_string(static_cast<long long>(points * 12700));
}

struct Anchor {
    std::string horizontalFrom, verticalFrom;
    double x = 0, y = 0;  // points
    double width = 0, height = 0;
    std::string wrap;  // wrapSquare, wrapTopAndBottom, wrapNone
    bool behind = false;
};

std::string anchor(const Anchor& a, const std::string& graphic) {
    return "<w:r><w:drawing><wp:anchor" + drawingNamespaces +
           " distT=\"0\" distB=\"0\" distL=\"114300\" distR=\"114300\" simplePos=\"0\" relativeHeight=\"1\" "
           "behindDoc=\"" +
           (a.behind ? "1" : "0") +
           "\" locked=\"0\" layoutInCell=\"1\" allowOverlap=\"1\"><wp:simplePos x=\"0\" y=\"0\"/>"
           "<wp:positionH relativeFrom=\"" +
           a.horizontalFrom + "\"><wp:posOffset>" + emu(a.x) + "</wp:posOffset></wp:positionH><wp:positionV relativeFrom=\"" +
           a.verticalFrom + "\"><wp:posOffset>" + emu(a.y) + "</wp:posOffset></wp:positionV><wp:extent cx=\"" +
           emu(a.width) + "\" cy=\"" + emu(a.height) + "\"/><wp:" + a.wrap + "/><wp:docPr id=\"1\" name=\"f\"/>" +
           "<a:graphic>" + graphic + "</a:graphic></wp:anchor></w:drawing></w:r>";
}

std::string textBox(const std::string& paragraphs) {
    return "<a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
           "<wps:wsp xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:spPr>"
           "<a:solidFill><a:srgbClr val=\"FFFFFF\"/></a:solidFill><a:ln w=\"9525\"><a:solidFill>"
           "<a:srgbClr val=\"000000\"/></a:solidFill></a:ln></wps:spPr><wps:txbx>"
           "<w:txbxContent>" +
           paragraphs + "</w:txbxContent></wps:txbx><wps:bodyPr/></wps:wsp></a:graphicData>";
}

std::string pictureGraphic() {
    return "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
           "<pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:blipFill>"
           "<a:blip r:embed=\"rIdP1\"/></pic:blipFill></pic:pic></a:graphicData>";
}

std::string redPng() {
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    return bytes.toStdString();
}

bool reddish(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

QRect redArea(const QImage& image) {
    QRect found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (reddish(image.pixel(x, y))) found = found.united(QRect(x, y, 1, 1));
    return found;
}

std::string words(const std::string& word, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += word + std::to_string(i) + " ";
    return out;
}

const int inch = 90;  // display points

// The longest stretch of dark pixels in a row, as (start, length).
std::pair<int, int> longestDarkRun(const QImage& image, int y) {
    std::pair<int, int> best{0, 0};
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool isDark = x < image.width() && dark(image.pixel(x, y));
        if (isDark && start < 0) start = x;
        if (!isDark && start >= 0) {
            if (x - start > best.second) best = {start, x - start};
            start = -1;
        }
    }
    return best;
}

}  // namespace

// A text box with top-and-bottom wrapping stands at its offset from the margin and the
// paragraph, and the body's lines stand above or below it, never beside or across it.
TEST(PageFloats, TopAndBottomTextBoxAtItsOffsetWithTheTextBelowIt) {
    const Anchor a{"margin", "paragraph", 72, 36, 144, 72, "wrapTopAndBottom"};
    const std::string body = paragraph(run("Anchor line") + anchor(a, textBox(paragraph(run("Boxed words"))))) +
                             paragraph(run(words("following", 120))) + "<w:sectPr/>";
    auto doc = open(body);
    const PageLayout layout(*doc);
    ASSERT_EQ(layout.body().floats().size(), 1u);
    const QImage page = picture(layout, 0);

    // The frame: an inch in from the margin, half an inch below the anchor paragraph's top;
    // its top and bottom edges are the only rows with a dark stretch two inches long.
    const int left = inch + inch, top = static_cast<int>(layout.bodyTop()) + inch / 2;
    std::vector<int> edges;
    for (int y = 0; y < page.height(); ++y) {
        const auto [start, length] = longestDarkRun(page, y);
        if (length >= 2 * inch - 6) {
            edges.push_back(y);
            EXPECT_NEAR(start, left, 3);
        }
    }
    ASSERT_FALSE(edges.empty()) << "no frame drawn";
    EXPECT_NEAR(edges.front(), top, 3);
    EXPECT_NEAR(edges.back(), top + inch, 4);

    // Beside the box, left and right of it, the page shows nothing: the body's lines stand
    // above and below it.
    EXPECT_TRUE(ink(page, QRect(inch, top + 2, left - inch - 6, inch - 4)).isEmpty());
    EXPECT_TRUE(ink(page, QRect(left + 2 * inch + 6, top + 2, page.width() - left - 3 * inch - 6, inch - 4)).isEmpty());
    // The lines below it start right after it.
    EXPECT_FALSE(ink(page, QRect(inch, top + inch + 4, 6 * inch, 30)).isEmpty());

    const auto texts = pageTexts(layout);
    ASSERT_FALSE(texts.empty());
    const QString all = QStringList(texts.begin(), texts.end()).join(' ');
    EXPECT_TRUE(all.contains("Boxed words"));
    EXPECT_TRUE(all.contains("following119")) << "text was lost";
}

// A picture placed on the page with square wrapping: at its offset from the page's edges,
// and the lines beside it end before it.
TEST(PageFloats, SquarePictureAtItsPageOffsetNarrowsTheLinesBesideIt) {
    const Anchor a{"page", "page", 360, 216, 72, 72, "wrapSquare"};
    const std::string body =
        paragraph(run("Start") + anchor(a, pictureGraphic())) + paragraph(run(words("beside", 400))) + "<w:sectPr/>";
    auto doc = open(body, {{"image", "media/red.png", redPng()}});
    const PageLayout layout(*doc);
    const QImage page = picture(layout, 0);
    const QRect red = redArea(page);
    ASSERT_FALSE(red.isEmpty()) << "the picture is not drawn";
    EXPECT_NEAR(red.left(), 5 * inch, 3);
    EXPECT_NEAR(red.top(), 3 * inch, 3);
    EXPECT_NEAR(red.width(), inch, 3);
    EXPECT_NEAR(red.height(), inch, 3);
    // Text runs up to the picture's left but not across it, and goes on below it.
    const QRect beside = red.adjusted(-6, 0, page.width(), 0);
    for (int y = beside.top(); y <= beside.bottom(); ++y)
        for (int x = std::max(beside.left(), 0); x < page.width(); ++x)
            if (!red.contains(x, y)) {
                ASSERT_FALSE(dark(page.pixel(x, y))) << "text beside the picture at " << x << "," << y;
            }
    EXPECT_FALSE(ink(page, QRect(inch, red.top(), red.left() - inch - 12, red.height())).isEmpty());
    const auto texts = pageTexts(layout);
    const QString all = QStringList(texts.begin(), texts.end()).join(' ');
    EXPECT_TRUE(all.contains("beside399")) << "text was lost";
}

namespace {

std::string columnsSection(const std::string& cols) {
    return "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" "
           "w:left=\"1440\" w:header=\"720\" w:footer=\"720\"/>" +
           cols + "</w:sectPr>";
}

std::string numbered(const std::string& word, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += paragraph(run(word + std::to_string(i)));
    return out;
}

// Whether any body row between `top` and `bottom` has ink between x0 and x1.
bool inkBetween(const QImage& page, int x0, int x1, int top, int bottom) {
    return !ink(page, QRect(x0, top, x1 - x0, bottom - top)).isEmpty();
}

}  // namespace

// Two equal columns half an inch apart: the text fills the left column, then the right one,
// and nothing stands in the space between; a page break starts a new page, not a column.
TEST(PageColumns, EqualColumnsFillLeftThenRightAndAPageBreakSkipsTheColumn) {
    const std::string body = numbered("line", 60) + paragraph(run("After break"), "<w:pageBreakBefore/>") +
                             columnsSection("<w:cols w:num=\"2\" w:space=\"720\"/>");
    auto doc = open(body);
    const PageLayout layout(*doc);
    ASSERT_EQ(layout.pages().size(), 2u);
    const QImage page = picture(layout, 0);
    const int top = static_cast<int>(layout.bodyTop()), bottom = top + static_cast<int>(layout.bodyHeight());
    const int column = (6 * inch - inch / 2) / 2;  // 247.5 display points
    EXPECT_TRUE(inkBetween(page, inch, inch + column, top, bottom));
    EXPECT_TRUE(inkBetween(page, inch + column + inch / 2, 7 * inch, top, top + 40)) << "the right column is empty";
    EXPECT_FALSE(inkBetween(page, inch + column + 2, inch + column + inch / 2 - 2, top, bottom));
    const auto texts = pageTexts(layout);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[0].contains("line59"));
    EXPECT_FALSE(texts[0].contains("After break"));
    EXPECT_TRUE(texts[1].contains("After break"));
}

// A column break moves the text after it to the top of the next column; explicit column
// widths put the second column where the first and its space end.
TEST(PageColumns, ColumnBreakAndExplicitWidths) {
    const std::string body =
        paragraph(run("Left") + "<w:r><w:br w:type=\"column\"/></w:r>" + run("Right")) +
        columnsSection("<w:cols w:num=\"2\" w:space=\"720\" w:equalWidth=\"0\"><w:col w:w=\"2880\" w:space=\"720\"/>"
                       "<w:col w:w=\"5760\"/></w:cols>");
    auto doc = open(body);
    const PageLayout layout(*doc);
    ASSERT_EQ(layout.pages().size(), 1u);
    const QImage page = picture(layout, 0);
    const int top = static_cast<int>(layout.bodyTop());
    const int second = inch + (2880 + 720) / 20 * 5 / 4;  // 315
    const QRect right = ink(page, QRect(second - 20, top, 200, 30));
    ASSERT_FALSE(right.isEmpty()) << "nothing at the top of the second column";
    EXPECT_NEAR(right.left(), second, 3);
    const QRect left = ink(page, QRect(inch - 5, top, 100, 30));
    EXPECT_NEAR(left.left(), inch, 3);
    // One line each: the break did not leave "Right" under "Left" in the first column.
    EXPECT_FALSE(inkBetween(page, inch, second - 20, top + 30, top + 200));
    const auto texts = pageTexts(layout);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].contains(QRegularExpression("Left\\s+Right"))) << texts[0].toStdString();
}

// Column geometry whatever the section says: never more columns than fit at the narrowest
// width, each inside the body, and at least one.
TEST(PageColumns, GeometryStaysInsideTheBody) {
    rovuvuz::PageSetup setup;
    struct Case {
        const char* name;
        int columns;
        double space;
        std::vector<rovuvuz::Column> list;
    };
    const std::vector<Case> cases = {
        {"zero columns", 0, 36, {}},
        {"a thousand columns", 1000, 36, {}},
        {"spaces wider than the body", 3, 5000, {}},
        {"widths summing past the page", 2, 36, {{900, 100}, {900, 0}}},
        {"negative and zero widths", 2, 36, {{-50, -10}, {0, 0}}},
    };
    const qreal body = 585;
    for (const Case& c : cases) {
        setup.columns = c.columns;
        setup.columnSpace = c.space;
        setup.columnList = c.list;
        const auto places = Columns::of(setup, body);
        ASSERT_FALSE(places.empty()) << c.name;
        EXPECT_LE(places.size(), static_cast<size_t>(body / Columns::narrowest)) << c.name;
        for (const auto& place : places) {
            EXPECT_GE(place.x, 0) << c.name;
            EXPECT_GE(place.width, std::min<qreal>(Columns::narrowest, body)) << c.name;
            EXPECT_LE(place.x + place.width, body + 0.01) << c.name;
        }
    }
}

// Floats and columns built to break the layout: each document lays out, draws and exports,
// and keeps its text.
TEST(PageDrawingBadInput, HostileFloatsAndColumns) {
    const std::string box = textBox(paragraph(run("Boxed")));
    struct Case {
        const char* name;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"a float a mile off the page",
         paragraph(run("Text") + anchor({"page", "page", 1e7, 1e7, 72, 72, "wrapTopAndBottom"}, box)) + "<w:sectPr/>"},
        {"a float far above and left of it",
         paragraph(run("Text") + anchor({"margin", "paragraph", -1e7, -1e7, 72, 72, "wrapSquare"}, box)) +
             "<w:sectPr/>"},
        {"a float larger than the page",
         paragraph(run("Text") + anchor({"column", "paragraph", 0, 0, 1e6, 1e6, "wrapTopAndBottom"}, box)) +
             numbered("more", 5) + "<w:sectPr/>"},
        {"a float wider than the column with square wrapping",
         paragraph(run("Text") + anchor({"column", "paragraph", 0, 0, 2000, 50, "wrapSquare"}, box)) +
             numbered("more", 5) + "<w:sectPr/>"},
        {"many floats", [&] {
             std::string floats;
             for (int i = 0; i < 200; ++i)
                 floats += anchor({"column", "paragraph", double(i % 7) * 40, double(i % 5) * 30, 40, 20,
                                   i % 2 ? "wrapSquare" : "wrapTopAndBottom"},
                                  box);
             return paragraph(run("Text") + floats) + "<w:sectPr/>";
         }()},
        {"zero columns", numbered("Text", 3) + columnsSection("<w:cols w:num=\"0\"/>")},
        {"a thousand columns", numbered("Text", 3) + columnsSection("<w:cols w:num=\"1000\" w:space=\"0\"/>")},
        {"columns wider than the page",
         numbered("Text", 3) + columnsSection("<w:cols w:num=\"2\" w:equalWidth=\"0\"><w:col w:w=\"99999\" "
                                              "w:space=\"99999\"/><w:col w:w=\"99999\"/></w:cols>")},
        {"column breaks only", paragraph(run(std::string(50, 'x')) + [] {
             std::string breaks;
             for (int i = 0; i < 300; ++i) breaks += "<w:r><w:br w:type=\"column\"/></w:r>";
             return breaks;
         }()) + columnsSection("<w:cols w:num=\"3\"/>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = open(c.body);
        const PageLayout layout(*doc);
        ASSERT_FALSE(layout.pages().empty());
        EXPECT_LT(layout.pages().size(), 400u);
        for (int p = 0; p < static_cast<int>(layout.pages().size()) && p < 3; ++p) picture(layout, p);
        const auto texts = pageTexts(layout);
        ASSERT_FALSE(texts.empty()) << "no PDF";
        EXPECT_TRUE(QStringList(texts.begin(), texts.end()).join(' ').contains(QRegularExpression("Text|xxx")));
    }
}

// An emoji the text's font lacks still prints: PDF readers draw nothing for the colour
// emoji font's glyphs, so pages take it from a monochrome emoji font. The rocket came from
// the colour font and vanished from the PDF.
TEST(PageEmoji, EmojiInkInTheExportedPdf) {
    auto doc = open(paragraph(run("\xF0\x9F\x9A\x80", "<w:sz w:val=\"96\"/>")) + "<w:sectPr/>");
    const PageLayout layout(*doc);
    const QImage onPage = picture(layout, 0);
    EXPECT_FALSE(ink(onPage, QRect(0, 0, onPage.width(), onPage.height())).isEmpty()) << "nothing on the page";
    const QImage printed = pdfPage(layout);
    ASSERT_FALSE(printed.isNull());
    const QRect drawn = ink(printed, QRect(0, 0, printed.width(), printed.height()));
    EXPECT_GT(drawn.width(), 20) << "the emoji vanished from the PDF";
    // Nor does the PDF carry the colour font at all.
    QTemporaryDir folder;
    const QString pdf = folder.filePath("out.pdf");
    ASSERT_FALSE(PdfExport::write(layout, pdf, "t"));
    QProcess fonts;
    fonts.start("pdffonts", {pdf});
    fonts.waitForFinished(60000);
    const QString list = QString::fromUtf8(fonts.readAllStandardOutput());
    EXPECT_FALSE(list.contains("ColorEmoji", Qt::CaseInsensitive)) << list.toStdString();
}
