// The editing side of one document window: the story bridge of the body view, the undo
// policy, the edit mode (direct or tracked by the author), and what follows every model
// change (the document is marked edited, which drives autosave in place).
#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>

#include "RovuVuz/edit/TextEdit.h"
#include "Tovin/editor/EditorUndo.h"
#include "Tovin/editor/StoryBridge.h"

class QTextEdit;

namespace tovin {

class TovinDocument;

class EditorSession : public QObject {
    Q_OBJECT
  public:
    // Makes `body` editable through a bridge over the document's body story, shown at
    // `columnWidth`, and loads it.
    // `prepare` finishes the body's builder (the editor makes its tables live).
    using Prepare = std::function<AttributedBuilder(AttributedBuilder, QTextEdit*)>;
    EditorSession(TovinDocument* document, QTextEdit* body, qreal columnWidth, QObject* parent = nullptr,
                  Prepare prepare = {});
    ~EditorSession() override;

    TovinDocument* document() const { return document_; }
    QTextEdit* body() const { return body_; }
    StoryBridge* bodyBridge() const { return bodyBridge_.get(); }
    EditorUndo& undo() { return undo_; }

    // The time stamped on tracked edits.
    std::function<std::chrono::system_clock::time_point()> now = [] {
        return std::chrono::system_clock::now();
    };
    // direct, or tracked by the author name at now() while the document tracks changes.
    rovuvuz::EditMode editMode() const;

    // Reloads every view from fresh snapshots of the current package.
    void reloadAll();
    // Marks the document changed after an edit.
    void modelChanged();
    // Sends every view's pending edit to the engine.
    void flushAll();

    // The view the Edit commands act on and its bridge: the body unless `activeView` names
    // another (a header, footer or notes band); `flushOthers` flushes the bridges of those.
    struct Target {
        QTextEdit* view = nullptr;
        StoryBridge* bridge = nullptr;
    };
    std::function<Target()> activeView;
    std::function<void()> flushOthers;
    Target target() const;

    // Edit menu commands on the active view.
    void undoStep();
    void redoStep();
    void cut();
    void copy();
    void paste();
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

    QPointer<TovinDocument> document_;
    QPointer<QTextEdit> body_;
    qreal columnWidth_;
    Prepare prepare_;
    EditorUndo undo_;
    std::unique_ptr<StoryBridge> bodyBridge_;
};

}  // namespace tovin
