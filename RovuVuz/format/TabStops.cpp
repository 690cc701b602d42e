#include "RovuVuz/format/TabStops.h"

#include <algorithm>
#include <cmath>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::TabStops {

namespace {

// A paragraph cannot hold more stops than this in Word; more in a file are ignored.
constexpr size_t mostStops = 64;

// Twips are whole numbers, so two stops a hundredth of a point apart are the same stop.
bool samePosition(double a, double b) {
    return std::abs(a - b) < 0.01;
}

std::optional<TabStop::Kind> kindOf(std::string_view val) {
    if (val == "left" || val == "start" || val == "num") return TabStop::Kind::left;
    if (val == "center") return TabStop::Kind::center;
    if (val == "right" || val == "end") return TabStop::Kind::right;
    if (val == "decimal") return TabStop::Kind::decimal;
    if (val == "bar") return TabStop::Kind::bar;
    return std::nullopt;
}

TabStop::Leader leaderOf(std::optional<std::string_view> val) {
    if (!val) return TabStop::Leader::none;
    if (*val == "dot") return TabStop::Leader::dot;
    if (*val == "hyphen") return TabStop::Leader::hyphen;
    if (*val == "underscore") return TabStop::Leader::underscore;
    if (*val == "heavy") return TabStop::Leader::heavy;
    if (*val == "middleDot") return TabStop::Leader::middleDot;
    return TabStop::Leader::none;
}

}  // namespace

std::vector<Change> read(ByteView tabs) {
    std::vector<Change> changes;
    try {
        const XMLTree tree(tabs);
        for (int tab : tree.childElements(tree.root())) {
            if (tree.localName(tab) != "tab" || changes.size() == mostStops) continue;
            const auto pos = tree.ownAttribute(tab, "pos");
            const auto position = pos ? FormatValues::number(*pos) : std::nullopt;
            const auto val = tree.ownAttribute(tab, "val");
            if (!position || !val) continue;
            Change change{FormatValues::twips(*position), std::nullopt};
            if (*val != "clear") {
                const auto kind = kindOf(*val);
                if (!kind) continue;
                const auto leader = tree.ownAttribute(tab, "leader");
                change.stop = TabStop{change.position, *kind, leaderOf(leader ? std::optional<std::string_view>(*leader) : std::nullopt)};
            }
            changes.push_back(std::move(change));
        }
    } catch (const XMLError&) {
        return {};
    }
    return changes;
}

void apply(std::vector<TabStop>& stops, const std::vector<Change>& changes) {
    for (const Change& change : changes) {
        std::erase_if(stops, [&](const TabStop& stop) { return samePosition(stop.position, change.position); });
        if (!change.stop || stops.size() == mostStops) continue;
        const auto at = std::upper_bound(stops.begin(), stops.end(), change.position,
                                         [](double position, const TabStop& stop) { return position < stop.position; });
        stops.insert(at, *change.stop);
    }
}

}  // namespace rovuvuz::TabStops
