// Structural and format edits: splits and joins with section breaks and tracked marks,
// paragraph and run properties, and the property changes tracked formatting records.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/model/Serializer.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));
const EditMode direct = EditMode::direct();
const EditMode byA = EditMode::trackedBy("A", when);
const EditMode byB = EditMode::trackedBy("B", when);

const std::string stylesPart =
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:style w:type=\"character\" w:styleId=\"Strong\"><w:rPr><w:b/></w:rPr></w:style></w:styles>";

struct Fixture {
    DocxDocument document;
    explicit Fixture(std::string_view body)
        : document(makePackage([&] {
              auto parts = minimalDocument(
                  body, "<Relationship Id=\"rS\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "relationships/styles\" Target=\"styles.xml\"/>");
              parts.emplace_back("word/styles.xml", stylesPart);
              return parts;
          }())) {}

    std::vector<Paragraph*> paragraphs() { return DocumentInternals::story(document, StoryID::body()).paragraphs(); }
    std::string xml(size_t i) {
        Bytes out;
        Serializer::paragraph(*paragraphs().at(i), out);
        return std::string(out.begin(), out.end());
    }
    std::vector<ParagraphID> apply(StructuralEdit::Value edit, const EditMode& mode) {
        auto result = document.apply(StructuralEdit{std::move(edit)}, StoryID::body(), mode);
        const auto problem = DocumentInternals::story(document, StoryID::body()).checkInvariants();
        EXPECT_FALSE(problem) << *problem;
        return result;
    }
    ParagraphID id(size_t i) { return paragraphs().at(i)->id; }
};

const std::string sectPr = "<w:sectPr><w:pgSz w:w=\"12240\"/></w:sectPr>";

}  // namespace

TEST(Structural, SplitMovesTheSectionBreakAndJoinBringsItBack) {
    Fixture f("<w:p><w:pPr><w:jc w:val=\"center\"/>" + sectPr + "</w:pPr><w:r><w:t>abcd</w:t></w:r></w:p>");
    const auto made = f.apply(StructuralEdit::SplitParagraph{f.id(0), 2}, direct);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(f.xml(0), "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:t>ab</w:t></w:r></w:p>");
    EXPECT_EQ(f.xml(1), "<w:p><w:pPr><w:jc w:val=\"center\"/>" + sectPr + "</w:pPr><w:r><w:t>cd</w:t></w:r></w:p>");
    f.apply(StructuralEdit::JoinWithNext{f.id(0)}, direct);
    ASSERT_EQ(f.paragraphs().size(), 1u);
    EXPECT_EQ(f.xml(0), "<w:p><w:pPr><w:jc w:val=\"center\"/>" + sectPr +
                            "</w:pPr><w:r><w:t>ab</w:t></w:r><w:r><w:t>cd</w:t></w:r></w:p>");
    // Splitting at either end leaves an empty half; the last paragraph has nothing to join.
    f.apply(StructuralEdit::SplitParagraph{f.id(0), 0}, direct);
    f.apply(StructuralEdit::SplitParagraph{f.id(1), 4}, direct);
    EXPECT_EQ(f.xml(0), "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr></w:p>");
    EXPECT_EQ(InlineOps::length(f.paragraphs().at(2)->inlines), 0u);
    f.apply(StructuralEdit::JoinWithNext{f.id(2)}, direct);
    EXPECT_EQ(f.paragraphs().size(), 3u);
    EXPECT_THROW(f.apply(StructuralEdit::SplitParagraph{f.id(1), 5}, direct), DocxError);
}

// Parts written with indentation have white space between their paragraphs, and block-level
// bookmarks stand there too: a join (Backspace at a paragraph's start, accepting a deleted
// mark) reaches past them, and past nothing a reader sees.
TEST(Structural, JoinsReachPastWhiteSpaceAndMarkersBetweenParagraphs) {
    Fixture f("<w:p><w:r><w:t>ab</w:t></w:r></w:p>\n    <w:bookmarkStart w:id=\"0\" w:name=\"x\"/>\n    "
              "<w:p><w:r><w:t>cd</w:t></w:r></w:p>\n<w:sdt><w:sdtContent><w:p/></w:sdtContent></w:sdt>"
              "<w:p><w:r><w:t>ef</w:t></w:r></w:p>");
    f.apply(StructuralEdit::JoinWithNext{f.id(0)}, direct);
    // The content control's own paragraph is a paragraph of the story, inside its container.
    ASSERT_EQ(f.paragraphs().size(), 3u);
    EXPECT_EQ(f.xml(0), "<w:p><w:r><w:t>ab</w:t></w:r><w:r><w:t>cd</w:t></w:r></w:p>");
    // The content control between the others is a block of its own: no join into it.
    f.apply(StructuralEdit::JoinWithNext{f.id(0)}, direct);
    EXPECT_EQ(f.paragraphs().size(), 3u);
    EXPECT_EQ(f.xml(0), "<w:p><w:r><w:t>ab</w:t></w:r><w:r><w:t>cd</w:t></w:r></w:p>");
    // Tracked, the mark is marked deleted; accepting it joins past the white space too.
    Fixture g("<w:p><w:r><w:t>ab</w:t></w:r></w:p>\n    <w:p><w:r><w:t>cd</w:t></w:r></w:p>");
    g.document.replaceText({g.id(0), 2}, {g.id(1), 0}, StoryID::body(), u"", EditMode::trackedBy("A", {}));
    g.apply(StructuralEdit::AcceptAll{}, direct);
    ASSERT_EQ(g.paragraphs().size(), 1u);
    EXPECT_EQ(InlineOps::visibleText(g.paragraphs().at(0)->inlines), u"abcd");
}

// Deleting the mark between two paragraphs keeps the first one's properties, directly and
// when a tracked deletion of it is accepted. A tracked split of the second paragraph gives
// the new one those properties (its mark and section break stay its own), so that
// accepting everything gives what the direct edits give; rejecting gives the original.
TEST(Structural, ATrackedSplitAfterADeletedMarkTakesTheSurvivingProperties) {
    const std::string body = "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:t>ab</w:t></w:r></w:p>"
                             "<w:p><w:pPr><w:jc w:val=\"right\"/>" + sectPr + "</w:pPr><w:r><w:t>cd</w:t></w:r></w:p>";
    Fixture direct_(body);
    direct_.apply(StructuralEdit::JoinWithNext{direct_.id(0)}, direct);
    direct_.apply(StructuralEdit::SplitParagraph{direct_.id(0), 3}, direct);
    Fixture tracked(body);
    tracked.apply(StructuralEdit::JoinWithNext{tracked.id(0)}, byA);
    tracked.apply(StructuralEdit::SplitParagraph{tracked.id(1), 1}, byA);
    ASSERT_EQ(tracked.paragraphs().size(), 3u);
    EXPECT_EQ(tracked.xml(2), "<w:p><w:pPr><w:jc w:val=\"center\"/>" + sectPr + "</w:pPr><w:r><w:t>d</w:t></w:r></w:p>");
    tracked.apply(StructuralEdit::AcceptAll{}, direct);
    ASSERT_EQ(tracked.paragraphs().size(), 2u);
    for (size_t i : {size_t(0), size_t(1)}) {
        EXPECT_EQ(InlineOps::visibleText(tracked.paragraphs().at(i)->inlines),
                  InlineOps::visibleText(direct_.paragraphs().at(i)->inlines));
        EXPECT_EQ(tracked.document.snapshot(tracked.id(i), StoryID::body()).format,
                  direct_.document.snapshot(direct_.id(i), StoryID::body()).format) << i;
    }
    EXPECT_NE(tracked.xml(1).find(sectPr), std::string::npos) << tracked.xml(1);

    Fixture rejected(body);
    rejected.apply(StructuralEdit::JoinWithNext{rejected.id(0)}, byA);
    rejected.apply(StructuralEdit::SplitParagraph{rejected.id(1), 1}, byA);
    rejected.apply(StructuralEdit::RejectAll{}, direct);
    ASSERT_EQ(rejected.paragraphs().size(), 2u);
    EXPECT_EQ(rejected.xml(1), "<w:p><w:pPr><w:jc w:val=\"right\"/>" + sectPr +
                                   "</w:pPr><w:r><w:t>c</w:t></w:r><w:r><w:t>d</w:t></w:r></w:p>");
    // Without a deleted mark before it, a tracked split copies the paragraph's own.
    Fixture plain(body);
    plain.apply(StructuralEdit::SplitParagraph{plain.id(1), 1}, byA);
    EXPECT_NE(plain.xml(2).find("<w:jc w:val=\"right\"/>"), std::string::npos) << plain.xml(2);
}

TEST(Structural, EnterThenBackspaceTracked) {
    Fixture f("<w:p><w:r><w:t>abcd</w:t></w:r></w:p>");
    f.apply(StructuralEdit::SplitParagraph{f.id(0), 2}, byA);
    EXPECT_NE(f.xml(0).find("<w:pPr><w:rPr><w:ins w:id=\"1\" w:author=\"A\""), std::string::npos) << f.xml(0);
    // The same author: the paragraphs join back and no revision is left.
    f.apply(StructuralEdit::JoinWithNext{f.id(0)}, byA);
    ASSERT_EQ(f.paragraphs().size(), 1u);
    EXPECT_EQ(f.xml(0).find("w:ins"), std::string::npos) << f.xml(0);
    // Another author: the mark is marked deleted. Splitting that paragraph again moves the
    // mark, with both its tracked changes, to the second half; the first half ends in a new
    // mark of its own. Losing them would leave a change that no reject could undo.
    f.apply(StructuralEdit::SplitParagraph{f.id(0), 2}, byA);
    f.apply(StructuralEdit::JoinWithNext{f.id(0)}, byB);
    ASSERT_EQ(f.paragraphs().size(), 2u);
    EXPECT_NE(f.xml(0).find("<w:del w:id="), std::string::npos) << f.xml(0);
    f.apply(StructuralEdit::SplitParagraph{f.id(0), 1}, direct);
    EXPECT_EQ(f.xml(0).find("w:ins"), std::string::npos) << f.xml(0);
    EXPECT_EQ(f.xml(0).find("w:del"), std::string::npos) << f.xml(0);
    EXPECT_NE(f.xml(1).find("<w:ins w:id=\"2\" w:author=\"A\""), std::string::npos) << f.xml(1);
    EXPECT_NE(f.xml(1).find("<w:del w:id=\"3\" w:author=\"B\""), std::string::npos) << f.xml(1);
}

TEST(Structural, ParagraphFormatConversions) {
    Fixture f("<w:p><w:r><w:t>a</w:t></w:r></w:p>");
    using PFC = ParagraphFormatChange;
    f.apply(StructuralEdit::SetParagraphFormat{f.id(0), PFC{PFC::Indent{36, std::nullopt, -18}}}, direct);
    f.apply(StructuralEdit::SetParagraphFormat{f.id(0), PFC{PFC::Spacing{6, std::nullopt, 1.5}}}, direct);
    f.apply(StructuralEdit::SetParagraphFormat{f.id(0), PFC{PFC::Numbering{NumberingID{"3"}, 1}}}, direct);
    EXPECT_EQ(f.xml(0),
              "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"3\"/></w:numPr>"
              "<w:spacing w:before=\"120\" w:line=\"360\" w:lineRule=\"auto\"/>"
              "<w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr><w:r><w:t>a</w:t></w:r></w:p>");
    EXPECT_THROW(f.apply(StructuralEdit::SetParagraphFormat{f.id(0), PFC{PFC::Indent{1e9, {}, {}}}}, direct),
                 DocxError);
}

TEST(Structural, StyleChangesAreRecordedOnceAndOnlyWhenBytesDiffer) {
    Fixture f("<w:p><w:pPr><w:pStyle w:val=\"Title\" /><w:jc w:val=\"center\"/></w:pPr></w:p><w:p/>");
    // Another spelling of the same element is rewritten once, and recorded.
    f.apply(StructuralEdit::SetParagraphStyle{f.id(0), StyleID{"Title"}}, byA);
    EXPECT_NE(f.xml(0).find("<w:pPrChange w:id=\"1\" w:author=\"A\" w:date=\"2024-03-01T09:30:00Z\"><w:pPr>"
                            "<w:pStyle w:val=\"Title\" /><w:jc w:val=\"center\"/></w:pPr></w:pPrChange>"),
              std::string::npos)
        << f.xml(0);
    const std::string once = f.xml(0);
    f.apply(StructuralEdit::SetParagraphStyle{f.id(0), StyleID{"Title"}}, byA);
    EXPECT_EQ(f.xml(0), once);
    f.apply(StructuralEdit::SetParagraphFormat{f.id(0), ParagraphFormatChange{ParagraphFormatChange::Align{}}}, byA);
    EXPECT_EQ(f.xml(0).find("pPrChange w:id=\"2\""), std::string::npos);  // the first record stays
    // Removing a style that is not there adds nothing, not even an empty w:pPr.
    f.apply(StructuralEdit::SetParagraphStyle{f.id(1), std::nullopt}, byA);
    EXPECT_FALSE(f.paragraphs().at(1)->isDirty());
    EXPECT_EQ(f.xml(1), "<w:p/>");
}

TEST(Structural, RunFormats) {
    using RFC = RunFormatChange;
    Fixture f("<w:p><w:r><w:rPr><w:rStyle w:val=\"Strong\"/></w:rPr><w:t>strong</w:t></w:r>"
              "<w:r><w:rPr><w:b/></w:rPr><w:t>plain</w:t></w:r></w:p>");
    const auto boldOff = RFC{RFC::Switch{RFC::Toggle::bold, false}};
    f.apply(StructuralEdit::SetRunFormat{f.id(0), TextRange{0, 11}, boldOff}, direct);
    EXPECT_EQ(f.xml(0), "<w:p><w:r><w:rPr><w:rStyle w:val=\"Strong\"/><w:b w:val=\"0\"/></w:rPr><w:t>strong</w:t></w:r>"
                        "<w:r><w:rPr></w:rPr><w:t>plain</w:t></w:r></w:p>");
    // Size in half-points, on part of a run; the second tracked change keeps the first record.
    f.apply(StructuralEdit::SetRunFormat{f.id(0), TextRange{6, 8}, RFC{RFC::Size{10.5}}}, byA);
    f.apply(StructuralEdit::SetRunFormat{f.id(0), TextRange{6, 8}, RFC{RFC::Color{"ff0000"}}}, byA);
    EXPECT_NE(f.xml(0).find("<w:r><w:rPr><w:color w:val=\"FF0000\"/><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/>"
                            "<w:rPrChange w:id=\"1\" w:author=\"A\" w:date=\"2024-03-01T09:30:00Z\"><w:rPr></w:rPr>"
                            "</w:rPrChange></w:rPr><w:t>pl</w:t></w:r><w:r><w:rPr></w:rPr><w:t>ain</w:t>"),
              std::string::npos)
        << f.xml(0);
    EXPECT_THROW(f.apply(StructuralEdit::SetRunFormat{f.id(0), TextRange{0, 12}, boldOff}, direct), DocxError);
    EXPECT_THROW(f.apply(StructuralEdit::SetRunFormat{f.id(0), TextRange{0, 1}, RFC{RFC::Color{"red\""}}}, direct),
                 DocxError);
}
