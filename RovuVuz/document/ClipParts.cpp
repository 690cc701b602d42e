#include "RovuVuz/document/ClipParts.h"

#include "RovuVuz/document/Clip.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLText.h"
#include "RovuVuz/xml/XMLTree.h"
#include "RovuVuz/xml/XMLWriter.h"

namespace rovuvuz::ClipParts {

namespace {

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view stylesContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml";

DocxError unreadable(const PartName& part, std::string cause) {
    return DocxError(DocxErrorCode::unreadablePart,
                     DocxError::Detail{std::nullopt, part, std::nullopt, std::move(cause)});
}

std::optional<XMLTree> stylesTree(DocxDocument& document, std::optional<PartName>& part) {
    const auto source = document.partSource("styles");
    part = source.part;
    const SharedBytes bytes = document.partBytes(source);
    if (!bytes) return std::nullopt;
    if (!utf8::isValid(*bytes)) throw unreadable(*part, "not UTF-8");
    try {
        return XMLTree(bytes);
    } catch (const XMLError& error) {
        throw unreadable(*part, error.what());
    }
}

// HTML escaping is XML's for text and attribute values.
std::string escaped(std::u16string_view text) { return XMLText::escapeText(utf8::fromUtf16(text)); }

class HTMLRenderer {
  public:
    explicit HTMLRenderer(const StyleSheet& styles) : styles_(styles) {}

    void paragraph(const HTMLParagraph& p) {
        const char* list = p.list.kind == ListKind::bullet ? "ul" : p.list.kind == ListKind::number ? "ol" : nullptr;
        if (openList_ && (!list || openList_ != std::string_view(list))) closeList();
        if (list && !openList_) {
            out_ += "<" + std::string(list) + ">";
            openList_ = list;
        }
        const std::string tag = list ? "li"
                                : p.outlineLevel && *p.outlineLevel >= 0 && *p.outlineLevel <= 2
                                    ? "h" + std::to_string(*p.outlineLevel + 1)
                                    : "p";
        out_ += "<" + tag + ">";
        inlines(p.paragraph->inlines, p.style);
        out_ += "</" + tag + ">";
    }

    std::string finish() {
        closeList();
        return "<html><head><meta charset=\"utf-8\"></head><body>" + out_ + "</body></html>";
    }

  private:
    void closeList() {
        if (!openList_) return;
        out_ += "</" + std::string(openList_) + ">";
        openList_ = nullptr;
    }

    void inlines(const std::vector<Inline>& nodes, const std::optional<StyleID>& style) {
        for (const Inline& node : nodes) {
            if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
                runText(**run, style);
            } else if (const auto* c = std::get_if<std::unique_ptr<Container>>(&node)) {
                const auto target = (*c)->attribute("target");
                if (target) out_ += "<a href=\"" + XMLText::escapeAttribute(*target) + "\">";
                inlines((*c)->inlines, style);
                if (target) out_ += "</a>";
            }
        }
    }

    void runText(const Run& run, const std::optional<StyleID>& style) {
        std::u16string text;
        for (const RunItem& item : run.items) {
            if (item.kind.type == RunItem::Type::lineBreak) text += u'\n';
            else if (item.kind.type != RunItem::Type::object) text += InlineOps::displayText(item.kind);
        }
        if (text.empty()) return;
        const RunFormat format = styles_.runFormat(style, run.props ? &*run.props : nullptr);
        std::string open, close;
        const auto wrap = [&](bool on, std::string_view tag) {
            if (!on) return;
            open += "<" + std::string(tag) + ">";
            close = "</" + std::string(tag) + ">" + close;
        };
        wrap(format.bold, "b");
        wrap(format.italic, "i");
        wrap(format.underline, "u");
        std::string body = escaped(text);
        for (size_t at = 0; (at = body.find('\n', at)) != std::string::npos;) body.replace(at, 1, "<br>");
        out_ += open + body + close;
    }

    const StyleSheet& styles_;
    std::string out_;
    const char* openList_ = nullptr;
};

}  // namespace

Markup::Attributes namespaces() {
    return {{"xmlns:w", std::string(mainNamespace)},
            {"xmlns:r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships"},
            {"xmlns:wp", "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"},
            {"xmlns:a", "http://schemas.openxmlformats.org/drawingml/2006/main"},
            {"xmlns:pic", "http://schemas.openxmlformats.org/drawingml/2006/picture"}};
}

std::map<std::string, std::string> styleElements(DocxDocument& document) {
    std::map<std::string, std::string> result;
    std::optional<PartName> part;
    std::optional<XMLTree> tree;
    try {
        tree = stylesTree(document, part);
    } catch (const DocxError&) {
        return result;  // an unreadable part gives no definitions to copy
    }
    if (!tree) return result;
    for (int child : tree->childElements(tree->root()))
        if (tree->localName(child) == "style")
            if (auto id = tree->ownAttribute(child, "styleId"))
                result.emplace(std::move(*id), std::string(asChars(tree->raw(child))));
    return result;
}

void writeStyles(XMLWriter& out, DocxDocument& document, const std::set<std::string>& ids) {
    if (ids.empty()) return;
    const auto elements = styleElements(document);
    std::set<std::string> written;
    for (const std::string& id : ids) {
        for (const Style& style : document.styles().chain(StyleID{id})) {
            if (!written.insert(style.id.rawValue).second) continue;
            const auto found = elements.find(style.id.rawValue);
            if (found == elements.end()) continue;
            out.open(Markup::qualified(Clip::prefix, "style")).raw(found->second).close();
        }
    }
}

void addStyles(DocxDocument& document, const std::vector<std::string>& elements) {
    if (elements.empty()) return;
    std::string joined;
    for (const std::string& element : elements) joined += element;
    std::optional<PartName> part;
    const std::optional<XMLTree> tree = stylesTree(document, part);
    if (tree) {
        XMLEdit edit(*tree);
        edit.append(tree->root(), joined);
        document.storePart(*part, share(toBytes(edit.result())));
        return;
    }
    if (part && document.hasPart(part->rawValue)) throw unreadable(*part, "cannot be read");
    const PartName name = part ? *part
                          : document.hasPart("word/styles.xml") ? document.freePartName("styles", "xml")
                                                                 : PartName("word/styles.xml");
    document.ensureContentType(name, std::nullopt, stylesContentType);
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("w:styles", {{"xmlns:w", std::string(mainNamespace)}}).raw(joined);
    document.storePart(name, share(toBytes(out.finish())));
    if (!part) {
        const std::string& main = document.mainPart().rawValue;
        const bool besideMain = main.starts_with("word/") && main.find('/', 5) == std::string::npos &&
                                name.rawValue.find('/', 5) == std::string::npos;
        document.addRelationship(document.mainPart(), "styles",
                                 besideMain ? name.rawValue.substr(5) : "/" + name.rawValue, false);
    }
}

std::string html(const std::vector<HTMLParagraph>& paragraphs, const StyleSheet& styles) {
    HTMLRenderer renderer(styles);
    for (const HTMLParagraph& p : paragraphs) renderer.paragraph(p);
    return renderer.finish();
}

}  // namespace rovuvuz::ClipParts
