#include "Tovin/pages/FootnoteArea.h"

#include <algorithm>

namespace tovin::FootnoteArea {

std::vector<qreal> cutsOf(std::vector<std::pair<qreal, qreal>> lines) {
    // Lines overlapping one another merge into one stretch; the end of each is a cut.
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

namespace {

// The ends of lines a note may not be cut after, by the rules of their paragraphs.
std::vector<qreal> guardedEnds(const std::vector<NoteLine>& lines) {
    std::vector<qreal> guarded;
    for (size_t start = 0; start < lines.size();) {
        size_t end = start + 1;
        while (end < lines.size() && lines[end].paragraph == lines[start].paragraph) ++end;
        const NoteLine& rules = lines[start];
        if (rules.paragraph >= 0 && (rules.keepLines || rules.widowControl)) {
            const size_t count = end - start;
            for (size_t k = 0; k + 1 < count; ++k)
                if (rules.keepLines || k < 1 || k + 2 >= count) guarded.push_back(lines[start + k].bottom);
        }
        start = end;
    }
    std::sort(guarded.begin(), guarded.end());
    return guarded;
}

}  // namespace

NoteExtent extentOf(const std::vector<NoteLine>& lines, qreal height, qreal tail) {
    std::vector<std::pair<qreal, qreal>> spans;
    for (const NoteLine& line : lines) spans.emplace_back(line.top, line.bottom);
    const std::vector<qreal> all = cutsOf(std::move(spans));
    const std::vector<qreal> guarded = guardedEnds(lines);
    NoteExtent extent;
    extent.tail = tail;
    extent.first = all.empty() ? height : all.front();
    for (qreal cut : all)
        if (cut < height && !std::binary_search(guarded.begin(), guarded.end(), cut)) extent.cuts.push_back(cut);
    extent.cuts.push_back(std::max<qreal>(height, all.empty() ? 0 : all.back()));
    return extent;
}

NotePiece rest(const std::vector<NoteExtent>& notes, int note, qreal from) {
    return {note, from, std::max(from, notes[static_cast<size_t>(note)].height())};
}

qreal height(const std::deque<NotePiece>& pieces, const std::vector<NoteExtent>& notes) {
    qreal sum = 0;
    for (const NotePiece& piece : pieces) sum += piece.to - piece.from;
    if (pieces.empty()) return 0;
    const NotePiece& last = pieces.back();
    const NoteExtent& note = notes[static_cast<size_t>(last.note)];
    if (last.to >= note.height()) sum -= std::min(note.tail, last.to - last.from);
    return sum;
}

qreal firstLine(const NoteExtent& note) {
    return std::min(note.first, note.height());
}

namespace {

// Where to cut `piece` so that it fits in `room`: after its lowest line that does; with
// `force`, after its first line whatever its height (through it when taller than `room`).
// None (a value not above piece.from) when nothing fits.
qreal cutFor(const NotePiece& piece, const NoteExtent& note, qreal room, bool force) {
    const auto first = std::upper_bound(note.cuts.begin(), note.cuts.end(), piece.from);
    const auto beyond = std::upper_bound(first, note.cuts.end(), piece.from + room);
    if (beyond != first) return std::min(*std::prev(beyond), piece.to);
    if (!force) return piece.from;
    const qreal line = first != note.cuts.end() ? std::min(*first, piece.to) : piece.to;
    return room > 0 && line - piece.from > room ? piece.from + room : line;
}

}  // namespace

std::vector<NotePiece> fill(std::deque<NotePiece>& queue, const std::vector<NoteExtent>& notes, qreal room,
                            bool progress) {
    std::vector<NotePiece> placed;
    qreal used = 0;
    while (!queue.empty()) {
        NotePiece& piece = queue.front();
        const NoteExtent& note = notes[static_cast<size_t>(piece.note)];
        const qreal length = piece.to - piece.from;
        const qreal hanging = piece.to >= note.height() ? std::min(note.tail, length) : 0;
        if (length <= 0 || used + length - hanging <= room) {
            placed.push_back(piece);
            used += std::max<qreal>(length, 0);
            queue.pop_front();
            continue;
        }
        const qreal cut = cutFor(piece, note, room - used, progress && placed.empty());
        if (cut <= piece.from) break;
        placed.push_back({piece.note, piece.from, cut});
        piece.from = cut;
        if (piece.from >= piece.to) queue.pop_front();
        break;
    }
    return placed;
}

}  // namespace tovin::FootnoteArea
