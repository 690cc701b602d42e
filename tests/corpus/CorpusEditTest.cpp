// Seeded random edits over the corpus: text inserted, deleted and replaced (within and
// across paragraphs), paragraphs split and joined, run and paragraph formats set, direct
// and tracked by two authors. After every step the document must save, open again and
// show the same text; paragraphs no edit reached must keep their original bytes.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Structural.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

constexpr int stepsPerDocument = 40;  // 63 documents: about 2,500 steps

std::vector<std::u16string> bodyText(DocxDocument& document) {
    std::vector<std::u16string> texts;
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    for (const ParagraphSnapshot* p : snapshot.paragraphs()) texts.push_back(p->text);
    return texts;
}

class Editor {
public:
    Editor(DocxDocument& document, uint32_t seed) : document_(document), random_(seed) {}

    // One random edit; returns a description for failure messages. Edits the engine
    // refuses (a range crossing a table) are fine as long as they change nothing.
    std::string step(std::set<uint64_t>& reached) {
        auto paragraphs = DocumentInternals::story(document_, StoryID::body()).paragraphs();
        Paragraph& p = *paragraphs[pick(paragraphs.size())];
        const size_t length = InlineOps::length(p.inlines);
        const size_t a = pick(length + 1), b = pick(length + 1);
        const TextRange range{std::min(a, b), std::max(a, b)};
        const EditMode mode = pick(3) == 0   ? EditMode::direct()
                              : pick(2) == 0 ? EditMode::trackedBy("A", {})
                                             : EditMode::trackedBy("B", {});
        static const std::u16string samples[] = {u"x", u"word ", u"a\tb", u"\U0001F600", u"", u"line\u2028two"};
        const std::u16string& text = samples[pick(std::size(samples))];
        reached.insert(p.id.raw);
        const StoryID body = StoryID::body();
        using E = StructuralEdit;
        switch (pick(8)) {
            case 0:
            case 1: document_.replaceText(p.id, body, range, text, mode); return "replace in one paragraph";
            case 2: {
                Paragraph* next = Structural::nextParagraph(p);
                if (!next) return "nothing";
                reached.insert(next->id.raw);
                const size_t to = pick(InlineOps::length(next->inlines) + 1);
                for (ParagraphID id : document_.replaceText({p.id, a}, {next->id, to}, body, u"one\ntwo", mode))
                    reached.insert(id.raw);
                return "replace across paragraphs";
            }
            case 3: {
                for (ParagraphID id : document_.apply(E{E::SplitParagraph{p.id, a}}, body, mode)) reached.insert(id.raw);
                return "split";
            }
            case 4:
                if (Paragraph* next = Structural::nextParagraph(p)) reached.insert(next->id.raw);
                document_.apply(E{E::JoinWithNext{p.id}}, body, mode);
                return "join";
            case 5: {
                using R = RunFormatChange;
                const R changes[] = {R{R::Switch{R::Toggle::bold, pick(2) == 0}}, R{R::Size{11.5}},
                                     R{R::Color{"00ff00"}}, R{R::Font{std::nullopt}}};
                document_.apply(E{E::SetRunFormat{p.id, range, changes[pick(std::size(changes))]}}, body, mode);
                return "run format";
            }
            case 6: {
                using F = ParagraphFormatChange;
                const F changes[] = {F{F::Align{Alignment::center}}, F{F::Indent{18, std::nullopt, -9}},
                                     F{F::Spacing{std::nullopt, 6, 1.15}}};
                document_.apply(E{E::SetParagraphFormat{p.id, changes[pick(std::size(changes))]}}, body, mode);
                return "paragraph format";
            }
            default:
                document_.reconcile(p.id, body, u"Reconciled " + InlineOps::visibleText(p.inlines).substr(range.lower),
                                    mode);
                return "reconcile";
        }
    }

private:
    size_t pick(size_t bound) { return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random_); }

    DocxDocument& document_;
    std::mt19937 random_;
};

class CorpusEdit : public ::testing::TestWithParam<std::filesystem::path> {};

}  // namespace

TEST_P(CorpusEdit, RandomEditsSurviveSavingAndReopening) {
    DocxDocument document(share(rovuvuz::testing::readFile(GetParam())));
    if (DocumentInternals::story(document, StoryID::body()).paragraphs().empty()) GTEST_SKIP() << "no paragraphs";
    std::set<uint64_t> reached;
    std::set<uint64_t> cleanAtStart;
    for (Paragraph* p : DocumentInternals::story(document, StoryID::body()).paragraphs())
        if (p->original) cleanAtStart.insert(p->id.raw);
    Editor editor(document, static_cast<uint32_t>(std::hash<std::string>{}(GetParam().filename().string())));
    for (int i = 0; i < stepsPerDocument; ++i) {
        std::string what;
        try {
            what = editor.step(reached);
        } catch (const DocxError& error) {
            EXPECT_NE(error.code(), DocxErrorCode::rangeOutOfBounds) << "step " << i;
            continue;
        }
        const auto problem = DocumentInternals::story(document, StoryID::body()).checkInvariants();
        ASSERT_FALSE(problem) << "step " << i << " (" << what << "): " << *problem;
        DocxDocument reopened(document.data());
        ASSERT_EQ(bodyText(reopened), bodyText(document)) << "step " << i << " (" << what << ")";
    }
    for (Paragraph* p : DocumentInternals::story(document, StoryID::body()).paragraphs())
        if (cleanAtStart.count(p->id.raw) && !reached.count(p->id.raw)) {
            EXPECT_TRUE(p->original && !p->isDirty()) << "paragraph " << p->id.raw << " lost its bytes";
        }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusEdit, ::testing::ValuesIn(rovuvuz::testing::corpusFiles()),
                         [](const auto& param) { return rovuvuz::testing::parameterName(param.param); });
