// Edit > Spelling and Grammar: finding the next misspelt word, the dictionary's guesses
// for it (choosing one replaces the word as one edit), and checking while typing.
#pragma once

class QAction;

namespace tovin {

class EditorViewController;

namespace SpellingCommands {

// Selects the first misspelt word after the selection in the active view, wrapping once;
// false (and a refusal) when there is none.
bool selectNextMisspelling(EditorViewController& editor);
// A menu of guesses for the selected misspelt word (or the next one), at the word.
void showGuesses(EditorViewController& editor);
void toggleContinuousChecking(EditorViewController& editor);
// Rule: the item's check mark.
bool continuousCheckingState(QAction& item);

}  // namespace SpellingCommands
}  // namespace tovin
