// Sections (ECMA-376 §17.6): the page each section is laid out on (size, orientation,
// margins, columns), how it starts, how its pages are numbered and which headers and
// footers it shows, read on demand from each w:sectPr; the final section (the w:sectPr
// that closes w:body, §17.6.17) is the page the draft view shows; and the one setting
// that changes paragraph spacing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

struct Group;
struct Story;

// One column of a section whose columns are not of equal width (w:col).
struct Column {
    double width = 0;  // points
    double space = 0;  // after it, points
    bool operator==(const Column&) const = default;
};

// Lengths in points. The defaults are a US Letter page with one-inch margins and the
// header and footer half an inch from the edges. Reading keeps every length sane: a page
// side that is zero, negative or unreadable is the default's, any side is at least
// `smallestSide` and at most FormatValues::longestLength, and margins that leave less
// than `smallestSide` of text are shrunk in proportion until they leave that much.
struct PageSetup {
    static constexpr double smallestSide = 36;

    double width = 612;
    double height = 792;
    double top = 72;
    double right = 72;
    double bottom = 72;
    double left = 72;
    double header = 36;  // from the top edge to the header
    double footer = 36;  // from the bottom edge to the footer
    int columns = 1;
    bool landscape = false;     // w:pgSz w:orient="landscape"
    double gutter = 0;          // w:pgMar w:gutter: added to the inside (left) margin
    double columnSpace = 36;    // w:cols w:space: between equal columns
    bool columnSeparator = false;  // w:cols w:sep: a line between columns
    std::vector<Column> columnList;  // w:equalWidth="0": each column; empty when equal

    // Reads a w:sectPr element; what it does not state, or states unreadably, keeps the
    // default. Never throws.
    static PageSetup read(ByteView sectPr);
    bool operator==(const PageSetup&) const = default;
};

// How a section starts (w:type, §17.6.22); a section that does not say starts a new page.
enum class SectionStart : uint8_t { nextPage, oddPage, evenPage, continuous, nextColumn };

// The three kinds of header and footer reference (ST_HdrFtr), used as indices.
enum class HeaderFooterType : uint8_t { primary, first, even };
using HeaderFooterReferences = std::array<std::optional<RelationshipID>, 3>;

// One section's w:sectPr as the layout uses it.
struct Section {
    PageSetup page;
    SectionStart start = SectionStart::nextPage;
    bool titlePage = false;                       // w:titlePg: the first page has its own header and footer
    std::optional<std::string> pageNumberFormat;  // w:pgNumType w:fmt (ST_NumberFormat)
    std::optional<int64_t> pageNumberStart;       // w:pgNumType w:start: numbering restarts there
    // By HeaderFooterType. Read alone, the references the section names; in Sections::all,
    // with what it does not name inherited from the section before it (§17.10.5).
    HeaderFooterReferences headers;
    HeaderFooterReferences footers;

    // Never throws: what cannot be read keeps the defaults.
    static Section read(ByteView sectPr);
    bool operator==(const Section&) const = default;
};

// A section of the body and the paragraph it ends with.
struct BodySection {
    Section section;
    // The body paragraph whose w:pPr holds the section's w:sectPr; nothing for the final
    // section, which runs to the end of the body.
    const Paragraph* last = nullptr;
};

namespace Sections {

// Every section of the body in order, the final one last, references inherited; one
// default section when the body states none.
std::vector<BodySection> all(const Group* body);

// The body story's w:body group; nullptr when it has none.
const Group* bodyGroup(const Story& body);
// The bytes of the w:sectPr that closes the body: the last such child of w:body.
std::optional<ByteSlice> finalSection(const Group* body);
// The w:sectPr of every section that ends before the final one, in document order: each
// is held in the w:pPr of the section's last paragraph (§17.6.18), a paragraph of the body
// itself (section ends inside tables do not exist; content controls are kept opaque).
std::vector<ByteSlice> earlierSections(const Group* body);
// The header or footer reference (`kind` is "headerReference" or "footerReference") the
// last page shows. A section that names no default one inherits the default of the section
// before it (§17.10.5), so the sections are searched from the final one back for a default
// reference; when none has one, the final section's first reference (or the nearest
// earlier section's) stands for it.
std::optional<RelationshipID> lastPageReference(const Group* body, std::string_view kind);
// The header and footer references every section names, in document order, each section's
// in the order it names them.
std::vector<std::pair<StoryID::Kind, RelationshipID>> headerAndFooterReferences(const Group* body);
// Whether the space between paragraphs is the sum of one's space after and the next's
// space before (w:compat/w:doNotUseHTMLParagraphAutoSpacing in the settings part) rather
// than the larger. Never throws.
bool sumsParagraphSpacing(ByteView settings);

}  // namespace Sections

}  // namespace rovuvuz
