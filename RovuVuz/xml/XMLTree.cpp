#include "RovuVuz/xml/XMLTree.h"

#include <array>
#include <cstring>
#include <limits>

#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLText.h"

namespace rovuvuz {

namespace {

// Byte classes of the scanner. A byte may belong to several; the loops test one mask.
enum CharClass : uint8_t {
    whitespace = 1,        // the four XML white-space bytes (XML 1.0 §2.3, production S)
    elementNameEnd = 2,    // ends a tag name: white space, "/" or ">"
    attributeNameEnd = 4,  // ends an attribute name: white space or "="
    quote = 8,             // opens an attribute value
};

constexpr std::array<uint8_t, 256> makeCharClasses() {
    std::array<uint8_t, 256> table{};
    for (uint8_t byte : {'\t', '\n', '\r', ' '})
        table[byte] |= whitespace | elementNameEnd | attributeNameEnd;
    table['/'] |= elementNameEnd;
    table['>'] |= elementNameEnd;
    table['='] |= attributeNameEnd;
    table['"'] |= quote;
    table['\''] |= quote;
    return table;
}

constexpr std::array<uint8_t, 256> charClasses = makeCharClasses();

constexpr std::string_view commentOpen = "<!--", commentClose = "-->";
constexpr std::string_view cdataOpen = "<![CDATA[", cdataClose = "]]>";
constexpr std::string_view declarationClose = ">", processingInstructionClose = "?>";

// Offsets are stored in 32 bits; the end offset itself must fit.
constexpr size_t maxInputSize = std::numeric_limits<uint32_t>::max();
constexpr size_t maxNodeCount = std::numeric_limits<int32_t>::max();

// The first offset at or after `from` whose byte is in `mask`, or `size`. One table
// lookup per byte, and every caller continues from the result, so scanning stays linear
// however the bytes are arranged.
inline size_t scanUntil(const uint8_t* data, size_t from, size_t size, uint8_t mask) {
    while (from < size && !(charClasses[data[from]] & mask)) ++from;
    return from;
}

inline size_t skipWhitespace(const uint8_t* data, size_t from, size_t size) {
    while (from < size && (charClasses[data[from]] & whitespace)) ++from;
    return from;
}

// The offset of the first `byte` at or after `from`, or `size`.
inline size_t findByte(const uint8_t* data, size_t from, size_t size, uint8_t byte) {
    if (from >= size) return size;
    const void* hit = std::memchr(data + from, byte, size - from);
    return hit ? static_cast<size_t>(static_cast<const uint8_t*>(hit) - data) : size;
}

inline bool startsWith(const uint8_t* data, size_t at, size_t size, std::string_view prefix) {
    return size - at >= prefix.size() && std::memcmp(data + at, prefix.data(), prefix.size()) == 0;
}

// The first occurrence of `needle` at or after `from`, or npos. memchr finds each
// candidate first byte and the search resumes one past a failed candidate, so the cost is
// linear in the bytes passed for the short terminators used here.
size_t findSequence(const uint8_t* data, size_t from, size_t size, std::string_view needle) {
    const auto first = static_cast<uint8_t>(needle.front());
    for (size_t at = findByte(data, from, size, first); at < size; at = findByte(data, at + 1, size, first))
        if (startsWith(data, at, size, needle)) return at;
    return std::string_view::npos;
}

// The terminator of a "<!" or "<?" construct starting at `at`.
std::string_view declarationTerminator(const uint8_t* data, size_t at, size_t size) {
    if (startsWith(data, at, size, commentOpen)) return commentClose;
    if (startsWith(data, at, size, cdataOpen)) return cdataClose;
    return data[at + 1] == '!' ? declarationClose : processingInstructionClose;
}

std::string describe(XMLErrorCode code, size_t offset) {
    switch (code) {
        case XMLErrorCode::unexpectedEnd:
            return "XML ends inside a construct or with open elements (at byte " + std::to_string(offset) +
                   ")";
        case XMLErrorCode::malformed:
            return "malformed XML at byte " + std::to_string(offset);
        case XMLErrorCode::noRootElement:
            return "XML has no root element";
        case XMLErrorCode::invalidCharacter:
            return "character not allowed in XML at byte " + std::to_string(offset);
        case XMLErrorCode::badReference:
            return "undefined entity or bad character reference at byte " + std::to_string(offset);
        case XMLErrorCode::badAttribute:
            return "malformed or repeated attribute at byte " + std::to_string(offset);
        case XMLErrorCode::unboundPrefix:
            return "undeclared namespace prefix at byte " + std::to_string(offset);
        case XMLErrorCode::notWellFormed:
            return "not well-formed XML at byte " + std::to_string(offset);
        case XMLErrorCode::mismatchedTag:
            break;
    }
    return "mismatched XML end tag at byte " + std::to_string(offset);
}

}  // namespace

XMLError::XMLError(XMLErrorCode code, size_t offset)
    : std::runtime_error(describe(code, offset)), code_(code), offset_(offset) {}

XMLError::XMLError(XMLErrorCode code, size_t offset, const std::string& detail)
    : std::runtime_error(describe(code, offset) + ": " + detail), code_(code), offset_(offset) {}

XMLError::XMLError(std::string expected, std::string found, size_t offset)
    : std::runtime_error("XML end tag </" + found + "> at byte " + std::to_string(offset) +
                         " does not close <" + expected + ">"),
      code_(XMLErrorCode::mismatchedTag),
      offset_(offset),
      expected_(std::move(expected)),
      found_(std::move(found)) {}

XMLTree::XMLTree(SharedBytes bytes) : bytes_(bytes ? std::move(bytes) : share({})) {
    parse();
}

XMLTree::XMLTree(ByteView bytes) : bytes_(share(Bytes(bytes.begin(), bytes.end()))) {
    parse();
}

// One forward pass. Open elements live on an explicit stack together with the last child
// appended to each, so nesting depth costs heap, not call stack, and appending a child
// never walks its siblings.
void XMLTree::parse() {
    const uint8_t* const data = bytes_->data();
    const size_t size = bytes_->size();
    if (size > maxInputSize) throw XMLError(XMLErrorCode::malformed, 0);

    // A WordprocessingML body averages well over 16 bytes per node; a poorer guess only
    // costs the vector's usual regrowth.
    nodes_.reserve(size / 16 + 4);

    struct Open {
        int32_t node;
        int32_t lastChild;
    };
    std::vector<Open> stack;
    stack.reserve(64);

    // Appends a node under the innermost open element. The record is written in place:
    // building it on the stack and copying it in stalled on store forwarding.
    auto append = [&](Kind kind, size_t begin, size_t end, size_t nameEnd, uint32_t firstAttribute) {
        if (nodes_.size() >= maxNodeCount) throw XMLError(XMLErrorCode::malformed, begin);
        const auto index = static_cast<int32_t>(nodes_.size());
        int32_t parent = -1;
        if (!stack.empty()) {
            Open& open = stack.back();
            parent = open.node;
            (open.lastChild < 0 ? nodes_[open.node].firstChild : nodes_[open.lastChild].nextSibling) = index;
            open.lastChild = index;
        }
        const auto attributeCount = static_cast<uint32_t>(attributes_.size()) - firstAttribute;
        nodes_.push_back(Node{static_cast<uint32_t>(begin), static_cast<uint32_t>(end),
                              static_cast<uint32_t>(end), static_cast<uint32_t>(nameEnd), firstAttribute,
                              attributeCount, parent, -1, -1, kind});
        return index;
    };
    auto leaf = [&](Kind kind, size_t begin, size_t end) {
        append(kind, begin, end, begin, static_cast<uint32_t>(attributes_.size()));
    };

    bool rootSeen = false;
    size_t i = 0;
    while (i < size) {
        // Character data runs to the next "<". Outside the root it makes no node.
        if (data[i] != '<') {
            const size_t j = findByte(data, i, size, '<');
            if (!stack.empty()) leaf(Kind::text, i, j);
            i = j;
            continue;
        }
        if (i + 1 >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
        const uint8_t c = data[i + 1];

        // Comments, CDATA sections, processing instructions and other "<!" declarations
        // end at their terminator; a doctype's internal subset is not understood.
        if (c == '!' || c == '?') {
            const std::string_view terminator = declarationTerminator(data, i, size);
            const size_t at = findSequence(data, i + 2, size, terminator);
            if (at == std::string_view::npos) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            const size_t end = at + terminator.size();
            const Kind kind = terminator == cdataClose ? Kind::text : Kind::other;
            if (!stack.empty()) leaf(kind, i, end);
            i = end;
            continue;
        }

        if (c == '/') {
            const size_t nameBegin = i + 2;
            const size_t nameEnd = scanUntil(data, nameBegin, size, elementNameEnd);
            if (nameEnd >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            const size_t close = findByte(data, nameEnd, size, '>');
            if (close >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            if (stack.empty()) throw XMLError(XMLErrorCode::malformed, i);
            const int32_t open = stack.back().node;
            Node& element = nodes_[open];
            const size_t openLength = element.nameEnd - element.begin - 1;
            if (openLength != nameEnd - nameBegin ||
                std::memcmp(data + element.begin + 1, data + nameBegin, openLength) != 0) {
                throw XMLError(name(open), utf8::repaired(ByteView(data + nameBegin, nameEnd - nameBegin)),
                               i);
            }
            element.end = static_cast<uint32_t>(close + 1);
            stack.pop_back();
            i = close + 1;
            continue;
        }

        // A start tag or empty-element tag.
        const size_t nameEnd = scanUntil(data, i + 1, size, elementNameEnd);
        if (nameEnd >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
        const auto firstAttribute = static_cast<uint32_t>(attributes_.size());
        bool selfClosing = false;
        size_t k = nameEnd;
        for (;;) {
            k = skipWhitespace(data, k, size);
            if (k >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            if (data[k] == '/') {
                if (k + 1 >= size || data[k + 1] != '>') throw XMLError(XMLErrorCode::malformed, k);
                selfClosing = true;
                k += 2;
                break;
            }
            if (data[k] == '>') {
                k += 1;
                break;
            }
            // Whatever lies between the name and the first quote is skipped unchecked (it
            // is "=" with optional white space in well-formed input). Each scan resumes
            // where the previous one stopped, so even a value-less attribute that sends
            // the scan far ahead keeps the pass linear.
            const size_t attributeNameStop = scanUntil(data, k, size, attributeNameEnd);
            if (attributeNameStop >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            const size_t openQuote = scanUntil(data, attributeNameStop, size, quote);
            if (openQuote >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            const size_t closeQuote = findByte(data, openQuote + 1, size, data[openQuote]);
            if (closeQuote >= size) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            attributes_.push_back({static_cast<uint32_t>(k), static_cast<uint32_t>(attributeNameStop),
                                   static_cast<uint32_t>(openQuote + 1), static_cast<uint32_t>(closeQuote)});
            k = closeQuote + 1;
        }

        if (stack.empty()) {
            if (rootSeen) throw XMLError(XMLErrorCode::malformed, i);
            rootSeen = true;
            root_ = static_cast<int>(nodes_.size());
            prologEnd_ = i;
        }
        const int32_t index = append(Kind::element, i, k, nameEnd, firstAttribute);
        if (!selfClosing) stack.push_back({index, -1});
        i = k;
    }

    if (!stack.empty()) throw XMLError(XMLErrorCode::unexpectedEnd, size);
    if (!rootSeen) throw XMLError(XMLErrorCode::noRootElement, 0);
}

ByteRange XMLTree::nameRange(int node) const {
    const Node& n = nodes_[node];
    if (n.kind != Kind::element) return {n.begin, n.begin};
    return {size_t{n.begin} + 1, n.nameEnd};
}

std::optional<int> XMLTree::parent(int node) const {
    const int32_t p = nodes_[node].parent;
    if (p < 0) return std::nullopt;
    return p;
}

std::string XMLTree::name(int node) const {
    return utf8::repaired(viewOf(*bytes_, nameRange(node)));
}

std::string_view XMLTree::localName(int node) const {
    const std::string_view qualified = nameView(node);
    const size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

std::optional<std::string> XMLTree::attribute(int node, std::string_view name) const {
    const Node& n = nodes_[node];
    for (uint32_t i = 0; i < n.attributeCount; ++i) {
        const RawAttribute& a = attributes_[n.firstAttribute + i];
        if (asChars(viewOf(*bytes_, {a.nameBegin, a.nameEnd})) == name)
            return XMLText::unescape(asChars(viewOf(*bytes_, {a.valueBegin, a.valueEnd})));
    }
    return std::nullopt;
}

std::optional<std::string> XMLTree::ownAttribute(int node, std::string_view local) const {
    const std::string_view element = nameView(node);
    const Node& n = nodes_[node];
    std::optional<uint32_t> fallback;
    for (uint32_t i = 0; i < n.attributeCount; ++i) {
        const RawAttribute& a = attributes_[n.firstAttribute + i];
        const auto match =
            Markup::ownAttributeMatch(element, asChars(viewOf(*bytes_, {a.nameBegin, a.nameEnd})), local);
        if (match == Markup::OwnAttributeMatch::own) {
            fallback = i;
            break;
        }
        if (match == Markup::OwnAttributeMatch::otherPrefix && !fallback) fallback = i;
    }
    if (!fallback) return std::nullopt;
    const RawAttribute& a = attributes_[n.firstAttribute + *fallback];
    return XMLText::unescape(asChars(viewOf(*bytes_, {a.valueBegin, a.valueEnd})));
}

std::vector<std::string> XMLTree::attributeNames(int node) const {
    std::vector<std::string> names;
    names.reserve(attributeCount(node));
    for (size_t i = 0; i < attributeCount(node); ++i)
        names.emplace_back(asChars(viewOf(*bytes_, attributeAt(node, i).name)));
    return names;
}

std::vector<int> XMLTree::childElements(int node) const {
    std::vector<int> elements;
    for (int child : children(node))
        if (nodes_[child].kind == Kind::element) elements.push_back(child);
    return elements;
}

// A CDATA section's content is literal by definition (XML 1.0 §2.7), so only the
// delimiters come off; ordinary character data is unescaped.
std::string XMLTree::text(int node) const {
    std::string result;
    for (int child : children(node)) {
        if (nodes_[child].kind != Kind::text) continue;
        std::string_view bytes = asChars(raw(child));
        if (bytes.starts_with(cdataOpen)) {
            result.append(
                bytes.substr(cdataOpen.size(), bytes.size() - cdataOpen.size() - cdataClose.size()));
        } else {
            result += XMLText::unescape(bytes);
        }
    }
    return result;
}

void XMLTree::checkInvariants() const {
    auto fail = [](int node, const char* rule) {
        throw std::logic_error("XMLTree node " + std::to_string(node) + ": " + rule);
    };
    const size_t size = bytes_->size();
    if (root_ < 0 || static_cast<size_t>(root_) >= nodes_.size()) fail(root_, "root out of range");
    if (nodes_[root_].parent >= 0 || prologEnd_ != nodes_[root_].begin) fail(root_, "root is not top-level");
    for (size_t index = 0; index < nodes_.size(); ++index) {
        const int node = static_cast<int>(index);
        const Node& n = nodes_[index];
        if (!(n.begin < n.startTagEnd && n.startTagEnd <= n.end && n.end <= size))
            fail(node, "range outside input");
        if (n.kind != Kind::element && (n.startTagEnd != n.end || n.attributeCount != 0))
            fail(node, "leaf shape");
        const ByteRange name = nameRange(node);
        if (name.lower < n.begin || name.upper > n.startTagEnd) fail(node, "name outside start tag");
        for (size_t a = 0; a < n.attributeCount; ++a) {
            const Attribute attribute = attributeAt(node, a);
            if (attribute.name.lower < name.upper || attribute.value.upper >= n.startTagEnd ||
                attribute.name.upper > attribute.value.lower)
                fail(node, "attribute outside start tag");
        }
        if (n.parent < 0 ? node != root_ : n.parent >= node) fail(node, "parent does not precede child");
        size_t previousEnd = n.startTagEnd;
        for (int child : children(node)) {
            const Node& c = nodes_[child];
            if (c.parent != node) fail(child, "child's parent link is wrong");
            if (c.begin < previousEnd || c.end > n.end)
                fail(child, "child range outside parent or overlapping");
            previousEnd = c.end;
        }
    }
}

}  // namespace rovuvuz
