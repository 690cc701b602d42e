#include "Tovin/editor/SpellingHighlighter.h"

#include <QTextCharFormat>

#include "Tovin/editor/Theme.h"
#include "Tovin/platform/Spelling.h"

namespace tovin {

namespace {
bool checking = true;
}

SpellingHighlighter::SpellingHighlighter(QTextDocument* document, const Spelling& spelling)
    : QSyntaxHighlighter(document), spelling_(spelling) {}

bool SpellingHighlighter::continuousChecking() {
    return checking;
}

void SpellingHighlighter::setContinuousChecking(bool on) {
    checking = on;
}

void SpellingHighlighter::highlightBlock(const QString& text) {
    if (!checking) return;
    // The layout lays these over the text's own formats: only the underline changes.
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline.setUnderlineColor(Theme::brick.resolve());
    for (const Spelling::Miss& miss : spelling_.misspellings(text))
        setFormat(miss.start, miss.length, underline);
}

}  // namespace tovin
