#include "Tovin/platform/SpellingDictionaries.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "Tovin/platform/Spelling.h"

namespace tovin {

namespace {
const QString systemFolder = QStringLiteral("/usr/share/hunspell");
const QString fallbackName = QStringLiteral("en_US");
// Tags longer than this are not language tags a dictionary could be named after.
constexpr int longestTag = 35;
constexpr size_t mostTags = 256;
}  // namespace

SpellingDictionaries& SpellingDictionaries::shared() {
    static SpellingDictionaries dictionaries(defaultFolders());
    return dictionaries;
}

QStringList SpellingDictionaries::defaultFolders() {
    const QString fromEnvironment = qEnvironmentVariable("DICPATH");
    QStringList folders = fromEnvironment.split(u':', Qt::SkipEmptyParts);
    if (folders.isEmpty()) folders << systemFolder;
    return folders;
}

SpellingDictionaries::SpellingDictionaries(QStringList folders) : folders_(std::move(folders)) {}

SpellingDictionaries::~SpellingDictionaries() = default;

QString SpellingDictionaries::path(const QString& name, const QString& extension) const {
    for (const QString& folder : folders_) {
        const QString candidate = QDir(folder).filePath(name + extension);
        if (QFileInfo::exists(candidate)) return candidate;
    }
    return {};
}

bool SpellingDictionaries::installed(const QString& name) const {
    return !path(name, QStringLiteral(".dic")).isEmpty() && !path(name, QStringLiteral(".aff")).isEmpty();
}

QString SpellingDictionaries::dictionaryName(const QString& tag) const {
    if (tag.isEmpty()) {
        const QString own = QLocale().name();
        return installed(own) ? own : installed(fallbackName) ? fallbackName : QString();
    }
    if (tag.size() > longestTag) return {};
    // "en-US" is written "en_US" in dictionary names; a script subtag ("sr-Latn-RS") is
    // left out, as the dictionaries' names leave it out.
    QString normal = tag;
    normal.replace(u'_', u'-');
    const QStringList parts = normal.split(u'-');
    const QString language = parts.value(0).toLower();
    QString region;
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (parts[i].size() == 2 || (parts[i].size() == 3 && parts[i][0].isDigit()))
            region = parts[i].toUpper();
    if (language.isEmpty()) return {};
    if (!region.isEmpty()) return installed(language + u'_' + region) ? language + u'_' + region : QString();
    if (installed(language + u'_' + language.toUpper())) return language + u'_' + language.toUpper();
    if (installed(language)) return language;
    for (const QString& folder : folders_) {
        const QStringList regional =
            QDir(folder).entryList({language + QStringLiteral("_*.dic")}, QDir::Files, QDir::Name);
        for (const QString& file : regional) {
            const QString name = QFileInfo(file).completeBaseName();
            if (installed(name)) return name;
        }
    }
    return {};
}

const Spelling* SpellingDictionaries::forLanguage(const QString& tag) {
    auto named = names_.find(tag);
    // A document names few languages; one that names thousands is looked up each time.
    if (named == names_.end() && names_.size() < mostTags)
        named = names_.emplace(tag, dictionaryName(tag)).first;
    const QString name = named != names_.end() ? named->second : dictionaryName(tag);
    if (name.isEmpty()) return nullptr;
    auto found = loaded_.find(name);
    if (found == loaded_.end())
        found =
            loaded_.emplace(name, std::make_unique<Spelling>(path(name, ".aff"), path(name, ".dic"))).first;
    return found->second->isAvailable() ? found->second.get() : nullptr;
}

}  // namespace tovin
