// Copy, Cut and Paste with formatting. Copy puts three flavours on the clipboard: the
// engine's WordprocessingML fragment (under a MIME type of Tovin's own), HTML for other
// programs, and plain text. Paste takes the richest one there is: the fragment, else HTML,
// else a picture, else plain text in the typing attributes, which is also what Paste and
// Match Style always pastes. Every formatted paste is one edit through the editor's seam.
#pragma once

#include <QString>

class QMimeData;

namespace tovin {

class EditorViewController;

namespace ClipboardCommands {

// The MIME type the fragment travels under.
QString fragmentType();

// The selection as the three flavours, or nothing when the engine cannot copy it (the
// view's own copy is used then).
QMimeData* mimeForSelection(EditorViewController& editor);

void copy(EditorViewController& editor);
void cut(EditorViewController& editor);
// Pastes `data` (the clipboard's, by default) in place of the selection.
void paste(EditorViewController& editor, const QMimeData* data = nullptr);
void pasteMatchingStyle(EditorViewController& editor);

}  // namespace ClipboardCommands
}  // namespace tovin
