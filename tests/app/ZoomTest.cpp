// View > Zoom In, Zoom Out and Actual Size, and Ctrl+wheel: the body's text, its column and
// bands are shown larger or smaller, per window, and the document is never touched.
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

#include "CommandTestSupport.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/ZoomLevels.h"
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

}  // namespace
}  // namespace tovin::testing
