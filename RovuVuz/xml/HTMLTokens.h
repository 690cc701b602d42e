// A tolerant HTML tokenizer for what other programs put on the clipboard: start and end
// tags with their attributes, and text with character references decoded. It looks at each
// byte a bounded number of times and keeps no state beyond the token it is reading, so any
// input, however large, malformed or deeply nested, is read in one linear pass. Comments,
// doctypes, processing instructions and the content of script and style are skipped.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rovuvuz::HTMLTokens {

struct Tag {
    std::string name;  // lower case
    std::vector<std::pair<std::string, std::string>> attributes;  // names lower case, values decoded
    bool end = false;
    bool selfClosing = false;

    // The value of an attribute, or nothing.
    const std::string* attribute(std::string_view wanted) const;
};

struct Handler {
    std::function<void(const Tag&)> tag;
    std::function<void(std::string_view)> text;  // decoded, UTF-8
};

// Reads UTF-8 (invalid sequences repaired) and calls the handler for each token in order.
void read(std::string_view html, const Handler& handler);

// Decodes character references: the numeric ones and the named ones clipboards use
// (amp, lt, gt, quot, apos, nbsp and a few more); anything else stays as written.
std::string decode(std::string_view text);

}  // namespace rovuvuz::HTMLTokens
