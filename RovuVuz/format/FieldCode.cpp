#include "RovuVuz/format/FieldCode.h"

#include "RovuVuz/format/NumberText.h"

namespace rovuvuz {

namespace {

// Field instructions stay short in practice; a hostile one is read only this far.
constexpr size_t longestCode = 4096;
constexpr size_t mostWords = 64;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The words of an instruction: runs of non-space, or text in double quotes (quotes
// removed, \" and \\ kept as the character they escape).
std::vector<std::string> words(std::string_view code) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < code.size() && out.size() < mostWords) {
        while (i < code.size() && isSpace(code[i])) ++i;
        if (i == code.size()) break;
        std::string word;
        if (code[i] == '"') {
            for (++i; i < code.size() && code[i] != '"'; ++i) {
                if (code[i] == '\\' && i + 1 < code.size() && (code[i + 1] == '"' || code[i + 1] == '\\')) ++i;
                word += code[i];
            }
            ++i;  // the closing quote
        } else {
            while (i < code.size() && !isSpace(code[i])) word += code[i++];
        }
        out.push_back(std::move(word));
    }
    return out;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The general formatting switch's number formats (§17.16.4.3): the letter case of the
// argument chooses the case of letters and Roman numerals.
std::optional<std::string> numberFormatOf(std::string_view argument) {
    const std::string key = upper(argument);
    const bool lowerCase = !argument.empty() && argument[0] >= 'a' && argument[0] <= 'z';
    if (key == "ROMAN") return lowerCase ? "lowerRoman" : "upperRoman";
    if (key == "ALPHABETIC") return lowerCase ? "lowerLetter" : "upperLetter";
    if (key == "ARABIC") return "decimal";
    if (key == "ORDINAL") return "ordinal";
    if (key == "CARDTEXT") return "cardinalText";
    if (key == "ORDTEXT") return "ordinalText";
    if (key == "HEX") return "hex";
    if (key == "ARABICDASH") return "numberInDash";
    if (key == "DOLLARTEXT") return "cardinalText";
    return std::nullopt;
}

std::optional<FieldInstruction::TextCase> textCaseOf(std::string_view argument) {
    const std::string key = upper(argument);
    if (key == "CAPS") return FieldInstruction::TextCase::caps;
    if (key == "FIRSTCAP") return FieldInstruction::TextCase::firstCap;
    if (key == "UPPER") return FieldInstruction::TextCase::upper;
    if (key == "LOWER") return FieldInstruction::TextCase::lower;
    return std::nullopt;
}

// Case switches work on ASCII letters here: the texts they meet in page numbers (Roman
// numerals, English words) are ASCII.
std::string applyCase(std::string text, FieldInstruction::TextCase textCase) {
    using C = FieldInstruction::TextCase;
    const auto toUpper = [](char& c) { if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A'); };
    const auto toLower = [](char& c) { if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a'); };
    bool wordStart = true;
    bool seenLetter = false;
    for (char& c : text) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (textCase == C::upper) toUpper(c);
        if (textCase == C::lower) toLower(c);
        if (letter && wordStart && textCase == C::caps) toUpper(c);
        if (letter && !seenLetter && textCase == C::firstCap) toUpper(c);
        seenLetter = seenLetter || letter;
        wordStart = c == ' ' || c == '-';
    }
    return text;
}

}  // namespace

FieldInstruction FieldInstruction::parse(std::string_view code) {
    FieldInstruction field;
    const std::vector<std::string> all = words(code.substr(0, std::min(code.size(), longestCode)));
    if (all.empty()) return field;
    field.name = upper(all[0]);
    if (field.name == "PAGE") field.kind = Kind::page;
    if (field.name == "NUMPAGES") field.kind = Kind::numPages;
    if (field.name == "SECTIONPAGES") field.kind = Kind::sectionPages;
    for (size_t i = 1; i < all.size(); ++i) {
        const std::string& word = all[i];
        if (word.size() < 2 || word[0] != '\\') {
            field.arguments.push_back(word);
            continue;
        }
        // \* \# \@ take an argument; other switches (\h, \p, \o) are flags.
        std::string argument;
        const bool takes = word == "\\*" || word == "\\#" || word == "\\@";
        if (takes && i + 1 < all.size()) argument = all[++i];
        if (word == "\\*") {
            if (auto format = numberFormatOf(argument)) field.numberFormat = std::move(format);
            if (const auto textCase = textCaseOf(argument)) field.textCase = *textCase;
        }
        field.switches.emplace_back(word, std::move(argument));
    }
    return field;
}

std::string FieldInstruction::number(int64_t n, std::string_view sectionFormat, std::string_view language) const {
    const std::string_view format = numberFormat ? std::string_view(*numberFormat)
                                    : sectionFormat.empty() ? std::string_view("decimal")
                                                            : sectionFormat;
    return applyCase(NumberText::format(n, format, language), textCase);
}

}  // namespace rovuvuz
