// The pieces copy and paste share: the namespaces a fragment declares, the style
// definitions a fragment carries and a document gains, and the HTML rendering of copied
// paragraphs for other programs.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "RovuVuz/format/ListDefinitions.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/xml/Markup.h"

namespace rovuvuz {

class DocxDocument;
class StyleSheet;
class XMLWriter;

namespace ClipParts {

// xmlns declarations for w, r, wp, a and pic.
Markup::Attributes namespaces();

// The w:style elements of the document's styles part by w:styleId, exactly as written;
// empty without a readable part.
std::map<std::string, std::string> styleElements(DocxDocument& document);

// A tv:style around the definition of each style named and of the styles it is based on,
// base first, each once.
void writeStyles(XMLWriter& out, DocxDocument& document, const std::set<std::string>& ids);

// Adds style definitions (w:style elements under the w prefix) to the document's styles
// part, creating the part, its relationship and content type when there is none. Throws
// DocxError(unreadablePart) when the part exists but does not parse, before anything
// changed.
void addStyles(DocxDocument& document, const std::vector<std::string>& elements);

struct HTMLParagraph {
    const Paragraph* paragraph;
    std::optional<StyleID> style;
    ListState list;
    std::optional<int> outlineLevel;
};
// Paragraphs as HTML: headings of outline levels 0–2 as h1–h3, list items in ul or ol,
// bold, italic and underline as b, i and u, links as a, line breaks as br.
std::string html(const std::vector<HTMLParagraph>& paragraphs, const StyleSheet& styles);

}  // namespace ClipParts

}  // namespace rovuvuz
