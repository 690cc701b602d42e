// What the page layout draws from a paragraph's snapshot beyond its text: fields with
// their instructions and cached results, text boxes and floating drawings with their
// anchors, symbols, and the small caps and underline styles of the run format. Display
// offsets stay what editing uses.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/model/DisplayText.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

ParagraphSnapshot only(std::string_view paragraphXml, std::vector<rovuvuz::testing::RelatedPart> parts = {}) {
    DocxDocument document(rovuvuz::testing::packageWith(paragraphXml, parts));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const ParagraphSnapshot paragraph = std::get<ParagraphSnapshot>(snapshot.blocks.at(0).value);
    // The snapshot's text is the engine's display text, field codes counting nothing.
    const auto [story, node] = DocumentInternals::paragraph(document, paragraph.id, StoryID::body());
    EXPECT_EQ(paragraph.text, DisplayText::visibleText(node->inlines));
    return paragraph;
}

std::string complexField(std::string_view code, std::string_view result, std::string_view resultProps = {}) {
    return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\">" +
           std::string(code) + "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r>" +
           std::string(resultProps) + "<w:t>" + std::string(result) + "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

}  // namespace

TEST(Fields, PageFieldsAndCachedResults) {
    const ParagraphSnapshot p = only(
        "<w:p><w:r><w:t xml:space=\"preserve\">Page </w:t></w:r>" +
        complexField(" PAGE  \\* ROMAN \\* MERGEFORMAT ", "1", "<w:rPr><w:b/></w:rPr>") +
        "<w:r><w:t xml:space=\"preserve\"> of </w:t></w:r>"
        "<w:fldSimple w:instr=\" NUMPAGES \\* Arabic \"><w:r><w:rPr><w:i/></w:rPr><w:t>9</w:t></w:r></w:fldSimple>"
        "<w:r><w:t xml:space=\"preserve\"> - </w:t></w:r>" +
        complexField(" REF _Ref1 \\h ", "Chapter 2") +
        // A field inside a field's instruction, and one without a result.
        "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>IF </w:instrText></w:r>" +
        complexField("SECTIONPAGES", "3") +
        "<w:r><w:instrText> = 3 \"x\"</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>" +
        "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>DATE</w:instrText></w:r>"
        "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>");
    EXPECT_EQ(p.text, u"Page 1 of \uFFFC - Chapter 23");
    ASSERT_EQ(p.fields.size(), 6u);

    const FieldSnapshot& page = p.fields[0];
    EXPECT_EQ(page.instruction.kind, FieldInstruction::Kind::page);
    EXPECT_EQ(page.instruction.numberFormat, "upperRoman");
    EXPECT_EQ(page.result, (TextRange{5, 6}));
    EXPECT_EQ(page.resultText, "1");
    EXPECT_TRUE(page.format.bold);
    EXPECT_FALSE(page.simple);
    EXPECT_EQ(page.instruction.number(14, "decimal", "en-US"), "XIV");

    const FieldSnapshot& pages = p.fields[1];
    EXPECT_TRUE(pages.simple);
    EXPECT_EQ(pages.instruction.kind, FieldInstruction::Kind::numPages);
    EXPECT_EQ(pages.result, (TextRange{10, 11}));
    EXPECT_EQ(pages.resultText, "9");
    EXPECT_TRUE(pages.format.italic);
    EXPECT_EQ(pages.instruction.number(12, "lowerRoman", "en-US"), "12");  // \* Arabic wins over the section's

    const FieldSnapshot& ref = p.fields[2];
    EXPECT_EQ(ref.instruction.name, "REF");
    EXPECT_EQ(ref.instruction.arguments, (std::vector<std::string>{"_Ref1"}));
    EXPECT_EQ(ref.instruction.switches.at(0).first, "\\h");
    EXPECT_EQ(ref.resultText, "Chapter 2");

    // The inner field ends first; the outer IF has no result in this paragraph's text.
    EXPECT_EQ(p.fields[3].instruction.kind, FieldInstruction::Kind::sectionPages);
    EXPECT_EQ(p.fields[3].resultText, "3");
    EXPECT_EQ(p.fields[4].instruction.name, "IF");
    EXPECT_EQ(p.fields[4].result.lower, p.fields[4].result.upper);
    EXPECT_EQ(p.fields[4].instruction.arguments, (std::vector<std::string>{"=", "3", "x"}));
    EXPECT_EQ(p.fields[5].instruction.name, "DATE");
    EXPECT_EQ(p.fields[5].result, (TextRange{p.text.size(), p.text.size()}));
}

TEST(Fields, InstructionSwitchesAndNumbers) {
    const FieldInstruction page = FieldInstruction::parse(" page \\* roman ");
    EXPECT_EQ(page.kind, FieldInstruction::Kind::page);
    EXPECT_EQ(page.number(4, "decimal", "en-US"), "iv");
    EXPECT_EQ(FieldInstruction::parse("PAGE").number(4, "upperLetter", "en-US"), "D");  // the section's format
    EXPECT_EQ(FieldInstruction::parse("PAGE").number(4, "", "en-US"), "4");
    EXPECT_EQ(FieldInstruction::parse("PAGE \\* Ordinal").number(42, "decimal", "en-US"), "42nd");
    EXPECT_EQ(FieldInstruction::parse("PAGE \\* CardText").number(42, "decimal", "en-US"), "forty-two");
    EXPECT_EQ(FieldInstruction::parse("PAGE \\* OrdText \\* Caps").number(42, "decimal", "en-US"), "Forty-Second");
    EXPECT_EQ(FieldInstruction::parse("PAGE \\* CardText \\* FirstCap").number(21, "decimal", "en-US"), "Twenty-one");
    EXPECT_EQ(FieldInstruction::parse("PAGE \\* ALPHABETIC").number(28, "decimal", "en-US"), "BB");
    EXPECT_EQ(FieldInstruction::parse("PAGE \\* alphabetic \\* Upper").number(2, "decimal", "en-US"), "B");
    EXPECT_EQ(FieldInstruction::parse("PAGE \\* ArabicDash").number(7, "decimal", "en-US"), "- 7 -");
    EXPECT_EQ(FieldInstruction::parse("").name, "");
    // An unterminated quote, a lone switch and a very long code read without harm.
    EXPECT_EQ(FieldInstruction::parse("REF \"open \\*").arguments.size(), 1u);
    EXPECT_EQ(FieldInstruction::parse("PAGE \\*").switches.size(), 1u);
    EXPECT_LE(FieldInstruction::parse(std::string(100000, 'x') + " " + std::string(100000, 'y')).arguments.size(), 64u);
}

TEST(Drawings, AFloatingTextBoxsTextAndAnchor) {
    const std::string drawing =
        "<w:r><w:drawing><wp:anchor distT=\"0\" behindDoc=\"0\" relativeHeight=\"1\">"
        "<wp:simplePos x=\"0\" y=\"0\"/><wp:positionH relativeFrom=\"page\"><wp:posOffset>914400</wp:posOffset>"
        "</wp:positionH><wp:positionV relativeFrom=\"paragraph\"><wp:align>top</wp:align></wp:positionV>"
        "<wp:extent cx=\"1828800\" cy=\"457200\"/><wp:wrapTight wrapText=\"bothSides\"/>"
        "<a:graphic><a:graphicData><wps:wsp><wps:txbx><w:txbxContent>"
        "<w:p><w:r><w:t>Boxed words</w:t></w:r></w:p>"
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>in a cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
        "</w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
    const std::string vml =
        "<w:r><w:pict><v:shape style=\"position:absolute;margin-left:1in;margin-top:36pt;width:2in;height:50pt;"
        "mso-position-horizontal-relative:margin\"><v:textbox><w:txbxContent><w:p><w:r><w:t>Old box</w:t></w:r></w:p>"
        "</w:txbxContent></v:textbox><w10:wrap type=\"topAndBottom\"/></v:shape></w:pict></w:r>";
    const std::string picture =
        "<w:r><w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"914400\"/><a:graphic><a:graphicData><pic:pic>"
        "<pic:blipFill><a:blip r:embed=\"rId9\"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline>"
        "</w:drawing></w:r>";
    const ParagraphSnapshot p = only("<w:p><w:r><w:t>See</w:t></w:r>" + drawing + vml + picture + "</w:p>");
    EXPECT_EQ(p.text, u"See\uFFFC\uFFFC\uFFFC");
    ASSERT_EQ(p.drawings.size(), 2u);  // the inline picture has no text and no anchor

    const DrawingSnapshot& box = p.drawings[0];
    EXPECT_EQ(box.offset, 3u);
    EXPECT_TRUE(box.floating);
    EXPECT_EQ(box.width, 144);
    EXPECT_EQ(box.height, 36);
    EXPECT_EQ(box.horizontal.relativeFrom, "page");
    EXPECT_EQ(box.horizontal.offset, 72);
    EXPECT_EQ(box.vertical.relativeFrom, "paragraph");
    EXPECT_EQ(box.vertical.align, "top");
    EXPECT_EQ(box.wrap, DrawingSnapshot::Wrap::square);
    ASSERT_EQ(box.blocks.size(), 2u);
    EXPECT_EQ(std::get<ParagraphSnapshot>(box.blocks[0].value).text, u"Boxed words");
    const auto& cellText = std::get<TableSnapshot>(box.blocks[1].value).rows.at(0).at(0).blocks.at(0);
    EXPECT_EQ(std::get<ParagraphSnapshot>(cellText.value).text, u"in a cell");

    const DrawingSnapshot& old = p.drawings[1];
    EXPECT_EQ(old.offset, 4u);
    EXPECT_TRUE(old.floating);
    EXPECT_EQ(old.width, 144);
    EXPECT_EQ(old.height, 50);
    EXPECT_EQ(old.horizontal.offset, 72);
    EXPECT_EQ(old.vertical.offset, 36);
    EXPECT_EQ(old.horizontal.relativeFrom, "margin");
    EXPECT_EQ(old.wrap, DrawingSnapshot::Wrap::topAndBottom);
    EXPECT_EQ(std::get<ParagraphSnapshot>(old.blocks.at(0).value).text, u"Old box");
    // The spans stay what they were: an opaque text box, an image.
    EXPECT_EQ(p.spans.at(1).content.type, Span::Content::Type::opaque);
    EXPECT_EQ(p.spans.at(3).content.type, Span::Content::Type::image);
}

TEST(Drawings, SymbolsAndRunStyles) {
    const ParagraphSnapshot p = only(
        "<w:p><w:r><w:sym w:font=\"Wingdings\" w:char=\"F0E0\"/><w:sym w:font=\"Symbol\" w:char=\"61\"/>"
        "<w:sym w:font=\"Arial\" w:char=\"2605\"/><w:sym w:char=\"zz\"/></w:r>"
        "<w:r><w:rPr><w:smallCaps/><w:u w:val=\"double\"/><w:lang w:val=\"de-DE\"/></w:rPr><w:t>Caps</w:t></w:r>"
        "<w:r><w:rPr><w:caps/><w:dstrike/><w:u w:val=\"wavyHeavy\"/></w:rPr><w:t>x</w:t></w:r>"
        "<w:r><w:rPr><w:u w:val=\"none\"/></w:rPr><w:t>y</w:t></w:r></w:p>");
    ASSERT_GE(p.spans.size(), 7u);
    EXPECT_EQ(p.spans[0].content.name, "sym");
    EXPECT_EQ(p.spans[0].content.preview, "\uF0E0");
    EXPECT_EQ(p.spans[0].format.font, "Wingdings");
    EXPECT_EQ(p.spans[1].content.preview, "\uF061");  // a symbol font's code without its offset
    EXPECT_EQ(p.spans[2].content.preview, "\u2605");
    EXPECT_EQ(p.spans[2].format.font, "Arial");
    EXPECT_EQ(p.spans[3].content.preview, "\uFFFD");
    const RunFormat& caps = p.spans[4].format;
    EXPECT_TRUE(caps.smallCaps);
    EXPECT_TRUE(caps.underline);
    EXPECT_EQ(caps.underlineStyle, UnderlineStyle::doubleLine);
    EXPECT_EQ(caps.language.view(), "de-DE");
    EXPECT_TRUE(p.spans[6].format.language.empty());
    EXPECT_TRUE(p.spans[5].format.caps);
    EXPECT_TRUE(p.spans[5].format.doubleStrike);
    EXPECT_EQ(p.spans[5].format.underlineStyle, UnderlineStyle::wave);
    EXPECT_FALSE(p.spans[6].format.underline);
    EXPECT_EQ(p.spans[6].format.underlineStyle, UnderlineStyle::none);
}

// A list inside a text box counts on its own: the story's labels stay those counted
// without snapshotting text.
TEST(Drawings, ATextBoxsListCountsOnItsOwn) {
    const std::string numbering =
        "<w:numbering " + std::string(rovuvuz::testing::mainNamespace) +
        "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"decimal\"/>"
        "<w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/>"
        "</w:num></w:numbering>";
    const std::string item = "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
                             "<w:r><w:t>item</w:t></w:r>";
    const std::string box = "<w:r><w:drawing><wp:anchor><wps:txbx><w:txbxContent>" + item +
                            "</w:p></w:txbxContent></wps:txbx></wp:anchor></w:drawing></w:r>";
    DocxDocument document(rovuvuz::testing::packageWith(item + box + "</w:p>" + item + "</w:p>",
                                                        {{"numbering", "numbering.xml", numbering}}));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const auto& first = std::get<ParagraphSnapshot>(snapshot.blocks.at(0).value);
    const auto& second = std::get<ParagraphSnapshot>(snapshot.blocks.at(1).value);
    EXPECT_EQ(first.listLabel, "1.");
    EXPECT_EQ(std::get<ParagraphSnapshot>(first.drawings.at(0).blocks.at(0).value).listLabel, "1.");
    EXPECT_EQ(second.listLabel, "2.");
    EXPECT_EQ(document.listLabels(StoryID::body()).at(second.id), "2.");
}
