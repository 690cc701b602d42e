// What a drawing's snapshot says about how it looks: shapes' outlines, fills and text
// frames from DrawingML and VML (theme colours resolved), SmartArt graphics from their
// drawing or data parts, charts from their cached values, and graphics whose parts are
// missing, broken or huge.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::RelatedPart;

namespace {

const ParagraphSnapshot& firstParagraph(const StorySnapshot& snapshot) {
    return std::get<ParagraphSnapshot>(snapshot.blocks.at(0).value);
}

StorySnapshot snapshotOf(std::string_view paragraphXml, const std::vector<RelatedPart>& parts = {}) {
    DocxDocument document(rovuvuz::testing::packageWith(paragraphXml, parts));
    return document.snapshot(StoryID::body());
}

std::string anchored(std::string_view graphic, std::string_view extent = "cx=\"1270000\" cy=\"635000\"") {
    return "<w:p><w:r><w:drawing><wp:anchor behindDoc=\"0\"><wp:positionH relativeFrom=\"column\">"
           "<wp:posOffset>0</wp:posOffset></wp:positionH><wp:positionV relativeFrom=\"paragraph\">"
           "<wp:posOffset>0</wp:posOffset></wp:positionV><wp:extent " +
           std::string(extent) + "/><wp:wrapNone/><a:graphic><a:graphicData uri=\"http://schemas.microsoft.com/"
           "office/word/2010/wordprocessingShape\">" + std::string(graphic) +
           "</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r></w:p>";
}

std::string inlineFrame(std::string_view uri, std::string_view inside) {
    return "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"2540000\" cy=\"1270000\"/><a:graphic>"
           "<a:graphicData uri=\"" + std::string(uri) + "\">" + std::string(inside) +
           "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>";
}

constexpr std::string_view diagramUri = "http://schemas.openxmlformats.org/drawingml/2006/diagram";
constexpr std::string_view chartUri = "http://schemas.openxmlformats.org/drawingml/2006/chart";

const std::string theme =
    "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
    "<a:clrScheme name=\"t\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1>"
    "<a:lt1><a:sysClr val=\"window\" lastClr=\"FFFFFF\"/></a:lt1><a:accent1><a:srgbClr val=\"4080C0\"/></a:accent1>"
    "<a:accent2><a:srgbClr val=\"123456\"/></a:accent2></a:clrScheme></a:themeElements></a:theme>";

}  // namespace

TEST(ShapeLooks, DrawingMLFillOutlineGeometryAndTextFrame) {
    const StorySnapshot snapshot = snapshotOf(anchored(
        "<wps:wsp><wps:spPr><a:prstGeom prst=\"ellipse\"/><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill>"
        "<a:ln w=\"25400\"><a:noFill/></a:ln></wps:spPr><wps:txbx><w:txbxContent><w:p><w:r><w:t>Red</w:t></w:r>"
        "</w:p></w:txbxContent></wps:txbx><wps:bodyPr lIns=\"0\" tIns=\"12700\" rIns=\"25400\" anchor=\"ctr\">"
        "<a:spAutoFit/></wps:bodyPr></wps:wsp>"));
    const DrawingSnapshot& box = firstParagraph(snapshot).drawings.at(0);
    ASSERT_TRUE(box.look);
    EXPECT_EQ(box.look->geometry, "ellipse");
    EXPECT_EQ(box.look->fill, "FF0000");
    EXPECT_EQ(box.look->line, std::nullopt);
    EXPECT_EQ(box.look->lineWidth, 2);
    EXPECT_EQ(box.textFrame.left, 0);
    EXPECT_EQ(box.textFrame.top, 1);
    EXPECT_EQ(box.textFrame.right, 2);
    EXPECT_EQ(box.textFrame.bottom, 3.6);  // not stated: the default
    EXPECT_TRUE(box.textFrame.autoFit);
    EXPECT_EQ(box.textFrame.anchor, TextFrame::Anchor::center);
    EXPECT_EQ(box.blocks.size(), 1u);
}

// Without fill and line of its own a shape takes its style's, in the theme's colours with
// their changes; a shape that says nothing has neither.
TEST(ShapeLooks, StyleReferencesResolveThroughTheTheme) {
    const std::string styled =
        "<wps:wsp><wps:spPr><a:prstGeom prst=\"roundRect\"/></wps:spPr><wps:style>"
        "<a:lnRef idx=\"2\"><a:schemeClr val=\"accent1\"><a:shade val=\"50000\"/></a:schemeClr></a:lnRef>"
        "<a:fillRef idx=\"1\"><a:schemeClr val=\"accent2\"/></a:fillRef></wps:style><wps:bodyPr/></wps:wsp>";
    const StorySnapshot themed = snapshotOf(anchored(styled), {{"theme", "theme/theme1.xml", theme}});
    const DrawingSnapshot& shape = firstParagraph(themed).drawings.at(0);
    ASSERT_TRUE(shape.look);
    EXPECT_EQ(shape.look->geometry, "roundRect");
    EXPECT_EQ(shape.look->fill, "123456");
    EXPECT_EQ(shape.look->line, "204060");
    EXPECT_GT(shape.look->lineWidth, 0);

    // No theme part: Office's colours; an idx of 0 means none.
    const StorySnapshot plain = snapshotOf(anchored(
        "<wps:wsp><wps:spPr/><wps:style><a:lnRef idx=\"0\"><a:schemeClr val=\"accent1\"/></a:lnRef>"
        "<a:fillRef idx=\"1\"><a:schemeClr val=\"accent1\"/></a:fillRef></wps:style><wps:bodyPr/></wps:wsp>"));
    const DrawingSnapshot& office = firstParagraph(plain).drawings.at(0);
    ASSERT_TRUE(office.look);
    EXPECT_EQ(office.look->fill, "4F81BD");
    EXPECT_EQ(office.look->line, std::nullopt);

    const StorySnapshot bare = snapshotOf(anchored("<wps:wsp><wps:spPr/><wps:bodyPr/></wps:wsp>"));
    const DrawingSnapshot& nothing = firstParagraph(bare).drawings.at(0);
    ASSERT_TRUE(nothing.look);
    EXPECT_EQ(nothing.look->fill, std::nullopt);
    EXPECT_EQ(nothing.look->line, std::nullopt);
}

TEST(ShapeLooks, VmlStrokeFillAndTextBox) {
    const StorySnapshot snapshot = snapshotOf(
        "<w:p><w:r><w:pict><v:rect style=\"position:absolute;width:100pt;height:50pt\" strokecolor=\"#00FF00 [3204]\" "
        "strokeweight=\"2pt\" fillcolor=\"yellow\"><v:textbox inset=\"0,1pt,,0\" style=\"mso-fit-shape-to-text:t\">"
        "<w:txbxContent><w:p><w:r><w:t>Old</w:t></w:r></w:p></w:txbxContent></v:textbox></v:rect></w:pict></w:r>"
        "<w:r><w:pict><v:oval style=\"position:absolute;width:10pt;height:10pt\" stroked=\"f\" filled=\"f\"/>"
        "</w:pict></w:r><w:r><w:pict><v:roundrect style=\"position:absolute;width:10pt;height:10pt\">"
        "<v:stroke on=\"false\"/><v:fill color=\"#0000ff\"/></v:roundrect></w:pict></w:r></w:p>");
    const auto& drawings = firstParagraph(snapshot).drawings;
    ASSERT_EQ(drawings.size(), 3u);
    ASSERT_TRUE(drawings[0].look);
    EXPECT_EQ(drawings[0].look->line, "00FF00");
    EXPECT_EQ(drawings[0].look->lineWidth, 2);
    EXPECT_EQ(drawings[0].look->fill, "FFFF00");
    EXPECT_EQ(drawings[0].textFrame.left, 0);
    EXPECT_EQ(drawings[0].textFrame.top, 1);
    EXPECT_EQ(drawings[0].textFrame.right, 7.2);
    EXPECT_TRUE(drawings[0].textFrame.autoFit);
    ASSERT_TRUE(drawings[1].look);
    EXPECT_EQ(drawings[1].look->geometry, "ellipse");
    EXPECT_EQ(drawings[1].look->line, std::nullopt);
    EXPECT_EQ(drawings[1].look->fill, std::nullopt);
    ASSERT_TRUE(drawings[2].look);
    EXPECT_EQ(drawings[2].look->geometry, "roundRect");
    EXPECT_EQ(drawings[2].look->line, std::nullopt);
    EXPECT_EQ(drawings[2].look->fill, "0000FF");
}

// An inline shape without text is listed so that pages can draw it; an inline picture is
// not.
TEST(ShapeLooks, InlineShapesWithoutText) {
    const StorySnapshot snapshot = snapshotOf(
        "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"127000\" cy=\"0\"/><a:graphic><a:graphicData><wps:wsp>"
        "<wps:spPr><a:prstGeom prst=\"line\"/><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:ln>"
        "<a:solidFill><a:srgbClr val=\"0000FF\"/></a:solidFill></a:ln></wps:spPr><wps:bodyPr/></wps:wsp>"
        "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r><w:r><w:drawing><wp:inline>"
        "<wp:extent cx=\"12700\" cy=\"12700\"/><a:graphic><a:graphicData><pic:pic><pic:blipFill>"
        "<a:blip r:embed=\"rId9\"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing>"
        "</w:r></w:p>");
    const auto& drawings = firstParagraph(snapshot).drawings;
    ASSERT_EQ(drawings.size(), 1u);
    EXPECT_FALSE(drawings[0].floating);
    EXPECT_EQ(drawings[0].width, 10);
    ASSERT_TRUE(drawings[0].look);
    EXPECT_EQ(drawings[0].look->geometry, "line");
    EXPECT_EQ(drawings[0].look->fill, std::nullopt);  // a line is never filled
    EXPECT_EQ(drawings[0].look->line, "0000FF");
}

namespace {

std::string diagramData(std::string_view extension) {
    return "<dgm:dataModel xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" "
           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><dgm:ptLst>"
           "<dgm:pt modelId=\"0\" type=\"doc\"><dgm:t><a:p><a:r><a:t>whole</a:t></a:r></a:p></dgm:t></dgm:pt>"
           "<dgm:pt modelId=\"1\"><dgm:t><a:p><a:r><a:t>first</a:t></a:r></a:p></dgm:t></dgm:pt>"
           "<dgm:pt modelId=\"2\" type=\"node\"><dgm:t><a:p><a:r><a:t>sec</a:t></a:r><a:r><a:t>ond</a:t></a:r>"
           "</a:p></dgm:t></dgm:pt><dgm:pt modelId=\"3\" type=\"parTrans\"><dgm:t><a:p><a:r><a:t>hidden</a:t>"
           "</a:r></a:p></dgm:t></dgm:pt></dgm:ptLst><dgm:extLst><a:ext uri=\"x\"><dsp:dataModelExt "
           "xmlns:dsp=\"http://schemas.microsoft.com/office/drawing/2008/diagram\" relId=\"" +
           std::string(extension) + "\"/></a:ext></dgm:extLst></dgm:dataModel>";
}

std::string diagramShape(int x, std::string_view text) {
    return "<dsp:sp><dsp:spPr><a:xfrm><a:off x=\"" + std::to_string(x) + "\" y=\"12700\"/><a:ext cx=\"254000\" "
           "cy=\"127000\"/></a:xfrm><a:prstGeom prst=\"roundRect\"/><a:solidFill><a:schemeClr val=\"accent1\"/>"
           "</a:solidFill></dsp:spPr><dsp:style><a:lnRef idx=\"0\"/><a:fillRef idx=\"1\"/><a:fontRef idx=\"minor\">"
           "<a:schemeClr val=\"lt1\"/></a:fontRef></dsp:style><dsp:txBody><a:bodyPr anchor=\"ctr\"/><a:p><a:pPr "
           "algn=\"ctr\"/><a:r><a:rPr sz=\"1800\" b=\"1\"/><a:t>" + std::string(text) + "</a:t></a:r></a:p>"
           "</dsp:txBody></dsp:sp>";
}

std::string diagramDrawing(std::string_view shapes) {
    return "<dsp:drawing xmlns:dsp=\"http://schemas.microsoft.com/office/drawing/2008/diagram\" "
           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><dsp:spTree><dsp:grpSpPr/>" +
           std::string(shapes) + "</dsp:spTree></dsp:drawing>";
}

const std::string diagramFrame = "<dgm:relIds xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" "
                                 "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                                 "r:dm=\"rIdP1\" r:lo=\"rIdX\" r:qs=\"rIdX\" r:cs=\"rIdX\"/>";

}  // namespace

TEST(DrawingGraphics, SmartArtFromItsDrawingPartOrItsPoints) {
    const StorySnapshot drawn = snapshotOf(
        inlineFrame(diagramUri, diagramFrame),
        {{"diagramData", "diagrams/data1.xml", diagramData("rIdP2")},
         {"diagramDrawing", "diagrams/drawing1.xml", diagramDrawing(diagramShape(0, "alpha") + diagramShape(508000, "beta"))}});
    const auto& drawings = firstParagraph(drawn).drawings;
    ASSERT_EQ(drawings.size(), 1u);
    const DrawingGraphic& graphic = drawings[0].graphic;
    EXPECT_EQ(graphic.kind, DrawingGraphic::Kind::diagram);
    EXPECT_FALSE(drawings[0].image);
    ASSERT_EQ(graphic.shapes.size(), 2u);
    EXPECT_EQ(graphic.shapes[1].x, 40);
    EXPECT_EQ(graphic.shapes[1].y, 1);
    EXPECT_EQ(graphic.shapes[1].width, 20);
    EXPECT_EQ(graphic.shapes[1].height, 10);
    EXPECT_EQ(graphic.shapes[1].look.geometry, "roundRect");
    EXPECT_EQ(graphic.shapes[1].look.fill, "4F81BD");
    EXPECT_EQ(graphic.shapes[1].frame.anchor, TextFrame::Anchor::center);
    ASSERT_EQ(graphic.shapes[1].paragraphs.size(), 1u);
    const GraphicParagraph& text = graphic.shapes[1].paragraphs[0];
    EXPECT_EQ(text.text, "beta");
    EXPECT_EQ(text.size, 18);
    EXPECT_TRUE(text.bold);
    EXPECT_EQ(text.color, "FFFFFF");  // the style's font colour, lt1
    EXPECT_EQ(text.align, GraphicParagraph::Align::center);

    // No drawing part: the texts of the data part's nodes, in order.
    const StorySnapshot points =
        snapshotOf(inlineFrame(diagramUri, diagramFrame), {{"diagramData", "diagrams/data1.xml", diagramData("rIdNone")}});
    const DrawingGraphic& lines = firstParagraph(points).drawings.at(0).graphic;
    EXPECT_TRUE(lines.shapes.empty());
    EXPECT_EQ(lines.lines, (std::vector<std::string>{"first", "second"}));
}

TEST(DrawingGraphics, ChartFromItsCachedValues) {
    const std::string chart =
        "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart><c:title><c:tx><c:rich>"
        "<a:p><a:r><a:t>Sales by</a:t></a:r><a:r><a:t> year</a:t></a:r></a:p></c:rich></c:tx></c:title>"
        "<c:plotArea><c:layout/><c:barChart><c:barDir val=\"bar\"/>"
        "<c:ser><c:tx><c:strRef><c:strCache><c:pt idx=\"0\"><c:v>North</c:v></c:pt></c:strCache></c:strRef></c:tx>"
        "<c:spPr><a:solidFill><a:srgbClr val=\"00FF00\"/></a:solidFill></c:spPr>"
        "<c:cat><c:strRef><c:strCache><c:ptCount val=\"2\"/><c:pt idx=\"1\"><c:v>2025</c:v></c:pt>"
        "<c:pt idx=\"0\"><c:v>2024</c:v></c:pt></c:strCache></c:strRef></c:cat>"
        "<c:val><c:numRef><c:numCache><c:pt idx=\"0\"><c:v>4.5</c:v></c:pt><c:pt idx=\"1\"><c:v>x</c:v></c:pt>"
        "</c:numCache></c:numRef></c:val></c:ser>"
        "<c:ser><c:tx><c:v>South</c:v></c:tx><c:val><c:numLit><c:pt idx=\"1\"><c:v>-2</c:v></c:pt></c:numLit>"
        "</c:val></c:ser></c:barChart></c:plotArea></c:chart></c:chartSpace>";
    const StorySnapshot snapshot = snapshotOf(
        inlineFrame(chartUri, "<c:chart xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
                              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                              "r:id=\"rIdP1\"/>"),
        {{"chart", "charts/chart1.xml", chart}, {"theme", "theme/theme1.xml", theme}});
    const DrawingSnapshot& frame = firstParagraph(snapshot).drawings.at(0);
    EXPECT_FALSE(frame.image);  // a chart is no picture
    ASSERT_EQ(frame.graphic.kind, DrawingGraphic::Kind::chart);
    ASSERT_TRUE(frame.graphic.chart);
    const ChartData& data = *frame.graphic.chart;
    EXPECT_EQ(data.kind, ChartData::Kind::bar);
    EXPECT_EQ(data.title, "Sales by year");
    EXPECT_EQ(data.categories, (std::vector<std::string>{"2024", "2025"}));
    ASSERT_EQ(data.series.size(), 2u);
    EXPECT_EQ(data.series[0].name, "North");
    EXPECT_EQ(data.series[0].color, "00FF00");
    EXPECT_EQ(data.series[0].values, (std::vector<std::optional<double>>{4.5, std::nullopt}));
    EXPECT_EQ(data.series[1].name, "South");
    EXPECT_EQ(data.series[1].values, (std::vector<std::optional<double>>{std::nullopt, -2.0}));
    EXPECT_EQ(data.accents.at(0), "4080C0");
}

// Missing relationships and parts, parts that do not parse, and graphics far larger than any
// document's: the frame is listed with what could be read, and nothing throws.
TEST(DrawingGraphics, BrokenOrHugeGraphics) {
    const std::string chartFrame = "<c:chart r:id=\"rIdP1\"/>";
    const std::vector<std::pair<std::string, std::vector<RelatedPart>>> cases = {
        {inlineFrame(chartUri, "<c:chart r:id=\"rIdMissing\"/>"), {}},
        {inlineFrame(chartUri, chartFrame), {{"chart", "charts/missing.xml", ""}}},
        {inlineFrame(chartUri, chartFrame), {{"chart", "charts/chart1.xml", "<c:chartSpace><c:chart>"}}},
        {inlineFrame(diagramUri, "<dgm:relIds r:dm=\"rIdNowhere\"/>"), {}},
        {inlineFrame(diagramUri, diagramFrame), {{"diagramData", "diagrams/data1.xml", "not xml <"}}},
    };
    for (const auto& [body, parts] : cases) {
        std::vector<RelatedPart> present;
        for (const RelatedPart& part : parts)
            if (!part.xml.empty()) present.push_back(part);
        StorySnapshot snapshot;
        if (parts.size() != present.size()) {
            // A relationship to a part the package lacks.
            DocxDocument document(rovuvuz::testing::packageWith(
                body, {}, rovuvuz::testing::rel("rIdP1", parts[0].kind, parts[0].name)));
            snapshot = document.snapshot(StoryID::body());
        } else {
            ASSERT_NO_THROW(snapshot = snapshotOf(body, present)) << body;
        }
        const DrawingSnapshot& frame = firstParagraph(snapshot).drawings.at(0);
        EXPECT_NE(frame.graphic.kind, DrawingGraphic::Kind::none) << body;
        EXPECT_TRUE(frame.graphic.shapes.empty() && frame.graphic.lines.empty()) << body;
        EXPECT_TRUE(!frame.graphic.chart || frame.graphic.chart->series.empty()) << body;
    }

    std::string shapes;
    for (int i = 0; i < 3000; ++i) shapes += "<dsp:sp><dsp:spPr/></dsp:sp>";
    const StorySnapshot huge =
        snapshotOf(inlineFrame(diagramUri, diagramFrame), {{"diagramData", "diagrams/data1.xml", diagramData("rIdP2")},
                                                           {"diagramDrawing", "diagrams/drawing1.xml", diagramDrawing(shapes)}});
    EXPECT_EQ(firstParagraph(huge).drawings.at(0).graphic.shapes.size(), 2000u);
}
