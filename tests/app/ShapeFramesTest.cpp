// Shapes, text boxes, SmartArt graphics and charts on pages: a box drawn in its own fill and
// outline (or none), its text inside its insets, a box that fits itself to its text, shapes
// without text, a SmartArt graphic's and a chart's text in the exported PDF, and graphics
// whose parts are missing or broken. Each document is built in the test.
#include <gtest/gtest.h>

#include "app/PageDrawingSupport.h"

using namespace tovin;
using namespace tovin::pagestest;

namespace {

const std::string drawingNamespaces =
    " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
    " xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

constexpr int inch = 90;  // display points

std::string emu(double points) {
    return std::to_string(static_cast<long long>(points * 12700));
}

// A shape floating in front of the text at an offset from the page, points.
std::string floating(double x, double y, double width, double height, const std::string& shape) {
    return "<w:r><w:drawing><wp:anchor" + drawingNamespaces +
           " behindDoc=\"0\" relativeHeight=\"1\"><wp:simplePos x=\"0\" y=\"0\"/><wp:positionH relativeFrom=\"page\">"
           "<wp:posOffset>" + emu(x) + "</wp:posOffset></wp:positionH><wp:positionV relativeFrom=\"page\">"
           "<wp:posOffset>" + emu(y) + "</wp:posOffset></wp:positionV><wp:extent cx=\"" + emu(width) + "\" cy=\"" +
           emu(height) + "\"/><wp:wrapNone/><wp:docPr id=\"1\" name=\"s\"/><a:graphic><a:graphicData "
           "uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">" + shape +
           "</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
}

std::string inlineGraphic(const std::string& uri, const std::string& inside, double width = 288, double height = 144) {
    return "<w:r><w:drawing><wp:inline" + drawingNamespaces + "><wp:extent cx=\"" + emu(width) + "\" cy=\"" +
           emu(height) + "\"/><wp:docPr id=\"2\" name=\"g\"/><a:graphic><a:graphicData uri=\"" + uri + "\">" +
           inside + "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
}

std::string shape(const std::string& spPr, const std::string& text, const std::string& bodyPr = "<wps:bodyPr/>") {
    const std::string box =
        text.empty() ? "" : "<wps:txbx><w:txbxContent>" + paragraph(run(text)) + "</w:txbxContent></wps:txbx>";
    return "<wps:wsp><wps:spPr>" + spPr + "</wps:spPr>" + box + bodyPr + "</wps:wsp>";
}

const std::string blackLine = "<a:ln w=\"12700\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></a:ln>";

bool near(QRgb pixel, QColor color) {
    return std::abs(qRed(pixel) - color.red()) < 40 && std::abs(qGreen(pixel) - color.green()) < 40 &&
           std::abs(qBlue(pixel) - color.blue()) < 40;
}

// The smallest rectangle holding every pixel of that colour.
QRect area(const QImage& image, QColor color) {
    QRect found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixel(x, y), color)) found = found.united(QRect(x, y, 1, 1));
    return found;
}

// Whether a dark pixel stands within a pixel of `at` (a line drawn on a pixel's edge).
bool darkNear(const QImage& image, QPoint at) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(at + QPoint(dx, dy)) && dark(image.pixel(at + QPoint(dx, dy)))) return true;
    return false;
}

QString allText(const PageLayout& layout) {
    const auto texts = pageTexts(layout);
    return QStringList(texts.begin(), texts.end()).join(' ');
}

constexpr const char* diagramUri = "http://schemas.openxmlformats.org/drawingml/2006/diagram";
constexpr const char* chartUri = "http://schemas.openxmlformats.org/drawingml/2006/chart";

std::string diagramData(const std::string& extension) {
    return "<dgm:dataModel xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" "
           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><dgm:ptLst>"
           "<dgm:pt modelId=\"1\"><dgm:t><a:p><a:r><a:t>Gather</a:t></a:r></a:p></dgm:t></dgm:pt>"
           "<dgm:pt modelId=\"2\"><dgm:t><a:p><a:r><a:t>Sift</a:t></a:r></a:p></dgm:t></dgm:pt></dgm:ptLst>"
           "<dgm:extLst><a:ext uri=\"x\"><dsp:dataModelExt xmlns:dsp=\"http://schemas.microsoft.com/office/drawing/"
           "2008/diagram\" relId=\"" + extension + "\"/></a:ext></dgm:extLst></dgm:dataModel>";
}

std::string diagramShape(double x, const std::string& text) {
    return "<dsp:sp><dsp:spPr><a:xfrm><a:off x=\"" + emu(x) + "\" y=\"0\"/><a:ext cx=\"" + emu(90) + "\" cy=\"" +
           emu(60) + "\"/></a:xfrm><a:prstGeom prst=\"roundRect\"/><a:solidFill><a:srgbClr val=\"0000FF\"/>"
           "</a:solidFill></dsp:spPr><dsp:txBody><a:bodyPr anchor=\"ctr\"/><a:p><a:pPr algn=\"ctr\"/><a:r>"
           "<a:rPr sz=\"1400\"/><a:t>" + text + "</a:t></a:r></a:p></dsp:txBody></dsp:sp>";
}

const std::string diagramFrame = "<dgm:relIds xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" "
                                 "r:dm=\"rIdP1\" r:lo=\"rIdX\" r:qs=\"rIdX\" r:cs=\"rIdX\"/>";

}  // namespace

// A text box filled red without an outline: red inside its frame up to its edges, no dark
// border, and its text on it; one with a black outline and no fill shows the page through.
TEST(ShapeFramesOnPages, TextBoxInItsOwnFillAndOutline) {
    const std::string red = shape("<a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:ln><a:noFill/></a:ln>",
                                  "Inside red");
    const std::string outlined = shape("<a:noFill/>" + blackLine, "Inside outline");
    auto doc = open(paragraph(run("Anchor") + floating(144, 216, 144, 72, red) + floating(144, 432, 144, 72, outlined)) +
                    "<w:sectPr/>");
    const PageLayout layout(*doc);
    const QImage page = picture(layout, 0);

    const QRect filled = area(page, Qt::red);
    ASSERT_FALSE(filled.isEmpty()) << "the red fill is not drawn";
    EXPECT_NEAR(filled.left(), 2 * inch, 3);
    EXPECT_NEAR(filled.top(), 3 * inch, 3);
    EXPECT_NEAR(filled.width(), 2 * inch, 3);
    EXPECT_NEAR(filled.height(), inch, 3);
    // No outline: the pixels just inside its edges are red, not dark.
    for (const QPoint at : {QPoint(filled.left(), filled.center().y()), QPoint(filled.center().x(), filled.top()),
                            QPoint(filled.right(), filled.center().y()), QPoint(filled.center().x(), filled.bottom())})
        EXPECT_TRUE(near(page.pixel(at), Qt::red)) << at.x() << "," << at.y();
    // Its text is drawn on the red (black, not red), within the insets (0.1" from the left).
    QRect text;
    for (int y = filled.top(); y <= filled.bottom(); ++y)
        for (int x = filled.left(); x <= filled.right(); ++x)
            if (qRed(page.pixel(x, y)) < 100) text = text.united(QRect(x, y, 1, 1));
    ASSERT_FALSE(text.isEmpty()) << "no text in the red box";
    EXPECT_NEAR(text.left(), filled.left() + 9, 4);

    // The outlined box: dark edges, the page's white inside.
    const QRect frame(2 * inch, 6 * inch, 2 * inch, inch);
    EXPECT_TRUE(darkNear(page, QPoint(frame.left(), frame.center().y())));
    EXPECT_TRUE(darkNear(page, QPoint(frame.center().x(), frame.top())));
    EXPECT_TRUE(near(page.pixel(frame.right() - 10, frame.bottom() - 10), Qt::white));

    const QString all = allText(layout);
    EXPECT_TRUE(all.contains("Inside red"));
    EXPECT_TRUE(all.contains("Inside outline"));
}

// A box with spAutoFit takes its text's height, shrinking from its extent; one without
// keeps its extent; a text anchored at the bottom stands at the bottom of its box.
TEST(ShapeFramesOnPages, AutofitBoxShrinksToItsTextAndAnchorsPlaceIt) {
    const std::string fitted = shape(blackLine, "Fits", "<wps:bodyPr><a:spAutoFit/></wps:bodyPr>");
    const std::string fixed = shape(blackLine, "Stays", "<wps:bodyPr anchor=\"b\"/>");
    auto doc = open(paragraph(run("Anchor") + floating(72, 144, 144, 216, fitted) + floating(288, 144, 144, 216, fixed)) +
                    "<w:sectPr/>");
    const PageLayout layout(*doc);
    const auto& floats = layout.body().floats();
    ASSERT_EQ(floats.size(), 2u);
    // Told apart by where they stand: the fitted one an inch from the page's left edge.
    const bool fittedFirst = floats[0].box.left() < floats[1].box.left();
    const QRectF fittedBox = floats[fittedFirst ? 0 : 1].box;
    const QRectF fixedBox = floats[fittedFirst ? 1 : 0].box;
    // One line of 11-point text and the default insets (0.05" above and below).
    EXPECT_LT(fittedBox.height(), 0.5 * inch);
    EXPECT_GT(fittedBox.height(), 0.15 * inch);
    EXPECT_NEAR(fixedBox.height(), 3 * inch, 1);

    const QImage page = picture(layout, 0);
    // The fitted box's bottom edge is drawn where it now ends; below it the page is empty.
    const QRect fittedInk = ink(page, QRect(inch - 4, 2 * inch - 4, 2 * inch + 8, 3 * inch + 8));
    EXPECT_NEAR(fittedInk.bottom(), 2 * inch + fittedBox.height(), 4);
    // The bottom-anchored text sits in the lower part of its box.
    const QRect fixedText = ink(page, QRect(4 * inch + 4, 2 * inch + 4, 2 * inch - 8, 3 * inch - 8));
    ASSERT_FALSE(fixedText.isEmpty());
    EXPECT_GT(fixedText.top(), 4 * inch);
}

// Shapes without text are drawn: a blue ellipse floating, a green rectangle inline.
TEST(ShapeFramesOnPages, ShapesWithoutText) {
    const std::string ellipse =
        shape("<a:prstGeom prst=\"ellipse\"/><a:solidFill><a:srgbClr val=\"0000FF\"/></a:solidFill>", "");
    const std::string rect = inlineGraphic("http://schemas.microsoft.com/office/word/2010/wordprocessingShape",
                                           shape("<a:solidFill><a:srgbClr val=\"00C000\"/></a:solidFill>", ""), 72, 36);
    auto doc = open(paragraph(run("Before ") + rect + run(" after") + floating(360, 360, 72, 72, ellipse)) + "<w:sectPr/>");
    const PageLayout layout(*doc);
    const QImage page = picture(layout, 0);
    const QRect blue = area(page, Qt::blue);
    ASSERT_FALSE(blue.isEmpty()) << "the ellipse is not drawn";
    EXPECT_NEAR(blue.left(), 5 * inch, 3);
    EXPECT_NEAR(blue.width(), inch, 3);
    // An ellipse: its bounding box's corners show the page.
    EXPECT_FALSE(near(page.pixel(blue.topLeft() + QPoint(2, 2)), Qt::blue));
    const QRect green = area(page, QColor(0, 0xC0, 0));
    ASSERT_FALSE(green.isEmpty()) << "the inline rectangle is not drawn";
    EXPECT_NEAR(green.width(), inch, 3);
    EXPECT_NEAR(green.height(), inch / 2, 3);
    const QString all = allText(layout);
    EXPECT_TRUE(all.contains("Before")) << all.toStdString();
    EXPECT_TRUE(all.contains("after"));
}

// A SmartArt graphic's shapes with their text from its drawing part, or its points' texts
// when it has none; a chart's title, series and categories from its cached values.
TEST(ShapeFramesOnPages, SmartArtAndChartTextInThePdf) {
    const std::string drawing =
        "<dsp:drawing xmlns:dsp=\"http://schemas.microsoft.com/office/drawing/2008/diagram\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><dsp:spTree>" +
        diagramShape(0, "Collect") + diagramShape(120, "Review") + "</dsp:spTree></dsp:drawing>";
    auto drawn = open(paragraph(inlineGraphic(diagramUri, diagramFrame)) + "<w:sectPr/>",
                      {{"diagramData", "diagrams/data1.xml", diagramData("rIdP2")},
                       {"diagramDrawing", "diagrams/drawing1.xml", drawing}});
    const PageLayout diagramPages(*drawn);
    const QString diagramText = allText(diagramPages);
    EXPECT_TRUE(diagramText.contains("Collect")) << diagramText.toStdString();
    EXPECT_TRUE(diagramText.contains("Review"));
    EXPECT_FALSE(diagramText.contains("Gather"));  // the drawing part, not the points
    const QRect blue = area(picture(diagramPages, 0), Qt::blue);
    EXPECT_NEAR(blue.width(), (120 + 90) * 1.25, 4);

    auto points = open(paragraph(inlineGraphic(diagramUri, diagramFrame)) + "<w:sectPr/>",
                       {{"diagramData", "diagrams/data1.xml", diagramData("rIdNone")}});
    const QString pointText = allText(PageLayout(*points));
    EXPECT_TRUE(pointText.contains("Gather")) << pointText.toStdString();
    EXPECT_TRUE(pointText.contains("Sift"));

    const std::string chart =
        "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart><c:title><c:tx><c:rich><a:p>"
        "<a:r><a:t>Quarterly Harvest</a:t></a:r></a:p></c:rich></c:tx></c:title><c:plotArea><c:barChart>"
        "<c:barDir val=\"col\"/><c:ser><c:tx><c:strRef><c:strCache><c:pt idx=\"0\"><c:v>Apples</c:v></c:pt>"
        "</c:strCache></c:strRef></c:tx><c:cat><c:strRef><c:strCache><c:pt idx=\"0\"><c:v>Spring</c:v></c:pt>"
        "<c:pt idx=\"1\"><c:v>Autumn</c:v></c:pt></c:strCache></c:strRef></c:cat><c:val><c:numRef><c:numCache>"
        "<c:pt idx=\"0\"><c:v>3</c:v></c:pt><c:pt idx=\"1\"><c:v>7</c:v></c:pt></c:numCache></c:numRef></c:val>"
        "</c:ser></c:barChart></c:plotArea></c:chart></c:chartSpace>";
    auto charted = open(paragraph(inlineGraphic(chartUri, "<c:chart xmlns:c=\"http://schemas.openxmlformats.org/"
                                                          "drawingml/2006/chart\" r:id=\"rIdP1\"/>")) +
                            "<w:sectPr/>",
                        {{"chart", "charts/chart1.xml", chart}});
    const PageLayout chartPages(*charted);
    const QString chartText = allText(chartPages);
    EXPECT_TRUE(chartText.contains("Quarterly Harvest")) << chartText.toStdString();
    EXPECT_TRUE(chartText.contains("Apples"));
    EXPECT_TRUE(chartText.contains("Spring"));
    EXPECT_TRUE(chartText.contains("Autumn"));
    EXPECT_FALSE(chartText.contains("Edit in Word", Qt::CaseInsensitive));
}

// Graphics whose relationships lead nowhere or whose parts do not parse: the frame is left
// empty, the text around it stays, and drawing and exporting go through.
TEST(ShapeFramesOnPages, BrokenGraphicsDrawEmptyFrames) {
    const std::vector<std::pair<std::string, std::vector<rovuvuz::testing::RelatedPart>>> cases = {
        {inlineGraphic(chartUri, "<c:chart r:id=\"rIdGone\"/>"), {}},
        {inlineGraphic(chartUri, "<c:chart r:id=\"rIdP1\"/>"), {{"chart", "charts/chart1.xml", "<c:chartSpace>"}}},
        {inlineGraphic(diagramUri, diagramFrame), {{"diagramData", "diagrams/data1.xml", "<<<"}}},
        {inlineGraphic(diagramUri, "<dgm:relIds r:dm=\"rIdNowhere\"/>", 1e7, 1e7), {}},
    };
    for (const auto& [graphic, parts] : cases) {
        SCOPED_TRACE(graphic);
        auto doc = open(paragraph(run("Left ") + graphic + run(" right")) + "<w:sectPr/>", parts);
        const PageLayout layout(*doc);
        ASSERT_FALSE(layout.pages().empty());
        picture(layout, 0);
        const QString all = allText(layout);
        EXPECT_TRUE(all.contains("Left")) << all.toStdString();
        EXPECT_TRUE(all.contains("right"));
    }
}
