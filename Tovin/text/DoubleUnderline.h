// The second line of a double underline (w:u w:val="double"). Qt underlines text once; a
// view showing styled text draws the second line below the first, in the text's colour,
// under every stretch whose format carries TextProperty::doubleUnderline.
#pragma once

class QPainter;
class QTextBlock;

namespace tovin::DoubleUnderline {

// Draws the second lines of one laid-out block; the painter is in document coordinates.
void draw(QPainter& painter, const QTextBlock& block);

}  // namespace tovin::DoubleUnderline
