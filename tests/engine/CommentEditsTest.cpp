// Comment edits: new text line by paragraph keeping formatting and the paraId the threading
// parts know the comment by; deleting a comment with its replies, or a reply alone, from
// the comments part, every story's anchors and every threading part; and anchors that stay
// where their text was when all of it is deleted.
#include <gtest/gtest.h>

#include "RovuVuz/document/Comments.h"
#include "RovuVuz/document/DocxDocument.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::count;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;
using rovuvuz::testing::rel;

namespace {

const auto date = std::chrono::sys_days{std::chrono::year{2024} / 3 / 1} + std::chrono::hours{9};
const EditMode byA = EditMode::trackedBy("A", date);
const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                      "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\"";

std::string anchored(int id, std::string_view text) {
    const std::string n = std::to_string(id);
    return "<w:commentRangeStart w:id=\"" + n + "\"/><w:r><w:t>" + std::string(text) +
           "</w:t></w:r><w:commentRangeEnd w:id=\"" + n + "\"/><w:r><w:commentReference w:id=\"" + n + "\"/></w:r>";
}

std::string comment(int id, std::string_view author, std::string_view paraId, std::string_view text) {
    return "<w:comment w:id=\"" + std::to_string(id) + "\" w:author=\"" + std::string(author) +
           "\"><w:p w14:paraId=\"" + std::string(paraId) + "\"><w:r><w:annotationRef/></w:r><w:r><w:t>" +
           std::string(text) + "</w:t></w:r></w:p></w:comment>";
}

// A thread (1, replied to by 2) by Ada and a comment (3) by Bo, anchored in the body and
// the header, with every threading part Word writes.
std::vector<std::pair<std::string, std::string>> threadParts() {
    const std::string w15 = "xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\"";
    const std::string cid = "xmlns:w16cid=\"http://schemas.microsoft.com/office/word/2016/wordml/cid\"";
    const std::string cex = "xmlns:w16cex=\"http://schemas.microsoft.com/office/word/2018/wordml/cex\"";
    return {
        {"word/comments.xml", "<w:comments " + w + ">" + comment(1, "Ada", "0000000A", "First") +
                                  comment(2, "Ada", "0000000B", "Reply") + comment(3, "Bo", "0000000C", "Third") +
                                  "</w:comments>"},
        {"word/header1.xml", "<w:hdr " + w + "><w:p>" + anchored(2, "head") + anchored(3, "er") + "</w:p></w:hdr>"},
        {"word/commentsExtended.xml",
         "<w15:commentsEx " + w15 + "><w15:commentEx w15:paraId=\"0000000A\" w15:done=\"0\"/><w15:commentEx "
         "w15:paraId=\"0000000B\" w15:paraIdParent=\"0000000A\" w15:done=\"0\"/><w15:commentEx w15:paraId=\"0000000C\" "
         "w15:done=\"1\"/></w15:commentsEx>"},
        {"word/commentsIds.xml",
         "<w16cid:commentsIds " + cid + "><w16cid:commentId w16cid:paraId=\"0000000A\" w16cid:durableId=\"11\"/>"
         "<w16cid:commentId w16cid:paraId=\"0000000B\" w16cid:durableId=\"22\"/><w16cid:commentId "
         "w16cid:paraId=\"0000000C\" w16cid:durableId=\"33\"/></w16cid:commentsIds>"},
        {"word/commentsExtensible.xml",
         "<w16cex:commentsExtensible " + cex + "><w16cex:commentExtensible w16cex:durableId=\"11\"/>"
         "<w16cex:commentExtensible w16cex:durableId=\"22\"/><w16cex:commentExtensible w16cex:durableId=\"33\"/>"
         "</w16cex:commentsExtensible>"},
        {"word/people.xml", "<w15:people " + w15 + "><w15:person w15:author=\"Ada\"/><w15:person w15:author=\"Bo\"/>"
                            "</w15:people>"},
    };
}

std::string threadRels() {
    const auto typed = [](std::string_view id, std::string_view type, std::string_view target) {
        return "<Relationship Id=\"" + std::string(id) + "\" Type=\"http://schemas.microsoft.com/office/" +
               std::string(type) + "\" Target=\"" + std::string(target) + "\"/>";
    };
    return rel("rC", "comments", "comments.xml") + rel("rH", "header", "header1.xml") +
           typed("rX", "2011/relationships/commentsExtended", "commentsExtended.xml") +
           typed("rI", "2016/09/relationships/commentsIds", "commentsIds.xml") +
           typed("rE", "2018/08/relationships/commentsExtensible", "commentsExtensible.xml") +
           typed("rP", "2011/relationships/people", "people.xml");
}

struct Fixture {
    std::unique_ptr<DocxDocument> document;

    Fixture(std::string_view body, std::vector<std::pair<std::string, std::string>> extra, std::string rels) {
        auto parts = minimalDocument(body, rels);
        parts.insert(parts.end(), extra.begin(), extra.end());
        document = std::make_unique<DocxDocument>(makePackage(parts));
    }
    std::string part(std::string_view name) {
        return std::string(asChars(*document->partData(PartName(std::string(name)))));
    }
    ParagraphID paragraph(size_t n) { return document->story(StoryID::body()).paragraphs().at(n)->id; }
    void reopen() { document = std::make_unique<DocxDocument>(document->data()); }
    // Each comment as "id:text", paragraphs joined by "|".
    std::vector<std::string> comments() {
        std::vector<std::string> out;
        for (const EntrySnapshot& entry : document->snapshot(StoryID::comments()).entries) {
            std::string text;
            for (const BlockSnapshot& block : entry.blocks) {
                const auto& p = std::get<ParagraphSnapshot>(block.value);
                text += (text.empty() ? "" : "|") + std::string(p.text.begin(), p.text.end());
            }
            out.push_back(std::to_string(entry.id) + ":" + text);
        }
        return out;
    }
};

}  // namespace

TEST(CommentEdits, NewTextKeepsFormattingAndTheThreadingKey) {
    const std::string two =
        "<w:comment w:id=\"1\" w:author=\"Ada\"><w:p w14:paraId=\"0000000A\"><w:pPr><w:pStyle w:val=\"CommentText\"/>"
        "</w:pPr><w:r><w:annotationRef/></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>Old</w:t></w:r></w:p>"
        "<w:p w14:paraId=\"0000000B\"><w:r><w:t>lines</w:t></w:r></w:p></w:comment>";
    const std::string w15 = "xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\"";
    const auto make = [&] {
        return Fixture("<w:p>" + anchored(1, "Hello") + "</w:p>",
                       {{"word/comments.xml", "<w:comments " + w + ">" + two + "</w:comments>"},
                        {"word/commentsExtended.xml", "<w15:commentsEx " + w15 + "><w15:commentEx w15:paraId=\"0000000B\" "
                                                      "w15:done=\"1\"/></w15:commentsEx>"}},
                       rel("rC", "comments", "comments.xml") +
                           "<Relationship Id=\"rX\" Type=\"http://schemas.microsoft.com/office/2011/relationships/"
                           "commentsExtended\" Target=\"commentsExtended.xml\"/>");
    };
    {
        // One line: the first paragraph takes it with its mark, style and bold, and the
        // paraId of the last paragraph, which the resolved state is kept under.
        Fixture f = make();
        f.document->editComment(CommentID{1}, u"New");
        f.reopen();
        const std::string comments = f.part("word/comments.xml");
        EXPECT_NE(comments.find("<w:p w14:paraId=\"0000000B\"><w:pPr><w:pStyle w:val=\"CommentText\"/></w:pPr><w:r>"
                                "<w:annotationRef/></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>New</w:t></w:r></w:p>"
                                "</w:comment>"),
                  std::string::npos)
            << comments;
        EXPECT_EQ(count(comments, "paraId"), 1u);
        EXPECT_TRUE(f.document->commentThreads().at(CommentID{1}).done);
        EXPECT_TRUE(f.document->dirtyParts().count(PartName("word/commentsExtended.xml")) == 0);
    }
    {
        // Three lines: a new paragraph like the last holds the last line and takes the key.
        Fixture f = make();
        f.document->editComment(CommentID{1}, u"a\nb & c\n");
        f.reopen();
        const std::vector<std::string> expected = {"1:a|b & c|"};
        EXPECT_EQ(f.comments(), expected);
        const std::string comments = f.part("word/comments.xml");
        EXPECT_EQ(count(comments, "w14:paraId=\"0000000B\""), 1u) << comments;
        EXPECT_LT(comments.find("b &amp; c"), comments.find("w14:paraId=\"0000000B\"")) << comments;
        EXPECT_TRUE(f.document->commentThreads().at(CommentID{1}).done);
        // The body and its anchors are untouched.
        EXPECT_FALSE(f.document->dirtyParts().count(PartName("word/document.xml")));
    }
    Fixture f = make();
    EXPECT_THROW(f.document->editComment(CommentID{7}, u"x"), DocxError);
    EXPECT_TRUE(f.document->dirtyParts().empty());
}

TEST(CommentEdits, DeletingACommentTakesItsRepliesAnchorsAndEntries) {
    Fixture f("<w:p>" + anchored(1, "one") + anchored(3, "three") + "</w:p><w:p>" + anchored(2, "two") + "</w:p>",
              threadParts(), threadRels());
    f.document->deleteComment(CommentID{1});
    f.reopen();
    const std::vector<std::string> left = {"3:Third"};
    EXPECT_EQ(f.comments(), left);
    // The anchored text stays; only the anchors of 1 and of its reply 2 go, in every story.
    const std::string body = f.part("word/document.xml");
    EXPECT_EQ(body.find("w:id=\"1\""), std::string::npos) << body;
    EXPECT_EQ(body.find("w:id=\"2\""), std::string::npos) << body;
    EXPECT_EQ(count(body, "w:id=\"3\""), 3u);
    EXPECT_NE(body.find("<w:t>one</w:t>"), std::string::npos);
    const std::string header = f.part("word/header1.xml");
    EXPECT_EQ(header.find("w:id=\"2\""), std::string::npos) << header;
    EXPECT_EQ(count(header, "w:id=\"3\""), 3u);
    // The threading parts keep only comment 3's entries; Ada has no comment left.
    EXPECT_EQ(count(f.part("word/commentsExtended.xml"), "<w15:commentEx "), 1u);
    EXPECT_NE(f.part("word/commentsExtended.xml").find("0000000C"), std::string::npos);
    EXPECT_EQ(count(f.part("word/commentsIds.xml"), "<w16cid:commentId "), 1u);
    EXPECT_EQ(f.part("word/commentsExtensible.xml").find("\"11\""), std::string::npos);
    EXPECT_EQ(f.part("word/commentsExtensible.xml").find("\"22\""), std::string::npos);
    EXPECT_NE(f.part("word/commentsExtensible.xml").find("\"33\""), std::string::npos);
    EXPECT_EQ(f.part("word/people.xml").find("Ada"), std::string::npos);
    EXPECT_NE(f.part("word/people.xml").find("Bo"), std::string::npos);
    EXPECT_TRUE(f.document->commentThreads().at(CommentID{3}).done);
}

TEST(CommentEdits, DeletingAReplyLeavesItsParent) {
    Fixture f("<w:p>" + anchored(1, "one") + anchored(3, "three") + "</w:p><w:p>" + anchored(2, "two") + "</w:p>",
              threadParts(), threadRels());
    f.document->deleteComment(CommentID{2});
    f.reopen();
    const std::vector<std::string> left = {"1:First", "3:Third"};
    EXPECT_EQ(f.comments(), left);
    EXPECT_EQ(f.part("word/document.xml").find("w:id=\"2\""), std::string::npos);
    EXPECT_EQ(count(f.part("word/document.xml"), "w:id=\"1\""), 3u);
    EXPECT_EQ(f.part("word/commentsIds.xml").find("0000000B"), std::string::npos);
    EXPECT_NE(f.part("word/commentsIds.xml").find("0000000A"), std::string::npos);
    EXPECT_EQ(f.part("word/commentsExtensible.xml").find("\"22\""), std::string::npos);
    // Ada still has comment 1.
    EXPECT_NE(f.part("word/people.xml").find("Ada"), std::string::npos);
}

TEST(CommentEdits, AnUnreadableThreadingPartRefusesTheDeletion) {
    auto parts = threadParts();
    for (auto& [name, bytes] : parts)
        if (name == "word/commentsIds.xml") bytes = "<w16cid:commentsIds><w16cid:commentId";
    Fixture f("<w:p>" + anchored(1, "one") + "</w:p>", parts, threadRels());
    try {
        f.document->deleteComment(CommentID{1});
        ADD_FAILURE() << "deleted";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::unreadablePart);
        EXPECT_EQ(error.detail().part, PartName("word/commentsIds.xml"));
    }
    EXPECT_TRUE(f.document->dirtyParts().empty());
}

// Deleting every character a comment is anchored on, in one paragraph or across several,
// outright or tracked, leaves the comment anchored where its text was.
TEST(CommentEdits, AnchorsCollapseWhereTheirDeletedTextWas) {
    const auto make = [] {
        return Fixture("<w:p><w:r><w:t>Say </w:t></w:r>" + anchored(1, "Hello") + "<w:r><w:t> there</w:t></w:r></w:p>"
                       "<w:p><w:r><w:t>A</w:t></w:r><w:commentRangeStart w:id=\"2\"/><w:r><w:t>cross</w:t></w:r></w:p>"
                       "<w:p><w:r><w:t>two</w:t></w:r><w:commentRangeEnd w:id=\"2\"/><w:r><w:commentReference "
                       "w:id=\"2\"/></w:r><w:r><w:t>!</w:t></w:r></w:p>",
                       {{"word/comments.xml", "<w:comments " + w + ">" + comment(1, "A", "1", "c") +
                                                  comment(2, "A", "2", "d") + "</w:comments>"}},
                       rel("rC", "comments", "comments.xml"));
    };
    for (const EditMode& mode : {EditMode::direct(), byA}) {
        Fixture f = make();
        f.document->replaceText(f.paragraph(0), StoryID::body(), {4, 9}, u"", mode);
        f.document->replaceText({f.paragraph(1), 1}, {f.paragraph(2), 3}, StoryID::body(), u"", mode);
        f.reopen();
        const StorySnapshot body = f.document->snapshot(StoryID::body());
        std::vector<CommentMark> marks;
        for (const ParagraphSnapshot* p : body.paragraphs())
            marks.insert(marks.end(), p->commentMarks.begin(), p->commentMarks.end());
        const size_t deleted = mode.isTracked() ? 5 : 0;  // tracked, the text stays between the marks
        const size_t across = mode.isTracked() ? 8 : 1;   // "cross" and "two" deleted, the marks kept apart
        if (mode.isTracked()) {
            // The deleted text stays in place between the marks; the comments still hold it.
            EXPECT_EQ(marks.size(), 4u);
            EXPECT_EQ(marks[1].offset - marks[0].offset, deleted);
        } else {
            const std::vector<CommentMark> expected = {{CommentID{1}, 4, true}, {CommentID{1}, 4, false},
                                                       {CommentID{2}, across, true}, {CommentID{2}, across, false}};
            EXPECT_EQ(marks, expected);
            EXPECT_EQ(body.paragraphs().size(), 2u);
        }
        EXPECT_EQ(count(f.part("word/document.xml"), "commentReference"), 2u);
    }
}
