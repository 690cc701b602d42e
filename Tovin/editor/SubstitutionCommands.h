// Edit > Substitutions: Smart Quotes, Smart Dashes and Text Replacement, carried out as the
// user types in any editable view of an editor. The typed character reaches the document
// first, as typing does; the substitution is then a separate edit through the seam, so
// the next Undo takes it back and leaves what was typed.
#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QTextEdit;

namespace tovin {

class EditorViewController;

namespace SubstitutionCommands {

void toggleQuotes();
void toggleDashes();
void toggleReplacement();
// The menu items' check marks.
bool quotesState(QAction& item);
bool dashesState(QAction& item);
bool replacementState(QAction& item);

// Makes the substitution the text before the caret of `view` calls for; false when none.
bool substitute(EditorViewController& editor, QTextEdit* view);

}  // namespace SubstitutionCommands

// Installed on every editable view of an editor: each typed character goes to the view,
// then the substitution it calls for is made.
class SubstitutionKeys : public QObject {
    Q_OBJECT
  public:
    explicit SubstitutionKeys(EditorViewController& editor);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    EditorViewController& editor_;
    bool forwarding_ = false;
};

}  // namespace tovin
