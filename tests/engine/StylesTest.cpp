// The style sheet: reading the styles and theme parts, style chains, the effective run and
// paragraph formats, the style menu, and the document's cached sheet.
#include <gtest/gtest.h>

#include <random>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Styles.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

constexpr std::string_view ns = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

std::string stylesPart(std::string_view content) {
    return "<?xml version=\"1.0\"?><w:styles " + std::string(ns) + ">" + std::string(content) + "</w:styles>";
}

StyleSheet sheet(std::string_view content, std::optional<std::string> theme = std::nullopt) {
    const std::string styles = stylesPart(content);
    return StyleSheet(asBytes(styles), theme ? std::optional<ByteView>(asBytes(*theme)) : std::nullopt);
}

std::string style(std::string_view id, std::string_view inside, std::string_view type = "paragraph",
                  std::string_view extra = "") {
    return "<w:style w:type=\"" + std::string(type) + "\" w:styleId=\"" + std::string(id) + "\"" +
           std::string(extra) + ">" + std::string(inside) + "</w:style>";
}

std::optional<PropertyBag> bag(std::string_view local, std::string_view inside) {
    const std::string xml = "<w:" + std::string(local) + " " + std::string(ns) + ">" + std::string(inside) +
                            "</w:" + std::string(local) + ">";
    return PropertyBag::parse(asBytes(xml));
}

std::optional<PropertyBag> rPr(std::string_view inside) {
    return bag("rPr", inside);
}
std::optional<PropertyBag> pPr(std::string_view inside) {
    return bag("pPr", inside);
}

ParagraphFormat paragraph(std::string_view styles, std::string_view direct) {
    return sheet(styles).paragraphFormat(pPr(direct));
}

const std::string theme =
    "<a:theme xmlns:a=\"a\"><a:themeElements><a:fontScheme>"
    "<a:majorFont><a:latin typeface=\"Calibri Light\"/></a:majorFont>"
    "<a:minorFont><a:ea typeface=\"x\"/><a:latin typeface=\"Calibri\"/></a:minorFont>"
    "</a:fontScheme></a:themeElements></a:theme>";

std::vector<std::string> ids(const std::vector<Style>& styles) {
    std::vector<std::string> result;
    for (const Style& s : styles) result.push_back(s.id.rawValue);
    return result;
}

}  // namespace

TEST(StyleSheet, WithoutAStylesPartEveryFormatIsFresh) {
    for (const StyleSheet& empty : {StyleSheet(), StyleSheet(std::nullopt, std::nullopt),
                                    StyleSheet(asBytes("<w:styles><w:style"), std::nullopt)}) {
        EXPECT_EQ(empty.runFormat(std::nullopt, rPr("")), RunFormat());
        EXPECT_EQ(empty.paragraphFormat(std::nullopt), ParagraphFormat());
        EXPECT_TRUE(empty.menu().empty());
    }
    EXPECT_EQ(ParagraphFormat().lineMultiple, 1.0);
    EXPECT_TRUE(ParagraphFormat().widowControl);
    // A styles part that does not parse still leaves the theme's fonts.
    const StyleSheet broken(asBytes("<w:styles>"), asBytes(theme));
    EXPECT_TRUE(broken.styles.empty());
    EXPECT_EQ(broken.theme, (ThemeFonts{{"major", "Calibri Light"}, {"minor", "Calibri"}}));
}

TEST(StyleSheet, ReadsStylesAndDefaults) {
    const StyleSheet s = sheet(
        "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault>"
        "<w:pPrDefault><w:pPr><w:spacing w:after=\"160\"/></w:pPr></w:pPrDefault></w:docDefaults>"
        "<w:latentStyles><w:lsdException w:name=\"Normal\"/></w:latentStyles>" +
        style("Plain", "<w:name w:val=\"first\"/>") + style("Plain", "<w:uiPriority w:val=\"x\"/>", "bogus") +
        style("Char", "<w:name w:val=\"Emphasis\"/><w:uiPriority w:val=\"5\"/>", "character") +
        "<w:style w:type=\"paragraph\"><w:name w:val=\"no id\"/></w:style>" +
        style("A", "", "paragraph", " w:default=\"1\"") + style("B", "", "paragraph", " w:default=\"true\"") +
        style("T", "", "table", " w:default=\"1\""));
    ASSERT_EQ(s.styles.size(), 5u);
    const Style& plain = s.styles.at(StyleID{"Plain"});  // the later duplicate wins
    EXPECT_EQ(plain.name, "Plain");
    EXPECT_EQ(plain.kind, Style::Kind::paragraph);
    EXPECT_EQ(plain.priority, 99);
    EXPECT_EQ(s.styles.at(StyleID{"Char"}).kind, Style::Kind::character);
    EXPECT_EQ(s.styles.at(StyleID{"Char"}).priority, 5);
    EXPECT_EQ(s.defaultParagraphStyle, StyleID{"B"});  // the last paragraph default; not the table's
    EXPECT_EQ(s.runFormat(std::nullopt, std::nullopt).size, 11);
    EXPECT_EQ(s.paragraphFormat(std::nullopt).spaceAfter, 8);
}

TEST(StyleSheet, ChainsEndAtCyclesAndUnknownIds) {
    const StyleSheet s =
        sheet(style("A", "<w:basedOn w:val=\"B\"/>") + style("B", "<w:basedOn w:val=\"A\"/>") +
              style("C", "<w:basedOn w:val=\"Missing\"/>") + style("D", "<w:basedOn w:val=\"C\"/>") +
              style("Self", "<w:basedOn w:val=\"Self\"/>"));
    EXPECT_EQ(ids(s.chain(StyleID{"A"})), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(ids(s.chain(StyleID{"B"})), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ids(s.chain(StyleID{"D"})), (std::vector<std::string>{"C", "D"}));
    EXPECT_EQ(ids(s.chain(StyleID{"Self"})), (std::vector<std::string>{"Self"}));
    EXPECT_TRUE(s.chain(StyleID{"Missing"}).empty());
    EXPECT_TRUE(s.chain(std::nullopt).empty());
}

TEST(StyleSheet, TogglesOverrideLevelByLevelWithoutExclusiveOr) {
    const std::string styles = style("Strong", "<w:rPr><w:b/><w:i/><w:u/></w:rPr>") +
                               style("Quiet", "<w:rPr><w:b w:val=\"0\"/></w:rPr>", "character");
    const StyleSheet s = sheet(styles);
    const StyleID strong{"Strong"};
    EXPECT_FALSE(s.runFormat(strong, rPr("<w:b w:val=\"0\"/>")).bold);
    EXPECT_TRUE(s.runFormat(strong, rPr("<w:b/>")).bold);
    EXPECT_TRUE(s.runFormat(strong, rPr("<w:b w:val=\"on\"/>")).bold);
    // The character style overrides the paragraph style; the run's own w:b overrides both.
    EXPECT_FALSE(s.runFormat(strong, rPr("<w:rStyle w:val=\"Quiet\"/>")).bold);
    EXPECT_TRUE(s.runFormat(strong, rPr("<w:rStyle w:val=\"Quiet\"/><w:b/>")).bold);
    EXPECT_EQ(s.runFormat(strong, rPr("<w:rStyle w:val=\"Quiet\"/>")).style, StyleID{"Quiet"});
    // w:u without a value underlines; "none" removes an inherited underline.
    EXPECT_TRUE(s.runFormat(strong, std::nullopt).underline);
    EXPECT_FALSE(s.runFormat(strong, rPr("<w:u w:val=\"none\"/>")).underline);
    EXPECT_TRUE(s.runFormat(std::nullopt, rPr("<w:u w:val=\"double\"/>")).underline);
}

TEST(StyleSheet, ColourHighlightKerningAndVerticalAlignment) {
    const StyleSheet s =
        sheet(style("Red",
                    "<w:rPr><w:color w:val=\"FF0000\"/><w:highlight w:val=\"yellow\"/><w:kern w:val=\"28\"/>"
                    "<w:vertAlign w:val=\"superscript\"/></w:rPr>"));
    const StyleID red{"Red"};
    EXPECT_EQ(s.runFormat(red, rPr("<w:color w:val=\"auto\"/>")).color, "FF0000");
    EXPECT_EQ(s.runFormat(red, rPr("<w:color w:val=\"00FF00\"/>")).color, "00FF00");
    EXPECT_EQ(s.runFormat(red, std::nullopt).highlight, "yellow");
    EXPECT_EQ(s.runFormat(red, rPr("<w:highlight w:val=\"none\"/>")).highlight, std::nullopt);
    EXPECT_EQ(s.runFormat(red, std::nullopt).kernFrom, 14);
    EXPECT_EQ(s.runFormat(red, rPr("<w:kern w:val=\"0\"/>")).kernFrom, std::nullopt);
    EXPECT_EQ(s.runFormat(red, std::nullopt).verticalAlign, VerticalAlign::superscript);
    EXPECT_EQ(s.runFormat(red, rPr("<w:vertAlign/>")).verticalAlign, VerticalAlign::superscript);
    EXPECT_EQ(s.runFormat(red, rPr("<w:vertAlign w:val=\"subscript\"/>")).verticalAlign,
              VerticalAlign::subscript);
    EXPECT_EQ(s.runFormat(red, rPr("<w:vertAlign w:val=\"odd\"/>")).verticalAlign, VerticalAlign::baseline);
    // Only the first child of a name counts.
    EXPECT_EQ(s.runFormat(std::nullopt, rPr("<w:sz w:val=\"20\"/><w:sz w:val=\"40\"/>")).size, 10);
}

TEST(StyleSheet, FontsComeFromTheTheme) {
    const std::string styles = style("Heading", "<w:rPr><w:rFonts w:asciiTheme=\"majorHAnsi\"/></w:rPr>") +
                               style("Body", "<w:rPr><w:rFonts w:hAnsiTheme=\"minorHAnsi\"/></w:rPr>") +
                               "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Times\"/></w:rPr>"
                               "</w:rPrDefault></w:docDefaults>";
    const StyleSheet themed = sheet(styles, theme);
    EXPECT_EQ(themed.runFormat(StyleID{"Heading"}, std::nullopt).font, "Calibri Light");
    EXPECT_EQ(themed.runFormat(StyleID{"Body"}, std::nullopt).font, "Calibri");
    EXPECT_EQ(
        themed.runFormat(StyleID{"Heading"}, rPr("<w:rFonts w:hAnsi=\"Arial\" w:asciiTheme=\"minorHAnsi\"/>"))
            .font,
        "Arial");
    // Without a theme the inherited font stays.
    EXPECT_EQ(sheet(styles).runFormat(StyleID{"Heading"}, std::nullopt).font, "Times");
    EXPECT_TRUE(StyleSheet::themeFonts(asBytes("<a:theme><a:majorFont><a:latin typeface=\"\"/></a:majorFont>"
                                               "</a:theme>"))
                    .empty());
}

TEST(StyleSheet, ParagraphSpacingIndentsAndLineRules) {
    const ParagraphFormat autoRule = paragraph("", "<w:spacing w:line=\"360\" w:lineRule=\"auto\"/>");
    EXPECT_EQ(autoRule.lineMultiple, 1.5);
    EXPECT_EQ(autoRule.lineExact, std::nullopt);
    const std::string exactStyle =
        style("Exact", "<w:pPr><w:spacing w:line=\"280\" w:lineRule=\"exact\"/></w:pPr>");
    const ParagraphFormat exact = paragraph(exactStyle, "<w:pStyle w:val=\"Exact\"/>");
    EXPECT_EQ(exact.lineExact, 14);
    EXPECT_EQ(exact.lineMultiple, std::nullopt);
    // A paragraph's own auto rule replaces the style's exact height, and the reverse.
    const ParagraphFormat back =
        paragraph(exactStyle, "<w:pStyle w:val=\"Exact\"/><w:spacing w:line=\"240\"/>");
    EXPECT_EQ(back.lineMultiple, 1.0);
    EXPECT_EQ(back.lineExact, std::nullopt);
    EXPECT_EQ(paragraph("", "<w:spacing w:line=\"300\" w:lineRule=\"atLeast\"/>").lineExact, 15);

    const ParagraphFormat indented = paragraph(
        "",
        "<w:ind w:start=\"1440\" w:end=\"720\" w:firstLine=\"720\" w:hanging=\"360\"/><w:jc w:val=\"end\"/>");
    EXPECT_EQ(indented.indentLeft, 72);
    EXPECT_EQ(indented.indentRight, 36);
    EXPECT_EQ(indented.firstLine, -18);  // hanging wins over firstLine
    EXPECT_EQ(indented.alignment, Alignment::right);
    EXPECT_EQ(paragraph("", "<w:ind w:left=\"20\" w:start=\"40\"/>").indentLeft, 1);
    EXPECT_EQ(paragraph("", "<w:jc w:val=\"distribute\"/>").alignment, Alignment::both);
    EXPECT_EQ(paragraph("", "<w:jc w:val=\"start\"/>").alignment, Alignment::left);
    const ParagraphFormat kept =
        paragraph("", "<w:keepNext/><w:widowControl w:val=\"0\"/><w:outlineLvl w:val=\"2\"/>");
    EXPECT_TRUE(kept.keepNext);
    EXPECT_FALSE(kept.widowControl);
    EXPECT_EQ(kept.outlineLevel, 2);
}

TEST(StyleSheet, NumberingFromTheStyleCanBeSwitchedOff) {
    const std::string listStyle =
        style("List", "<w:pPr><w:numPr><w:ilvl w:val=\"2\"/><w:numId w:val=\"7\"/></w:numPr></w:pPr>");
    const ParagraphFormat inherited = paragraph(listStyle, "<w:pStyle w:val=\"List\"/>");
    EXPECT_EQ(inherited.numbering, NumberingID{"7"});
    EXPECT_EQ(inherited.numberingLevel, 2);
    EXPECT_EQ(
        paragraph(listStyle, "<w:pStyle w:val=\"List\"/><w:numPr><w:numId w:val=\"0\"/></w:numPr>").numbering,
        std::nullopt);
    EXPECT_EQ(paragraph(listStyle, "<w:pStyle w:val=\"List\"/><w:numPr><w:ilvl w:val=\"x\"/></w:numPr>")
                  .numberingLevel,
              0);
    // A level outside 0…8 is kept as written; Numbering refuses it (see NumberingTest).
    EXPECT_EQ(paragraph("", "<w:numPr><w:ilvl w:val=\"12\"/><w:numId w:val=\"1\"/></w:numPr>").numberingLevel,
              12);
}

TEST(StyleSheet, TheDefaultParagraphStyleAppliesWithoutPStyle) {
    const StyleSheet s = sheet(style("N", "<w:pPr><w:jc w:val=\"center\"/></w:pPr><w:rPr><w:i/></w:rPr>",
                                     "paragraph", " w:default=\"1\"") +
                               style("Other", "<w:pPr><w:spacing w:before=\"240\"/></w:pPr>"));
    const ParagraphFormat plain = s.paragraphFormat(pPr("<w:keepLines/>"));
    EXPECT_EQ(plain.style, StyleID{"N"});
    EXPECT_EQ(plain.alignment, Alignment::center);
    EXPECT_TRUE(s.runFormat(plain.style, std::nullopt).italic);
    EXPECT_TRUE(s.runFormat(std::nullopt, std::nullopt).italic);
    const ParagraphFormat other = s.paragraphFormat(pPr("<w:pStyle w:val=\"Other\"/>"));
    EXPECT_EQ(other.style, StyleID{"Other"});
    EXPECT_EQ(other.alignment, Alignment::left);
    EXPECT_EQ(other.spaceBefore, 12);
}

TEST(StyleSheet, LevelsApplyInOrderDefaultsTableParagraphCharacterDirect) {
    const StyleSheet s = sheet(
        "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"20\"/><w:color w:val=\"000001\"/>"
        "<w:highlight w:val=\"red\"/><w:rFonts w:ascii=\"D\"/></w:rPr></w:rPrDefault></w:docDefaults>" +
        style("Grid",
              "<w:rPr><w:sz w:val=\"22\"/><w:color w:val=\"000002\"/><w:rFonts w:ascii=\"T\"/></w:rPr>",
              "table") +
        style("Para", "<w:rPr><w:sz w:val=\"24\"/><w:color w:val=\"000003\"/></w:rPr>") +
        style("Chr", "<w:rPr><w:sz w:val=\"26\"/></w:rPr>", "character"));
    const RunFormat f = s.runFormat(StyleID{"Para"}, rPr("<w:rStyle w:val=\"Chr\"/>"), StyleID{"Grid"});
    EXPECT_EQ(f.size, 13);
    EXPECT_EQ(f.color, "000003");
    EXPECT_EQ(f.font, "T");
    EXPECT_EQ(f.highlight, "red");
    EXPECT_EQ(s.runFormat(StyleID{"Para"}, rPr("<w:sz w:val=\"30\"/><w:rStyle w:val=\"Chr\"/>")).size, 15);
}

TEST(StyleSheet, MenuListsVisibleParagraphStylesByPriorityThenName) {
    const StyleSheet s =
        sheet(style("b", "<w:name w:val=\"Beta\"/><w:uiPriority w:val=\"5\"/>") +
              style("a", "<w:name w:val=\"Alpha\"/><w:uiPriority w:val=\"5\"/>") +
              style("none", "<w:name w:val=\"Aardvark\"/>") +
              style("hiddenQuick",
                    "<w:name w:val=\"Quick\"/><w:semiHidden/><w:qFormat/><w:uiPriority w:val=\"1\"/>") +
              style("hidden", "<w:name w:val=\"Gone\"/><w:hidden/><w:uiPriority w:val=\"1\"/>") +
              style("chr", "<w:name w:val=\"A char\"/><w:uiPriority w:val=\"0\"/>", "character") +
              // "É" precomposed and as E + combining acute are one name and sort alike, after
              // "Ez" in code-point order.
              style("e1", "<w:name w:val=\"\xC3\x89t\xC3\xA9\"/><w:uiPriority w:val=\"7\"/>") +
              style("e2", "<w:name w:val=\"E\xCC\x81t\xC3\xA9s\"/><w:uiPriority w:val=\"7\"/>") +
              style("e3", "<w:name w:val=\"Ez\"/><w:uiPriority w:val=\"7\"/>"));
    EXPECT_EQ(ids(s.menu()), (std::vector<std::string>{"hiddenQuick", "a", "b", "e3", "e1", "e2", "none"}));
}

// The cached chain resolution must give what merging every bag of chain() in order gives,
// on any shape of basedOn graph: chains, shared bases, cycles, tails into cycles.
TEST(StyleSheet, ResolvedChainsMatchMergingEveryStyleInOrder) {
    std::mt19937 random(20240611);
    const char* runProps[] = {"<w:b/>",
                              "<w:b w:val=\"0\"/>",
                              "<w:sz w:val=\"30\"/>",
                              "<w:color w:val=\"AA0000\"/>",
                              "<w:color w:val=\"auto\"/>",
                              "<w:highlight w:val=\"none\"/>",
                              "<w:highlight w:val=\"blue\"/>",
                              "<w:i/>"};
    const char* paraProps[] = {"<w:jc w:val=\"center\"/>",
                               "<w:spacing w:line=\"480\"/>",
                               "<w:spacing w:line=\"200\" w:lineRule=\"exact\" w:before=\"40\"/>",
                               "<w:ind w:hanging=\"100\"/>",
                               "<w:numPr><w:numId w:val=\"3\"/></w:numPr>",
                               "<w:numPr><w:numId w:val=\"0\"/></w:numPr>"};
    for (int round = 0; round < 30; ++round) {
        const int count = 2 + static_cast<int>(random() % 12);
        std::string content;
        for (int i = 0; i < count; ++i) {
            std::string inside = "<w:basedOn w:val=\"s" + std::to_string(random() % (count + 2)) + "\"/>";
            inside += "<w:pPr>" + std::string(paraProps[random() % 6]) + "</w:pPr>";
            inside += "<w:rPr>" + std::string(runProps[random() % 8]) + runProps[random() % 8] + "</w:rPr>";
            content += style("s" + std::to_string(i), inside);
        }
        const StyleSheet s = sheet(content);
        for (int i = 0; i < count + 2; ++i) {
            const StyleID id{"s" + std::to_string(i)};
            RunFormat run;
            ParagraphFormat para;
            for (const Style& link : s.chain(id)) {
                run.merge(*link.rPr, s.theme);
                para.merge(*link.pPr);
            }
            para.style = id;  // a named style is reported even when the sheet lacks it
            EXPECT_EQ(s.runFormat(id, std::nullopt), run) << content << " at " << id.rawValue;
            EXPECT_EQ(s.paragraphFormat(pPr("<w:pStyle w:val=\"" + id.rawValue + "\"/>")), para)
                << content << " at " << id.rawValue;
        }
    }
}

// 100,000 styles: half in one basedOn chain whose base is bold, half in one basedOn cycle
// with one italic member. Every style resolves (no recursion, no quadratic walk) and
// inherits from the far end of its chain.
TEST(StyleSheet, HundredThousandStylesResolve) {
    constexpr int half = 50000;
    std::string content;
    content.reserve(2 * half * 110);
    for (int i = 0; i < half; ++i) {
        content += style("c" + std::to_string(i), "<w:basedOn w:val=\"c" + std::to_string(i + 1) + "\"/>" +
                                                      (i == half - 1 ? "<w:rPr><w:b/></w:rPr>" : ""));
        content += style("y" + std::to_string(i), "<w:basedOn w:val=\"y" + std::to_string((i + 1) % half) +
                                                      "\"/>" + (i == 0 ? "<w:rPr><w:i/></w:rPr>" : ""));
    }
    const StyleSheet s = sheet(content);
    ASSERT_EQ(s.styles.size(), size_t(2 * half));
    size_t bold = 0, italic = 0;
    for (const auto& [id, unused] : s.styles) {
        const RunFormat f = s.runFormat(id, std::nullopt);
        bold += f.bold && id.rawValue[0] == 'c';
        italic += f.italic && id.rawValue[0] == 'y';
        // The table slot resolves the same chain without building a bag per style.
        s.paragraphFormat(nullptr, id);
    }
    EXPECT_EQ(bold, size_t(half));
    EXPECT_EQ(italic, size_t(half));
    EXPECT_EQ(s.chain(StyleID{"c0"}).size(), size_t(half));
}

TEST(StyleSheet, AbsurdNumbersGiveBoundedValues) {
    EXPECT_EQ(sheet("").runFormat(std::nullopt, rPr("<w:sz w:val=\"99999999999\"/>")).size, 1638);
    EXPECT_EQ(sheet("").runFormat(std::nullopt, rPr("<w:sz w:val=\"-4\"/>")).size, 0.5);
    for (const char* junk : {"nan", "inf", "1e999", "12pt", "", " 12", "0x10"})
        EXPECT_EQ(sheet("").runFormat(std::nullopt, rPr("<w:sz w:val=\"" + std::string(junk) + "\"/>")).size,
                  std::nullopt)
            << junk;
    const ParagraphFormat f = paragraph("",
                                        "<w:spacing w:before=\"-400\" w:after=\"99999999999\" "
                                        "w:line=\"-99999999\"/><w:ind w:left=\"-1e300\"/>"
                                        "<w:outlineLvl w:val=\"99999999999\"/>");
    EXPECT_EQ(f.spaceBefore, 0);
    EXPECT_EQ(f.spaceAfter, FormatValues::longestLength);
    EXPECT_EQ(f.lineMultiple, 0);
    EXPECT_EQ(f.indentLeft, -FormatValues::longestLength);
    EXPECT_EQ(f.outlineLevel, std::nullopt);
    EXPECT_EQ(sheet(style("P", "<w:uiPriority w:val=\"99999999999\"/>")).styles.at(StyleID{"P"}).priority,
              99);
}

TEST(StyleSheet, TheDocumentRereadsTheSheetWhenTheStylesPartIsReplaced) {
    const std::string rel =
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
        "Target=\"styles.xml\"/>";
    auto parts = rovuvuz::testing::minimalDocument("<w:p/>", rel);
    parts.emplace_back("word/styles.xml", stylesPart(style("Old", "")));
    DocxDocument document(rovuvuz::testing::makePackage(parts));
    const StyleSheet& first = document.styles();
    EXPECT_EQ(&first, &document.styles());
    ASSERT_TRUE(first.find(StyleID{"Old"}));
    document.storePart(PartName("word/styles.xml"), share(toBytes(stylesPart(style("New", "")))));
    const StyleSheet& second = document.styles();
    EXPECT_TRUE(second.find(StyleID{"New"}));
    EXPECT_FALSE(second.find(StyleID{"Old"}));
    EXPECT_EQ(&second, &document.styles());

    DocxDocument bare(rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument("<w:p/>")));
    EXPECT_TRUE(bare.styles().styles.empty());
}
