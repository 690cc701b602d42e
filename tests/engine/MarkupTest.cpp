// Markup helpers, the XMLText escaping they rely on, numbers in attribute values, and
// edits made through the XML tree.
#include "RovuVuz/xml/Markup.h"

#include <gtest/gtest.h>

#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLText.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {
namespace {

using Markup::Attributes;
using Markup::SelfClosing;

TEST(XMLText, EscapingChangesOnlyTheCharactersItsContextNeeds) {
    const std::string_view mixed = "a<b>&c\"'";
    EXPECT_EQ(XMLText::escapeText(mixed), "a&lt;b&gt;&amp;c\"'");
    EXPECT_EQ(XMLText::escapeAttribute(mixed), "a&lt;b>&amp;c&quot;&apos;");
    EXPECT_EQ(XMLText::escapeText("plain \u00E9"), "plain \u00E9");
    EXPECT_EQ(XMLText::escapeAttribute(""), "");
    EXPECT_EQ(XMLText::escapeText("&&"), "&amp;&amp;");
}

TEST(XMLText, UnescapeReplacesOnlyReferencesItRecognises) {
    struct Row {
        const char* name;
        std::string_view in;
        std::string out;
    };
    const Row rows[] = {
        {"no ampersand", "plain text", "plain text"},
        {"the five predefined entities", "&lt;&gt;&amp;&quot;&apos;", "<>&\"'"},
        {"hex, either x, either case", "&#x41;&#X42;&#x6a;", "ABj"},
        {"decimal", "&#65;", "A"},
        {"beyond the BMP", "&#x1F600;", "\xF0\x9F\x98\x80"},
        {"the last scalar", "&#x10FFFF;", "\xF4\x8F\xBF\xBF"},
        {"NUL is a scalar value", "&#0;", std::string("\0", 1)},
        {"past U+10FFFF", "&#x110000;", "&#x110000;"},
        {"high surrogate", "&#xD800;", "&#xD800;"},
        {"low surrogate in decimal", "&#57343;", "&#57343;"},
        {"unknown name", "&bogus;&nbsp;", "&bogus;&nbsp;"},
        {"empty references", "&#x;&#;&;", "&#x;&#;&;"},
        {"bad digits and signs", "&#x4G;&#1a;&#+65;", "&#x4G;&#1a;&#+65;"},
        {"no semicolon", "fish & chips", "fish & chips"},
        {"nine characters between & and ;", "&#x0000041;&#00000065;", "AA"},
        {"ten characters between & and ;", "&#x00000041;", "&#x00000041;"},
        {"semicolon far away", "& then more text;", "& then more text;"},
        {"ampersand before a reference", "&&amp;", "&&"},
        {"no double unescaping", "&amp;lt;", "&lt;"},
        {"trailing ampersand", "a&", "a&"},
        {"text around references", "x &lt; y&#x263A;z", "x < y\u263Az"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(XMLText::unescape(row.in), row.out);
    }
    // Stray ampersands never look further than a reference could reach.
    const std::string ampersands(1 << 20, '&');
    EXPECT_EQ(XMLText::unescape(ampersands), ampersands);
}

TEST(Markup, AttributesReadsAStartTagInSourceOrder) {
    struct Row {
        const char* name;
        std::string_view tag;
        Attributes expected;
    };
    const Row rows[] = {
        {"w:b with w:val", R"(<w:b w:val="0">)", {{"w:val", "0"}}},
        {"empty element without attributes", "<w:b/>", {}},
        {"start tag without attributes", "<w:b>", {}},
        {"mixed quotes, escaped values",
         R"(<w:rFonts w:ascii="Arial" w:hAnsi='Times &amp; "Co"'/>)",
         {{"w:ascii", "Arial"}, {"w:hAnsi", "Times & \"Co\""}}},
        {"a repeated name reports the first value", R"(<a x="1" x="2">)", {{"x", "1"}, {"x", "1"}}},
        {"attribute without a value", "<a b=>", {}},
        {"slash not closing the tag", "<a/ >", {}},
        {"a bare name", "<a", {}},
        {"empty slice", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Markup::attributes(asBytes(row.tag)), row.expected);
    }
}

TEST(Markup, AttributeMatchesTheWholeLocalNameInTheFirstStartTag) {
    struct Row {
        const char* name;
        std::string_view attribute, slice;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"prefixed", "val", R"(<w:b w:val="0"/>)", "0"},
        {"unprefixed", "val", R"(<w:b val="1"/>)", "1"},
        {"exact qualified name", "w:val", R"(<w:b w:val="0"/>)", "0"},
        {"a suffix is not a name", "al", R"(<w:b w:val="0"/>)", std::nullopt},
        {"first match wins", "val", R"(<w:b x:val="1" w:val="2"/>)", "1"},
        {"absent", "val", "<w:b/>", std::nullopt},
        {"no >", "val", R"(<w:b w:val="0")", std::nullopt},
        {"only the first start tag", "val", R"(<w:pPr><w:jc w:val="center"/></w:pPr>)", std::nullopt},
        {"first tag of a run", "rsidR", R"(<w:r w:rsidR="00AB"><w:t>x</w:t></w:r>)", "00AB"},
        {"value unescaped", "val", R"(<w:t w:val="&lt;&#x41;"/>)", "<A"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Markup::attribute(row.attribute, asBytes(row.slice)), row.expected);
    }
}

TEST(Markup, StartTagWritesEscapedDoubleQuotedAttributesInOrder) {
    EXPECT_EQ(Markup::startTag("w:t", {{"xml:space", "preserve"}}, SelfClosing::No),
              R"(<w:t xml:space="preserve">)");
    EXPECT_EQ(Markup::startTag("w:b", {}, SelfClosing::Yes), "<w:b/>");
    EXPECT_EQ(Markup::startTag("e", {{"b", "1"}, {"a", "2"}}, SelfClosing::No), R"(<e b="1" a="2">)");
    const Attributes tricky = {{"x", "1 < 2 & \"q\" 'a' >"}, {"y", "&amp;"}};
    const std::string tag = Markup::startTag("a", tricky, SelfClosing::Yes);
    EXPECT_EQ(tag, R"(<a x="1 &lt; 2 &amp; &quot;q&quot; &apos;a&apos; >" y="&amp;amp;"/>)");
    // What startTag writes, attributes reads back unchanged.
    EXPECT_EQ(Markup::attributes(asBytes(tag)), tricky);
    EXPECT_EQ(Markup::attributes(asBytes(Markup::startTag("a", tricky, SelfClosing::No))), tricky);
}

TEST(Markup, PreviewTextJoinsEveryWTextInDocumentOrder) {
    struct Row {
        const char* name;
        std::string_view fragment;
        std::string expected;
    };
    const Row rows[] = {
        {"runs of a paragraph",
         R"(<w:p><w:r><w:t>Hello</w:t></w:r><w:r><w:t xml:space="preserve"> world &amp; co</w:t></w:r></w:p>)",
         "Hello world & co"},
        {"inserted text counts, deleted and field code text do not",
         "<w:p><w:ins><w:r><w:t>a</w:t></w:r></w:ins><w:del><w:r><w:delText>b</w:delText></w:r></w:del>"
         "<w:r><w:instrText>c</w:instrText></w:r></w:p>",
         "a"},
        {"paragraphs join without separator",
         "<w:body><w:p><w:r><w:t>1</w:t></w:r></w:p><w:p><w:r><w:t>2</w:t></w:r></w:p></w:body>", "12"},
        {"the fragment itself is w:t", "<w:t>only</w:t>", "only"},
        {"another prefix is another element", "<x:t>no</x:t>", ""},
        {"two top-level elements do not parse", "<w:t>a</w:t><w:t>b</w:t>", ""},
        {"an unclosed fragment does not parse", "<w:p><w:t>open", ""},
        {"empty", "", ""},
        {"a text box's choice is read once, its fallback left out",
         "<mc:AlternateContent><mc:Choice "
         "Requires=\"wps\"><w:drawing><w:t>Datum</w:t></w:drawing></mc:Choice>"
         "<mc:Fallback><w:pict><w:t>Datum</w:t></w:pict></mc:Fallback></mc:AlternateContent>",
         "Datum"},
        {"only the first of several choices",
         "<mc:AlternateContent><mc:Choice><w:t>one</w:t></mc:Choice><mc:Choice><w:t>two</w:t></mc:Choice>"
         "<mc:Fallback><w:t>three</w:t></mc:Fallback></mc:AlternateContent>",
         "one"},
        {"the fallback when there is no choice",
         "<w:r><w:t>a</w:t><mc:AlternateContent><mc:Fallback><w:t>b</w:t></mc:Fallback></mc:AlternateContent>"
         "<w:t>c</w:t></w:r>",
         "abc"},
        {"alternatives nested in a discarded fallback stay out",
         "<mc:AlternateContent><mc:Choice><w:t>x</w:t></"
         "mc:Choice><mc:Fallback><mc:AlternateContent><mc:Choice>"
         "<w:t>y</w:t></mc:Choice></mc:AlternateContent></mc:Fallback></mc:AlternateContent>",
         "x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Markup::previewText(asBytes(row.fragment), "w"), row.expected);
    }
}

TEST(Numbers, TheWholeTextIsTheNumberOrThereIsNone) {
    struct Row {
        std::string_view text;
        std::optional<int64_t> number;
    };
    const Row rows[] = {{"0", 0},
                        {"+12", 12},
                        {"-3", -3},
                        {"007", 7},
                        {"9223372036854775807", INT64_MAX},
                        {"-9223372036854775808", INT64_MIN},
                        {"9223372036854775808", std::nullopt},
                        {"99999999999999999999", std::nullopt},
                        {"", std::nullopt},
                        {"+", std::nullopt},
                        {"+-1", std::nullopt},
                        {"1 ", std::nullopt},
                        {" 1", std::nullopt},
                        {"0x1", std::nullopt},
                        {"1.5", std::nullopt}};
    for (const Row& row : rows) EXPECT_EQ(Numbers::integer(row.text), row.number) << row.text;
    EXPECT_EQ(Numbers::integer(std::optional<std::string>()), std::nullopt);

    EXPECT_EQ(Numbers::decimal("+2.5"), 2.5);
    EXPECT_EQ(Numbers::decimal("-1e3"), -1000);
    EXPECT_EQ(Numbers::decimal("inf"), std::nullopt);
    EXPECT_EQ(Numbers::decimal("nan"), std::nullopt);
    EXPECT_EQ(Numbers::decimal("1e999"), std::nullopt);
    EXPECT_EQ(Numbers::decimal("2pt"), std::nullopt);

    EXPECT_EQ(Numbers::hex("00E9"), 0xE9u);
    EXPECT_EQ(Numbers::hex("-1"), std::nullopt);
    EXPECT_EQ(Numbers::hex("1G"), std::nullopt);
    EXPECT_EQ(Numbers::hex("100000000"), std::nullopt);
}

TEST(XMLEdit, ChangesApplyInPlaceAndLeaveEveryOtherByte) {
    const XMLTree tree(asBytes(std::string_view(
        "<?xml version='1.0'?>\n<x:r xmlns:x='u'><x:a  k='1'   v=\"2\"/><x:b/><x:c>text</x:c></x:r>")));
    const std::vector<int> children = tree.childElements(tree.root());
    XMLEdit edit(tree);
    edit.setAttributes(children[0], {{"v", "<&\">"}, {"n", "'"}});
    edit.append(children[1], "<x:in/>");
    edit.insertBefore(children[2], "<x:before/>");
    edit.append(tree.root(), "<x:last/>");
    edit.append(tree.root(), "<x:later/>");
    EXPECT_EQ(edit.result(),
              "<?xml version='1.0'?>\n<x:r xmlns:x='u'><x:a k=\"1\" v=\"&lt;&amp;&quot;>\" n=\"&apos;\"/>"
              "<x:b><x:in/></x:b><x:before/><x:c>text</x:c><x:last/><x:later/></x:r>");

    XMLEdit content(tree);
    content.replaceContent(children[2], "new");
    content.replaceContent(children[1], "<x:made/>");
    content.remove(children[0]);
    EXPECT_EQ(content.result(),
              "<?xml version='1.0'?>\n<x:r xmlns:x='u'><x:b><x:made/></x:b><x:c>new</x:c></x:r>");
}

}  // namespace
}  // namespace rovuvuz
