// Custom tab stops: merged from the style chain and the paragraph's own w:tabs, cleared
// where w:clear says, kept in position order, and in a snapshot only where a tab stands.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/TabStops.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

std::string styles(std::string_view content) {
    return "<w:styles " + std::string(rovuvuz::testing::mainNamespace) + ">" + std::string(content) + "</w:styles>";
}

const ParagraphSnapshot& paragraphAt(const StorySnapshot& snapshot, size_t i) {
    return std::get<ParagraphSnapshot>(snapshot.blocks.at(i).value);
}

using Kind = TabStop::Kind;
using Leader = TabStop::Leader;

}  // namespace

// A right tab with a dot leader at the right margin from a base style, a left stop the
// paragraph clears, and a centre stop of its own; a stop past the margin stays.
TEST(TabStops, MergedFromTheStyleChainWithClears) {
    const std::string sheet = styles(
        "<w:style w:type=\"paragraph\" w:styleId=\"Base\"><w:pPr><w:tabs>"
        "<w:tab w:val=\"left\" w:pos=\"720\"/><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"9360\"/>"
        "</w:tabs></w:pPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Toc\"><w:basedOn w:val=\"Base\"/><w:pPr><w:tabs>"
        "<w:tab w:val=\"decimal\" w:leader=\"middleDot\" w:pos=\"2880\"/><w:tab w:val=\"bar\" w:pos=\"-360\"/>"
        "</w:tabs></w:pPr></w:style>");
    const std::string body =
        "<w:p><w:pPr><w:pStyle w:val=\"Toc\"/><w:tabs><w:tab w:val=\"clear\" w:pos=\"720\"/>"
        "<w:tab w:val=\"center\" w:leader=\"hyphen\" w:pos=\"4680\"/><w:tab w:val=\"end\" w:pos=\"99999\"/>"
        "<w:tab w:val=\"sideways\" w:pos=\"100\"/><w:tab w:val=\"left\"/></w:tabs></w:pPr>"
        "<w:r><w:t>Welcome</w:t><w:tab/><w:t>1</w:t></w:r></w:p>"
        "<w:p><w:pPr><w:pStyle w:val=\"Toc\"/></w:pPr><w:r><w:t>No tab here</w:t></w:r></w:p>";
    DocxDocument document(rovuvuz::testing::packageWith(body, {{"styles", "styles.xml", sheet}}));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const ParagraphSnapshot& withTab = paragraphAt(snapshot, 0);
    const std::vector<TabStop> expected = {{-18, Kind::bar, Leader::none},
                                           {144, Kind::decimal, Leader::middleDot},
                                           {234, Kind::center, Leader::hyphen},
                                           {468, Kind::right, Leader::dot},
                                           {FormatValues::longestLength, Kind::right, Leader::none}};
    EXPECT_EQ(withTab.tabs, expected);
    // Nothing stands at a stop: none are resolved.
    EXPECT_TRUE(paragraphAt(snapshot, 1).tabs.empty());
    // The paragraph snapshot alone agrees.
    EXPECT_EQ(document.snapshot(withTab.id, StoryID::body()).tabs, expected);
}

TEST(TabStops, ChangesReplaceAndClearByPosition) {
    std::vector<TabStop> stops;
    const auto tabs = [](std::string_view content) {
        const std::string xml = "<w:tabs xmlns:w=\"w\">" + std::string(content) + "</w:tabs>";
        return TabStops::read(asBytes(xml));
    };
    TabStops::apply(stops, tabs("<w:tab w:val=\"left\" w:pos=\"1440\"/><w:tab w:val=\"left\" w:pos=\"720\"/>"));
    TabStops::apply(stops, tabs("<w:tab w:val=\"right\" w:pos=\"1440\" w:leader=\"underscore\"/>"));
    EXPECT_EQ(stops, (std::vector<TabStop>{{36, Kind::left, Leader::none}, {72, Kind::right, Leader::underscore}}));
    TabStops::apply(stops, tabs("<w:tab w:val=\"clear\" w:pos=\"720\"/><w:tab w:val=\"clear\" w:pos=\"5\"/>"));
    EXPECT_EQ(stops.size(), 1u);
    EXPECT_TRUE(TabStops::read(asBytes("<w:tabs><w:tab")).empty());
    // Thousands of stops stay a bounded list.
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "<w:tab w:val=\"left\" w:pos=\"" + std::to_string(i * 10) + "\"/>";
    stops.clear();
    TabStops::apply(stops, tabs(many));
    EXPECT_LE(stops.size(), 64u);
    EXPECT_TRUE(std::is_sorted(stops.begin(), stops.end(),
                               [](const TabStop& a, const TabStop& b) { return a.position < b.position; }));
}
