#include "RovuVuz/edit/Find.h"

#include <utf8proc.h>

#include "RovuVuz/model/DisplayText.h"

namespace rovuvuz::Find {

namespace {

// Marks the display positions that lie in tracked deletions and in the old places of moved
// text, which a reader no longer sees. Container nesting is bounded by the story parser's
// depth limit.
void markDeleted(const std::vector<Inline>& inlines, bool deleted, std::vector<bool>& out) {
    for (const Inline& node : inlines) {
        if (const auto* c = std::get_if<std::unique_ptr<Container>>(&node)) {
            markDeleted((*c)->inlines, deleted || (*c)->isDeletion(), out);
            continue;
        }
        out.insert(out.end(), DisplayText::length(node), deleted);
    }
}

// Case folded code unit by code unit, so that offsets stay where they are; surrogates and
// characters whose lower case leaves the basic plane stay as they are.
std::u16string folded(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const utf8proc_int32_t lower = utf8proc_tolower(c);
        if (lower >= 0 && lower <= 0xFFFF) c = static_cast<char16_t>(lower);
    }
    return result;
}

bool isWordCharacter(char16_t c) {
    if (c == u'_') return true;
    if (c >= 0xD800 && c <= 0xDFFF) return true;  // half of a pair: treat as part of a word
    switch (utf8proc_category(c)) {
        case UTF8PROC_CATEGORY_LU:
        case UTF8PROC_CATEGORY_LL:
        case UTF8PROC_CATEGORY_LT:
        case UTF8PROC_CATEGORY_LM:
        case UTF8PROC_CATEGORY_LO:
        case UTF8PROC_CATEGORY_MN:
        case UTF8PROC_CATEGORY_MC:
        case UTF8PROC_CATEGORY_ND:
        case UTF8PROC_CATEGORY_NL:
        case UTF8PROC_CATEGORY_NO: return true;
        default: return false;
    }
}

}  // namespace

std::vector<TextRange> inParagraph(const Paragraph& paragraph, std::u16string_view needle, const FindOptions& options) {
    std::vector<TextRange> found;
    if (needle.empty()) return found;
    const std::u16string shown = DisplayText::visibleText(paragraph.inlines);
    std::vector<bool> deleted;
    markDeleted(paragraph.inlines, false, deleted);
    std::u16string read;
    std::vector<size_t> where;  // display offset of each code unit of `read`
    for (size_t i = 0; i < shown.size() && i < deleted.size(); ++i) {
        if (deleted[i]) continue;
        read += shown[i];
        where.push_back(i);
    }
    const std::u16string haystack = options.matchCase ? read : folded(read);
    const std::u16string pattern = options.matchCase ? std::u16string(needle) : folded(needle);
    for (size_t at = haystack.find(pattern); at != std::u16string::npos;) {
        const size_t end = at + pattern.size();
        const bool whole = !options.wholeWord || ((at == 0 || !isWordCharacter(read[at - 1])) &&
                                                  (end == read.size() || !isWordCharacter(read[end])));
        if (whole) found.push_back({where[at], where[end - 1] + 1});
        at = haystack.find(pattern, whole ? end : at + 1);
    }
    return found;
}

}  // namespace rovuvuz::Find
