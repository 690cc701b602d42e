// A document's spelling checker: each word is looked up in the installed dictionary of its
// own language, after the words the user learned (every document's) and the words ignored
// in this document (for as long as it is open). Words of a language with no dictionary
// installed are never marked. `changed` tells the views to check their text again.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "Tovin/platform/Spelling.h"

namespace tovin {

class PersonalDictionary;
class SpellingDictionaries;

class WordChecker : public QObject {
    Q_OBJECT
  public:
    WordChecker(SpellingDictionaries& dictionaries, PersonalDictionary& personal, QObject* parent = nullptr);

    // The language of text that is not checked (BCP 47's "no linguistic content"): text
    // shown as deleted.
    static inline const QString unchecked = QStringLiteral("zxx");

    // A stretch of text in one language (a BCP 47 tag, empty when the text states none),
    // from `start` to the next stretch's start.
    struct LanguageRun {
        int start = 0;
        QString language;
        bool operator==(const LanguageRun&) const = default;
    };

    bool isCorrect(const QString& word, const QString& language) const;
    // At most `most` of the dictionary's guesses; none for a language without a dictionary.
    QStringList suggestions(const QString& word, const QString& language, int most) const;
    // The misspelt words of a text, found within each run and checked in its language
    // (`languages` in order of start; none means no language stated).
    std::vector<Spelling::Miss> misspellings(const QString& text,
                                             const std::vector<LanguageRun>& languages) const;

    // Ignore Spelling: the word is taken as correct in this document until it is closed.
    void ignore(const QString& word);
    // Learn Spelling: the word goes into the user's dictionary, for every document.
    bool learn(const QString& word);

  Q_SIGNALS:
    void changed();

  private:
    SpellingDictionaries& dictionaries_;
    PersonalDictionary& personal_;
    QSet<QString> ignored_;
};

}  // namespace tovin
