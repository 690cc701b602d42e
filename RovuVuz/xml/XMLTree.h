// XMLTree: a forgiving byte scanner that turns one XML part into a flat array of nodes
// whose positions are byte ranges into the untouched input. Nothing is copied or
// normalised while parsing, so any element can be written back exactly as it was read by
// slicing the input. No DTDs, no namespace resolution (prefixes stay part of names), and
// the input is taken to be UTF-8.
//
// For the input
//
//     <?xml version="1.0"?><w:p a="1"><w:r>hi</w:r></w:p>
//     0                    21         32   37 39    45    51
//
// the node array is
//
//     0 element w:p  range 21..<51  startTag 21..<32  attributes [a="1"]  parent none
//     1 element w:r  range 32..<45  startTag 32..<37                      parent 0
//     2 text         range 37..<39                                        parent 1
//
// with root 0 and prolog 0..<21. A node's index is its position of creation, so parents
// precede children; children are reached through first-child/next-sibling links and
// attributes sit in one flat array, so a node costs one fixed-size record.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

enum class XMLErrorCode {
    unexpectedEnd,  // the input ends inside a construct, or with elements still open
    mismatchedTag,  // an end tag does not close the innermost open element
    malformed,      // a second top-level element, a stray end tag, or "/" not followed by ">"
    noRootElement,  // no element at all
    // Found only by the strict check of a part about to be written (XMLCheck):
    invalidCharacter,  // bytes that are not UTF-8, or a character XML 1.0 cannot carry
    badReference,      // "&" that starts no predefined entity or reference to a character
    badAttribute,      // an attribute without "=" and a quoted value, with "<", or given twice
    unboundPrefix,     // a namespace prefix no xmlns: declaration in scope binds
    notWellFormed,     // anything else a conforming reader rejects (detail says what)
};

class XMLError : public std::runtime_error {
public:
    XMLError(XMLErrorCode code, size_t offset);
    // With what was found there ("U+000B", "prefix w14").
    XMLError(XMLErrorCode code, size_t offset, const std::string& detail);
    XMLError(std::string expected, std::string found, size_t offset);  // mismatchedTag

    XMLErrorCode code() const { return code_; }
    // Where parsing stopped (the byte count for an unexpected end); 0 for noRootElement.
    size_t offset() const { return offset_; }
    // For mismatchedTag: the open element's qualified name and the end tag's name.
    const std::string& expected() const { return expected_; }
    const std::string& found() const { return found_; }

private:
    XMLErrorCode code_;
    size_t offset_;
    std::string expected_, found_;
};

class XMLTree {
public:
    enum class Kind : uint8_t { element, text, other };

    struct Attribute {
        ByteRange name;
        ByteRange value;  // without the quotes, still escaped
    };

    // Iterates the indices of a node's children in document order.
    class Children {
    public:
        class iterator {
        public:
            using value_type = int;
            using difference_type = std::ptrdiff_t;
            iterator() = default;
            iterator(const XMLTree* tree, int node) : tree_(tree), node_(node) {}
            int operator*() const { return node_; }
            iterator& operator++();
            iterator operator++(int) { auto copy = *this; ++*this; return copy; }
            bool operator==(const iterator& other) const { return node_ == other.node_; }
        private:
            const XMLTree* tree_ = nullptr;
            int node_ = -1;
        };
        Children(const XMLTree* tree, int first) : tree_(tree), first_(first) {}
        iterator begin() const { return iterator(tree_, first_); }
        iterator end() const { return iterator(tree_, -1); }
        bool empty() const { return first_ < 0; }
    private:
        const XMLTree* tree_;
        int first_;
    };

    // Parses without copying; throws XMLError.
    explicit XMLTree(SharedBytes bytes);
    // Copies the bytes, then parses; throws XMLError.
    explicit XMLTree(ByteView bytes);

    const Bytes& bytes() const { return *bytes_; }
    const SharedBytes& sharedBytes() const { return bytes_; }
    size_t nodeCount() const { return nodes_.size(); }
    int root() const { return root_; }
    ByteRange prolog() const { return ByteRange{0, prologEnd_}; }

    Kind kind(int node) const { return nodes_[node].kind; }
    ByteRange range(int node) const { return {nodes_[node].begin, nodes_[node].end}; }
    ByteRange startTag(int node) const { return {nodes_[node].begin, nodes_[node].startTagEnd}; }
    // The qualified name inside the start tag; empty at the node start for non-elements.
    ByteRange nameRange(int node) const;
    std::optional<int> parent(int node) const;
    Children children(int node) const { return Children(this, nodes_[node].firstChild); }
    size_t attributeCount(int node) const { return nodes_[node].attributeCount; }
    Attribute attributeAt(int node, size_t i) const {
        const RawAttribute& a = attributes_[nodes_[node].firstAttribute + i];
        return {{a.nameBegin, a.nameEnd}, {a.valueBegin, a.valueEnd}};
    }

    // The qualified name, UTF-8 with invalid sequences repaired.
    std::string name(int node) const;
    // The qualified name's raw bytes, for fast comparison.
    std::string_view nameView(int node) const { return asChars(viewOf(*bytes_, nameRange(node))); }
    // The part of the name after the first ":"; the whole name when it has none.
    std::string_view localName(int node) const;
    // The unescaped value of the first attribute whose qualified name is exactly `name`.
    std::optional<std::string> attribute(int node, std::string_view name) const;
    // The unescaped value of the attribute `local` in the element's own namespace, whatever
    // prefix the part binds it to: "w:val" on w:gridSpan, "ns0:val" on ns0:gridSpan, and on
    // an unprefixed element "val" or else a prefixed one ("w:val"); see
    // Markup::ownAttributeMatch.
    std::optional<std::string> ownAttribute(int node, std::string_view local) const;
    std::vector<std::string> attributeNames(int node) const;
    std::vector<int> childElements(int node) const;
    // The unescaped bytes of every direct text child, concatenated. A CDATA child
    // contributes its content without the delimiters.
    std::string text(int node) const;
    bool isSelfClosing(int node) const { return nodes_[node].end == nodes_[node].startTagEnd; }

    ByteView raw(int node) const { return viewOf(*bytes_, range(node)); }
    ByteView raw(ByteRange range) const { return viewOf(*bytes_, range); }
    ByteView rawStartTag(int node) const { return viewOf(*bytes_, startTag(node)); }

    // The input, unchanged.
    const Bytes& serialize() const { return *bytes_; }

    // Throws std::logic_error naming the first broken structural rule: every range inside
    // the input, children inside their parent and in order, links consistent.
    void checkInvariants() const;

private:
    struct Node {
        uint32_t begin = 0;
        uint32_t end = 0;
        uint32_t startTagEnd = 0;
        uint32_t nameEnd = 0;  // elements: the name runs from begin + 1 to here
        uint32_t firstAttribute = 0;
        uint32_t attributeCount = 0;
        int32_t parent = -1;
        int32_t firstChild = -1;
        int32_t nextSibling = -1;
        Kind kind = Kind::other;
    };

    // Offsets are 32-bit like the nodes', which halves the array a part with many
    // attributes (every w:rsidR) builds.
    struct RawAttribute {
        uint32_t nameBegin, nameEnd, valueBegin, valueEnd;
    };

    void parse();

    SharedBytes bytes_;
    std::vector<Node> nodes_;
    std::vector<RawAttribute> attributes_;
    int root_ = -1;
    size_t prologEnd_ = 0;
};

inline XMLTree::Children::iterator& XMLTree::Children::iterator::operator++() {
    node_ = tree_->nodes_[node_].nextSibling;
    return *this;
}

}  // namespace rovuvuz
