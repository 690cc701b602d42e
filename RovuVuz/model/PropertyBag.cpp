#include "RovuVuz/model/PropertyBag.h"

#include <array>
#include <limits>
#include <string>
#include <unordered_map>

#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace SchemaOrder {

namespace {

using RankTable = std::unordered_map<std::string_view, int>;

template <size_t N>
RankTable makeTable(const std::array<std::string_view, N>& names) {
    RankTable table;
    for (size_t i = 0; i < names.size(); ++i) table.emplace(names[i], static_cast<int>(i));
    return table;
}

// CT_RPr's element sequence, with the revision markers that may follow it.
constexpr std::array<std::string_view, 44> runNames = {
    "rStyle", "rFonts",   "b",         "bCs",    "i",        "iCs",         "caps",      "smallCaps",
    "strike", "dstrike",  "outline",   "shadow", "emboss",   "imprint",     "noProof",   "snapToGrid",
    "vanish", "webHidden", "color",    "spacing", "w",       "kern",        "position",  "sz",
    "szCs",   "highlight", "u",        "effect", "bdr",      "shd",         "fitText",   "vertAlign",
    "rtl",    "cs",       "em",        "lang",   "eastAsianLayout", "specVanish", "oMath", "ins",
    "del",    "moveFrom", "moveTo",    "rPrChange"};

// CT_PPr's element sequence.
constexpr std::array<std::string_view, 36> paragraphNames = {
    "pStyle",     "keepNext",       "keepLines",        "pageBreakBefore", "framePr",        "widowControl",
    "numPr",      "suppressLineNumbers", "pBdr",        "shd",             "tabs",           "suppressAutoHyphens",
    "kinsoku",    "wordWrap",       "overflowPunct",    "topLinePunct",    "autoSpaceDE",    "autoSpaceDN",
    "bidi",       "adjustRightInd", "snapToGrid",       "spacing",         "ind",            "contextualSpacing",
    "mirrorIndents", "suppressOverlap", "jc",           "textDirection",   "textAlignment",  "textboxTightWrap",
    "outlineLvl", "divId",          "cnfStyle",         "rPr",             "sectPr",         "pPrChange"};

std::optional<int> lookup(const RankTable& table, std::string_view local) {
    const auto found = table.find(local);
    if (found == table.end()) return std::nullopt;
    return found->second;
}

}  // namespace

std::optional<int> runRank(std::string_view local) {
    static const RankTable table = makeTable(runNames);
    return lookup(table, local);
}

std::optional<int> paragraphRank(std::string_view local) {
    static const RankTable table = makeTable(paragraphNames);
    return lookup(table, local);
}

}  // namespace SchemaOrder

std::string_view PropertyBag::Child::local() const {
    return Markup::localOf(Markup::startTagName(bytes.chars()).value_or(std::string_view()));
}

std::optional<ByteView> PropertyBag::child(std::string_view local) const {
    for (const Child& c : children)
        if (c.local() == local) return c.bytes.view();
    return std::nullopt;
}

std::optional<bool> PropertyBag::toggle(std::string_view local) const {
    const auto bytes = child(local);
    if (!bytes) return std::nullopt;
    return Markup::isOn(Markup::attribute("val", *bytes));
}

bool PropertyBag::isEmpty() const {
    for (const Child& c : children)
        if (!c.local().empty()) return false;
    return true;
}

std::optional<int> PropertyBag::rank(std::string_view local) const {
    const std::string_view qname = tags.qname();
    const bool paragraphProperties = qname.size() >= 3 && qname.substr(qname.size() - 3) == "pPr";
    return paragraphProperties ? SchemaOrder::paragraphRank(local) : SchemaOrder::runRank(local);
}

void PropertyBag::set(std::string_view local, std::optional<ByteView> bytes) {
    auto found = std::find_if(children.begin(), children.end(), [&](const Child& c) { return c.local() == local; });
    if (found != children.end()) {
        if (bytes && found->bytes.sameBytes(*bytes)) return;
        original.reset();
        if (bytes)
            found->bytes = ByteSlice::copyOf(*bytes);
        else
            children.erase(found);
        return;
    }
    original.reset();
    if (!bytes) return;
    // Before the first ranked child that ranks strictly higher; unranked children
    // (whitespace, comments, unknown elements) never stop the search.
    const int newRank = rank(local).value_or(std::numeric_limits<int>::max());
    auto position = std::find_if(children.begin(), children.end(), [&](const Child& c) {
        const auto childRank = rank(c.local());
        return childRank && *childRank > newRank;
    });
    children.insert(position, Child{ByteSlice::copyOf(*bytes)});
}

void PropertyBag::set(std::string_view local, const Markup::Attributes& attributes) {
    const std::string_view prefix = tags.prefix();
    const auto qualified = [&](std::string_view name) {
        return prefix.empty() ? std::string(name) : std::string(prefix) + ":" + std::string(name);
    };
    Markup::Attributes prefixed;
    for (const auto& [name, value] : attributes) prefixed.emplace_back(qualified(name), value);
    const std::string element = Markup::startTag(qualified(local), prefixed, Markup::SelfClosing::Yes);
    set(local, asBytes(element));
}

void PropertyBag::serialize(Bytes& out) const {
    if (original) {
        append(out, original->view());
        return;
    }
    const size_t contentStart = tags.open(out);
    for (const Child& c : children) append(out, c.bytes.view());
    tags.close(out, contentStart);
}

Bytes PropertyBag::serialized() const {
    Bytes out;
    serialize(out);
    return out;
}

std::optional<PropertyBag> PropertyBag::parse(ByteView bytes) {
    try {
        const XMLTree tree(bytes);
        PropertyBag bag = read(tree, tree.root());
        bag.original = ByteSlice(tree.sharedBytes(), ByteRange{0, bytes.size()});
        return bag;
    } catch (const XMLError&) {
        return std::nullopt;
    }
}

PropertyBag PropertyBag::read(const XMLTree& tree, const ByteSlice& whole, int node) {
    PropertyBag bag;
    bag.tags = Tags::read(tree, whole, node);
    for (int child : tree.children(node))
        bag.children.push_back(PropertyBag::Child{whole.sub(tree.range(child))});
    bag.original = whole.sub(tree.range(node));
    return bag;
}

PropertyBag PropertyBag::read(const XMLTree& tree, int node) {
    return read(tree, ByteSlice(tree.sharedBytes(), ByteRange{0, tree.bytes().size()}), node);
}

}  // namespace rovuvuz
