// Page setup from the final section, its default header and footer, the spacing rule of
// the settings part, and the package's part names.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/format/Sections.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

using rovuvuz::testing::rel;

namespace {

PageSetup page(std::string_view sectPrContent) {
    const std::string xml = "<w:sectPr xmlns:w=\"w\">" + std::string(sectPrContent) + "</w:sectPr>";
    return PageSetup::read(asBytes(xml));
}

DocxDocument document(std::string_view body, std::string_view rels = {},
                      std::vector<std::pair<std::string, std::string>> extra = {}) {
    auto parts = rovuvuz::testing::minimalDocument(body, rels);
    parts.insert(parts.end(), extra.begin(), extra.end());
    return DocxDocument(rovuvuz::testing::makePackage(parts));
}

const std::string headerPart = "<w:hdr xmlns:w=\"w\"><w:p/></w:hdr>";
const std::string footerPart = "<w:ftr xmlns:w=\"w\"><w:p/></w:ftr>";

std::string settings(std::string_view compat) {
    return "<w:settings xmlns:w=\"w\"><w:zoom w:percent=\"100\"/><w:compat>" + std::string(compat) +
           "</w:compat></w:settings>";
}

}  // namespace

TEST(PageSetup, ReadsSizeMarginsAndColumns) {
    const PageSetup a4 = page(
        "<w:pgSz w:w=\"11906\" w:h=\"16838\" w:orient=\"portrait\"/>"
        "<w:pgMar w:top=\"-1440\" w:right=\"1134\" w:bottom=\"-720\" w:left=\"1701\" w:header=\"709\" "
        "w:footer=\"0\" w:gutter=\"0\"/><w:cols w:space=\"708\"/><w:docGrid w:linePitch=\"360\"/>");
    EXPECT_NEAR(a4.width, 595.3, 1e-9);
    EXPECT_NEAR(a4.height, 841.9, 1e-9);
    EXPECT_EQ(a4.top, 72);
    EXPECT_EQ(a4.bottom, 36);
    EXPECT_NEAR(a4.right, 56.7, 1e-9);
    EXPECT_NEAR(a4.left, 85.05, 1e-9);
    EXPECT_NEAR(a4.header, 35.45, 1e-9);
    EXPECT_EQ(a4.footer, 0);
    EXPECT_EQ(a4.columns, 1);
    EXPECT_EQ(page("<w:cols w:num=\"3\"/>").columns, 3);
    EXPECT_EQ(page("<w:cols w:num=\"3\"/><w:cols w:num=\"2\"/>").columns, 2);  // the later one wins
    // Unstated, unreadable or broken: the US Letter defaults.
    EXPECT_EQ(page("<w:pgSz w:w=\"wide\"/><w:pgMar/>"), PageSetup());
    EXPECT_EQ(PageSetup::read(asBytes("<w:sectPr><w:pgSz w:w=\"100\">")), PageSetup());
    EXPECT_EQ(PageSetup().width, 612);
    EXPECT_EQ(PageSetup().height, 792);
}

TEST(PageSetup, AbsurdValuesStayOnAPage) {
    const PageSetup p = page(
        "<w:pgSz w:w=\"99999999999\" w:h=\"-5\"/><w:pgMar w:top=\"1e308\" w:left=\"-300\" w:header=\"nan\"/>"
        "<w:cols w:num=\"2147483647\"/>");
    EXPECT_EQ(p.width, FormatValues::longestLength);
    EXPECT_EQ(p.height, 792);  // a negative side is no side: the default's
    // The top margin is clamped, then shrunk with the bottom one to leave room for text.
    EXPECT_NEAR(p.top + p.bottom, p.height - PageSetup::smallestSide, 1e-9);
    EXPECT_GT(p.top, 700);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.header, 36);
    EXPECT_GT(p.columns, 1);
    EXPECT_LE(p.columns, 64);
    EXPECT_EQ(page("<w:cols w:num=\"-4\"/>").columns, 1);
    EXPECT_EQ(page("<w:cols w:num=\"99999999999\"/>").columns, 1);
}

TEST(PageSetup, TheDocumentUsesTheSectionThatClosesTheBody) {
    DocxDocument d = document(
        "<w:p><w:pPr><w:sectPr><w:pgSz w:w=\"4000\" w:h=\"4000\"/></w:sectPr></w:pPr></w:p>"
        "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr><!-- trailing -->");
    EXPECT_NEAR(d.pageSetup().width, 595.3, 1e-9);
    EXPECT_EQ(document("<w:p/>").pageSetup(), PageSetup());
    // A body that does not parse shows the default page.
    auto parts = rovuvuz::testing::minimalDocument("<w:p/>");
    parts.back().second = "<w:document><w:body><w:sectPr>";
    EXPECT_EQ(DocxDocument(rovuvuz::testing::makePackage(parts)).pageSetup(), PageSetup());
}

TEST(PageSetup, DefaultHeaderAndFooterReferences) {
    const std::string rels = rel("rId1", "header", "header1.xml") + rel("rId2", "header", "header2.xml") +
                             rel("rId3", "footer", "footer1.xml") + rel("rId4", "header", "gone.xml");
    const std::vector<std::pair<std::string, std::string>> parts = {
        {"word/header1.xml", headerPart}, {"word/header2.xml", headerPart}, {"word/footer1.xml", footerPart}};
    const auto body = [](std::string_view refs) {
        return "<w:p/><w:sectPr xmlns:r=\"r\">" + std::string(refs) + "</w:sectPr>";
    };

    DocxDocument both = document(body("<w:headerReference w:type=\"first\" r:id=\"rId1\"/>"
                                      "<w:headerReference w:type=\"default\" r:id=\"rId2\"/>"
                                      "<w:footerReference w:type=\"even\" r:id=\"rId3\"/>"),
                                 rels, parts);
    EXPECT_EQ(both.defaultHeader(), StoryID::header(PartName("word/header2.xml")));
    EXPECT_EQ(both.defaultFooter(), StoryID::footer(PartName("word/footer1.xml")));

    DocxDocument first = document(body("<w:headerReference w:type=\"first\" r:id=\"rId1\"/>"
                                       "<w:headerReference w:type=\"even\" r:id=\"rId2\"/>"),
                                  rels, parts);
    EXPECT_EQ(first.defaultHeader(), StoryID::header(PartName("word/header1.xml")));
    EXPECT_EQ(first.defaultFooter(), std::nullopt);

    for (const char* broken :
         {"<w:headerReference w:type=\"default\" r:id=\"rId9\"/>", "<w:headerReference w:type=\"default\"/>",
          "<w:headerReference w:type=\"default\" r:id=\"rId4\"/>"}) {
        DocxDocument d = document(body(broken), rels, parts);
        EXPECT_EQ(d.defaultHeader(), std::nullopt) << broken;
    }
    EXPECT_EQ(document("<w:p/>").defaultHeader(), std::nullopt);
}

// Word shows the last section with the default header of the nearest earlier section
// that names one; reporting no header for such documents was wrong.
TEST(PageSetup, FinalSectionInheritsTheEarlierSectionsHeader) {
    const std::string rels = rel("rId1", "header", "header1.xml") + rel("rId2", "header", "header2.xml") +
                             rel("rId3", "footer", "footer1.xml");
    const std::vector<std::pair<std::string, std::string>> parts = {
        {"word/header1.xml", headerPart}, {"word/header2.xml", headerPart}, {"word/footer1.xml", footerPart}};
    const auto sectionEnd = [](std::string_view refs) {
        return "<w:p><w:pPr><w:sectPr xmlns:r=\"r\">" + std::string(refs) + "</w:sectPr></w:pPr></w:p>";
    };
    const std::string first = sectionEnd(
        "<w:headerReference w:type=\"default\" r:id=\"rId1\"/><w:footerReference w:type=\"default\" "
        "r:id=\"rId3\"/>");
    const std::string second = sectionEnd("<w:headerReference w:type=\"default\" r:id=\"rId2\"/>");

    // The final section names nothing: the nearest earlier section's header and footer.
    DocxDocument plain = document(first + second + "<w:p/><w:sectPr/>", rels, parts);
    EXPECT_EQ(plain.defaultHeader(), StoryID::header(PartName("word/header2.xml")));
    EXPECT_EQ(plain.defaultFooter(), StoryID::footer(PartName("word/footer1.xml")));

    // A final section naming only a first-page header still shows the inherited default.
    DocxDocument titled = document(
        first + "<w:sectPr xmlns:r=\"r\"><w:headerReference w:type=\"first\" r:id=\"rId2\"/></w:sectPr>",
        rels, parts);
    EXPECT_EQ(titled.defaultHeader(), StoryID::header(PartName("word/header1.xml")));

    // Its own default wins over an earlier one; without a final section there is none.
    DocxDocument own = document(
        first + "<w:sectPr xmlns:r=\"r\"><w:headerReference w:type=\"default\" r:id=\"rId2\"/></w:sectPr>",
        rels, parts);
    EXPECT_EQ(own.defaultHeader(), StoryID::header(PartName("word/header2.xml")));
    EXPECT_EQ(document(first, rels, parts).defaultHeader(), std::nullopt);
}

TEST(PageSetup, SpacingRuleFromTheSettingsPart) {
    const std::string rels = rel("rId1", "settings", "settings.xml");
    const auto rule = [&](std::string_view compat) {
        return document("<w:p/>", rels, {{"word/settings.xml", settings(compat)}}).sumsParagraphSpacing();
    };
    EXPECT_TRUE(rule("<w:doNotUseHTMLParagraphAutoSpacing/>"));
    EXPECT_TRUE(rule("<w:useFELayout/><w:doNotUseHTMLParagraphAutoSpacing w:val=\"1\"/>"));
    EXPECT_FALSE(rule("<w:doNotUseHTMLParagraphAutoSpacing w:val=\"0\"/>"));
    EXPECT_FALSE(rule("<w:doNotUseHTMLParagraphAutoSpacing w:val=\"off\"/>"));
    EXPECT_FALSE(rule("<w:useFELayout/>"));
    EXPECT_FALSE(document("<w:p/>").sumsParagraphSpacing());
    EXPECT_FALSE(document("<w:p/>", rels).sumsParagraphSpacing());  // the relationship's part is missing
    EXPECT_FALSE(
        document("<w:p/>", rels, {{"word/settings.xml", "<w:settings><w:compat>"}}).sumsParagraphSpacing());
}

TEST(PageSetup, PartNamesSkipFolders) {
    auto parts = rovuvuz::testing::minimalDocument("<w:p/>");
    parts.emplace_back("word/media/", "");
    parts.emplace_back("/word/styles.xml", "<w:styles/>");
    DocxDocument d(rovuvuz::testing::makePackage(parts));
    std::vector<std::string> names;
    for (const PartName& name : d.partNames()) names.push_back(name.rawValue);
    std::vector<std::string> expected;
    for (const ZipArchive::Entry& entry : d.archive().entries())
        if (entry.name != "word/media/")
            expected.push_back(entry.name == "/word/styles.xml" ? "word/styles.xml" : entry.name);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(names.size(), parts.size() - 1);
}
