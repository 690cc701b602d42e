#include "Tovin/tables/CellTextView.h"

#include <QKeyEvent>
#include <QMenu>

#include "Tovin/tables/TableView.h"

namespace tovin {

CellTextView::CellTextView(TableView* table, int row, int column, QWidget* parent)
    : BandTextView(parent), table_(table), row_(row), column_(column) {
    setObjectName(QStringLiteral("TableCell"));
}

QMenu* CellTextView::editingMenu(const QPoint& at) {
    QMenu* menu = BandTextView::editingMenu(at);
    if (!table_) return menu;
    QAction* first = menu->actions().value(0);
    menu->insertActions(first, table_->menuItems(row_, column_, menu));
    menu->insertSeparator(first);
    return menu;
}

void CellTextView::keyPressEvent(QKeyEvent* event) {
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tab || !table_) return BandTextView::keyPressEvent(event);
    if (event->modifiers() & Qt::ControlModifier) {
        textCursor().insertText(QStringLiteral("\t"));
        return event->accept();
    }
    const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    event->accept();
    table_->moveFrom(this, !back);
}

}  // namespace tovin
