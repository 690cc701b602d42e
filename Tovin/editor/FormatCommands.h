// The Format menu's character and paragraph commands on the active view's selection:
// bold, italic, underline and strikethrough, super- and subscript, alignment, and the
// paragraph style the format popover sets. Each is one edit through the editor's seam.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/format/FormatEdit.h"

namespace tovin {

class EditorViewController;

namespace FormatCommands {

// Turns a mark on over the selection, or off when its first character has it.
void toggle(EditorViewController& editor, rovuvuz::RunFormatChange::Toggle mark);
// Superscript or subscript, or back to the baseline when the selection already is.
void toggleScript(EditorViewController& editor, rovuvuz::VerticalAlign script);
void align(EditorViewController& editor, rovuvuz::Alignment alignment);
// The paragraph style of the selected paragraphs; nothing is the default style.
void setParagraphStyle(EditorViewController& editor, const std::optional<std::string>& styleID);

// Character changes over the selection as one undo step (the Font panel's several at once):
// family, size, colour, highlight, a size step, Clear Formatting. A caret alone changes
// nothing and is refused.
void runFormats(EditorViewController& editor, const std::vector<rovuvuz::RunFormatChange>& changes);
// Increase or Decrease Font Size: every selected run by one point.
void stepFontSize(EditorViewController& editor, double points);
void clearFormatting(EditorViewController& editor);
// The effective character format where the selection starts, as the engine states it.
std::optional<rovuvuz::RunFormat> formatAtSelection(EditorViewController& editor);

}  // namespace FormatCommands
}  // namespace tovin
