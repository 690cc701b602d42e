// Editing around and inside tables as a user does, on the corpus's mammoth-tables.docx (a
// 2 × 2 table between "Above" and "Below"): a selection holding the table deletes it with
// the text or is typed over (tracked: its rows marked deleted), as one undo step; after a
// row or column command the keys go into the new cell.
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTextBlock>

#include "EditorTestSupport.h"
#include "RovuVuz/edit/TrackedChange.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::testing {
namespace {

using rovuvuz::TableSnapshot;

class TableEditingTest : public EditorTest {
  protected:
    void openTables() {
        const auto path = std::filesystem::path(TOVIN_CORPUS_DIR) / "mammoth-tables.docx";
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is missing";
        open(std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path)));
    }
    TableView* table() {
        const std::vector<TableView*> views = TableHost::of(editor->body())->views();
        return views.empty() ? nullptr : views.front();
    }
    CellTextView* cell(size_t index) {
        TableView* view = table();
        if (!view) return nullptr;
        view->ensureViews(QRectF(0, 0, view->width(), view->height()));
        return view->cells().at(index).view;
    }
    TableSnapshot snapshot() {
        for (const auto& block : document->docx()->snapshot(rovuvuz::StoryID::body()).blocks)
            if (const auto* found = std::get_if<TableSnapshot>(&block.value)) return *found;
        ADD_FAILURE() << "no table";
        return {};
    }
    QString bodyText() {
        QStringList blocks;
        for (const auto& block : document->docx()->snapshot(rovuvuz::StoryID::body()).blocks) {
            const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value);
            blocks << (p ? QString::fromStdU16String(p->text) : QStringLiteral("[table]"));
        }
        return blocks.join('|');
    }
    void keys(const char* sequence) {
        QTest::keySequence(editor->body(), QKeySequence(QString::fromLatin1(sequence)));
        settle();
    }
    void caretAt(int offset) {
        QTextCursor cursor = editor->body()->textCursor();
        cursor.setPosition(offset);
        editor->body()->setTextCursor(cursor);
    }
    static QString cellText(const TableSnapshot& table, size_t row, size_t column) {
        QStringList paragraphs;
        for (const auto& block : table.rows.at(row).at(column).blocks)
            if (const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value))
                paragraphs << QString::fromStdU16String(p->text);
        return paragraphs.join('\n');
    }
    // Runs a row or column command from a cell's context menu, as a click on its item does.
    void runMenu(CellTextView* view, const QString& title) {
        ASSERT_NE(view, nullptr);
        // The menu belongs to the cell's view, which the edit replaces.
        const QPointer<QMenu> menu = view->contextMenu(QPoint(2, 2));
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == title) chosen = action;
        ASSERT_NE(chosen, nullptr) << title.toStdString();
        chosen->trigger();
        settle();
        delete menu.data();
    }
};

TEST_F(TableEditingTest, SelectionsHoldingATableAreDeletedOrTypedOverAsOneStep) {
    struct Case {
        const char* name;
        const char* keys;  // the selection
        const char* then;  // Delete, or a letter typed over it
        bool tracked;
        QString after;     // the body's blocks, tables as [table]
    };
    const Case cases[] = {
        {"select all, delete", "Ctrl+A", "Delete", false, ""},
        {"select all, type", "Ctrl+A", "x", false, "x"},
        {"to the end, delete", "Ctrl+Shift+End", "Delete", false, "Ab"},
        {"tracked select all, type", "Ctrl+A", "x", true, "Above|[table]|Belowx"},
        {"tracked to the end, delete", "Ctrl+Shift+End", "Delete", true, "Above|[table]|Below"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openTables();
        document->setTrackChanges(c.tracked);
        const std::string before = part("word/document.xml");
        const int steps = editor->undo().stack().count();
        caretAt(2);  // inside "Above"
        keys(c.keys);
        keys(c.then);
        EXPECT_EQ(beeps, 0) << refusals.join(' ').toStdString();
        EXPECT_EQ(bodyText(), c.after);
        EXPECT_EQ(editor->bodyBridge()->viewText(), editor->bodyBridge()->entriesText());
        EXPECT_EQ(editor->undo().stack().count(), steps + 1);
        if (c.tracked) {
            // The rows are marked deleted with their text; accepting gives the outright result.
            size_t rows = 0;
            for (const auto& change : document->docx()->trackedChanges(rovuvuz::StoryID::body()))
                rows += change.kind == rovuvuz::TrackedChange::Kind::deletedRow;
            EXPECT_EQ(rows, 2u);
            MainMenu::build().validate();
            MainMenu::build().trigger(Command::acceptAll);
            settle();
            EXPECT_EQ(bodyText(), QString(c.then) == "x" ? "x" : "Ab");
            editor->undo().undo();
            settle();
        }
        editor->undo().undo();
        settle();
        EXPECT_EQ(part("word/document.xml"), before) << "one undo step puts it all back";
        EXPECT_EQ(bodyText(), "Above|[table]|Below");
    }
}

TEST_F(TableEditingTest, AfterARowOrColumnCommandTheKeysGoIntoTheNewCell) {
    openTables();
    struct Case {
        const char* command;
        size_t fromCell;  // in row-major order of the 2 × 2 table
        size_t row, column;  // where the typed text must land
        bool tracked;
    };
    for (const Case& c : {Case{"Insert Row Below", 2, 2, 0, false}, Case{"Insert Row Above", 1, 0, 1, true},
                          Case{"Insert Column Right", 0, 0, 1, false}}) {
        SCOPED_TRACE(c.command);
        openTables();
        document->setTrackChanges(c.tracked);
        CellTextView* from = cell(c.fromCell);
        ASSERT_NE(from, nullptr);
        from->setFocus();
        runMenu(from, c.command);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        auto* into = qobject_cast<CellTextView*>(focus);
        ASSERT_NE(into, nullptr) << "the keys go to " << focus->metaObject()->className();
        EXPECT_EQ(size_t(into->row()), c.row);
        QTest::keyClicks(focus, "typed");
        settle();
        const TableSnapshot after = snapshot();
        EXPECT_EQ(cellText(after, c.row, c.column), "typed");
        EXPECT_EQ(beeps, 0);
    }
}

}  // namespace
}  // namespace tovin::testing
