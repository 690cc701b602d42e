#include "RovuVuz/Tags.h"

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

}  // namespace rovuvuz
