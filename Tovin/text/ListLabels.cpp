#include "Tovin/text/ListLabels.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include "Tovin/text/TextProperties.h"
#include "Tovin/text/Theme.h"

namespace tovin::ListLabels {

std::optional<Placement> placement(const QTextBlock& block, const QColor& text) {
    if (!block.isValid() || block.length() <= 1) return std::nullopt;
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) return std::nullopt;
    const QTextFragment first = block.begin().fragment();
    if (!first.isValid()) return std::nullopt;
    const QTextCharFormat format = first.charFormat();
    const QString label = listLabelProperty(format);
    if (label.isEmpty()) return std::nullopt;

    Placement placed;
    placed.label = label;
    if (format.hasProperty(QTextFormat::FontFamilies) || format.hasProperty(QTextFormat::FontPointSize) ||
        format.hasProperty(QTextFormat::FontPixelSize)) {
        placed.font = format.font();
        placed.font.setBold(false);
        placed.font.setItalic(false);
    } else {
        placed.font = Theme::systemFont(11);
    }
    // Struck or underlined text (a tracked change) does not strike or underline its label.
    placed.font.setUnderline(false);
    placed.font.setStrikeOut(false);
    placed.color = format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : text;

    const QTextLine line = layout->lineAt(0);
    const qreal width = QFontMetricsF(placed.font).horizontalAdvance(label);
    const qreal indent = block.blockFormat().leftMargin();
    placed.baseline = QPointF(layout->position().x() + indent - width - gap,
                              layout->position().y() + line.y() + line.ascent());
    return placed;
}

void draw(QPainter& painter, const Placement& placement) {
    painter.save();
    painter.setFont(placement.font);
    painter.setPen(placement.color);
    painter.drawText(placement.baseline, placement.label);
    painter.restore();
}

}  // namespace tovin::ListLabels
