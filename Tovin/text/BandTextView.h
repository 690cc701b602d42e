// The small editable text views around and inside the body: the header, footer and notes
// bands, and (through CellTextView) the cells of a table. A band is sized to its text and
// never scrolls itself.
#pragma once

#include <QPointer>
#include <QTextEdit>
#include <optional>

class QMenu;

namespace tovin {

class BandTextView : public QTextEdit {
    Q_OBJECT
  public:
    explicit BandTextView(QWidget* parent = nullptr);
    // The height the text needs at `width`.
    int fittedHeight(int width);

    // The context menu at a point of the viewport: the spelling items for a misspelt word
    // under it (SpellingMenu), then editingMenu's. The caller owns it.
    QMenu* contextMenu(const QPoint& at);

  protected:
    // The menu under the spelling items: the standard one here; a cell adds its table's
    // commands at the top.
    virtual QMenu* editingMenu(const QPoint& at);

  public:

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Tracked paragraph marks and format changes (RevisionMarks), the bars at the left edge.
    void paintEvent(QPaintEvent* event) override;
    // A click in the space under a paragraph goes to that paragraph's end (ParagraphGaps).
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace tovin
