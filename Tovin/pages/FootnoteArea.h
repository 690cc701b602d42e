// The footnote area at the foot of a page: which stretches of which notes a page holds.
// A note that does not fit below its reference line is cut between two of its lines and
// continues at the foot of the next page, before that page's own notes, as Word and
// LibreOffice break them; a note longer than a page runs over as many pages as it needs.
// All lengths are display points from the top of each laid-out note.
#pragma once

#include <QtGlobal>
#include <deque>
#include <utility>
#include <vector>

namespace tovin {

// A footnote as pagination sees it: the places it may be cut.
struct NoteExtent {
    std::vector<qreal> cuts;  // ascending: the ends of lines it may be cut after; the last is its height
    qreal tail = 0;           // the space after its last paragraph, which may stand below the body
    qreal first = 0;          // the end of its first line
    qreal height() const { return cuts.empty() ? 0 : cuts.back(); }
};

// A laid-out line of a note, with the rules of its paragraph (w:widowControl, w:keepLines)
// when it is not in a table.
struct NoteLine {
    qreal top = 0;
    qreal bottom = 0;
    int paragraph = -1;  // -1: a line of a table cell
    bool widowControl = true;
    bool keepLines = false;
};

// The stretch [from, to) of note `note` that one page shows.
struct NotePiece {
    int note = 0;
    qreal from = 0;
    qreal to = 0;
    bool operator==(const NotePiece&) const = default;
};

namespace FootnoteArea {

// The places a note laid out as `lines` (top, bottom) may be cut: the ends of its lines where
// no other line (a table cell's beside it) is cut through.
std::vector<qreal> cutsOf(std::vector<std::pair<qreal, qreal>> lines);

// A note laid out as `lines`, `height` tall: it may be cut after a line where no other line
// (of a table cell beside it) is cut through, and where its paragraph's rules allow: not
// inside a paragraph kept together, nor so as to leave a single line of a paragraph with
// widow control on either side.
NoteExtent extentOf(const std::vector<NoteLine>& lines, qreal height, qreal tail);

// The note's piece from `from` to its end.
NotePiece rest(const std::vector<NoteExtent>& notes, int note, qreal from = 0);

// The height a page's foot needs for `pieces` placed one below another: the last piece's
// space after, when it ends its note, may stand below the body.
qreal height(const std::deque<NotePiece>& pieces, const std::vector<NoteExtent>& notes);

// The height of a note's first line: what must fit below its reference for the reference
// to stay on the page.
qreal firstLine(const NoteExtent& note);

// Takes from the front of `queue` what fits in `room`: whole pieces while they fit, then the
// next one cut after its last line that fits, the rest of it left at the front of `queue`.
// With `progress` (a page holding nothing else), at least one line is taken, however tall,
// so that a note taller than any page still runs out.
std::vector<NotePiece> fill(std::deque<NotePiece>& queue, const std::vector<NoteExtent>& notes, qreal room,
                            bool progress);

}  // namespace FootnoteArea

}  // namespace tovin
