// How a border line (ECMA-376 ST_Border, w:sz in eighths of a point) is drawn: its pen, and
// one side of a cell drawn with it. Pages and the draft view's tables draw the same lines
// the engine resolves for each cell, through these.
#pragma once

#include <QPen>
#include <QPointF>

#include "RovuVuz/format/TableFormat.h"

class QPainter;

namespace tovin {

// The line's colour (black for "auto"), its width at the display scale (kept between half
// a point and 8), and dots or dashes for the styles that have them.
QPen borderPen(const rovuvuz::BorderLine& line);

// One side from `from` to `to`; nothing for a side without a line. A double or triple line
// is two thin lines either side of where a single one would run.
void drawBorderSide(QPainter& painter, const rovuvuz::BorderLine& line, QPointF from, QPointF to);

}  // namespace tovin
