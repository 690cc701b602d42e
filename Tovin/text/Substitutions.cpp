#include "Tovin/text/Substitutions.h"

#include <QVariantList>

#include "Tovin/platform/UserDefaults.h"

namespace tovin::Substitutions {

namespace {

const QString quotesKey = QStringLiteral("smartQuotes");
const QString dashesKey = QStringLiteral("smartDashes");
const QString replacementKey = QStringLiteral("textReplacement");
const QString listKey = QStringLiteral("textReplacements");

bool opensAfter(QChar previous) {
    static const QString openers = QStringLiteral("([{<\u2013\u2014\u201C\u2018/");
    return previous.isSpace() || openers.contains(previous);
}

std::optional<Change> quote(QStringView before) {
    const QChar typed = before.back();
    const qsizetype at = before.size() - 1;
    const std::optional<QChar> previous = at > 0 ? std::optional(before[at - 1]) : std::nullopt;
    const bool opening = !previous || opensAfter(*previous);
    if (typed == u'"') return Change{at, at + 1, QString(QChar(opening ? 0x201C : 0x201D))};
    // A single quote after a letter or digit is an apostrophe (it's, the '90s aside).
    return Change{at, at + 1, QString(QChar(opening ? 0x2018 : 0x2019))};
}

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber();
}

std::optional<Change> dash(QStringView before) {
    const qsizetype n = before.size();
    // "word--w": the second word's first character confirms an em dash.
    if (n >= 4 && isWordCharacter(before[n - 1]) && before[n - 2] == u'-' && before[n - 3] == u'-' &&
        isWordCharacter(before[n - 4]))
        return Change{n - 3, n - 1, QString(QChar(0x2014))};
    // "word -- ": spaced hyphens between words are an en dash.
    if (n >= 5 && before[n - 1] == u' ' && before[n - 2] == u'-' && before[n - 3] == u'-' && before[n - 4] == u' ' &&
        !before[n - 5].isSpace())
        return Change{n - 3, n - 1, QString(QChar(0x2013))};
    return std::nullopt;
}

std::optional<Change> replacement(QStringView before, const Options& options) {
    const QChar typed = before.back();
    if (!typed.isSpace() && !typed.isPunct()) return std::nullopt;
    const QStringView typedBefore = before.first(before.size() - 1);
    for (const auto& [shortcut, with] : options.replacements) {
        if (shortcut.isEmpty() || !typedBefore.endsWith(shortcut)) continue;
        const qsizetype start = typedBefore.size() - shortcut.size();
        if (start > 0 && !typedBefore[start - 1].isSpace()) continue;
        return Change{start, typedBefore.size(), with};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Change> after(QStringView before, const Options& options) {
    if (before.isEmpty()) return std::nullopt;
    const QChar typed = before.back();
    if (options.quotes && (typed == u'"' || typed == u'\'')) return quote(before);
    if (options.dashes)
        if (auto change = dash(before)) return change;
    if (options.replacement) return replacement(before, options);
    return std::nullopt;
}

Options current() {
    Options options;
    options.quotes = UserDefaults::boolean(quotesKey);
    options.dashes = UserDefaults::boolean(dashesKey);
    options.replacement = UserDefaults::boolean(replacementKey);
    for (const QVariant& entry : UserDefaults::value(listKey).toList()) {
        const QStringList pair = entry.toStringList();
        if (pair.size() == 2 && !pair[0].isEmpty()) options.replacements.emplace_back(pair[0], pair[1]);
    }
    return options;
}

void setQuotes(bool on) {
    UserDefaults::setValue(quotesKey, on);
}

void setDashes(bool on) {
    UserDefaults::setValue(dashesKey, on);
}

void setReplacement(bool on) {
    UserDefaults::setValue(replacementKey, on);
}

void setReplacements(const std::vector<std::pair<QString, QString>>& list) {
    QVariantList stored;
    for (const auto& [shortcut, with] : list) stored.append(QStringList{shortcut, with});
    UserDefaults::setValue(listKey, stored);
}

void registerDefaults() {
    QVariantList list;
    for (const auto& [shortcut, with] : std::vector<std::pair<const char*, const char*>>{
             {"(c)", "\u00A9"}, {"(r)", "\u00AE"}, {"(tm)", "\u2122"}, {"...", "\u2026"}})
        list.append(QStringList{QString::fromUtf8(shortcut), QString::fromUtf8(with)});
    UserDefaults::registerDefaults({{quotesKey, true}, {dashesKey, true}, {replacementKey, true}, {listKey, list}});
}

}  // namespace tovin::Substitutions
