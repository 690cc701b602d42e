// The document settings the layout needs (the settings part, ECMA-376 §17.15.1): whether
// even pages have their own headers and footers, how far apart default tab stops are, and
// how paragraph spacing adds up.
#pragma once

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

struct DocumentSettings {
    bool evenAndOddHeaders = false;  // w:evenAndOddHeaders
    double defaultTabStop = 36;      // w:defaultTabStop in points; zero or less keeps 36
    // w:compat/w:doNotUseHTMLParagraphAutoSpacing: the space between paragraphs is the sum
    // of one's space after and the next's space before rather than the larger.
    bool sumsParagraphSpacing = false;

    // Never throws: a missing or malformed part gives the defaults.
    static DocumentSettings read(ByteView settings);
    bool operator==(const DocumentSettings&) const = default;
};

}  // namespace rovuvuz
