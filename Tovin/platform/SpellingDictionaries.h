// The installed Hunspell dictionaries, one per language, loaded when a word of that language
// is first checked. A run's language (w:lang, a BCP 47 tag such as "en-US") finds the
// dictionary file named after it ("en_US.aff"/"en_US.dic"); a tag without a region finds the
// language's own ("fr_FR" for "fr") or else any of its regions. A language whose dictionary
// is not installed is not checked: its words would all look misspelt. Text that states no
// language is checked in the user's language (else American English).
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

namespace tovin {

class Spelling;

class SpellingDictionaries {
  public:
    // The folders named by $DICPATH (colon-separated, as Hunspell's own tools read it), else
    // /usr/share/hunspell.
    static SpellingDictionaries& shared();
    static QStringList defaultFolders();

    explicit SpellingDictionaries(QStringList folders);
    ~SpellingDictionaries();
    SpellingDictionaries(const SpellingDictionaries&) = delete;
    SpellingDictionaries& operator=(const SpellingDictionaries&) = delete;

    // The dictionary for a language tag; null when none is installed for it. An empty tag
    // gives the dictionary of the user's language.
    const Spelling* forLanguage(const QString& tag);
    // The dictionary file's base name ("en_US") a tag finds; empty when there is none.
    QString dictionaryName(const QString& tag) const;

  private:
    QString path(const QString& name, const QString& extension) const;
    bool installed(const QString& name) const;

    QStringList folders_;
    std::map<QString, std::unique_ptr<Spelling>> loaded_;  // by dictionary name
    std::map<QString, QString> names_;                     // tag → dictionary name, as found
};

}  // namespace tovin
