// View > Zoom In, Zoom Out and Actual Size, and Ctrl+wheel: the body's text, its column and
// bands are shown larger or smaller, per window, and the document is never touched.
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <QTextBlock>
#include <QWheelEvent>

#include "CommandTestSupport.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/editor/ZoomLevels.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PageStackView.h"
#include "Tovin/pages/PageView.h"
#include "Tovin/text/DisplayUnits.h"

namespace tovin::testing {
namespace {

class ZoomTest : public CommandTest {
  protected:
    qreal shownSize() {
        QTextCursor cursor(editor->body()->document());
        cursor.setPosition(1);
        return displaySize(cursor.charFormat().font());
    }
    void wheel(int delta, Qt::KeyboardModifiers modifiers) {
        QWidget* viewport = editor->body()->viewport();
        const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewport, &event);
        settle();
    }
};

TEST_F(ZoomTest, LevelsStepWithinFiftyToThreeHundredPercent) {
    EXPECT_DOUBLE_EQ(ZoomLevels::step(1, 1), 1.1);
    EXPECT_DOUBLE_EQ(ZoomLevels::step(1, -1), 0.9);
    EXPECT_DOUBLE_EQ(ZoomLevels::step(3, 1), 3);
    EXPECT_DOUBLE_EQ(ZoomLevels::step(0.5, -1), 0.5);
    // Between two levels, the next one in that direction.
    EXPECT_DOUBLE_EQ(ZoomLevels::step(1.3, 1), 1.5);
    EXPECT_DOUBLE_EQ(ZoomLevels::step(1.3, -1), 1.25);
}

TEST_F(ZoomTest, CommandsScaleTheTextAndColumnAndLeaveTheDocumentUntouched) {
    open(plainParagraphs({"Some words to show", "more"}));
    const qreal size = shownSize();
    const qreal column = static_cast<ColumnTextView*>(editor->body())->columnWidth();
    select(5, 10);
    ASSERT_TRUE(run(Command::zoomIn));
    EXPECT_DOUBLE_EQ(editor->zoom(), 1.1);
    EXPECT_NEAR(shownSize(), size * 1.1, 0.05);
    EXPECT_NEAR(static_cast<ColumnTextView*>(editor->body())->columnWidth(), column * 1.1, 1);
    // The selection stays where it was.
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 5);
    EXPECT_EQ(editor->body()->textCursor().selectionEnd(), 10);
    run(Command::zoomOut);
    run(Command::zoomOut);
    EXPECT_DOUBLE_EQ(editor->zoom(), 0.9);
    EXPECT_NEAR(shownSize(), size * 0.9, 0.05);
    ASSERT_TRUE(run(Command::zoomActualSize));
    EXPECT_NEAR(shownSize(), size, 0.01);
    MainMenu::build().validate();
    EXPECT_FALSE(MainMenu::build().action(Command::zoomActualSize)->isEnabled());
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(document->docx()->dirtyParts().empty());
}

TEST_F(ZoomTest, ControlWheelZoomsAndAPlainWheelScrolls) {
    open(plainParagraphs({"Wheel"}));
    const qreal size = shownSize();
    wheel(120, Qt::ControlModifier);
    wheel(120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 1.25);
    EXPECT_NEAR(shownSize(), size * 1.25, 0.05);
    wheel(-120, Qt::NoModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 1.25);
    for (int i = 0; i < 20; ++i) wheel(-120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 0.5);
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(ZoomTest, EachWindowKeepsItsOwnLevelAndTypingAfterZoomReachesTheDocument) {
    open(plainParagraphs({"first"}));
    EditorViewController* first = editor;
    run(Command::zoomIn);
    open(plainParagraphs({"second"}));
    EXPECT_DOUBLE_EQ(editor->zoom(), 1);
    EXPECT_DOUBLE_EQ(first->zoom(), 1.1);
    run(Command::zoomIn);
    run(Command::zoomIn);
    select(6, 6);
    QTest::keyClicks(editor->body(), "!");
    settle();
    editor->session()->flushAll();
    EXPECT_EQ(texts(), QStringList{"second!"});
}

// Ctrl+wheel over the pages steps the same levels as over the text: the pages are drawn
// larger with the page under the pointer kept in place, a plain wheel still scrolls, and the
// text under the pages takes the level when the draft comes back.
TEST_F(ZoomTest, ControlWheelInPageViewZoomsThePagesAndTheDraftFollows) {
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i) lines.push_back("Line " + std::to_string(i) + " of a document several pages long");
    open(plainParagraphs(lines));
    const qreal size = shownSize();
    ASSERT_TRUE(run(Command::togglePageView));
    PageView* pages = EditorWindowController::of(document)->pageView();
    PageStackView* stack = pages->stack();
    ASSERT_NE(stack, nullptr);
    ASSERT_GT(stack->pages().pages().size(), 2u);
    QWidget* viewport = stack->parentWidget();
    auto* area = qobject_cast<QScrollArea*>(viewport->parentWidget());
    ASSERT_NE(area, nullptr);
    const QSizeF page = stack->pages().pageSize(0);
    auto wheelOnPages = [&](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewport, &event);
        settle();
    };
    // The middle of the second page in the middle of the area.
    const qreal middle = stack->pageOrigin(1).y() + page.height() / 2;
    area->verticalScrollBar()->setValue(int(middle - viewport->height() / 2.0));
    auto pageInMiddle = [&] {
        const qreal y = area->verticalScrollBar()->value() + viewport->height() / 2.0;
        return stack->pagesIn(y, y).first;
    };
    ASSERT_EQ(pageInMiddle(), 1);

    wheelOnPages(120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 1.1);
    EXPECT_DOUBLE_EQ(stack->zoom(), 1.1);
    EXPECT_EQ(pages->stack(), stack);
    EXPECT_EQ(pageInMiddle(), 1);
    // Drawn larger: the second page's middle is now further down, and still in the middle.
    const qreal zoomedMiddle = stack->pageOrigin(1).y() + page.height() * 1.1 / 2;
    EXPECT_NEAR(area->verticalScrollBar()->value() + viewport->height() / 2.0, zoomedMiddle, 2);
    wheelOnPages(120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 1.25);
    EXPECT_EQ(pageInMiddle(), 1);
    // A plain wheel scrolls the pages and leaves the level.
    const int before = area->verticalScrollBar()->value();
    wheelOnPages(-120, Qt::NoModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 1.25);
    EXPECT_NE(area->verticalScrollBar()->value(), before);
    for (int i = 0; i < 20; ++i) wheelOnPages(-120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 0.5);
    EXPECT_DOUBLE_EQ(stack->zoom(), 0.5);
    wheelOnPages(120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(editor->zoom(), 0.67);

    ASSERT_TRUE(run(Command::showDraft));
    EXPECT_NEAR(shownSize(), size * 0.67, 0.05);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(document->docx()->dirtyParts().empty());
}

}  // namespace
}  // namespace tovin::testing
