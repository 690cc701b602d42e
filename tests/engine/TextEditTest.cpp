// Text edits, direct and tracked: the markup they write, own insertions joined and undone,
// hyperlinks, multi-paragraph replacement, reconcile and story capture.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Revisions.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/edit/Structural.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));  // 2024-03-01T09:30:00Z
const EditMode direct = EditMode::direct();
const EditMode byA = EditMode::trackedBy("A", when);
const EditMode byB = EditMode::trackedBy("B", when);

struct Fixture {
    DocxDocument document;
    explicit Fixture(std::string_view body) : document(makePackage(minimalDocument(body))) {}

    Paragraph& at(size_t i) { return *document.story(StoryID::body()).paragraphs().at(i); }
    ParagraphID id(size_t i) { return at(i).id; }
    // A paragraph's inline content as it would be written, without the w:p tags.
    std::string inlines(size_t i) {
        Bytes out;
        Serializer::inlines(at(i).inlines, at(i).props ? &*at(i).props : nullptr, out);
        return std::string(out.begin(), out.end());
    }
    std::u16string text(size_t i) { return InlineOps::visibleText(at(i).inlines); }
    void replace(size_t i, size_t lower, size_t upper, std::u16string_view with, const EditMode& mode) {
        document.replaceText(id(i), StoryID::body(), TextRange{lower, upper}, with, mode);
        const auto problem = document.story(StoryID::body()).checkInvariants();
        EXPECT_FALSE(problem) << *problem;
    }
    // The body saved and read again: what another reader would see.
    std::u16string reopenedText(size_t i) {
        DocxDocument again(document.data());
        return InlineOps::visibleText(again.story(StoryID::body()).paragraphs().at(i)->inlines);
    }
};

const std::string D = "2024-03-01T09:30:00Z";

}  // namespace

TEST(TextEdit, TrackedReplacementWritesDeletionThenInsertion) {
    Fixture f("<w:p><w:r w:rsidR=\"00A1\"><w:rPr><w:i/></w:rPr><w:t>abc</w:t></w:r></w:p>");
    for (int i = 0; i < 4; ++i) f.document.nextRevisionID();
    f.replace(0, 1, 2, u"X", byA);
    EXPECT_EQ(f.inlines(0),
              "<w:r w:rsidR=\"00A1\"><w:rPr><w:i/></w:rPr><w:t>a</w:t></w:r>"
              "<w:del w:id=\"5\" w:author=\"A\" w:date=\"" + D + "\"><w:r w:rsidR=\"00A1\"><w:rPr><w:i/></w:rPr>"
              "<w:delText>b</w:delText></w:r></w:del>"
              "<w:ins w:id=\"6\" w:author=\"A\" w:date=\"" + D + "\"><w:r><w:rPr><w:i/></w:rPr><w:t>X</w:t></w:r></w:ins>"
              "<w:r w:rsidR=\"00A1\"><w:rPr><w:i/></w:rPr><w:t>c</w:t></w:r>");
    EXPECT_EQ(f.text(0), u"abXc");
    EXPECT_EQ(f.reopenedText(0), u"abXc");
}

TEST(TextEdit, OwnInsertionsJoinAndVanish) {
    Fixture f("<w:p><w:r><w:t>ab</w:t></w:r></w:p>");
    f.replace(0, 1, 1, u"X", byA);
    f.replace(0, 2, 2, u"Y", byA);  // after own insertion: the same w:ins grows
    f.replace(0, 1, 1, u"W", byA);  // before it, through the character after
    EXPECT_EQ(f.text(0), u"aWXYb");
    const std::string once = f.inlines(0);
    EXPECT_EQ(once.find("<w:ins"), once.rfind("<w:ins")) << once;
    // Deleting all of it, and some other text, leaves the other text deleted and no trace.
    f.replace(0, 1, 4, u"", byA);
    EXPECT_EQ(f.inlines(0), "<w:r><w:t>a</w:t></w:r><w:r><w:t>b</w:t></w:r>");
    f.replace(0, 0, 2, u"Z", byA);
    EXPECT_EQ(f.text(0), u"abZ");  // the new text lands after the deleted text
    EXPECT_NE(f.inlines(0).find("<w:delText>a</w:delText>"), std::string::npos);
    // Deleting deleted text again changes nothing.
    const std::string before = f.inlines(0);
    f.replace(0, 0, 2, u"", byA);
    EXPECT_EQ(f.inlines(0), before);
}

TEST(TextEdit, AnotherAuthorsInsertionIsSplitOrNested) {
    Fixture f("<w:p><w:ins w:id=\"1\" w:author=\"B\" w:date=\"" + D + "\"><w:r><w:t>abcd</w:t></w:r></w:ins></w:p>");
    f.replace(0, 2, 2, u"X", byA);
    const std::string s = f.inlines(0);
    EXPECT_NE(s.find("<w:ins w:id=\"1\" w:author=\"B\""), std::string::npos);
    EXPECT_NE(s.find("<w:ins w:id=\"2\" w:author=\"A\""), std::string::npos);
    EXPECT_NE(s.find("<w:ins w:id=\"3\" w:author=\"B\" w:date=\"" + D + "\"><w:r><w:t>cd</w:t>"), std::string::npos) << s;
    // Next to B's insertion, A gets a new one; a deletion of B's text sits inside B's w:ins.
    f.replace(0, 0, 1, u"", byA);
    EXPECT_NE(f.inlines(0).find("\"B\" w:date=\"" + D + "\"><w:del"), std::string::npos) << f.inlines(0);
    EXPECT_EQ(f.reopenedText(0), u"abXcd");
}

// Backspace after Backspace, Delete after Delete: one author's deletions that meet within a
// few minutes are one change, whose first id and date stay.
TEST(TextEdit, DeletionsByOneAuthorThatMeetAreOneChange) {
    Fixture f("<w:p><w:r><w:t>abcdefgh</w:t></w:r></w:p>");
    f.replace(0, 5, 6, u"", byA);  // f
    f.replace(0, 4, 5, u"", byA);  // e, backwards
    f.replace(0, 6, 7, u"", byA);  // g, forwards
    std::string s = f.inlines(0);
    EXPECT_EQ(s, "<w:r><w:t>abcd</w:t></w:r><w:del w:id=\"1\" w:author=\"A\" w:date=\"" + D +
                     "\"><w:r><w:delText>e</w:delText></w:r><w:r><w:delText>f</w:delText></w:r><w:r>"
                     "<w:delText>g</w:delText></w:r></w:del><w:r><w:t>h</w:t></w:r>");
    // Between two of them the gap closes into the first.
    f.replace(0, 0, 1, u"", byA);
    f.replace(0, 2, 3, u"", byA);
    f.replace(0, 1, 2, u"", byA);
    s = f.inlines(0);
    EXPECT_EQ(rovuvuz::testing::count(s, "<w:del "), 2u) << s;
    EXPECT_EQ(s.find("<w:del w:id=\"4\""), 0u) << s;
    // Another author's deletion, or the same author's an hour later, is a change of its own.
    f.replace(0, 3, 4, u"", byB);
    f.replace(0, 7, 8, u"", EditMode::trackedBy("A", when + std::chrono::hours(1)));
    EXPECT_EQ(rovuvuz::testing::count(f.inlines(0), "<w:del "), 4u) << f.inlines(0);
    EXPECT_EQ(f.text(0), u"abcdefgh");
    EXPECT_EQ(f.reopenedText(0), u"abcdefgh");
}

TEST(TextEdit, DeletionsJoinOnlyWhereNothingStandsBetween) {
    Fixture f("<w:p><w:r><w:t>abc</w:t></w:r><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
              "<w:r><w:rPr><w:b/></w:rPr><w:t>de</w:t></w:r></w:p>");
    f.replace(0, 1, 2, u"", byA);
    f.replace(0, 3, 4, u"", byA);
    std::string s = f.inlines(0);
    EXPECT_NE(s.find("w:id=\"1\""), std::string::npos);
    EXPECT_NE(s.find("w:id=\"2\""), std::string::npos);
    // Across the zero-length field character, two containers; without it, one.
    Fixture g("<w:p><w:r><w:t>abc</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>de</w:t></w:r></w:p>");
    g.replace(0, 1, 4, u"", byA);
    s = g.inlines(0);
    EXPECT_EQ(s.find("<w:del "), s.rfind("<w:del ")) << s;
    // Another author deleting over both: A's deletions stay A's, the rest becomes B's.
    f.replace(0, 0, 5, u"", byB);
    s = f.inlines(0);
    EXPECT_EQ(f.text(0), u"abcde");
    EXPECT_EQ(s.find("<w:t>"), std::string::npos) << s;
    EXPECT_NE(s.find("w:author=\"B\""), std::string::npos);
    EXPECT_NE(s.find("w:id=\"1\" w:author=\"A\""), std::string::npos);
}

TEST(TextEdit, HyperlinksTakeTypingInsideButNotAtTheirEnd) {
    const std::string body = "<w:p><w:r><w:t>x</w:t></w:r><w:hyperlink r:id=\"rId9\" "
                             "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                             "<w:r><w:t>link</w:t></w:r></w:hyperlink></w:p>";
    Fixture f(body);
    f.replace(0, 3, 3, u"Q", byA);
    EXPECT_NE(f.inlines(0).find("<w:t>li</w:t></w:r><w:ins"), std::string::npos) << f.inlines(0);
    EXPECT_LT(f.inlines(0).find("<w:ins"), f.inlines(0).find("</w:hyperlink>"));
    f.replace(0, 6, 6, u"E", byA);  // at the link's end: outside it
    EXPECT_GT(f.inlines(0).rfind("<w:ins"), f.inlines(0).find("</w:hyperlink>")) << f.inlines(0);
    // Direct typing inside the link joins its run; at its end or its start it stays out of
    // the link, in the run beside it, or in a new run looking like the link's text without
    // the link's character style.
    Fixture g(body);
    g.replace(0, 3, 3, u"n", direct);
    EXPECT_NE(g.inlines(0).find("<w:t>linnk</w:t></w:r></w:hyperlink>"), std::string::npos) << g.inlines(0);
    g.replace(0, 6, 6, u"s", direct);
    EXPECT_NE(g.inlines(0).find("</w:hyperlink><w:r><w:t>s</w:t></w:r>"), std::string::npos) << g.inlines(0);
    g.replace(0, 1, 1, u"y", direct);
    EXPECT_NE(g.inlines(0).find("<w:t>xy</w:t></w:r><w:hyperlink"), std::string::npos) << g.inlines(0);
    Fixture styled("<w:p><w:hyperlink r:id=\"rId9\" "
                   "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:r><w:rPr>"
                   "<w:rStyle w:val=\"Hyperlink\"/><w:b/></w:rPr><w:t>link</w:t></w:r></w:hyperlink></w:p>");
    styled.replace(0, 4, 4, u" after", direct);
    styled.replace(0, 0, 0, u"before ", direct);
    EXPECT_EQ(styled.inlines(0),
              "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">before </w:t></w:r><w:hyperlink r:id=\"rId9\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:r><w:rPr>"
              "<w:rStyle w:val=\"Hyperlink\"/><w:b/></w:rPr><w:t>link</w:t></w:r></w:hyperlink><w:r><w:rPr><w:b/>"
              "</w:rPr><w:t xml:space=\"preserve\"> after</w:t></w:r>");
    EXPECT_EQ(styled.reopenedText(0), u"before link after");
}

// A direct replacement of a non-empty range stands where the replaced text stood: in its
// run, with its formatting, inside its containers and on its side of range marks.
TEST(TextEdit, DirectReplacementKeepsTheReplacedTextsRunAndContainers) {
    Fixture styled(
        "<w:p><w:r><w:t xml:space=\"preserve\">a </w:t></w:r><w:r><w:rPr><w:rStyle w:val=\"Emphatic\"/>"
        "<w:i/><w:smallCaps/></w:rPr><w:t>word</w:t></w:r><w:r><w:t xml:space=\"preserve\"> "
        "b</w:t></w:r></w:p>");
    styled.replace(0, 2, 6, u"term", direct);
    EXPECT_NE(
        styled.inlines(0).find("<w:rStyle w:val=\"Emphatic\"/><w:i/><w:smallCaps/></w:rPr><w:t>term</w:t>"),
        std::string::npos)
        << styled.inlines(0);
    EXPECT_EQ(styled.reopenedText(0), u"a term b");

    // After another author's insertion: the new text stays out of it.
    Fixture inserted(
        "<w:p><w:ins w:id=\"1\" w:author=\"B\"><w:r><w:t>new</w:t></w:r></w:ins>"
        "<w:r><w:t>word</w:t></w:r></w:p>");
    inserted.replace(0, 3, 7, u"term", direct);
    EXPECT_NE(inserted.inlines(0).find("<w:t>new</w:t></w:r></w:ins><w:r><w:t>term</w:t></w:r>"),
              std::string::npos)
        << inserted.inlines(0);
    const auto changes = Revisions::list(inserted.document.story(StoryID::body()));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].text, u"new");

    // The whole of a comment's range, and a word right after a bookmark's end.
    Fixture marked(
        "<w:p><w:r><w:t xml:space=\"preserve\">a </w:t></w:r><w:commentRangeStart w:id=\"0\"/>"
        "<w:r><w:t>word</w:t></w:r><w:commentRangeEnd w:id=\"0\"/><w:bookmarkEnd w:id=\"7\"/>"
        "<w:r><w:t>bar</w:t></w:r></w:p>");
    marked.replace(0, 6, 9, u"baz", direct);
    marked.replace(0, 2, 6, u"term", direct);
    EXPECT_NE(marked.inlines(0).find(
                  "<w:commentRangeStart w:id=\"0\"/><w:r><w:t>term</w:t></w:r>"
                  "<w:commentRangeEnd w:id=\"0\"/><w:bookmarkEnd w:id=\"7\"/><w:r><w:t>baz</w:t>"),
              std::string::npos)
        << marked.inlines(0);

    // The first word of a hyperlink stays in the link.
    Fixture linked(
        "<w:p><w:hyperlink w:anchor=\"x\"><w:r><w:t xml:space=\"preserve\">link text</w:t></w:r>"
        "</w:hyperlink></w:p>");
    linked.replace(0, 0, 4, u"chain", direct);
    EXPECT_NE(linked.inlines(0).find(
                  "<w:hyperlink w:anchor=\"x\"><w:r><w:t>chain text</w:t>"),
              std::string::npos)
        << linked.inlines(0);

    // A range that ends in deleted text: the text joins the last live run before it.
    Fixture ending(
        "<w:p><w:r><w:t>ab</w:t></w:r><w:del w:id=\"1\" w:author=\"B\"><w:r><w:delText>c</w:delText>"
        "</w:r></w:del><w:r><w:t>d</w:t></w:r></w:p>");
    ending.replace(0, 0, 3, u"XY", direct);
    EXPECT_EQ(ending.inlines(0), "<w:r><w:t>XY</w:t></w:r><w:r><w:t>d</w:t></w:r>");
    // Only deleted text in the range: typed where it stood.
    Fixture deleted(
        "<w:p><w:r><w:t>ab</w:t></w:r><w:del w:id=\"1\" w:author=\"B\"><w:r><w:delText>c</w:delText>"
        "</w:r></w:del></w:p>");
    deleted.replace(0, 2, 3, u"Z", direct);
    EXPECT_EQ(deleted.text(0), u"abZ");
}

// A tracked insertion beside a run looks like that run, even a run without properties;
// the paragraph mark's properties are for places without runs.
TEST(TextEdit, TrackedInsertionAtAParagraphStartTakesTheRunAfterIt) {
    Fixture f(
        "<w:p><w:pPr><w:rPr><w:lang w:eastAsia=\"ja-JP\"/></w:rPr></w:pPr><w:r><w:t>text</w:t></w:r></w:p>");
    f.replace(0, 0, 0, u"New", byA);
    EXPECT_NE(f.inlines(0).find("\"><w:r><w:t>New</w:t></w:r></w:ins><w:r><w:t>text</w:t>"),
              std::string::npos)
        << f.inlines(0);
    Fixture g(
        "<w:p><w:pPr><w:rPr><w:lang w:eastAsia=\"ja-JP\"/></w:rPr></w:pPr><w:r><w:rPr><w:b/></w:rPr>"
        "<w:t>text</w:t></w:r></w:p>");
    g.replace(0, 0, 0, u"New", byA);
    EXPECT_NE(g.inlines(0).find("\"><w:r><w:rPr><w:b/></w:rPr><w:t>New</w:t></w:r></w:ins>"),
              std::string::npos)
        << g.inlines(0);
}

TEST(TextEdit, EmptyParagraphTakesTheMarkProperties) {
    const std::string body = "<w:p><w:pPr><w:rPr><w:ins w:id=\"1\" w:author=\"B\" w:date=\"" + D +
                             "\"/><w:b/></w:rPr></w:pPr></w:p>";
    Fixture f(body);
    f.replace(0, 0, 0, u"hi", direct);
    EXPECT_NE(f.inlines(0).find("</w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t>hi</w:t></w:r>"), std::string::npos)
        << f.inlines(0);
    Fixture g(body);
    g.replace(0, 0, 0, u"hi", byA);
    EXPECT_NE(g.inlines(0).find("</w:pPr><w:ins w:id=\"2\" w:author=\"A\""), std::string::npos) << g.inlines(0);
    // After deleted text, direct typing attaches to the following run, or makes a new one.
    Fixture h("<w:p><w:del w:id=\"1\" w:author=\"B\"><w:r><w:delText>a</w:delText></w:r></w:del></w:p>");
    h.replace(0, 1, 1, u"b", direct);
    EXPECT_NE(h.inlines(0).find("</w:del><w:r><w:t>b</w:t></w:r>"), std::string::npos) << h.inlines(0);
}

TEST(TextEdit, ControlCharactersAndSurrogates) {
    Fixture f("<w:p><w:r><w:t>a\xF0\x9F\x98\x80" "b</w:t></w:r></w:p>");
    // One letter, a pair, one letter; offset 2 is between the halves of the pair.
    f.replace(0, 2, 2, u"\t\r\n\u2028x\uFFFC\u0001", direct);
    EXPECT_EQ(f.text(0), u"a\t\u2028\u2028x\U0001F600b");
    EXPECT_EQ(f.reopenedText(0), f.text(0));
    // reconcile never splits a pair either.
    Fixture g("<w:p><w:r><w:t>\xF0\x9F\x98\x80</w:t></w:r></w:p>");
    g.document.reconcile(g.id(0), StoryID::body(), u"\U0001F601", direct);
    EXPECT_EQ(g.text(0), u"\U0001F601");
    EXPECT_EQ(g.reopenedText(0), u"\U0001F601");
}

TEST(TextEdit, ReconcileReplacesOnlyTheDifference) {
    Fixture f("<w:p><w:r><w:t>abc</w:t></w:r></w:p>");
    f.document.reconcile(f.id(0), StoryID::body(), u"abc", byA);
    EXPECT_FALSE(f.at(0).isDirty());
    EXPECT_FALSE(f.document.story(StoryID::body()).touched);
    f.document.reconcile(f.id(0), StoryID::body(), u"abXc", byA);
    EXPECT_EQ(f.text(0), u"abXc");
    EXPECT_EQ(f.inlines(0).find("<w:del"), std::string::npos);
}

TEST(TextEdit, ReplacingAcrossParagraphs) {
    Fixture f("<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p>"
              "<w:p><w:r><w:t>three</w:t></w:r></w:p>");
    auto ids = f.document.replaceText({f.id(0), 1}, {f.id(0), 2}, StoryID::body(), u"X\nY\nZ", direct);
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(f.text(0), u"oX");
    EXPECT_EQ(f.text(2), u"Ze");
    Fixture g("<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p>"
              "<w:p><w:r><w:t>three</w:t></w:r></w:p>");
    ids = g.document.replaceText({g.id(0), 1}, {g.id(2), 2}, StoryID::body(), u"", direct);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(g.text(0), u"oree");
    Fixture h("<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p>"
              "<w:p><w:r><w:t>three</w:t></w:r></w:p>");
    ids = h.document.replaceText({h.id(0), 1}, {h.id(2), 2}, StoryID::body(), u"", byA);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_NE(h.inlines(0).find("<w:rPr><w:del w:id="), std::string::npos) << h.inlines(0);
    EXPECT_NE(h.inlines(1).find("<w:rPr><w:del w:id="), std::string::npos);
    EXPECT_EQ(h.inlines(2).find("<w:rPr><w:del w:id="), std::string::npos);
}

// Replacing across a paragraph break the same author inserted undoes that break: the
// paragraphs returned are those standing where the range stood, and the mark that ends
// the joined paragraph keeps the change the replacement made to it.
TEST(TextEdit, ReplacingOverOwnTrackedBreakReturnsTheParagraphsThatStand) {
    const std::string body =
        "<w:p/><w:p><w:r><w:t>Heading 1</w:t></w:r></w:p><w:p><w:r><w:t>Body</w:t></w:r></w:p>";
    const auto allTexts = [](DocxDocument& document) {
        std::vector<std::u16string> texts;
        for (const Paragraph* p : document.story(StoryID::body()).paragraphs())
            texts.push_back(InlineOps::visibleText(p->inlines));
        return texts;
    };
    const auto resolved = [&](Fixture& f, bool accept) {
        DocxDocument copy(f.document.data());
        copy.apply(StructuralEdit{accept ? StructuralEdit::Value{StructuralEdit::AcceptAll{}}
                                         : StructuralEdit::Value{StructuralEdit::RejectAll{}}},
                   StoryID::body(), direct);
        return allTexts(copy);
    };
    using Texts = std::vector<std::u16string>;
    for (const size_t to : {2u, 3u}) {  // to the start of " 1", which the break made, or of "Body"
        SCOPED_TRACE(to);
        Fixture f(body);
        f.document.apply(StructuralEdit{StructuralEdit::SplitParagraph{f.id(1), 7}}, StoryID::body(), byA);
        ASSERT_EQ(allTexts(f.document), (Texts{u"", u"Heading", u" 1", u"Body"}));
        const ParagraphID first = f.id(0), heading = f.id(1), last = f.id(3);
        const auto ids = f.document.replaceText({first, 0}, {f.id(to), 0}, StoryID::body(), u",", byA);
        EXPECT_FALSE(f.document.story(StoryID::body()).checkInvariants());
        EXPECT_EQ(ids, to == 2 ? (std::vector<ParagraphID>{first, heading})
                               : (std::vector<ParagraphID>{first, heading, last}));
        EXPECT_EQ(resolved(f, true), to == 2 ? (Texts{u", 1", u"Body"}) : (Texts{u",Body"}));
        EXPECT_EQ(resolved(f, false), (Texts{u"", u"Heading 1", u"Body"}));
    }
}

TEST(TextEdit, BadArgumentsChangeNothing) {
    Fixture f("<w:p><w:r><w:t>ab</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl><w:p/>");
    const auto code = [&](auto&& call) {
        try {
            call();
        } catch (const DocxError& error) {
            return error.code();
        }
        return DocxErrorCode::noMainDocument;  // nothing thrown
    };
    const StoryID body = StoryID::body();
    EXPECT_EQ(code([&] { f.document.replaceText(f.id(0), body, TextRange{1, 3}, u"x", direct); }),
              DocxErrorCode::rangeOutOfBounds);
    EXPECT_EQ(code([&] { f.document.replaceText(f.id(0), body, TextRange{2, 1}, u"x", direct); }),
              DocxErrorCode::rangeOutOfBounds);
    EXPECT_EQ(code([&] { f.document.replaceText(ParagraphID{9999}, body, TextRange{0, 0}, u"x", direct); }),
              DocxErrorCode::unknownParagraph);
    EXPECT_EQ(code([&] { f.document.replaceText({f.id(0), 0}, {f.id(2), 0}, body, u"", direct); }),
              DocxErrorCode::crossesStructure);
    EXPECT_EQ(code([&] { f.document.replaceText({f.id(2), 0}, {f.id(0), 0}, body, u"", direct); }),
              DocxErrorCode::crossesStructure);
    EXPECT_FALSE(f.document.story(body).touched);
    EXPECT_FALSE(f.at(0).isDirty());
}

TEST(TextEdit, StoryDataRestoresAnEdit) {
    Fixture f("<w:p><w:r><w:t>abc</w:t></w:r></w:p>");
    const Bytes saved = f.document.storyData(StoryID::body());
    f.replace(0, 0, 3, u"zzz", byA);
    f.document.restoreStory(StoryID::body(), saved);
    EXPECT_EQ(f.text(0), u"abc");
    EXPECT_EQ(f.document.storyData(StoryID::body()), saved);
    EXPECT_TRUE(f.document.dirtyParts().empty());
}
