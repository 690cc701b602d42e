// The few regular expressions the engine runs on preserved XML text, through PCRE2: its
// matching is linear and non-recursive, so hostile text cannot blow the stack.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rovuvuz {

class Regex {
public:
    // Compiles a pattern known at build time; an invalid one is a programming error.
    explicit Regex(std::string_view pattern);
    ~Regex();
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    // The whole match and every capture group of the first match at or after `start`;
    // a group that took no part is empty.
    struct Match {
        size_t begin = 0, end = 0;
        std::vector<std::string> groups;  // groups[0] is the whole match
    };
    std::optional<Match> firstMatch(std::string_view text, size_t start = 0) const;
    // Replaces every match with what `replacement` makes of it.
    template <typename Make>
    std::string replaceAll(std::string_view text, Make&& replacement) const {
        std::string out;
        size_t at = 0;
        while (auto match = firstMatch(text, at)) {
            out.append(text.substr(at, match->begin - at));
            out.append(replacement(*match));
            at = match->end > match->begin ? match->end : match->end + 1;
            if (match->end == match->begin && match->end < text.size()) out.push_back(text[match->end]);
            if (at > text.size()) break;
        }
        if (at < text.size()) out.append(text.substr(at));
        return out;
    }

private:
    struct Compiled;
    std::unique_ptr<Compiled> compiled_;
};

}  // namespace rovuvuz
