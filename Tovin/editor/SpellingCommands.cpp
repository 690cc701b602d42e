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
#include "Tovin/platform/Spelling.h"
#include "Tovin/text/SpellingHighlighter.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::SpellingCommands {

namespace {

// Replaces the selected text of the active view through the engine, one undo step.
void replaceSelection(EditorViewController& editor, const QString& text) {
    const auto active = editor.active();
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

bool selectNextMisspelling(EditorViewController& editor) {
    QTextEdit* view = editor.active().view;
    const QTextDocument* document = view->document();
    const int from = view->textCursor().selectionEnd();
    for (int pass = 0; pass < 2; ++pass) {
        for (QTextBlock block = document->findBlock(pass == 0 ? from : 0); block.isValid();
             block = block.next()) {
            for (const Spelling::Miss& miss : Spelling::shared().misspellings(block.text())) {
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
    const QString word = view->textCursor().selectedText();
    if (word.isEmpty() || Spelling::shared().isCorrect(word)) {
        if (!selectNextMisspelling(editor)) return;
    }
    const QString selected = view->textCursor().selectedText();
    auto* menu = new QMenu(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QStringList guesses = Spelling::shared().suggestions(selected);
    QPointer<EditorViewController> target(&editor);
    for (const QString& guess : guesses) {
        menu->addAction(guess, [target, guess] {
            if (target) replaceSelection(*target, guess);
        });
    }
    if (guesses.isEmpty()) menu->addAction(QStringLiteral("No Guesses Found"))->setEnabled(false);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Find Next Misspelling"), &editor, [target] {
        if (target) selectNextMisspelling(*target);
    });
    menu->popup(view->viewport()->mapToGlobal(view->cursorRect().bottomLeft()));
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
