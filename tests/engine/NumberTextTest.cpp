// Numbers in the formats lists and page numbers name: computed letters and numerals, and
// ICU's ordinals, spelled-out numbers and other languages' counting systems, in the
// paragraph's language.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/NumberText.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

TEST(NumberText, FormatsInEnglishAndOtherSystems) {
    struct Row {
        int64_t n;
        std::string_view format;
        std::string_view expected;
    };
    const Row rows[] = {
        {42, "ordinal", "42nd"},
        {11, "ordinal", "11th"},
        {42, "cardinalText", "forty-two"},
        {42, "ordinalText", "forty-second"},
        {42, "hebrew1", "\u05DE\u05F4\u05D1"},
        {42, "japaneseCounting", "\u56DB\u5341\u4E8C"},
        {42, "chineseCounting", "\u56DB\u5341\u4E8C"},
        {42, "ideographDigital", "\u56DB\u4E8C"},
        {42, "decimalFullWidth", "\uFF14\uFF12"},
        {42, "thaiNumbers", "\u0E54\u0E52"},
        {42, "hindiNumbers", "\u0664\u0662"},
        {42, "koreanDigital", "\uC0AC\uC2ED\uC774"},
        {3, "decimalEnclosedCircle", "\u2462"},
        {42, "decimalEnclosedCircle", "\u32B7"},
        {99, "decimalEnclosedCircle", "99"},
        {1, "russianLower", "\u0430"},
        {28, "russianUpper", "\u042F"},
        {29, "russianLower", "\u0430\u0430"},
        {1234567, "decimal", "1234567"},  // no grouping
        {12, "lowerRoman", "xii"},
        {255, "hex", "FF"},
        {5, "numberInDash", "- 5 -"},
        {7, "bullet", ""},
        {7, "none", ""},
        {7, "aFormatNobodyKnows", "7"},
        {-3, "cardinalText", "minus three"},
    };
    for (const Row& row : rows) EXPECT_EQ(NumberText::format(row.n, row.format), row.expected) << row.format;
    // The language chooses the words and ordinals; a language tag that does not parse is
    // English.
    EXPECT_EQ(NumberText::format(1, "ordinal", "fr-FR"), "1er");
    EXPECT_EQ(NumberText::format(3, "cardinalText", "es-ES"), "tres");
    EXPECT_EQ(NumberText::format(42, "ordinalText", "!!"), "forty-second");
    EXPECT_EQ(NumberText::format(42, "cardinalText", ""), "forty-two");
    // The largest numbers still give bounded text.
    EXPECT_LT(NumberText::format(INT64_MAX, "cardinalText").size(), 1000u);
    EXPECT_EQ(NumberText::format(INT64_MIN, "decimal"), std::to_string(INT64_MIN));
}

// A list's labels are written in its paragraphs' language, from the paragraph mark's run
// format or the document defaults.
TEST(NumberText, ListLabelsSpeakTheParagraphsLanguage) {
    const std::string ns(rovuvuz::testing::mainNamespace);
    const std::string numbering =
        "<w:numbering " + ns + "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\">"
        "<w:numFmt w:val=\"ordinalText\"/><w:lvlText w:val=\"%1:\"/></w:lvl></w:abstractNum>"
        "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";
    const std::string styles = "<w:styles " + ns + "><w:docDefaults><w:rPrDefault><w:rPr><w:lang w:val=\"en-GB\"/>"
                               "</w:rPr></w:rPrDefault></w:docDefaults></w:styles>";
    const std::string item = "<w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>";
    const std::string body = "<w:p>" + item + "</w:pPr><w:r><w:t>a</w:t></w:r></w:p>" +
                             "<w:p>" + item + "<w:rPr><w:lang w:val=\"de-DE\"/></w:rPr></w:pPr><w:r><w:t>b</w:t></w:r></w:p>";
    DocxDocument document(rovuvuz::testing::packageWith(
        body, {{"numbering", "numbering.xml", numbering}, {"styles", "styles.xml", styles}}));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const auto label = [&](size_t i) { return std::get<ParagraphSnapshot>(snapshot.blocks.at(i).value).listLabel; };
    EXPECT_EQ(label(0), "first:");
    EXPECT_EQ(label(1), "zweite:");
    // Counting labels without text agrees.
    const auto labels = document.listLabels(StoryID::body());
    EXPECT_EQ(labels.at(std::get<ParagraphSnapshot>(snapshot.blocks[1].value).id), "zweite:");
}
