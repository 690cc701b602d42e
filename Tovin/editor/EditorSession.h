// The editing side of one document window: the story bridge of the body view, the undo
// steps and the edit seam every command's edit goes through, the edit mode (direct or
// tracked by the author), and what follows every model change (the document is marked
// edited, which drives autosave in place). It is the edit host of every bridge of the
// window: the body's, the bands' and the table cells'.
#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>

#include "Tovin/document/EditSeam.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/text/EditHost.h"
#include "Tovin/text/StoryBridge.h"

class QTextEdit;

namespace tovin {

class EditorViewController;
class TovinDocument;

class EditorSession : public QObject, public EditHost {
    Q_OBJECT
  public:
    // Makes `body` editable through a bridge over the document's body story, shown at
    // `columnWidth` with its tables live in `editor`, and loads it.
    EditorSession(EditorViewController& editor, TovinDocument* document, QTextEdit* body, qreal columnWidth);
    ~EditorSession() override;

    TovinDocument* document() const { return document_; }
    QTextEdit* body() const { return body_; }
    StoryBridge* bodyBridge() const { return bodyBridge_.get(); }
    EditorUndo& undo() { return undo_; }
    EditSeam& seam() { return seam_; }

    // The time stamped on tracked edits.
    std::function<std::chrono::system_clock::time_point()> now = [] {
        return std::chrono::system_clock::now();
    };

    // EditHost: direct, or tracked by the author name at now() while the document tracks
    // changes; an undo step before each typed edit (keystrokes coalesce); the document
    // marked edited after it; refusals through the seam.
    rovuvuz::EditMode editMode() const override;
    // Not while the document is read-only (opened so, or become so), nor in page view,
    // which shows the pages, not the text to edit.
    bool mayEdit() const override;
    QString whyNotEditable() const override;
    void willEdit(StoryBridge& bridge) override;
    void didEdit(StoryBridge& bridge) override;
    void refused(const QString& reason) override;

    // Reloads every view from fresh snapshots of the current package.
    void reloadAll();
    // Shows the body again at a new column width and zoom level, keeping the selection.
    void rescale(qreal columnWidth, qreal zoom);
    // Marks the document changed after an edit.
    void modelChanged();
    // Sends every view's pending edit to the engine.
    void flushAll();

    // Whether Paste has something to paste: text, HTML, a picture or Tovin's fragment.
    static bool clipboardHasText();

    // Edit menu commands on the editor's active view.
    void undoStep();
    void redoStep();
    void cut();
    void copy();
    void paste();
    void pasteMatchingStyle();
    void deleteSelection();
    void selectAll();

  Q_SIGNALS:
    // After every model change, once the document is marked edited.
    void changed();
    // The body was reloaded from the model (after a command or an undo).
    void reloaded();
    // The body was loaded from a new package (opening, reverting).
    void bodyLoaded();

  protected:
    // Installed on every editable view: menu keys reach the menu rather than the view.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void loadBody();
    void restored(int caret);

    EditorViewController& editor_;
    QPointer<TovinDocument> document_;
    QPointer<QTextEdit> body_;
    qreal columnWidth_;
    qreal zoom_ = 1;
    EditorUndo undo_;
    EditSeam seam_;
    std::unique_ptr<StoryBridge> bodyBridge_;
};

}  // namespace tovin
