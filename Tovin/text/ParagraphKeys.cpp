#include "Tovin/text/ParagraphKeys.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>

namespace tovin::ParagraphKeys {

bool handle(QTextEdit& view, const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool extend = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    if (!extend && modifiers != Qt::ControlModifier) return false;
    if (key.key() != Qt::Key_Down && key.key() != Qt::Key_Up) return false;
    QTextCursor cursor = view.textCursor();
    const auto mode = extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    if (key.key() == Qt::Key_Down) {
        // The last paragraph has no next one: its end.
        if (!cursor.movePosition(QTextCursor::NextBlock, mode)) cursor.movePosition(QTextCursor::EndOfBlock, mode);
    } else if (cursor.atBlockStart()) {
        cursor.movePosition(QTextCursor::PreviousBlock, mode);
    } else {
        cursor.movePosition(QTextCursor::StartOfBlock, mode);
    }
    view.setTextCursor(cursor);
    view.ensureCursorVisible();
    return true;
}

}  // namespace tovin::ParagraphKeys
