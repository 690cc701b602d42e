#include "Tovin/pages/GraphicFrames.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <memory>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "Tovin/pages/ShapeFrames.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/DisplayUnits.h"

namespace tovin::GraphicFrames {

namespace {

using rovuvuz::GraphicParagraph;

// SmartArt text without a size of its own, and a diagram's point texts, document points.
constexpr qreal diagramTextSize = 11;
// Rounds of shrinking text that does not fit, and the smallest share of its size kept.
constexpr int shrinkRounds = 6;
constexpr qreal smallestShare = 1.0 / 3;

qreal finite(double value) {
    return std::isfinite(value) ? std::clamp<qreal>(value, -1e6, 1e6) : 0;
}

QFont fontOf(const GraphicParagraph& p, qreal fallback, qreal share) {
    QFont font;
    setDisplaySize(font, std::max<qreal>((p.size > 0 ? p.size : fallback) * displayScale * share, 1));
    font.setBold(p.bold);
    return font;
}

int alignOf(const GraphicParagraph& p) {
    const int across = p.align == GraphicParagraph::Align::center ? Qt::AlignHCenter
                       : p.align == GraphicParagraph::Align::right ? Qt::AlignRight
                                                                   : Qt::AlignLeft;
    return across | Qt::AlignTop;
}

qreal heightOf(const std::vector<GraphicParagraph>& paragraphs, qreal width, qreal size, qreal share) {
    qreal total = 0;
    for (const GraphicParagraph& p : paragraphs)
        total += textHeight(QString::fromStdString(p.text), fontOf(p, size, share), width, true);
    return total;
}

std::unique_ptr<QTextLayout> layOut(const QString& text, const QFont& font, qreal width, int align, bool wrap,
                                    qreal& height) {
    auto layout = std::make_unique<QTextLayout>(text, font);
    QTextOption option(Qt::Alignment(align & Qt::AlignHorizontal_Mask));
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout->setTextOption(option);
    height = 0;
    layout->beginLayout();
    // Never more lines than characters: each line takes at least one.
    for (int lines = 0; lines <= text.size(); ++lines) {
        QTextLine line = layout->createLine();
        if (!line.isValid()) break;
        line.setLineWidth(std::max<qreal>(width, 1));
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout->endLayout();
    // An empty text still takes a line.
    if (text.isEmpty()) height = QFontMetricsF(font).height();
    return layout;
}

void drawDiagram(QPainter& painter, const rovuvuz::DrawingGraphic& graphic, const QRectF& box) {
    for (const rovuvuz::GraphicShape& shape : graphic.shapes) {
        const QRectF at(box.x() + finite(shape.x) * displayScale, box.y() + finite(shape.y) * displayScale,
                        std::max<qreal>(finite(shape.width) * displayScale, 0),
                        std::max<qreal>(finite(shape.height) * displayScale, 0));
        ShapeFrames::drawLook(painter, shape.look, at);
        const rovuvuz::TextFrame& frame = shape.frame;
        const QRectF inside = at.adjusted(finite(frame.left) * displayScale, finite(frame.top) * displayScale,
                                          -finite(frame.right) * displayScale, -finite(frame.bottom) * displayScale);
        // Insets larger than the shape leave its own rectangle for the text.
        drawParagraphs(painter, shape.paragraphs, inside.isValid() ? inside : at, frame.anchor, diagramTextSize);
    }
    if (graphic.shapes.empty() && !graphic.lines.empty()) {
        std::vector<GraphicParagraph> lines;
        for (const std::string& line : graphic.lines)
            lines.push_back({line, 0, std::nullopt, false, GraphicParagraph::Align::center});
        drawParagraphs(painter, lines, box, rovuvuz::TextFrame::Anchor::center, diagramTextSize);
    }
}

}  // namespace

void drawParagraphs(QPainter& painter, const std::vector<GraphicParagraph>& paragraphs, const QRectF& box,
                    rovuvuz::TextFrame::Anchor anchor, qreal size) {
    if (paragraphs.empty() || box.width() <= 0) return;
    qreal share = 1;
    qreal height = heightOf(paragraphs, box.width(), size, share);
    for (int round = 0; round < shrinkRounds && height > box.height() && share > smallestShare; ++round) {
        share = std::max(smallestShare, share * std::max<qreal>(0.5, std::sqrt(box.height() / height)));
        height = heightOf(paragraphs, box.width(), size, share);
    }
    qreal y = box.top();
    if (anchor == rovuvuz::TextFrame::Anchor::center) y += (box.height() - height) / 2;
    if (anchor == rovuvuz::TextFrame::Anchor::bottom) y += box.height() - height;
    painter.save();
    for (const GraphicParagraph& p : paragraphs) {
        const auto color = p.color ? AttributedBuilder::wordColor(*p.color) : std::nullopt;
        painter.setPen(color.value_or(Qt::black));
        y += drawText(painter, QRectF(box.left(), y, box.width(), 0), alignOf(p), QString::fromStdString(p.text),
                      fontOf(p, size, share), true);
    }
    painter.restore();
}

qreal textHeight(const QString& text, const QFont& font, qreal width, bool wrap) {
    qreal height = 0;
    layOut(text, font, width, Qt::AlignLeft, wrap, height);
    return height;
}

qreal drawText(QPainter& painter, const QRectF& box, int align, const QString& text, const QFont& font, bool wrap) {
    qreal height = 0;
    const auto layout = layOut(text, font, box.width(), align, wrap, height);
    qreal top = box.top();
    if (align & Qt::AlignVCenter) top += (box.height() - height) / 2;
    if (align & Qt::AlignBottom) top += box.height() - height;
    layout->draw(&painter, QPointF(box.left(), top));
    return height;
}

void draw(QPainter& painter, const rovuvuz::DrawingGraphic& graphic, const QRectF& box) {
    if (!box.isValid()) return;
    switch (graphic.kind) {
        case rovuvuz::DrawingGraphic::Kind::diagram:
            drawDiagram(painter, graphic, box);
            break;
        case rovuvuz::DrawingGraphic::Kind::chart:
            if (graphic.chart) drawChart(painter, *graphic.chart, box);
            break;
        default:
            break;
    }
}

}  // namespace tovin::GraphicFrames
