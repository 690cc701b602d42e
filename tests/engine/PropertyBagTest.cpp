// Property bags and tags: schema-ordered insertion, toggles, and how tags wrap content.
#include <gtest/gtest.h>

#include "RovuVuz/model/PropertyBag.h"
#include "RovuVuz/xml/Tags.h"

using namespace rovuvuz;

namespace {

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

PropertyBag bag(std::string_view xml) {
    auto parsed = PropertyBag::parse(asBytes(xml));
    EXPECT_TRUE(parsed) << xml;
    return parsed ? *parsed : PropertyBag{};
}

std::string emitted(const Tags& tags, std::string_view content) {
    Bytes out;
    tags.emit(asBytes(content), out);
    return text(out);
}

}  // namespace

TEST(Tags, EmitWithAndWithoutEndTag) {
    const PropertyBag empty = bag("<w:rPr/>");
    EXPECT_EQ(emitted(empty.tags, "<w:b/>"), "<w:rPr><w:b/></w:rPr>");
    EXPECT_EQ(emitted(empty.tags, ""), "<w:rPr/>");
    const PropertyBag full = bag("<w:rPr ><w:i/></w:rPr >");
    EXPECT_EQ(emitted(full.tags, ""), "<w:rPr ></w:rPr >");
    EXPECT_EQ(emitted(full.tags, "<w:b/>"), "<w:rPr ><w:b/></w:rPr >");
}

TEST(Tags, NamesAndAttributes) {
    EXPECT_EQ(bag("<w:pPr/>").tags.prefix(), "w");
    EXPECT_EQ(bag("<p/>").tags.prefix(), "");
    EXPECT_EQ(bag("<w:pPr/>").tags.local(), "pPr");
    const Tags built = Tags::build("w:ins", {{"w:id", "4"}, {"w:author", "A & B"}});
    EXPECT_EQ(built.start.chars(), "<w:ins w:id=\"4\" w:author=\"A &amp; B\">");
    EXPECT_EQ(asChars(*built.end()), "</w:ins>");
    const Tags changed = bag("<w:r w:rsidR='1' w:x=\"2\"/>").tags.with({{"w:x", "3"}, {"w:y", "4"}});
    EXPECT_EQ(changed.start.chars(), "<w:r w:rsidR=\"1\" w:x=\"3\" w:y=\"4\">");
    EXPECT_TRUE(changed.hasEnd());
}

TEST(PropertyBag, Toggles) {
    const PropertyBag rPr = bag(
        "<w:rPr><w:b/><w:i w:val=\"0\"/><w:caps w:val=\"false\"/><w:strike w:val=\"off\"/>"
        "<w:u w:val=\"none\"/><w:vanish w:val=\"1\"/></w:rPr>");
    EXPECT_EQ(rPr.toggle("b"), true);
    EXPECT_EQ(rPr.toggle("i"), false);
    EXPECT_EQ(rPr.toggle("caps"), false);
    EXPECT_EQ(rPr.toggle("strike"), false);
    EXPECT_EQ(rPr.toggle("u"), false);
    EXPECT_EQ(rPr.toggle("vanish"), true);
    EXPECT_EQ(rPr.toggle("smallCaps"), std::nullopt);
}

TEST(PropertyBag, InsertionFollowsSchemaOrder) {
    PropertyBag rPr = bag("<w:rPr><w:rStyle w:val=\"S\"/> <w:sz w:val=\"20\"/></w:rPr>");
    rPr.set("b", Markup::Attributes{});
    // Whitespace never stops the search: the new child goes right before w:sz.
    EXPECT_EQ(text(rPr.serialized()), "<w:rPr><w:rStyle w:val=\"S\"/> <w:b/><w:sz w:val=\"20\"/></w:rPr>");
    rPr.set("unknownThing", Markup::Attributes{{"val", "1"}});
    EXPECT_EQ(text(rPr.serialized()),
              "<w:rPr><w:rStyle w:val=\"S\"/> <w:b/><w:sz w:val=\"20\"/><w:unknownThing w:val=\"1\"/></w:rPr>");
    // Equal ranks go after the existing child; pPr uses the paragraph sequence.
    PropertyBag pPr = bag("<w:pPr><w:jc w:val=\"left\"/></w:pPr>");
    pPr.set("pStyle", Markup::Attributes{{"val", "H1"}});
    pPr.set("spacing", Markup::Attributes{{"after", "0"}});
    EXPECT_EQ(text(pPr.serialized()),
              "<w:pPr><w:pStyle w:val=\"H1\"/><w:spacing w:after=\"0\"/><w:jc w:val=\"left\"/></w:pPr>");
}

TEST(PropertyBag, OriginalBytesSurviveOnlyUnchangedBags) {
    const std::string xml = "<w:rPr ><w:b /></w:rPr>";
    PropertyBag same = bag(xml);
    same.set("b", asBytes(std::string_view("<w:b />")));
    EXPECT_EQ(text(same.serialized()), xml);  // identical bytes keep the original
    PropertyBag removed = bag(xml);
    removed.set("i", std::nullopt);  // removing an absent child still counts as a change
    EXPECT_FALSE(removed.original);
    EXPECT_EQ(text(removed.serialized()), "<w:rPr ><w:b /></w:rPr>");
    removed.set("b", std::nullopt);
    EXPECT_EQ(text(removed.serialized()), "<w:rPr ></w:rPr>");
    EXPECT_TRUE(bag("<w:rPr> <!-- c --> </w:rPr>").isEmpty());
    EXPECT_FALSE(bag("<w:rPr> <w:b/> </w:rPr>").isEmpty());
}
