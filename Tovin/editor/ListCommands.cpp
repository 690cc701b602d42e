#include "Tovin/editor/ListCommands.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextEdit>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/editor/EditorSelection.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/FormatPopover.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::ListCommands {

namespace {

using rovuvuz::ListKind;
using rovuvuz::ParagraphID;

std::vector<ParagraphID> selectedParagraphs(EditorViewController& editor) {
    std::vector<ParagraphID> paragraphs;
    for (const auto& [paragraph, range] : EditorSelection::paragraphRanges(editor.active()))
        paragraphs.push_back(paragraph);
    return paragraphs;
}

// One list edit as one undo step; the touched paragraphs are drawn again and every label
// of the story renumbered, since an item added or removed moves the numbers after it.
bool listEdit(EditorViewController& editor, const std::vector<ParagraphID>& paragraphs,
              const std::function<void(rovuvuz::DocxDocument&, const rovuvuz::StoryID&)>& edit) {
    const EditorViewController::Active active = editor.active();
    if (!active.bridge || paragraphs.empty()) {
        editor.seam().refuse();
        return false;
    }
    if (!editor.seam().run([&] { edit(*editor.doc(), active.bridge->story()); })) return false;
    editor.modelChanged();
    active.bridge->refresh({paragraphs.begin(), paragraphs.end()});
    active.bridge->relabel();
    editor.popover()->sync();
    return true;
}

// Whether a reader sees nothing of a paragraph before `offset`: what stands there is text a
// tracked deletion holds, which the view still shows struck through.
bool nothingReadBefore(const rovuvuz::ParagraphSnapshot& paragraph, size_t offset) {
    return std::all_of(paragraph.spans.begin(), paragraph.spans.end(), [offset](const rovuvuz::Span& span) {
        return span.range.lower >= offset || span.range.size() == 0 ||
               (span.revision && span.revision->kind == rovuvuz::RevisionKind::remove);
    });
}

// The paragraph at a caret that stands at its start as a reader sees it, when it is a list
// item.
std::optional<std::pair<ParagraphID, rovuvuz::ListState>> itemAtStart(EditorViewController& editor) {
    const EditorViewController::Active active = editor.active();
    if (!active.view || !active.bridge) return std::nullopt;
    if (active.view->textCursor().hasSelection()) return std::nullopt;
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.size() != 1) return std::nullopt;
    const auto& [paragraph, range] = ranges.front();
    const rovuvuz::StoryID& story = active.bridge->story();
    if (!nothingReadBefore(editor.doc()->snapshot(paragraph, story), range.lower)) return std::nullopt;
    const rovuvuz::ListState state = editor.doc()->listState(paragraph, story);
    if (state.kind == ListKind::none) return std::nullopt;
    return std::pair{paragraph, state};
}

// An item a reader sees as empty.
bool readsEmpty(EditorViewController& editor, ParagraphID paragraph) {
    const rovuvuz::ParagraphSnapshot item = editor.doc()->snapshot(paragraph, editor.active().bridge->story());
    return nothingReadBefore(item, item.text.size() + 1);
}

void endList(EditorViewController& editor, ParagraphID paragraph) {
    const rovuvuz::EditMode mode = editor.editMode();
    listEdit(editor, {paragraph}, [&](rovuvuz::DocxDocument& doc, const rovuvuz::StoryID& story) {
        doc.setList({paragraph}, story, ListKind::none, mode);
    });
}

}  // namespace

void toggleList(EditorViewController& editor, ListKind kind) {
    const std::vector<ParagraphID> paragraphs = selectedParagraphs(editor);
    const rovuvuz::EditMode mode = editor.editMode();
    listEdit(editor, paragraphs, [&](rovuvuz::DocxDocument& doc, const rovuvuz::StoryID& story) {
        doc.toggleList(paragraphs, story, kind, mode);
    });
}

bool inList(EditorViewController& editor, ListKind kind) {
    const EditorViewController::Active active = editor.active();
    if (!active.bridge) return false;
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active, EditorSelection::Flush::no);
    if (ranges.empty()) return false;
    try {
        return editor.doc()->listState(ranges.front().first, active.bridge->story()).kind == kind;
    } catch (const std::exception&) {
        return false;
    }
}

bool changeLevel(EditorViewController& editor, int delta) {
    const std::vector<ParagraphID> paragraphs = selectedParagraphs(editor);
    const rovuvuz::EditMode mode = editor.editMode();
    bool moved = false;
    const bool made = listEdit(editor, paragraphs, [&](rovuvuz::DocxDocument& doc, const rovuvuz::StoryID& story) {
        moved = doc.changeListLevel(paragraphs, story, delta, mode);
    });
    return made && moved;
}

bool handleKey(EditorViewController& editor, const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const bool tab = key.key() == Qt::Key_Tab && plain;
    const bool backtab = key.key() == Qt::Key_Backtab || (key.key() == Qt::Key_Tab && modifiers == Qt::ShiftModifier);
    const bool enter = (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && plain;
    const bool backspace = key.key() == Qt::Key_Backspace && plain;
    if (!tab && !backtab && !enter && !backspace) return false;
    const auto item = itemAtStart(editor);
    if (!item) return false;
    const auto& [paragraph, state] = *item;
    if (tab || backtab) {
        // At the outermost or innermost level the key does nothing rather than type a tab.
        changeLevel(editor, tab ? 1 : -1);
        return true;
    }
    if (enter && !readsEmpty(editor, paragraph)) return false;
    endList(editor, paragraph);
    return true;
}

}  // namespace tovin::ListCommands

namespace tovin {

ListKeys::ListKeys(EditorViewController& editor) : QObject(&editor), editor_(editor) {}

bool ListKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QTextEdit*>(watched) &&
        !static_cast<QTextEdit*>(watched)->isReadOnly() &&
        ListCommands::handleKey(editor_, *static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

}  // namespace tovin
