// A direct replacement of one word over the corpus: a word that starts a run, preferably
// one with text before it in its paragraph, is replaced by another; the new word must stand in a run with
// the same run properties and inside the same containers as the word it replaced, and the
// document must save and read again with the new text.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

// A word that starts a run: where it stands and what the run around it looks like.
struct Word {
    ParagraphID paragraph;
    size_t offset = 0;
    size_t length = 0;
    std::string props;                    // the run's w:rPr as written; empty without one
    std::vector<std::string> containers;  // the start tags of the containers around the run
};

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

std::string propsOf(const Run& run) {
    if (!run.props) return {};
    const Bytes bytes = run.props->serialized();
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> containersOf(const InlineOps::Slot& slot) {
    std::vector<std::string> tags;
    for (const Container* c : slot.chain) tags.emplace_back(c->tags.start.chars());
    return tags;
}

// A word of at least two ASCII letters that begins a run outside tracked deletions: the
// first one with text before it in its paragraph (where the text before would otherwise
// claim the replacement), else the first one at a paragraph's start.
std::optional<Word> firstWordStartingARun(DocxDocument& document) {
    std::optional<Word> atStart;
    for (Paragraph* p : DocumentInternals::story(document, StoryID::body()).paragraphs()) {
        const std::u16string text = InlineOps::visibleText(p->inlines);
        for (size_t at = 0; at + 1 < text.size(); ++at) {
            if (!isLetter(text[at]) || !isLetter(text[at + 1])) continue;
            const auto slot = InlineOps::find(p->inlines, at);
            if (!slot || slot->offset != 0 || slot->run->items[slot->item].kind.type != RunItem::Type::text)
                continue;
            const auto& items = slot->run->items;
            if (std::any_of(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(slot->item),
                            [](const RunItem& item) { return InlineOps::length(item.kind) > 0; }))
                continue;  // the run begins before this character
            if (std::any_of(slot->chain.begin(), slot->chain.end(),
                            [](const Container* c) { return c->kind == Container::Kind::remove; }))
                continue;
            size_t end = at;
            while (end < text.size() && isLetter(text[end])) ++end;
            Word word{p->id, at, end - at, propsOf(*slot->run), containersOf(*slot)};
            if (at > 0) return word;
            if (!atStart) atStart = std::move(word);
        }
    }
    return atStart;
}

class CorpusReplace : public ::testing::TestWithParam<std::filesystem::path> {};

}  // namespace

TEST_P(CorpusReplace, AReplacedWordKeepsItsRunsProperties) {
    DocxDocument document(share(rovuvuz::testing::readFile(GetParam())));
    const auto word = firstWordStartingARun(document);
    if (!word) GTEST_SKIP() << "no word starts a run";
    document.replaceText(word->paragraph, StoryID::body(),
                         TextRange{word->offset, word->offset + word->length}, u"Zyxwv", EditMode::direct());
    Paragraph* p = DocumentInternals::paragraph(document, word->paragraph, StoryID::body()).second;
    const auto slot = InlineOps::find(p->inlines, word->offset);
    ASSERT_TRUE(slot);
    EXPECT_EQ(propsOf(*slot->run), word->props);
    EXPECT_EQ(containersOf(*slot), word->containers);
    const std::u16string text = InlineOps::visibleText(p->inlines);
    EXPECT_EQ(text.substr(word->offset, 5), u"Zyxwv");

    DocxDocument reopened(document.data());
    const StorySnapshot snapshot = reopened.snapshot(StoryID::body());
    const auto paragraphs = snapshot.paragraphs();
    EXPECT_TRUE(std::any_of(paragraphs.begin(), paragraphs.end(),
                            [&](const ParagraphSnapshot* q) { return q->text == text; }));
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusReplace, ::testing::ValuesIn(rovuvuz::testing::corpusFiles()),
                         [](const auto& param) { return rovuvuz::testing::parameterName(param.param); });
