// Editing a document in its window: undo steps that coalesce typing, tracked typing under
// the author's name, and the Edit menu's commands, with real key events and menu items.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextEdit>

#include "AppTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/platform/UserDefaults.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

using Clock = std::chrono::steady_clock;

class EditorSessionTest : public AppTest {
  protected:
    void open(const QStringList& paragraphs) {
        original = documentWithParagraphs(paragraphs);
        document = documents().openDocument(writeScratch("typed.docx", original));
        ASSERT_NE(document, nullptr);
        controller = EditorWindowController::of(document);
        session = controller->session();
        view = controller->textView();
        QApplication::setActiveWindow(view->window());
        view->setFocus();
        session->undo().setClock([this] { return Clock::time_point() + elapsed; });
    }
    void place(int anchor, int position = -1) {
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(anchor);
        if (position >= 0) cursor.setPosition(position, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
    }
    void type(const QString& text) {
        QTest::keyClicks(view, text);
        settle();
    }
    void keys(const char* sequence) {
        const QKeySequence keys(QString::fromLatin1(sequence));
        QTest::keySequence(view, keys);
        settle();
    }
    void run(Command command) {
        MainMenu::build().validate();
        MainMenu::build().action(command)->trigger();
        settle();
    }
    QString engineText() {
        QString text;
        const rovuvuz::StorySnapshot body = document->docx()->snapshot(rovuvuz::StoryID::body());
        for (const rovuvuz::ParagraphSnapshot* p : body.paragraphs())
            text += QString::fromStdU16String(p->text) + "|";
        return text;
    }
    std::string bodyXml() {
        const rovuvuz::SharedBytes part = document->docx()->partData(rovuvuz::PartName("word/document.xml"));
        return std::string(part->begin(), part->end());
    }

    rovuvuz::Bytes original;
    TovinDocument* document = nullptr;
    EditorWindowController* controller = nullptr;
    EditorSession* session = nullptr;
    QTextEdit* view = nullptr;
    std::chrono::milliseconds elapsed{0};
};

TEST_F(EditorSessionTest, TypingUnderASecondApartIsOneUndoStepAndUndoingAllGivesTheFileBack) {
    open({"Hello"});
    place(5);
    for (int ms : {0, 400, 999}) {
        elapsed = std::chrono::milliseconds(ms);
        type("a");
    }
    elapsed = std::chrono::milliseconds(1999);  // a pause of exactly one second
    type("b");
    elapsed = std::chrono::milliseconds(2500);
    type("c");
    EXPECT_EQ(session->undo().stack().count(), 2);
    EXPECT_EQ(engineText(), "Helloaaabc|");
    EXPECT_TRUE(document->isDocumentEdited());

    keys("Ctrl+Z");
    EXPECT_EQ(engineText(), "Helloaaa|");
    EXPECT_EQ(view->toPlainText(), "Helloaaa");
    EXPECT_EQ(view->textCursor().position(), 8);
    keys("Ctrl+Z");
    EXPECT_EQ(engineText(), "Hello|");
    EXPECT_EQ(view->toPlainText(), "Hello");
    EXPECT_EQ(*document->data(), original) << "undoing every step gives back the opened bytes";

    keys("Ctrl+Shift+Z");
    EXPECT_EQ(engineText(), "Helloaaa|");
    keys("Ctrl+Y");
    EXPECT_EQ(engineText(), "Helloaaabc|");
    EXPECT_EQ(view->toPlainText(), "Helloaaabc");

    // Typing after an undo starts a fresh step and drops the redo.
    keys("Ctrl+Z");
    elapsed += std::chrono::seconds(5);
    type("!");
    EXPECT_FALSE(session->undo().canRedo());
    EXPECT_EQ(engineText(), "Helloaaa!|");
}

TEST_F(EditorSessionTest, TrackMyEditsTypesInsertionsAndDeletionsByTheAuthor) {
    UserDefaults::setValue("authorName", "Rosa Tester");
    open({"Plain words"});
    run(Command::toggleTracking);
    EXPECT_TRUE(document->trackChanges());
    EXPECT_TRUE(MainMenu::build().action(Command::toggleTracking)->isChecked());
    place(5);
    type("new ");
    place(11);
    QTest::keyClick(view, Qt::Key_Backspace);
    settle();
    EXPECT_EQ(engineText(), "Plainnew  words|");
    const std::string xml = bodyXml();
    EXPECT_NE(xml.find("<w:ins w:id=\""), std::string::npos);
    EXPECT_EQ(rovuvuz::testing::count(xml, "w:author=\"Rosa Tester\""), 2u) << xml;
    EXPECT_NE(xml.find("<w:delText>w</w:delText>"), std::string::npos);
    EXPECT_EQ(view->textCursor().position(), 10);
    UserDefaults::remove("authorName");
}

TEST_F(EditorSessionTest, EditMenuCommandsChangeTheDocumentThroughTheView) {
    open({"One two three", "Four"});
    place(4, 8);
    run(Command::cut);
    EXPECT_EQ(engineText(), "One three|Four|");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "two ");
    place(0);
    run(Command::paste);
    EXPECT_EQ(engineText(), "two One three|Four|");

    // Rich text on the clipboard arrives as its plain text.
    auto* rich = new QMimeData();
    rich->setHtml("<b>bold</b><table><tr><td>x</td></tr></table>");
    rich->setText("bold\nx");
    QGuiApplication::clipboard()->setMimeData(rich);
    place(18);
    run(Command::pasteAsPlainText);
    EXPECT_EQ(engineText(), "two One three|Fourbold|x|");

    place(0, 4);
    run(Command::deleteSelection);
    EXPECT_EQ(engineText(), "One three|Fourbold|x|");
    run(Command::selectAll);
    EXPECT_EQ(view->textCursor().selectedText().size(), view->document()->characterCount() - 1);
    run(Command::copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "One three\nFourbold\nx");
    EXPECT_EQ(engineText(), "One three|Fourbold|x|");
}

}  // namespace
}  // namespace tovin::testing
