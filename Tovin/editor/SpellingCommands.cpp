#include "Tovin/editor/SpellingCommands.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/editor/EditorSelection.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/platform/WordChecker.h"
#include "Tovin/text/SpellingHighlighter.h"
#include "Tovin/text/SpellingMenu.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::SpellingCommands {

namespace {

// Replaces the selected text of a view through the engine, one undo step.
void replaceSelection(EditorViewController& editor, const EditorViewController::Active& active,
                      const QString& text) {
    if (!active.bridge) return editor.seam().refuse();
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.size() != 1 || ranges.front().second.size() == 0) return editor.seam().refuse();
    if (!editor.seam().run([&] {
            editor.doc()->replaceText(ranges.front().first, active.bridge->story(), ranges.front().second,
                                      text.toStdU16String(), editor.editMode());
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
}

}  // namespace

void checkSpelling(EditorViewController& editor, QTextEdit& view) {
    // Checked where the view is visible: a band below the body's visible text waits.
    new SpellingHighlighter(view.document(), editor.spelling(), &view);
    QPointer<EditorViewController> target(&editor);
    SpellingMenu::attach(
        view, editor.spelling(),
        [target](QTextEdit& in, int start, int end, const QString& text) {
            if (target) replaceWord(*target, in, start, end, text);
        },
        [target](const QString& reason) {
            if (target) target->seam().refuse(reason);
        });
}

void replaceWord(EditorViewController& editor, QTextEdit& view, int start, int end, const QString& text) {
    QTextCursor word = view.textCursor();
    word.setPosition(start);
    word.setPosition(end, QTextCursor::KeepAnchor);
    view.setTextCursor(word);
    replaceSelection(editor, {&view, editor.bridgeOf(&view)}, text);
}

bool selectNextMisspelling(EditorViewController& editor) {
    QTextEdit* view = editor.active().view;
    const QTextDocument* document = view->document();
    const int from = view->textCursor().selectionEnd();
    for (int pass = 0; pass < 2; ++pass) {
        for (QTextBlock block = document->findBlock(pass == 0 ? from : 0); block.isValid();
             block = block.next()) {
            for (const Spelling::Miss& miss : SpellingHighlighter::misspellings(block, editor.spelling())) {
                const int at = block.position() + miss.start;
                if (pass == 0 && at < from) continue;
                QTextCursor cursor = view->textCursor();
                cursor.setPosition(at);
                cursor.setPosition(at + miss.length, QTextCursor::KeepAnchor);
                view->setTextCursor(cursor);
                view->ensureCursorVisible();
                return true;
            }
            if (pass == 1 && block.position() > from) break;
        }
    }
    editor.seam().refuse();
    return false;
}

void showGuesses(EditorViewController& editor) {
    QTextEdit* view = editor.active().view;
    const auto selectedMiss = [&] {
        const QTextCursor cursor = view->textCursor();
        const QPoint middle = view->cursorRect(cursor).center();
        const auto word = SpellingMenu::misspeltWordAt(*view, editor.spelling(), middle);
        return word && word->start == cursor.selectionStart() && word->end == cursor.selectionEnd();
    };
    if (!view->textCursor().hasSelection() || !selectedMiss()) {
        if (!selectNextMisspelling(editor)) return;
    }
    auto* menu = new QMenu(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The items the context menu shows for the word (guesses, Ignore, Learn), at the word.
    const QRect at = view->cursorRect(view->textCursor());
    SpellingMenu::prepend(*menu, *view, at.center());
    QPointer<EditorViewController> target(&editor);
    menu->addAction(QStringLiteral("Find Next Misspelling"), &editor, [target] {
        if (target) selectNextMisspelling(*target);
    });
    menu->popup(view->viewport()->mapToGlobal(at.bottomLeft()));
}

void toggleContinuousChecking(EditorViewController& editor) {
    editor.setContinuousSpellChecking(!SpellingHighlighter::continuousChecking());
}

bool continuousCheckingState(QAction& item) {
    item.setCheckable(true);
    item.setChecked(SpellingHighlighter::continuousChecking());
    return true;
}

}  // namespace tovin::SpellingCommands
