#include "RovuVuz/xml/Tags.h"

#include "RovuVuz/xml/XMLTree.h"

#include <string>

namespace rovuvuz {

namespace {

bool endsName(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>'; }

}  // namespace

Tags Tags::build(std::string_view qname, const Markup::Attributes& attributes) {
    std::string both = Markup::startTag(qname, attributes, Markup::SelfClosing::No);
    const size_t startSize = both.size();
    both.append("</").append(qname).append(">");
    const ByteSlice buffer = ByteSlice::copyOf(both);
    return Tags(buffer.sub(ByteRange{0, startSize}), ByteRange{startSize, both.size()});
}

std::string_view Tags::qname() const {
    const std::string_view tag = start.chars();
    if (tag.size() < 2 || tag[0] != '<') return {};
    size_t nameEnd = 1;
    while (nameEnd < tag.size() && !endsName(tag[nameEnd])) ++nameEnd;
    return tag.substr(1, nameEnd - 1);
}

std::string_view Tags::prefix() const {
    const std::string_view name = qname();
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
}

std::string_view Tags::local() const {
    const std::string_view name = qname();
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

Tags Tags::with(const Markup::Attributes& attributes) const {
    Markup::Attributes merged = Markup::attributes(start.view());
    for (const auto& attribute : attributes) {
        auto found = std::find_if(merged.begin(), merged.end(),
                                  [&](const auto& pair) { return pair.first == attribute.first; });
        if (found != merged.end())
            found->second = attribute.second;
        else
            merged.push_back(attribute);
    }
    return build(qname(), merged);
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
