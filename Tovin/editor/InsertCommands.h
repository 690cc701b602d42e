// The Format menu's insertions on the active view: a link over the selection (through a
// popover asking for the address), a page break, a picture from a file, and a picture made
// larger or smaller. Each is one edit through the editor's seam.
#pragma once

#include <QByteArray>
#include <QString>

namespace tovin {

class EditorViewController;

namespace InsertCommands {

// The link popover over the selection; its address becomes the link (setLink).
void showLinkPopover(EditorViewController& editor);
// The address typed (normalized; an empty one removes the selection's links).
void setLink(EditorViewController& editor, const QString& typed);
void insertPageBreak(EditorViewController& editor);
// The Open dialog for a picture, then insertImageFile.
void chooseImage(EditorViewController& editor);
// A picture at the caret, no wider than the text column.
void insertImageFile(EditorViewController& editor, const QString& path);
// The same from a picture's bytes (a pasted one); `name` is what a refusal calls it.
void insertImageData(EditorViewController& editor, const QByteArray& bytes, QString extension, const QString& name);
// The picture the selection starts at, scaled by `factor`; growFactor is the menu's step.
inline constexpr double growFactor = 1.1;
void scaleImage(EditorViewController& editor, double factor);

// Rules: whether the selection holds text to link, and whether it starts at a picture.
bool canLink(EditorViewController& editor);
bool hasImage(EditorViewController& editor);

}  // namespace InsertCommands
}  // namespace tovin
