// Where the keys go and when they may change the document: the body takes the keys as soon
// as a window appears and again when page view closes, and in page view no editing path
// (typed keys, an input method's commit, a drop, the Edit menu) reaches the document.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QTextEdit>

#include "AppTestSupport.h"
#include "support/TestSupport.h"
#include "EditorTestSupport.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/pages/PageView.h"

namespace tovin::testing {
namespace {

class EditingSurfaceTest : public AppTest {
  protected:
    // Opens a document as File > Open does, without choosing where the keys go.
    void open(const QStringList& paragraphs) {
        document = documents().openDocument(writeScratch("surface.docx", documentWithParagraphs(paragraphs)));
        ASSERT_NE(document, nullptr);
        controller = EditorWindowController::of(document);
        editor = controller->editor();
        ASSERT_TRUE(waitFor([this] { return QApplication::activeWindow() == editor->window(); }));
        settle();
    }
    // Keys as the user types them: to whichever widget has the focus.
    void typeHere(const QString& text) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "no widget takes the keys";
        QTest::keyClicks(focus, text);
        settle();
    }
    void keys(QWidget* target, const char* sequence) {
        QTest::keySequence(target, QKeySequence(QString::fromLatin1(sequence)));
        settle();
    }
    QString bodyText() {
        QStringList paragraphs;
        const rovuvuz::StorySnapshot body = document->docx()->snapshot(rovuvuz::StoryID::body());
        for (const auto* p : body.paragraphs())
            paragraphs << QString::fromStdU16String(p->text);
        return paragraphs.join('|');
    }

    TovinDocument* document = nullptr;
    EditorWindowController* controller = nullptr;
    EditorViewController* editor = nullptr;
};

TEST_F(EditingSurfaceTest, TheBodyTakesTheKeysWhenTheWindowAppearsAndWhenPageViewCloses) {
    open({"Paged text"});
    EXPECT_EQ(QApplication::focusWidget(), editor->body());
    typeHere("First ");
    EXPECT_EQ(bodyText(), "First Paged text");
    EXPECT_TRUE(document->isDocumentEdited());

    keys(editor->body(), "Ctrl+Alt+P");
    ASSERT_TRUE(controller->pageView()->isOn());
    keys(QApplication::focusWidget(), "Ctrl+Alt+P");
    ASSERT_FALSE(controller->pageView()->isOn());
    EXPECT_EQ(QApplication::focusWidget(), editor->body());
    typeHere("Back ");
    EXPECT_EQ(bodyText(), "First Back Paged text");
}

// Qt's text view gives an empty paragraph with a format of its own the default format on
// Return instead of starting a new one; every paragraph here has its document's format.
TEST_F(EditingSurfaceTest, ReturnInAnEmptyParagraphStartsANewOne) {
    document = documents().openDocument(writeScratch(
        "empty.docx", *rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(
                          "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr></w:p><w:p><w:r><w:t>After</w:t></w:r></w:p>"))));
    ASSERT_NE(document, nullptr);
    editor = EditorWindowController::of(document)->editor();
    ASSERT_TRUE(waitFor([this] { return QApplication::focusWidget() == editor->body(); }));
    keys(editor->body(), "Return");
    keys(editor->body(), "Return");
    EXPECT_EQ(bodyText(), "|||After");
    EXPECT_EQ(editor->body()->document()->blockCount(), 4);
}

// Copying elsewhere and pressing Ctrl+V at once pastes, before anything has validated the
// menu again.
TEST_F(EditingSurfaceTest, CtrlVPastesRightAfterTheClipboardFills) {
    QGuiApplication::clipboard()->clear();
    open({"Paste here"});
    MainMenu::build().validate();
    ASSERT_FALSE(MainMenu::build().action(Command::paste)->isEnabled());
    QGuiApplication::clipboard()->setText("copied ");
    keys(editor->body(), "Ctrl+V");
    EXPECT_EQ(bodyText(), "copied Paste here");
}

TEST_F(EditingSurfaceTest, InPageViewNoEditingPathChangesTheDocument) {
    open({"One two three", "Four"});
    // Something to undo, cut and delete.
    typeHere("Zero ");
    QTextCursor select = editor->body()->textCursor();
    select.setPosition(5);
    select.setPosition(8, QTextCursor::KeepAnchor);
    editor->body()->setTextCursor(select);
    QGuiApplication::clipboard()->setText("pasted");
    const QString before = bodyText();
    const rovuvuz::SharedBytes saved = document->docx()->data();

    keys(editor->body(), "Ctrl+Alt+P");
    ASSERT_TRUE(editor->isPageView());
    // The keys the user types go nowhere near the text, whichever view they reach.
    for (QWidget* target : {QApplication::focusWidget(), static_cast<QWidget*>(editor->body())}) {
        ASSERT_NE(target, nullptr);
        QTest::keyClicks(target, "typed");
        for (const char* sequence : {"Ctrl+V", "Ctrl+X", "Delete", "Backspace", "Return", "Ctrl+Z"})
            keys(target, sequence);
    }
    QInputMethodEvent commit;
    commit.setCommitString("composed");
    QApplication::sendEvent(editor->body(), &commit);
    QMimeData dropped;
    dropped.setText("dropped");
    const QPoint inside = editor->body()->viewport()->rect().center();
    QDropEvent drop(inside, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->body()->viewport(), &drop);
    settle();
    EXPECT_EQ(bodyText(), before);
    EXPECT_EQ(*document->docx()->data(), *saved);
    // Refused, and the footer says why.
    EXPECT_TRUE(editor->footer()->message()->text().contains("Draft"));

    // The Edit menu follows the same rule: every editing item is off.
    MainMenu& menu = MainMenu::build();
    menu.validate();
    for (Command command : {Command::undo, Command::redo, Command::cut, Command::copy, Command::paste,
                            Command::pasteAsPlainText, Command::deleteSelection, Command::selectAll,
                            Command::toggleBold, Command::acceptAll, Command::showFindBar}) {
        EXPECT_FALSE(menu.action(command)->isEnabled()) << menu.row(command)->title.toStdString();
        menu.trigger(command);
    }
    for (Command command : {Command::showDraft, Command::togglePageView, Command::exportPDF,
                            Command::printDocument, Command::toggleRevealToolbar})
        EXPECT_TRUE(menu.action(command)->isEnabled()) << menu.row(command)->title.toStdString();
    settle();
    EXPECT_EQ(bodyText(), before);

    // Back in the draft, the same keys edit again.
    keys(QApplication::focusWidget(), "Ctrl+1");
    ASSERT_FALSE(editor->isPageView());
    keys(editor->body(), "Ctrl+Z");
    EXPECT_EQ(bodyText(), "One two three|Four");
}

}  // namespace
}  // namespace tovin::testing
