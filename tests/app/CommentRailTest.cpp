// The comment rail on real documents: which cards it makes and what they show, where they
// stand beside the text, and that their actions give what the engine's own calls give
// (the calls tovin-cli makes), each as one undo step.
#include <QBuffer>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>
#include <regex>

#include "ReviewTestSupport.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/review/CommentRail.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/BandTextView.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/Theme.h"

namespace tovin::testing {
namespace {

using rovuvuz::CommentID;
using rovuvuz::DocxDocument;
using rovuvuz::StoryID;

std::unique_ptr<DocxDocument> engineDocument(const std::string& body,
                                             std::vector<std::pair<std::string, std::string>> extra = {},
                                             std::string_view rels = {}) {
    auto parts = rovuvuz::testing::minimalDocument(body, rels);
    parts.insert(parts.end(), extra.begin(), extra.end());
    return std::make_unique<DocxDocument>(rovuvuz::testing::makePackage(parts));
}

rovuvuz::ParagraphID firstParagraph(DocxDocument& doc) {
    return doc.snapshot(StoryID::body()).paragraphs().at(0)->id;
}

// The texts of a card's labels, top to bottom.
QStringList labels(const RailCard* card) {
    QStringList texts;
    for (const QLabel* label : card->findChildren<QLabel*>()) texts << label->text();
    return texts;
}

QStringList titles(RailCard* card) {
    QStringList texts;
    for (const QToolButton* button : card->actionButtons()) texts << button->text();
    return texts;
}

QToolButton* button(RailCard* card, const QString& title) {
    for (QToolButton* b : card->actionButtons())
        if (b->text() == title) return b;
    ADD_FAILURE() << "no button " << title.toStdString();
    return nullptr;
}

std::string withoutDates(const std::string& xml) {
    return std::regex_replace(xml, std::regex("w:date=\"[^\"]*\""), "w:date=\"\"");
}

class CommentRailTest : public ReviewTest {
  protected:
    CommentRail& rail() { return *editor->rail(); }
    RailCard* card(size_t i) {
        if (i >= rail().cards().size()) {
            ADD_FAILURE() << "no card " << i;
            return nullptr;
        }
        return rail().cards()[i];
    }
    const ChangeCardModel& change(size_t i) { return std::get<ChangeCardModel>(card(i)->model()); }
    const CommentCardModel& comment(size_t i) { return std::get<CommentCardModel>(card(i)->model()); }
    // The top of the body line holding an offset, in the rail's coordinates.
    qreal lineTop(int offset) {
        auto* body = static_cast<ColumnTextView*>(editor->body());
        return body->lineRect(offset).top() - rail().y();
    }
};

TEST_F(CommentRailTest, TwoCommentsOnOneLineStackTwelveApartWithTheTickAtTheLine) {
    auto doc = engineDocument(
        "<w:p><w:r><w:t>Intro</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>Hello world and more</w:t></w:r></w:p>");
    const auto second = doc->snapshot(StoryID::body()).paragraphs().at(1)->id;
    doc->addComment(second, StoryID::body(), {0, 5}, u"First", "Ada", reviewDate);
    doc->addComment(second, StoryID::body(), {6, 11}, u"Second", "Bea", reviewDate);
    open(doc->data());
    ASSERT_EQ(rail().cards().size(), 2u);
    EXPECT_TRUE(rail().isVisible());
    EXPECT_EQ(rail().width(), CommentRail::shownWidth);
    EXPECT_EQ(comment(0).anchor, 6);
    EXPECT_EQ(comment(1).anchor, 12);
    const qreal line = lineTop(6);
    ASSERT_GT(line, 0);
    RailCard* first = card(0);
    RailCard* next = card(1);
    EXPECT_EQ(first->y(), int(std::round(line)));
    EXPECT_EQ(first->x(), 20);
    EXPECT_EQ(first->width(), CommentRail::shownWidth - 32);
    EXPECT_EQ(next->y(), first->y() + first->height() + 12);
    EXPECT_GT(first->height(), 20);
    // The tick of the lower card still points at the shared line.
    EXPECT_DOUBLE_EQ(next->y() + rail().placement(next).tickOffset, line);
    EXPECT_DOUBLE_EQ(rail().placement(first).tickOffset, line - first->y());
}

TEST_F(CommentRailTest, ChangeCardsJoinRunsOfOneRevisionAndSplitBetweenRevisions) {
    open(
        "<w:p><w:r><w:t xml:space=\"preserve\">Keep </w:t></w:r>"
        "<w:del w:id=\"1\" w:author=\"Ann\" "
        "w:date=\"2024-03-01T09:00:00Z\"><w:r><w:delText>old</w:delText></w:r></w:del>"
        "<w:ins w:id=\"2\" w:author=\"Ann\"><w:r><w:t>new</w:t></w:r></w:ins>"
        "<w:ins w:id=\"3\" w:author=\"Ann\"><w:r><w:rPr><w:b/></w:rPr><w:t>bo</w:t></w:r>"
        "<w:r><w:t>ld</w:t></w:r></w:ins>"
        "<w:r><w:rPr><w:b/><w:rPrChange w:id=\"4\" w:author=\"Ann\"><w:rPr/></w:rPrChange></w:rPr>"
        "<w:t>fmt</w:t></w:r></w:p>");
    // The deletion and the insertion right after it are two cards; the two runs of
    // revision 3 are one; the format change has none.
    ASSERT_EQ(rail().cards().size(), 3u);
    EXPECT_EQ(change(0).revision.kind, rovuvuz::RevisionKind::remove);
    EXPECT_EQ(std::pair(change(0).location, change(0).length), std::pair(5, 3));
    EXPECT_EQ(change(1).revision.id.rawValue, 2);
    EXPECT_EQ(std::pair(change(1).location, change(1).length), std::pair(8, 3));
    EXPECT_EQ(change(2).revision.id.rawValue, 3);
    EXPECT_EQ(std::pair(change(2).location, change(2).length), std::pair(11, 4));
    EXPECT_EQ(card(2)->snippetLabel()->text(), QStringLiteral("“bold”"));
    EXPECT_EQ(labels(card(0)), (QStringList{"ANN · DELETED", shortDate("2024-03-01T09:00:00Z"), "“old”"}));
    EXPECT_EQ(labels(card(1)), (QStringList{"ANN · INSERTED", "“new”"}));
    EXPECT_EQ(titles(card(1)), (QStringList{"Accept", "Reject"}));
}

TEST_F(CommentRailTest, SnippetsStopAfter120UnitsAndAPictureQuotesNothing) {
    QString digits;
    for (int i = 0; i < 200; ++i) digits += QChar('0' + i % 10);
    const std::string text = digits.toStdString();
    auto doc =
        engineDocument("<w:p><w:ins w:id=\"1\" w:author=\"A\"><w:r><w:t>" + text +
                       "</w:t></w:r></w:ins></w:p>"
                       "<w:p><w:ins w:id=\"2\" w:author=\"A\"><w:r><w:t>" +
                       text.substr(0, 120) + "</w:t></w:r></w:ins></w:p><w:p><w:r><w:t>x</w:t></w:r></w:p>");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const auto third = doc->snapshot(StoryID::body()).paragraphs().at(2)->id;
    doc->insertImage(rovuvuz::ByteView(reinterpret_cast<const uint8_t*>(png.data()), size_t(png.size())),
                     "png", 20, 20, third, StoryID::body(), 0, rovuvuz::EditMode::trackedBy("A", reviewDate));
    open(doc->data());
    ASSERT_EQ(rail().cards().size(), 3u);
    EXPECT_EQ(change(0).length, 200);
    EXPECT_EQ(card(0)->snippetLabel()->text(),
              QChar(0x201C) + digits.left(120) + QChar(0x2026) + QChar(0x201D));
    EXPECT_EQ(card(1)->snippetLabel()->text(), QChar(0x201C) + digits.left(120) + QChar(0x201D));
    EXPECT_EQ(change(2).length, 1);
    EXPECT_EQ(card(2)->snippetLabel()->text(), QStringLiteral("“”"));
}

TEST_F(CommentRailTest, ThreadsListDirectRepliesAndResolvedOnesOfferOnlyReopen) {
    countingParagraphIDs();
    auto doc = engineDocument("<w:p><w:r><w:t>One two three</w:t></w:r></w:p>");
    const auto p = firstParagraph(*doc);
    const CommentID first = doc->addComment(p, StoryID::body(), {0, 3}, u"Why?", "Ada", reviewDate);
    const CommentID answer = doc->reply(first, u"Because.", "Bea", reviewDate);
    doc->reply(answer, u"Really?", "Cy", reviewDate);
    // A reply to a reply, as other producers write one (the engine's own reply answers the
    // thread's first comment): its parent is the answer's paragraph, 2, not the first's, 1.
    const rovuvuz::PartName extendedName("word/commentsExtended.xml");
    const rovuvuz::SharedBytes extended = doc->partData(extendedName);
    std::string nested(extended->begin(), extended->end());
    const std::string direct = "w15:paraId=\"00000003\" w15:paraIdParent=\"00000001\"";
    ASSERT_NE(nested.find(direct), std::string::npos) << nested;
    nested.replace(nested.find(direct), direct.size(), "w15:paraId=\"00000003\" w15:paraIdParent=\"00000002\"");
    doc->storePart(extendedName, rovuvuz::share(rovuvuz::toBytes(nested)));
    const CommentID second = doc->addComment(p, StoryID::body(), {4, 7}, u"Done here", "Ada", reviewDate);
    doc->setResolved(second, true);
    open(doc->data());
    ASSERT_EQ(rail().cards().size(), 2u);
    EXPECT_EQ(comment(0).comment.id, first.rawValue);
    ASSERT_EQ(comment(0).replies.size(), 1u);
    EXPECT_EQ(comment(0).replies[0].id, answer.rawValue);
    EXPECT_FALSE(labels(card(0)).contains("Really?"));
    EXPECT_EQ(titles(card(0)), (QStringList{"Resolve", "Reply", "Edit", "Delete"}));

    EXPECT_EQ(comment(1).comment.id, second.rawValue);
    EXPECT_TRUE(card(1)->done());
    EXPECT_TRUE(labels(card(1)).contains("RESOLVED"));
    EXPECT_EQ(titles(card(1)), (QStringList{"Reopen", "Edit", "Delete"}));
    const QColor tertiary = Theme::labelColor(Theme::Label::tertiary, card(1)->palette());
    int faded = 0;
    for (const QLabel* label : card(1)->findChildren<QLabel*>())
        if (label->text() == "Done here") {
            EXPECT_EQ(label->palette().color(label->foregroundRole()), tertiary);
            ++faded;
        }
    EXPECT_EQ(faded, 1);
}

TEST_F(CommentRailTest, CommentsWithoutAuthorOrISODateOrRangeEndStillGetCards) {
    const std::string comments = commentsPart(
        "<w:comment w:id=\"1\" w:date=\"last Tuesday\"><w:p><w:r><w:t>Odd</w:t></w:r></w:p></w:comment>"
        "<w:comment w:id=\"2\" w:author=\"Bea\" "
        "w:date=\"2024-03-01T09:00:00Z\"><w:p><w:r><w:t>Fine</w:t></w:r></w:p>"
        "</w:comment><w:comment w:id=\"3\" "
        "w:author=\"Cy\"><w:p><w:r><w:t>Nowhere</w:t></w:r></w:p></w:comment>");
    open(
        "<w:p><w:r><w:t xml:space=\"preserve\">Start </w:t></w:r><w:commentRangeStart w:id=\"1\"/>"
        "<w:r><w:t xml:space=\"preserve\">open ended </w:t></w:r><w:commentRangeStart w:id=\"2\"/>"
        "<w:r><w:t>closed</w:t></w:r><w:commentRangeEnd w:id=\"2\"/></w:p>",
        {{"word/comments.xml", comments}}, commentRels);
    ASSERT_EQ(rail().cards().size(), 3u);
    EXPECT_EQ(labels(card(0)), (QStringList{"UNKNOWN", "Odd"}));  // no date shown
    EXPECT_EQ(labels(card(1)), (QStringList{"BEA", shortDate("2024-03-01T09:00:00Z"), "Fine"}));
    EXPECT_FALSE(shortDate("2024-03-01T09:00:00Z").isEmpty());
    EXPECT_EQ(comment(0).anchor, 6);
    EXPECT_EQ(comment(1).anchor, 17);
    EXPECT_EQ(comment(2).anchor, 0);  // no mark in the body
}

TEST_F(CommentRailTest, AnUnreadableCommentsPartLeavesTheChangeCards) {
    open(
        "<w:p><w:commentRangeStart w:id=\"1\"/><w:r><w:t xml:space=\"preserve\">Text </w:t></w:r>"
        "<w:ins w:id=\"5\" w:author=\"A\"><w:r><w:t>added</w:t></w:r></w:ins></w:p>",
        {{"word/comments.xml", "<w:comments><w:comment w:id=\"1\"><w:p>"}}, commentRels);
    ASSERT_EQ(rail().cards().size(), 1u);
    EXPECT_FALSE(card(0)->isComment());
}

TEST_F(CommentRailTest, AcceptAndRejectOnACardGiveTheEnginesResultAsOneUndoStep) {
    const std::string body =
        "<w:p><w:r><w:t xml:space=\"preserve\">Keep </w:t></w:r>"
        "<w:del w:id=\"1\" w:author=\"A\"><w:r><w:delText>old</w:delText></w:r></w:del>"
        "<w:ins w:id=\"2\" w:author=\"A\"><w:r><w:t>new</w:t></w:r></w:ins></w:p>";
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "accept" : "reject");
        open(body);
        const std::string before = part("word/document.xml");
        auto reference = engineDocument(body);
        using rovuvuz::StructuralEdit;
        const rovuvuz::RevisionID id{2};
        reference->apply(
            accept ? StructuralEdit{StructuralEdit::Accept{id}} : StructuralEdit{StructuralEdit::Reject{id}},
            StoryID::body(), rovuvuz::EditMode::direct());
        const int steps = editor->undo().stack().count();
        ASSERT_EQ(rail().cards().size(), 2u);
        QTest::mouseClick(button(card(1), accept ? "Accept" : "Reject"), Qt::LeftButton);
        settle();
        const auto expected = reference->partData(rovuvuz::PartName("word/document.xml"));
        EXPECT_EQ(part("word/document.xml"), std::string(expected->begin(), expected->end()));
        EXPECT_EQ(editor->undo().stack().count(), steps + 1);
        ASSERT_EQ(rail().cards().size(), 1u);  // the deletion is left
        EXPECT_EQ(change(0).revision.id.rawValue, 1);
        editor->undo().undo();
        settle();
        EXPECT_EQ(part("word/document.xml"), before);
        EXPECT_EQ(rail().cards().size(), 2u);
        EXPECT_EQ(beeps, 0);
    }
}

TEST_F(CommentRailTest, ResolveReopenAndReplyGiveTheEnginesResult) {
    countingParagraphIDs();
    auto made = engineDocument("<w:p><w:r><w:t>Check this</w:t></w:r></w:p>");
    made->addComment(firstParagraph(*made), StoryID::body(), {0, 5}, u"Sure?", "Ada", reviewDate);
    const rovuvuz::SharedBytes package = made->data();
    open(package);
    DocxDocument reference(package);
    ASSERT_EQ(rail().cards().size(), 1u);
    const CommentID id{comment(0).comment.id};
    auto same = [&](const std::string& name) {
        const auto expected = reference.partData(rovuvuz::PartName(name));
        EXPECT_EQ(withoutDates(part(name)), withoutDates(std::string(expected->begin(), expected->end())))
            << name;
    };

    const int steps = editor->undo().stack().count();
    QTest::mouseClick(button(card(0), "Resolve"), Qt::LeftButton);
    settle();
    reference.setResolved(id, true);
    same("word/commentsExtended.xml");
    ASSERT_EQ(rail().cards().size(), 1u);
    EXPECT_TRUE(card(0)->done());
    EXPECT_EQ(editor->undo().stack().count(), steps + 1);
    QTest::mouseClick(button(card(0), "Reopen"), Qt::LeftButton);
    settle();
    reference.setResolved(id, false);
    same("word/commentsExtended.xml");
    EXPECT_FALSE(card(0)->done());

    const int scrolled = editor->body()->verticalScrollBar()->value();
    const int textTop = int(static_cast<ColumnTextView*>(editor->body())->lineRect(0).top());
    const int before = card(0)->height();
    QTest::mouseClick(button(card(0), "Reply"), Qt::LeftButton);
    settle();
    RailCard* asked = card(0);
    ASSERT_NE(asked->replyField(), nullptr);
    EXPECT_EQ(asked->replyField()->placeholderText(), "Reply");
    // The field makes the card taller and moves nothing else.
    EXPECT_TRUE(asked->replyField()->isVisible());
    EXPECT_GE(asked->height(), before + asked->replyField()->sizeHint().height());
    EXPECT_EQ(editor->body()->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(int(static_cast<ColumnTextView*>(editor->body())->lineRect(0).top()), textTop);
    asked->replyField()->setText("Yes, sure.");
    // The engine draws the next paragraph identifiers for both documents alike.
    countingParagraphIDs(100);
    QTest::keyClick(asked->replyField(), Qt::Key_Return);
    settle();
    countingParagraphIDs(100);
    reference.reply(id, u"Yes, sure.", TovinDocument::authorName().toStdString(), reviewDate);
    for (const char* name : {"word/comments.xml", "word/commentsExtended.xml", "word/document.xml"})
        same(name);
    ASSERT_EQ(rail().cards().size(), 1u);
    ASSERT_EQ(comment(0).replies.size(), 1u);
    EXPECT_EQ(editor->undo().stack().count(), steps + 3);
    EXPECT_EQ(beeps, 0);
}

TEST_F(CommentRailTest, ARefusedResolveOrReplyBeepsAndChangesNothing) {
    // The comments extended part does not parse, so neither can be written.
    const std::string comments = commentsPart(
        "<w:comment w:id=\"1\" w:author=\"A\"><w:p w14:paraId=\"00000AAA\"><w:r><w:t>Hm</w:t></w:r></w:p>"
        "</w:comment>");
    open(
        "<w:p><w:commentRangeStart w:id=\"1\"/><w:r><w:t>Text</w:t></w:r><w:commentRangeEnd "
        "w:id=\"1\"/></w:p>",
        {{"word/comments.xml", comments},
         {"word/commentsExtended.xml",
          "<w15:commentsEx xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\">"}},
        commentRels);
    ASSERT_EQ(rail().cards().size(), 1u);
    QTest::mouseClick(button(card(0), "Resolve"), Qt::LeftButton);
    settle();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(document->docx()->dirtyParts().empty());
    QTest::mouseClick(button(card(0), "Reply"), Qt::LeftButton);
    card(0)->replyField()->setText("No");
    card(0)->submitReply();
    settle();
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(document->docx()->dirtyParts().empty());
    EXPECT_FALSE(editor->undo().canUndo());
    ASSERT_EQ(rail().cards().size(), 1u);
    EXPECT_TRUE(comment(0).replies.empty());
}

// Edit on a card gives its comment new text; Delete takes the thread, its marks in the body
// and its comments part entries, and undo brings them back.
TEST_F(CommentRailTest, EditAndDeleteFromTheCards) {
    const std::string comments = commentsPart(
        "<w:comment w:id=\"1\" w:author=\"A\"><w:p w14:paraId=\"00000AAA\"><w:r><w:t>Gone</w:t></w:r></w:p>"
        "</w:comment><w:comment w:id=\"2\" w:author=\"B\"><w:p w14:paraId=\"00000BBB\"><w:r><w:t>Stays</w:t>"
        "</w:r></w:p></w:comment>");
    open("<w:p><w:commentRangeStart w:id=\"1\"/><w:r><w:t>One</w:t></w:r><w:commentRangeEnd w:id=\"1\"/>"
         "<w:r><w:commentReference w:id=\"1\"/></w:r><w:commentRangeStart w:id=\"2\"/><w:r><w:t>Two</w:t></w:r>"
         "<w:commentRangeEnd w:id=\"2\"/><w:r><w:commentReference w:id=\"2\"/></w:r></w:p>",
         {{"word/comments.xml", comments}}, commentRels);
    ASSERT_EQ(rail().cards().size(), 2u);
    // Edit: the card's field holds the comment's text; Return writes the new text.
    QTest::mouseClick(button(card(1), "Edit"), Qt::LeftButton);
    settle();
    ASSERT_NE(card(1)->replyField(), nullptr);
    EXPECT_TRUE(card(1)->editing());
    EXPECT_EQ(card(1)->replyField()->text(), "Stays");
    card(1)->replyField()->setText("Stays, edited");
    QTest::keyClick(card(1)->replyField(), Qt::Key_Return);
    settle();
    EXPECT_NE(part("word/comments.xml").find("<w:t>Stays, edited</w:t>"), std::string::npos) << part("word/comments.xml");
    EXPECT_NE(part("word/comments.xml").find("w14:paraId=\"00000BBB\""), std::string::npos);
    ASSERT_EQ(rail().cards().size(), 2u);

    const std::string before = part("word/document.xml");
    QTest::mouseClick(button(card(0), "Delete"), Qt::LeftButton);
    settle();
    ASSERT_EQ(rail().cards().size(), 1u);
    EXPECT_EQ(comment(0).comment.id, 2);
    const std::string body = part("word/document.xml");
    EXPECT_EQ(body.find("w:id=\"1\""), std::string::npos) << body;
    EXPECT_NE(body.find("<w:commentRangeStart w:id=\"2\"/>"), std::string::npos) << body;
    EXPECT_EQ(part("word/comments.xml").find("Gone"), std::string::npos);
    EXPECT_EQ(beeps, 0);
    editor->session()->undoStep();
    settle();
    EXPECT_EQ(part("word/document.xml"), before);
    EXPECT_EQ(rail().cards().size(), 2u);
}

// A reply edited and deleted alone from its card: by its own Edit button, by a double-click
// on its text, and by its own Delete; the parts equal what the engine's own calls make
// (those tovin-cli comment-edit and comment-delete make), the thread's first comment and
// other reply stay, each action is one undo step, and undo brings the reply back.
TEST_F(CommentRailTest, AReplyIsEditedAndDeletedAloneFromItsCard) {
    countingParagraphIDs();
    auto made = engineDocument("<w:p><w:r><w:t>Check this</w:t></w:r></w:p>");
    const CommentID first =
        made->addComment(firstParagraph(*made), StoryID::body(), {0, 5}, u"Sure?", "Ada", reviewDate);
    const CommentID one = made->reply(first, u"Yes.", "Ben", reviewDate);
    const CommentID two = made->reply(first, u"No.", "Cy", reviewDate);
    const rovuvuz::SharedBytes package = made->data();
    open(package);
    DocxDocument reference(package);
    auto same = [&](const std::string& name) {
        const auto expected = reference.partData(rovuvuz::PartName(name));
        EXPECT_EQ(part(name), std::string(expected->begin(), expected->end())) << name;
    };
    ASSERT_EQ(rail().cards().size(), 1u);
    ASSERT_EQ(comment(0).replies.size(), 2u);
    const int steps = editor->undo().stack().count();

    // Hovering shows each reply's own actions; the thread's stay as they were.
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(card(0), &enter);
    ASSERT_TRUE(waitFor([&] { return card(0)->actionsOpacity() == 1; }, 2000));
    EXPECT_EQ(titles(card(0)), (QStringList{"Resolve", "Reply", "Edit", "Delete"}));
    ASSERT_EQ(card(0)->replyButtons(0).size(), 2u);
    EXPECT_TRUE(card(0)->replyButtons(0)[0]->isVisible());
    EXPECT_EQ(card(0)->replyButtons(1)[1]->text(), "Delete");
    EXPECT_TRUE(card(0)->replyButtons(2).empty());

    QTest::mouseClick(card(0)->replyButtons(0)[0], Qt::LeftButton);
    settle();
    ASSERT_NE(card(0)->replyField(), nullptr);
    EXPECT_EQ(card(0)->editingEntry(), std::optional<size_t>(1));
    EXPECT_EQ(card(0)->replyField()->text(), "Yes.");
    card(0)->replyField()->setText("Yes, after all.");
    QTest::keyClick(card(0)->replyField(), Qt::Key_Return);
    settle();
    reference.editComment(one, u"Yes, after all.");
    for (const char* name : {"word/comments.xml", "word/commentsExtended.xml", "word/document.xml"}) same(name);
    ASSERT_EQ(rail().cards().size(), 1u);
    EXPECT_EQ(entryText(comment(0).comment), "Sure?");
    EXPECT_EQ(editor->undo().stack().count(), steps + 1);

    // A double-click on the second reply's text edits that reply.
    const QStringList shown = labels(card(0));
    QLabel* second = nullptr;
    for (QLabel* label : card(0)->findChildren<QLabel*>())
        if (label->text() == "No.") second = label;
    ASSERT_NE(second, nullptr) << shown.join('|').toStdString();
    QTest::mouseDClick(second, Qt::LeftButton, {}, QPoint(2, 2));
    settle();
    ASSERT_NE(card(0)->replyField(), nullptr);
    EXPECT_EQ(card(0)->editingEntry(), std::optional<size_t>(2));
    EXPECT_EQ(card(0)->replyField()->text(), "No.");
    card(0)->replyField()->setText("Not yet.");
    QTest::keyClick(card(0)->replyField(), Qt::Key_Return);
    settle();
    reference.editComment(two, u"Not yet.");
    same("word/comments.xml");
    EXPECT_EQ(editor->undo().stack().count(), steps + 2);

    const std::string body = part("word/document.xml");
    QApplication::sendEvent(card(0), &enter);
    ASSERT_TRUE(waitFor([&] { return card(0)->actionsOpacity() == 1; }, 2000));
    QTest::mouseClick(card(0)->replyButtons(0)[1], Qt::LeftButton);
    settle();
    reference.deleteComment(one);
    for (const char* name : {"word/comments.xml", "word/commentsExtended.xml", "word/document.xml"}) same(name);
    // The reply's own anchors go; the thread's first comment and other reply keep theirs.
    const std::string gone = "w:id=\"" + std::to_string(one.rawValue) + "\"";
    const std::string kept = "<w:commentReference w:id=\"" + std::to_string(two.rawValue) + "\"/>";
    EXPECT_NE(body.find(gone), std::string::npos) << body;
    EXPECT_EQ(part("word/document.xml").find(gone), std::string::npos);
    EXPECT_NE(part("word/document.xml").find(kept), std::string::npos);
    ASSERT_EQ(rail().cards().size(), 1u);
    ASSERT_EQ(comment(0).replies.size(), 1u);
    EXPECT_EQ(entryText(comment(0).replies[0]), "Not yet.");
    EXPECT_EQ(editor->undo().stack().count(), steps + 3);
    EXPECT_EQ(beeps, 0);

    editor->session()->undoStep();
    settle();
    ASSERT_EQ(comment(0).replies.size(), 2u);
    EXPECT_EQ(entryText(comment(0).replies[0]), "Yes, after all.");
}

TEST_F(CommentRailTest, ClickingACardSelectsItsPlaceAndHoverShowsTheActions) {
    auto doc = engineDocument(
        "<w:p><w:r><w:t xml:space=\"preserve\">Some text </w:t></w:r>"
        "<w:ins w:id=\"9\" w:author=\"A\"><w:r><w:t>here</w:t></w:r></w:ins></w:p>");
    doc->addComment(firstParagraph(*doc), StoryID::body(), {5, 9}, u"Note", "Ada", reviewDate);
    open(doc->data());
    ASSERT_EQ(rail().cards().size(), 2u);
    QTest::mouseClick(card(1), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 10);
    EXPECT_EQ(editor->body()->textCursor().selectionEnd(), 14);
    QTest::mouseClick(card(0), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_FALSE(editor->body()->textCursor().hasSelection());
    EXPECT_EQ(editor->body()->textCursor().position(), 5);

    EXPECT_EQ(card(0)->actionsOpacity(), 0);
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(card(0), &enter);
    EXPECT_TRUE(waitFor([&] { return card(0)->actionsOpacity() == 1; }, 2000));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(card(0), &leave);
    EXPECT_TRUE(waitFor([&] { return card(0)->actionsOpacity() == 0; }, 2000));
}

TEST_F(CommentRailTest, HideCommentsTakesTheRailAwayAndNoCardsTakeNoWidth) {
    open("<w:p><w:r><w:t>Plain</w:t></w:r></w:p>");
    auto* body = static_cast<ColumnTextView*>(editor->body());
    EXPECT_TRUE(rail().cards().empty());
    EXPECT_FALSE(rail().isVisible());
    EXPECT_EQ(body->railWidth(), 0);
    MainMenu::build().validate();
    EXPECT_FALSE(MainMenu::build().action(Command::toggleRail)->isEnabled());

    open("<w:p><w:ins w:id=\"1\" w:author=\"A\"><w:r><w:t>Added</w:t></w:r></w:ins></w:p>");
    body = static_cast<ColumnTextView*>(editor->body());
    EXPECT_TRUE(rail().isVisible());
    EXPECT_EQ(body->railWidth(), CommentRail::shownWidth);
    MainMenu::build().validate();
    QAction* toggle = MainMenu::build().action(Command::toggleRail);
    ASSERT_TRUE(toggle->isEnabled());
    EXPECT_EQ(toggle->text(), "Hide Comments");
    toggle->trigger();
    settle();
    EXPECT_FALSE(rail().isVisible());
    EXPECT_EQ(body->railWidth(), 0);
    MainMenu::build().validate();
    EXPECT_EQ(toggle->text(), "Show Comments");
}

TEST_F(CommentRailTest, TypingRebuildsTheRailOnceSettledAndKeepsUnchangedCards) {
    auto doc = engineDocument(
        "<w:p><w:r><w:t xml:space=\"preserve\">Alpha </w:t></w:r>"
        "<w:ins w:id=\"3\" w:author=\"A\"><w:r><w:t>beta</w:t></w:r></w:ins></w:p>"
        "<w:p><w:r><w:t>Gamma</w:t></w:r></w:p>");
    doc->addComment(doc->snapshot(StoryID::body()).paragraphs().at(1)->id, StoryID::body(), {0, 5},
                    u"On gamma", "Ada", reviewDate);
    open(doc->data());
    ASSERT_EQ(rail().cards().size(), 2u);
    RailCard* commentCard = card(0);
    RailCard* changeCard = card(1);
    const int anchor = rail().anchorOf(commentCard);
    QTextCursor cursor = editor->body()->textCursor();
    cursor.setPosition(0);
    editor->body()->setTextCursor(cursor);
    QTest::keyClicks(editor->body(), "Oh ");
    editor->flushRefresh();
    ASSERT_TRUE(waitFor([&] { return rail().anchorOf(commentCard) == anchor + 3; }, 2000));
    // Moved, not rebuilt.
    EXPECT_EQ(card(0), commentCard);
    EXPECT_EQ(card(1), changeCard);
    EXPECT_EQ(rail().anchorOf(changeCard), 9);
    EXPECT_DOUBLE_EQ(commentCard->y() + rail().placement(commentCard).tickOffset, lineTop(anchor + 3));
    // A click selects where the change stands now, not where its card was made.
    QTest::mouseClick(changeCard, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(editor->body()->textCursor().selectedText(), QStringLiteral("beta"));

    // Typing with tracking on adds a card for the new insertion.
    document->setTrackChanges(true);
    cursor.setPosition(editor->body()->document()->characterCount() - 1);
    editor->body()->setTextCursor(cursor);
    QTest::keyClicks(editor->body(), "!");
    ASSERT_TRUE(waitFor([&] { return rail().cards().size() == 3u; }, 2000));
    EXPECT_EQ(card(2)->snippetLabel()->text(), QStringLiteral("“!”"));
}

// Every card's tick must point at the line holding its anchor however the rail got there:
// after typing that wraps a paragraph in the middle of many cards, and after more typing.
TEST_F(CommentRailTest, TicksFollowTheirLinesAsTypingRewrapsTheText) {
    std::string body, comments;
    for (int i = 1; i <= 40; ++i) {
        const std::string id = std::to_string(i);
        body += "<w:p><w:commentRangeStart w:id=\"" + id + "\"/><w:r><w:t xml:space=\"preserve\">Line " + id +
                " </w:t></w:r><w:ins w:id=\"" + std::to_string(100 + i) +
                "\" w:author=\"A\"><w:r><w:t>added</w:t></w:r></w:ins></w:p>";
        comments += "<w:comment w:id=\"" + id + "\" w:author=\"B\"><w:p><w:r><w:t>Note " + id +
                    "</w:t></w:r></w:p></w:comment>";
    }
    open(body, {{"word/comments.xml", commentsPart(comments)}}, commentRels);
    ASSERT_EQ(rail().cards().size(), 80u);
    auto expectTicksAtLines = [&] {
        const QTextDocument& text = *editor->body()->document();
        for (RailCard* c : rail().cards()) {
            const int anchor = rail().anchorOf(c);
            const QTextBlock block = text.findBlock(anchor);
            const QTextLayout* layout = block.layout();
            ASSERT_TRUE(layout && layout->lineCount() > 0);
            const QTextLine line = layout->lineForTextPosition(anchor - block.position());
            const qreal top = layout->position().y() + line.y();
            const CommentRail::Placement at = rail().placement(c);
            EXPECT_DOUBLE_EQ(at.top + at.tickOffset, top) << "anchor " << anchor;
        }
    };
    expectTicksAtLines();
    QTextCursor cursor = editor->body()->textCursor();
    cursor.setPosition(editor->body()->document()->findBlockByNumber(20).position() + 4);
    editor->body()->setTextCursor(cursor);
    const qreal height = editor->body()->document()->size().height();
    QTest::keyClicks(editor->body(), QString(" wrapping words").repeated(12));
    settle();
    editor->flushRefresh();
    settle();
    ASSERT_GT(editor->body()->document()->size().height(), height);
    expectTicksAtLines();
    for (int key = 0; key < 3; ++key) {
        QTest::keyClick(editor->body(), Qt::Key_X);
        settle();
        editor->flushRefresh();
        expectTicksAtLines();
    }
}

TEST_F(CommentRailTest, ALongReviewOpensWithACardForEveryCommentAndChange) {
    constexpr int threads = 2000;
    std::string body, comments;
    for (int i = 1; i <= threads; ++i) {
        const std::string id = std::to_string(i);
        body += "<w:p><w:commentRangeStart w:id=\"" + id + "\"/><w:r><w:t xml:space=\"preserve\">Line " + id +
                " </w:t></w:r><w:commentRangeEnd w:id=\"" + id + "\"/><w:ins w:id=\"" +
                std::to_string(threads + i) + "\" w:author=\"A\"><w:r><w:t>added</w:t></w:r></w:ins></w:p>";
        comments += "<w:comment w:id=\"" + id + "\" w:author=\"B\"><w:p><w:r><w:t>Note " + id +
                    "</w:t></w:r></w:p></w:comment>";
    }
    open(body, {{"word/comments.xml", commentsPart(comments)}}, commentRels);
    ASSERT_EQ(rail().cards().size(), size_t(2 * threads));
    EXPECT_EQ(comment(threads - 1).comment.id, threads);
    EXPECT_EQ(change(2 * threads - 1).revision.id.rawValue, 2 * threads);
    // Every card stands at or below its line and below the one before it.
    int bottom = 0;
    for (size_t i = 0; i < size_t(threads); ++i) {
        const CommentRail::Placement at = rail().placement(card(i));
        ASSERT_GE(at.top, bottom) << "card " << i;
        ASSERT_GT(at.height, 0);
        bottom = at.top + at.height + 12;
    }
    // Only the cards near the visible text are shown.
    EXPECT_TRUE(card(0)->isVisible());
    EXPECT_FALSE(card(threads - 1)->isVisible());
}

// Tables: a cell's paragraph, a row of cells, and a row marked as a tracked change.
std::string cellOf(const std::string& content) {
    return "<w:tc><w:p>" + content + "</w:p></w:tc>";
}
std::string textRun(const std::string& text) {
    return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}
std::string tableOf(const std::string& rows) {
    return "<w:tbl><w:tblGrid><w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>" + rows +
           "</w:tbl>";
}
const std::string insertedRow =
    "<w:tr><w:trPr><w:ins w:id=\"5\" w:author=\"Ann\"/></w:trPr>" +
    cellOf("<w:ins w:id=\"6\" w:author=\"Ann\">" + textRun("added") + "</w:ins>") + cellOf(textRun("more")) +
    "</w:tr>";

TEST_F(CommentRailTest, ChangesCommentsAndRowsInsideATableStandAtItsCharacter) {
    const std::string nested = "<w:tc><w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/></w:tblGrid><w:tr>" +
                               cellOf(
                                   "<w:del w:id=\"9\" w:author=\"Cy\"><w:r><w:delText>inner</w:delText>"
                                   "</w:r></w:del>") +
                               "</w:tr></w:tbl><w:p/></w:tc>";
    auto doc = engineDocument(
        "<w:p>" + textRun("Intro") + "</w:p>" +
        tableOf("<w:tr>" + cellOf(textRun("Commented cell")) + nested + "</w:tr>" + insertedRow) + "<w:p>" +
        textRun("After ") + "<w:ins w:id=\"10\" w:author=\"Ann\">" + textRun("tail") + "</w:ins></w:p>");
    doc->addComment(doc->snapshot(StoryID::body()).paragraphs().at(1)->id, StoryID::body(), {0, 9},
                    u"In a cell", "Ada", reviewDate);
    open(doc->data());
    // "Intro", then the table's character at 6, then "After tail" from 8. Ann's text in the
    // row she inserted goes with the row.
    ASSERT_EQ(rail().cards().size(), 4u);
    EXPECT_EQ(comment(0).anchor, 6);
    std::vector<std::tuple<int64_t, bool, int, int>> seen;
    for (size_t i = 1; i < 4; ++i)
        seen.emplace_back(change(i).revision.id.rawValue, change(i).row, rail().anchorOf(card(i)),
                          change(i).length);
    const decltype(seen) expected = {{9, false, 6, 1}, {5, true, 6, 1}, {10, false, 14, 4}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(change(2).revisions(), (std::vector<rovuvuz::RevisionID>{rovuvuz::RevisionID{5}, rovuvuz::RevisionID{6}}));
    EXPECT_EQ(labels(card(1)), (QStringList{"CY · DELETED", "“inner”"}));
    EXPECT_EQ(labels(card(2)), (QStringList{"ANN · INSERTED ROW", "“added more”"}));
    // A click on a change inside the table selects the table's character and nothing more.
    QTest::mouseClick(card(2), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(editor->body()->textCursor().selectedText(), QString(QChar(0xFFFC)));
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 6);
}

TEST_F(CommentRailTest, ATrackedKeystrokeInACellAddsItsCardWithoutReloadingTheRest) {
    auto doc =
        engineDocument("<w:p>" + textRun("Intro ") + "<w:ins w:id=\"3\" w:author=\"A\">" + textRun("new") +
                       "</w:ins></w:p>" + tableOf("<w:tr>" + cellOf(textRun("cell")) + "</w:tr>") + "<w:p>" +
                       textRun("After") + "</w:p>");
    doc->addComment(doc->snapshot(StoryID::body()).paragraphs().at(2)->id, StoryID::body(), {0, 5}, u"Late",
                    "Ada", reviewDate);
    open(doc->data());
    ASSERT_EQ(rail().cards().size(), 2u);
    RailCard* commentCard = card(0);
    RailCard* changeCard = card(1);
    StoryBridge& body = *editor->bodyBridge();
    ASSERT_EQ(body.entries().size(), 3u);
    const uint64_t tableStamp = body.entries()[1].stamp;
    const std::vector<uint64_t> kept = {body.entries()[0].stamp, body.entries()[2].stamp};

    document->setTrackChanges(true);
    TableView* table = TableHost::of(editor->body())->views().at(0);
    table->ensureViews(QRectF(0, 0, table->width(), table->height()));
    BandTextView* cell = table->cells().at(0).view;
    ASSERT_NE(cell, nullptr);
    cell->setFocus();
    QTextCursor cursor = cell->textCursor();
    cursor.movePosition(QTextCursor::End);
    cell->setTextCursor(cursor);
    QTest::keyClicks(cell, "!");
    editor->bridgeOf(cell)->flush();
    editor->flushRefresh();
    ASSERT_TRUE(waitFor([&] { return rail().cards().size() == 3u; }, 2000));
    // Only the table's entry was renewed; the other cards are the same widgets.
    EXPECT_NE(body.entries()[1].stamp, tableStamp);
    EXPECT_EQ((std::vector<uint64_t>{body.entries()[0].stamp, body.entries()[2].stamp}), kept);
    EXPECT_EQ(body.entriesText(), body.viewText());
    EXPECT_EQ(card(0), commentCard);
    EXPECT_EQ(card(1), changeCard);
    EXPECT_EQ(card(2)->snippetLabel()->text(), QStringLiteral("“!”"));
    EXPECT_EQ(rail().anchorOf(card(2)), 10);
    EXPECT_EQ(rail().anchorOf(commentCard), 12);
    EXPECT_EQ(beeps, 0);
}

TEST_F(CommentRailTest, AcceptOrRejectOnARowCardResolvesTheRowAsOneUndoStep) {
    const std::string deletedRow = "<w:tr><w:trPr><w:del w:id=\"7\" w:author=\"Bob\"/></w:trPr>" +
                                   cellOf(
                                       "<w:del w:id=\"8\" w:author=\"Bob\"><w:r><w:delText>gone</w:delText>"
                                       "</w:r></w:del>") +
                                   cellOf("") + "</w:tr>";
    const std::string body =
        "<w:p>" + textRun("Intro") + "</w:p>" +
        tableOf("<w:tr>" + cellOf(textRun("head")) + cellOf("") + "</w:tr>" + insertedRow + deletedRow) +
        "<w:p>" + textRun("After") + "</w:p>";
    for (const int64_t id : {5, 7}) {
        for (const bool accept : {true, false}) {
            SCOPED_TRACE(std::to_string(id) + (accept ? " accept" : " reject"));
            open(body);
            const std::string before = part("word/document.xml");
            // The card stands for the row and for its author's change to its text.
            auto reference = engineDocument(body);
            using rovuvuz::StructuralEdit;
            for (const rovuvuz::RevisionID revision : {rovuvuz::RevisionID{id}, rovuvuz::RevisionID{id + 1}})
                reference->apply(accept ? StructuralEdit{StructuralEdit::Accept{revision}}
                                        : StructuralEdit{StructuralEdit::Reject{revision}},
                                 StoryID::body(), rovuvuz::EditMode::direct());
            const int steps = editor->undo().stack().count();
            ASSERT_EQ(rail().cards().size(), 2u);
            RailCard* rowCard = nullptr;
            for (RailCard* c : rail().cards())
                if (std::get<ChangeCardModel>(c->model()).row &&
                    std::get<ChangeCardModel>(c->model()).revision.id.rawValue == id)
                    rowCard = c;
            ASSERT_NE(rowCard, nullptr);
            QTest::mouseClick(button(rowCard, accept ? "Accept" : "Reject"), Qt::LeftButton);
            settle();
            const auto expected = reference->partData(rovuvuz::PartName("word/document.xml"));
            EXPECT_EQ(part("word/document.xml"), std::string(expected->begin(), expected->end()));
            EXPECT_EQ(editor->undo().stack().count(), steps + 1);
            // The row's card is gone with everything it stood for.
            EXPECT_EQ(rail().cards().size(), 1u);
            editor->undo().undo();
            settle();
            EXPECT_EQ(part("word/document.xml"), before);
            EXPECT_EQ(rail().cards().size(), 2u);
            EXPECT_EQ(beeps, 0);
        }
    }
}

}  // namespace
}  // namespace tovin::testing
