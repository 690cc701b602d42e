#define PCRE2_CODE_UNIT_WIDTH 8
#include "RovuVuz/xml/Regex.h"

#include <pcre2.h>

#include <stdexcept>

namespace rovuvuz {

struct Regex::Compiled {
    pcre2_code* code = nullptr;
    ~Compiled() { pcre2_code_free(code); }
};

Regex::Regex(std::string_view pattern) : compiled_(std::make_unique<Compiled>()) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    compiled_->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), PCRE2_UTF | PCRE2_NO_UTF_CHECK,
                                    &error, &offset, nullptr);
    if (!compiled_->code) throw std::logic_error("invalid regular expression: " + std::string(pattern));
}

Regex::~Regex() = default;

std::optional<Regex::Match> Regex::firstMatch(std::string_view text, size_t start) const {
    if (start > text.size()) return std::nullopt;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
        pcre2_match_data_create_from_pattern(compiled_->code, nullptr), &pcre2_match_data_free);
    // The engine's text is repaired UTF-8, but a check costs little and keeps PCRE2 safe.
    const int count = pcre2_match(compiled_->code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0,
                                  data.get(), nullptr);
    if (count <= 0) return std::nullopt;
    const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data.get());
    Match match;
    match.begin = vector[0];
    match.end = vector[1];
    for (int i = 0; i < count; ++i) {
        if (vector[2 * i] == PCRE2_UNSET)
            match.groups.emplace_back();
        else
            match.groups.emplace_back(text.substr(vector[2 * i], vector[2 * i + 1] - vector[2 * i]));
    }
    return match;
}

}  // namespace rovuvuz
