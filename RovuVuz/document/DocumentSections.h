// The body's sections as the page layout uses them: each section's page setup, how it
// starts and numbers its pages, the header and footer stories it shows by type (inherited
// from the section before where it names none), and where in the body it ends; and the
// document settings that go with them.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Settings.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/snapshot/Snapshot.h"

namespace rovuvuz {

struct DocumentSection {
    // Page, start, title page, page numbering, and the references as relationship ids.
    Section setup;
    // By HeaderFooterType: the story each reference names, when that part exists.
    std::array<std::optional<StoryID>, 3> headers;
    std::array<std::optional<StoryID>, 3> footers;
    // The body paragraph the section ends with; nothing for the final section.
    std::optional<ParagraphID> lastParagraph;

    // The header (or footer) a page of this section shows, as Word chooses it: the first
    // page's when the section has a title page, the even one's on even pages when the
    // document has even and odd headers, else the primary one. Nothing: a blank band.
    std::optional<StoryID> header(bool firstPageOfSection, bool evenPage, bool evenAndOddHeaders) const;
    std::optional<StoryID> footer(bool firstPageOfSection, bool evenPage, bool evenAndOddHeaders) const;
    bool operator==(const DocumentSection&) const = default;
};

// For each of the body snapshot's top-level blocks, the index of the section it belongs
// to in `sections` (a section takes every block up to and including its last paragraph).
std::vector<size_t> sectionOfBlocks(const std::vector<BlockSnapshot>& body, const std::vector<DocumentSection>& sections);

}  // namespace rovuvuz
