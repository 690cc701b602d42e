#include "Tovin/text/SpellingHighlighter.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QRegion>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include "Tovin/platform/Spelling.h"
#include "Tovin/text/TextProperties.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

bool checking = true;

// A paragraph's highlighter state: checked, or waiting to come into view.
constexpr int unchecked = 0;
constexpr int checked = 1;
constexpr int layoutPollMs = 100;

}  // namespace

SpellingHighlighter::SpellingHighlighter(QTextDocument* document, WordChecker& checker, QTextEdit* view)
    : QSyntaxHighlighter(document), checker_(&checker), view_(view) {
    if (view_) view_->viewport()->installEventFilter(this);
    connect(&checker, &WordChecker::changed, this, &QSyntaxHighlighter::rehighlight);
}

std::vector<WordChecker::LanguageRun> SpellingHighlighter::languages(const QTextBlock& block) {
    std::vector<WordChecker::LanguageRun> runs;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        const auto revision = revisionProperty(format, TextProperty::revision);
        // Deleted text is shown to be reviewed, not to be spelt.
        const QString language = revision && revision->kind == rovuvuz::RevisionKind::remove
                                     ? WordChecker::unchecked
                                     : format.stringProperty(TextProperty::language);
        if (!runs.empty() && runs.back().language == language) continue;
        runs.push_back({fragment.position() - block.position(), language});
    }
    return runs;
}

std::vector<Spelling::Miss> SpellingHighlighter::misspellings(const QTextBlock& block, const WordChecker& checker) {
    return checker.misspellings(block.text(), languages(block));
}

bool SpellingHighlighter::continuousChecking() {
    return checking;
}

void SpellingHighlighter::setContinuousChecking(bool on) {
    checking = on;
}

// Whether the view's text is laid out to its end. Underlines change a paragraph's layout;
// changed while Qt is still laying a long text out step by step, they make it stop short
// of the end, so nothing is underlined until it has finished.
bool SpellingHighlighter::laidOut() const {
    const QTextLayout* last = document()->lastBlock().layout();
    return last && last->lineCount() > 0;
}

// Laid out and on screen: within the part of the viewport that is visible, which for a
// band below the body's visible text is nothing. A paragraph's position is read only
// once the text is laid out, since asking for it earlier would lay out everything before it.
bool SpellingHighlighter::isShown(const QTextBlock& block) const {
    if (!view_) return true;
    if (!laidOut()) return false;
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) return false;
    const QRegion visible = view_->viewport()->visibleRegion();
    if (visible.isEmpty()) return false;
    const QPointF scrolled(view_->horizontalScrollBar()->value(), view_->verticalScrollBar()->value());
    const QRectF bounds = layout->boundingRect().translated(layout->position() - scrolled);
    return visible.intersects(bounds.toAlignedRect());
}

void SpellingHighlighter::highlightBlock(const QString& text) {
    if (!checking || !checker_ || !isShown(currentBlock())) {
        setCurrentBlockState(unchecked);
        return;
    }
    setCurrentBlockState(checked);
    // The layout lays these over the text's own formats: only the underline changes.
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline.setUnderlineColor(Theme::brick.resolve());
    for (const Spelling::Miss& miss : checker_->misspellings(text, languages(currentBlock())))
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
    if (!laidOut()) {
        // Qt is still laying the text out in steps; look again shortly.
        checkScheduled_ = true;
        QTimer::singleShot(layoutPollMs, this, &SpellingHighlighter::checkShownBlocks);
        return;
    }
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
