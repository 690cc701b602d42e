#include "RovuVuz/xml/XMLTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rovuvuz {
namespace {

using Kind = XMLTree::Kind;

XMLTree parse(std::string_view xml) {
    return XMLTree(asBytes(xml));
}

std::string slice(const XMLTree& tree, ByteRange range) {
    return std::string(asChars(tree.raw(range)));
}

std::vector<Kind> childKinds(const XMLTree& tree, int node) {
    std::vector<Kind> kinds;
    for (int child : tree.children(node)) kinds.push_back(tree.kind(child));
    return kinds;
}

TEST(XMLTree, WorkedExampleGivesTheDocumentedNodeArray) {
    const std::string_view xml = R"(<?xml version="1.0"?><w:p a="1"><w:r>hi</w:r></w:p>)";
    const XMLTree tree = parse(xml);
    ASSERT_EQ(tree.nodeCount(), 3u);
    EXPECT_EQ(tree.root(), 0);
    EXPECT_EQ(tree.prolog(), (ByteRange{0, 21}));

    EXPECT_EQ(tree.kind(0), Kind::element);
    EXPECT_EQ(tree.range(0), (ByteRange{21, 51}));
    EXPECT_EQ(tree.startTag(0), (ByteRange{21, 32}));
    EXPECT_EQ(tree.nameRange(0), (ByteRange{22, 25}));
    ASSERT_EQ(tree.attributeCount(0), 1u);
    EXPECT_EQ(tree.attributeAt(0, 0).name, (ByteRange{26, 27}));
    EXPECT_EQ(tree.attributeAt(0, 0).value, (ByteRange{29, 30}));
    EXPECT_EQ(tree.parent(0), std::nullopt);

    EXPECT_EQ(tree.range(1), (ByteRange{32, 45}));
    EXPECT_EQ(tree.startTag(1), (ByteRange{32, 37}));
    EXPECT_EQ(tree.parent(1), 0);
    EXPECT_EQ(tree.name(1), "w:r");

    EXPECT_EQ(tree.kind(2), Kind::text);
    EXPECT_EQ(tree.range(2), (ByteRange{37, 39}));
    EXPECT_EQ(tree.startTag(2), tree.range(2));
    EXPECT_EQ(tree.nameRange(2), (ByteRange{37, 37}));
    EXPECT_EQ(tree.parent(2), 1);
    EXPECT_EQ(tree.text(1), "hi");

    EXPECT_EQ(tree.serialize(), toBytes(xml));
    tree.checkInvariants();
}

TEST(XMLTree, EveryConstructInsideAnElementBecomesAChildOfTheRightKind) {
    const XMLTree tree = parse("<r>t<![CDATA[<x>]]><!--c--><?pi d?><!DOCTYPE x><e/></r>");
    EXPECT_EQ(childKinds(tree, tree.root()),
              (std::vector{Kind::text, Kind::text, Kind::other, Kind::other, Kind::other, Kind::element}));
    // A CDATA node keeps its delimiters; a comment is the whole construct.
    EXPECT_EQ(asChars(tree.raw(2)), "<![CDATA[<x>]]>");
    EXPECT_EQ(asChars(tree.raw(3)), "<!--c-->");
    EXPECT_EQ(asChars(tree.raw(4)), "<?pi d?>");
    EXPECT_EQ(asChars(tree.raw(5)), "<!DOCTYPE x>");
    for (int node = 1; node < 6; ++node) {
        EXPECT_TRUE(tree.isSelfClosing(node)) << node;
        EXPECT_TRUE(tree.nameRange(node).empty()) << node;
        EXPECT_EQ(tree.nameRange(node).lower, tree.range(node).lower) << node;
    }
    EXPECT_EQ(tree.childElements(tree.root()), std::vector<int>{6});
}

TEST(XMLTree, WhatLiesOutsideTheRootMakesNoNodes) {
    struct Row {
        const char* name;
        std::string_view xml;
        size_t prologEnd;
    };
    const Row rows[] = {
        {"declaration and comment", "<?xml version=\"1.0\"?>\n<!-- c --><a/>", 32},
        {"trailing comment, PI and white space", "<a/>  <!-- trailing --><?pi x?>\n", 0},
        {"stray text around the root", "before<a/>after", 6},
        // The doctype ends at its first ">", so the rest of the internal subset is stray text.
        {"doctype with internal subset", "<!DOCTYPE w [<!ENTITY x 'y'>]><a/>", 30},
        {"end-tag junk after the name is ignored", "<a></a junk>", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const XMLTree tree = parse(row.xml);
        EXPECT_EQ(tree.nodeCount(), 1u);
        EXPECT_EQ(tree.root(), 0);
        EXPECT_EQ(tree.prolog(), (ByteRange{0, row.prologEnd}));
        EXPECT_EQ(tree.name(0), "a");
    }
}

TEST(XMLTree, EveryMalformedInputFailsWithItsCaseAndOffset) {
    struct Row {
        const char* name;
        std::string_view xml;
        XMLErrorCode code;
        size_t offset;
    };
    using enum XMLErrorCode;
    const Row rows[] = {
        {"lone <", "<", unexpectedEnd, 0},
        {"root left open", "<a>", unexpectedEnd, 3},
        {"child left open", "<a><b>", unexpectedEnd, 6},
        {"< at the very end", "<a><", unexpectedEnd, 3},
        {"start tag name runs to the end", "<a", unexpectedEnd, 0},
        {"white space runs to the end", "<a   ", unexpectedEnd, 0},
        {"attribute name runs to the end", "<a><b c", unexpectedEnd, 3},
        {"no quote after the attribute name", "<a><b c=", unexpectedEnd, 3},
        {"value not closed by the same quote", "<a b='1\">", unexpectedEnd, 0},
        {"input ends after a value", "<a b='1'", unexpectedEnd, 0},
        {"comment not closed", "<a><!-- x --", unexpectedEnd, 3},
        {"CDATA not closed", "<a><![CDATA[x]]", unexpectedEnd, 3},
        {"processing instruction not closed", "<?xml version='1.0'", unexpectedEnd, 0},
        {"doctype not closed", "<!DOCTYPE a", unexpectedEnd, 0},
        {"end tag name runs to the end", "<a></a", unexpectedEnd, 3},
        {"end tag without >", "<a></a  ", unexpectedEnd, 3},
        {"second top-level element", "<a/><b/>", malformed, 4},
        {"second top-level element after misc", "<a></a> <!--c--> <b/>", malformed, 17},
        {"slash then space", "<a/ >", malformed, 2},
        {"slash at the end", "<a/", malformed, 2},
        {"slash after an attribute", "<a b='1'/x>", malformed, 8},
        {"stray end tag before the root", "</a>", malformed, 0},
        {"stray end tag after the root", "<a/></a>", malformed, 4},
        {"empty input", "", noRootElement, 0},
        {"white space only", " \r\n\t", noRootElement, 0},
        {"prolog only", "<?xml version=\"1.0\"?>", noRootElement, 0},
        {"comment only", "<!-- nothing -->", noRootElement, 0},
        {"text only", "just text", noRootElement, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            parse(row.xml);
            ADD_FAILURE() << "parsed";
        } catch (const XMLError& error) {
            EXPECT_EQ(error.code(), row.code);
            EXPECT_EQ(error.offset(), row.offset);
            EXPECT_NE(std::string(error.what()), "");
        }
    }

    struct Mismatch {
        std::string_view xml, expected, found;
        size_t offset;
    };
    const Mismatch mismatches[] = {
        {"<a><b></a>", "b", "a", 6},
        {"<w:p></p>", "w:p", "p", 5},
        {"<a></A>", "a", "A", 3},
        {"<a></ab>", "a", "ab", 3},
    };
    for (const Mismatch& row : mismatches) {
        SCOPED_TRACE(row.xml);
        try {
            parse(row.xml);
            ADD_FAILURE() << "parsed";
        } catch (const XMLError& error) {
            EXPECT_EQ(error.code(), XMLErrorCode::mismatchedTag);
            EXPECT_EQ(error.expected(), row.expected);
            EXPECT_EQ(error.found(), row.found);
            EXPECT_EQ(error.offset(), row.offset);
        }
    }
}

TEST(XMLTree, AttributesKeepTheOtherQuoteAndComeBackUnescaped) {
    const XMLTree tree = parse(
        "<a x='say \"hi\"' y=\"it's\" lt='&lt;' hex='&#x41;' dec='&#65;' bogus='&bogus;' "
        "surrogate='&#xD800;' amp='a & b' spaced = \"v\" w:val='0' x='second'/>");
    EXPECT_EQ(tree.attribute(0, "x"), "say \"hi\"");
    EXPECT_EQ(tree.attribute(0, "y"), "it's");
    EXPECT_EQ(tree.attribute(0, "lt"), "<");
    EXPECT_EQ(tree.attribute(0, "hex"), "A");
    EXPECT_EQ(tree.attribute(0, "dec"), "A");
    EXPECT_EQ(tree.attribute(0, "bogus"), "&bogus;");
    EXPECT_EQ(tree.attribute(0, "surrogate"), "&#xD800;");
    EXPECT_EQ(tree.attribute(0, "amp"), "a & b");
    EXPECT_EQ(tree.attribute(0, "spaced"), "v");
    // Names are compared with their prefix, byte for byte.
    EXPECT_EQ(tree.attribute(0, "w:val"), "0");
    EXPECT_EQ(tree.attribute(0, "val"), std::nullopt);
    EXPECT_EQ(tree.attribute(0, "X"), std::nullopt);
    EXPECT_EQ(tree.attributeNames(0), (std::vector<std::string>{"x", "y", "lt", "hex", "dec", "bogus",
                                                                "surrogate", "amp", "spaced", "w:val", "x"}));
    // The value range excludes the quotes and stays escaped.
    EXPECT_EQ(slice(tree, tree.attributeAt(0, 2).value), "&lt;");
}

TEST(XMLTree, AnAttributeWithoutAValueTakesTheNextQuotedOne) {
    // Forgiving scan: everything between a name and the next quote is skipped unchecked.
    const XMLTree tree = parse("<a b c=\"1\"/>");
    ASSERT_EQ(tree.attributeCount(0), 1u);
    EXPECT_EQ(tree.attributeNames(0), std::vector<std::string>{"b"});
    EXPECT_EQ(tree.attribute(0, "b"), "1");
}

TEST(XMLTree, WhitespaceBetweenElementsIsTextThatAccessorsSkipOrRead) {
    const XMLTree tree = parse("<w:r>\n  <w:rPr/>\n  <w:t>x</w:t>\n</w:r>");
    const int run = tree.root();
    EXPECT_EQ(childKinds(tree, run),
              (std::vector{Kind::text, Kind::element, Kind::text, Kind::element, Kind::text}));
    const std::vector<int> elements = tree.childElements(run);
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(tree.nameView(elements[0]), "w:rPr");
    EXPECT_TRUE(tree.isSelfClosing(elements[0]));
    EXPECT_FALSE(tree.isSelfClosing(elements[1]));
    // Only direct text children count: the "x" inside w:t is a grandchild.
    EXPECT_EQ(tree.text(run), "\n  \n  \n");
    EXPECT_EQ(tree.text(elements[1]), "x");
    EXPECT_EQ(tree.text(elements[0]), "");
}

TEST(XMLTree, TextUnescapesCharacterDataAndTakesCDATAContentAsIs) {
    const XMLTree tree = parse("<w:t>a &amp; b<![CDATA[<&amp;>]]><x>no</x><!--no-->c&#x263A;</w:t>");
    EXPECT_EQ(tree.text(tree.root()), "a & b<&amp;>c\u263A");
    const XMLTree empty = parse("<t><![CDATA[]]></t>");
    EXPECT_EQ(empty.text(empty.root()), "");
}

TEST(XMLTree, NamesKeepPrefixesAndAreRepairedOnlyWhenConverted) {
    struct Row {
        std::string_view xml;
        std::string_view name, localName;
    };
    const Row rows[] = {
        {"<w:p/>", "w:p", "p"}, {"<p/>", "p", "p"},       {"<a:b:c/>", "a:b:c", "b:c"},
        {"<:x/>", ":x", "x"},   {"<w:p\t/>", "w:p", "p"}, {"<w:p\n></w:p>", "w:p", "p"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.xml);
        const XMLTree tree = parse(row.xml);
        EXPECT_EQ(tree.name(0), row.name);
        EXPECT_EQ(tree.nameView(0), row.name);
        EXPECT_EQ(tree.localName(0), row.localName);
    }
    const XMLTree invalid = parse("<a\xFF/>");
    EXPECT_EQ(invalid.nameView(0), "a\xFF");
    EXPECT_EQ(invalid.name(0), "a\xEF\xBF\xBD");
}

TEST(XMLTree, NestedRangesContainTheirChildrenInOrder) {
    const XMLTree tree = parse("<a><b><c/>t<d x='1'><!--k--></d></b><e>u</e>v<f/></a><!-- after -->");
    tree.checkInvariants();
    for (size_t index = 0; index < tree.nodeCount(); ++index) {
        const int node = static_cast<int>(index);
        const ByteRange range = tree.range(node);
        EXPECT_LE(tree.startTag(node).upper, range.upper);
        size_t previous = tree.startTag(node).upper;
        for (int child : tree.children(node)) {
            EXPECT_EQ(tree.parent(child), node);
            EXPECT_GE(tree.range(child).lower, previous);
            EXPECT_LE(tree.range(child).upper, range.upper);
            previous = tree.range(child).upper;
        }
        // An element that is not empty ends with its own end tag.
        if (tree.kind(node) == Kind::element && !tree.isSelfClosing(node)) {
            EXPECT_EQ(slice(tree, {previous, range.upper}), "</" + tree.name(node) + ">");
        }
    }
}

TEST(XMLTree, AWordprocessingParagraphSlicesBackToItsExactBytes) {
    const std::string_view pPr = R"(<w:pPr><w:pStyle w:val="Heading1"/><w:spacing w:before="240"/></w:pPr>)";
    const std::string_view bookmark = R"(<w:bookmarkStart w:id="0" w:name="_Toc1"/>)";
    const std::string_view run1 =
        R"(<w:r w:rsidRPr="00A1"><w:rPr><w:b/><w:lang w:val="en-GB"/></w:rPr><w:t xml:space="preserve">Fish &amp; </w:t></w:r>)";
    const std::string_view link =
        R"(<w:hyperlink r:id="rId5" w:history="1"><w:r><w:t>chips</w:t></w:r></w:hyperlink>)";
    const std::string xml = std::string(R"(<w:body><w:p w:rsidR="00B2" w:rsidRDefault="00B2">)") +
                            std::string(pPr) + std::string(bookmark) + std::string(run1) + std::string(link) +
                            R"(<w:bookmarkEnd w:id="0"/></w:p><w:sectPr/></w:body>)";
    const XMLTree tree = parse(xml);
    tree.checkInvariants();
    const std::vector<int> bodyChildren = tree.childElements(tree.root());
    ASSERT_EQ(bodyChildren.size(), 2u);
    const int paragraph = bodyChildren[0];
    const std::vector<int> parts = tree.childElements(paragraph);
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(asChars(tree.raw(parts[0])), pPr);
    EXPECT_EQ(asChars(tree.raw(parts[1])), bookmark);
    EXPECT_EQ(asChars(tree.raw(parts[2])), run1);
    EXPECT_EQ(asChars(tree.raw(parts[3])), link);
    EXPECT_EQ(asChars(tree.raw(parts[4])), R"(<w:bookmarkEnd w:id="0"/>)");
    EXPECT_EQ(asChars(tree.rawStartTag(paragraph)), R"(<w:p w:rsidR="00B2" w:rsidRDefault="00B2">)");
    EXPECT_EQ(asChars(tree.rawStartTag(parts[2])), R"(<w:r w:rsidRPr="00A1">)");

    const int text = tree.childElements(parts[2])[1];
    EXPECT_EQ(tree.attribute(text, "xml:space"), "preserve");
    EXPECT_EQ(tree.text(text), "Fish & ");
    // Stitching the children back between the start and end tags rebuilds the paragraph.
    std::string rebuilt(asChars(tree.rawStartTag(paragraph)));
    for (int child : tree.children(paragraph)) rebuilt += asChars(tree.raw(child));
    EXPECT_EQ(rebuilt + "</w:p>", asChars(tree.raw(paragraph)));
    EXPECT_EQ(asChars(tree.raw(tree.root())), xml);
}

TEST(XMLTree, HostileShapesStayIterativeAndLinear) {
    // Nesting far deeper than any call stack could recurse.
    constexpr size_t depth = 200000;
    std::string deep;
    for (size_t i = 0; i < depth; ++i) deep += "<a>";
    for (size_t i = 0; i < depth; ++i) deep += "</a>";
    const XMLTree nested = parse(deep);
    EXPECT_EQ(nested.nodeCount(), depth);
    EXPECT_EQ(nested.parent(static_cast<int>(depth - 1)), static_cast<int>(depth - 2));
    try {
        parse(deep.substr(0, deep.size() - 4));
        ADD_FAILURE() << "parsed";
    } catch (const XMLError& error) {
        EXPECT_EQ(error.code(), XMLErrorCode::unexpectedEnd);
        EXPECT_EQ(error.offset(), deep.size() - 4);
    }

    // Many single-quoted values and one double quote at the far end: a search for either
    // quote that looked for each separately would rescan to the end per attribute.
    std::string attributes = "<a";
    for (int i = 0; i < 300000; ++i) attributes += " b='x'";
    attributes += "/><!-- \" -->";
    const XMLTree wide = parse(attributes);
    EXPECT_EQ(wide.attributeCount(0), 300000u);

    // Comments full of near-terminators.
    const XMLTree dashes = parse("<a><!--" + std::string(1 << 20, '-') + "--></a>");
    EXPECT_EQ(dashes.kind(1), Kind::other);
}

TEST(XMLTree, SharedInputIsNotCopied) {
    const SharedBytes bytes = share(toBytes("<a>x</a>"));
    const XMLTree tree(bytes);
    EXPECT_EQ(&tree.bytes(), bytes.get());
    EXPECT_EQ(tree.raw(1).data(), bytes->data() + 3);
}

}  // namespace
}  // namespace rovuvuz
