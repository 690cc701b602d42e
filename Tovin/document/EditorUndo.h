// The editor's undo policy. Each undo step holds the document's package snapshot and the
// body selection from just before the step began; undoing puts the package back and
// reloads every view. Keystrokes coalesce into the open step while they come less than a
// second apart, so a run of typing undoes as one step.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <chrono>
#include <functional>
#include <optional>

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class EditorUndo : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds typingPause{1000};

    // `document` gives the package in use at each call (it may be replaced by a revert);
    // `caret` the body caret, read when a step is registered or undone.
    EditorUndo(std::function<rovuvuz::DocxDocument*()> document, std::function<int()> caret,
               QObject* parent = nullptr);

    // The time source of typing coalescing (tests set their own).
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // Opens a step before an edit. A typing edit within a second of the previous typing
    // edit joins its step instead.
    void registerUndo(bool typing);
    // Drops the step just opened because its edit was refused: the package goes back to
    // the state the step holds and nothing is left to undo for it.
    void abandonStep();

    QUndoStack& stack() { return stack_; }
    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }
    void undo();
    void redo();
    // Forgets every step (the package was replaced).
    void clear();

  Q_SIGNALS:
    // The package was put back: every view reloads and the body caret goes to `caret`.
    void restored(int caret);

  private:
    class Step;
    struct Last {
        std::chrono::steady_clock::time_point date;
        bool typing = false;
    };

    std::function<rovuvuz::DocxDocument*()> document_;
    std::function<int()> caret_;
    Clock clock_ = [] { return std::chrono::steady_clock::now(); };
    QUndoStack stack_;
    std::optional<Last> last_;
    bool restoring_ = false;
};

}  // namespace tovin
