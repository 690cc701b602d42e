// Shapes as pages draw them: a preset geometry's outline (rectangles, rounded rectangles,
// ellipses, lines, triangles, diamonds, arrows, chevrons, …; any other is drawn as its
// rectangle) filled and stroked as the document says, and the attachment an inline shape,
// SmartArt graphic or chart shows in its line on pages (the draft view keeps its chips).
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <optional>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/text/TextAttachment.h"

class QPainter;

namespace tovin::ShapeFrames {

// Whether a drawing is drawn as its shape or graphic: it has no text and no picture, but an
// outline or fill, or a SmartArt graphic or chart.
bool drawnAsShape(const rovuvuz::DrawingSnapshot& drawing);

// The outline of a preset geometry filling `box`.
QPainterPath outline(const std::string& geometry, const QRectF& box);

// Fills and strokes `box` as `look` says; line widths in document points are shown at the
// display scale.
void drawLook(QPainter& painter, const rovuvuz::ShapeLook& look, const QRectF& box);

// What an inline shape or graphic frame shows in its line: its outline and fill, then its
// graphic, at its extent (display points).
class ShapeAttachment : public TextAttachment {
  public:
    ShapeAttachment(QSizeF size, std::optional<rovuvuz::ShapeLook> look, rovuvuz::DrawingGraphic graphic);
    QSizeF size() const override { return size_; }
    void draw(QPainter& painter, const QRectF& box) const override;

  private:
    QSizeF size_;
    std::optional<rovuvuz::ShapeLook> look_;
    rovuvuz::DrawingGraphic graphic_;
};

}  // namespace tovin::ShapeFrames
