#include "RovuVuz/format/Numbering.h"

#include <algorithm>
#include <limits>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/format/NumberText.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// Elements are matched by local name and attributes in their element's namespace
// (XMLTree::ownAttribute), whatever prefix the part binds the main namespace to.
constexpr std::string_view valAttribute = "val";
constexpr std::string_view levelAttribute = "ilvl";

std::optional<int> firstChild(const XMLTree& tree, int node, std::string_view local) {
    for (int child : tree.children(node))
        if (tree.kind(child) == XMLTree::Kind::element && tree.localName(child) == local) return child;
    return std::nullopt;
}

std::optional<std::string> childValue(const XMLTree& tree, int node, std::string_view local) {
    const auto child = firstChild(tree, node, local);
    return child ? tree.ownAttribute(*child, valAttribute) : std::nullopt;
}

std::optional<int64_t> integerAttribute(const XMLTree& tree, int node, std::string_view local) {
    const auto text = tree.ownAttribute(node, local);
    return text ? FormatValues::integer(*text) : std::nullopt;
}

std::optional<double> twipsAttribute(const XMLTree& tree, int node, std::string_view local) {
    const auto text = tree.ownAttribute(node, local);
    const auto value = text ? FormatValues::number(*text) : std::nullopt;
    if (!value) return std::nullopt;
    return FormatValues::twips(*value);
}

bool isLevel(int64_t level) {
    return level >= 0 && level < Numbering::levelCount;
}

Numbering::Level readLevel(const XMLTree& tree, int node) {
    Numbering::Level level;
    if (auto format = childValue(tree, node, "numFmt")) level.format = std::move(*format);
    if (auto text = childValue(tree, node, "lvlText")) level.text = std::move(*text);
    if (const auto start = firstChild(tree, node, "start"))
        if (const auto value = integerAttribute(tree, *start, valAttribute)) level.start = *value;
    const auto pPr = firstChild(tree, node, "pPr");
    if (const auto ind = pPr ? firstChild(tree, *pPr, "ind") : std::nullopt) {
        level.indentLeft = tree.ownAttribute(*ind, "left") ? twipsAttribute(tree, *ind, "left")
                                                           : twipsAttribute(tree, *ind, "start");
        level.hanging = twipsAttribute(tree, *ind, "hanging");
    }
    return level;
}

Numbering::Levels readAbstract(const XMLTree& tree, int node) {
    Numbering::Levels levels;
    for (int child : tree.children(node)) {
        if (tree.kind(child) != XMLTree::Kind::element || tree.localName(child) != "lvl") continue;
        // A level number outside 0…8 names no level (a file may say w:ilvl="12"); keeping
        // it would let a paragraph at that level reach the counter.
        const int64_t number = integerAttribute(tree, child, levelAttribute).value_or(0);
        if (isLevel(number)) levels[static_cast<size_t>(number)] = readLevel(tree, child);
    }
    return levels;
}

std::optional<Numbering::List> readList(const XMLTree& tree, int node) {
    auto abstract = childValue(tree, node, "abstractNumId");
    if (!abstract) return std::nullopt;
    Numbering::List list{std::move(*abstract), {}};
    for (int child : tree.children(node)) {
        if (tree.kind(child) != XMLTree::Kind::element || tree.localName(child) != "lvlOverride") continue;
        const auto level = integerAttribute(tree, child, levelAttribute);
        if (!level || !isLevel(*level)) continue;
        const auto startOverride = firstChild(tree, child, "startOverride");
        if (const auto start =
                startOverride ? integerAttribute(tree, *startOverride, valAttribute) : std::nullopt)
            list.starts[static_cast<size_t>(*level)] = *start;
    }
    return list;
}

// Cuts UTF-8 text after `limit` characters.
void truncate(std::string& text, size_t limit) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && characters++ == limit) {
            text.resize(i);
            return;
        }
    }
}

// Fills a level's template: "%k" stands for level k-1's number in that level's format.
// Placeholders of deeper levels stay as written.
std::string fillTemplate(const Numbering::Levels& levels, std::string_view text, int level,
                         const std::array<int64_t, Numbering::levelCount>& counts, std::string_view language) {
    std::string label;
    for (size_t i = 0; i < text.size(); ++i) {
        // Nothing past the longest label is kept, so a huge template stops early.
        if (label.size() > 4 * Numbering::longestLabel) break;
        const char c = text[i];
        const int k = i + 1 < text.size() ? text[i + 1] - '1' : -1;
        if (c != '%' || k < 0 || k > level) {
            label += c;
            continue;
        }
        const auto& definition = levels[static_cast<size_t>(k)];
        label +=
            Numbering::format(counts[static_cast<size_t>(k)], definition ? definition->format : "decimal", language);
        ++i;
    }
    truncate(label, Numbering::longestLabel);
    return label;
}

}  // namespace

Numbering::Numbering(std::optional<ByteView> data) {
    if (!data) return;
    try {
        const XMLTree tree(*data);
        for (int node : tree.children(tree.root())) {
            if (tree.kind(node) != XMLTree::Kind::element) continue;
            const std::string_view local = tree.localName(node);
            if (local == "abstractNum") {
                if (auto id = tree.ownAttribute(node, "abstractNumId"))
                    abstracts.insert_or_assign(std::move(*id), readAbstract(tree, node));
            } else if (local == "num") {
                auto id = tree.ownAttribute(node, "numId");
                auto list = id ? readList(tree, node) : std::nullopt;
                if (list) nums.insert_or_assign(std::move(*id), std::move(*list));
            }
        }
    } catch (const XMLError&) {
        abstracts.clear();
        nums.clear();
    }
}

const Numbering::Level* Numbering::level(const NumberingID& num, int level) const {
    if (!isLevel(level)) return nullptr;
    const auto list = nums.find(num.rawValue);
    if (list == nums.end()) return nullptr;
    const auto abstract = abstracts.find(list->second.abstract);
    if (abstract == abstracts.end()) return nullptr;
    const auto& definition = abstract->second[static_cast<size_t>(level)];
    return definition ? &*definition : nullptr;
}

std::optional<std::string> Numbering::Counter::next(const NumberingID& num, int level, std::string_view language) {
    const Level* definition = numbering_->level(num, level);
    if (!definition) return std::nullopt;
    const List& list = numbering_->nums.find(num.rawValue)->second;
    const Levels& levels = numbering_->abstracts.find(list.abstract)->second;
    const auto startOf = [&](size_t i) -> int64_t {
        if (list.starts[i]) return *list.starts[i];
        return levels[i] ? levels[i]->start : 1;
    };

    auto found = lists_.find(num.rawValue);
    if (found == lists_.end()) found = lists_.emplace(num.rawValue, State{}).first;
    State& state = found->second;
    const auto at = static_cast<size_t>(level);
    for (size_t i = 0; i <= at; ++i)
        if (!state.started[i]) state.counts[i] = startOf(i) - 1;
    // Starts fit 32 bits, so only an absurdly long story could reach the limit.
    if (state.counts[at] < std::numeric_limits<int64_t>::max()) ++state.counts[at];
    state.started[at] = true;
    // A deeper level starts again after each item above it (1. a) b) 2. a)).
    for (size_t j = at + 1; j < levelCount; ++j) state.started[j] = false;

    if (definition->format == "bullet") {
        std::string label = bullet(definition->text);
        truncate(label, longestLabel);
        return label;
    }
    if (definition->format == "none") return std::string();
    return fillTemplate(levels, definition->text, level, state.counts, language);
}

std::string Numbering::format(int64_t n, std::string_view format, std::string_view language) {
    return NumberText::format(n, format, language);
}

std::string Numbering::letters(int64_t n) {
    if (n < 1) return {};
    const int64_t repeats = (n - 1) / 26 + 1;
    const auto letter = static_cast<char>('A' + (n - 1) % 26);
    return std::string(static_cast<size_t>(std::min<int64_t>(repeats, longestNumber)), letter);
}

std::string Numbering::roman(int64_t n) {
    if (n < 1) return {};
    if (n / 1000 >= static_cast<int64_t>(longestNumber)) return std::string(longestNumber, 'M');
    static constexpr std::pair<int64_t, std::string_view> numerals[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    std::string result;
    for (const auto& [value, numeral] : numerals)
        for (; n >= value; n -= value) result += numeral;
    truncate(result, longestNumber);
    return result;
}

std::string Numbering::bullet(std::string_view text) {
    // Word writes symbol-font bullets as private-use characters of the Symbol and
    // Wingdings fonts (U+F0xx); each is shown as the Unicode character it draws.
    static constexpr std::pair<std::string_view, std::string_view> known[] = {
        {"\uF0B7", "\u2022"}, {"\u2022", "\u2022"}, {"\uF0A7", "\u25AA"}, {"\uF06E", "\u25AA"},
        {"o", "\u25E6"},      {"\uF0D8", "\u27A2"}, {"\uF0FC", "\u2713"}, {"", "\u2022"}};
    for (const auto& [written, shown] : known)
        if (text == written) return std::string(shown);
    // U+F000…U+F0FF is EF 80 80 … EF 83 BF in UTF-8.
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    if (text.size() >= 3 && byte(0) == 0xEF && byte(1) >= 0x80 && byte(1) <= 0x83) return "\u2022";
    return std::string(text);
}

}  // namespace rovuvuz
