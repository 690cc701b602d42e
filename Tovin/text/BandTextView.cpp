#include "Tovin/text/BandTextView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <cmath>

#include "Tovin/text/ParagraphGaps.h"
#include "Tovin/text/RevisionMarks.h"
#include "Tovin/text/SpellingMenu.h"

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
    QMenu* menu = editingMenu(at);
    SpellingMenu::prepend(*menu, *this, at);
    return menu;
}

QMenu* BandTextView::editingMenu(const QPoint& at) {
    return createStandardContextMenu(at);
}

void BandTextView::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard (the Menu key) the menu is the caret's, its word's guesses included.
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? cursorRect().center() : event->pos();
    const QPointer<QMenu> menu = contextMenu(at);
    menu->exec(event->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(at) : event->globalPos());
    delete menu.data();
}

void BandTextView::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    RevisionMarks::draw(painter, *document(), event->rect(), palette(), 1);
}

void BandTextView::mousePressEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mousePressEvent(moved ? moved.get() : event);
}

void BandTextView::mouseMoveEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mouseMoveEvent(moved ? moved.get() : event);
}

void BandTextView::mouseReleaseEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mouseReleaseEvent(moved ? moved.get() : event);
}

void BandTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mouseDoubleClickEvent(moved ? moved.get() : event);
}

}  // namespace tovin
