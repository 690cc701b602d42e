#include "Tovin/text/RevisionMarks.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "Tovin/text/TextProperties.h"
#include "Tovin/text/Theme.h"

namespace tovin::RevisionMarks {

namespace {

const QString pilcrowSign(QChar(0x00B6));
constexpr qreal barWidth = 2;

// The format the paragraph's end is drawn in: its last character's, or its own when empty.
QTextCharFormat endFormat(const QTextBlock& block) {
    QTextCharFormat format = block.charFormat();
    for (auto it = block.begin(); !it.atEnd(); ++it) format = it.fragment().charFormat();
    return format;
}

}  // namespace

std::optional<Pilcrow> pilcrow(const QTextBlock& block, const QPalette& palette) {
    if (!block.isValid()) return std::nullopt;
    const auto revision = revisionProperty(block.blockFormat(), TextProperty::markRevision);
    const QTextLayout* layout = block.layout();
    if (!revision || !layout || layout->lineCount() == 0) return std::nullopt;
    Pilcrow mark;
    mark.font = endFormat(block).font();
    mark.font.setUnderline(false);
    mark.font.setStrikeOut(false);
    mark.color = revision->kind == rovuvuz::RevisionKind::remove ? Theme::brick.resolve(palette)
                                                                 : Theme::cobalt.resolve(palette);
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const int end = block.length() - 1;
    mark.baseline = layout->position() + QPointF(last.cursorToX(end) + 1, last.y() + last.ascent());
    return mark;
}

std::optional<QLineF> changeBar(const QTextBlock& block, qreal x) {
    if (!block.isValid() || !block.blockFormat().boolProperty(TextProperty::changeBar)) return std::nullopt;
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) return std::nullopt;
    const QTextLine first = layout->lineAt(0);
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const qreal top = layout->position().y() + first.y();
    const qreal bottom = layout->position().y() + last.y() + last.height();
    return QLineF(x, top, x, bottom);
}

void draw(QPainter& painter, const QTextDocument& document, const QRectF& area, const QPalette& palette,
          qreal barX) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const int start = std::max(layout->hitTest(QPointF(0, area.top()), Qt::FuzzyHit), 0);
    painter.save();
    for (QTextBlock block = document.findBlock(start); block.isValid(); block = block.next()) {
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.top() > area.bottom()) break;
        if (bounds.bottom() < area.top()) continue;
        if (const auto mark = pilcrow(block, palette)) {
            painter.setFont(mark->font);
            painter.setPen(mark->color);
            painter.drawText(mark->baseline, pilcrowSign);
        }
        if (const auto bar = changeBar(block, barX)) {
            painter.setPen(QPen(Theme::labelColor(Theme::Label::secondary, palette), barWidth));
            painter.drawLine(*bar);
        }
    }
    painter.restore();
}

}  // namespace tovin::RevisionMarks
