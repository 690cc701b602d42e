// The words of a text given paragraph by paragraph, as the platform's word breaking finds
// them. Each paragraph's count is kept under its text until the next count, so counting a
// long document again after an edit breaks only the paragraphs that changed.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace tovin {

class WordCount {
  public:
    // Runs that start a word item: punctuation, spaces and object characters are not words.
    static int of(const QString& text);

    // The words of all the paragraphs. No paragraph holds a word break across its end, so
    // the sum is the count of the paragraphs joined by line breaks.
    int count(const QStringList& paragraphs);
    // How many paragraphs the last count had to break (the others were known).
    int brokenLastTime() const { return broken_; }

  private:
    QHash<QString, int> known_;
    int broken_ = 0;
};

}  // namespace tovin
