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
    return note.cuts.empty() ? 0 : note.cuts.front();
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
