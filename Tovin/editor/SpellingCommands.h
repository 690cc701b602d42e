// Edit > Spelling and Grammar: finding the next misspelt word, the dictionary's guesses
// for it (choosing one replaces the word as one edit), and checking while typing; and the
// spelling of each of the window's views: its underlines and its context menu's items.
#pragma once

#include <QString>

class QAction;
class QTextEdit;

namespace tovin {

class EditorViewController;

namespace SpellingCommands {

// Selects the first misspelt word after the selection in the active view, wrapping once;
// false (and a refusal) when there is none.
bool selectNextMisspelling(EditorViewController& editor);
// Underlines the misspelt words of one of the window's views (body, band or cell) and gives
// its context menu the guesses, Ignore Spelling and Learn Spelling.
void checkSpelling(EditorViewController& editor, QTextEdit& view);
// Replaces the view's characters [start, end) with `text`: one edit through the window's
// seam, in its edit mode (tracked while the document tracks changes).
void replaceWord(EditorViewController& editor, QTextEdit& view, int start, int end, const QString& text);
// A menu of guesses for the selected misspelt word (or the next one), at the word.
void showGuesses(EditorViewController& editor);
void toggleContinuousChecking(EditorViewController& editor);
// Rule: the item's check mark.
bool continuousCheckingState(QAction& item);

}  // namespace SpellingCommands
}  // namespace tovin
