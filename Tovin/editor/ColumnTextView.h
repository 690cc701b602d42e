// The body's text view: a column of the page's text width at the display scale, centred
// in the view (leaving room for the comment rail on the right), with list labels drawn in
// the hanging space beside their paragraphs.
#pragma once

#include <QTextEdit>
#include <functional>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"

class QMenu;

namespace tovin {

class AttributedBuilder;

class ColumnTextView : public QTextEdit {
    Q_OBJECT
  public:
    explicit ColumnTextView(QWidget* parent = nullptr);

    // The column's width when the view is wide enough (page text width × 1.25).
    qreal columnWidth() const { return columnWidth_; }
    void setColumnWidth(qreal width);
    // Width kept free on the right for the comment rail.
    qreal railWidth() const { return railWidth_; }
    void setRailWidth(qreal width);
    // Space above and below the text.
    qreal top() const { return top_; }
    qreal bottom() const { return bottom_; }
    void setInsets(qreal top, qreal bottom);

    // The column as shown: min(columnWidth, width − rail − 64), at least 160, and its left
    // edge, half the remaining width but at least 32 from the view's side.
    qreal visibleColumnWidth() const;
    qreal columnX() const;

    // Shows a story's blocks as the builder styles them.
    void showBlocks(const std::vector<rovuvuz::BlockSnapshot>& blocks, const AttributedBuilder& builder);

    // The first line of the paragraph holding a character offset, in viewport coordinates;
    // empty when the offset is outside the text.
    QRectF lineRect(int offset) const;

    // The context menu at a point of the viewport: the spelling items for a misspelt word
    // under it (SpellingMenu), then the standard editing commands. The caller owns it.
    QMenu* contextMenu(const QPoint& at);

  Q_SIGNALS:
    // The column's geometry was laid out anew.
    void columnLaidOut();
    // Once, at the end of the view's first paint.
    void firstPainted();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A click in the space under a paragraph goes to that paragraph's end (ParagraphGaps).
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void layoutColumn();
    void applyThemeColours();
    void drawListLabels(const QRect& dirty);
    void drawRevisionMarks(const QRect& dirty);
    QPointF scrollOffset() const;

    qreal columnWidth_ = 612;
    qreal railWidth_ = 0;
    qreal top_ = 56;
    qreal bottom_ = 56;
    bool painted_ = false;
};

}  // namespace tovin
