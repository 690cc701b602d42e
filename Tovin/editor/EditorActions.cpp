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
    using Command = void (EditorSession::*)();
    auto hasSelection = [current](QAction*) {
        EditorSession* session = current();
        return session && session->body() && session->body()->textCursor().hasSelection();
    };
    auto command = [&menu, context, current](const char* selector, Command run, MainMenu::Validate validate) {
        menu.setHandler(
            selector, context,
            [current, run](QAction*) {
                if (EditorSession* session = current()) (session->*run)();
            },
            std::move(validate));
    };

    command("undo:", &EditorSession::undoStep, [current](QAction*) {
        EditorSession* session = current();
        return session && session->undo().canUndo();
    });
    command("redo:", &EditorSession::redoStep, [current](QAction*) {
        EditorSession* session = current();
        return session && session->undo().canRedo();
    });
    command("cut:", &EditorSession::cut, hasSelection);
    command("copy:", &EditorSession::copy, hasSelection);
    auto canPaste = [current](QAction*) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return current() != nullptr && data && data->hasText();
    };
    // Rich text arrives as plain text in the typing attributes either way, until the engine
    // inserts formatted runs.
    command("paste:", &EditorSession::paste, canPaste);
    command("pasteAsPlainText:", &EditorSession::paste, canPaste);
    command("delete:", &EditorSession::deleteSelection, hasSelection);
    command("selectAll:", &EditorSession::selectAll, [current](QAction*) { return current() != nullptr; });

    menu.setHandler(
        "toggleTracking:", context,
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
