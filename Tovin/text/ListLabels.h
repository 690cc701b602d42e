// List labels drawn beside their paragraphs. A paragraph's label travels as the
// "TovinListLabel" property of its characters; it is never part of the text. The label is
// drawn after the text in the paragraph's hanging space: it ends 6 points before the
// paragraph's left indent and sits on the first line's baseline, in the font of the first
// character without bold or italic and in its colour.
#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>
#include <optional>

class QPainter;
class QTextBlock;

namespace tovin::ListLabels {

struct Placement {
    QString label;
    QFont font;
    QColor color;
    QPointF baseline;  // where the label's baseline starts, in document coordinates
};

// Gap between the label's end and the paragraph's left indent.
constexpr qreal gap = 6;

// Where a laid-out block's label goes; nothing for a block without a label, with no
// text, or not laid out yet. `text` is the colour of text that states none.
std::optional<Placement> placement(const QTextBlock& block, const QColor& text);

void draw(QPainter& painter, const Placement& placement);

}  // namespace tovin::ListLabels
