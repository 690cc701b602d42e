#include "Tovin/platform/WordChecker.h"

#include <algorithm>

#include "Tovin/platform/PersonalDictionary.h"
#include "Tovin/platform/SpellingDictionaries.h"

namespace tovin {

WordChecker::WordChecker(SpellingDictionaries& dictionaries, PersonalDictionary& personal, QObject* parent)
    : QObject(parent), dictionaries_(dictionaries), personal_(personal) {
    connect(&personal_, &PersonalDictionary::changed, this, &WordChecker::changed);
}

bool WordChecker::isCorrect(const QString& word, const QString& language) const {
    if (ignored_.contains(word) || personal_.contains(word)) return true;
    const Spelling* spelling = dictionaries_.forLanguage(language);
    return !spelling || spelling->isCorrect(word);
}

QStringList WordChecker::suggestions(const QString& word, const QString& language, int most) const {
    const Spelling* spelling = dictionaries_.forLanguage(language);
    if (!spelling) return {};
    QStringList guesses = spelling->suggestions(word);
    if (guesses.size() > most) guesses.resize(std::max(most, 0));
    return guesses;
}

std::vector<Spelling::Miss> WordChecker::misspellings(const QString& text,
                                                      const std::vector<LanguageRun>& languages) const {
    if (languages.empty()) return misspellings(text, {{0, QString()}});
    std::vector<Spelling::Miss> out;
    // Words are found within each run: where the language changes (or deleted text meets
    // the text that replaced it) a word ends even when no space does.
    for (size_t i = 0; i < languages.size(); ++i) {
        const int start = std::clamp(languages[i].start, 0, int(text.size()));
        const int end = i + 1 < languages.size() ? std::clamp(languages[i + 1].start, start, int(text.size()))
                                                 : int(text.size());
        if (languages[i].language == unchecked || end == start) continue;
        const QString stretch = text.mid(start, end - start);
        for (const Spelling::Miss& word : Spelling::words(stretch))
            if (!isCorrect(stretch.mid(word.start, word.length), languages[i].language))
                out.push_back({start + word.start, word.length});
    }
    return out;
}

void WordChecker::ignore(const QString& word) {
    if (word.isEmpty() || ignored_.contains(word)) return;
    ignored_.insert(word);
    Q_EMIT changed();
}

bool WordChecker::learn(const QString& word) {
    return personal_.learn(word);
}

}  // namespace tovin
