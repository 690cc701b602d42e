#include "Tovin/editor/EditorActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextEdit>

#include "Tovin/MainMenu.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"

namespace tovin {

void registerEditorActions(MainMenu& menu, QObject* context, std::function<EditorSession*()> current) {
    using SessionCommand = void (EditorSession::*)();
    auto hasSelection = [current](QAction*) {
        EditorSession* session = current();
        return session && session->body() && session->body()->textCursor().hasSelection();
    };
    auto command = [&menu, context, current](Command selector, SessionCommand run,
                                             MainMenu::Validate validate) {
        menu.setHandler(
            selector, context,
            [current, run](QAction*) {
                if (EditorSession* session = current()) (session->*run)();
            },
            std::move(validate));
    };

    command(Command::undo, &EditorSession::undoStep, [current](QAction*) {
        EditorSession* session = current();
        return session && session->undo().canUndo();
    });
    command(Command::redo, &EditorSession::redoStep, [current](QAction*) {
        EditorSession* session = current();
        return session && session->undo().canRedo();
    });
    command(Command::cut, &EditorSession::cut, hasSelection);
    command(Command::copy, &EditorSession::copy, hasSelection);
    auto canPaste = [current](QAction*) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return current() != nullptr && data && data->hasText();
    };
    // Rich text arrives as plain text in the typing attributes either way, until the engine
    // inserts formatted runs.
    command(Command::paste, &EditorSession::paste, canPaste);
    command(Command::pasteAsPlainText, &EditorSession::paste, canPaste);
    command(Command::deleteSelection, &EditorSession::deleteSelection, hasSelection);
    command(Command::selectAll, &EditorSession::selectAll,
            [current](QAction*) { return current() != nullptr; });

    menu.setHandler(
        Command::toggleTracking, context,
        [current](QAction*) {
            if (EditorSession* session = current())
                session->document()->setTrackChanges(!session->document()->trackChanges());
        },
        [current](QAction* action) {
            EditorSession* session = current();
            action->setCheckable(true);
            action->setChecked(session && session->document()->trackChanges());
            return session != nullptr;
        });
}

}  // namespace tovin
