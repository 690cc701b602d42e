// What the commands read of the active view's selection: its range (after any pending
// typing has reached the engine), the paragraph ranges it covers, the attributes of its
// first character, the tracked change or picture it starts at.
#pragma once

#include <QTextCharFormat>
#include <optional>
#include <utility>
#include <vector>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/editor/EditorViewController.h"

namespace tovin::EditorSelection {

// A view range as a location and length.
struct Range {
    int location = 0;
    int length = 0;
    bool operator==(const Range&) const = default;
};
using Ranges = std::vector<std::pair<rovuvuz::ParagraphID, rovuvuz::TextRange>>;

// Whether the pending typing is sent to the engine first. Validation reads without
// flushing, so that a burst of typing stays one edit.
enum class Flush { yes, no };

Range range(const EditorViewController::Active& active, Flush flush = Flush::yes);
Ranges paragraphRanges(const EditorViewController::Active& active, Flush flush = Flush::yes);
// Whether the selection covers text (not only a caret).
bool hasText(const EditorViewController::Active& active);

// The attributes of the first selected character, or of the character at the caret.
QTextCharFormat attributes(const EditorViewController::Active& active);
// The tracked change (text, format or paragraph mark) the selection starts in.
std::optional<rovuvuz::RevisionInfo> revision(const EditorViewController::Active& active);

// The picture the selection starts at: its paragraph, offset and size in points.
struct Image {
    rovuvuz::ParagraphID paragraph;
    size_t offset = 0;
    double width = 0;
    double height = 0;
};
std::optional<Image> image(const EditorViewController::Active& active, Flush flush = Flush::yes);

// Selects a view range of the body, scrolled into view, with the body focused.
void selectInBody(EditorViewController& editor, Range range);

}  // namespace tovin::EditorSelection
