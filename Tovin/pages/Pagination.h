// Breaking laid-out text into pages. The text arrives as units, the pieces a page break may
// fall between: one per line of a paragraph, one per table row (a row never breaks, unless
// it is taller than a page and is sliced at line boundaries). A page takes units while they
// fit; where one does not, the keep rules of its paragraph (keep lines together, widow and
// orphan control, keep with next) may move the break earlier. All lengths are display
// points in the coordinates of the laid-out text, whose y grows downwards.
#pragma once

#include <QtGlobal>
#include <optional>
#include <utility>
#include <vector>

#include "Tovin/pages/FootnoteArea.h"

namespace tovin {

// A body paragraph's keep rules (w:keepNext, w:keepLines, w:widowControl).
struct KeepRules {
    bool keepNext = false;
    bool keepLines = false;
    bool widowControl = true;
    bool operator==(const KeepRules&) const = default;
};

// A range of lines of the laid-out text, [first, end).
struct LineRange {
    int first = 0;
    int end = 0;
    bool isEmpty() const { return end <= first; }
    bool operator==(const LineRange&) const = default;
};

struct Unit {
    LineRange lines;
    qreal top = 0;
    qreal fit = 0;  // the bottom that must fit: without the paragraph's trailing space
    qreal bottom = 0;
    std::optional<KeepRules> rules;  // body paragraphs only
    bool first = false;              // the first line of its paragraph
    bool last = false;               // the last line of its paragraph
    bool startsPage = false;
    qreal lift = 0;  // space collapsed above the paragraph, shown again when it starts a page
    // The space above its text within [top, fit): a paragraph's space before on its first
    // line. A page that starts at the unit after a natural break leaves it out, as Word and
    // LibreOffice do; after a page break or a section start it shows, with the lift.
    qreal space = 0;
    struct Row {
        int table = 0;
        int through = 0;  // the last row the unit covers
    };
    std::optional<Row> row;  // table rows
    std::vector<int> notes;  // the footnotes its lines reference first, by index in paginate's notes
    bool slice = false;      // a piece of a row taller than a page
    // A row's lines as (top, bottom), for slicing it.
    std::vector<std::pair<qreal, qreal>> rowLines;
};

struct Page {
    LineRange lines;
    qreal top = 0;
    qreal bottom = 0;
    bool clip = false;  // shows part of a table row: drawn clipped, line by line
    std::vector<NotePiece> notes;  // its footnote area, top to bottom
    bool notesWait = false;        // notes it references wait for the next page's foot
};

namespace Pagination {

// The smallest body height a page is given, however small the page or large the margins.
constexpr qreal smallestBodyHeight = 90;
// The space above a page's footnotes that holds their separator line: LibreOffice's, a
// 0.5-point rule with 0.1 cm either side of it (6.2 points), at the display scale. The
// space after the page's last note stands below the body, as the body's own last space
// after does.
constexpr qreal noteSeparator = 7.75;

// Pages of at most `height` each (see smallestBodyHeight), footnotes included: a unit stays
// on a page when at least the first line of its first note fits below it, the rest of the
// note continuing at the foot of the next pages (FootnoteArea); otherwise it moves to the
// next page with its notes. `firstSpace` is the space before the first paragraph, which the
// layout leaves out of the text and the first page shows. Pages after the last unit hold
// what remains of its notes. Never empty: no units give one empty page.
std::vector<Page> paginate(std::vector<Unit> units, qreal height, qreal firstSpace,
                           const std::vector<NoteExtent>& notes = {});

// The first unit of the next page when a page starting at unit `from` overflows at unit
// `at`, after the keep rules.
size_t moveBreak(const std::vector<Unit>& units, size_t from, size_t at);

// A row taller than `height` as slices cut at line boundaries.
std::vector<Unit> slices(const Unit& row, qreal height);

}  // namespace Pagination

}  // namespace tovin
