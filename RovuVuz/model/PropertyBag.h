// A property element (w:pPr, w:rPr, …) kept as its tags and an ordered list of raw child
// elements, so that one property can be set or removed while every other child keeps its
// bytes; new children go to their position in the schema's sequence (ECMA-376 §17.3.1.26
// for pPr, §17.3.2.28 for rPr).
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "RovuVuz/xml/Bytes.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Tags.h"

namespace rovuvuz {

class XMLTree;

namespace SchemaOrder {

// The position of a child's local name in the run (rPr) or paragraph (pPr) properties
// sequence; nothing for names the sequence does not list.
std::optional<int> runRank(std::string_view local);
std::optional<int> paragraphRank(std::string_view local);

}  // namespace SchemaOrder

struct PropertyBag {
    struct Child {
        ByteSlice bytes;  // the child exactly as read or built

        // The element's local name; empty for character data, comments and instructions.
        std::string_view local() const;
    };

    Tags tags;
    std::vector<Child> children;      // every child node, whitespace and comments included
    std::optional<ByteSlice> original;  // the whole element as read; cleared by any change

    // The bytes of the first child with that local name.
    std::optional<ByteView> child(std::string_view local) const;

    // An on/off property (w:b, w:i, …): nothing when absent; otherwise its val attribute,
    // where a missing val is on and "0", "false", "off", "none" are off.
    std::optional<bool> toggle(std::string_view local) const;

    // True when no child is an element.
    bool isEmpty() const;

    // Replaces, inserts (at its schema position) or, with nothing, removes a child.
    void set(std::string_view local, std::optional<ByteView> bytes);
    // Sets a self-closing child built with the bag's own prefix ("jc" with val=center on a
    // w:pPr gives <w:jc w:val="center"/>).
    void set(std::string_view local, const Markup::Attributes& attributes);

    // The original bytes while unchanged; otherwise the tags around the children.
    void serialize(Bytes& out) const;
    Bytes serialized() const;

    // A property element of a tree; `whole` is a slice of the tree's whole buffer to slice
    // from.
    static PropertyBag read(const XMLTree& tree, const ByteSlice& whole, int node);
    static PropertyBag read(const XMLTree& tree, int node);
    // Reads one property element the way the story parser does; nothing when it does not
    // parse.
    static std::optional<PropertyBag> parse(ByteView bytes);

private:
    std::optional<int> rank(std::string_view local) const;
};

}  // namespace rovuvuz
