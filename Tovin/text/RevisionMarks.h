// The tracked changes a paragraph's text cannot show itself, drawn beside it: an inserted or
// deleted paragraph mark as a pilcrow (¶) after the paragraph's last character, in the
// colour of insertions or deletions, and a format change of the paragraph or of any of its
// text as a bar in the margin beside its lines. Both are read from the block format the
// attributed builder gives the paragraph (TextProperties.h).
#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPointF>
#include <optional>

class QPainter;
class QPalette;
class QRectF;
class QTextBlock;
class QTextDocument;

namespace tovin::RevisionMarks {

struct Pilcrow {
    QFont font;
    QColor color;
    QPointF baseline;  // where the pilcrow's baseline starts, in document coordinates
};

// The pilcrow of a laid-out block whose mark is a tracked change; nothing otherwise.
std::optional<Pilcrow> pilcrow(const QTextBlock& block, const QPalette& palette);

// The bar beside a laid-out block with a tracked format change, at `x` (document
// coordinates), from the top of its first line to the bottom of its last.
std::optional<QLineF> changeBar(const QTextBlock& block, qreal x);

// Draws both for every block of `document` meeting `area` (document coordinates); the
// painter is in document coordinates too.
void draw(QPainter& painter, const QTextDocument& document, const QRectF& area, const QPalette& palette,
          qreal barX);

}  // namespace tovin::RevisionMarks
