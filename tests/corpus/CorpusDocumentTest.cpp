// Real documents from other producers: every story reads and writes back exactly, saving
// without edits returns the input, and an edit rewrites nothing but what it touched.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/Serializer.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::corpusFiles;
using rovuvuz::testing::readFile;

namespace {

class CorpusDocument : public ::testing::TestWithParam<std::filesystem::path> {
protected:
    void SetUp() override {
        input = share(readFile(GetParam()));
        document = std::make_unique<DocxDocument>(input);
    }
    SharedBytes input;
    std::unique_ptr<DocxDocument> document;
};

// Appends a new run to a paragraph the way editing does: as a parsed snippet.
void appendRun(Paragraph& paragraph, IdentityMint& mint, std::u16string_view text) {
    const std::string prefix(paragraph.tags.prefix());
    const std::string p = prefix.empty() ? "" : prefix + ":";
    const Bytes t = Serializer::textElement(p + "t", text);
    const std::string xml = "<" + p + "p xmlns:" + (prefix.empty() ? "x" : prefix) + "=\"u\"><" + p + "r>" +
                            std::string(t.begin(), t.end()) + "</" + p + "r></" + p + "p>";
    auto donor = Fragment::paragraph(xml, mint);
    ASSERT_TRUE(donor);
    paragraph.setDirty(true);
    paragraph.inlines.push_back(std::move(donor->inlines.at(0)));
}

std::string entryBytes(const ZipArchive& archive, ByteRange range) {
    const Bytes& bytes = *archive.data();
    return std::string(bytes.begin() + range.lower, bytes.begin() + range.upper);
}

}  // namespace

TEST_P(CorpusDocument, EveryStoryWritesBackItsSourceBytes) {
    for (const StoryID& id : document->storyIDs()) {
        Story& story = DocumentInternals::story(*document, id);
        EXPECT_EQ(story.serialized(), *story.source) << id.description();
        EXPECT_FALSE(story.checkInvariants()) << id.description();
    }
}

TEST_P(CorpusDocument, EveryStorySnapshotsWithOffsetsThatCoverItsText) {
    for (const StoryID& id : document->storyIDs()) {
        const StorySnapshot snapshot = document->snapshot(id);
        for (const ParagraphSnapshot* p : snapshot.paragraphs()) {
            // Spans are in order, do not overlap and stay inside the text; every character
            // of the text belongs to a span.
            size_t covered = 0, end = 0;
            for (const Span& span : p->spans) {
                EXPECT_GE(span.range.lower, end) << id.description();
                EXPECT_LT(span.range.lower, span.range.upper) << id.description();
                EXPECT_LE(span.range.upper, p->text.size()) << id.description();
                covered += span.range.size();
                end = span.range.upper;
            }
            EXPECT_EQ(covered, p->text.size()) << id.description();
            // A single paragraph's snapshot is the story's, less the list label.
            EXPECT_EQ(document->snapshot(p->id, id).text, p->text) << id.description();
        }
        // The labels counted alone are the snapshot's.
        std::map<ParagraphID, std::string> labels;
        for (const ParagraphSnapshot* p : snapshot.paragraphs())
            if (p->listLabel) labels.emplace(p->id, *p->listLabel);
        EXPECT_EQ(document->listLabels(id), labels) << id.description();
    }
}

TEST_P(CorpusDocument, SavingWithoutEditsReturnsTheInput) {
    for (const StoryID& id : document->storyIDs()) DocumentInternals::story(*document, id);
    EXPECT_TRUE(document->dirtyParts().empty());
    EXPECT_EQ(*document->data(), *input);
}

TEST_P(CorpusDocument, AnEditedParagraphIsTheOnlyChangeInItsPart) {
    // In the body, in a table cell and in a header, each in a fresh document: everything
    // before and after the edited paragraph's bytes stays as it was.
    std::vector<std::pair<StoryID, size_t>> targets;  // story and paragraph index
    const auto bodyParagraphs = DocumentInternals::story(*document, StoryID::body()).paragraphs();
    if (!bodyParagraphs.empty()) targets.emplace_back(StoryID::body(), 0);
    for (size_t i = 1; i < bodyParagraphs.size(); ++i) {
        if (bodyParagraphs[i]->parent && bodyParagraphs[i]->parent->local() == "tc") {
            targets.emplace_back(StoryID::body(), i);
            break;
        }
    }
    for (const StoryID& id : document->storyIDs()) {
        if (id.kind == StoryID::Kind::header && !DocumentInternals::story(*document, id).paragraphs().empty()) {
            targets.emplace_back(id, 0);
            break;
        }
    }
    for (const auto& [id, index] : targets) {
        DocxDocument fresh(input);
        Story& story = DocumentInternals::story(fresh, id);
        Paragraph& paragraph = *story.paragraphs().at(index);
        const Bytes& before = *story.source;
        const size_t start = paragraph.original->offset();
        const size_t tail = before.size() - start - paragraph.original->size();
        appendRun(paragraph, rovuvuz::testing::mintOf(fresh), u" Tovin ");
        story.touched = true;
        const Bytes after = story.serialized();
        ASSERT_GT(after.size(), before.size()) << id.description();
        EXPECT_TRUE(std::equal(before.begin(), before.begin() + start, after.begin())) << id.description();
        EXPECT_TRUE(std::equal(before.end() - tail, before.end(), after.end() - tail)) << id.description();
        EXPECT_FALSE(story.checkInvariants());
        EXPECT_EQ(fresh.dirtyParts(), std::set<PartName>{story.part});
    }
}

TEST_P(CorpusDocument, RebuiltPackageReopensAndDirtyPartsAreThoseThatChanged) {
    document->rebuildAll();
    std::set<PartName> changed;
    for (const auto& [name, story] : DocumentInternals::parsedStories(*document))
        if (story->serialized() != *story->source) changed.insert(name);
    EXPECT_EQ(document->dirtyParts(), changed);
    DocxDocument reopened(document->data());
    for (const StoryID& id : reopened.storyIDs()) EXPECT_NO_THROW(DocumentInternals::story(reopened, id)) << id.description();
}

TEST_P(CorpusDocument, AnEditKeepsEveryOtherEntryByteForByte) {
    Story& body = DocumentInternals::story(*document, StoryID::body());
    if (body.paragraphs().empty()) GTEST_SKIP() << "no paragraph to edit";
    appendRun(*body.paragraphs().back(), rovuvuz::testing::mintOf(*document), u"edited");
    body.touched = true;
    const SharedBytes saved = document->data();
    const ZipArchive before(input);
    const ZipArchive after(saved);
    ASSERT_EQ(after.entries().size(), before.entries().size());
    for (size_t i = 0; i < before.entries().size(); ++i) {
        const auto& old = before.entries()[i];
        const auto& now = after.entries()[i];
        ASSERT_EQ(now.name, old.name);
        if (old.name == document->mainPart().rawValue) continue;
        EXPECT_EQ(entryBytes(after, now.localRecord), entryBytes(before, old.localRecord)) << old.name;
        std::string oldCentral = entryBytes(before, old.centralRecord), newCentral = entryBytes(after, now.centralRecord);
        oldCentral.replace(42, 4, 4, '\0');
        newCentral.replace(42, 4, 4, '\0');
        EXPECT_EQ(newCentral, oldCentral) << old.name;
    }
    DocxDocument reopened(saved);
    const auto paragraphs = DocumentInternals::story(reopened, StoryID::body()).paragraphs();
    EXPECT_EQ(paragraphs.size(), body.paragraphs().size());
}

TEST_P(CorpusDocument, RestoringASnapshotGivesBackTheSavedState) {
    Story& body = DocumentInternals::story(*document, StoryID::body());
    if (body.paragraphs().empty()) GTEST_SKIP() << "no paragraph to edit";
    appendRun(*body.paragraphs().front(), rovuvuz::testing::mintOf(*document), u"first");
    body.touched = true;
    const auto state = document->packageState();
    const SharedBytes afterFirst = document->data();
    Story& again = DocumentInternals::story(*document, StoryID::body());
    appendRun(*again.paragraphs().back(), rovuvuz::testing::mintOf(*document), u"second");
    document->restore(state);
    EXPECT_EQ(*document->data(), *afterFirst);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusDocument, ::testing::ValuesIn(corpusFiles()),
                         [](const auto& param) { return rovuvuz::testing::parameterName(param.param); });
