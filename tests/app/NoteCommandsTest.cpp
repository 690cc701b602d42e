// Footnotes and endnotes as a user adds them: Format > Insert Footnote or Insert Endnote puts
// a reference at the caret and the caret in the new note's band, where typing fills the
// note; the bands number notes by their references' order, read back from the saved parts.
#include <QApplication>
#include <QTest>
#include <QTextCursor>
#include <algorithm>

#include "EditorTestSupport.h"
#include "Tovin/editor/NoteCommands.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::testing {
namespace {

class NoteCommandsTest : public EditorTest {
  protected:
    void caretAt(int position) {
        editor->body()->setFocus();
        QTextCursor cursor = editor->body()->textCursor();
        cursor.setPosition(position);
        editor->body()->setTextCursor(cursor);
        settle();
    }
    void typeHere(const QString& text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        settle();
        editor->flushBands();
    }
    // The labels of a story's notes, in number order.
    std::vector<std::string> labels(const rovuvuz::StoryID& story) {
        std::vector<std::string> out;
        for (const auto& entry : document->docx()->snapshot(story).entries) out.push_back(entry.label);
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(NoteCommandsTest, NotesGoWhereTheCaretIsAndTheirTextIsTypedInTheirBand) {
    open("<w:p><w:r><w:t>One two</w:t></w:r></w:p>");
    ASSERT_EQ(editor->notesBand(), nullptr);
    caretAt(3);
    NoteCommands::insertNote(*editor, rovuvuz::NoteKind::footnote);
    settle();
    ASSERT_NE(editor->notesBand(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), editor->notesBand());
    typeHere("Said by Ann.");
    EXPECT_NE(part("word/footnotes.xml").find("Said by Ann."), std::string::npos)
        << part("word/footnotes.xml");
    EXPECT_NE(part("word/document.xml").find("w:footnoteReference"), std::string::npos);

    caretAt(editor->body()->document()->characterCount() - 1);  // the end, past the new reference
    NoteCommands::insertNote(*editor, rovuvuz::NoteKind::endnote);
    settle();
    ASSERT_NE(editor->endnotesBand(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), editor->endnotesBand());
    typeHere("At the end.");
    EXPECT_NE(part("word/endnotes.xml").find("At the end."), std::string::npos);

    // A footnote before the first renumbers both, and the band shows it first.
    caretAt(0);
    NoteCommands::insertNote(*editor, rovuvuz::NoteKind::footnote);
    settle();
    typeHere("Earlier.");
    EXPECT_EQ(labels(rovuvuz::StoryID::footnotes()), (std::vector<std::string>{"1", "2"}));
    const QString band = editor->bridgeOf(editor->notesBand())->viewText();
    EXPECT_LT(band.indexOf("Earlier."), band.indexOf("Said by Ann.")) << band.toStdString();
    EXPECT_EQ(beeps, 0);

    // Deleting a reference in the body deletes its note.
    caretAt(0);
    QTest::keyClick(editor->body(), Qt::Key_Delete);
    settle();
    editor->flushBands();
    EXPECT_EQ(part("word/footnotes.xml").find("Earlier."), std::string::npos);
}

TEST_F(NoteCommandsTest, OnlyTheBodyTakesNotes) {
    open("<w:p><w:r><w:t>Body</w:t></w:r></w:p>");
    caretAt(2);
    NoteCommands::insertNote(*editor, rovuvuz::NoteKind::footnote);
    settle();
    ASSERT_NE(editor->notesBand(), nullptr);
    EXPECT_FALSE(NoteCommands::canInsertNote(*editor));  // the caret is in the note
    NoteCommands::insertNote(*editor, rovuvuz::NoteKind::footnote);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(labels(rovuvuz::StoryID::footnotes()).size(), 1u);
}

}  // namespace
}  // namespace tovin::testing
