// What typing turns into as it is typed: straight quotes into typographic ones by context,
// two hyphens between words into a dash, and the user's text replacements ("(c)" → "©").
// Each switch and the replacement list are the user's settings.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <utility>
#include <vector>

namespace tovin::Substitutions {

struct Options {
    bool quotes = true;
    bool dashes = true;
    bool replacement = true;
    std::vector<std::pair<QString, QString>> replacements;  // what is typed, what it becomes
};

// A stretch of the text before the caret to replace: [start, end) in UTF-16 offsets.
struct Change {
    qsizetype start = 0;
    qsizetype end = 0;
    QString with;
    bool operator==(const Change&) const = default;
};

// What the character just typed (the last one of `before`, the paragraph's text up to the
// caret) calls for, if anything.
// - A straight quote opens after the start, a space or an opening bracket or dash, and
//   closes elsewhere; a single one inside a word is an apostrophe.
// - "word--w" becomes "word—w" (em dash), "word -- " becomes "word – " (en dash).
// - A replacement's text, standing after the start or a space, is replaced once a space or
//   punctuation follows it.
std::optional<Change> after(QStringView before, const Options& options);

// The settings (UserDefaults keys "smartQuotes", "smartDashes", "textReplacement" and the
// list "textReplacements", as pairs).
Options current();
void setQuotes(bool on);
void setDashes(bool on);
void setReplacement(bool on);
void setReplacements(const std::vector<std::pair<QString, QString>>& list);
// The defaults registered at launch: every switch on, and a few common replacements.
void registerDefaults();

}  // namespace tovin::Substitutions
