// Accepting and rejecting tracked changes: run containers, nested revisions of two authors,
// paragraph marks and the joins they imply, property changes, revision numbers as files
// write them, and round trips through tracked editing.
#include <gtest/gtest.h>

#include <random>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/Revisions.h"
#include "RovuVuz/model/Serializer.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

namespace {

using E = StructuralEdit;
const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));

struct Fixture {
    DocxDocument document;
    explicit Fixture(std::string_view body) : document(makePackage(minimalDocument(body))) {}

    std::vector<Paragraph*> paragraphs() { return document.story(StoryID::body()).paragraphs(); }
    std::string xml(size_t i) {
        Bytes out;
        Serializer::paragraph(*paragraphs().at(i), out);
        return std::string(out.begin(), out.end());
    }
    void apply(E::Value edit) {
        document.apply(StructuralEdit{std::move(edit)}, StoryID::body(), EditMode::direct());
        const auto problem = document.story(StoryID::body()).checkInvariants();
        EXPECT_FALSE(problem) << *problem;
    }
};

std::string ins(int id, std::string_view author, std::string_view runs) {
    return "<w:ins w:id=\"" + std::to_string(id) + "\" w:author=\"" + std::string(author) + "\">" + std::string(runs) +
           "</w:ins>";
}
std::string del(int id, std::string_view author, std::string_view text) {
    return "<w:del w:id=\"" + std::to_string(id) + "\" w:author=\"" + std::string(author) + "\"><w:r><w:delText>" +
           std::string(text) + "</w:delText></w:r></w:del>";
}
std::string run(std::string_view text) { return "<w:r><w:t>" + std::string(text) + "</w:t></w:r>"; }

}  // namespace

TEST(Revisions, AllOfAParagraphAcceptedOrRejected) {
    const std::string body = "<w:p>" + run("a") + ins(1, "A", run("b")) + del(2, "A", "c") + "</w:p>";
    Fixture accepted(body);
    accepted.apply(E::AcceptAll{});
    EXPECT_EQ(accepted.xml(0), "<w:p>" + run("a") + run("b") + "</w:p>");
    EXPECT_TRUE(accepted.document.story(StoryID::body()).touched);

    Fixture rejected(body);
    rejected.apply(E::RejectAll{});
    EXPECT_EQ(rejected.xml(0), "<w:p>" + run("a") + run("c") + "</w:p>");
}

TEST(Revisions, OneDeletionByIDLeavesTheOthers) {
    Fixture f("<w:p>" + del(2, "A", "x") + run("-") + del(3, "A", "y") + "</w:p>");
    f.apply(E::Reject{RevisionID{3}});
    EXPECT_EQ(f.xml(0), "<w:p>" + del(2, "A", "x") + run("-") + run("y") + "</w:p>");
    f.apply(E::Accept{RevisionID{2}});
    EXPECT_EQ(f.xml(0), "<w:p>" + run("-") + run("y") + "</w:p>");
    // A number nothing carries changes nothing.
    f.apply(E::Accept{RevisionID{99}});
    EXPECT_EQ(f.xml(0), "<w:p>" + run("-") + run("y") + "</w:p>");
}

TEST(Revisions, DeletionInsideAnotherAuthorsInsertion) {
    const std::string body = "<w:p>" + ins(1, "A", run("kept") + del(2, "B", "gone")) + "</w:p>";
    Fixture one(body);
    one.apply(E::Accept{RevisionID{1}});
    EXPECT_EQ(one.xml(0), "<w:p>" + run("kept") + del(2, "B", "gone") + "</w:p>");

    Fixture all(body);
    all.apply(E::AcceptAll{});
    EXPECT_EQ(all.xml(0), "<w:p>" + run("kept") + "</w:p>");

    // Rejecting the insertion takes the deletion inside it too.
    Fixture outer(body);
    outer.apply(E::Reject{RevisionID{1}});
    EXPECT_EQ(outer.xml(0), "<w:p></w:p>");
}

TEST(Revisions, ConsecutiveDeletedMarksCollapseIntoTheFirstParagraph) {
    const auto deletedMark = [](int id, std::string_view jc) {
        return "<w:pPr><w:jc w:val=\"" + std::string(jc) + "\"/><w:rPr><w:del w:id=\"" + std::to_string(id) +
               "\" w:author=\"A\"/></w:rPr></w:pPr>";
    };
    const std::string body = "<w:p>" + deletedMark(5, "center") + run("a") + "</w:p><w:p>" + deletedMark(6, "right") +
                             run("b") + "</w:p><w:p>" + run("c") + "</w:p>";
    Fixture accepted(body);
    accepted.apply(E::AcceptAll{});
    ASSERT_EQ(accepted.paragraphs().size(), 1u);
    EXPECT_EQ(accepted.xml(0), "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>" + run("a") + run("b") + run("c") + "</w:p>");

    Fixture rejected(body);
    rejected.apply(E::RejectAll{});
    ASSERT_EQ(rejected.paragraphs().size(), 3u);
    EXPECT_EQ(rejected.xml(1), "<w:p><w:pPr><w:jc w:val=\"right\"/></w:pPr>" + run("b") + "</w:p>");

    // Only the chosen mark: the second paragraph joins the third.
    Fixture one(body);
    one.apply(E::Accept{RevisionID{6}});
    ASSERT_EQ(one.paragraphs().size(), 2u);
    EXPECT_EQ(one.xml(1), "<w:p><w:pPr><w:jc w:val=\"right\"/></w:pPr>" + run("b") + run("c") + "</w:p>");
}

TEST(Revisions, RejectedSplitJoinsAgainAndAcceptedSplitStays) {
    const std::string body = "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>" + run("abcd") + "</w:p>";
    for (const bool accept : {false, true}) {
        Fixture f(body);
        const ParagraphID first = f.paragraphs().at(0)->id;
        f.document.apply(StructuralEdit{E::SplitParagraph{first, 2}}, StoryID::body(),
                         EditMode::trackedBy("A", when));
        ASSERT_EQ(f.paragraphs().size(), 2u);
        ASSERT_TRUE(f.paragraphs().at(0)->props->child("rPr"));
        if (accept) f.apply(E::AcceptAll{});
        else f.apply(E::RejectAll{});
        const auto snapshot = f.document.snapshot(StoryID::body());
        std::vector<std::u16string> texts;
        for (const auto* p : snapshot.paragraphs()) {
            texts.push_back(p->text);
            EXPECT_FALSE(p->markRevision);
        }
        const std::vector<std::u16string> expected =
            accept ? std::vector<std::u16string>{u"ab", u"cd"} : std::vector<std::u16string>{u"abcd"};
        EXPECT_EQ(texts, expected);
        EXPECT_FALSE(f.paragraphs().at(0)->props->child("rPr"));
    }
}

TEST(Revisions, RejectedRunFormatIsRestoredAsRecorded) {
    const std::string body =
        "<w:p><w:r><w:rPr><w:i/><w:rPrChange w:id=\"7\" w:author=\"A\"><w:rPr><w:b/><w:u w:val=\"single\"/>"
        "</w:rPr></w:rPrChange></w:rPr><w:t>x</w:t></w:r></w:p>";
    Fixture rejected(body);
    rejected.apply(E::Reject{RevisionID{7}});
    EXPECT_EQ(rejected.xml(0), "<w:p><w:r><w:rPr><w:b/><w:u w:val=\"single\"/></w:rPr><w:t>x</w:t></w:r></w:p>");

    Fixture accepted(body);
    accepted.apply(E::AcceptAll{});
    EXPECT_EQ(accepted.xml(0), "<w:p><w:r><w:rPr><w:i/></w:rPr><w:t>x</w:t></w:r></w:p>");
}

TEST(Revisions, RejectedParagraphFormatKeepsSectionBreakAndMark) {
    const std::string sectPr = "<w:sectPr><w:pgSz w:w=\"12240\"/></w:sectPr>";
    const std::string body = "<w:p><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:b/></w:rPr>" + sectPr +
                             "<w:pPrChange w:id=\"8\" w:author=\"A\"><w:pPr><w:ind w:left=\"720\"/></w:pPr>"
                             "</w:pPrChange></w:pPr>" + run("x") + "</w:p>";
    Fixture rejected(body);
    rejected.apply(E::RejectAll{});
    EXPECT_EQ(rejected.xml(0), "<w:p><w:pPr><w:ind w:left=\"720\"/><w:rPr><w:b/></w:rPr>" + sectPr + "</w:pPr>" +
                                   run("x") + "</w:p>");

    Fixture accepted(body);
    accepted.apply(E::Accept{RevisionID{8}});
    EXPECT_EQ(accepted.xml(0),
              "<w:p><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:b/></w:rPr>" + sectPr + "</w:pPr>" + run("x") + "</w:p>");
}

TEST(Revisions, IDsAreReadAsTheFileWritesThem) {
    const std::string body = "<w:p><w:ins w:id=\"007\" w:author=\"A\">" + run("a") +
                             "</w:ins><w:ins w:id=\"x1\" w:author=\"A\">" + run("b") +
                             "</w:ins><w:ins w:author=\"A\">" + run("c") + "</w:ins></w:p>";
    Fixture f(body);
    f.apply(E::Reject{RevisionID{7}});
    f.apply(E::Reject{RevisionID{1}});
    f.apply(E::Reject{RevisionID{0}});
    EXPECT_EQ(f.xml(0), "<w:p><w:ins w:id=\"x1\" w:author=\"A\">" + run("b") + "</w:ins><w:ins w:author=\"A\">" +
                            run("c") + "</w:ins></w:p>");
    f.apply(E::RejectAll{});
    EXPECT_EQ(f.xml(0), "<w:p></w:p>");
}

TEST(Revisions, ListNamesEveryKindOfChange) {
    const std::string body =
        "<w:p><w:pPr><w:rPr><w:ins w:id=\"4\" w:author=\"C\" w:date=\"2024-03-01T00:00:00Z\"/></w:rPr>"
        "<w:pPrChange w:id=\"5\" w:author=\"C\"><w:pPr/></w:pPrChange></w:pPr>" +
        ins(1, "A", run("new") + del(2, "B", "old")) +
        "<w:r><w:rPr><w:b/><w:rPrChange w:id=\"3\" w:author=\"A\"><w:rPr/></w:rPrChange></w:rPr><w:t>bo</w:t></w:r>"
        "<w:r><w:rPr><w:b/><w:rPrChange w:id=\"3\" w:author=\"A\"><w:rPr/></w:rPrChange></w:rPr><w:t>ld</w:t></w:r>"
        "</w:p>";
    Fixture f(body);
    const auto changes = Revisions::list(f.document.story(StoryID::body()));
    using K = TrackedChange::Kind;
    std::vector<std::tuple<std::string, K, std::string, std::u16string>> seen;
    for (const auto& c : changes) seen.emplace_back(c.id, c.kind, c.author, c.text);
    const decltype(seen) expected = {{"1", K::insertion, "A", u"newold"},
                                     {"2", K::deletion, "B", u"old"},
                                     {"3", K::runFormat, "A", u"bold"},
                                     {"5", K::paragraphFormat, "C", u"newoldbold"},
                                     {"4", K::insertedMark, "C", u"newoldbold"}};
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[4].date, "2024-03-01T00:00:00Z");
}

TEST(Revisions, TrackedTableRowsAreListedBeforeTheChangesInsideThem) {
    const std::string cell = "<w:tc><w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc>";
    Fixture f("<w:tbl><w:tr>" + cell + "</w:tr>"
              "<w:tr><w:trPr><w:ins w:id=\"7\" w:author=\"R\" w:date=\"2024-03-01T00:00:00Z\"/></w:trPr>"
              "<w:tc><w:p>" + ins(8, "R", run("in")) + "</w:p></w:tc>" + cell + "</w:tr>"
              "<w:tr><w:trPr><w:cantSplit/><w:del w:id=\"9\" w:author=\"S\"/></w:trPr>" + cell + "</w:tr>"
              "<w:tr><w:trPr><w:cantSplit/></w:trPr>" + cell + "</w:tr></w:tbl>");
    using K = TrackedChange::Kind;
    std::vector<std::tuple<std::string, K, std::string, std::u16string>> seen;
    for (const auto& c : Revisions::list(f.document.story(StoryID::body())))
        seen.emplace_back(c.id, c.kind, c.author, c.text);
    const decltype(seen) expected = {{"7", K::insertedRow, "R", u"in\tc"},
                                     {"8", K::insertion, "R", u"in"},
                                     {"9", K::deletedRow, "S", u"c"}};
    EXPECT_EQ(seen, expected);
}

// A sentence moved to the front of its paragraph, as Word writes it: each side's content
// between its range marks.
namespace {

std::string movedSentence() {
    const std::string d = " w:author=\"M\" w:date=\"2024-03-01T00:00:00Z\"";
    return "<w:p><w:moveToRangeStart w:id=\"10\"" + d + " w:name=\"move1\"/><w:moveTo w:id=\"11\"" + d +
           "><w:r><w:rPr><w:i/></w:rPr><w:t xml:space=\"preserve\">Moved. </w:t></w:r></w:moveTo>"
           "<w:moveToRangeEnd w:id=\"10\"/>" +
           run("Stay. ") + "<w:moveFromRangeStart w:id=\"12\"" + d +
           " w:name=\"move1\"/><w:moveFrom w:id=\"13\"" + d +
           "><w:r><w:rPr><w:i/></w:rPr><w:delText xml:space=\"preserve\">Moved. "
           "</w:delText></w:r></w:moveFrom>"
           "<w:moveFromRangeEnd w:id=\"12\"/></w:p>";
}

std::u16string text(Fixture& f, size_t i) {
    return InlineOps::visibleText(f.paragraphs().at(i)->inlines);
}

}  // namespace

TEST(Revisions, MovesAreListedAcceptedAndRejected) {
    Fixture listed(movedSentence());
    const auto changes = Revisions::list(listed.document.story(StoryID::body()));
    using K = TrackedChange::Kind;
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(std::tie(changes[0].id, changes[0].kind, changes[0].author, changes[0].text),
              std::make_tuple(std::string("11"), K::movedTo, std::string("M"), std::u16string(u"Moved. ")));
    EXPECT_EQ(std::tie(changes[1].id, changes[1].kind, changes[1].text),
              std::make_tuple(std::string("13"), K::movedFrom, std::u16string(u"Moved. ")));
    EXPECT_EQ(changes[1].date, "2024-03-01T00:00:00Z");

    Fixture accepted(movedSentence());
    accepted.apply(E::AcceptAll{});
    EXPECT_EQ(accepted.xml(0),
              "<w:p><w:r><w:rPr><w:i/></w:rPr><w:t xml:space=\"preserve\">Moved. </w:t></w:r>" +
                  run("Stay. ") + "</w:p>");
    EXPECT_TRUE(Revisions::list(accepted.document.story(StoryID::body())).empty());

    Fixture rejected(movedSentence());
    rejected.apply(E::RejectAll{});
    EXPECT_EQ(text(rejected, 0), u"Stay. Moved. ");
    EXPECT_EQ(rejected.xml(0).find("move"), std::string::npos) << rejected.xml(0);
    EXPECT_EQ(rejected.xml(0).find("delText"), std::string::npos) << rejected.xml(0);

    // One side by its number resolves the move: both sides, found by the name their
    // ranges share.
    Fixture one(movedSentence());
    one.apply(E::Accept{RevisionID{13}});
    EXPECT_EQ(accepted.xml(0), one.xml(0));
    Fixture other(movedSentence());
    other.apply(E::Reject{RevisionID{11}});
    EXPECT_EQ(text(other, 0), u"Stay. Moved. ");
    EXPECT_EQ(other.xml(0).find("move"), std::string::npos) << other.xml(0);

    // A moved piece outside any named range is resolved alone, and its neighbour's range
    // marks stay with the neighbour.
    std::string unnamed = movedSentence();
    const std::string name = " w:name=\"move1\"";
    unnamed.erase(unnamed.find(name), name.size());
    Fixture alone(unnamed);
    alone.apply(E::Accept{RevisionID{11}});
    EXPECT_EQ(text(alone, 0), u"Moved. Stay. Moved. ");  // the old place, shown as deleted text
    EXPECT_EQ(alone.xml(0).find("moveTo"), std::string::npos) << alone.xml(0);
    EXPECT_NE(alone.xml(0).find("<w:moveFromRangeEnd w:id=\"12\"/>"), std::string::npos) << alone.xml(0);
    EXPECT_EQ(Revisions::list(alone.document.story(StoryID::body())).size(), 1u);
}

// A moved paragraph: its mark carries w:moveTo or w:moveFrom, and Word may close a range
// between paragraphs.
TEST(Revisions, MovedParagraphMarksJoinLikeInsertionsAndDeletions) {
    const std::string body =
        "<w:p><w:pPr><w:rPr><w:moveTo w:id=\"21\" w:author=\"M\"/></w:rPr></w:pPr>"
        "<w:moveToRangeStart w:id=\"20\" w:author=\"M\" w:name=\"move2\"/>"
        "<w:moveTo w:id=\"22\" w:author=\"M\">" +
        run("Second") +
        "</w:moveTo></w:p><w:moveToRangeEnd w:id=\"20\"/>"
        "<w:p>" +
        run("First") +
        "</w:p>"
        "<w:p><w:pPr><w:rPr><w:moveFrom w:id=\"23\" w:author=\"M\"/></w:rPr></w:pPr>"
        "<w:moveFromRangeStart w:id=\"24\" w:author=\"M\" w:name=\"move2\"/>"
        "<w:moveFrom w:id=\"25\" w:author=\"M\"><w:r><w:delText>Second</w:delText></w:r></w:moveFrom></w:p>"
        "<w:moveFromRangeEnd w:id=\"24\"/><w:p>" +
        run("Last") + "</w:p>";
    const auto texts = [](Fixture& f) {
        std::vector<std::u16string> out;
        for (size_t i = 0; i < f.paragraphs().size(); ++i) out.push_back(text(f, i));
        return out;
    };
    Fixture listed(body);
    EXPECT_EQ(Revisions::list(listed.document.story(StoryID::body())).size(), 4u);

    Fixture accepted(body);
    accepted.apply(E::AcceptAll{});
    EXPECT_EQ(texts(accepted), (std::vector<std::u16string>{u"Second", u"First", u"Last"}));
    Fixture rejected(body);
    rejected.apply(E::RejectAll{});
    EXPECT_EQ(texts(rejected), (std::vector<std::u16string>{u"First", u"Second", u"Last"}));
    for (Fixture* f : {&accepted, &rejected}) {
        const Bytes saved = f->document.storyData(StoryID::body());
        EXPECT_EQ(std::string(saved.begin(), saved.end()).find("move"), std::string::npos);
        EXPECT_TRUE(Revisions::list(f->document.story(StoryID::body())).empty());
    }
}

// Tracked editing and resolution agree with direct editing: edits made tracked and then
// rejected leave the text as it was; accepted, the text of the same edits made directly.
namespace {

// The display offset before the n-th character a reader sees once deletions are accepted.
size_t displayOffset(const ParagraphSnapshot& p, size_t visible) {
    std::vector<bool> deleted(p.text.size(), false);
    for (const Span& span : p.spans)
        if (span.revision && span.revision->kind == RevisionKind::remove)
            for (size_t i = span.range.lower; i < span.range.upper && i < deleted.size(); ++i) deleted[i] = true;
    size_t seen = 0;
    for (size_t i = 0; i < p.text.size(); ++i) {
        if (deleted[i]) continue;
        if (seen == visible) return i;
        ++seen;
    }
    return p.text.size();
}

size_t visibleLength(const ParagraphSnapshot& p) {
    size_t n = 0;
    while (displayOffset(p, n) < p.text.size()) ++n;
    return n;
}

std::vector<std::u16string> texts(DocxDocument& document) {
    std::vector<std::u16string> result;
    const auto snapshot = document.snapshot(StoryID::body());
    for (const auto* p : snapshot.paragraphs()) result.push_back(p->text);
    return result;
}

// One random edit made in both documents, addressed by paragraph index and by offsets in
// the accepted text.
void randomEdit(std::mt19937& random, DocxDocument& tracked, DocxDocument& direct) {
    const EditMode byA = EditMode::trackedBy("A", when);
    const auto trackedSnapshot = tracked.snapshot(StoryID::body());
    const auto directSnapshot = direct.snapshot(StoryID::body());
    const auto tp = trackedSnapshot.paragraphs();
    const auto dp = directSnapshot.paragraphs();
    ASSERT_EQ(tp.size(), dp.size());
    const size_t index = random() % tp.size();
    const size_t length = dp[index]->text.size();
    ASSERT_EQ(visibleLength(*tp[index]), length);
    size_t from = random() % (length + 1);
    size_t to = from + random() % (length - from + 1);
    int kind = static_cast<int>(random() % 4);  // insert, delete, replace, split
    if (kind == 0) to = from;
    const std::u16string text = kind == 1 || kind == 3 ? u"" : (random() % 2 ? u"xy" : u"Q");
    const TextRange shown{displayOffset(*tp[index], from), displayOffset(*tp[index], to)};
    if (kind == 3) {
        tracked.apply(StructuralEdit{E::SplitParagraph{tp[index]->id, shown.lower}}, StoryID::body(), byA);
        direct.apply(StructuralEdit{E::SplitParagraph{dp[index]->id, from}}, StoryID::body(), EditMode::direct());
        return;
    }
    tracked.replaceText(tp[index]->id, StoryID::body(), shown, text, byA);
    direct.replaceText(dp[index]->id, StoryID::body(), TextRange{from, to}, text, EditMode::direct());
}

}  // namespace

TEST(Revisions, TrackedEditsRejectedGiveTheOriginalAndAcceptedTheDirectEdits) {
    size_t used = 0;
    for (const auto& path : rovuvuz::testing::corpusFiles()) {
        if (used == 4) break;
        const SharedBytes bytes = share(rovuvuz::testing::readFile(path));
        std::unique_ptr<DocxDocument> probe;
        try {
            probe = std::make_unique<DocxDocument>(bytes);
            if (!Revisions::list(probe->story(StoryID::body())).empty()) continue;
            if (texts(*probe).size() < 2) continue;
        } catch (const std::exception&) {
            continue;  // not every corpus file opens; the corpus suite covers those
        }
        ++used;
        SCOPED_TRACE(path.filename().string());
        DocxDocument tracked(bytes), direct(bytes);
        const auto before = texts(tracked);
        std::mt19937 random(20240301u + static_cast<unsigned>(used));
        for (int step = 0; step < 25; ++step) {
            randomEdit(random, tracked, direct);
            if (::testing::Test::HasFatalFailure()) return;
        }
        const Bytes edited = tracked.storyData(StoryID::body());
        tracked.apply(StructuralEdit{E::RejectAll{}}, StoryID::body(), EditMode::direct());
        EXPECT_EQ(texts(tracked), before);
        tracked.restoreStory(StoryID::body(), edited);
        tracked.apply(StructuralEdit{E::AcceptAll{}}, StoryID::body(), EditMode::direct());
        EXPECT_EQ(texts(tracked), texts(direct));
        EXPECT_TRUE(Revisions::list(tracked.story(StoryID::body())).empty());
        const auto problem = tracked.story(StoryID::body()).checkInvariants();
        EXPECT_FALSE(problem) << *problem;
    }
    EXPECT_GE(used, 2u) << "too few corpus documents without tracked changes";
}
