#include "Tovin/editor/NoteCommands.h"

#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/editor/EditorSelection.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::NoteCommands {

namespace {

using rovuvuz::StoryID;

// Puts the caret of a note band at a paragraph's offset.
void placeCaret(QTextEdit* band, StoryBridge* bridge, const rovuvuz::ParagraphPos& at) {
    if (!band || !bridge) return;
    const std::vector<int> starts = bridge->starts();
    const auto& entries = bridge->entries();
    for (size_t i = 0; i < entries.size() && i < starts.size(); ++i) {
        const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&entries[i].block.value);
        if (!paragraph || paragraph->id != at.paragraph) continue;
        QTextCursor cursor = band->textCursor();
        cursor.setPosition(std::min(starts[i] + int(at.offset), band->document()->characterCount() - 1));
        band->setFocus();
        band->setTextCursor(cursor);
        return;
    }
}

}  // namespace

void insertNote(EditorViewController& editor, rovuvuz::NoteKind kind) {
    const auto active = editor.active();
    if (!canInsertNote(editor))
        return editor.seam().refuse(QStringLiteral("Footnotes and endnotes are added in the body's text."));
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.empty()) return editor.seam().refuse();
    // At the end of a selection, as a reference follows the words it notes.
    const auto& [paragraph, range] = ranges.back();
    rovuvuz::NoteInsertion note;
    if (!editor.seam().run([&] {
            note = editor.doc()->insertNote(kind, paragraph, StoryID::body(), range.upper, editor.editMode());
        }))
        return;
    editor.modelChanged();
    editor.reloadAll();
    QTextEdit* band = kind == rovuvuz::NoteKind::footnote ? editor.notesBand() : editor.endnotesBand();
    placeCaret(band, editor.bridgeOf(band), note.caret);
}

bool canInsertNote(EditorViewController& editor) {
    const auto active = editor.active();
    return active.bridge && active.bridge->story() == StoryID::body() && active.view == editor.body();
}

}  // namespace tovin::NoteCommands
