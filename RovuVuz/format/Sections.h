// The page the document is shown on: the size, margins and columns of the final section
// (the w:sectPr that closes w:body, ECMA-376 §17.6.17), read on demand. The document's
// section members (pageSetup, defaultHeader, defaultFooter, sumsParagraphSpacing,
// partNames) are defined with it.
#pragma once

#include <optional>

#include "RovuVuz/Bytes.h"

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

}  // namespace rovuvuz
