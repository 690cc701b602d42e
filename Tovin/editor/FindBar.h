// The find bar over the editor's text: a search field with Previous and Next, and in
// replace mode a replacement field with Replace and Replace All. Matches are what a reader
// sees (tracked deletions left out), found by the engine in every story but the comments,
// ignoring case: the body and its table cells, headers, footers and notes. Next and
// Previous select them where the window shows them; replacements go to the engine, Replace
// All as one undo step. Escape closes the bar and returns to the text.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "RovuVuz/edit/Find.h"
#include "RovuVuz/model/Identifiers.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace tovin {

class EditorViewController;

class FindBar : public QWidget {
    Q_OBJECT
  public:
    explicit FindBar(EditorViewController* editor, QWidget* parent = nullptr);

    // Shows the bar with the search field focused, with or without the replace row.
    void showFind(bool replace);
    void close();

    // Selects the next (or previous) match after (before) the selection, wrapping; beeps
    // when there is none.
    bool findNext(bool forward = true);
    // Find Next and Find Previous: the next match, or the bar when nothing is searched for.
    void findOrShow(bool forward);
    // Makes the selected text the search string.
    void useSelection();
    // Replaces the selected match, then finds the next one.
    void replace();
    // Replaces every match of every story; returns how many the engine replaced.
    int replaceAll();

    QLineEdit* searchField() const { return search_; }
    QLineEdit* replaceField() const { return replacement_; }
    bool replacing() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct Match {
        rovuvuz::StoryID story;
        rovuvuz::FoundText text;
    };
    std::vector<Match> matches() const;
    // The match to select next, from the selection of the active view, among `all`.
    size_t nextIndex(const std::vector<Match>& all, bool forward);
    bool selectionIsMatch(QTextEdit* view) const;
    // Whether the match last selected is still selected in the view showing it.
    bool currentIsSelected() const;

    QPointer<EditorViewController> editor_;
    QLineEdit* search_;
    QLineEdit* replacement_;
    QWidget* replaceRow_;
    QLabel* status_;
    std::optional<Match> current_;  // the match last selected
};

}  // namespace tovin
