// Writes a node tree back to WordprocessingML bytes: everything that was not edited
// comes out exactly as it was read; edited paragraphs, runs and items are re-emitted.
#pragma once

#include <string_view>
#include <vector>

#include "RovuVuz/model/Nodes.h"

namespace rovuvuz {
struct Story;
}

namespace rovuvuz::Serializer {

void group(const Group& group, Bytes& out);
void paragraph(const Paragraph& paragraph, Bytes& out);
// The inline content of a paragraph (with its properties) or of a container (without).
void inlines(const std::vector<Inline>& inlines, const PropertyBag* props, Bytes& out);
void run(const Run& run, Bytes& out);

// One text element: xml:space="preserve" when the text starts or ends with white space,
// the text escaped.
Bytes textElement(std::string_view qname, std::u16string_view text);

// A whole story: prolog, root, epilog.
Bytes story(const Story& story);

}  // namespace rovuvuz::Serializer
