#include "Tovin/editor/ZoomLevels.h"

#include <array>

#include "Tovin/editor/EditorViewController.h"

namespace tovin::ZoomLevels {

namespace {

constexpr std::array<double, 13> levels = {0.5, 0.67, 0.75, 0.8, 0.9, 1, 1.1, 1.25, 1.5, 1.75, 2, 2.5, 3};
constexpr double tolerance = 0.005;

}  // namespace

double step(double zoom, int direction) {
    if (direction > 0) {
        for (double level : levels)
            if (level > zoom + tolerance) return level;
        return levels.back();
    }
    for (auto level = levels.rbegin(); level != levels.rend(); ++level)
        if (*level < zoom - tolerance) return *level;
    return levels.front();
}

void zoomIn(EditorViewController& editor) {
    editor.setZoom(step(editor.zoom(), 1));
}

void zoomOut(EditorViewController& editor) {
    editor.setZoom(step(editor.zoom(), -1));
}

void actualSize(EditorViewController& editor) {
    editor.setZoom(1);
}

}  // namespace tovin::ZoomLevels
