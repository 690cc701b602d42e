// File > New in the application: untitled windows, no autosave until Save names a file,
// Save through the name chooser, and closing an edited untitled document.
#include <QFileInfo>
#include <QTest>

#include "CommandTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/AutosaveInPlace.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin::testing {
namespace {

class NewDocumentWindowTest : public CommandTest {
  protected:
    TovinDocument* makeNew() {
        MainMenu::build().action(Command::newDocument)->trigger();
        settle();
        TovinDocument* made = documents().currentDocument();
        if (!made) return nullptr;
        document = made;
        editor = EditorWindowController::of(made)->editor();
        editor->body()->setFocus();
        return made;
    }
    void type(const QString& text) {
        QTest::keyClicks(editor->body(), text);
        settle();
    }
};

TEST_F(NewDocumentWindowTest, NewDocumentsAreNumberedUntitledWindowsWithOneEmptyParagraph) {
    TovinDocument* first = makeNew();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isUntitled());
    EXPECT_EQ(first->displayName(), "Untitled");
    EXPECT_EQ(texts(), QStringList{""});
    EXPECT_FALSE(first->isDocumentEdited());
    TovinDocument* second = makeNew();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->displayName(), "Untitled 2");
    EXPECT_EQ(editor->windowTitle(), "Untitled 2");
    // The lowest free number is taken again once its document has gone.
    ASSERT_TRUE(documents().closeDocument(first));
    settle();
    EXPECT_EQ(makeNew()->displayName(), "Untitled");
}

TEST_F(NewDocumentWindowTest, AnUntitledDocumentIsNotAutosavedAndSaveAsksForANameAddingDocx) {
    ASSERT_NE(makeNew(), nullptr);
    type("Hello new world");
    EXPECT_TRUE(document->isDocumentEdited());
    // Well past the test's autosave pause: nothing was written anywhere.
    QTest::qWait(300);
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(document->filePath().isEmpty());

    QString suggested;
    const QString chosen = scratch("letter");
    documents().setPathChooser([&](bool forSaving, const QString& offered) {
        EXPECT_TRUE(forSaving);
        suggested = offered;
        return QStringList{chosen};
    });
    ASSERT_TRUE(run(Command::saveDocument));
    EXPECT_TRUE(suggested.endsWith("Untitled.docx")) << suggested.toStdString();
    EXPECT_EQ(document->filePath(), QFileInfo(chosen + ".docx").absoluteFilePath());
    EXPECT_FALSE(document->isUntitled());
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(editor->windowTitle(), "letter.docx");

    // The file reopens with the typed text; from now on edits are saved in place.
    auto reopened = rovuvuz::DocxDocument::open(document->filePath().toStdString());
    const rovuvuz::StorySnapshot story = reopened->snapshot(rovuvuz::StoryID::body());
    ASSERT_EQ(story.paragraphs().size(), 1u);
    EXPECT_EQ(story.paragraphs().front()->text, u"Hello new world");
    type("!");
    EXPECT_TRUE(waitFor([&] { return !document->isDocumentEdited(); }));
}

TEST_F(NewDocumentWindowTest, CancellingTheNameLeavesTheDocumentUntitledAndEdited) {
    ASSERT_NE(makeNew(), nullptr);
    type("draft");
    documents().setPathChooser([](bool, const QString&) { return QStringList(); });
    run(Command::saveDocument);
    EXPECT_TRUE(document->isUntitled());
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(NewDocumentWindowTest, ClosingAnEditedUntitledDocumentAsksToSave) {
    TovinDocument* unedited = makeNew();
    ASSERT_NE(unedited, nullptr);
    // Nothing typed: it closes without a question.
    ASSERT_TRUE(documents().closeDocument(unedited));
    EXPECT_TRUE(presenter().alerts.empty());

    TovinDocument* edited = makeNew();
    type("keep me");
    presenter().answers = {2};  // Cancel
    EXPECT_FALSE(documents().closeDocument(edited));
    ASSERT_EQ(presenter().alerts.size(), 1u);
    EXPECT_TRUE(presenter().alerts.back().text.contains("Untitled"));
    EXPECT_TRUE(documents().documents().contains(edited));

    const QString chosen = scratch("kept.docx");
    documents().setPathChooser([&](bool, const QString&) { return QStringList{chosen}; });
    presenter().answers = {0};  // Save…
    EXPECT_TRUE(documents().closeDocument(edited));
    EXPECT_TRUE(QFileInfo(chosen).isFile());

    TovinDocument* discarded = makeNew();
    type("gone");
    presenter().answers = {1};  // Don't Save
    EXPECT_TRUE(documents().closeDocument(discarded));
}

TEST_F(NewDocumentWindowTest, QuittingWithAnEditedUntitledDocumentAsksAndCancelKeepsItOpen) {
    ASSERT_NE(makeNew(), nullptr);
    type("unsaved");
    presenter().answers = {2};  // Cancel
    EXPECT_FALSE(documents().terminate());
    ASSERT_EQ(presenter().alerts.size(), 1u);
    EXPECT_EQ(presenter().alerts.back().buttons.front(), "Save…");
    EXPECT_TRUE(documents().documents().contains(document));
}

TEST_F(NewDocumentWindowTest, ALaunchWithNothingToShowOpensAnUntitledDocument) {
    delegate().applicationShouldHandleReopen(false);
    settle();
    ASSERT_EQ(documents().documents().size(), 1);
    EXPECT_TRUE(documents().documents().front()->isUntitled());
}

}  // namespace
}  // namespace tovin::testing
