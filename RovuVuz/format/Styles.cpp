#include "RovuVuz/format/Styles.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <unordered_set>

#include <utf8proc.h>

#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// Elements are matched by local name and attributes in their element's namespace
// (XMLTree::ownAttribute), so a part that binds the main namespace to another prefix than
// w:, or makes it the default one, reads the same.

// The direct-property caches are keyed by the bags' bytes; past this many key bytes they
// start over, so a document of endlessly varied run properties cannot grow them unbounded.
constexpr size_t directCacheBytes = 1 << 20;

std::optional<int> firstChild(const XMLTree& tree, int node, std::string_view local) {
    for (int child : tree.children(node))
        if (tree.kind(child) == XMLTree::Kind::element && tree.localName(child) == local) return child;
    return std::nullopt;
}

Style::Kind kindOf(const std::optional<std::string>& type) {
    if (type == "character") return Style::Kind::character;
    if (type == "table") return Style::Kind::table;
    if (type == "numbering") return Style::Kind::numbering;
    return Style::Kind::paragraph;
}

constexpr std::string_view styleChildren[] = {"name", "basedOn", "semiHidden", "hidden", "qFormat",
                                              "uiPriority", "rPr", "pPr", "tblPr", "tcPr"};

ByteSlice sliceOf(const XMLTree& tree, int node) {
    return ByteSlice(tree.sharedBytes(), tree.range(node));
}

// A w:tblStylePr: one conditional format of a table style; nothing for an unknown type.
std::optional<Style::Conditional> readConditional(const XMLTree& tree, int node) {
    const auto type = tree.ownAttribute(node, "type");
    const auto condition = type ? tableConditionNamed(*type) : std::nullopt;
    if (!condition) return std::nullopt;
    Style::Conditional conditional{*condition, {}, {}, {}};
    for (int child : tree.childElements(node)) {
        const std::string_view local = tree.localName(child);
        if (local == "rPr" && !conditional.rPr) conditional.rPr = PropertyBag::read(tree, child);
        if (local == "pPr" && !conditional.pPr) conditional.pPr = PropertyBag::read(tree, child);
        if (local == "tcPr" && !conditional.tcPr) conditional.tcPr = sliceOf(tree, child);
    }
    return conditional;
}

Style readStyle(const XMLTree& tree, int node, std::string id) {
    Style style;
    style.id = StyleID{std::move(id)};
    style.kind = kindOf(tree.ownAttribute(node, "type"));
    const auto isDefault = tree.ownAttribute(node, "default");
    style.isDefault = isDefault == "1" || isDefault == "true" || isDefault == "on";
    std::optional<std::string> name;
    uint32_t seen = 0;
    for (int child : tree.children(node)) {
        if (tree.kind(child) != XMLTree::Kind::element) continue;
        const std::string_view local = tree.localName(child);
        if (local == "tblStylePr") {
            if (auto conditional = readConditional(tree, child)) style.conditionals.push_back(std::move(*conditional));
            continue;
        }
        const auto known = std::find(std::begin(styleChildren), std::end(styleChildren), local);
        const uint32_t bit = 1u << (known - std::begin(styleChildren));
        if (known == std::end(styleChildren) || (seen & bit)) continue;  // the first of each name counts
        seen |= bit;
        if (local == "name") {
            name = tree.ownAttribute(child, "val");
        } else if (local == "basedOn") {
            if (auto base = tree.ownAttribute(child, "val")) style.basedOn = StyleID{std::move(*base)};
        } else if (local == "semiHidden" || local == "hidden") {
            style.hidden = true;
        } else if (local == "qFormat") {
            style.quickFormat = true;
        } else if (local == "uiPriority") {
            const auto value = tree.ownAttribute(child, "val");
            const auto priority = value ? FormatValues::integer(*value) : std::nullopt;
            if (priority) style.priority = static_cast<int>(*priority);
        } else if (local == "rPr") {
            style.rPr = PropertyBag::read(tree, child);
        } else if (local == "pPr") {
            style.pPr = PropertyBag::read(tree, child);
        } else if (local == "tblPr") {
            style.tblPr = sliceOf(tree, child);
        } else if (local == "tcPr") {
            style.tcPr = sliceOf(tree, child);
        }
    }
    style.name = name ? std::move(*name) : style.id.rawValue;
    return style;
}

std::optional<PropertyBag> defaultBag(const XMLTree& tree, int docDefaults, std::string_view wrapper,
                                      std::string_view bag) {
    const auto outer = firstChild(tree, docDefaults, wrapper);
    const auto inner = outer ? firstChild(tree, *outer, bag) : std::nullopt;
    if (!inner) return std::nullopt;
    return PropertyBag::read(tree, *inner);
}

// NFC, so that a name typed with combining marks sorts with its precomposed twin. Names
// that are not valid UTF-8 sort by their bytes.
std::string normalised(const std::string& name) {
    utf8proc_uint8_t* nfc = utf8proc_NFC(reinterpret_cast<const utf8proc_uint8_t*>(name.c_str()));
    if (!nfc) return name;
    std::string result(reinterpret_cast<const char*>(nfc));
    std::free(nfc);
    return result;
}

// The concatenated bytes of a bag's children: everything a change is read from.
std::string childBytes(const PropertyBag& bag) {
    std::string key;
    for (const PropertyBag::Child& child : bag.children) key += child.bytes.chars();
    return key;
}

// One key for a (table style, paragraph style) pair and the table conditions in force.
// Each id is written with its length, so no two pairs share a key whatever the ids
// contain; "-" stands for no style.
std::string pairKey(const std::optional<StyleID>& table, const std::optional<StyleID>& paragraph,
                    TableConditions conditions = 0) {
    std::string key = conditions ? std::to_string(conditions) + "#" : std::string();
    for (const auto* id : {&table, &paragraph}) {
        if (!*id) {
            key += '-';
            continue;
        }
        key += std::to_string((*id)->rawValue.size());
        key += ':';
        key += (*id)->rawValue;
    }
    return key;
}

}  // namespace

StyleSheet::StyleSheet(std::optional<ByteView> data, std::optional<ByteView> themeData)
    : theme(themeFonts(themeData)) {
    if (!data) return;
    std::optional<XMLTree> tree;
    try {
        tree.emplace(share(Bytes(data->begin(), data->end())));
    } catch (const XMLError&) {
        return;
    }
    for (int node : tree->children(tree->root())) {
        if (tree->kind(node) != XMLTree::Kind::element) continue;
        const std::string_view local = tree->localName(node);
        if (local == "docDefaults") {
            runDefaults = defaultBag(*tree, node, "rPrDefault", "rPr");
            paragraphDefaults = defaultBag(*tree, node, "pPrDefault", "pPr");
        } else if (local == "style") {
            auto id = tree->ownAttribute(node, "styleId");
            if (!id) continue;
            Style style = readStyle(*tree, node, std::move(*id));
            if (style.isDefault && style.kind == Style::Kind::paragraph) defaultParagraphStyle = style.id;
            StyleID key = style.id;
            styles.insert_or_assign(std::move(key), std::move(style));
        }
    }
}

ThemeFonts StyleSheet::themeFonts(std::optional<ByteView> data) {
    ThemeFonts fonts;
    if (!data) return fonts;
    try {
        const XMLTree tree(*data);
        // Node indices follow document order, so a later a:majorFont overwrites an earlier one.
        for (size_t i = 0; i < tree.nodeCount(); ++i) {
            const int node = static_cast<int>(i);
            if (tree.kind(node) != XMLTree::Kind::element) continue;
            const std::string_view local = tree.localName(node);
            if (local != "majorFont" && local != "minorFont") continue;
            const auto latin = firstChild(tree, node, "latin");
            auto typeface = latin ? tree.attribute(*latin, "typeface") : std::nullopt;
            if (typeface && !typeface->empty())
                fonts[local == "majorFont" ? "major" : "minor"] = std::move(*typeface);
        }
    } catch (const XMLError&) {
        return {};
    }
    return fonts;
}

const Style* StyleSheet::find(const StyleID& id) const {
    const auto found = styles.find(id);
    return found == styles.end() ? nullptr : &found->second;
}

std::vector<Style> StyleSheet::chain(const std::optional<StyleID>& id) const {
    std::vector<Style> result;
    std::unordered_set<std::string> visited;
    for (const Style* style = id ? find(*id) : nullptr; style && visited.insert(style->id.rawValue).second;
         style = style->basedOn ? find(*style->basedOn) : nullptr)
        result.push_back(*style);
    std::reverse(result.begin(), result.end());
    return result;
}

StyleSheet::Resolved StyleSheet::ownChange(const Style& style) const {
    Resolved change;
    if (style.rPr) change.run = RunFormatDelta::read(*style.rPr, theme);
    if (style.pPr) change.paragraph = ParagraphFormatDelta::read(*style.pPr);
    return change;
}

// A style's chain is its own change over its base's chain, so each style is resolved once
// on top of the one it is based on, walking iteratively (a chain may be 100,000 styles
// long). A style on a basedOn cycle is different: its chain is the whole cycle starting
// from it, so every member of the cycle has its own; resolveCycle computes them together.
const StyleSheet::Resolved* StyleSheet::resolve(const StyleID& id) const {
    if (const auto found = resolved_.find(id.rawValue); found != resolved_.end()) return &found->second;
    std::vector<const Style*> walk;
    std::unordered_map<std::string_view, size_t> onWalk;
    const Resolved* below = nullptr;
    for (const Style* style = find(id); style; style = style->basedOn ? find(*style->basedOn) : nullptr) {
        // A resolved style's chain never leads back into this walk: had it done so, the
        // two would share a cycle, and a cycle is resolved whole.
        if (const auto done = resolved_.find(style->id.rawValue); done != resolved_.end()) {
            below = &done->second;
            break;
        }
        if (const auto seen = onWalk.find(style->id.rawValue); seen != onWalk.end()) {
            resolveCycle(std::vector<const Style*>(walk.begin() + seen->second, walk.end()));
            walk.resize(seen->second);
            below = &resolved_.at(style->id.rawValue);
            break;
        }
        onWalk.emplace(style->id.rawValue, walk.size());
        walk.push_back(style);
    }
    for (size_t unresolved = walk.size(); unresolved-- > 0;) {
        Resolved chain = below ? *below : Resolved{};
        const Resolved own = ownChange(*walk[unresolved]);
        chain.run.overlay(own.run);
        chain.paragraph.overlay(own.paragraph);
        below = &resolved_.insert_or_assign(walk[unresolved]->id.rawValue, std::move(chain)).first->second;
    }
    return below;
}

// Member i of a cycle c0 → c1 → … → c(L-1) → c0 has the chain c(i+L-1), …, c(i+1), c(i):
// for each field the nearest member from i onwards that states it wins. Sweeping twice
// around the cycle backwards, each member overlaid on what follows it, gives every member
// that answer in linear time.
void StyleSheet::resolveCycle(const std::vector<const Style*>& cycle) const {
    std::vector<Resolved> own;
    own.reserve(cycle.size());
    for (const Style* style : cycle) own.push_back(ownChange(*style));
    Resolved sweep;
    for (size_t j = 2 * cycle.size(); j-- > 0;) {
        const Resolved& member = own[j % cycle.size()];
        sweep.run.overlay(member.run);
        sweep.paragraph.overlay(member.paragraph);
        if (j < cycle.size()) resolved_.insert_or_assign(cycle[j]->id.rawValue, sweep);
    }
}

const RunFormatDelta& StyleSheet::directRun(const PropertyBag& bag) const {
    std::string key = childBytes(bag);
    if (const auto found = directRuns_.find(key); found != directRuns_.end()) return found->second;
    if (directBytes_ + key.size() > directCacheBytes) {
        directRuns_.clear();
        directParagraphs_.clear();
        directBytes_ = 0;
    }
    directBytes_ += key.size();
    return directRuns_.emplace(std::move(key), RunFormatDelta::read(bag, theme)).first->second;
}

const ParagraphFormatDelta& StyleSheet::directParagraph(const PropertyBag& bag) const {
    std::string key = childBytes(bag);
    if (const auto found = directParagraphs_.find(key); found != directParagraphs_.end())
        return found->second;
    if (directBytes_ + key.size() > directCacheBytes) {
        directRuns_.clear();
        directParagraphs_.clear();
        directBytes_ = 0;
    }
    directBytes_ += key.size();
    return directParagraphs_.emplace(std::move(key), ParagraphFormatDelta::read(bag)).first->second;
}

RunFormat StyleSheet::runFormat(const std::optional<StyleID>& paragraph, const PropertyBag* direct,
                                const std::optional<StyleID>& table, TableConditions conditions) const {
    const std::optional<StyleID>& paragraphStyle = paragraph ? paragraph : defaultParagraphStyle;
    if (!table) conditions = 0;
    std::string key = pairKey(table, paragraphStyle, conditions);
    auto base = runBases_.find(key);
    if (base == runBases_.end()) {
        RunFormat format;
        if (runDefaults) format.merge(*runDefaults, theme);
        if (const Resolved* r = resolve(table)) r->run.applyTo(format);
        if (conditions) {
            const TableStyle& conditional = tableStyle(table);
            for (size_t c = 0; c < tableConditionCount; ++c)
                if (conditions & (1u << c)) conditional.conditions[c].run.applyTo(format);
        }
        if (const Resolved* r = resolve(paragraphStyle)) r->run.applyTo(format);
        base = runBases_.emplace(std::move(key), std::move(format)).first;
    }
    if (!direct) return base->second;
    RunFormat format = base->second;
    const RunFormatDelta& own = directRun(*direct);
    if (own.style && *own.style)
        if (const Resolved* r = resolve(**own.style)) r->run.applyTo(format);
    own.applyTo(format);
    return format;
}

ParagraphFormat StyleSheet::paragraphFormat(const PropertyBag* direct, const std::optional<StyleID>& table,
                                            TableConditions conditions) const {
    const ParagraphFormatDelta* own = direct ? &directParagraph(*direct) : nullptr;
    const std::optional<StyleID>& style =
        own && own->style && *own->style ? *own->style : defaultParagraphStyle;
    if (!table) conditions = 0;
    std::string key = pairKey(table, style, conditions);
    auto base = paragraphBases_.find(key);
    if (base == paragraphBases_.end()) {
        ParagraphFormat format;
        if (paragraphDefaults) format.merge(*paragraphDefaults);
        if (const Resolved* r = resolve(table)) r->paragraph.applyTo(format);
        if (conditions) {
            const TableStyle& conditional = tableStyle(table);
            for (size_t c = 0; c < tableConditionCount; ++c)
                if (conditions & (1u << c)) conditional.conditions[c].paragraph.applyTo(format);
        }
        if (const Resolved* r = resolve(style)) r->paragraph.applyTo(format);
        base = paragraphBases_.emplace(std::move(key), std::move(format)).first;
    }
    ParagraphFormat format = base->second;
    if (own) own->applyTo(format);
    format.style = style;
    return format;
}

std::vector<TabStop> StyleSheet::tabStops(const std::optional<StyleID>& style, const PropertyBag* direct,
                                          const std::optional<StyleID>& table) const {
    std::string key = pairKey(table, style);
    auto base = tabBases_.find(key);
    if (base == tabBases_.end()) {
        std::vector<TabStop> stops;
        const auto applyBag = [&](const std::optional<PropertyBag>& bag) {
            if (const auto tabs = bag ? bag->child("tabs") : std::nullopt) TabStops::apply(stops, TabStops::read(*tabs));
        };
        applyBag(paragraphDefaults);
        for (const Style& s : chain(table)) applyBag(s.pPr);
        for (const Style& s : chain(style)) applyBag(s.pPr);
        base = tabBases_.emplace(std::move(key), std::move(stops)).first;
    }
    const auto own = direct ? direct->child("tabs") : std::nullopt;
    if (!own) return base->second;
    std::vector<TabStop> stops = base->second;
    TabStops::apply(stops, TabStops::read(*own));
    return stops;
}

const TableStyle& StyleSheet::tableStyle(const std::optional<StyleID>& id) const {
    const std::string key = id ? id->rawValue : std::string();
    if (const auto found = tableStyles_.find(key); found != tableStyles_.end()) return found->second;
    TableStyle merged;
    for (const Style& style : chain(id)) {
        if (style.tblPr) merged.table.overlay(TableProperties::read(style.tblPr->view()));
        if (style.tcPr) merged.cell.overlay(CellProperties::read(style.tcPr->view()));
        for (const Style::Conditional& conditional : style.conditionals) {
            ConditionalFormat& format = merged.conditions[static_cast<size_t>(conditional.condition)];
            format.stated = true;
            if (conditional.rPr) format.run.overlay(RunFormatDelta::read(*conditional.rPr, theme));
            if (conditional.pPr) format.paragraph.overlay(ParagraphFormatDelta::read(*conditional.pPr));
            if (conditional.tcPr) format.cell.overlay(CellProperties::read(conditional.tcPr->view()));
        }
    }
    return tableStyles_.emplace(key, std::move(merged)).first->second;
}

std::vector<Style> StyleSheet::menu() const {
    std::vector<const Style*> listed;
    std::vector<std::string> names;
    for (const auto& [id, style] : styles) {
        if (style.kind != Style::Kind::paragraph || (style.hidden && !style.quickFormat)) continue;
        listed.push_back(&style);
        names.push_back(normalised(style.name));
    }
    std::vector<size_t> order(listed.size());
    std::iota(order.begin(), order.end(), 0);
    // std::string compares as unsigned bytes, and UTF-8 byte order is code-point order.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (listed[a]->priority != listed[b]->priority) return listed[a]->priority < listed[b]->priority;
        return names[a] < names[b];
    });
    std::vector<Style> result;
    result.reserve(order.size());
    for (size_t i : order) result.push_back(*listed[i]);
    return result;
}

}  // namespace rovuvuz
