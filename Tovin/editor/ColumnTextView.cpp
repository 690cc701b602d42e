#include "Tovin/editor/ColumnTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPaintEvent>
#include <QPointer>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <cmath>
#include <utility>

#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/DoubleUnderline.h"
#include "Tovin/text/ListLabels.h"
#include "Tovin/text/ParagraphGaps.h"
#include "Tovin/text/RevisionMarks.h"
#include "Tovin/text/SpellingMenu.h"
#include "Tovin/text/StoryText.h"
#include "Tovin/text/TextAttachment.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {
// Space kept between the column and the view's sides.
constexpr qreal sideMargin = 32;
constexpr qreal narrowestColumn = 160;
// From a change bar to the column's left edge.
constexpr qreal changeBarGap = 12;
}  // namespace

ColumnTextView::ColumnTextView(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setUndoRedoEnabled(false);
    registerAttachmentHandler(document());
    applyThemeColours();
    layoutColumn();
}

void ColumnTextView::applyThemeColours() {
    QPalette colours = QGuiApplication::palette();
    colours.setColor(QPalette::Base, Theme::paper.resolve(colours));
    colours.setColor(QPalette::Highlight, Theme::selection.resolve(colours));
    colours.setColor(QPalette::HighlightedText, colours.color(QPalette::Text));
    setPalette(colours);
}

void ColumnTextView::changeEvent(QEvent* event) {
    // The theme's colours follow the application between light and dark.
    if (event->type() == QEvent::ApplicationPaletteChange) applyThemeColours();
    QTextEdit::changeEvent(event);
}

void ColumnTextView::setColumnWidth(qreal width) {
    columnWidth_ = width;
    layoutColumn();
}

void ColumnTextView::setRailWidth(qreal width) {
    railWidth_ = width;
    layoutColumn();
}

void ColumnTextView::setInsets(qreal top, qreal bottom) {
    top_ = top;
    bottom_ = bottom;
    layoutColumn();
}

qreal ColumnTextView::visibleColumnWidth() const {
    const qreal bounds = viewport()->width();
    return std::max(std::min(columnWidth_, bounds - railWidth_ - 2 * sideMargin), narrowestColumn);
}

qreal ColumnTextView::columnX() const {
    const qreal bounds = viewport()->width();
    return std::max(sideMargin, std::floor((bounds - railWidth_ - visibleColumnWidth()) / 2));
}

// The column is the root frame's content: its margins place it in the viewport, whose
// full width the text layout spans. The frame is set only when it changes, since each
// change lays the whole text out again.
void ColumnTextView::layoutColumn() {
    const qreal width = visibleColumnWidth();
    const qreal x = columnX();
    const qreal right = std::max<qreal>(viewport()->width() - x - width, 0);
    QTextFrame* root = document()->rootFrame();
    QTextFrameFormat frame = root->frameFormat();
    auto near = [](qreal a, qreal b) { return std::abs(a - b) <= 0.5; };
    if (near(frame.leftMargin(), x) && near(frame.rightMargin(), right) && frame.topMargin() == top_ &&
        frame.bottomMargin() == bottom_)
        return;
    frame.setLeftMargin(x);
    frame.setRightMargin(right);
    frame.setTopMargin(top_);
    frame.setBottomMargin(bottom_);
    root->setFrameFormat(frame);
    Q_EMIT columnLaidOut();
}

void ColumnTextView::showBlocks(const std::vector<rovuvuz::BlockSnapshot>& blocks,
                                const AttributedBuilder& builder) {
    StoryText::fill(*document(), blocks, builder);
    moveCursor(QTextCursor::Start);
}

void ColumnTextView::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    layoutColumn();
}

void ColumnTextView::mousePressEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mousePressEvent(moved ? moved.get() : event);
}

void ColumnTextView::mouseMoveEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mouseMoveEvent(moved ? moved.get() : event);
}

void ColumnTextView::mouseReleaseEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mouseReleaseEvent(moved ? moved.get() : event);
}

void ColumnTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    const auto moved = ParagraphGaps::moved(*this, *event);
    QTextEdit::mouseDoubleClickEvent(moved ? moved.get() : event);
}

QPointF ColumnTextView::scrollOffset() const {
    return {static_cast<qreal>(horizontalScrollBar()->value()),
            static_cast<qreal>(verticalScrollBar()->value())};
}

QRectF ColumnTextView::lineRect(int offset) const {
    const QTextBlock block = document()->findBlock(offset);
    if (!block.isValid() || !block.layout() || block.layout()->lineCount() == 0) return {};
    const QTextLine line = block.layout()->lineAt(0);
    return line.rect().translated(block.layout()->position() - scrollOffset());
}

void ColumnTextView::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    drawListLabels(event->rect());
    drawRevisionMarks(event->rect());
    if (!painted_) {
        painted_ = true;
        Q_EMIT firstPainted();
    }
}

// Tracked paragraph marks and format changes; the change bars stand in the margin left of
// the column.
void ColumnTextView::drawRevisionMarks(const QRect& dirty) {
    const QPointF offset = scrollOffset();
    QPainter painter(viewport());
    painter.translate(-offset);
    RevisionMarks::draw(painter, *document(), QRectF(dirty).translated(offset), palette(),
                        columnX() - changeBarGap);
}

void ColumnTextView::drawListLabels(const QRect& dirty) {
    const QPointF offset = scrollOffset();
    const QRectF area = QRectF(dirty).translated(offset);
    QPainter painter(viewport());
    painter.translate(-offset);
    const QColor text = palette().color(QPalette::Text);
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    // Blocks from the first one at the top of the dirty area down to its bottom.
    const int start = layout->hitTest(QPointF(columnX(), area.top()), Qt::FuzzyHit);
    for (QTextBlock block = document()->findBlock(std::max(start, 0)); block.isValid();
         block = block.next()) {
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.top() > area.bottom()) break;
        if (bounds.bottom() < area.top()) continue;
        if (const auto placed = ListLabels::placement(block, text)) ListLabels::draw(painter, *placed);
        painter.setPen(text);
        DoubleUnderline::draw(painter, block);
    }
}

QMenu* ColumnTextView::contextMenu(const QPoint& at) {
    QMenu* menu = createStandardContextMenu(at);
    SpellingMenu::prepend(*menu, *this, at);
    return menu;
}

void ColumnTextView::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard (the Menu key) the menu is the caret's, its word's guesses included.
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? cursorRect().center() : event->pos();
    const QPointer<QMenu> menu = contextMenu(at);
    menu->exec(event->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(at) : event->globalPos());
    delete menu.data();
}

}  // namespace tovin
