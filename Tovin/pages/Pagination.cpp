#include "Tovin/pages/Pagination.h"

#include <algorithm>

namespace tovin::Pagination {

namespace {

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
    const std::vector<qreal> places = FootnoteArea::cutsOf(row.rowLines);
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
        if (!pieces.empty()) piece.notes.clear();  // the row's notes go with its first slice
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
    if (!pieces.empty()) rest.notes.clear();
    pieces.push_back(std::move(rest));
    return pieces;
}

namespace {

// The body and footnotes a page holds so far, as it takes units.
struct Filling {
    const std::vector<Unit>& units;
    const std::vector<NoteExtent>& notes;
    qreal top = 0;
    qreal room = 0;

    qreal body(size_t j) const { return units[j].fit - top; }
    qreal hanging(int note) const {
        const NoteExtent& n = notes[static_cast<size_t>(note)];
        return std::min(n.tail, n.height());
    }

    // The first unit of the next page for a page starting at unit `i` whose foot begins with
    // `carry`, the notes earlier pages could not hold. Notes stand whole while they fit; a
    // unit whose notes do not fit stays when its first note's first line does (the note is
    // cut, and the page ends with that unit, keep rules allowing), else it moves on.
    size_t end(size_t i, const std::deque<NotePiece>& carry) const {
        qreal sum = 0;
        for (const NotePiece& piece : carry) sum += piece.to - piece.from;
        const qreal carried = FootnoteArea::height(carry, notes);
        qreal tail = sum - carried;
        // A carried note that still does not fit leaves the page to the first unit only.
        if (carried > 0 && body(i) + carried + noteSeparator > room) return i + 1;
        for (size_t j = i; j < units.size(); ++j) {
            if (j > i && units[j].startsPage) return j;
            qreal own = 0, ownTail = tail;
            for (int n : units[j].notes) {
                own += notes[static_cast<size_t>(n)].height();
                ownTail = hanging(n);
            }
            const qreal foot = sum + own > 0 ? sum + own - ownTail + noteSeparator : 0;
            if (body(j) + foot <= room) {
                sum += own;
                tail = ownTail;
                continue;
            }
            if (!units[j].notes.empty() &&
                body(j) + sum + FootnoteArea::firstLine(notes[static_cast<size_t>(units[j].notes.front())]) +
                        noteSeparator <=
                    room)
                return j + 1 < units.size() && !units[j + 1].startsPage ? moveBreak(units, i, j + 1) : j + 1;
            return j == i ? i + 1 : moveBreak(units, i, j);
        }
        return units.size();
    }
};

}  // namespace

std::vector<Page> paginate(std::vector<Unit> input, qreal height, qreal firstSpace,
                           const std::vector<NoteExtent>& notes) {
    const qreal room = std::max(height, smallestBodyHeight);
    std::vector<Unit> units;
    units.reserve(input.size());
    for (Unit& unit : input) {
        // A note index the caller has no extent for is left out.
        std::erase_if(unit.notes, [&](int n) { return n < 0 || static_cast<size_t>(n) >= notes.size(); });
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
    std::deque<NotePiece> carry;  // notes waiting for the foot of the next page
    size_t i = 0;
    while (i < units.size()) {
        const bool natural = !pages.empty() && !units[i].startsPage;
        const qreal top =
            natural ? units[i].top + units[i].space : units[i].top - units[i].lift - (pages.empty() ? s0 : 0);
        const Filling filling{units, notes, top, room};
        const size_t end = filling.end(i, carry);
        Page page;
        page.top = top;
        page.bottom = units[end - 1].bottom;
        page.lines = units[i].lines;
        for (size_t u = i; u < end; ++u) {
            page.lines.first = std::min(page.lines.first, units[u].lines.first);
            page.lines.end = std::max(page.lines.end, units[u].lines.end);
            page.clip = page.clip || units[u].slice;
            for (int n : units[u].notes) carry.push_back(FootnoteArea::rest(notes, n));
        }
        page.notes = FootnoteArea::fill(carry, notes, room - noteSeparator - filling.body(end - 1), false);
        page.notesWait = !carry.empty();
        pages.push_back(std::move(page));
        i = end;
    }
    // Notes longer than what the body left them run on over pages of their own.
    while (!carry.empty()) {
        Page page;
        page.lines = {pages.back().lines.end, pages.back().lines.end};
        page.notes = FootnoteArea::fill(carry, notes, room - noteSeparator, true);
        page.notesWait = !carry.empty();
        pages.push_back(std::move(page));
    }
    return pages;
}

}  // namespace tovin::Pagination
