// Bulleted and numbered lists on the active view's paragraphs: the Format menu's toggles,
// and the keys that act on a list item at its start (Tab and Shift+Tab change its level,
// Return on an empty item ends the list, Backspace removes the label). Each is one edit
// through the editor's seam, after which the labels of the whole story are renumbered.
#pragma once

#include <QObject>

#include "RovuVuz/format/ListDefinitions.h"

class QKeyEvent;

namespace tovin {

class EditorViewController;

namespace ListCommands {

// Makes the selected paragraphs items of a list of that kind, or takes them out when every
// one already is.
void toggleList(EditorViewController& editor, rovuvuz::ListKind kind);
// Whether the selection starts in a list of that kind (the menu's check mark).
bool inList(EditorViewController& editor, rovuvuz::ListKind kind);
// One level deeper (1) or shallower (-1); false when no selected paragraph moved.
bool changeLevel(EditorViewController& editor, int delta);

// Carries out a key that acts on the list item at the caret; false leaves the key to the
// view (typing as usual).
bool handleKey(EditorViewController& editor, const QKeyEvent& key);

}  // namespace ListCommands

// Installed on every editable view of an editor, ahead of the view's own key handling.
class ListKeys : public QObject {
    Q_OBJECT
  public:
    explicit ListKeys(EditorViewController& editor);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    EditorViewController& editor_;
};

}  // namespace tovin
