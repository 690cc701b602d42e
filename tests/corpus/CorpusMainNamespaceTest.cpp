// Real documents from other producers with every part's main namespace bound to ns0:, or
// made the default namespace with single-quoted attributes: the body, headers and footers
// show the same text, formats, list labels, links and tracked changes, and the page, style
// menu and spacing rule are the same as the original's.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Styles.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::corpusFiles;
using rovuvuz::testing::MainBinding;
using rovuvuz::testing::readFile;

namespace {

class CorpusMainNamespace : public ::testing::TestWithParam<std::filesystem::path> {};

// What a reader sees of one paragraph.
struct Shown {
    std::u16string text;
    ParagraphFormat format;
    std::optional<std::string> label;
    RunFormat mark;
    std::vector<RunFormat> spanFormats;
    std::vector<std::optional<std::string>> links;
    std::vector<std::optional<RevisionInfo>> revisions;
    std::vector<Span::Content> contents;  // what objects show: pictures, text boxes
    bool operator==(const Shown&) const = default;
};

[[maybe_unused]] void PrintTo(const Shown& shown, std::ostream* out) {
    *out << "paragraph of " << shown.text.size() << " UTF-16 units, label " << shown.label.value_or("(none)");
}

std::vector<Shown> shown(DocxDocument& document, const StoryID& story) {
    std::vector<Shown> result;
    const StorySnapshot snapshot = document.snapshot(story);
    for (const ParagraphSnapshot* paragraph : snapshot.paragraphs()) {
        Shown entry{
            paragraph->text, paragraph->format, paragraph->listLabel, paragraph->markFormat, {}, {}, {}, {}};
        for (const Span& span : paragraph->spans) {
            entry.spanFormats.push_back(span.format);
            entry.links.push_back(span.link);
            entry.revisions.push_back(span.revision);
            entry.contents.push_back(span.content);
        }
        result.push_back(std::move(entry));
    }
    return result;
}

// The story's top-level blocks shown but not edited (content controls, math) with their text.
std::vector<OpaqueBlock> opaqueBlocks(DocxDocument& document, const StoryID& story) {
    std::vector<OpaqueBlock> result;
    for (const BlockSnapshot& block : document.snapshot(story).blocks)
        if (const auto* opaque = std::get_if<OpaqueBlock>(&block.value)) result.push_back(*opaque);
    return result;
}

std::vector<std::string> menu(DocxDocument& document) {
    std::vector<std::string> names;
    for (const Style& style : document.styles().menu()) names.push_back(style.name);
    return names;
}

std::string describe(const MainBinding& binding) {
    return "elements '" + binding.elements + "', attributes '" + binding.attributes + "'";
}

}  // namespace

TEST_P(CorpusMainNamespace, AnyPrefixReadsAsTheOriginal) {
    const SharedBytes input = share(readFile(GetParam()));
    DocxDocument original(input);
    const std::vector<StoryID> stories = original.storiesInOrder();
    const MainBinding bindings[] = {{"ns0", "ns0", false}, {"", "", true}, {"", "ns1", true}};
    for (const MainBinding& binding : bindings) {
        SCOPED_TRACE(describe(binding));
        std::vector<std::string> rebound;
        const auto package = rovuvuz::testing::rebindPackage(input, {}, binding, &rebound);
        ASSERT_TRUE(package);
        // A strict-namespace document binds w: elsewhere and has nothing to rebind.
        if (rebound.empty()) continue;
        DocxDocument other(*package);
        EXPECT_EQ(other.storiesInOrder(), stories);
        for (const StoryID& story : stories) {
            SCOPED_TRACE(story.description());
            EXPECT_EQ(shown(other, story), shown(original, story));
            EXPECT_EQ(opaqueBlocks(other, story), opaqueBlocks(original, story));
        }
        EXPECT_EQ(other.pageSetup(), original.pageSetup());
        EXPECT_EQ(other.defaultHeader(), original.defaultHeader());
        EXPECT_EQ(other.defaultFooter(), original.defaultFooter());
        EXPECT_EQ(other.sumsParagraphSpacing(), original.sumsParagraphSpacing());
        EXPECT_EQ(menu(other), menu(original));
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusMainNamespace, ::testing::ValuesIn(corpusFiles()),
                         [](const auto& parameter) {
                             return rovuvuz::testing::parameterName(parameter.param);
                         });
