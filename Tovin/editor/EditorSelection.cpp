#include "Tovin/editor/EditorSelection.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/TextProperties.h"

namespace tovin::EditorSelection {

namespace {

// The format of the character at `index` of a view (its paragraph's mark at a block end).
QTextCharFormat formatAt(const QTextEdit& view, int index) {
    const QTextBlock block = view.document()->findBlock(index);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.position() <= index && index < fragment.position() + fragment.length())
            return fragment.charFormat();
    }
    return block.charFormat();
}

}  // namespace

Range range(const EditorViewController::Active& active, Flush flush) {
    if (active.bridge && flush == Flush::yes) active.bridge->flush();
    const QTextCursor cursor = active.view->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

Ranges paragraphRanges(const EditorViewController::Active& active, Flush flush) {
    if (!active.bridge) return {};
    const Range selected = range(active, flush);
    return active.bridge->paragraphRanges(selected.location, selected.length);
}

bool hasText(const EditorViewController::Active& active) {
    const Ranges ranges = paragraphRanges(active, Flush::no);
    return std::any_of(ranges.begin(), ranges.end(), [](const auto& each) { return each.second.size() > 0; });
}

QTextCharFormat attributes(const EditorViewController::Active& active) {
    const int length = active.view->document()->characterCount() - 1;
    if (length <= 0) return {};
    return formatAt(*active.view, std::min(length - 1, active.view->textCursor().selectionStart()));
}

std::optional<rovuvuz::RevisionInfo> revision(const EditorViewController::Active& active) {
    const QTextCharFormat format = attributes(active);
    for (int key :
         {int(TextProperty::revision), int(TextProperty::formatRevision), int(TextProperty::markRevision)}) {
        if (auto found = revisionProperty(format, key)) return found;
    }
    // The paragraph's own: its mark's change (an empty paragraph has no text to carry it),
    // then its format change.
    const QTextBlockFormat block =
        active.view->document()->findBlock(active.view->textCursor().selectionStart()).blockFormat();
    for (int key : {int(TextProperty::markRevision), int(TextProperty::formatRevision)}) {
        if (auto found = revisionProperty(block, key)) return found;
    }
    return std::nullopt;
}

std::optional<Image> image(const EditorViewController::Active& active, Flush flush) {
    const Ranges ranges = paragraphRanges(active, flush);
    if (ranges.empty()) return std::nullopt;
    const auto [paragraph, selected] = ranges.front();
    for (const StoryBridge::Entry& entry : active.bridge->entries()) {
        const auto* snapshot = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (!snapshot || snapshot->id != paragraph) continue;
        for (const rovuvuz::Span& span : snapshot->spans) {
            if (span.range.lower != selected.lower ||
                span.content.type != rovuvuz::Span::Content::Type::image)
                continue;
            if (!span.content.width || !span.content.height) return std::nullopt;
            return Image{paragraph, selected.lower, *span.content.width, *span.content.height};
        }
    }
    return std::nullopt;
}

void selectInBody(EditorViewController& editor, Range selected) {
    QTextCursor cursor = editor.body()->textCursor();
    cursor.setPosition(selected.location);
    cursor.setPosition(selected.location + selected.length, QTextCursor::KeepAnchor);
    editor.body()->setTextCursor(cursor);
    editor.body()->ensureCursorVisible();
    editor.body()->setFocus();
}

}  // namespace tovin::EditorSelection
