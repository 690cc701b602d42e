#include "Tovin/editor/SpellingHighlighter.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include "Tovin/editor/Theme.h"
#include "Tovin/platform/Spelling.h"

namespace tovin {

namespace {

bool checking = true;

// A paragraph's highlighter state: checked, or waiting to come into view.
constexpr int unchecked = 0;
constexpr int checked = 1;

}  // namespace

SpellingHighlighter::SpellingHighlighter(QTextDocument* document, const Spelling& spelling, QTextEdit* view)
    : QSyntaxHighlighter(document), spelling_(spelling), view_(view) {
    if (view_) view_->viewport()->installEventFilter(this);
}

bool SpellingHighlighter::continuousChecking() {
    return checking;
}

void SpellingHighlighter::setContinuousChecking(bool on) {
    checking = on;
}

// Laid out and within the viewport. A paragraph the lazy layout has not reached has no
// lines yet and is not asked for its position, which would lay out everything before it.
bool SpellingHighlighter::isShown(const QTextBlock& block) const {
    if (!view_) return true;
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) return false;
    const qreal top = view_->verticalScrollBar()->value();
    const qreal bottom = top + view_->viewport()->height();
    const QRectF bounds = layout->boundingRect().translated(layout->position());
    return bounds.bottom() >= top && bounds.top() <= bottom;
}

void SpellingHighlighter::highlightBlock(const QString& text) {
    if (!checking || !isShown(currentBlock())) {
        setCurrentBlockState(unchecked);
        return;
    }
    setCurrentBlockState(checked);
    // The layout lays these over the text's own formats: only the underline changes.
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline.setUnderlineColor(Theme::brick.resolve());
    for (const Spelling::Miss& miss : spelling_.misspellings(text))
        setFormat(miss.start, miss.length, underline);
}

bool SpellingHighlighter::eventFilter(QObject* watched, QEvent* event) {
    // After a paint (the view scrolled, resized or laid more out), the paragraphs now shown
    // that were never checked are checked on the next turn, outside the paint.
    if (event->type() == QEvent::Paint && checking && !checkScheduled_) {
        checkScheduled_ = true;
        QTimer::singleShot(0, this, &SpellingHighlighter::checkShownBlocks);
    }
    return QSyntaxHighlighter::eventFilter(watched, event);
}

void SpellingHighlighter::checkShownBlocks() {
    checkScheduled_ = false;
    if (!view_ || !checking) return;
    const QTextDocument* text = document();
    const QPointF top(0, view_->verticalScrollBar()->value());
    const int start = text->documentLayout()->hitTest(top, Qt::FuzzyHit);
    for (QTextBlock block = text->findBlock(std::max(start, 0)); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0) break;
        if (layout->position().y() > top.y() + view_->viewport()->height()) break;
        if (block.userState() != checked && isShown(block)) rehighlightBlock(block);
    }
}

}  // namespace tovin
