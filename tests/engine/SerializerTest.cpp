// Writing node trees back: untouched content byte for byte, edited content re-emitted.
#include <gtest/gtest.h>

#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/model/Story.h"

using namespace rovuvuz;

namespace {

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::unique_ptr<Story> parse(std::string_view xml, IdentityMint& mint) {
    return std::make_unique<Story>(PartName("word/document.xml"), share(toBytes(xml)), nullptr, mint);
}

std::string document(std::string_view paragraphs) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
           "<w:body>" + std::string(paragraphs) + "<w:sectPr/></w:body></w:document>\n";
}

rovuvuz::Run& runAt(Paragraph& p, size_t i) { return *std::get<std::unique_ptr<rovuvuz::Run>>(p.inlines.at(i)); }

}  // namespace

TEST(Serializer, UntouchedStoryIsItsSourceEvenWhenEveryParagraphIsRebuilt) {
    // Prolog, CRLF, single quotes, odd spacing in tags, comments, empty-element tags and
    // the epilog survive both the clean path and the rebuild path.
    const std::string xml = document(
        "<w:p w14:paraId='1A' ><w:pPr ><w:jc w:val='left'/></w:pPr><!-- note --><w:proofErr w:type=\"spellStart\"/>"
        "<w:r><w:rPr><w:i /></w:rPr><w:t>plain</w:t><w:t xml:space='preserve'> x </w:t></w:r>"
        "<w:hyperlink r:id=\"rId1\"><w:r><w:t>a&amp;b</w:t></w:r></w:hyperlink><w:ins w:id=\"3\"/></w:p>\n<w:p/>");
    IdentityMint mint;
    auto story = parse(xml, mint);
    EXPECT_EQ(text(story->serialized()), xml);
    for (Paragraph* p : story->paragraphs()) p->setDirty(true);
    EXPECT_EQ(text(story->serialized()), xml);
}

TEST(Serializer, ChangedTextRewritesOnlyThatItem) {
    const std::string xml = document(
        "<w:p><w:pPr><w:pStyle w:val=\"Body\"/></w:pPr><w:bookmarkStart w:id=\"0\" w:name=\"b\"/>"
        "<w:r><w:t>one</w:t></w:r><w:r w:rsidR=\"00AB\"><w:rPr><w:b/></w:rPr><w:t>two</w:t><w:tab/></w:r></w:p>");
    IdentityMint mint;
    auto story = parse(xml, mint);
    Paragraph& p = *story->paragraphs().at(0);
    p.setDirty(true);
    runAt(p, 3).items.at(1).kind = RunItem::Kind::makeText(u"2 & <3>");
    const std::string expected = document(
        "<w:p><w:pPr><w:pStyle w:val=\"Body\"/></w:pPr><w:bookmarkStart w:id=\"0\" w:name=\"b\"/>"
        "<w:r><w:t>one</w:t></w:r><w:r w:rsidR=\"00AB\"><w:rPr><w:b/></w:rPr><w:t>2 &amp; &lt;3&gt;</w:t><w:tab/></w:r></w:p>");
    EXPECT_EQ(text(story->serialized()), expected);
}

TEST(Serializer, TextElementSpacingAndEscaping) {
    struct Row {
        const char* name;
        std::u16string text;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"inner space", u"a b", "<w:t>a b</w:t>"},
        {"leading space", u" a", "<w:t xml:space=\"preserve\"> a</w:t>"},
        {"trailing space", u"a ", "<w:t xml:space=\"preserve\">a </w:t>"},
        {"trailing no-break space", u"a\u00A0", "<w:t xml:space=\"preserve\">a\u00A0</w:t>"},
        {"leading tab", u"\tx", "<w:t xml:space=\"preserve\">\tx</w:t>"},
        {"empty", u"", "<w:t></w:t>"},
        {"markup characters", u"<&>\"'", "<w:t>&lt;&amp;&gt;\"'</w:t>"},
        {"astral", u"\U0001F600", "<w:t>\U0001F600</w:t>"},
    };
    for (const Row& row : rows) EXPECT_EQ(text(Serializer::textElement("w:t", row.text)), row.expected) << row.name;
}

TEST(Serializer, NewAndConvertedItems) {
    const std::string xml = document("<w:p><w:r><w:t>keep</w:t></w:r></w:p><w:p><r><t>bare</t></r></w:p>");
    IdentityMint mint;
    auto story = parse(xml, mint);
    Paragraph& first = *story->paragraphs().at(0);
    first.setDirty(true);
    rovuvuz::Run& run = runAt(first, 0);
    run.items.at(0).kind = RunItem::Kind::makeDelText(u"keep");
    run.items.emplace_back(RunItem::Kind::make(RunItem::Type::tab));
    run.items.emplace_back(RunItem::Kind::make(RunItem::Type::pageBreak));
    run.items.emplace_back(RunItem::Kind::make(RunItem::Type::lineBreak));
    run.items.emplace_back(RunItem::Kind::makeColumnBreak());
    // A run without a prefix writes prefix-less elements.
    Paragraph& second = *story->paragraphs().at(1);
    second.setDirty(true);
    rovuvuz::Run& bare = runAt(second, 0);
    bare.items.emplace_back(RunItem::Kind::makeText(u" more"));
    bare.items.emplace_back(RunItem::Kind::make(RunItem::Type::lineBreak));
    EXPECT_EQ(text(story->serialized()),
              document("<w:p><w:r><w:delText>keep</w:delText><w:tab/><w:br w:type=\"page\"/><w:br/><w:br w:type=\"column\"/></w:r></w:p>"
                       "<w:p><r><t>bare</t><t xml:space=\"preserve\"> more</t><br/></r></w:p>"));
}

TEST(Serializer, EmptyElementsOpenWhenTheyGainContent) {
    const std::string xml = document("<w:p/><w:p><w:r/></w:p><w:p><w:pPr/><w:r><w:t>x</w:t></w:r></w:p>");
    IdentityMint mint;
    auto story = parse(xml, mint);
    auto paragraphs = story->paragraphs();
    // <w:p/> gains a run.
    IdentityMint other;
    auto donor = parse(document("<w:p><w:r><w:t>new</w:t></w:r></w:p>"), other);
    Paragraph& target = *paragraphs[0];
    target.setDirty(true);
    target.inlines.push_back(std::move(donor->paragraphs()[0]->inlines[0]));
    // <w:r/> gains a text item.
    paragraphs[1]->setDirty(true);
    runAt(*paragraphs[1], 0).items.emplace_back(RunItem::Kind::makeText(u"y"));
    // A paragraph whose properties lost their marker writes no w:pPr.
    paragraphs[2]->setDirty(true);
    paragraphs[2]->inlines.erase(paragraphs[2]->inlines.begin());
    EXPECT_EQ(text(story->serialized()),
              document("<w:p><w:r><w:t>new</w:t></w:r></w:p><w:p><w:r><w:t>y</w:t></w:r></w:p>"
                       "<w:p><w:r><w:t>x</w:t></w:r></w:p>"));
}

TEST(Serializer, ChangedPropertiesRewriteOnlyTheBag) {
    const std::string xml = document("<w:p><w:pPr><w:pStyle w:val=\"A\"/>  <w:jc w:val=\"left\"/></w:pPr></w:p>");
    IdentityMint mint;
    auto story = parse(xml, mint);
    Paragraph& p = *story->paragraphs().at(0);
    p.setDirty(true);
    p.props->set("keepNext", Markup::Attributes{});
    EXPECT_EQ(text(story->serialized()),
              document("<w:p><w:pPr><w:pStyle w:val=\"A\"/>  <w:keepNext/><w:jc w:val=\"left\"/></w:pPr></w:p>"));
}
