// The start and end tag of an element as bytes: what a group, paragraph, container, run
// or property bag keeps of its own element, so that it can be wrapped around its content
// again exactly as it was read.
#pragma once

#include <optional>
#include <string_view>

#include "RovuVuz/xml/Bytes.h"
#include "RovuVuz/xml/Markup.h"

namespace rovuvuz {

class XMLTree;

struct Tags {
    ByteSlice start;  // the start tag exactly as read (or built)

    Tags() = default;
    // The end tag, when there is one, lies in the same buffer as the start tag (where it
    // was read, or built beside it), so a tag pair costs one slice and one range.
    Tags(ByteSlice startTag, std::optional<ByteRange> endTag)
        : start(std::move(startTag)),
          endOffset_(endTag ? static_cast<uint32_t>(endTag->lower) : 0),
          endSize_(endTag ? static_cast<uint32_t>(endTag->size()) : 0) {}

    // The end tag exactly as read; nothing when the element was an empty-element tag
    // ("<w:rPr/>").
    std::optional<ByteView> end() const {
        if (endSize_ == 0) return std::nullopt;
        return ByteView(start.buffer()->data() + endOffset_, endSize_);
    }
    bool hasEnd() const { return endSize_ != 0; }

    // The tags of an element of a tree; `whole` is a slice of the tree's whole buffer.
    static Tags read(const XMLTree& tree, const ByteSlice& whole, int node);
    // A new element "<qname a=\"v\">" with the end tag "</qname>".
    static Tags build(std::string_view qname, const Markup::Attributes& attributes);

    // The qualified name, read from the start tag ("w:p").
    std::string_view qname() const;
    // The part of the name before its first ":"; empty without one.
    std::string_view prefix() const;
    // The part of the name after its first ":"; the whole name without one.
    std::string_view local() const;

    // The same element with the given attributes set: present ones keep their position,
    // new ones are appended in order. The result always has an end tag.
    Tags with(const Markup::Attributes& attributes) const;

    // Writes the element around `content`. Without an end tag and with content, the
    // empty-element tag is opened ("<w:p/>" becomes "<w:p>" … "</w:p>").
    void emit(ByteView content, Bytes& out) const;

    // The same as emit, for content that the caller writes straight into `out` between the
    // two calls: open() returns where the content begins, close() finishes the element.
    size_t open(Bytes& out) const;
    void close(Bytes& out, size_t contentStart) const;

private:
    uint32_t endOffset_ = 0;
    uint32_t endSize_ = 0;  // 0: no end tag
};

}  // namespace rovuvuz
