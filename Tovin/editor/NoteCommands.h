// The Format menu's footnote and endnote: a reference at the caret in the body and a new
// note, the caret then in the note's band ready for its text. One edit through the seam.
#pragma once

#include "RovuVuz/document/NoteValues.h"

namespace tovin {

class EditorViewController;

namespace NoteCommands {

void insertNote(EditorViewController& editor, rovuvuz::NoteKind kind);
// Rule: notes are referenced from the body's text.
bool canInsertNote(EditorViewController& editor);

}  // namespace NoteCommands
}  // namespace tovin
