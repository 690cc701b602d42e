// Tables as a user builds them: Format > Insert Table, Tab through the cells (a new row from
// the last one), Ctrl+Tab for a tab, and Delete Table, outright and tracked, each read back
// from the saved body part.
#include <QApplication>
#include <QTest>
#include <QTextEdit>

#include "EditorTestSupport.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/TableCommands.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"

namespace tovin::testing {
namespace {

class TableCommandsTest : public EditorTest {
  protected:
    std::optional<rovuvuz::TableSnapshot> table() {
        for (const auto& block : document->docx()->snapshot(rovuvuz::StoryID::body()).blocks)
            if (const auto* found = std::get_if<rovuvuz::TableSnapshot>(&block.value)) return *found;
        return std::nullopt;
    }
    CellTextView* focusedCell() { return qobject_cast<CellTextView*>(QApplication::focusWidget()); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
        settle();
    }
    void typeHere(const QString& text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        settle();
    }
    static std::string cellText(const rovuvuz::CellSnapshot& cell) {
        const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&cell.blocks.at(0).value);
        return p ? std::string(p->text.begin(), p->text.end()) : "";
    }
};

const std::string twoParagraphs =
    "<w:p><w:r><w:t>First</w:t></w:r></w:p><w:p><w:r><w:t>Last</w:t></w:r></w:p>";

TEST_F(TableCommandsTest, InsertedTableIsFilledByTabAndGrowsFromItsLastCell) {
    open(twoParagraphs);
    TableCommands::insertTable(*editor, 2, 2);
    settle();
    ASSERT_TRUE(table());
    EXPECT_EQ(table()->rows.size(), 2u);
    EXPECT_EQ(table()->columns.size(), 2u);
    // After the caret's paragraph, the caret in its first cell.
    EXPECT_EQ(editor->bodyBridge()->viewText(), QString("First\n\uFFFC\nLast"));
    ASSERT_NE(focusedCell(), nullptr);
    EXPECT_EQ(focusedCell()->row(), 0);
    EXPECT_EQ(focusedCell()->column(), 0);

    for (const char* text : {"a", "b", "c", "d"}) {
        typeHere(QString::fromLatin1(text));
        key(Qt::Key_Tab);
    }
    // Tab in the last cell made a third row and moved into it.
    ASSERT_NE(focusedCell(), nullptr);
    EXPECT_EQ(focusedCell()->row(), 2);
    typeHere("e");
    key(Qt::Key_Backtab);
    ASSERT_NE(focusedCell(), nullptr);
    EXPECT_EQ(focusedCell()->row(), 1);
    EXPECT_EQ(focusedCell()->column(), 1);
    // Tab selects the next cell's text: typing replaces it.
    typeHere("D");
    editor->flushBands();
    const auto filled = table();
    ASSERT_TRUE(filled);
    ASSERT_EQ(filled->rows.size(), 3u);
    EXPECT_EQ(cellText(filled->rows[0][0]) + cellText(filled->rows[0][1]) + cellText(filled->rows[1][0]) +
                  cellText(filled->rows[1][1]) + cellText(filled->rows[2][0]),
              "abcDe");
    const std::string body = part("word/document.xml");
    EXPECT_NE(body.find("<w:tblGrid>"), std::string::npos) << body;
    EXPECT_EQ(beeps, 0);
}

TEST_F(TableCommandsTest, CtrlTabTypesATabInACell) {
    open(twoParagraphs);
    TableCommands::insertTable(*editor, 1, 2);
    settle();
    typeHere("x");
    key(Qt::Key_Tab, Qt::ControlModifier);
    typeHere("y");
    editor->flushBands();
    ASSERT_NE(focusedCell(), nullptr);
    EXPECT_EQ(focusedCell()->column(), 0);
    EXPECT_EQ(cellText(table()->rows[0][0]), "x\ty");
}

TEST_F(TableCommandsTest, TrackedInsertionRowAndDeletionAreChanges) {
    open(twoParagraphs);
    document->setTrackChanges(true);
    TableCommands::insertTable(*editor, 1, 2);
    settle();
    typeHere("a");
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);  // a new, tracked, row
    editor->flushBands();
    ASSERT_EQ(table()->rows.size(), 2u);
    std::string body = part("word/document.xml");
    size_t insertedRows = 0;
    for (size_t at = body.find("<w:trPr><w:ins "); at != std::string::npos;
         at = body.find("<w:trPr><w:ins ", at + 1))
        ++insertedRows;
    EXPECT_EQ(insertedRows, 2u) << body;

    // Deleting one's own tracked table leaves no trace of it.
    ASSERT_NE(focusedCell(), nullptr);
    EXPECT_TRUE(TableCommands::inTable(*editor));
    TableCommands::deleteTable(*editor);
    settle();
    EXPECT_FALSE(table());
    EXPECT_EQ(part("word/document.xml").find("<w:tbl>"), std::string::npos);

    // Another author's table is marked deleted, row by row, and rejecting brings it back.
    open(twoParagraphs.substr(0, twoParagraphs.find("<w:p><w:r><w:t>Last")) +
         "<w:tbl><w:tblGrid><w:gridCol "
         "w:w=\"4000\"/></w:tblGrid><w:tr><w:tc><w:p><w:r><w:t>kept</w:t></w:r></w:p>"
         "</w:tc></w:tr></w:tbl><w:p/>");
    document->setTrackChanges(true);
    TableView* view = nullptr;
    for (TableView* found : TableHost::of(editor->body())->views()) view = found;
    ASSERT_NE(view, nullptr);
    view->focusCell(0);
    TableCommands::deleteTable(*editor);
    settle();
    body = part("word/document.xml");
    EXPECT_NE(body.find("<w:trPr><w:del "), std::string::npos) << body;
    EXPECT_NE(body.find("<w:delText>kept</w:delText>"), std::string::npos) << body;
    document->docx()->apply(rovuvuz::StructuralEdit{rovuvuz::StructuralEdit::RejectAll{}},
                            rovuvuz::StoryID::body(), rovuvuz::EditMode::direct());
    ASSERT_TRUE(table());
    EXPECT_EQ(cellText(table()->rows[0][0]), "kept");
    EXPECT_EQ(beeps, 0);
}

TEST_F(TableCommandsTest, DeleteAndSelectTableOutright) {
    open(twoParagraphs);
    TableCommands::insertTable(*editor, 2, 2);
    settle();
    TableCommands::deleteTable(*editor);
    settle();
    EXPECT_EQ(part("word/document.xml").find("<w:tbl>"), std::string::npos);
    EXPECT_EQ(editor->bodyBridge()->viewText(), QString("First\nLast"));
    editor->session()->undoStep();
    settle();
    EXPECT_TRUE(table());

    open(twoParagraphs);
    TableCommands::insertTable(*editor, 2, 2);
    settle();
    TableCommands::selectTable(*editor);
    EXPECT_EQ(QApplication::focusWidget(), editor->body());
    EXPECT_EQ(editor->body()->textCursor().selectedText(), QString(QChar(0xFFFC)));
    EXPECT_FALSE(TableCommands::inTable(*editor));
    EXPECT_EQ(beeps, 0);
}

}  // namespace
}  // namespace tovin::testing
