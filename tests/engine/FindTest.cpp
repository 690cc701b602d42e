// Finding text as a reader sees it: across runs, past tracked deletions, ignoring case or
// as whole words, in display offsets that replacing can use as they stand.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

DocxDocument documentWith(std::string_view body) {
    return DocxDocument(rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body)));
}

std::vector<TextRange> ranges(const std::vector<FoundText>& found) {
    std::vector<TextRange> result;
    for (const FoundText& f : found) result.push_back(f.range);
    return result;
}

}  // namespace

TEST(Find, ReadsAcrossRunsAndPastTrackedDeletions) {
    DocxDocument document = documentWith(
        "<w:p><w:r><w:t>ca</w:t></w:r><w:del w:id=\"1\"><w:r><w:delText>XX</w:delText></w:r></w:del>"
        "<w:r><w:t>t and Cat</w:t></w:r></w:p><w:p><w:r><w:t>cat</w:t></w:r></w:p>");
    const auto found = document.find(u"cat", StoryID::body());
    ASSERT_EQ(found.size(), 2u);
    // "ca" + deleted "XX" + "t": the range spans the deletion.
    EXPECT_EQ(found[0].range, (TextRange{0, 5}));
    EXPECT_EQ(found[1].range, (TextRange{0, 3}));
    EXPECT_NE(found[0].paragraph, found[1].paragraph);
    EXPECT_EQ(ranges(document.find(u"cat", StoryID::body(), {false, false})),
              (std::vector<TextRange>{{0, 5}, {10, 13}, {0, 3}}));
    EXPECT_TRUE(document.find(u"XX", StoryID::body()).empty());
    EXPECT_TRUE(document.find(u"", StoryID::body()).empty());
    EXPECT_THROW(document.find(u"cat", StoryID::footnotes()), DocxError);

    // Replacing the found range last first gives what a reader expects.
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        document.replaceText(it->paragraph, StoryID::body(), it->range, u"dog", EditMode::direct());
    EXPECT_EQ(ranges(document.find(u"dog", StoryID::body())), (std::vector<TextRange>{{0, 3}, {0, 3}}));
}

TEST(Find, WholeWordsAndCase) {
    DocxDocument document = documentWith("<w:p><w:r><w:t>art Art part art_ arts ÄRT ärt</w:t></w:r></w:p>");
    EXPECT_EQ(ranges(document.find(u"art", StoryID::body(), {true, true})), (std::vector<TextRange>{{0, 3}}));
    EXPECT_EQ(ranges(document.find(u"art", StoryID::body(), {false, true})),
              (std::vector<TextRange>{{0, 3}, {4, 7}}));
    EXPECT_EQ(ranges(document.find(u"ärt", StoryID::body(), {false, true})),
              (std::vector<TextRange>{{23, 26}, {27, 30}}));
    EXPECT_EQ(document.find(u"art", StoryID::body(), {true, false}).size(), 4u);  // art, part, art_, arts
    // Overlapping candidates: whole-word search moves on by one after a rejected match.
    DocxDocument repeated = documentWith("<w:p><w:r><w:t>aaa aa</w:t></w:r></w:p>");
    EXPECT_EQ(ranges(repeated.find(u"aa", StoryID::body(), {true, true})), (std::vector<TextRange>{{4, 6}}));
    EXPECT_EQ(ranges(repeated.find(u"aa", StoryID::body(), {true, false})), (std::vector<TextRange>{{0, 2}, {4, 6}}));
}
