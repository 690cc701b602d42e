#include "Tovin/text/BorderLines.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/DisplayUnits.h"

namespace tovin {

QPen borderPen(const rovuvuz::BorderLine& line) {
    using Style = rovuvuz::BorderLine::Style;
    QColor colour = Qt::black;
    if (line.color)
        if (const auto stated = AttributedBuilder::wordColor(*line.color)) colour = *stated;
    const qreal width = std::clamp<qreal>(std::isfinite(line.width) ? line.width * displayScale : 0.5, 0.5, 8);
    QPen pen(colour, width);
    pen.setCapStyle(Qt::FlatCap);
    switch (line.style) {
        case Style::dotted:
            pen.setStyle(Qt::DotLine);
            break;
        case Style::dashed:
            pen.setStyle(Qt::DashLine);
            break;
        case Style::dotDash:
            pen.setStyle(Qt::DashDotLine);
            break;
        default:
            break;
    }
    return pen;
}

void drawBorderSide(QPainter& painter, const rovuvuz::BorderLine& line, QPointF from, QPointF to) {
    if (!line.visible()) return;
    QPen pen = borderPen(line);
    const bool twice = line.style == rovuvuz::BorderLine::Style::doubleLine ||
                       line.style == rovuvuz::BorderLine::Style::triple;
    if (!twice) {
        painter.setPen(pen);
        painter.drawLine(from, to);
        return;
    }
    pen.setWidthF(std::max<qreal>(pen.widthF() / 3, 0.5));
    painter.setPen(pen);
    const QPointF along = to - from;
    const QPointF normal = QPointF(-along.y(), along.x()) / std::max<qreal>(std::hypot(along.x(), along.y()), 1e-6);
    const QPointF shift = normal * 1.2;
    painter.drawLine(from + shift, to + shift);
    painter.drawLine(from - shift, to - shift);
}

}  // namespace tovin
