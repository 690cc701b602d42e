// The underlines Qt does not draw itself: the second line of a double underline
// (w:u w:val="double") and the weight of a thick one (w:u w:val="thick"). Qt underlines
// text once with a line of the font's thickness; a view showing styled text draws the
// second line below the first, and a heavier line over Qt's, in the text's colour, under
// every stretch whose format carries TextProperty::doubleUnderline or thickUnderline.
#pragma once

#include <QPointF>

class QPainter;
class QTextBlock;
class QTextLine;

namespace tovin::DoubleUnderline {

// Draws the extra lines of one laid-out block; the painter is in document coordinates.
void draw(QPainter& painter, const QTextBlock& block);

// Draws those of one of the block's lines, whose layout stands at `origin`.
void draw(QPainter& painter, const QTextBlock& block, const QTextLine& line, QPointF origin);

}  // namespace tovin::DoubleUnderline
