// XMLWriter: builds a new XML text element by element, for parts and fragments the engine
// makes from nothing (a new package's parts, a copied selection, list definitions). Names
// are written as given, every attribute value and every piece of text is escaped, and
// elements close in the order they were opened, so the result is always well-formed.
//
//     XMLWriter out;
//     out.open("w:p").open("w:r").leaf("w:t", {}, "a & b").close().close();
//     out.finish()  →  <w:p><w:r><w:t>a &amp; b</w:t></w:r></w:p>
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/xml/Bytes.h"
#include "RovuVuz/xml/Markup.h"

namespace rovuvuz {

class XMLWriter {
  public:
    // The declaration a package part opens with; Word writes it with standalone="yes" and a
    // line break after it.
    static constexpr std::string_view declaration =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

    enum class Declaration { No, Yes };
    explicit XMLWriter(Declaration withDeclaration = Declaration::No);

    // A start tag; its content follows until the matching close().
    XMLWriter& open(std::string_view name, const Markup::Attributes& attributes = {});
    // An empty-element tag ("<w:b/>").
    XMLWriter& empty(std::string_view name, const Markup::Attributes& attributes = {});
    // An element holding only text: "<name …>text</name>".
    XMLWriter& leaf(std::string_view name, const Markup::Attributes& attributes, std::string_view text);
    // Character data, escaped.
    XMLWriter& text(std::string_view text);
    // Markup that is already well-formed (preserved bytes of a part), written unchanged.
    XMLWriter& raw(std::string_view markup);
    XMLWriter& raw(ByteView markup) { return raw(asChars(markup)); }
    // Ends the innermost open element; does nothing when none is open.
    XMLWriter& close();

    // How many elements are open.
    size_t depth() const { return open_.size(); }
    // The text so far with every open element closed.
    std::string finish();

  private:
    std::string out_;
    std::vector<std::string> open_;
};

}  // namespace rovuvuz
