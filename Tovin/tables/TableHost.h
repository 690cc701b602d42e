// Keeps the live table views of one text view where their attachment characters are: after
// every layout of the text, every scroll and every resize each table view is moved to its
// character's rectangle in the viewport; a table whose character has left the text is
// hidden. It also has the text measure one table's line again when the table's size
// changed (and only then: the rest of the text keeps its layout).
#pragma once

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <memory>
#include <vector>

#include "RovuVuz/model/Identifiers.h"

class QTextEdit;

namespace tovin {

class TableAttachment;
class TextAttachment;
class TableView;

class TableHost : public QObject {
    Q_OBJECT
  public:
    // The host of a text view, made on first use (a child of the view).
    static TableHost* of(QTextEdit* view);

    // A table view was made in this text: place it once the text is laid out.
    void watch();
    // Lays the table's character out again (its size changed).
    void remeasure(const TableAttachment* table);
    // Places every table view now.
    void place();
    // The views of the tables in the text, in text order.
    std::vector<TableView*> views();
    // The view of the table with this ID, in this text or inside the cells of its tables
    // whose views are built, laid out and placed; null when there is none.
    TableView* find(rovuvuz::BlockID table, int depth = 0);
    // The rectangle of a table's character in viewport coordinates; empty when the table is
    // not in the text.
    QRectF rectOf(const TableAttachment* table);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit TableHost(QTextEdit* view);
    void schedule();
    void rescan();
    int positionOf(const TableAttachment* table);

    struct Placed {
        int position = 0;
        std::weak_ptr<const TextAttachment> attachment;
    };
    QTextEdit* view_;
    std::vector<Placed> tables_;
    std::vector<QPointer<TableView>> shown_;
    bool stale_ = true;
    bool scheduled_ = false;
};

}  // namespace tovin
