#include "Tovin/text/WordCount.h"

#include <QTextBoundaryFinder>

namespace tovin {

int WordCount::of(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    int count = 0;
    while (finder.position() >= 0 && finder.position() < text.size()) {
        if (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem) ++count;
        if (finder.toNextBoundary() < 0) break;
    }
    return count;
}

int WordCount::count(const QStringList& paragraphs) {
    QHash<QString, int> counted;
    counted.reserve(paragraphs.size());
    broken_ = 0;
    int total = 0;
    for (const QString& paragraph : paragraphs) {
        auto found = counted.constFind(paragraph);
        if (found == counted.constEnd()) {
            const auto known = known_.constFind(paragraph);
            int words = 0;
            if (known != known_.constEnd()) {
                words = *known;
            } else {
                words = of(paragraph);
                ++broken_;
            }
            found = counted.insert(paragraph, words);
        }
        total += *found;
    }
    known_ = std::move(counted);  // paragraphs gone since are forgotten
    return total;
}

}  // namespace tovin
