#include "Tovin/text/BandTextView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <cmath>

namespace tovin {

BandTextView::BandTextView(QWidget* parent) : QTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
}

int BandTextView::fittedHeight(int width) {
    document()->setTextWidth(width);
    return int(std::ceil(document()->size().height()));
}

QMenu* BandTextView::contextMenu(const QPoint& at) {
    return createStandardContextMenu(at);
}

void BandTextView::contextMenuEvent(QContextMenuEvent* event) {
    const QPointer<QMenu> menu = contextMenu(event->pos());
    menu->exec(event->globalPos());
    delete menu.data();
}

}  // namespace tovin
