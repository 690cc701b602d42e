#include "RovuVuz/document/NewStyles.h"

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/PartTargets.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::NewStyles {

namespace {

using Markup::element;
using Markup::qualified;

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view stylesContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml";
constexpr std::string_view stylesName = "word/styles.xml";
constexpr std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string_view typeName(Style::Kind kind) {
    switch (kind) {
        case Style::Kind::paragraph: return "paragraph";
        case Style::Kind::character: return "character";
        case Style::Kind::table: return "table";
        case Style::Kind::numbering: return "numbering";
    }
    return "paragraph";
}

// The definition's id, or with the first number that makes it free.
std::string freeID(const StyleSheet& styles, const std::string& id) {
    if (!styles.find(StyleID{id})) return id;
    for (int n = 1;; ++n)
        if (!styles.find(StyleID{id + std::to_string(n)})) return id + std::to_string(n);
}

std::string properties(std::string_view p, std::string_view local, const std::vector<Property>& children) {
    if (children.empty()) return {};
    std::string content;
    for (const Property& child : children) {
        Markup::Attributes attributes;
        for (const auto& [name, value] : child.attributes) attributes.emplace_back(qualified(p, name), value);
        content += element(qualified(p, child.local), attributes, {});
    }
    return element(qualified(p, local), {}, content);
}

// The w:style element (ECMA-376 §17.7.4.17): name, base, the flags Word gives its own
// built-in styles that are shown only when used, then paragraph and run properties.
std::string styleMarkup(std::string_view p, const StyleSheet& styles, const Definition& definition,
                        const std::string& id) {
    const auto val = [&](std::string value) { return Markup::Attributes{{qualified(p, "val"), std::move(value)}}; };
    std::string content = element(qualified(p, "name"), val(definition.name), {});
    if (!definition.basedOn.empty() && styles.find(StyleID{definition.basedOn}))
        content += element(qualified(p, "basedOn"), val(definition.basedOn), {});
    content += element(qualified(p, "uiPriority"), val("99"), {});
    content += element(qualified(p, "semiHidden"), {}, {});
    content += element(qualified(p, "unhideWhenUsed"), {}, {});
    content += properties(p, "pPr", definition.paragraph);
    content += properties(p, "rPr", definition.run);
    return element(qualified(p, "style"),
                   {{qualified(p, "type"), std::string(typeName(definition.kind))}, {qualified(p, "styleId"), id}},
                   content);
}

DocxError unreadable(const PartName& part, std::string cause) {
    return DocxError(DocxErrorCode::unreadablePart, DocxError::Detail{std::nullopt, part, std::nullopt, std::move(cause)});
}

// The styles part with the style added at its end, under the prefix its root uses.
std::string withStyle(DocxDocument& document, const PartName& part, const Definition& definition,
                      const std::string& id) {
    SharedBytes bytes;
    try {
        bytes = document.contents(part.rawValue);
    } catch (const ZipError& error) {
        throw unreadable(part, error.what());
    }
    std::optional<XMLTree> tree;
    try {
        tree.emplace(bytes);
    } catch (const XMLError& error) {
        throw unreadable(part, error.what());
    }
    const std::string_view p = Markup::prefixOf(tree->nameView(tree->root()));
    XMLEdit edit(*tree);
    edit.append(tree->root(), styleMarkup(p, document.styles(), definition, id));
    return edit.result();
}

}  // namespace

const Style* named(const StyleSheet& styles, Style::Kind kind, std::string_view name) {
    const std::string wanted = lowered(name);
    for (const auto& [id, style] : styles.styles)
        if (style.kind == kind && lowered(style.name) == wanted) return &style;
    return nullptr;
}

StyleID ensure(DocxDocument& document, const Definition& definition) {
    const StyleSheet& styles = document.styles();
    if (const Style* found = named(styles, definition.kind, definition.name)) return found->id;
    const std::string id = freeID(styles, definition.id);
    const auto source = document.partSource("styles");
    if (source.part && document.hasPart(source.part->rawValue)) {
        document.storePart(*source.part, share(toBytes(withStyle(document, *source.part, definition, id))));
        return StyleID{id};
    }
    // No styles part: one is made holding just this style, where the relationship points
    // when there is one. The content type first: it is the one step that can fail, and
    // then nothing has changed.
    const PartName part = source.part ? *source.part : PartName(std::string(stylesName));
    document.ensureContentType(part, std::nullopt, stylesContentType);
    const std::string root = Markup::startTag("w:styles", {{"xmlns:w", std::string(mainNamespace)}},
                                              Markup::SelfClosing::No) +
                             styleMarkup("w", styles, definition, id) + "</w:styles>";
    document.storePart(part, share(toBytes(std::string(declaration) + root)));
    if (!source.part)
        document.addRelationship(document.mainPart(), "styles", targetFromMain(document, part.rawValue), false);
    return StyleID{id};
}

}  // namespace rovuvuz::NewStyles
