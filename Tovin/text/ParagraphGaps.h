// Clicks in the space between paragraphs. The text layout gives the space after a paragraph
// and the space before the next one to the paragraph below, so a click just under a
// paragraph's last line would put the caret at the start of the next paragraph. To the
// reader that space belongs to the paragraph above it: a click there goes to its end.
#pragma once

#include <QMouseEvent>
#include <QPointF>
#include <memory>
#include <optional>

class QTextEdit;

namespace tovin::ParagraphGaps {

// Where a click at `at` (viewport coordinates) lands instead: a point just past the end of
// the paragraph above, when `at` lies in the space between that paragraph's last line and
// the first line of the paragraph below; nothing otherwise.
std::optional<QPointF> endAbove(const QTextEdit& view, QPointF at);

// The mouse event moved as endAbove says, or nothing when it stays where it is.
std::unique_ptr<QMouseEvent> moved(const QTextEdit& view, const QMouseEvent& event);

}  // namespace tovin::ParagraphGaps
