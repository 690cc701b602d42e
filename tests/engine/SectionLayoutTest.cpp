// Every section of the body: page setup per section, how sections start, header and footer
// references by type with inheritance, title pages, even and odd headers, page numbering,
// which blocks belong to which section, and hostile page sizes.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentSections.h"
#include "RovuVuz/document/DocxDocument.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::RelatedPart;

namespace {

std::string band(std::string_view root, std::string_view text) {
    return "<w:" + std::string(root) + " " + std::string(rovuvuz::testing::mainNamespace) +
           "><w:p><w:r><w:t>" + std::string(text) + "</w:t></w:r></w:p></w:" + std::string(root) + ">";
}

std::string reference(std::string_view kind, std::string_view type, std::string_view id) {
    return "<w:" + std::string(kind) + "Reference w:type=\"" + std::string(type) + "\" r:id=\"" + std::string(id) + "\"/>";
}

std::string paragraph(std::string_view text, std::string_view sectPr = {}) {
    const std::string props = sectPr.empty() ? "" : "<w:pPr><w:sectPr>" + std::string(sectPr) + "</w:sectPr></w:pPr>";
    return "<w:p>" + props + "<w:r><w:t>" + std::string(text) + "</w:t></w:r></w:p>";
}

const std::vector<RelatedPart> bands = {
    {"header", "header1.xml", band("hdr", "Running head")},
    {"header", "header2.xml", band("hdr", "Landscape head")},
    {"header", "header3.xml", band("hdr", "Title head")},
    {"header", "header4.xml", band("hdr", "Even head")},
    {"footer", "footer1.xml", band("ftr", "Page foot")},
};

std::string partOf(const std::optional<StoryID>& story) {
    return story ? story->part.rawValue : "none";
}

}  // namespace

// A portrait first section with its own header, then a landscape one with another header
// that inherits the footer; the blocks fall into the section they belong to.
TEST(DocumentSections, TwoSectionsWithALandscapeSecondAndItsOwnHeader) {
    const std::string body =
        paragraph("one") +
        paragraph("end of one", reference("header", "default", "rIdP1") + reference("footer", "default", "rIdP5") +
                                    "<w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgNumType w:fmt=\"lowerRoman\"/>") +
        paragraph("two") +
        "<w:sectPr>" + reference("header", "default", "rIdP2") +
        "<w:type w:val=\"oddPage\"/><w:pgSz w:w=\"15840\" w:h=\"12240\" w:orient=\"landscape\"/>"
        "<w:pgMar w:top=\"720\" w:right=\"1440\" w:bottom=\"720\" w:left=\"1440\" w:header=\"360\" w:footer=\"360\" "
        "w:gutter=\"360\"/><w:cols w:num=\"2\" w:space=\"720\" w:sep=\"1\"/>"
        "<w:pgNumType w:fmt=\"decimal\" w:start=\"1\"/></w:sectPr>";
    DocxDocument document(rovuvuz::testing::packageWith(body, bands));
    const std::vector<DocumentSection> sections = document.sections();
    ASSERT_EQ(sections.size(), 2u);

    const DocumentSection& first = sections[0];
    EXPECT_EQ(first.setup.page.width, 612);
    EXPECT_FALSE(first.setup.page.landscape);
    EXPECT_EQ(first.setup.start, SectionStart::nextPage);
    EXPECT_EQ(first.setup.pageNumberFormat, "lowerRoman");
    EXPECT_FALSE(first.setup.pageNumberStart);
    EXPECT_EQ(partOf(first.header(false, false, false)), "word/header1.xml");
    EXPECT_EQ(partOf(first.footer(false, false, false)), "word/footer1.xml");

    const DocumentSection& second = sections[1];
    EXPECT_EQ(second.setup.page.width, 792);
    EXPECT_EQ(second.setup.page.height, 612);
    EXPECT_TRUE(second.setup.page.landscape);
    EXPECT_EQ(second.setup.page.top, 36);
    EXPECT_EQ(second.setup.page.gutter, 18);
    EXPECT_EQ(second.setup.page.header, 18);
    EXPECT_EQ(second.setup.page.columns, 2);
    EXPECT_EQ(second.setup.page.columnSpace, 36);
    EXPECT_TRUE(second.setup.page.columnSeparator);
    EXPECT_EQ(second.setup.start, SectionStart::oddPage);
    EXPECT_EQ(second.setup.pageNumberStart, 1);
    EXPECT_EQ(partOf(second.header(false, false, false)), "word/header2.xml");
    EXPECT_EQ(partOf(second.footer(false, false, false)), "word/footer1.xml");  // inherited
    EXPECT_FALSE(second.lastParagraph);

    // The final section is still the page the draft view shows.
    EXPECT_EQ(document.pageSetup(), second.setup.page);
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    ASSERT_TRUE(first.lastParagraph);
    EXPECT_EQ(*first.lastParagraph, std::get<ParagraphSnapshot>(snapshot.blocks[1].value).id);
    EXPECT_EQ(sectionOfBlocks(snapshot.blocks, sections), (std::vector<size_t>{0, 0, 1}));
}

// A title page shows its first-page header (or none), even pages their even header when
// the settings ask for it, and a section without references shows the previous ones by
// type, each type inherited on its own.
TEST(DocumentSections, TitlePagesEvenPagesAndInheritanceByType) {
    const std::string settings = "<w:settings " + std::string(rovuvuz::testing::mainNamespace) +
                                 "><w:evenAndOddHeaders/><w:defaultTabStop w:val=\"720\"/></w:settings>";
    std::vector<RelatedPart> parts = bands;
    parts.push_back({"settings", "settings.xml", settings});
    const std::string body =
        paragraph("title", reference("header", "default", "rIdP1") + reference("header", "first", "rIdP3") +
                               reference("header", "even", "rIdP4") + "<w:titlePg/>") +
        paragraph("no title page", reference("header", "default", "rIdP2")) +
        "<w:sectPr><w:titlePg w:val=\"0\"/><w:type w:val=\"continuous\"/></w:sectPr>";
    DocxDocument document(rovuvuz::testing::packageWith(body, parts));
    const DocumentSettings read = document.settings();
    EXPECT_TRUE(read.evenAndOddHeaders);
    EXPECT_EQ(read.defaultTabStop, 36);

    const std::vector<DocumentSection> sections = document.sections();
    ASSERT_EQ(sections.size(), 3u);
    const DocumentSection& title = sections[0];
    EXPECT_TRUE(title.setup.titlePage);
    EXPECT_EQ(partOf(title.header(true, false, true)), "word/header3.xml");
    EXPECT_EQ(partOf(title.header(false, true, true)), "word/header4.xml");
    EXPECT_EQ(partOf(title.header(false, false, true)), "word/header1.xml");
    EXPECT_EQ(partOf(title.header(false, true, false)), "word/header1.xml");  // even headers off
    EXPECT_EQ(partOf(title.footer(true, false, true)), "none");  // a title page without its own footer is blank

    // The second names only a default header: first and even come from the first section.
    const DocumentSection& second = sections[1];
    EXPECT_FALSE(second.setup.titlePage);
    EXPECT_EQ(partOf(second.header(true, false, true)), "word/header2.xml");
    EXPECT_EQ(partOf(second.headers[size_t(HeaderFooterType::first)]), "word/header3.xml");
    EXPECT_EQ(partOf(second.header(false, true, true)), "word/header4.xml");
    EXPECT_EQ(sections[2].setup.start, SectionStart::continuous);
    EXPECT_EQ(partOf(sections[2].header(false, false, true)), "word/header2.xml");

    // A reference to a missing part or relationship names no story.
    DocxDocument dangling(rovuvuz::testing::packageWith(
        "<w:sectPr>" + reference("header", "default", "rId404") + "</w:sectPr>", {}));
    EXPECT_EQ(partOf(dangling.sections().at(0).headers[0]), "none");
}

TEST(DocumentSections, ABodyWithoutSectionsHasOneDefaultSection) {
    DocxDocument document(rovuvuz::testing::packageWith(paragraph("alone"), {}));
    const std::vector<DocumentSection> sections = document.sections();
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].setup, Section{});
    EXPECT_EQ(document.settings(), DocumentSettings{});
}

// Zero, negative, tiny and huge sizes and margins leave a page with room for text; the
// columns of unequal width are listed.
TEST(DocumentSections, HostilePageSizesStaySane) {
    const auto read = [](std::string_view content) {
        const std::string xml = "<w:sectPr xmlns:w=\"w\">" + std::string(content) + "</w:sectPr>";
        return Section::read(asBytes(xml));
    };
    const Section zero = read("<w:pgSz w:w=\"0\" w:h=\"-15840\"/>");
    EXPECT_EQ(zero.page.width, 612);
    EXPECT_EQ(zero.page.height, 792);
    const Section tiny = read("<w:pgSz w:w=\"1\" w:h=\"2\"/><w:pgMar w:left=\"99999\" w:right=\"99999\" "
                              "w:gutter=\"99999\" w:top=\"-99999\" w:bottom=\"99999\" w:header=\"99999\"/>");
    EXPECT_EQ(tiny.page.width, PageSetup::smallestSide);
    EXPECT_EQ(tiny.page.height, PageSetup::smallestSide);
    EXPECT_GE(tiny.page.width - tiny.page.left - tiny.page.right - tiny.page.gutter, 0);
    EXPECT_GE(tiny.page.height - tiny.page.top - tiny.page.bottom, 0);
    EXPECT_LE(tiny.page.header, tiny.page.height);
    const Section columns = read("<w:cols w:equalWidth=\"0\" w:num=\"9\"><w:col w:w=\"2880\" w:space=\"720\"/>"
                                 "<w:col w:w=\"5760\"/></w:cols><w:type w:val=\"sideways\"/>"
                                 "<w:pgNumType w:start=\"huge\"/>");
    EXPECT_EQ(columns.page.columns, 2);
    EXPECT_EQ(columns.page.columnList, (std::vector<Column>{{144, 36}, {288, 0}}));
    EXPECT_EQ(columns.start, SectionStart::nextPage);
    EXPECT_FALSE(columns.pageNumberStart);
    EXPECT_EQ(read("<w:pgSz"), Section{});
}
