// Moving and selecting by paragraph from the keyboard, as word processors do whatever the
// desktop's key scheme: Ctrl+Down goes to the start of the next paragraph and Ctrl+Up to the
// start of this one (or of the one before, from its start); with Shift they extend the
// selection, so that Ctrl+Shift+Down from a paragraph's start selects it with its mark.
#pragma once

class QKeyEvent;
class QTextEdit;

namespace tovin::ParagraphKeys {

// Moves the view's caret when the key is one of the above; false for any other key.
bool handle(QTextEdit& view, const QKeyEvent& key);

}  // namespace tovin::ParagraphKeys
