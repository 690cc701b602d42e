// Comments: the parts and relationships they create, the comment markup, anchors that keep
// offsets, replies ordered after their parent, and the resolved state in commentsExtended.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "RovuVuz/document/Comments.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLTree.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

using rovuvuz::testing::count;

namespace {

const auto date = std::chrono::sys_days{std::chrono::year{2024} / 3 / 1} + std::chrono::hours{9};

// Paragraph identifiers 1, 2, 3, … so that tests can name them.
void countingIdentifiers() {
    auto next = std::make_shared<uint32_t>(0);
    Comments::setNumberSource([next] { return ++*next; });
}

std::string text(const SharedBytes& bytes) {
    return std::string(asChars(*bytes));
}

std::string partText(DocxDocument& document, std::string_view name) {
    return text(document.partData(PartName(name)));
}


struct Fixture {
    std::unique_ptr<DocxDocument> document;
    ParagraphID first;

    explicit Fixture(std::string_view body = "<w:p><w:r><w:t>Hello world</w:t></w:r></w:p>",
                     std::vector<std::pair<std::string, std::string>> extra = {}, std::string rels = {}) {
        countingIdentifiers();
        auto parts = minimalDocument(body, rels);
        parts.insert(parts.end(), extra.begin(), extra.end());
        document = std::make_unique<DocxDocument>(makePackage(parts));
        first = DocumentInternals::story(*document, StoryID::body()).paragraphs().at(0)->id;
    }
    std::string body() { return partText(*document, "word/document.xml"); }
    // Saves and opens again, so that checks see what a reader of the file sees.
    void reopen() {
        document = std::make_unique<DocxDocument>(document->data());
        first = DocumentInternals::story(*document, StoryID::body()).paragraphs().at(0)->id;
    }
};

}  // namespace

TEST(Comments, FirstCommentCreatesThePartAndSecondReusesIt) {
    Fixture f;
    const CommentID one =
        f.document->addComment(f.first, StoryID::body(), {0, 5}, u"Nice", "Ada Lovelace", date);
    const CommentID two =
        f.document->addComment(f.first, StoryID::body(), {6, 11}, u"Again", "Ada Lovelace", date);
    EXPECT_NE(one, two);
    f.reopen();

    const std::string types = partText(*f.document, "[Content_Types].xml");
    EXPECT_EQ(count(types,
                    "PartName=\"/word/comments.xml\" ContentType=\"application/vnd.openxmlformats-"
                    "officedocument.wordprocessingml.comments+xml\""),
              1u);
    const std::string rels = partText(*f.document, "word/_rels/document.xml.rels");
    EXPECT_EQ(count(rels, "relationships/comments\" Target=\"comments.xml\""), 1u);

    const std::string comments = partText(*f.document, "word/comments.xml");
    EXPECT_EQ(count(comments, "<w:comment "), 2u);
    EXPECT_NE(
        comments.find("<w:comment w:id=\"" + std::to_string(one.rawValue) +
                      "\" w:author=\"Ada Lovelace\" w:date=\"2024-03-01T09:00:00Z\" w:initials=\"AL\">"
                      "<w:p w14:paraId=\"00000001\"><w:r><w:annotationRef/></w:r><w:r><w:t>Nice</w:t></w:r>"
                      "</w:p></w:comment>"),
        std::string::npos)
        << comments;
    const auto story = f.document->snapshot(StoryID::comments());
    ASSERT_EQ(story.entries.size(), 2u);
    EXPECT_EQ(story.entries[1].id, two.rawValue);

    // Anchors: start, end, then the reference run, and the text reads as before.
    const std::string body = f.body();
    const std::string id = std::to_string(one.rawValue);
    EXPECT_NE(body.find("<w:commentRangeStart w:id=\"" + id +
                        "\"/><w:r><w:t>Hello</w:t></w:r><w:commentRangeEnd w:id=\"" + id +
                        "\"/><w:r><w:commentReference w:id=\"" + id + "\"/></w:r>"),
              std::string::npos)
        << body;
    EXPECT_EQ(f.document->snapshot(f.first, StoryID::body()).text, u"Hello world");
}

TEST(Comments, AnchorsKeepOffsetsAndEmptyRangesPutStartFirst) {
    Fixture f;
    const auto before = f.document->snapshot(f.first, StoryID::body());
    const CommentID id = f.document->addComment(f.first, StoryID::body(), {3, 3}, u"here", "A", date);
    const auto after = f.document->snapshot(f.first, StoryID::body());
    EXPECT_EQ(after.text, before.text);
    const std::vector<CommentMark> marks = {{id, 3, true}, {id, 3, false}};
    EXPECT_EQ(after.commentMarks, marks);
    const std::string n = std::to_string(id.rawValue);
    EXPECT_NE(f.body().find("<w:t>Hel</w:t></w:r><w:commentRangeStart w:id=\"" + n +
                            "\"/><w:commentRangeEnd w:id=\"" + n + "\"/><w:r><w:commentReference"),
              std::string::npos)
        << f.body();
    // A later edit still counts the same offsets: the anchors take none.
    f.document->replaceText(f.first, StoryID::body(), {6, 11}, u"there", EditMode::direct());
    EXPECT_EQ(f.document->snapshot(f.first, StoryID::body()).text, u"Hello there");
    EXPECT_EQ(DocumentInternals::story(*f.document, StoryID::body()).checkInvariants(), std::nullopt);
}

TEST(Comments, MultiLineTextsStylesAndInitials) {
    const std::string styles =
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:style w:type=\"paragraph\" w:styleId=\"CommentText\"/><w:style w:type=\"character\" "
        "w:styleId=\"CommentReference\"/></w:styles>";
    Fixture f("<w:p><w:r><w:t>Hello world</w:t></w:r></w:p>", {{"word/styles.xml", styles}},
              "<Relationship Id=\"rIdS\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
              "styles\" Target=\"styles.xml\"/>");
    f.document->addComment(f.first, StoryID::body(), {0, 5}, u"one\n\nthree\r\nstill three\t<&>",
                           "ada  King Lovelace", date);
    const std::string comments = partText(*f.document, "word/comments.xml");
    EXPECT_NE(comments.find("w:initials=\"aKL\""), std::string::npos);
    EXPECT_EQ(count(comments, "<w:p "), 3u);
    EXPECT_EQ(count(comments, "<w:annotationRef/>"), 1u);
    EXPECT_EQ(count(comments, "<w:pStyle w:val=\"CommentText\"/>"), 3u);
    // The empty middle line has a paragraph and no text run.
    EXPECT_NE(
        comments.find("<w:p w14:paraId=\"00000002\"><w:pPr><w:pStyle w:val=\"CommentText\"/></w:pPr></w:p>"),
        std::string::npos)
        << comments;
    // A CR LF inside a line is a break in its paragraph, a TAB a tab, as typed text has them.
    EXPECT_NE(comments.find("<w:t>three</w:t><w:br/><w:t>still three</w:t><w:tab/><w:t>&lt;&amp;&gt;</w:t>"),
              std::string::npos)
        << comments;
    const std::string body = f.body();
    EXPECT_NE(body.find("<w:r><w:rPr><w:rStyle w:val=\"CommentReference\"/></w:rPr><w:commentReference"),
              std::string::npos);

    EXPECT_EQ(Comments::initials("Grace"), "G");
    EXPECT_EQ(Comments::initials("  "), "");
    EXPECT_EQ(Comments::initials("\xC3\x89mile Zola"), "\xC3\x89Z");
}

TEST(Comments, RepliesFollowTheParentsAnchorsAndThreadInExtended) {
    Fixture f("<w:p><w:r><w:t>Hello world</w:t></w:r></w:p><w:p><w:r><w:t>Second</w:t></w:r></w:p>");
    auto& body = DocumentInternals::story(*f.document, StoryID::body());
    const ParagraphID second = body.paragraphs().at(1)->id;
    const CommentID parent = f.document->addComment(f.first, StoryID::body(), {6, 11}, u"P", "A", date);
    const CommentID other = f.document->addComment(second, StoryID::body(), {0, 6}, u"O", "A", date);
    const CommentID r1 = f.document->reply(parent, u"R1", "B", date);
    const CommentID r2 = f.document->reply(parent, u"R2", "C", date);
    f.reopen();

    const auto marks = f.document->snapshot(f.first, StoryID::body()).commentMarks;
    const std::vector<CommentMark> expected = {{parent, 6, true},   {r2, 6, true},   {r1, 6, true},
                                               {parent, 11, false}, {r2, 11, false}, {r1, 11, false}};
    EXPECT_EQ(marks, expected);
    const std::string b = f.body();
    const auto reference = [&](CommentID id) {
        return b.find("commentReference w:id=\"" + std::to_string(id.rawValue));
    };
    EXPECT_LT(reference(parent), reference(r2));
    EXPECT_LT(reference(r2), reference(r1));
    const ParagraphID reread = DocumentInternals::story(*f.document, StoryID::body()).paragraphs().at(1)->id;
    EXPECT_EQ(f.document->snapshot(reread, StoryID::body()).commentMarks.size(), 2u);  // only its own comment

    const auto threads = f.document->commentThreads();
    EXPECT_EQ(threads.size(), 2u);  // replies have entries; the parent gets one when resolved
    EXPECT_EQ(threads.at(r1), (CommentThreadInfo{parent, false}));
    EXPECT_EQ(threads.at(r2), (CommentThreadInfo{parent, false}));
    EXPECT_FALSE(threads.count(other));
    const std::string types = partText(*f.document, "[Content_Types].xml");
    EXPECT_NE(
        types.find("/word/commentsExtended.xml\" ContentType=\"application/vnd.openxmlformats-officedocument."
                   "wordprocessingml.commentsExtended+xml\""),
        std::string::npos);
    EXPECT_NE(partText(*f.document, "word/_rels/document.xml.rels")
                  .find("Type=\"http://schemas.microsoft.com/office/2011/relationships/commentsExtended\" "
                        "Target=\"commentsExtended.xml\""),
              std::string::npos);
    EXPECT_THROW(f.document->reply(CommentID{999}, u"x", "A", date), DocxError);
}

TEST(Comments, ResolvingAddsOrRewritesOnlyTheDoneFlag) {
    const std::string comments =
        "<?xml version=\"1.0\"?><w:comments "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:comment w:id=\"4\" w:author=\"X\"><w:p><w:r><w:t>no id</w:t></w:r></w:p></w:comment>"
        "<w:comment w:id=\"5\" w:author=\"Y\"><w:p "
        "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\" "
        "w14:paraId=\"0000ABCD\"/></w:comment></w:comments>";
    const std::string extended =
        "<?xml version=\"1.0\"?><w15:commentsEx "
        "xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\">"
        "<w15:commentEx w15:paraId=\"0000ABCD\" w15:foo=\"bar\" w15:done=\"0\"/></w15:commentsEx>";
    Fixture f(
        "<w:p><w:commentRangeStart w:id=\"4\"/><w:r><w:t>Hi</w:t></w:r><w:commentRangeEnd w:id=\"4\"/></w:p>",
        {{"word/comments.xml", comments}, {"word/commentsExtended.xml", extended}},
        "<Relationship Id=\"rId8\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "comments\" Target=\"comments.xml\"/><Relationship Id=\"rId9\" "
        "Type=\"http://schemas.microsoft.com/office/2011/relationships/commentsExtended\" "
        "Target=\"commentsExtended.xml\"/>");
    EXPECT_EQ(f.document->commentThreads().at(CommentID{5}), (CommentThreadInfo{std::nullopt, false}));

    f.document->setResolved(CommentID{5}, true);
    EXPECT_NE(
        partText(*f.document, "word/commentsExtended.xml")
            .find("<w15:commentEx w15:paraId=\"0000ABCD\" w15:foo=\"bar\" w15:done=\"1\"/></w15:commentsEx>"),
        std::string::npos);

    // Comment 4's paragraph has no identifier: it gets one, and a new entry.
    f.document->setResolved(CommentID{4}, true);
    const std::string written = partText(*f.document, "word/comments.xml");
    EXPECT_NE(written.find("<w:p w14:paraId=\"00000001\"><w:r><w:t>no id</w:t></w:r></w:p>"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\""),
              std::string::npos);
    EXPECT_NE(partText(*f.document, "word/commentsExtended.xml")
                  .find("<w15:commentEx w15:paraId=\"00000001\" w15:done=\"1\"/></w15:commentsEx>"),
              std::string::npos);
    f.document->setResolved(CommentID{4}, false);
    f.reopen();
    const auto threads = f.document->commentThreads();
    EXPECT_EQ(threads.at(CommentID{4}), (CommentThreadInfo{std::nullopt, false}));
    EXPECT_EQ(threads.at(CommentID{5}), (CommentThreadInfo{std::nullopt, true}));
    EXPECT_THROW(f.document->setResolved(CommentID{6}, true), DocxError);
    // The body was never touched by resolving.
    EXPECT_FALSE(f.document->dirtyParts().count(PartName("word/document.xml")));
}

TEST(Comments, BadArgumentsChangeNothing) {
    Fixture f;
    EXPECT_THROW(f.document->addComment(f.first, StoryID::body(), {3, 12}, u"x", "A", date), DocxError);
    EXPECT_THROW(f.document->addComment(f.first, StoryID::body(), {4, 3}, u"x", "A", date), DocxError);
    EXPECT_THROW(f.document->addComment(ParagraphID{9999}, StoryID::body(), {0, 1}, u"x", "A", date),
                 DocxError);
    // Without a comments part there is no comment to resolve or answer.
    for (const auto& operation :
         std::vector<std::function<void()>>{[&] { f.document->setResolved(CommentID{1}, true); },
                                            [&] { f.document->reply(CommentID{1}, u"x", "A", date); }}) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const DocxError& error) {
            EXPECT_EQ(error.code(), DocxErrorCode::unknownParagraph);
        }
    }
    EXPECT_TRUE(f.document->dirtyParts().empty());
    EXPECT_TRUE(f.document->commentThreads().empty());
}

TEST(Comments, DamagedPartsNeitherCrashNorGrow) {
    const std::string rels =
        "<Relationship Id=\"rId8\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "comments\" Target=\"comments.xml\"/><Relationship Id=\"rId9\" "
        "Type=\"http://schemas.microsoft.com/office/2011/relationships/commentsExtended\" "
        "Target=\"commentsExtended.xml\"/>";
    const std::string comments =
        "<w:comments xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\"><w:comment w:id=\"3\">"
        "<w:p w14:paraId=\"00000AAA\"/></w:comment><w:comment w:id=\"4\"><w:p/></w:comment>"
        "<w:comment w:id=\"x\"><w:p/></w:comment></w:comments>";
    // No end tag: the existing entry is still updated, a new one is never added.
    const std::string extended =
        "<w15:commentsEx xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\">"
        "<w15:commentEx w15:paraId=\"00000AAA\" w15:done=\"0\"/>";
    Fixture f("<w:p><w:r><w:t>Hi</w:t></w:r></w:p>",
              {{"word/comments.xml", comments}, {"word/commentsExtended.xml", extended}}, rels);
    // An extended part that does not parse is reported by name with the parser's reason,
    // and never rewritten; comments themselves still work.
    try {
        f.document->setResolved(CommentID{3}, true);
        ADD_FAILURE() << "no error";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::unreadablePart);
        EXPECT_EQ(error.detail().part, PartName("word/commentsExtended.xml"));
        EXPECT_FALSE(error.detail().cause.empty());
        EXPECT_NE(std::string(error.what()).find("word/commentsExtended.xml"), std::string::npos);
    }
    // A refused reply or resolve leaves nothing behind: no new comment, no paragraph
    // identifier given to a comment without one.
    EXPECT_THROW(f.document->reply(CommentID{3}, u"no", "A", date), DocxError);
    EXPECT_THROW(f.document->setResolved(CommentID{4}, true), DocxError);
    EXPECT_TRUE(f.document->dirtyParts().empty());
    const CommentID added = f.document->addComment(f.first, StoryID::body(), {0, 2}, u"new", "A", date);
    EXPECT_THROW(f.document->setResolved(added, true), DocxError);
    EXPECT_THROW(f.document->reply(CommentID{3}, u"no", "A", date), DocxError);
    EXPECT_EQ(partText(*f.document, "word/commentsExtended.xml"), extended);
    EXPECT_TRUE(f.document->commentThreads().empty());

    // A comments part that does not parse reports no threads; editing it is a typed error.
    Fixture broken("<w:p><w:r><w:t>Hi</w:t></w:r></w:p>",
                   {{"word/comments.xml", "<w:comments><w:comment"}, {"word/commentsExtended.xml", extended}},
                   rels);
    EXPECT_TRUE(broken.document->commentThreads().empty());
    EXPECT_ANY_THROW(broken.document->addComment(broken.first, StoryID::body(), {0, 2}, u"x", "A", date));
    EXPECT_ANY_THROW(broken.document->setResolved(CommentID{3}, true));
}

namespace {

constexpr std::string_view mainURI = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// Every prefix an element or attribute of the part uses is declared on it or an ancestor.
void expectPrefixesDeclared(const std::string& xml) {
    const XMLTree tree(asBytes(xml));
    std::vector<std::pair<int, std::vector<std::string>>> stack{{tree.root(), {"xml", "xmlns"}}};
    while (!stack.empty()) {
        auto [node, declared] = stack.back();
        stack.pop_back();
        for (const std::string& name : tree.attributeNames(node))
            if (name.starts_with("xmlns:")) declared.push_back(name.substr(6));
        std::vector<std::string> used{std::string(tree.nameView(node))};
        for (const std::string& name : tree.attributeNames(node)) used.push_back(name);
        for (const std::string& name : used) {
            const size_t colon = name.find(':');
            if (colon == std::string::npos) continue;
            EXPECT_NE(std::find(declared.begin(), declared.end(), name.substr(0, colon)), declared.end())
                << name << " in " << xml;
        }
        for (int child : tree.childElements(node)) stack.emplace_back(child, declared);
    }
}

}  // namespace

TEST(Comments, TheCommentsPartTovinCreatesDeclaresWhatItUses) {
    Fixture f;
    f.document->addComment(f.first, StoryID::body(), {0, 5}, u"Nice", "Ada", date);
    f.reopen();
    const std::string comments = partText(*f.document, "word/comments.xml");
    expectPrefixesDeclared(comments);
    const XMLTree tree(asBytes(comments));
    EXPECT_EQ(tree.attribute(tree.root(), "xmlns:w14"), "http://schemas.microsoft.com/office/word/2010/wordml");
    EXPECT_EQ(tree.attribute(tree.root(), "xmlns:mc"), "http://schemas.openxmlformats.org/markup-compatibility/2006");
    EXPECT_EQ(tree.attribute(tree.root(), "mc:Ignorable"), "w14");

    // A part that declared neither gets both, added to what its Ignorable already lists.
    const std::string bare = "<w:comments xmlns:w=\"" + std::string(mainURI) +
                             "\" xmlns:m=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
                             "m:Ignorable=\"w15\"><w:comment w:id=\"4\"><w:p/></w:comment></w:comments>";
    Fixture g("<w:p><w:commentRangeStart w:id=\"4\"/><w:r><w:t>Hi</w:t></w:r></w:p>", {{"word/comments.xml", bare}},
              "<Relationship Id=\"rId8\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships/comments\" Target=\"comments.xml\"/>");
    g.document->setResolved(CommentID{4}, true);
    g.reopen();
    const std::string updated = partText(*g.document, "word/comments.xml");
    expectPrefixesDeclared(updated);
    const XMLTree again(asBytes(updated));
    EXPECT_EQ(again.attribute(again.root(), "m:Ignorable"), "w15 w14");
    EXPECT_FALSE(again.attribute(again.root(), "xmlns:mc"));
    EXPECT_TRUE(g.document->commentThreads().at(CommentID{4}).done);
}

TEST(Comments, PrefixesAndQuotesAreTakenFromTheParts) {
    countingIdentifiers();
    const std::string rels =
        "<Relationship Id=\"rId8\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/comments\" Target=\"comments.xml\"/><Relationship Id=\"rId9\" "
        "Type=\"http://schemas.microsoft.com/office/2011/relationships/commentsExtended\" "
        "Target=\"commentsExtended.xml\"/>";
    auto parts = rovuvuz::testing::minimalDocument("", rels);
    for (auto& [name, xml] : parts)
        if (name == "word/document.xml")
            xml = "<?xml version='1.0'?><ns0:document xmlns:ns0='" + std::string(mainURI) +
                  "'><ns0:body><ns0:p><ns0:commentRangeStart ns0:id='1'/><ns0:r><ns0:t>Hello</ns0:t></ns0:r>"
                  "<ns0:commentRangeEnd ns0:id='1'/><ns0:r><ns0:commentReference ns0:id='1'/></ns0:r>"
                  "<ns0:r><ns0:t xml:space='preserve'> world</ns0:t></ns0:r></ns0:p></ns0:body></ns0:document>";
    parts.emplace_back("word/comments.xml",
                       "<ns0:comments xmlns:ns0='" + std::string(mainURI) +
                           "' xmlns:w14='http://schemas.microsoft.com/office/word/2010/wordml'>"
                           "<ns0:comment ns0:id='1' ns0:author='A'><ns0:p w14:paraId='0000AAAA'><ns0:r>"
                           "<ns0:t>first</ns0:t></ns0:r></ns0:p></ns0:comment></ns0:comments>");
    parts.emplace_back("word/commentsExtended.xml",
                       "<x:commentsEx xmlns:x='http://schemas.microsoft.com/office/word/2012/wordml'>"
                       "<x:commentEx x:paraId='0000AAAA' x:done='0'/></x:commentsEx>");
    auto document = std::make_unique<DocxDocument>(makePackage(parts));
    const ParagraphID paragraph = DocumentInternals::story(*document, StoryID::body()).paragraphs().at(0)->id;

    // The existing comment's anchor reads as what it covers.
    const auto marks = document->snapshot(paragraph, StoryID::body()).commentMarks;
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0], (CommentMark{CommentID{1}, 0, true}));
    EXPECT_EQ(marks[1], (CommentMark{CommentID{1}, 5, false}));

    const CommentID answer = document->reply(CommentID{1}, u"answer", "B", date);
    const CommentID other = document->addComment(paragraph, StoryID::body(), {6, 11}, u"more", "C", date);
    document->setResolved(CommentID{1}, true);
    document = std::make_unique<DocxDocument>(document->data());

    const auto threads = document->commentThreads();
    EXPECT_EQ(threads.at(CommentID{1}), (CommentThreadInfo{std::nullopt, true}));
    EXPECT_EQ(threads.at(answer), (CommentThreadInfo{CommentID{1}, false}));
    EXPECT_FALSE(threads.count(other));

    const std::string body = partText(*document, "word/document.xml");
    const std::string a = std::to_string(answer.rawValue), o = std::to_string(other.rawValue);
    EXPECT_NE(body.find("<ns0:commentRangeStart ns0:id='1'/><ns0:commentRangeStart ns0:id=\"" + a + "\"/>"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("<ns0:commentRangeEnd ns0:id='1'/><ns0:commentRangeEnd ns0:id=\"" + a + "\"/>"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("<ns0:commentReference ns0:id=\"" + a + "\"/>"), std::string::npos) << body;
    EXPECT_NE(body.find("<ns0:commentRangeStart ns0:id=\"" + o + "\"/>"), std::string::npos) << body;
    EXPECT_EQ(body.find("<w:"), std::string::npos) << body;

    const std::string comments = partText(*document, "word/comments.xml");
    EXPECT_EQ(comments.find("<w:"), std::string::npos) << comments;
    expectPrefixesDeclared(comments);

    const std::string extended = partText(*document, "word/commentsExtended.xml");
    EXPECT_EQ(extended.find("w15:"), std::string::npos) << extended;
    const XMLTree tree(asBytes(extended));
    std::map<std::string, std::pair<std::optional<std::string>, std::optional<std::string>>> entries;
    for (int entry : tree.childElements(tree.root()))
        entries[tree.attribute(entry, "x:paraId").value_or("")] = {tree.attribute(entry, "x:paraIdParent"),
                                                                   tree.attribute(entry, "x:done")};
    ASSERT_EQ(entries.size(), 2u) << extended;
    EXPECT_EQ(entries["0000AAAA"], std::make_pair(std::optional<std::string>(), std::optional<std::string>("1")));
    EXPECT_EQ(entries["00000001"],
              std::make_pair(std::optional<std::string>("0000AAAA"), std::optional<std::string>("0")));
}

TEST(Comments, AttributeValuesAreEscaped) {
    Fixture f;
    const std::string awkward = "A<B & \"C\" 'D'";
    const CommentID comment = f.document->addComment(f.first, StoryID::body(), {0, 5}, u"x", awkward, date);
    f.document->setLink(f.first, StoryID::body(), {6, 11}, "https://example.com/?a=<b>&c=\"d\"");
    f.reopen();
    const std::string comments = partText(*f.document, "word/comments.xml");
    expectPrefixesDeclared(comments);
    const XMLTree tree(asBytes(comments));
    ASSERT_EQ(tree.childElements(tree.root()).size(), 1u);
    EXPECT_EQ(tree.attribute(tree.childElements(tree.root())[0], "w:author"), awkward);
    const auto entries = f.document->snapshot(StoryID::comments()).entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id, comment.rawValue);
    EXPECT_EQ(entries[0].author, awkward);

    const std::string rels = partText(*f.document, "word/_rels/document.xml.rels");
    const XMLTree relsTree(asBytes(rels));
    bool found = false;
    for (int r : relsTree.childElements(relsTree.root()))
        found |= relsTree.attribute(r, "Target") == "https://example.com/?a=<b>&c=\"d\"";
    EXPECT_TRUE(found) << rels;
    const auto spans = f.document->snapshot(f.first, StoryID::body()).spans;
    EXPECT_EQ(spans.back().link, "https://example.com/?a=<b>&c=\"d\"");
}
