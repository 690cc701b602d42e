// The page the document is shown on: the size, margins and columns of the final section
// (the w:sectPr that closes w:body, ECMA-376 §17.6.17), read on demand; which header and
// footer it shows; and the one setting that changes paragraph spacing.
#pragma once

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

// Lengths in points. The defaults are a US Letter page with one-inch margins and the
// header and footer half an inch from the edges.
struct PageSetup {
    double width = 612;
    double height = 792;
    double top = 72;
    double right = 72;
    double bottom = 72;
    double left = 72;
    double header = 36;  // from the top edge to the header
    double footer = 36;  // from the bottom edge to the footer
    int columns = 1;

    // Reads a w:sectPr element; what it does not state, or states unreadably, keeps the
    // default. Never throws.
    static PageSetup read(ByteView sectPr);
    bool operator==(const PageSetup&) const = default;
};

namespace Sections {

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
