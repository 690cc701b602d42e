#include "Tovin/platform/Spelling.h"

#include <hunspell.h>

#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <vector>

namespace tovin {

namespace {
// Hunspell refuses longer words; they are not checked.
constexpr int longestWord = 100;
}  // namespace

struct Spelling::Handle {
    Hunhandle* hunspell = nullptr;
    ~Handle() {
        if (hunspell) Hunspell_destroy(hunspell);
    }
};

Spelling::Spelling(const QString& affPath, const QString& dicPath) {
    if (!QFileInfo::exists(affPath) || !QFileInfo::exists(dicPath)) return;
    handle_ = std::make_unique<Handle>();
    handle_->hunspell = Hunspell_create(affPath.toLocal8Bit().constData(), dicPath.toLocal8Bit().constData());
    if (!handle_->hunspell) handle_.reset();
    language_ = QFileInfo(dicPath).completeBaseName();
}

Spelling::~Spelling() = default;

bool Spelling::isCorrect(const QString& word) const {
    if (!handle_ || word.isEmpty() || word.size() > longestWord) return true;
    for (QChar c : word)
        if (c.isDigit()) return true;
    // The Debian dictionaries are UTF-8; typographic apostrophes are spelt as ASCII there.
    QString plain = word;
    plain.replace(QChar(0x2019), u'\'');
    return Hunspell_spell(handle_->hunspell, plain.toUtf8().constData()) != 0;
}

QStringList Spelling::suggestions(const QString& word) const {
    QStringList out;
    if (!handle_ || word.isEmpty() || word.size() > longestWord) return out;
    char** list = nullptr;
    const int n = Hunspell_suggest(handle_->hunspell, &list, word.toUtf8().constData());
    for (int i = 0; i < n; ++i) out << QString::fromUtf8(list[i]);
    if (list) Hunspell_free_list(handle_->hunspell, &list, n);
    return out;
}

std::vector<Spelling::Miss> Spelling::misspellings(const QString& text) const {
    std::vector<Miss> out;
    if (!handle_) return out;
    for (const Miss& word : words(text))
        if (!isCorrect(text.mid(word.start, word.length))) out.push_back(word);
    return out;
}

std::vector<Spelling::Miss> Spelling::words(const QString& text) {
    std::vector<Miss> out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    int start = -1;
    while (finder.position() >= 0) {
        const auto reasons = finder.boundaryReasons();
        if ((reasons & QTextBoundaryFinder::EndOfItem) && start >= 0) {
            out.push_back({start, int(finder.position()) - start});
            start = -1;
        }
        if (reasons & QTextBoundaryFinder::StartOfItem) start = finder.position();
        if (finder.position() >= text.size() || finder.toNextBoundary() < 0) break;
    }
    return out;
}

}  // namespace tovin
