#include "Tovin/editor/StoryViews.h"

#include <QScrollBar>
#include <QTimer>
#include <QTextCursor>

#include "Tovin/editor/EditorViewController.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::StoryViews {

namespace {

// The paragraph among a bridge's entries, or inside one of its tables.
std::optional<Shown> inBridge(EditorViewController& editor, StoryBridge& bridge, rovuvuz::ParagraphID paragraph,
                              rovuvuz::TextRange range) {
    int start = 0;
    for (const StoryBridge::Entry& entry : bridge.entries()) {
        if (const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value); p && p->id == paragraph)
            return Shown{bridge.view(), &bridge, start + int(range.lower), int(range.size())};
        start += StoryBridge::lengthOf(entry) + 1;
    }
    for (TableView* table : TableHost::of(bridge.view())->views()) {
        CellTextView* cell = table->viewHolding(paragraph);
        if (!cell) continue;
        StoryBridge* inner = editor.bridgeOf(cell);
        return inner ? inBridge(editor, *inner, paragraph, range) : std::nullopt;
    }
    return std::nullopt;
}

// A table cell's view stands inside the view of its story, which scrolls it along: that
// view scrolls until the cell's selection is on screen. The tables are placed again after
// a scroll and their rows may size anew, so it looks again, a few times at most.
void scrollOuterTo(QTextEdit& inner, int tries) {
    QTextEdit* outer = nullptr;
    for (QWidget* up = inner.parentWidget(); up && !outer; up = up->parentWidget()) outer = qobject_cast<QTextEdit*>(up);
    if (!outer || tries <= 0) return;
    constexpr int margin = 24;
    const QRect selection = inner.cursorRect().translated(inner.viewport()->mapTo(outer->viewport(), QPoint()));
    QScrollBar* bar = outer->verticalScrollBar();
    const int before = bar->value();
    if (selection.top() < 0)
        bar->setValue(bar->value() + selection.top() - margin);
    else if (selection.bottom() > outer->viewport()->height())
        bar->setValue(bar->value() + selection.bottom() - outer->viewport()->height() + margin);
    if (bar->value() != before)
        QTimer::singleShot(0, &inner, [view = &inner, tries] { scrollOuterTo(*view, tries - 1); });
}

}  // namespace

std::optional<Shown> find(EditorViewController& editor, const rovuvuz::StoryID& story, rovuvuz::ParagraphID paragraph,
                          rovuvuz::TextRange range) {
    for (QTextEdit* view : {editor.body(), static_cast<QTextEdit*>(editor.headerBand()),
                            static_cast<QTextEdit*>(editor.footerBand()), static_cast<QTextEdit*>(editor.notesBand())}) {
        StoryBridge* bridge = view ? editor.bridgeOf(view) : nullptr;
        if (!bridge || bridge->story() != story) continue;
        if (auto shown = inBridge(editor, *bridge, paragraph, range)) return shown;
    }
    return std::nullopt;
}

void select(const Shown& shown) {
    QTextCursor cursor = shown.view->textCursor();
    const int end = shown.view->document()->characterCount() - 1;
    cursor.setPosition(std::clamp(shown.location, 0, end));
    cursor.setPosition(std::clamp(shown.location + shown.length, 0, end), QTextCursor::KeepAnchor);
    shown.view->setTextCursor(cursor);
    shown.view->ensureCursorVisible();
    // After the layouts the selection may have started (a cell's rows sizing) are done.
    QTimer::singleShot(0, shown.view, [view = shown.view] { scrollOuterTo(*view, 3); });
}

}  // namespace tovin::StoryViews
