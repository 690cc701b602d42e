#include "RovuVuz/model/DisplayText.h"

#include <algorithm>
#include <array>

namespace rovuvuz::DisplayText {

namespace {

using Type = RunItem::Type;

constexpr std::array<std::string_view, 13> visibleRawNames = {
    "fldSimple",        "sdt",    "oMath", "oMathPara", "smartTag", "moveFrom", "moveTo", "customXml",
    "AlternateContent", "object", "pict",  "dir",       "bdo"};

constexpr char16_t objectCharacter[] = u"\uFFFC";
constexpr char16_t tabCharacter[] = u"\t";
constexpr char16_t lineSeparator[] = u"\u2028";

}  // namespace

bool isVisibleRaw(std::string_view local) {
    return std::find(visibleRawNames.begin(), visibleRawNames.end(), local) != visibleRawNames.end();
}

std::u16string_view displayText(const RunItem::Kind& kind) {
    switch (kind.type) {
        case Type::text:
        case Type::delText:
            return kind.text;
        case Type::object:
        case Type::noteRef:
        case Type::pageBreak:
            return objectCharacter;
        case Type::tab:
            return tabCharacter;
        case Type::lineBreak:
            return lineSeparator;
        default:
            return {};
    }
}

size_t length(const RunItem::Kind& kind) {
    return displayText(kind).size();
}

size_t length(const Raw& raw) {
    const auto local = raw.local();
    return local && isVisibleRaw(*local) ? 1 : 0;
}

size_t length(const Run& run) {
    size_t total = 0;
    for (const RunItem& item : run.items) total += length(item.kind);
    return total;
}

size_t length(const Inline& node) {
    if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) return length(**run);
    if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node))
        return length((*container)->inlines);
    if (const auto* raw = std::get_if<Raw>(&node)) return length(*raw);
    return 0;
}

size_t length(const std::vector<Inline>& inlines) {
    size_t total = 0;
    for (const Inline& node : inlines) total += length(node);
    return total;
}

namespace {

// Recursion follows container nesting, which the story parser bounds (StoryParser::maxDepth).
void appendVisible(const std::vector<Inline>& inlines, std::u16string& out) {
    for (const Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            for (const RunItem& item : (*run)->items) out += displayText(item.kind);
        } else if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            appendVisible((*container)->inlines, out);
        } else if (const auto* raw = std::get_if<Raw>(&node)) {
            if (length(*raw) > 0) out += objectCharacter;
        }
    }
}

}  // namespace

std::u16string visibleText(const std::vector<Inline>& inlines) {
    std::u16string out;
    appendVisible(inlines, out);
    return out;
}

}  // namespace rovuvuz::DisplayText
