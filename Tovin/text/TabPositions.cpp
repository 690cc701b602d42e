#include "Tovin/text/TabPositions.h"

#include <algorithm>
#include <cmath>

namespace TabPositions {

namespace {

// How far in from the line's end a right or centre stop there is set.
constexpr qreal tabSlack = 2;
constexpr qreal closestTabDistance = 4;

QTextOption::Tab qtTab(qreal at, rovuvuz::TabStop::Kind kind) {
    using Kind = rovuvuz::TabStop::Kind;
    switch (kind) {
        case Kind::center:
            return QTextOption::Tab(at, QTextOption::CenterTab);
        case Kind::right:
            return QTextOption::Tab(at, QTextOption::RightTab);
        case Kind::decimal:
            return QTextOption::Tab(at, QTextOption::DelimiterTab, QLatin1Char('.'));
        default:
            return QTextOption::Tab(at, QTextOption::LeftTab);
    }
}

}  // namespace

std::vector<Stop> of(const QTextBlockFormat& block, const std::vector<rovuvuz::TabStop>& stops, qreal scale,
                     std::optional<qreal> column) {
    using Kind = rovuvuz::TabStop::Kind;
    const qreal start = block.leftMargin() + block.textIndent();
    const qreal end = column ? *column - block.rightMargin() - start - tabSlack : 0;
    std::vector<Stop> laid;
    for (const rovuvuz::TabStop& stop : stops) {
        qreal at = stop.position * scale - start;
        // A bar stop draws a rule and stops nothing.
        if (!std::isfinite(at) || at <= 0 || stop.kind == Kind::bar) continue;
        if (column && end > 0 && at > end && (stop.kind == Kind::right || stop.kind == Kind::center)) at = end;
        laid.push_back({qtTab(at, stop.kind), stop.leader});
    }
    const qreal hanging = -block.textIndent();
    if (hanging > 0.5) {
        const auto past = std::find_if(laid.begin(), laid.end(),
                                       [&](const Stop& stop) { return stop.tab.position >= hanging - 0.5; });
        if (past == laid.end() || std::abs(past->tab.position - hanging) >= 0.5)
            laid.insert(past, {QTextOption::Tab(hanging, QTextOption::LeftTab), rovuvuz::TabStop::Leader::none});
    }
    return laid;
}

void apply(QTextBlockFormat& block, const std::vector<rovuvuz::TabStop>& stops, qreal scale,
           std::optional<qreal> column) {
    const std::vector<Stop> laid = of(block, stops, scale, column);
    if (laid.empty()) return;
    QList<QTextOption::Tab> tabs;
    tabs.reserve(static_cast<qsizetype>(laid.size()));
    for (const Stop& stop : laid) tabs.append(stop.tab);
    block.setTabPositions(tabs);
}

qreal defaultDistance(qreal distance) {
    return std::isfinite(distance) ? std::max(distance, closestTabDistance) : 45;
}

}  // namespace TabPositions
