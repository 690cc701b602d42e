// A table shown as a grid of its cells' text: one attachment in the story's text, sized to
// the column, until the table has a view of its own. Cell text is plain, in the font of
// each cell's first run; merged cells span their columns, and a vertically merged cell
// continues the one above it.
#pragma once

#include <QFont>
#include <QString>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/editor/TextAttachment.h"

namespace tovin {

class AttributedBuilder;

class TableGridAttachment : public TextAttachment {
  public:
    TableGridAttachment(const rovuvuz::TableSnapshot& table, const AttributedBuilder& builder);
    QSizeF size() const override { return size_; }
    void draw(QPainter& painter, const QRectF& box) const override;

    struct Cell {
        QRectF frame;  // relative to the grid's top left
        QString text;
        QFont font;
        bool continues = false;  // a vertical merge's continuation: no top rule, no text
    };
    const std::vector<Cell>& cells() const { return cells_; }

    // Padding inside each cell, and the tallest grid drawn (rows past it are left out).
    static constexpr qreal padding = 6.75;
    static constexpr qreal tallest = 100000;

  private:
    std::vector<Cell> cells_;
    QSizeF size_;
};

}  // namespace tovin
