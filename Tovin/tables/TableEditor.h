// What a live table needs of the editor its cells are edited in: a story bridge for each
// cell's view (with the editor's edit mode, undo and refusals), row and column edits made
// as one undo step, and notice of a cell edit, so that the body's entry for the table is
// renewed before the rail reads it. The editor window provides it.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/model/Identifiers.h"

class QTextEdit;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class StoryBridge;

class TableEditor {
  public:
    virtual ~TableEditor() = default;

    // The object whose lifetime is the editor's.
    virtual QObject* editorObject() = 0;
    virtual rovuvuz::DocxDocument* doc() const = 0;
    // A bridge between a cell's view and the story, its tables made live at `depth`.
    virtual std::unique_ptr<StoryBridge> makeBridge(const rovuvuz::StoryID& story, QTextEdit* view,
                                                    qreal width, int depth) = 0;
    // A row or column command from the cell at `row` and grid column `column`: one undo
    // step in the current edit mode, then every view reloads and the caret goes into the
    // cell the edit leaves the user at (TableMenu::caretAfter); a refusal is announced and
    // leaves the document as it was.
    virtual void tableEdit(const rovuvuz::TableEdit& edit, rovuvuz::BlockID table, const rovuvuz::StoryID& story,
                           size_t row, size_t column) = 0;
    // A cell of a table of `story` was edited through its own bridge.
    virtual void cellEdited(rovuvuz::BlockID table, const rovuvuz::StoryID& story) = 0;

  protected:
    TableEditor() = default;
    TableEditor(const TableEditor&) = default;
    TableEditor& operator=(const TableEditor&) = default;
};

// A table editor that may go away before the tables referring to it: null once its
// object is destroyed (or when there never was one: read-only cells).
class TableEditorRef {
  public:
    TableEditorRef() = default;
    explicit TableEditorRef(TableEditor* editor)
        : editor_(editor), alive_(editor ? editor->editorObject() : nullptr) {}
    TableEditor* get() const { return alive_ ? editor_ : nullptr; }
    TableEditor* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }

  private:
    TableEditor* editor_ = nullptr;
    QPointer<QObject> alive_;
};

}  // namespace tovin
