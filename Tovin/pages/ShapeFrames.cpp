#include "Tovin/pages/ShapeFrames.h"

#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "Tovin/pages/GraphicFrames.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/DisplayUnits.h"

namespace tovin::ShapeFrames {

namespace {

// The widest outline drawn, display points.
constexpr qreal widestLine = 90;

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// An arrow pointing right in a box of width w and height h at the origin: a shaft of half
// the height and a head of half the width (the presets' default adjustments).
QPainterPath rightArrow(qreal w, qreal h) {
    const qreal head = std::min(w / 2, h);
    return polygon({{0, h / 4}, {w - head, h / 4}, {w - head, 0}, {w, h / 2}, {w - head, h}, {w - head, 3 * h / 4},
                    {0, 3 * h / 4}});
}

}  // namespace

bool drawnAsShape(const rovuvuz::DrawingSnapshot& drawing) {
    return !drawing.image && drawing.blocks.empty() &&
           (drawing.look || drawing.graphic.kind != rovuvuz::DrawingGraphic::Kind::none);
}

QPainterPath outline(const std::string& geometry, const QRectF& box) {
    const qreal x = box.x(), y = box.y(), w = box.width(), h = box.height();
    QPainterPath path;
    if (geometry == "ellipse" || geometry == "flowChartConnector") {
        path.addEllipse(box);
    } else if (geometry == "roundRect" || geometry == "flowChartAlternateProcess") {
        const qreal radius = std::min(w, h) / 6;
        path.addRoundedRect(box, radius, radius);
    } else if (geometry == "line" || geometry.find("Connector") != std::string::npos) {
        path.moveTo(box.topLeft());
        path.lineTo(box.bottomRight());
    } else if (geometry == "triangle") {
        path = polygon({{x + w / 2, y}, {x + w, y + h}, {x, y + h}});
    } else if (geometry == "rtTriangle") {
        path = polygon({{x, y}, {x + w, y + h}, {x, y + h}});
    } else if (geometry == "diamond" || geometry == "flowChartDecision") {
        path = polygon({{x + w / 2, y}, {x + w, y + h / 2}, {x + w / 2, y + h}, {x, y + h / 2}});
    } else if (geometry == "parallelogram") {
        path = polygon({{x + w / 4, y}, {x + w, y}, {x + 3 * w / 4, y + h}, {x, y + h}});
    } else if (geometry == "hexagon") {
        path = polygon({{x + w / 4, y}, {x + 3 * w / 4, y}, {x + w, y + h / 2}, {x + 3 * w / 4, y + h},
                        {x + w / 4, y + h}, {x, y + h / 2}});
    } else if (geometry == "homePlate") {
        path = polygon({{x, y}, {x + w - h / 2, y}, {x + w, y + h / 2}, {x + w - h / 2, y + h}, {x, y + h}});
    } else if (geometry == "chevron") {
        const qreal tip = std::min(w, h) / 2;
        path = polygon({{x, y}, {x + w - tip, y}, {x + w, y + h / 2}, {x + w - tip, y + h}, {x, y + h},
                        {x + tip, y + h / 2}});
    } else if (geometry == "rightArrow" || geometry == "leftArrow" || geometry == "upArrow" ||
               geometry == "downArrow") {
        // Drawn pointing right in its own frame, then turned to point its way.
        const bool upright = geometry == "upArrow" || geometry == "downArrow";
        QTransform turn;
        turn.translate(box.center().x(), box.center().y());
        if (geometry == "leftArrow") turn.rotate(180);
        if (geometry == "upArrow") turn.rotate(-90);
        if (geometry == "downArrow") turn.rotate(90);
        const qreal length = upright ? h : w, across = upright ? w : h;
        turn.translate(-length / 2, -across / 2);
        path = turn.map(rightArrow(length, across));
    } else {
        path.addRect(box);
    }
    return path;
}

void drawLook(QPainter& painter, const rovuvuz::ShapeLook& look, const QRectF& box) {
    painter.save();
    const QPainterPath path = outline(look.geometry, box);
    const auto fill = look.fill ? AttributedBuilder::wordColor(*look.fill) : std::nullopt;
    if (fill) painter.fillPath(path, *fill);
    const auto line = look.line ? AttributedBuilder::wordColor(*look.line) : std::nullopt;
    const qreal width = std::isfinite(look.lineWidth) ? std::clamp<qreal>(look.lineWidth * displayScale, 0, widestLine) : 0;
    if (line && width > 0) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(*line, width));
        painter.drawPath(path);
    }
    painter.restore();
}

ShapeAttachment::ShapeAttachment(QSizeF size, std::optional<rovuvuz::ShapeLook> look, rovuvuz::DrawingGraphic graphic)
    : size_(size), look_(std::move(look)), graphic_(std::move(graphic)) {}

void ShapeAttachment::draw(QPainter& painter, const QRectF& box) const {
    if (look_) drawLook(painter, *look_, box);
    GraphicFrames::draw(painter, graphic_, box);
}

}  // namespace tovin::ShapeFrames
