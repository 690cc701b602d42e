#include "RovuVuz/model/Serializer.h"

#include "RovuVuz/model/Story.h"

#include <string>

#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLText.h"

namespace rovuvuz::Serializer {

namespace {

// Unicode's White_Space property: what a text element must protect with xml:space.
bool isWhiteSpace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// "<prefix" "local" " xml:space…" ">" text "</prefix" "local" ">": the name in two pieces
// so that no temporary string is built per item.
void appendTextElement(Bytes& out, std::string_view prefix, std::string_view local, std::u16string_view text) {
    const bool preserve = !text.empty() && (isWhiteSpace(text.front()) || isWhiteSpace(text.back()));
    out.push_back('<');
    append(out, prefix);
    append(out, local);
    append(out, preserve ? " xml:space=\"preserve\">" : ">");
    append(out, XMLText::escapeText(utf8::fromUtf16(text)));
    append(out, "</");
    append(out, prefix);
    append(out, local);
    out.push_back('>');
}

void appendEmptyElement(Bytes& out, std::string_view prefix, std::string_view local) {
    out.push_back('<');
    append(out, prefix);
    append(out, local);
    append(out, "/>");
}

// A w:br of a fixed type ("page", "column").
void appendBreak(Bytes& out, std::string_view prefix, std::string_view type) {
    out.push_back('<');
    append(out, prefix);
    append(out, "br ");
    append(out, prefix);
    append(out, "type=\"");
    append(out, type);
    append(out, "\"/>");
}

void item(const RunItem& item, const Run& run, std::string_view prefix, Bytes& out) {
    using Type = RunItem::Type;
    const Type type = item.kind.type;
    if (type == Type::props) {
        if (run.props) run.props->serialize(out);
        return;
    }
    if (item.hasOriginal() && (type == Type::object || type == Type::noteRef || type == Type::commentRef ||
                          type == Type::fieldChar || type == Type::instrText || type == Type::hidden ||
                          item.isPristine())) {
        append(out, item.original.view());
        return;
    }
    switch (type) {
        case Type::text: appendTextElement(out, prefix, "t", item.kind.text); break;
        case Type::delText: appendTextElement(out, prefix, "delText", item.kind.text); break;
        case Type::tab: appendEmptyElement(out, prefix, "tab"); break;
        case Type::lineBreak:
            if (item.kind.isColumnBreak())
                appendBreak(out, prefix, "column");
            else
                appendEmptyElement(out, prefix, "br");
            break;
        case Type::pageBreak: appendBreak(out, prefix, "page"); break;
        default: break;  // kinds that exist only as read bytes have nothing to write without them
    }
}

}  // namespace

void run(const Run& run, Bytes& out) {
    const std::string_view tagPrefix = run.tags.prefix();
    std::string prefix(tagPrefix);
    if (!prefix.empty()) prefix += ':';
    const size_t contentStart = run.tags.open(out);
    for (const RunItem& i : run.items) item(i, run, prefix, out);
    run.tags.close(out, contentStart);
}

void inlines(const std::vector<Inline>& inlines, const PropertyBag* props, Bytes& out) {
    for (const Inline& node : inlines) {
        if (const auto* r = std::get_if<std::unique_ptr<Run>>(&node)) {
            run(**r, out);
        } else if (const auto* c = std::get_if<std::unique_ptr<Container>>(&node)) {
            const size_t contentStart = (*c)->tags.open(out);
            Serializer::inlines((*c)->inlines, nullptr, out);
            (*c)->tags.close(out, contentStart);
        } else if (const auto* raw = std::get_if<Raw>(&node)) {
            append(out, raw->bytes.view());
        } else if (props) {
            props->serialize(out);
        }
    }
}

void paragraph(const Paragraph& paragraph, Bytes& out) {
    if (paragraph.original) {
        append(out, paragraph.original->view());
        return;
    }
    const size_t contentStart = paragraph.tags.open(out);
    inlines(paragraph.inlines, paragraph.props ? &*paragraph.props : nullptr, out);
    paragraph.tags.close(out, contentStart);
}

void group(const Group& group, Bytes& out) {
    const size_t contentStart = group.tags.open(out);
    for (const Block& block : group.children) {
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block))
            paragraph(**p, out);
        else if (const auto* g = std::get_if<std::unique_ptr<Group>>(&block))
            Serializer::group(**g, out);
        else
            append(out, std::get<Raw>(block).bytes.view());
    }
    group.tags.close(out, contentStart);
}

Bytes textElement(std::string_view qname, std::u16string_view text) {
    Bytes out;
    appendTextElement(out, {}, qname, text);
    return out;
}

Bytes story(const Story& story) {
    Bytes out;
    out.reserve(story.source->size() + 256);
    append(out, story.prolog.view());
    group(*story.root, out);
    append(out, story.epilog.view());
    return out;
}

}  // namespace rovuvuz::Serializer
