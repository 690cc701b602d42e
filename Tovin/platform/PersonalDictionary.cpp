#include "Tovin/platform/PersonalDictionary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tovin {

namespace {
// A learned word is a word, not a paragraph: longer lines of a damaged file are skipped.
constexpr int longestWord = 100;
// The file is the user's, but it is read whole: past this it is not read at all.
constexpr qint64 largestFile = 16 * 1024 * 1024;

QStringList cleaned(const QStringList& words) {
    QStringList out;
    QSet<QString> seen;
    for (const QString& line : words) {
        const QString word = line.trimmed();
        if (word.isEmpty() || word.size() > longestWord || seen.contains(word)) continue;
        seen.insert(word);
        out << word;
    }
    return out;
}
}  // namespace

PersonalDictionary& PersonalDictionary::shared() {
    static PersonalDictionary* dictionary = new PersonalDictionary;
    return *dictionary;
}

PersonalDictionary::PersonalDictionary() {
    reload();
}

QString PersonalDictionary::path() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("dictionary.txt"));
}

bool PersonalDictionary::contains(const QString& word) const {
    if (lookup_.contains(word)) return true;
    if (word.size() < 2 || !word[0].isUpper()) return false;
    return lookup_.contains(word[0].toLower() + word.mid(1));
}

bool PersonalDictionary::learn(const QString& word) {
    QStringList words = words_;
    words << word;
    return setWords(words);
}

bool PersonalDictionary::setWords(const QStringList& words) {
    const QStringList next = cleaned(words);
    if (next == words_) return true;
    words_ = next;
    lookup_ = QSet<QString>(words_.begin(), words_.end());
    const bool stored = store();
    Q_EMIT changed();
    return stored;
}

void PersonalDictionary::reload() {
    QFile file(path());
    QStringList words;
    if (file.size() <= largestFile && file.open(QIODevice::ReadOnly))
        words = QString::fromUtf8(file.readAll()).split(u'\n');
    words_ = cleaned(words);
    lookup_ = QSet<QString>(words_.begin(), words_.end());
    Q_EMIT changed();
}

bool PersonalDictionary::store() const {
    const QString file = path();
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    for (const QString& word : words_) out.write((word + u'\n').toUtf8());
    return out.commit();
}

}  // namespace tovin
