// The find bar over the editor's text: a search field with Previous and Next, and in
// replace mode a replacement field with Replace and Replace All. Matches are found in the
// view's text, case-insensitively; replacements go to the engine, Replace All as one undo
// step. Escape closes the bar and returns to the text.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

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
    // Replaces every match in the active view; returns how many.
    int replaceAll();

    QLineEdit* searchField() const { return search_; }
    QLineEdit* replaceField() const { return replacement_; }
    bool replacing() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct Match {
        int location = 0;
        int length = 0;
    };
    std::vector<Match> matches(QTextEdit* view) const;
    bool selectionIsMatch(QTextEdit* view) const;

    QPointer<EditorViewController> editor_;
    QLineEdit* search_;
    QLineEdit* replacement_;
    QWidget* replaceRow_;
    QLabel* status_;
};

}  // namespace tovin
