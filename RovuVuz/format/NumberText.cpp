#include "RovuVuz/format/NumberText.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/rbnf.h>
#include <unicode/uchar.h>
#include <unicode/ulocdata.h>
#include <unicode/uset.h>
#include <unicode/utf8.h>

#include "RovuVuz/format/Numbering.h"

namespace rovuvuz::NumberText {

namespace {

// How ICU writes a format: a rule-based format (spelled out, ordinal) with an optional
// rule set, or the decimal format of a numbering system ("hebr", "jpan", …).
struct IcuFormat {
    enum class Kind : uint8_t { spellout, ordinal, numberingSystem };
    Kind kind;
    std::string_view detail;  // the rule set (may be empty) or the numbering system
};

std::optional<IcuFormat> icuFormat(std::string_view format) {
    using K = IcuFormat::Kind;
    static constexpr std::pair<std::string_view, IcuFormat> known[] = {
        {"ordinal", {K::ordinal, ""}},
        {"cardinalText", {K::spellout, ""}},
        {"ordinalText", {K::spellout, "%spellout-ordinal"}},
        {"hebrew1", {K::numberingSystem, "hebr"}},
        {"hebrew2", {K::numberingSystem, "hebr"}},
        // ICU has no abjad or alphabetic Arabic system; its Arabic-Indic digits stand in.
        {"arabicAbjad", {K::numberingSystem, "arab"}},
        {"arabicAlpha", {K::numberingSystem, "arab"}},
        {"hindiNumbers", {K::numberingSystem, "arab"}},
        {"hindiCounting", {K::spellout, ""}},
        {"thaiNumbers", {K::numberingSystem, "thai"}},
        {"thaiCounting", {K::spellout, ""}},
        {"japaneseCounting", {K::numberingSystem, "jpan"}},
        {"japaneseDigitalTenThousand", {K::numberingSystem, "jpan"}},
        {"japaneseLegal", {K::numberingSystem, "jpanfin"}},
        {"chineseCounting", {K::numberingSystem, "hans"}},
        {"chineseCountingThousand", {K::numberingSystem, "hans"}},
        {"chineseLegalSimplified", {K::numberingSystem, "hansfin"}},
        {"taiwaneseCounting", {K::numberingSystem, "hant"}},
        {"taiwaneseCountingThousand", {K::numberingSystem, "hant"}},
        {"ideographLegalTraditional", {K::numberingSystem, "hantfin"}},
        {"ideographDigital", {K::numberingSystem, "hanidec"}},
        {"taiwaneseDigital", {K::numberingSystem, "hanidec"}},
        {"koreanDigital", {K::spellout, "%spellout-numbering"}},
        {"koreanCounting", {K::spellout, "%spellout-numbering"}},
        {"koreanLegal", {K::spellout, "%spellout-cardinal-native"}},
        {"decimalFullWidth", {K::numberingSystem, "fullwide"}},
        {"decimalFullWidth2", {K::numberingSystem, "fullwide"}},
    };
    for (const auto& [name, icu] : known)
        if (name == format) return icu;
    return std::nullopt;
}

// The language a format speaks whatever the paragraph's language is: counting words of
// one language are that language's.
std::string_view ownLanguage(std::string_view format, std::string_view language) {
    if (format.starts_with("korean")) return "ko";
    if (format == "hindiCounting") return "hi";
    if (format == "thaiCounting") return "th";
    return language;
}

icu::Locale localeOf(std::string_view language) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(language, status);
    if (U_FAILURE(status) || locale.isBogus() || std::string_view(locale.getLanguage()).empty())
        return icu::Locale("en", "US");
    return locale;
}

std::unique_ptr<icu::NumberFormat> makeFormatter(const IcuFormat& rule, std::string_view language) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = localeOf(language);
    std::unique_ptr<icu::NumberFormat> formatter;
    if (rule.kind == IcuFormat::Kind::numberingSystem) {
        locale.setKeywordValue("numbers", std::string(rule.detail).c_str(), status);
        if (U_FAILURE(status)) return nullptr;
        formatter.reset(icu::NumberFormat::createInstance(locale, status));
        if (formatter) formatter->setGroupingUsed(false);
    } else {
        const auto tag = rule.kind == IcuFormat::Kind::ordinal ? icu::URBNF_ORDINAL : icu::URBNF_SPELLOUT;
        auto rules = std::make_unique<icu::RuleBasedNumberFormat>(tag, locale, status);
        if (U_SUCCESS(status) && !rule.detail.empty()) {
            UErrorCode ruleStatus = U_ZERO_ERROR;
            rules->setDefaultRuleSet(icu::UnicodeString::fromUTF8(rule.detail), ruleStatus);
            // A language without that rule set keeps its default one.
        }
        formatter = std::move(rules);
    }
    if (U_FAILURE(status)) return nullptr;
    return formatter;
}

// Formatters are costly to build and a story asks for the same few again and again, so
// each thread keeps those it made; a document naming endless languages starts it over.
icu::NumberFormat* formatterFor(std::string_view format, const IcuFormat& rule, std::string_view language) {
    constexpr size_t mostKept = 64;
    thread_local std::map<std::string, std::unique_ptr<icu::NumberFormat>, std::less<>> kept;
    std::string key = std::string(format) + '|' + std::string(language);
    if (const auto found = kept.find(key); found != kept.end()) return found->second.get();
    if (kept.size() >= mostKept) kept.clear();
    return kept.emplace(std::move(key), makeFormatter(rule, language)).first->second.get();
}

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string appendCodePoint(std::string out, UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(buffer, length, U8_MAX_LENGTH, c, error);
    if (!error) out.append(buffer, static_cast<size_t>(length));
    return out;
}

// The letters a language counts with, in alphabetical order, from ICU's exemplar set.
std::vector<UChar32> alphabet(std::string_view language) {
    std::vector<UChar32> letters;
    UErrorCode status = U_ZERO_ERROR;
    ULocaleData* data = ulocdata_open(std::string(language).c_str(), &status);
    if (U_FAILURE(status)) return letters;
    USet* set = ulocdata_getExemplarSet(data, nullptr, 0, ULOCDATA_ES_STANDARD, &status);
    ulocdata_close(data);
    if (U_FAILURE(status) || !set) return letters;
    for (int32_t i = 0; i < uset_size(set); ++i) {
        const UChar32 c = uset_charAt(set, i);
        if (u_isalpha(c) && u_islower(c)) letters.push_back(c);
    }
    uset_close(set);
    return letters;
}

// Word counts Russian items а, б, в, …, я without the letters no word begins with (ъ, ы,
// ь) and without ё and й, then doubles them as it does Latin letters.
std::string russianLetter(int64_t n, bool upper) {
    thread_local const std::vector<UChar32> letters = [] {
        std::vector<UChar32> all = alphabet("ru");
        std::erase_if(all, [](UChar32 c) { return c == 0x451 || c == 0x439 || (c >= 0x44A && c <= 0x44C); });
        return all;
    }();
    if (n < 1 || letters.empty()) return {};
    const auto size = static_cast<int64_t>(letters.size());
    const UChar32 letter = letters[static_cast<size_t>((n - 1) % size)];
    const int64_t repeats = std::min<int64_t>((n - 1) / size + 1, Numbering::longestNumber);
    std::string out;
    for (int64_t i = 0; i < repeats; ++i) out = appendCodePoint(std::move(out), upper ? u_toupper(letter) : letter);
    return out;
}

// Unicode's enclosed numbers: circled 1 to 50, parenthesised and full-stopped 1 to 20.
std::optional<std::string> enclosed(int64_t n, std::string_view format) {
    if (format == "decimalEnclosedCircle" || format == "decimalEnclosedCircleChinese") {
        if (n >= 1 && n <= 20) return appendCodePoint({}, static_cast<UChar32>(0x2460 + n - 1));
        if (n >= 21 && n <= 35) return appendCodePoint({}, static_cast<UChar32>(0x3251 + n - 21));
        if (n >= 36 && n <= 50) return appendCodePoint({}, static_cast<UChar32>(0x32B1 + n - 36));
    } else if (format == "decimalEnclosedParen" && n >= 1 && n <= 20) {
        return appendCodePoint({}, static_cast<UChar32>(0x2474 + n - 1));
    } else if (format == "decimalEnclosedFullstop" && n >= 1 && n <= 20) {
        return appendCodePoint({}, static_cast<UChar32>(0x2488 + n - 1));
    }
    return std::nullopt;
}

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string hex(int64_t n, bool upper) {
    if (n < 0) return "-" + hex(n == INT64_MIN ? INT64_MAX : -n, upper);
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    do {
        const char d = digits[n % 16];
        out.insert(out.begin(), upper && d >= 'a' ? static_cast<char>(d - 'a' + 'A') : d);
        n /= 16;
    } while (n > 0);
    return out;
}

}  // namespace

std::string format(int64_t n, std::string_view format, std::string_view language) {
    if (format == "bullet" || format == "none") return {};
    if (format == "lowerLetter") return lower(Numbering::letters(n));
    if (format == "upperLetter") return Numbering::letters(n);
    if (format == "lowerRoman") return lower(Numbering::roman(n));
    if (format == "upperRoman") return Numbering::roman(n);
    if (format == "decimalZero" && n >= 0 && n <= 9) return "0" + std::to_string(n);
    if (format == "russianLower" || format == "russianUpper") return russianLetter(n, format == "russianUpper");
    if (format == "hex") return hex(n, true);
    if (format == "numberInDash") return "- " + std::to_string(n) + " -";
    if (auto circled = enclosed(n, format)) return std::move(*circled);
    if (const auto rule = icuFormat(format)) {
        const std::string_view speaking = ownLanguage(format, language.empty() ? defaultLanguage : language);
        if (icu::NumberFormat* formatter = formatterFor(format, *rule, speaking)) {
            icu::UnicodeString text;
            formatter->format(n, text);
            if (!text.isEmpty()) return utf8(text);
        }
    }
    return std::to_string(n);
}

}  // namespace rovuvuz::NumberText
