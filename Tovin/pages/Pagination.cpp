#include "Tovin/pages/Pagination.h"

#include <algorithm>

namespace tovin::Pagination {

namespace {

// The places a row may be cut: the ends of its lines where no other line of the row (a
// line of another cell beside it) is cut through. Lines overlapping one another merge into
// one stretch; the end of each stretch is such a place. In ascending order.
std::vector<qreal> cutPlaces(std::vector<std::pair<qreal, qreal>> lines) {
    std::sort(lines.begin(), lines.end());
    std::vector<qreal> ends;
    qreal reach = 0;
    bool open = false;
    for (const auto& [top, bottom] : lines) {
        if (open && top < reach) {
            reach = std::max(reach, bottom);
            continue;
        }
        if (open) ends.push_back(reach);
        reach = bottom;
        open = true;
    }
    if (open) ends.push_back(reach);
    return ends;
}

// The first line of the paragraph that unit `at` belongs to, searching back no further than
// `after` + 1.
std::optional<size_t> paragraphStart(const std::vector<Unit>& units, size_t after, size_t at) {
    for (size_t k = at; k > after; --k)
        if (units[k].first) return k;
    return std::nullopt;
}

size_t paragraphEnd(const std::vector<Unit>& units, size_t at) {
    size_t e = at;
    while (e + 1 < units.size() && !units[e].last) ++e;
    return e;
}

// Lines kept together and widow and orphan control: where the break before unit `b`
// moves to within its own paragraph.
size_t keepLinesBreak(const std::vector<Unit>& units, size_t from, size_t b) {
    const Unit& unit = units[b];
    if (unit.first || !unit.rules) return b;
    const KeepRules& rules = *unit.rules;
    const std::optional<size_t> k = paragraphStart(units, from, b);
    const size_t e = paragraphEnd(units, b);
    if (k) {
        if (rules.keepLines) return *k;
        if (!rules.widowControl) return b;
        if (b - *k < 2) return *k;  // a single line would stay behind
    }
    if (!rules.widowControl) return b;
    if (e - b + 1 >= 2) return b;
    // Only the last line would move: take one more with it, or the whole paragraph when
    // that would leave a single line behind.
    if (k && b - 1 - *k < 2) return *k;
    return std::max(from + 1, b - 1);
}

}  // namespace

size_t moveBreak(const std::vector<Unit>& units, size_t from, size_t at) {
    size_t r = keepLinesBreak(units, from, at);
    // Keep with next: a paragraph that must stay with the one after it moves down with it.
    while (r > from && units[r].first && units[r - 1].rules && units[r - 1].rules->keepNext) {
        const std::optional<size_t> start = paragraphStart(units, from, r - 1);
        if (!start) return at;  // the chain reaches the top of the page
        r = *start;
    }
    return r;
}

std::vector<Unit> slices(const Unit& row, qreal height) {
    const qreal room = std::max(height, smallestBodyHeight);
    const std::vector<qreal> places = cutPlaces(row.rowLines);
    std::vector<Unit> pieces;
    qreal y = row.top;
    while (row.bottom - y > room) {
        // The lowest place that still fits below y, or a cut through the line there.
        auto above = std::upper_bound(places.begin(), places.end(), y + room);
        qreal cut = y + room;
        if (above != places.begin() && *std::prev(above) > y) cut = *std::prev(above);
        Unit piece = row;
        piece.rowLines.clear();
        piece.top = y;
        piece.fit = piece.bottom = cut;
        piece.first = piece.last = true;
        piece.startsPage = pieces.empty() && row.startsPage;
        piece.slice = true;
        pieces.push_back(std::move(piece));
        y = cut;
    }
    Unit rest = row;
    rest.rowLines.clear();
    rest.top = y;
    rest.fit = rest.bottom = row.bottom;
    rest.first = rest.last = true;
    rest.startsPage = pieces.empty() && row.startsPage;
    rest.slice = !pieces.empty();
    pieces.push_back(std::move(rest));
    return pieces;
}

std::vector<Page> paginate(std::vector<Unit> input, qreal height, qreal firstSpace) {
    const qreal room = std::max(height, smallestBodyHeight);
    std::vector<Unit> units;
    units.reserve(input.size());
    for (Unit& unit : input) {
        if (unit.row && unit.bottom - unit.top > room) {
            for (Unit& piece : slices(unit, room)) units.push_back(std::move(piece));
        } else {
            unit.rowLines.clear();
            units.push_back(std::move(unit));
        }
    }
    if (units.empty()) return {Page{}};

    const qreal s0 = units.front().row ? 0 : firstSpace;
    std::vector<Page> pages;
    size_t i = 0;
    while (i < units.size()) {
        const bool natural = !pages.empty() && !units[i].startsPage;
        const qreal top =
            natural ? units[i].top + units[i].space : units[i].top - units[i].lift - (pages.empty() ? s0 : 0);
        size_t end = units.size();
        qreal notes = units[i].notes;
        qreal tail = units[i].notesTail;
        for (size_t j = i + 1; j < units.size(); ++j) {
            if (units[j].startsPage) {
                end = j;
                break;
            }
            const qreal withNotes = notes + units[j].notes;
            const qreal withTail = units[j].notes > 0 ? units[j].notesTail : tail;
            const qreal foot = withNotes > 0 ? withNotes - withTail + noteSeparator : 0;
            if (units[j].fit - top + foot > room) {
                end = moveBreak(units, i, j);
                break;
            }
            notes = withNotes;
            tail = withTail;
        }
        Page page;
        page.top = top;
        page.bottom = units[end - 1].bottom;
        page.lines = units[i].lines;
        for (size_t u = i; u < end; ++u) {
            page.lines.first = std::min(page.lines.first, units[u].lines.first);
            page.lines.end = std::max(page.lines.end, units[u].lines.end);
            page.clip = page.clip || units[u].slice;
        }
        pages.push_back(page);
        i = end;
    }
    return pages;
}

}  // namespace tovin::Pagination
