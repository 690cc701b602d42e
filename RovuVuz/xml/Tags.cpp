#include "RovuVuz/xml/Tags.h"

#include "RovuVuz/xml/XMLTree.h"

#include <string>

namespace rovuvuz {

Tags Tags::build(std::string_view qname, const Markup::Attributes& attributes) {
    std::string both = Markup::startTag(qname, attributes, Markup::SelfClosing::No);
    const size_t startSize = both.size();
    both.append("</").append(qname).append(">");
    const ByteSlice buffer = ByteSlice::copyOf(both);
    return Tags(buffer.sub(ByteRange{0, startSize}), ByteRange{startSize, both.size()});
}

std::string_view Tags::qname() const {
    return Markup::startTagName(start.chars()).value_or(std::string_view());
}

std::string_view Tags::prefix() const {
    return Markup::prefixOf(qname());
}

std::string_view Tags::local() const {
    return Markup::localOf(qname());
}

Tags Tags::with(const Markup::Attributes& attributes) const {
    return build(qname(), Markup::merged(Markup::attributes(start.view()), attributes));
}

void Tags::emit(ByteView content, Bytes& out) const {
    const size_t contentStart = open(out);
    append(out, content);
    close(out, contentStart);
}

size_t Tags::open(Bytes& out) const {
    const ByteView tag = start.view();
    if (hasEnd() || tag.size() < 2) {
        append(out, tag);
    } else {
        // "<w:p/>" opened as "<w:p>": drop the "/>" and close the start tag.
        append(out, tag.first(tag.size() - 2));
        out.push_back('>');
    }
    return out.size();
}

void Tags::close(Bytes& out, size_t contentStart) const {
    if (const auto endTag = end()) {
        append(out, *endTag);
    } else if (out.size() == contentStart) {
        // No content after all: the element stays an empty-element tag, as read.
        const ByteView tag = start.view();
        out.resize(contentStart - (tag.size() < 2 ? tag.size() : tag.size() - 1));
        append(out, tag);
    } else {
        append(out, "</");
        append(out, qname());
        out.push_back('>');
    }
}

Tags Tags::read(const XMLTree& tree, const ByteSlice& whole, int node) {
    const ByteRange range = tree.range(node);
    ByteSlice start = whole.sub(tree.startTag(node));
    if (tree.isSelfClosing(node)) return Tags(std::move(start), std::nullopt);
    // The end tag begins where the last child ends (children cover every byte between the
    // tags). Looking back for the last "<" instead would be fooled by an end tag the
    // scanner accepts with junk after its name, such as "</w:p/<>".
    size_t endStart = tree.startTag(node).upper;
    for (int child : tree.children(node)) endStart = tree.range(child).upper;
    return Tags(std::move(start), ByteRange{endStart, range.upper});
}

}  // namespace rovuvuz
