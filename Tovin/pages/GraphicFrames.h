// SmartArt graphics and charts as pages draw them, inside their frame: a SmartArt
// graphic's drawn shapes with their text (or, without a drawing part, its points' texts as
// lines), and a chart's title, legend, axes and a plot of its cached values (columns, bars,
// lines, areas or a pie). Approximate by design: the text is always there.
#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include "RovuVuz/snapshot/DrawingShapes.h"

class QPainter;

namespace tovin::GraphicFrames {

// Draws the graphic into `box` (display points); nothing for a frame of kind none.
void draw(QPainter& painter, const rovuvuz::DrawingGraphic& graphic, const QRectF& box);

// A chart's parts in `box` (ChartFrames.cpp).
void drawChart(QPainter& painter, const rovuvuz::ChartData& chart, const QRectF& box);

// Paragraphs of text in `box`, wrapped, anchored as `anchor` says, made smaller (down to a
// third) when they would not fit; `size` (document points) where a paragraph states none.
void drawParagraphs(QPainter& painter, const std::vector<rovuvuz::GraphicParagraph>& paragraphs,
                    const QRectF& box, rovuvuz::TextFrame::Anchor anchor, qreal size);

// Text laid out without a paint device, as the pages' own lines are, so that it keeps its
// size on screen, in PDF and in print: wrapped to the width of `box` when `wrap`, placed by
// the alignment flags `align`, in the painter's pen. Gives the height it takes.
qreal drawText(QPainter& painter, const QRectF& box, int align, const QString& text, const QFont& font, bool wrap);
// The height drawText would take at that width.
qreal textHeight(const QString& text, const QFont& font, qreal width, bool wrap);

}  // namespace tovin::GraphicFrames
