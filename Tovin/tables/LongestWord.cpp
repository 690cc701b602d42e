#include "Tovin/tables/LongestWord.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace tovin {

namespace {

bool endsWord(QChar c) {
    return c.isSpace() || c == QChar(0xFFFC) || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// The widest word of one paragraph, a word running on across runs of different fonts.
qreal longestIn(const QTextBlock& block) {
    qreal longest = 0;
    qreal word = 0;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QFontMetricsF metrics(fragment.charFormat().font());
        const QString text = fragment.text();
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && !endsWord(text[i])) continue;
            if (i > start) word += metrics.horizontalAdvance(text.mid(start, i - start));
            if (i < text.size()) {
                longest = std::max(longest, word);
                word = 0;
            }
            start = i + 1;
        }
    }
    longest = std::max(longest, word);
    const QTextBlockFormat format = block.blockFormat();
    const qreal indents = std::max<qreal>(format.leftMargin(), 0) + std::max<qreal>(format.rightMargin(), 0) +
                          std::max<qreal>(format.textIndent(), 0);
    return longest > 0 ? longest + indents : 0;
}

}  // namespace

qreal longestWord(const QTextDocument& document) {
    qreal longest = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        longest = std::max(longest, longestIn(block));
    return longest;
}

}  // namespace tovin
