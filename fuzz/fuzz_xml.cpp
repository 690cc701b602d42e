// Fuzz target for XMLTree, the Markup helpers and the strict check: any bytes either fail
// with a typed XMLError or give a tree whose every accessor works, whose ranges nest
// inside their parent and the input, and which serialises back to the input; the strict
// check of that tree passes or fails with a typed XMLError inside the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/XMLCheck.h"
#include "RovuVuz/xml/XMLTree.h"

using namespace rovuvuz;

namespace {

#define REQUIRE(condition)                                                                 \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: violated: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

bool inside(ByteRange inner, ByteRange outer) {
    return outer.lower <= inner.lower && inner.lower <= inner.upper && inner.upper <= outer.upper;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.starts_with(prefix);
}

void checkError(const XMLError& error, size_t size) {
    REQUIRE(error.offset() <= size);
    REQUIRE(std::strlen(error.what()) > 0);
    switch (error.code()) {
        case XMLErrorCode::noRootElement:
            REQUIRE(error.offset() == 0);
            break;
        case XMLErrorCode::mismatchedTag:
        case XMLErrorCode::unexpectedEnd:
        case XMLErrorCode::malformed:
        case XMLErrorCode::invalidCharacter:
        case XMLErrorCode::badReference:
        case XMLErrorCode::badAttribute:
        case XMLErrorCode::unboundPrefix:
        case XMLErrorCode::notWellFormed:
            break;
    }
}

// An element's start tag, read on its own, gives the attributes the tree found in place;
// its whole range parses on its own into as many nodes as its subtree holds.
void checkMarkup(const XMLTree& tree, int node, size_t subtreeSize) {
    const Markup::Attributes attributes = Markup::attributes(tree.rawStartTag(node));
    const std::vector<std::string> names = tree.attributeNames(node);
    REQUIRE(attributes.size() == names.size() || (attributes.empty() && tree.nameView(node).empty()));
    // Markup::attribute stops at the first ">", which only ends the tag when no name or
    // value holds one.
    const std::string_view tag = asChars(tree.rawStartTag(node));
    const bool plainTag = tag.find('>') == tag.size() - 1;
    for (size_t i = 0; i < attributes.size(); ++i) {
        REQUIRE(attributes[i].first == names[i]);
        REQUIRE(attributes[i].second == tree.attribute(node, names[i]).value_or(""));
        const auto found = Markup::attribute(names[i], tree.rawStartTag(node));
        REQUIRE(found.has_value() || !plainTag);
    }
    (void)Markup::attribute("val", tree.raw(node));
    (void)Markup::previewText(tree.raw(node), Markup::prefixOf(tree.nameView(node)));
    (void)tree.ownAttribute(node, "val");
    try {
        const XMLTree alone(tree.raw(node));
        REQUIRE(alone.nodeCount() == subtreeSize);
    } catch (const XMLError&) {
        REQUIRE(false);
    }
}

void checkNode(const XMLTree& tree, int node, ByteRange input) {
    const ByteRange range = tree.range(node), startTag = tree.startTag(node), name = tree.nameRange(node);
    REQUIRE(inside(range, input) && !range.empty());
    REQUIRE(inside(startTag, range) && startTag.lower == range.lower);
    REQUIRE(inside(name, startTag));
    REQUIRE(tree.raw(node).data() == tree.bytes().data() + range.lower);
    REQUIRE(tree.rawStartTag(node).size() == startTag.size());
    REQUIRE(tree.isSelfClosing(node) == (range == startTag));
    if (const auto parent = tree.parent(node)) {
        REQUIRE(*parent < node);
        REQUIRE(inside(range, tree.range(*parent)));
        REQUIRE(range.lower >= tree.startTag(*parent).upper);
    } else {
        REQUIRE(node == tree.root());
    }
    REQUIRE(tree.name(node).size() >= name.size());
    REQUIRE(tree.localName(node).size() <= tree.nameView(node).size());
    const std::vector<std::string> names = tree.attributeNames(node);
    REQUIRE(names.size() == tree.attributeCount(node));
    for (size_t i = 0; i < names.size(); ++i) {
        const XMLTree::Attribute attribute = tree.attributeAt(node, i);
        REQUIRE(inside(attribute.name, startTag) && inside(attribute.value, startTag));
        REQUIRE(tree.attribute(node, names[i]).has_value());
    }
    size_t previous = startTag.upper, textChildren = 0;
    for (int child : tree.children(node)) {
        REQUIRE(tree.parent(child) == node);
        REQUIRE(tree.range(child).lower >= previous);
        previous = tree.range(child).upper;
        textChildren += tree.kind(child) == XMLTree::Kind::text;
    }
    const std::string text = tree.text(node);
    REQUIRE(textChildren > 0 || text.empty());
    for (int child : tree.childElements(node)) REQUIRE(tree.kind(child) == XMLTree::Kind::element);

    if (tree.kind(node) == XMLTree::Kind::element) {
        const std::string_view raw = asChars(tree.raw(node));
        REQUIRE(startsWith(raw, "<" + std::string(tree.nameView(node))) && raw.ends_with(">"));
    } else {
        REQUIRE(name.empty() && name.lower == range.lower && tree.attributeCount(node) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<XMLTree> parsed;
    try {
        parsed.emplace(ByteView(data, size));
    } catch (const XMLError& error) {
        checkError(error, size);
        return 0;
    }
    const XMLTree& tree = *parsed;
    REQUIRE(tree.serialize().size() == size &&
            (size == 0 || std::memcmp(tree.serialize().data(), data, size) == 0));
    try {
        tree.checkInvariants();
    } catch (const std::logic_error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        std::abort();
    }
    REQUIRE(tree.prolog().upper == tree.range(tree.root()).lower);
    try {
        XMLCheck::wellFormed(tree);
    } catch (const XMLError& error) {
        checkError(error, size);
    }

    // Subtree sizes from the parent links: parents precede children, so one backward pass.
    const size_t count = tree.nodeCount();
    std::vector<size_t> subtree(count, 1);
    for (size_t i = count; i-- > 1;)
        if (const auto parent = tree.parent(static_cast<int>(i))) subtree[*parent] += subtree[i];

    const ByteRange input{0, size};
    for (size_t i = 0; i < count; ++i) {
        const int node = static_cast<int>(i);
        checkNode(tree, node, input);
        if (tree.kind(node) == XMLTree::Kind::element) checkMarkup(tree, node, subtree[i]);
    }
    return 0;
}
