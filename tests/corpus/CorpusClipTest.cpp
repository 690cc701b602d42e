// Real documents from other producers copied into a new document: the body's top-level
// paragraphs, copied as one selection, paste into a new document outright and tracked;
// every run property element of the fragment arrives with its bytes, the result saves,
// reads back and shows the copied text; the source is not changed by copying.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/NewDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/xml/XMLTree.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::corpusFiles;
using rovuvuz::testing::readFile;

namespace {

class CorpusClip : public ::testing::TestWithParam<std::filesystem::path> {};

// The top-level paragraphs of the body (tables between them are left out by copy).
std::vector<Paragraph*> topLevel(DocxDocument& document) {
    std::vector<Paragraph*> result;
    for (Paragraph* p : DocumentInternals::story(document, StoryID::body()).paragraphs())
        if (p->parent && p->parent->local() == "body") result.push_back(p);
    return result;
}

// Every w:rPr of a run in the fragment, as written.
std::vector<std::string> runProperties(const std::string& fragment) {
    std::vector<std::string> found;
    const XMLTree tree(asBytes(fragment));
    for (size_t i = 0; i < tree.nodeCount(); ++i) {
        const int node = static_cast<int>(i);
        if (tree.kind(node) != XMLTree::Kind::element || tree.localName(node) != "rPr") continue;
        const auto parent = tree.parent(node);
        if (parent && tree.localName(*parent) == "r") found.emplace_back(asChars(tree.raw(node)));
    }
    return found;
}

std::u16string bare(std::u16string_view text) {
    std::u16string result;
    for (char16_t c : text)
        if (c != u'\n' && c != u'\u2028' && c != u'\uFFFC') result += c;
    return result;
}

}  // namespace

TEST_P(CorpusClip, BodyCopiedIntoANewDocument) {
    DocxDocument source(share(readFile(GetParam())));
    std::vector<Paragraph*> paragraphs;
    try {
        paragraphs = topLevel(source);
    } catch (const std::exception& error) {
        GTEST_SKIP() << "the body does not read: " << error.what();
    }
    if (paragraphs.empty()) GTEST_SKIP() << "no top-level paragraph";
    const ParagraphPos from{paragraphs.front()->id, 0};
    const ParagraphPos to{paragraphs.back()->id, InlineOps::length(paragraphs.back()->inlines)};
    const ClipboardContent clip = source.copy(from, to, StoryID::body());
    EXPECT_TRUE(source.dirtyParts().empty());
    const auto properties = runProperties(clip.fragment);

    for (const EditMode& mode : {EditMode::direct(), EditMode::trackedBy("C", {})}) {
        DocxDocument target(NewDocument::package({NewDocument::Paper::a4, "C", {}}));
        const ParagraphID first = DocumentInternals::story(target, StoryID::body()).paragraphs().front()->id;
        target.paste(clip.fragment, {first, 0}, {first, 0}, StoryID::body(), mode);
        EXPECT_FALSE(DocumentInternals::story(target, StoryID::body()).checkInvariants());
        const Bytes saved = target.storyData(StoryID::body());
        const std::string body(saved.begin(), saved.end());
        for (const std::string& rPr : properties) {
            // A run property naming a style the new document could not resolve is the one
            // that may change; every other one arrives as it was.
            if (rPr.find("rStyle") != std::string::npos || rPr.find("rPrChange") != std::string::npos) continue;
            EXPECT_NE(body.find(rPr), std::string::npos) << rPr;
        }
        DocxDocument reopened(target.checkedData());
        EXPECT_GE(reopened.snapshot(StoryID::body()).paragraphs().size(), 1u);
        // Outright, the new body reads as the copied text (line ends and objects aside).
        if (!mode.isTracked()) {
            std::u16string pasted;
            for (const Paragraph* p : DocumentInternals::story(target, StoryID::body()).paragraphs())
                pasted += InlineOps::visibleText(p->inlines);
            EXPECT_EQ(bare(pasted), bare(clip.text));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusClip, ::testing::ValuesIn(corpusFiles()),
                         [](const auto& parameter) { return rovuvuz::testing::parameterName(parameter.param); });
