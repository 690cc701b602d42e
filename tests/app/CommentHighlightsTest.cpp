// The commented text tinted in the body: each comment's range read from the body's marks
// (across paragraphs and past a table), drawn as extra selections without touching the
// document, and stronger while the thread's card is hovered or after it was clicked.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextFrame>

#include "ReviewTestSupport.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/review/CommentHighlights.h"
#include "Tovin/review/CommentRail.h"
#include "Tovin/review/RailCard.h"

namespace tovin::testing {
namespace {

using Range = CommentHighlights::Range;

StoryBridge::Entry paragraphEntry(const std::u16string& text, std::vector<rovuvuz::CommentMark> marks) {
    rovuvuz::ParagraphSnapshot paragraph;
    paragraph.text = text;
    paragraph.commentMarks = std::move(marks);
    return {rovuvuz::BlockSnapshot{paragraph}};
}

rovuvuz::CommentMark mark(int64_t id, size_t offset, bool isStart) {
    return {rovuvuz::CommentID{id}, offset, isStart};
}

TEST(CommentHighlights, RangesRunFromStartToEndMarkAcrossParagraphsAndTables) {
    const std::vector<StoryBridge::Entry> body = {
        paragraphEntry(u"Hello world", {mark(1, 6, true), mark(3, 0, false)}),
        {rovuvuz::BlockSnapshot{rovuvuz::TableSnapshot{}}},
        paragraphEntry(u"abc", {mark(1, 2, false), mark(2, 3, true)}),
        paragraphEntry(u"xy", {mark(4, 1, true), mark(4, 1, false)}),
    };
    // "Hello world" is 0–11, its separator 11, the table's character 12, "abc" from 14.
    // Comment 2 never ends, 3 ends without starting, 4 is empty: none is drawn.
    EXPECT_EQ(CommentHighlights::rangesOf(body), (std::vector<Range>{{1, 6, 16}}));
}

class CommentHighlightsTest : public ReviewTest {
  protected:
    void openTwoComments() {
        const std::string comments = commentsPart(
            "<w:comment w:id=\"1\" w:author=\"A\"><w:p><w:r><w:t>First</w:t></w:r></w:p></w:comment>"
            "<w:comment w:id=\"2\" w:author=\"B\"><w:p><w:r><w:t>Second</w:t></w:r></w:p></w:comment>");
        open(
            "<w:p><w:r><w:t xml:space=\"preserve\">Before </w:t></w:r><w:commentRangeStart w:id=\"1\"/>"
            "<w:r><w:t>commented words</w:t></w:r><w:commentRangeEnd w:id=\"1\"/>"
            "<w:r><w:commentReference w:id=\"1\"/></w:r><w:r><w:t xml:space=\"preserve\"> "
            "after</w:t></w:r></w:p>"
            "<w:p><w:commentRangeStart w:id=\"2\"/><w:r><w:t>Another</w:t></w:r></w:p>"
            "<w:p><w:r><w:t>paragraph</w:t></w:r><w:commentRangeEnd w:id=\"2\"/>"
            "<w:r><w:commentReference w:id=\"2\"/></w:r></w:p>",
            {{"word/comments.xml", comments}}, commentRels);
    }
    QList<QTextEdit::ExtraSelection> drawn() { return editor->body()->extraSelections(); }
    static qreal alpha(const QTextEdit::ExtraSelection& selection) {
        return selection.format.background().color().alphaF();
    }
    RailCard* card(size_t i) { return editor->rail()->cards().at(i); }
};

// In a real window the text just opened is relaid out (its frame moves with the column) and
// the view reports that as a change while the rail reloads; the engine's text is the same,
// so no reload follows. The tint must still be drawn, without waiting for the first edit.
TEST_F(CommentHighlightsTest, TheTintIsDrawnWhenTheReloadMeetsAChangeTheEngineDoesNotSee) {
    openTwoComments();
    QTest::qWait(300);  // past the first refresh of a window just made
    editor->body()->setExtraSelections({});
    QTextFrame* frame = editor->body()->document()->rootFrame();
    QTextFrameFormat format = frame->frameFormat();
    format.setLeftMargin(format.leftMargin() + 1);
    frame->setFrameFormat(format);
    editor->rail()->reload();
    EXPECT_TRUE(drawn().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawn().size() == 2; }, 2000));
    EXPECT_EQ(drawn()[0].cursor.selectedText(), "commented words");
    EXPECT_TRUE(document->docx()->dirtyParts().empty());
}

TEST_F(CommentHighlightsTest, TheCommentedTextIsTintedAndStrongerWhileItsCardIsHoveredOrSelected) {
    openTwoComments();
    ASSERT_EQ(editor->rail()->cards().size(), 2u);
    ASSERT_EQ(drawn().size(), 2);
    EXPECT_EQ(drawn()[0].cursor.selectedText(), "commented words");
    EXPECT_EQ(drawn()[1].cursor.selectedText(),
              QString("Another") + QChar(QChar::ParagraphSeparator) + "paragraph");
    for (const auto& selection : drawn()) EXPECT_NEAR(alpha(selection), CommentHighlights::softAlpha, 0.01);
    // Only drawn: the text's own format has no background, and nothing in the package changed.
    QTextCursor inside(editor->body()->document());
    inside.setPosition(10);
    EXPECT_EQ(inside.charFormat().background().style(), Qt::NoBrush);

    // The pointer over the second card.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(card(1), &enter);
    EXPECT_NEAR(alpha(drawn()[0]), CommentHighlights::softAlpha, 0.01);
    EXPECT_NEAR(alpha(drawn()[1]), CommentHighlights::strongAlpha, 0.01);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(card(1), &leave);
    EXPECT_NEAR(alpha(drawn()[1]), CommentHighlights::softAlpha, 0.01);

    // A click selects the first card: its text stays strong while the caret is in it.
    QTest::mouseClick(card(0), Qt::LeftButton, {}, QPoint(10, 10));
    settle();
    EXPECT_NEAR(alpha(drawn()[0]), CommentHighlights::strongAlpha, 0.01);
    EXPECT_NEAR(alpha(drawn()[1]), CommentHighlights::softAlpha, 0.01);
    QTextCursor caret = editor->body()->textCursor();
    caret.movePosition(QTextCursor::End);
    editor->body()->setTextCursor(caret);
    EXPECT_NEAR(alpha(drawn()[0]), CommentHighlights::softAlpha, 0.01);
    EXPECT_TRUE(document->docx()->dirtyParts().empty());
    EXPECT_FALSE(document->isDocumentEdited());

    // Typing before a comment moves its tint with the text, and the next refresh agrees.
    caret.setPosition(0);
    editor->body()->setTextCursor(caret);
    QTest::keyClicks(editor->body(), "New ");
    EXPECT_EQ(drawn()[0].cursor.selectedText(), "commented words");
    editor->flushRefresh();
    settle();
    ASSERT_EQ(drawn().size(), 2);
    EXPECT_EQ(drawn()[0].cursor.selectedText(), "commented words");

    // Undo shows the body anew; the tint is drawn again where the comment is.
    editor->session()->undoStep();
    settle();
    editor->flushRefresh();
    settle();
    ASSERT_EQ(drawn().size(), 2);
    EXPECT_EQ(drawn()[0].cursor.selectedText(), "commented words");
}

}  // namespace
}  // namespace tovin::testing
