#include "Tovin/editor/SubstitutionCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextEdit>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/Substitutions.h"

namespace tovin::SubstitutionCommands {

namespace {

bool checked(QAction& item, bool on) {
    item.setCheckable(true);
    item.setChecked(on);
    return true;
}

std::optional<QString> paragraphText(const StoryBridge& bridge, rovuvuz::ParagraphID paragraph) {
    for (const StoryBridge::Entry& entry : bridge.entries()) {
        const auto* snapshot = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (snapshot && snapshot->id == paragraph) return StoryBridge::textOf(entry);
    }
    return std::nullopt;
}

}  // namespace

void toggleQuotes() {
    Substitutions::setQuotes(!Substitutions::current().quotes);
}

void toggleDashes() {
    Substitutions::setDashes(!Substitutions::current().dashes);
}

void toggleReplacement() {
    Substitutions::setReplacement(!Substitutions::current().replacement);
}

bool quotesState(QAction& item) {
    return checked(item, Substitutions::current().quotes);
}

bool dashesState(QAction& item) {
    return checked(item, Substitutions::current().dashes);
}

bool replacementState(QAction& item) {
    return checked(item, Substitutions::current().replacement);
}

bool substitute(EditorViewController& editor, QTextEdit* view) {
    StoryBridge* bridge = view == editor.body() ? editor.bodyBridge() : editor.bridgeOf(view);
    if (!bridge || view->textCursor().hasSelection() || view->isReadOnly()) return false;
    const Substitutions::Options options = Substitutions::current();
    if (!options.quotes && !options.dashes && !options.replacement) return false;
    // Most characters call for nothing: the view's own text says so without the engine.
    const QTextCursor at = view->textCursor();
    if (!Substitutions::after(QStringView(at.block().text()).first(at.positionInBlock()), options)) return false;
    // The typed character reaches the engine as typing first: its own undo step.
    bridge->flush();
    const int caret = view->textCursor().position();
    const auto ranges = bridge->paragraphRanges(caret, 0);
    if (ranges.size() != 1) return false;
    const auto& [paragraph, range] = ranges.front();
    const std::optional<QString> text = paragraphText(*bridge, paragraph);
    if (!text || qsizetype(range.lower) > text->size()) return false;
    const std::optional<Substitutions::Change> change =
        Substitutions::after(QStringView(*text).first(qsizetype(range.lower)), options);
    if (!change) return false;
    QString target = *text;
    target.replace(change->start, change->end - change->start, change->with);
    const rovuvuz::EditMode mode = editor.editMode();
    if (!editor.seam().run([&] {
            editor.doc()->reconcile(paragraph, bridge->story(), target.toStdU16String(), mode);
        }))
        return false;
    editor.modelChanged();
    bridge->refresh({paragraph});
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(caret + int(change->with.size() - (change->end - change->start)));
    view->setTextCursor(cursor);
    bridge->updateTypingAttributes();
    return true;
}

}  // namespace tovin::SubstitutionCommands

namespace tovin {

SubstitutionKeys::SubstitutionKeys(EditorViewController& editor) : QObject(&editor), editor_(editor) {}

bool SubstitutionKeys::eventFilter(QObject* watched, QEvent* event) {
    auto* view = qobject_cast<QTextEdit*>(watched);
    if (forwarding_ || !view || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool typed = key->text().size() == 1 && key->text()[0].isPrint() &&
                       !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typed) return QObject::eventFilter(watched, event);
    // The view takes the character first (the key goes on to it now, through the other
    // filters), then the text before the caret is looked at, before any further key.
    forwarding_ = true;
    QCoreApplication::sendEvent(view, event);
    forwarding_ = false;
    SubstitutionCommands::substitute(editor_, view);
    return true;
}

}  // namespace tovin
