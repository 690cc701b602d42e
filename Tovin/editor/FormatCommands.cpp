#include "Tovin/editor/FormatCommands.h"

#include <QFont>
#include <QTextEdit>
#include <functional>
#include <set>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/editor/EditorSelection.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/FormatPopover.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::FormatCommands {

namespace {

using rovuvuz::ParagraphID;
using rovuvuz::RunFormatChange;
using rovuvuz::StructuralEdit;
using rovuvuz::TextRange;

// One edit per paragraph the selection reaches, all in one undo step; then the touched
// paragraphs are drawn again.
void applyToParagraphs(EditorViewController& editor, EditorSelection::Ranges ranges,
                       const std::function<std::vector<StructuralEdit>(ParagraphID, TextRange)>& make) {
    const auto active = editor.active();
    if (ranges.empty()) return editor.seam().refuse();
    std::set<ParagraphID> touched;
    const rovuvuz::EditMode mode = editor.editMode();
    const bool made = editor.seam().run([&] {
        for (const auto& [paragraph, range] : ranges) {
            for (const StructuralEdit& edit : make(paragraph, range))
                editor.doc()->apply(edit, active.bridge->story(), mode);
            touched.insert(paragraph);
        }
    });
    if (!made) return;
    editor.modelChanged();
    active.bridge->refresh(touched);
    editor.popover()->sync();
}

void runFormat(EditorViewController& editor, RunFormatChange change) {
    runFormats(editor, {std::move(change)});
}

void paragraphFormat(EditorViewController& editor, const std::function<StructuralEdit(ParagraphID)>& make) {
    applyToParagraphs(editor, EditorSelection::paragraphRanges(editor.active()),
                      [&make](ParagraphID paragraph, TextRange) { return std::vector{make(paragraph)}; });
}

}  // namespace

void toggle(EditorViewController& editor, RunFormatChange::Toggle mark) {
    const QTextCharFormat format = EditorSelection::attributes(editor.active());
    bool on = false;
    switch (mark) {
        case RunFormatChange::Toggle::bold:
            on = format.fontWeight() >= QFont::Bold;
            break;
        case RunFormatChange::Toggle::italic:
            on = format.fontItalic();
            break;
        case RunFormatChange::Toggle::underline:
            on = format.fontUnderline();
            break;
        case RunFormatChange::Toggle::strike:
            on = format.fontStrikeOut();
            break;
    }
    runFormat(editor, RunFormatChange{RunFormatChange::Switch{mark, !on}});
}

void toggleScript(EditorViewController& editor, rovuvuz::VerticalAlign script) {
    const qreal offset = EditorSelection::attributes(editor.active()).baselineOffset();
    const bool already = script == rovuvuz::VerticalAlign::superscript ? offset > 0 : offset < 0;
    runFormat(editor, RunFormatChange{
                          RunFormatChange::VertAlign{already ? rovuvuz::VerticalAlign::baseline : script}});
}

void align(EditorViewController& editor, rovuvuz::Alignment alignment) {
    paragraphFormat(editor, [alignment](ParagraphID paragraph) {
        return StructuralEdit{StructuralEdit::SetParagraphFormat{
            paragraph, rovuvuz::ParagraphFormatChange{rovuvuz::ParagraphFormatChange::Align{alignment}}}};
    });
}

void setParagraphStyle(EditorViewController& editor, const std::optional<std::string>& styleID) {
    std::optional<rovuvuz::StyleID> style;
    if (styleID) style = rovuvuz::StyleID{*styleID};
    paragraphFormat(editor, [style](ParagraphID paragraph) {
        return StructuralEdit{StructuralEdit::SetParagraphStyle{paragraph, style}};
    });
    if (StoryBridge* bridge = editor.active().bridge) bridge->relabel();
}

}  // namespace tovin::FormatCommands

namespace tovin::FormatCommands {

void runFormats(EditorViewController& editor, const std::vector<RunFormatChange>& changes) {
    EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(editor.active());
    // A caret alone formats nothing.
    std::erase_if(ranges, [](const auto& range) { return range.second.size() == 0; });
    applyToParagraphs(editor, std::move(ranges), [&changes](ParagraphID paragraph, TextRange range) {
        std::vector<StructuralEdit> edits;
        for (const RunFormatChange& change : changes)
            edits.push_back(StructuralEdit{StructuralEdit::SetRunFormat{paragraph, range, change}});
        return edits;
    });
}

void stepFontSize(EditorViewController& editor, double points) {
    runFormat(editor, RunFormatChange{RunFormatChange::SizeStep{points}});
}

void clearFormatting(EditorViewController& editor) {
    runFormat(editor, RunFormatChange{RunFormatChange::ClearFormatting{}});
}

std::optional<rovuvuz::RunFormat> formatAtSelection(EditorViewController& editor) {
    const auto active = editor.active();
    if (!active.bridge) return std::nullopt;
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active, EditorSelection::Flush::no);
    if (ranges.empty()) return std::nullopt;
    const auto& [paragraph, range] = ranges.front();
    for (const StoryBridge::Entry& entry : active.bridge->entries()) {
        const auto* snapshot = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (!snapshot || snapshot->id != paragraph) continue;
        // The span holding the first selected character (or the one before a caret).
        const rovuvuz::Span* found = nullptr;
        for (const rovuvuz::Span& span : snapshot->spans) {
            if (span.range.lower > range.lower) break;
            found = &span;
        }
        if (found) return found->format;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tovin::FormatCommands
