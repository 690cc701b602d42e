#include "Tovin/document/EditorUndo.h"

#include <exception>

#include "RovuVuz/document/DocxDocument.h"

namespace tovin {

// One step: the state before it, and the state after it once it has been undone (taken
// then, so that coalesced keystrokes are all in it).
class EditorUndo::Step : public QUndoCommand {
  public:
    Step(EditorUndo& owner, rovuvuz::DocxDocument::PackageState before, int caret)
        : owner_(owner), before_(std::move(before)), caretBefore_(caret) {}

    void undo() override {
        if (!after_) {
            after_ = owner_.document_()->packageState();
            caretAfter_ = owner_.caret_();
        }
        put(before_, caretBefore_);
    }

    void redo() override {
        // Pushing runs redo once; the edit itself is being made by the caller.
        if (!after_) return;
        put(*after_, caretAfter_);
    }

  private:
    void put(const rovuvuz::DocxDocument::PackageState& state, int caret) {
        owner_.last_.reset();
        owner_.restoring_ = true;
        try {
            owner_.document_()->restore(state);
        } catch (const std::exception&) {
            // A story that does not parse again stays as it is; the views show the model.
        }
        owner_.restoring_ = false;
        Q_EMIT owner_.restored(caret);
    }

    EditorUndo& owner_;
    rovuvuz::DocxDocument::PackageState before_;
    int caretBefore_;
    std::optional<rovuvuz::DocxDocument::PackageState> after_;
    int caretAfter_ = 0;
};

EditorUndo::EditorUndo(std::function<rovuvuz::DocxDocument*()> document, std::function<int()> caret,
                       QObject* parent)
    : QObject(parent), document_(std::move(document)), caret_(std::move(caret)) {}

void EditorUndo::registerUndo(bool typing) {
    rovuvuz::DocxDocument* document = document_();
    if (!document || restoring_) return;
    const auto now = clock_();
    if (typing && last_ && last_->typing && now - last_->date < typingPause) {
        last_->date = now;
        return;
    }
    last_ = Last{now, typing};
    stack_.push(new Step(*this, document->packageState(), caret_()));
}

void EditorUndo::abandonStep() {
    if (!stack_.canUndo() || restoring_) return;
    // An obsolete command is deleted by the stack once it has been undone.
    const_cast<QUndoCommand*>(stack_.command(stack_.index() - 1))->setObsolete(true);
    stack_.undo();
    last_.reset();
}

void EditorUndo::undo() {
    if (stack_.canUndo()) stack_.undo();
    last_.reset();
}

void EditorUndo::redo() {
    if (stack_.canRedo()) stack_.redo();
    last_.reset();
}

void EditorUndo::clear() {
    stack_.clear();
    last_.reset();
}

}  // namespace tovin
