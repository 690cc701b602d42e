// Threads are one level deep: a reply to a reply answers the thread's first comment, and
// resolving or reopening any comment of a thread sets the first comment's done flag.
#include <gtest/gtest.h>

#include "RovuVuz/document/Comments.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

namespace {

const auto date = std::chrono::sys_days{std::chrono::year{2024} / 3 / 1};

struct Thread {
    std::unique_ptr<DocxDocument> document;
    CommentID first, reply;

    Thread() {
        auto next = std::make_shared<uint32_t>(0);
        Comments::setNumberSource([next] { return ++*next; });
        document = std::make_unique<DocxDocument>(
            makePackage(minimalDocument("<w:p><w:r><w:t>Hello world</w:t></w:r></w:p>")));
        const ParagraphID p = DocumentInternals::story(*document, StoryID::body()).paragraphs().at(0)->id;
        first = document->addComment(p, StoryID::body(), {0, 5}, u"first", "A", date);
        reply = document->reply(first, u"reply", "B", date);
    }
    std::string extended() { return std::string(asChars(*document->partData(PartName("word/commentsExtended.xml")))); }
};

}  // namespace

TEST(CommentThreads, AReplyToAReplyAnswersTheThreadsFirstComment) {
    Thread t;
    EXPECT_EQ(t.document->threadStart(t.first), t.first);
    EXPECT_EQ(t.document->threadStart(t.reply), t.first);
    const CommentID second = t.document->reply(t.reply, u"again", "C", date);
    EXPECT_EQ(t.document->commentThreads().at(second).parent, t.first);
    // Paragraph ids: 1 the first comment, 2 the reply, 3 the second reply.
    EXPECT_NE(t.extended().find("w15:paraId=\"00000003\" w15:paraIdParent=\"00000001\""), std::string::npos)
        << t.extended();
    // Its anchors sit beside the first comment's, not the reply's.
    const std::string body(asChars(*t.document->partData(PartName("word/document.xml"))));
    const std::string start = "<w:commentRangeStart w:id=\"";
    EXPECT_NE(body.find(start + std::to_string(t.first.rawValue) + "\"/>" + start +
                        std::to_string(second.rawValue) + "\"/>"),
              std::string::npos)
        << body;
}

TEST(CommentThreads, ResolvingOrReopeningAReplyDoesItToTheThread) {
    Thread t;
    t.document->setResolved(t.reply, true);
    auto threads = t.document->commentThreads();
    EXPECT_TRUE(threads.at(t.first).done);
    EXPECT_FALSE(threads.at(t.reply).done);
    t.document->setResolved(t.reply, false);
    EXPECT_FALSE(t.document->commentThreads().at(t.first).done);
}

// A damaged commentsExtended part whose parents form a loop: the walk stops.
TEST(CommentThreads, AParentLoopEndsTheWalk) {
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                          "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\"";
    const std::string comment = "<w:comment w:id=\"%\"><w:p w14:paraId=\"0000000%\"/></w:comment>";
    auto one = [&](char id) {
        std::string c = comment;
        for (size_t at = c.find('%'); at != std::string::npos; at = c.find('%')) c[at] = id;
        return c;
    };
    auto parts = minimalDocument(
        "<w:p><w:r><w:t>x</w:t></w:r></w:p>",
        rovuvuz::testing::rel("rC", "comments", "comments.xml") +
            "<Relationship Id=\"rX\" Type=\"http://schemas.microsoft.com/office/2011/relationships/"
            "commentsExtended\" Target=\"commentsExtended.xml\"/>");
    parts.emplace_back("word/comments.xml", "<w:comments " + w + ">" + one('1') + one('2') + "</w:comments>");
    parts.emplace_back("word/commentsExtended.xml",
                       "<w15:commentsEx xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\">"
                       "<w15:commentEx w15:paraId=\"00000001\" w15:paraIdParent=\"00000002\"/>"
                       "<w15:commentEx w15:paraId=\"00000002\" w15:paraIdParent=\"00000001\"/></w15:commentsEx>");
    DocxDocument document(makePackage(parts));
    // From 1 to its parent 2, whose parent 1 was seen: the walk ends at 2.
    EXPECT_EQ(document.threadStart(CommentID{1}), CommentID{2});
    EXPECT_EQ(document.threadStart(CommentID{2}), CommentID{1});
}
