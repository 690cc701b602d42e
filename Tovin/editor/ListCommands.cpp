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

bool markDeleted(const rovuvuz::ParagraphSnapshot& paragraph) {
    return paragraph.markRevision && paragraph.markRevision->kind == rovuvuz::RevisionKind::remove;
}

// The paragraphs a reader sees as one: the paragraph and its neighbours joined to it by
// paragraph marks that tracked deletions hold, fresh from the engine, first to last.
// Accepting the deletions joins them into the first, which keeps its properties (as a
// direct join keeps the first paragraph's, and as Word and LibreOffice accept them): the
// first one's list membership is the one the reader's paragraph has.
std::vector<rovuvuz::ParagraphSnapshot> readersParagraph(EditorViewController& editor, const StoryBridge& bridge,
                                                         ParagraphID paragraph) {
    const auto& entries = bridge.entries();
    const auto at = std::find_if(entries.begin(), entries.end(), [&](const StoryBridge::Entry& entry) {
        const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        return p && p->id == paragraph;
    });
    auto fresh = [&](ParagraphID id) { return editor.doc()->snapshot(id, bridge.story()); };
    std::vector<rovuvuz::ParagraphSnapshot> joined{fresh(paragraph)};
    if (at == entries.end()) return joined;
    for (auto it = at; it != entries.begin();) {
        const auto* before = std::get_if<rovuvuz::ParagraphSnapshot>(&(--it)->block.value);
        if (!before) break;
        rovuvuz::ParagraphSnapshot previous = fresh(before->id);
        if (!markDeleted(previous)) break;
        joined.insert(joined.begin(), std::move(previous));
    }
    for (auto it = at + 1; markDeleted(joined.back()) && it != entries.end(); ++it) {
        const auto* after = std::get_if<rovuvuz::ParagraphSnapshot>(&it->block.value);
        if (!after) break;
        joined.push_back(fresh(after->id));
    }
    return joined;
}

// A list item at a caret that stands at its start as a reader sees it: the first of the
// paragraphs the reader sees as one (whose properties survive), its list state, and
// whether the reader sees it empty.
struct ItemAtStart {
    ParagraphID item;
    rovuvuz::ListState state;
    bool empty = false;
};

std::optional<ItemAtStart> itemAtStart(EditorViewController& editor) {
    const EditorViewController::Active active = editor.active();
    if (!active.view || !active.bridge) return std::nullopt;
    if (active.view->textCursor().hasSelection()) return std::nullopt;
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.size() != 1) return std::nullopt;
    const auto& [paragraph, range] = ranges.front();
    const std::vector<rovuvuz::ParagraphSnapshot> joined = readersParagraph(editor, *active.bridge, paragraph);
    bool empty = true;
    for (const rovuvuz::ParagraphSnapshot& part : joined) {
        const bool caretHere = part.id == paragraph;
        const bool readBefore = !nothingReadBefore(part, caretHere ? range.lower : part.text.size() + 1);
        if (readBefore) return std::nullopt;
        if (caretHere) {
            empty = empty && nothingReadBefore(part, part.text.size() + 1);
            // The rest of the reader's paragraph decides only whether it reads empty.
            for (const rovuvuz::ParagraphSnapshot& after : joined)
                if (after.id != paragraph) empty = empty && nothingReadBefore(after, after.text.size() + 1);
            break;
        }
    }
    const rovuvuz::ListState state = editor.doc()->listState(joined.front().id, active.bridge->story());
    if (state.kind == ListKind::none) return std::nullopt;
    return ItemAtStart{joined.front().id, state, empty};
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
    if (tab || backtab) {
        // At the outermost or innermost level the key does nothing rather than type a tab.
        const rovuvuz::EditMode mode = editor.editMode();
        listEdit(editor, {item->item}, [&](rovuvuz::DocxDocument& doc, const rovuvuz::StoryID& story) {
            doc.changeListLevel({item->item}, story, tab ? 1 : -1, mode);
        });
        return true;
    }
    if (enter && !item->empty) return false;
    endList(editor, item->item);
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
