// View > Zoom In, Zoom Out and Actual Size: the levels a window steps through, from 50% to
// 300%, and the commands on the frontmost editor.
#pragma once

namespace tovin {

class EditorViewController;

namespace ZoomLevels {

// The next level up (direction 1) or down (-1) from `zoom`; a level between two steps
// goes to the nearer one in that direction, and the ends stay where they are.
double step(double zoom, int direction);

void zoomIn(EditorViewController& editor);
void zoomOut(EditorViewController& editor);
void actualSize(EditorViewController& editor);

}  // namespace ZoomLevels
}  // namespace tovin
