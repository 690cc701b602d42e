// Character formats a font menu sets, across runs that start out formatted differently:
// family, size, colour and highlight, one-point growing and shrinking of each run's own
// size, and Clear Formatting, outright and tracked.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "RovuVuz/model/Serializer.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using RFC = RunFormatChange;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));
const std::string date = "w:date=\"2024-03-01T09:30:00Z\"";

// Document defaults of 11 pt, and a character style that makes text 14 pt.
const std::string stylesPart =
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault></w:docDefaults>"
    "<w:style w:type=\"character\" w:styleId=\"Big\"><w:rPr><w:sz w:val=\"28\"/></w:rPr></w:style></w:styles>";

// Three runs: a themed font with a hint, bold and 10 pt; a character style with italic,
// colour and a language; nothing at all.
const std::string runs =
    "<w:p><w:r><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:hint=\"eastAsia\"/><w:b/><w:sz w:val=\"20\"/>"
    "</w:rPr><w:t>ab</w:t></w:r>"
    "<w:r><w:rPr><w:rStyle w:val=\"Big\"/><w:i/><w:color w:val=\"FF0000\"/><w:lang w:val=\"fr-FR\"/></w:rPr>"
    "<w:t>cd</w:t></w:r><w:r><w:t>ef</w:t></w:r></w:p>";

struct Fixture {
    DocxDocument document;
    Fixture()
        : document(rovuvuz::testing::makePackage([] {
              auto parts = rovuvuz::testing::minimalDocument(
                  runs + "<w:p><w:r><w:t>untouched</w:t></w:r></w:p>",
                  rovuvuz::testing::rel("rS", "styles", "styles.xml"));
              parts.emplace_back("word/styles.xml", stylesPart);
              return parts;
          }())) {}

    std::string apply(RFC change, TextRange range, const EditMode& mode) {
        Story& story = DocumentInternals::story(document, StoryID::body());
        const ParagraphID id = story.paragraphs().at(0)->id;
        document.apply(StructuralEdit{StructuralEdit::SetRunFormat{id, range, std::move(change)}}, StoryID::body(),
                       mode);
        EXPECT_FALSE(story.checkInvariants());
        Bytes out;
        Serializer::paragraph(*story.paragraphs().at(0), out);
        return std::string(out.begin(), out.end());
    }
    // The saved body holds the untouched paragraph exactly as it was written.
    void expectOthersKept() {
        const Bytes saved = document.storyData(StoryID::body());
        EXPECT_NE(std::string(saved.begin(), saved.end()).find("<w:p><w:r><w:t>untouched</w:t></w:r></w:p>"),
                  std::string::npos);
    }
};

}  // namespace

TEST(FontFormat, FamilyFillsEverySlotDropsThemeReferencesKeepsTheHint) {
    Fixture f;
    const std::string xml = f.apply(RFC{RFC::Font{"Liberation Serif"}}, {1, 5}, EditMode::direct());
    EXPECT_EQ(xml,
              "<w:p><w:r><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:hint=\"eastAsia\"/><w:b/><w:sz w:val=\"20\"/>"
              "</w:rPr><w:t>a</w:t></w:r>"
              "<w:r><w:rPr><w:rFonts w:hint=\"eastAsia\" w:ascii=\"Liberation Serif\" w:hAnsi=\"Liberation Serif\" "
              "w:eastAsia=\"Liberation Serif\" w:cs=\"Liberation Serif\"/><w:b/><w:sz w:val=\"20\"/></w:rPr>"
              "<w:t>b</w:t></w:r>"
              "<w:r><w:rPr><w:rStyle w:val=\"Big\"/><w:rFonts w:ascii=\"Liberation Serif\" w:hAnsi=\"Liberation Serif\" "
              "w:eastAsia=\"Liberation Serif\" w:cs=\"Liberation Serif\"/><w:i/><w:color w:val=\"FF0000\"/>"
              "<w:lang w:val=\"fr-FR\"/></w:rPr><w:t>cd</w:t></w:r>"
              "<w:r><w:rPr><w:rFonts w:ascii=\"Liberation Serif\" w:hAnsi=\"Liberation Serif\" "
              "w:eastAsia=\"Liberation Serif\" w:cs=\"Liberation Serif\"/></w:rPr><w:t>e</w:t></w:r>"
              "<w:r><w:t>f</w:t></w:r></w:p>");
    // A name with markup characters is escaped.
    EXPECT_NE(f.apply(RFC{RFC::Font{"A&B \"C\""}}, {0, 1}, EditMode::direct()).find("w:ascii=\"A&amp;B &quot;C&quot;\""),
              std::string::npos);
    f.expectOthersKept();
}

TEST(FontFormat, SizeColourAndHighlightTrackedKeepTheFirstRecord) {
    Fixture f;
    const EditMode byA = EditMode::trackedBy("A", when);
    f.apply(RFC{RFC::Size{13}}, {0, 6}, byA);
    f.apply(RFC{RFC::Color{"00aa11"}}, {0, 6}, byA);
    const std::string xml = f.apply(RFC{RFC::Highlight{"yellow"}}, {0, 6}, byA);
    // Each run's record holds its properties from before the first change, whatever came later.
    EXPECT_NE(xml.find("<w:b/><w:color w:val=\"00AA11\"/><w:sz w:val=\"26\"/><w:szCs w:val=\"26\"/>"
                       "<w:highlight w:val=\"yellow\"/><w:rPrChange w:id=\"1\" w:author=\"A\" " +
                       date + "><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:hint=\"eastAsia\"/><w:b/>"
                              "<w:sz w:val=\"20\"/></w:rPr></w:rPrChange></w:rPr><w:t>ab</w:t>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<w:rStyle w:val=\"Big\"/><w:i/><w:color w:val=\"00AA11\"/><w:sz w:val=\"26\"/>"
                       "<w:szCs w:val=\"26\"/><w:highlight w:val=\"yellow\"/><w:lang w:val=\"fr-FR\"/><w:rPrChange "),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<w:rPrChange w:id=\"3\" w:author=\"A\" " + date + "><w:rPr></w:rPr></w:rPrChange></w:rPr>"
                       "<w:t>ef</w:t>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(rovuvuz::testing::count(xml, "<w:rPrChange "), 3u);
    // Removing them leaves no w:sz, w:szCs, w:color or w:highlight, and the records stay.
    f.apply(RFC{RFC::Size{}}, {0, 6}, byA);
    f.apply(RFC{RFC::Color{}}, {0, 6}, byA);
    const std::string removed = f.apply(RFC{RFC::Highlight{}}, {0, 6}, byA);
    EXPECT_EQ(rovuvuz::testing::count(removed, "<w:sz "), 1u);  // in the first run's record
    EXPECT_EQ(rovuvuz::testing::count(removed, "<w:color "), 1u);  // in the second run's record
    EXPECT_EQ(rovuvuz::testing::count(removed, "w:highlight"), 0u);
    EXPECT_EQ(rovuvuz::testing::count(removed, "<w:rPrChange "), 3u);
    f.expectOthersKept();
}

TEST(FontFormat, GrowAndShrinkMoveEachRunFromItsOwnSize) {
    Fixture f;
    // 10 pt direct, 14 pt from the character style, 11 pt from the defaults: each one point up.
    std::string xml = f.apply(RFC{RFC::SizeStep{1}}, {0, 6}, EditMode::direct());
    EXPECT_NE(xml.find("<w:b/><w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/></w:rPr><w:t>ab"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<w:sz w:val=\"30\"/><w:szCs w:val=\"30\"/><w:lang"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<w:r><w:rPr><w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/></w:rPr><w:t>ef"), std::string::npos)
        << xml;
    // Two points down: 10, 14, 11 less one.
    f.apply(RFC{RFC::SizeStep{-1}}, {0, 6}, EditMode::direct());
    xml = f.apply(RFC{RFC::SizeStep{-1}}, {0, 6}, EditMode::direct());
    EXPECT_NE(xml.find("<w:sz w:val=\"18\"/>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<w:sz w:val=\"26\"/>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<w:sz w:val=\"20\"/>"), std::string::npos) << xml;
    // The smallest size stays: a run at half a point does not shrink and is not touched.
    f.apply(RFC{RFC::Size{0.5}}, {4, 6}, EditMode::direct());
    const std::string before = f.apply(RFC{RFC::SizeStep{-1}}, {4, 6}, EditMode::direct());
    EXPECT_NE(before.find("<w:sz w:val=\"1\"/><w:szCs w:val=\"1\"/>"), std::string::npos) << before;
    EXPECT_THROW(f.apply(RFC{RFC::SizeStep{std::numeric_limits<double>::infinity()}}, {0, 1}, EditMode::direct()),
                 DocxError);
}

TEST(FontFormat, ClearFormattingKeepsLanguageAndRecords) {
    Fixture f;
    const EditMode byA = EditMode::trackedBy("A", when);
    f.apply(RFC{RFC::Color{"123456"}}, {4, 6}, byA);
    const std::string xml = f.apply(RFC{RFC::ClearFormatting{}}, {0, 6}, byA);
    EXPECT_EQ(xml,
              "<w:p><w:r><w:rPr><w:rPrChange w:id=\"2\" w:author=\"A\" " + date +
                  "><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:hint=\"eastAsia\"/><w:b/><w:sz w:val=\"20\"/>"
                  "</w:rPr></w:rPrChange></w:rPr><w:t>ab</w:t></w:r>"
                  "<w:r><w:rPr><w:lang w:val=\"fr-FR\"/><w:rPrChange w:id=\"3\" w:author=\"A\" " +
                  date +
                  "><w:rPr><w:rStyle w:val=\"Big\"/><w:i/><w:color w:val=\"FF0000\"/><w:lang w:val=\"fr-FR\"/>"
                  "</w:rPr></w:rPrChange></w:rPr><w:t>cd</w:t></w:r>"
                  "<w:r><w:rPr><w:rPrChange w:id=\"1\" w:author=\"A\" " +
                  date + "><w:rPr></w:rPr></w:rPrChange></w:rPr><w:t>ef</w:t></w:r></w:p>");
    // Direct: clearing plain text changes nothing and marks nothing.
    Fixture g;
    g.apply(RFC{RFC::ClearFormatting{}}, {4, 6}, EditMode::direct());
    EXPECT_TRUE(g.document.dirtyParts().empty());
    const std::string cleared = g.apply(RFC{RFC::ClearFormatting{}}, {0, 4}, EditMode::direct());
    EXPECT_EQ(cleared,
              "<w:p><w:r><w:rPr></w:rPr><w:t>ab</w:t></w:r><w:r><w:rPr><w:lang w:val=\"fr-FR\"/></w:rPr><w:t>cd</w:t>"
              "</w:r><w:r><w:t>ef</w:t></w:r></w:p>");
    g.expectOthersKept();
}
