#include "Tovin/text/DoubleUnderline.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include "Tovin/text/TextProperties.h"

namespace tovin::DoubleUnderline {

namespace {

// The heavy line is this many times the font's own line.
constexpr qreal heavyWeight = 2.2;

QPen penFor(const QPainter& painter, const QTextCharFormat& format, qreal width) {
    QPen pen(format.foreground().style() == Qt::NoBrush ? painter.pen().color() : format.foreground().color());
    pen.setWidthF(width);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

}  // namespace

void draw(QPainter& painter, const QTextBlock& block, const QTextLine& line, QPointF origin) {
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const QTextCharFormat format = fragment.charFormat();
        const bool twice = format.boolProperty(TextProperty::doubleUnderline);
        const bool heavy = format.boolProperty(TextProperty::thickUnderline);
        if (!twice && !heavy) continue;
        const int start = fragment.position() - block.position();
        const int from = std::max(start, line.textStart());
        const int to = std::min(start + fragment.length(), line.textStart() + line.textLength());
        if (from >= to) continue;
        const QFontMetricsF metrics(format.font());
        const qreal thin = std::max<qreal>(1, metrics.lineWidth());
        const qreal baseline = origin.y() + line.y() + line.ascent();
        const qreal x0 = origin.x() + line.cursorToX(from);
        const qreal x1 = origin.x() + line.cursorToX(to);
        painter.save();
        if (twice) {
            painter.setPen(penFor(painter, format, thin));
            const qreal y = baseline + metrics.underlinePos() + 2 * thin + 1;
            painter.drawLine(QPointF(x0, y), QPointF(x1, y));
        }
        if (heavy) {
            // Over Qt's own line, reaching below it.
            const qreal width = thin * heavyWeight;
            painter.setPen(penFor(painter, format, width));
            const qreal y = baseline + metrics.underlinePos() + width / 2 - thin / 2;
            painter.drawLine(QPointF(x0, y), QPointF(x1, y));
        }
        painter.restore();
    }
}

void draw(QPainter& painter, const QTextBlock& block) {
    const QTextLayout* layout = block.layout();
    if (!layout) return;
    for (int index = 0; index < layout->lineCount(); ++index)
        draw(painter, block, layout->lineAt(index), layout->position());
}

}  // namespace tovin::DoubleUnderline
