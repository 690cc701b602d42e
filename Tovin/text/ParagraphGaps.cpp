#include "Tovin/text/ParagraphGaps.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace tovin::ParagraphGaps {

namespace {

QPointF scrolled(const QTextEdit& view) {
    return {qreal(view.horizontalScrollBar()->value()), qreal(view.verticalScrollBar()->value())};
}

}  // namespace

std::optional<QPointF> endAbove(const QTextEdit& view, QPointF at) {
    QTextDocument* text = view.document();
    const QPointF point = at + scrolled(view);
    const int hit = text->documentLayout()->hitTest(point, Qt::FuzzyHit);
    if (hit < 0) return std::nullopt;
    const QTextBlock below = text->findBlock(hit);
    const QTextBlock above = below.previous();
    if (!above.isValid() || !below.layout() || below.layout()->lineCount() == 0 || !above.layout() ||
        above.layout()->lineCount() == 0)
        return std::nullopt;
    const QTextLayout& upper = *above.layout();
    const QTextLine last = upper.lineAt(upper.lineCount() - 1);
    const qreal gapTop = upper.position().y() + last.y() + last.height();
    const qreal gapBottom = below.layout()->position().y() + below.layout()->lineAt(0).y();
    if (point.y() < gapTop || point.y() >= gapBottom) return std::nullopt;
    // Just past the paragraph's last character, on the side its text runs to.
    const int end = above.length() - 1;
    const qreal step = above.textDirection() == Qt::RightToLeft ? -1 : 1;
    const QPointF target(upper.position().x() + last.cursorToX(end) + step,
                         upper.position().y() + last.y() + last.height() / 2);
    return target - scrolled(view);
}

std::unique_ptr<QMouseEvent> moved(const QTextEdit& view, const QMouseEvent& event) {
    const std::optional<QPointF> target = endAbove(view, event.position());
    if (!target) return nullptr;
    const QPointF shift = *target - event.position();
    return std::make_unique<QMouseEvent>(event.type(), *target, event.scenePosition() + shift,
                                         event.globalPosition() + shift, event.button(), event.buttons(),
                                         event.modifiers(), event.pointingDevice());
}

}  // namespace tovin::ParagraphGaps
