// A paragraph's styled text as paper shows it. The editor shows fields, symbols and the
// objects it keeps but does not edit as previews and chips; on a page they become text in
// the run's look, and note numbers count in reference order: a page-number field (PAGE, NUMPAGES, SECTIONPAGES) the number of the page
// it is drawn on, any other field its cached result, a symbol its character, and another
// kept object its preview text, or nothing.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/TextProperties.h"

namespace tovin {

// The numbers page-number fields show on one page.
struct PageNumbers {
    int64_t page = 1;
    int64_t pages = 1;
    int64_t sectionPages = 1;
    std::string format;  // the section's w:pgNumType w:fmt; empty for decimal
    bool operator==(const PageNumbers&) const = default;
};

using NoteNumbers = std::map<int64_t, int64_t>;
// On a note reference drawn as text on a page: its note's id, by which its note is found.
inline constexpr int noteIdProperty = TextProperty::firstFreeKey;

// The numbers of the notes a story refers to, in the order of their first references.
struct NoteOrder {
    NoteNumbers footnotes, endnotes, shown;
};

namespace PaperText {

// Where the editor shows a chip (a picture it cannot load, an object it does not draw),
// paper shows the object's place as a faint frame: the chip's caption is no part of the
// document. Inline or floating alike, so this comes before floats are taken out.
void unchip(StyledText& styled);

// Rewrites `styled` (built from `p` by `builder`) for paper. Without `numbers` the
// page-number fields keep their cached results.
void apply(StyledText& styled, const rovuvuz::ParagraphSnapshot& p, const AttributedBuilder& builder,
           const PageNumbers* numbers, const NoteOrder* notes = nullptr);

// A note's number as pages show it: footnotes in digits, endnotes in lower-case roman
// numerals, as Word numbers them unless the document says otherwise.
QString noteNumber(int64_t number, bool endnote);

// Replaces [lower, upper) of the text with `text` in `format`; the runs around it keep
// theirs. Out-of-range bounds are clamped.
void replace(StyledText& styled, int lower, int upper, const QString& text, const QTextCharFormat& format);

// The order of the notes `blocks` refer to: references to ids in `footnotes` count as
// footnotes, any other as endnotes.
NoteOrder noteOrder(const std::vector<rovuvuz::BlockSnapshot>& blocks, const std::set<int64_t>& footnotes);

// Whether a story's paragraphs hold a field whose result depends on the page.
bool hasPageFields(const std::vector<rovuvuz::BlockSnapshot>& blocks);

}  // namespace PaperText

}  // namespace tovin
