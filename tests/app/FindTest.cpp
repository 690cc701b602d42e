// Finding and replacing what a reader sees, on the sample document: text in a table cell is
// found and selected in its cell; Replace All reaches table cells, the header, the footer and
// the notes, as one undo step, and counts what it replaced; text inside a tracked deletion is
// not found.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "EditorTestSupport.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/editor/FindBar.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/BandTextView.h"

namespace tovin::testing {
namespace {

using rovuvuz::StoryID;

class FindTest : public EditorTest {
  protected:
    void openWelcome() {
        const auto path = std::filesystem::path(TOVIN_SAMPLES_DIR) / "welcome.docx";
        open(std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path)));
    }
    FindBar* bar() { return editor->findBar(); }
    // Ctrl+F (or Ctrl+Alt+F), the text typed into the field, Return.
    void search(const QString& text, bool replace = false) {
        QTest::keyClick(editor->body(), Qt::Key_F, replace ? Qt::ControlModifier | Qt::AltModifier : Qt::ControlModifier);
        settle();
        ASSERT_TRUE(bar()->searchField()->hasFocus());
        bar()->searchField()->clear();
        QTest::keyClicks(bar()->searchField(), text);
        QTest::keyClick(bar()->searchField(), Qt::Key_Return);
        settle();
    }
    QString status() { return bar()->findChildren<QLabel*>().front()->text(); }
    // What a reader sees of a story: its paragraphs without tracked deletions.
    QString readerText(const StoryID& story) {
        QString text;
        const rovuvuz::StorySnapshot snapshot = document->docx()->snapshot(story);
        for (const rovuvuz::ParagraphSnapshot* paragraph : snapshot.paragraphs()) {
            for (const rovuvuz::Span& span : paragraph->spans)
                if (!span.revision || span.revision->kind != rovuvuz::RevisionKind::remove)
                    text += QString::fromStdU16String(paragraph->text.substr(span.range.lower, span.range.size()));
            text += '\n';
        }
        return text;
    }
    std::vector<StoryID> shownStories() {
        return {StoryID::body(), *document->docx()->defaultHeader(), *document->docx()->defaultFooter(),
                StoryID::footnotes()};
    }
};

TEST_F(FindTest, TextInATableCellIsFoundAndSelectedInItsCell) {
    openWelcome();
    search("Copied as");
    EXPECT_EQ(status(), "1 found");
    // The selection is in the view of the cell holding it.
    CellTextView* holding = nullptr;
    for (CellTextView* view : editor->body()->findChildren<CellTextView*>())
        if (view->textCursor().selectedText() == "Copied as") holding = view;
    ASSERT_NE(holding, nullptr) << "no cell shows the match selected";
    EXPECT_EQ(holding->row(), 3);
    // The body scrolled to the cell: the selection is on screen.
    QWidget* viewport = editor->body()->viewport();
    const QRect selection = holding->cursorRect().translated(holding->viewport()->mapTo(viewport, QPoint()));
    EXPECT_TRUE(viewport->rect().contains(selection)) << "the match is off screen, at " << selection.y();
    EXPECT_EQ(beeps, 0);
}

TEST_F(FindTest, ReplaceAllReachesCellsHeaderFooterAndNotesAsOneStep) {
    openWelcome();
    int expected = 0;
    std::map<std::string, QString> before;
    for (const StoryID& story : shownStories()) {
        before[story.description()] = readerText(story);
        expected += int(readerText(story).count("Tovin", Qt::CaseInsensitive));
    }
    ASSERT_GT(expected, 6);
    const int steps = editor->undo().stack().count();
    search("tovin", /*replace=*/true);
    EXPECT_EQ(status(), QString("%1 found").arg(expected));
    bar()->replaceField()->setText("Tovyn");
    EXPECT_EQ(bar()->replaceAll(), expected);
    EXPECT_EQ(status(), QString("%1 replaced").arg(expected));
    for (const StoryID& story : shownStories()) {
        EXPECT_FALSE(readerText(story).contains("Tovin")) << readerText(story).toStdString();
        EXPECT_EQ(readerText(story).count("Tovyn"), before[story.description()].count("Tovin", Qt::CaseInsensitive));
    }
    // The header band shows it at once.
    EXPECT_TRUE(editor->headerBand()->toPlainText().contains("Tovyn"));
    EXPECT_EQ(editor->undo().stack().count(), steps + 1);
    editor->undo().undo();
    settle();
    for (const StoryID& story : shownStories())
        EXPECT_EQ(readerText(story), before[story.description()]);
}

TEST_F(FindTest, TextInsideATrackedDeletionIsNotFoundNorReplaced) {
    openWelcome();
    search("at once", /*replace=*/true);
    EXPECT_EQ(status(), "0 found");
    EXPECT_EQ(beeps, 1);
    bar()->replaceField()->setText("X");
    EXPECT_EQ(bar()->replaceAll(), 0);
    EXPECT_TRUE(document->docx()->trackedChanges(StoryID::body()).size() == 2);
    // Shown text next to it is.
    search("each change", true);
    EXPECT_EQ(status(), "1 found");
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "each change");
}

}  // namespace
}  // namespace tovin::testing
