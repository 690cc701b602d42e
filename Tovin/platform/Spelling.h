// One Hunspell dictionary (an installed <language>.aff and .dic; SpellingDictionaries finds
// them by language). Without a dictionary every word is taken as correct, so nothing is
// marked.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace tovin {

class Spelling {
  public:
    // Loads the dictionary at `affPath` and `dicPath`; unavailable when they do not load.
    Spelling(const QString& affPath, const QString& dicPath);
    ~Spelling();
    Spelling(const Spelling&) = delete;
    Spelling& operator=(const Spelling&) = delete;

    bool isAvailable() const { return handle_ != nullptr; }
    QString language() const { return language_; }

    // Whether one word is spelt correctly; words with digits are never marked.
    bool isCorrect(const QString& word) const;
    QStringList suggestions(const QString& word) const;

    // The [start, end) ranges of the misspelt words of a text, found by word breaking.
    struct Miss {
        int start = 0;
        int length = 0;
        bool operator==(const Miss&) const = default;
    };
    std::vector<Miss> misspellings(const QString& text) const;
    // The words of a text, by word breaking (spaces and punctuation are not words).
    static std::vector<Miss> words(const QString& text);

  private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    QString language_;
};

}  // namespace tovin
