// Read-only documents: another editor's lock file found by the name that editor gives
// it, a document opened read-only whose views and commands refuse every edit, and one
// that becomes read-only while edited, whose edits are never dropped without asking.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTextCursor>

#include "EditorTestSupport.h"
#include "Tovin/commands/Command.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/AutosaveInPlace.h"
#include "Tovin/document/LockFiles.h"
#include "Tovin/editor/EditorSession.h"

namespace tovin::testing {
namespace {

class ReadOnlyDocumentTest : public EditorTest {
  protected:
    void typeAt(int position, const QString& text) {
        QTextCursor cursor = editor->body()->textCursor();
        cursor.setPosition(position);
        cursor.insertText(text);
        settle();
    }
    void select(int from, int to) {
        QTextCursor cursor = editor->body()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        editor->body()->setTextCursor(cursor);
    }
    bool enabled(Command command) {
        MainMenu::build().validate();
        return MainMenu::build().action(command)->isEnabled();
    }
    std::string body() { return part("word/document.xml"); }
    const std::string paragraph = "<w:p><w:r><w:t>Fixed terms</w:t></w:r></w:p>";
};

TEST_F(ReadOnlyDocumentTest, WordsOwnerFileCountsOnlyUnderTheNameWordGivesItForThatLength) {
    struct Row {
        const char* document;
        const char* lock;
        bool counts;
    };
    const Row rows[] = {
        {"a.docx", "~$docx", false},  // "a.docx" without its first two characters
        {"a.docx", "~$a.docx", true},
        {"a.docx", ".~lock.a.docx#", true},
        {"report.docx", "~$report.docx", true},
        {"report.docx", "~$port.docx", false},
        {"report1.docx", "~$eport1.docx", true},
        {"report1.docx", "~$report1.docx", false},
        {"report1.docx", "~$port1.docx", false},
        {"contract.docx", "~$ntract.docx", true},
        {"contract.docx", "~$contract.docx", false},
    };
    int folder = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.document) + " beside " + row.lock);
        const QString where = scratch(QString::number(++folder));
        QDir().mkpath(where);
        const QString path = where + "/" + row.document;
        writeBytes(path, documentWithParagraphs({"Text"}));
        writeBytes(where + "/" + row.lock, rovuvuz::toBytes("owner"));
        EXPECT_EQ(LockFiles::otherEditorLock(path).has_value(), row.counts);
    }
}

TEST_F(ReadOnlyDocumentTest, AReadOnlyDocumentsViewsAndCommandsRefuseEveryEdit) {
    writeBytes(scratch("~$doc1.docx"), rovuvuz::toBytes("owner"));
    presenter().answers = {0};  // "Open Read-Only"
    open(paragraph);
    ASSERT_TRUE(document->isReadOnly());
    EXPECT_FALSE(editor->session()->mayEdit());
    const std::string before = body();

    // Typing that reaches the view anyway goes back, and the footer says why.
    typeAt(5, "X");
    EXPECT_EQ(editor->body()->toPlainText(), "Fixed terms");
    EXPECT_EQ(body(), before);
    EXPECT_FALSE(document->isDocumentEdited());
    ASSERT_FALSE(refusals.isEmpty());
    EXPECT_EQ(refusals.back(), "This document is open read-only.");

    // A command's edit is refused by the seam before the engine is called.
    bool called = false;
    EXPECT_FALSE(editor->seam().run([&] { called = true; }));
    EXPECT_FALSE(called);
    EXPECT_EQ(refusals.back(), "This document is open read-only.");
    EXPECT_FALSE(editor->session()->undo().canUndo());

    // Cut, Paste, Delete and Save are off; Copy is not.
    QGuiApplication::clipboard()->setText("pasted");
    select(0, 5);
    EXPECT_TRUE(enabled(Command::copy));
    for (Command command : {Command::cut, Command::paste, Command::pasteAsPlainText, Command::deleteSelection,
                            Command::saveDocument})
        EXPECT_FALSE(enabled(command)) << int(command);

    // Nothing is ever reported as saved that was not written.
    AutosaveInPlace* autosave = documents().autosave(document);
    EXPECT_FALSE(autosave->saveNow(/*force=*/true));
    EXPECT_EQ(autosave->lastError(), "This document is open read-only.");
    EXPECT_TRUE(readBytes(document->filePath()) == *original);
}

TEST_F(ReadOnlyDocumentTest, ALockAppearingWhileEditedStopsTheSavesAndClosingOffersDuplicateOrDiscard) {
    open(paragraph);
    ASSERT_FALSE(document->isReadOnly());
    writeBytes(scratch(".~lock.doc1.docx#"), rovuvuz::toBytes("another editor"));
    typeAt(0, "Draft: ");
    ASSERT_TRUE(waitFor([&] { return !presenter().alerts.empty(); }));

    // The other editor's file is left alone, and the user is told why.
    EXPECT_TRUE(readBytes(document->filePath()) == *original);
    EXPECT_TRUE(document->isReadOnly());
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(presenter().alerts.back().informativeText.contains(".~lock.doc1.docx#"))
        << presenter().alerts.back().informativeText.toStdString();
    EXPECT_EQ(editor->windowTitle(), "doc1.docx (read-only)");
    typeAt(0, "More ");
    EXPECT_EQ(editor->body()->toPlainText(), "Draft: Fixed terms");

    // Cancel keeps the window; Duplicate writes the edits to a copy and closes.
    presenter().answers = {2};
    EXPECT_FALSE(documents().closeDocument(document));
    EXPECT_EQ(presenter().alerts.back().buttons,
              (QStringList{QString::fromUtf8("Duplicate…"), "Discard Changes", "Cancel"}));
    const QString copy = scratch("doc1 copy.docx");
    documents().setPathChooser([&](bool, const QString&) { return QStringList{copy}; });
    presenter().answers = {0};
    EXPECT_TRUE(documents().closeDocument(document));
    TovinDocument* duplicate = documents().documentForPath(copy);
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(EditorWindowController::of(duplicate)->textView()->toPlainText(), "Draft: Fixed terms");
    EXPECT_FALSE(documents().documents().contains(document));
    settle();
}

TEST_F(ReadOnlyDocumentTest, AFileMadeReadOnlyWhileEditedIsNotWrittenAndDiscardingIsAsked) {
    open(paragraph);
    const QString path = document->filePath();
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    typeAt(0, "Draft: ");
    ASSERT_TRUE(waitFor([&] { return !presenter().alerts.empty(); }));
    EXPECT_TRUE(readBytes(path) == *original);
    EXPECT_TRUE(document->isReadOnly());
    EXPECT_TRUE(presenter().alerts.back().informativeText.contains("made read-only"))
        << presenter().alerts.back().informativeText.toStdString();

    // Quitting asks the same; Cancel stays.
    presenter().answers = {2};
    EXPECT_FALSE(documents().terminate());
    EXPECT_EQ(presenter().alerts.back().buttons,
              (QStringList{QString::fromUtf8("Duplicate…"), "Discard Changes", "Cancel"}));
    presenter().answers = {1};  // "Discard Changes"
    EXPECT_TRUE(documents().closeDocument(document));
    EXPECT_EQ(presenter().alerts.back().buttons,
              (QStringList{QString::fromUtf8("Duplicate…"), "Discard Changes", "Cancel"}));
    EXPECT_TRUE(readBytes(path) == *original);
    settle();
}

}  // namespace
}  // namespace tovin::testing
