// The spelling items a text view's context menu starts with when the pointer is on a
// misspelt word: up to five of the dictionary's guesses (choosing one replaces the word),
// then Ignore Spelling and Learn Spelling. The window attaches to each of its views the
// checker it uses and how a word is replaced (through its edit seam); a view without them
// shows none of these items.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

class QMenu;
class QTextEdit;

namespace tovin {

class WordChecker;

namespace SpellingMenu {

constexpr int mostGuesses = 5;

// Replaces the view's characters [start, end) with `text` as one edit.
using Replace = std::function<void(QTextEdit& view, int start, int end, const QString& text)>;
// Tells the user why an item did not do what it says (a learned word that was not kept).
using Refuse = std::function<void(const QString& reason)>;

void attach(QTextEdit& view, WordChecker& checker, Replace replace, Refuse refuse);

// The misspelt word at a viewport point: its view positions, and its language.
struct Word {
    int start = 0;
    int end = 0;
    QString text;
    QString language;
};
std::optional<Word> misspeltWordAt(const QTextEdit& view, const WordChecker& checker, const QPoint& at);

// Puts the items for the word at `at` (a viewport point) at the top of `menu`, with a
// separator after them; returns how many actions it put there, 0 when there is no
// misspelt word under the point or the view is not attached.
int prepend(QMenu& menu, QTextEdit& view, const QPoint& at);

}  // namespace SpellingMenu
}  // namespace tovin
