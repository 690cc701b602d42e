#include "Tovin/text/DoubleUnderline.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include "Tovin/text/TextProperties.h"

namespace tovin::DoubleUnderline {

void draw(QPainter& painter, const QTextBlock& block) {
    const QTextLayout* layout = block.layout();
    if (!layout) return;
    const QPointF origin = layout->position();
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid() || !fragment.charFormat().boolProperty(TextProperty::doubleUnderline)) continue;
        const QTextCharFormat format = fragment.charFormat();
        const QFontMetricsF metrics(format.font());
        const int start = fragment.position() - block.position();
        const int end = start + fragment.length();
        QPen pen(format.foreground().style() == Qt::NoBrush ? painter.pen().color() : format.foreground().color());
        pen.setWidthF(std::max<qreal>(1, metrics.lineWidth()));
        painter.save();
        painter.setPen(pen);
        // One stretch per line the fragment reaches.
        for (int index = 0; index < layout->lineCount(); ++index) {
            const QTextLine line = layout->lineAt(index);
            const int from = std::max(start, line.textStart());
            const int to = std::min(end, line.textStart() + line.textLength());
            if (from >= to) continue;
            const qreal y = origin.y() + line.y() + line.ascent() + metrics.underlinePos() + 2 * pen.widthF() + 1;
            painter.drawLine(QPointF(origin.x() + line.cursorToX(from), y), QPointF(origin.x() + line.cursorToX(to), y));
        }
        painter.restore();
    }
}

}  // namespace tovin::DoubleUnderline
