// The words the user taught the spelling checker (Learn Spelling, and the list in Settings),
// shared by every document. They are kept one per line, UTF-8, in "dictionary.txt" in the
// user's data folder (QStandardPaths::AppDataLocation, ~/.local/share/Tovin/Tovin), written
// whenever the list changes, and read again when it is reloaded.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace tovin {

class PersonalDictionary : public QObject {
    Q_OBJECT
  public:
    static PersonalDictionary& shared();

    // The file the words are kept in (the folder is made when the words are first stored).
    static QString path();

    // Whether the word was learned; a capitalised word also matches its learned lower case,
    // as at the start of a sentence.
    bool contains(const QString& word) const;
    QStringList words() const { return words_; }

    // Adds one word (a word learned twice is kept once); false when the file cannot be
    // written, the word then being known for this session only.
    bool learn(const QString& word);
    // Replaces the whole list, as the Settings editor does; empty and repeated entries are
    // dropped.
    bool setWords(const QStringList& words);
    // Reads the file again (the data folder may have changed).
    void reload();

  Q_SIGNALS:
    void changed();

  private:
    PersonalDictionary();
    bool store() const;

    QStringList words_;
    QSet<QString> lookup_;
};

}  // namespace tovin
