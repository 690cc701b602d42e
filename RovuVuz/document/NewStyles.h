// Styles an edit needs that a document may lack: found by name (as Word matches built-in
// styles, ignoring case) or made in the styles part (ECMA-376 §17.7.4.17), which is made
// too when the package has none. Used by the edits that give new content a built-in
// style (footnote and endnote references and text).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "RovuVuz/format/Styles.h"
#include "RovuVuz/xml/Markup.h"

namespace rovuvuz {

class DocxDocument;

namespace NewStyles {

// One property element of a new style, its attribute names local ("val" becomes w:val).
struct Property {
    std::string local;
    Markup::Attributes attributes;
};

struct Definition {
    Style::Kind kind = Style::Kind::paragraph;
    std::string id;       // the id to give it, or that id with a number when taken
    std::string name;     // w:name, and what an existing style is matched by
    std::string basedOn;  // used only when the sheet has that style
    std::vector<Property> paragraph;  // w:pPr children, in schema order
    std::vector<Property> run;        // w:rPr children, in schema order
};

// The id of the document's style of that kind and name, or of the style made for it.
// Throws DocxError(unreadablePart) before changing anything when the styles part is there
// but cannot be read.
StyleID ensure(DocxDocument& document, const Definition& definition);

// The style of that kind and name (compared ignoring ASCII case), if the sheet has one.
const Style* named(const StyleSheet& styles, Style::Kind kind, std::string_view name);

}  // namespace NewStyles

}  // namespace rovuvuz
