// The story parser: which elements become groups, paragraphs, runs, items, containers and
// raw pieces, and which bytes each node keeps.
#include <gtest/gtest.h>

#include <set>

#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/model/DisplayText.h"
#include "RovuVuz/model/StoryParser.h"
#include "RovuVuz/xml/XMLTree.h"

using namespace rovuvuz;

namespace {

constexpr std::string_view ns = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";

std::unique_ptr<Story> parse(std::string_view xml, IdentityMint& mint) {
    return std::make_unique<Story>(PartName("word/document.xml"), share(toBytes(xml)), nullptr, mint);
}

std::string body(std::string_view inner) {
    return "<w:document " + std::string(ns) + "><w:body>" + std::string(inner) + "</w:body></w:document>";
}

const Group& groupAt(const Group& g, size_t i) { return *std::get<std::unique_ptr<Group>>(g.children.at(i)); }
const Paragraph& paragraphAt(const Group& g, size_t i) { return *std::get<std::unique_ptr<Paragraph>>(g.children.at(i)); }
const rovuvuz::Run& runAt(const Paragraph& p, size_t i) { return *std::get<std::unique_ptr<rovuvuz::Run>>(p.inlines.at(i)); }

std::string rawLocal(const Block& block) {
    const auto* raw = std::get_if<Raw>(&block);
    if (!raw) return "<not raw>";
    return raw->local() ? std::string(*raw->local()) : std::string("#text");
}

}  // namespace

TEST(StoryParser, BodyWithTableAndSectionProperties) {
    IdentityMint mint;
    const std::string xml = body(
        "<w:p/>\n"
        "<w:tbl><w:tblPr/><w:tblGrid/><w:tr><w:trPr/><w:tc><w:tcPr/><w:p/></w:tc><w:tc><w:p/></w:tc></w:tr></w:tbl>\n"
        "<w:sectPr/>");
    const auto story = parse(xml, mint);
    const Group& bodyGroup = groupAt(*story->root, 0);
    EXPECT_EQ(bodyGroup.local(), "body");
    ASSERT_EQ(bodyGroup.children.size(), 5u);
    EXPECT_EQ(paragraphAt(bodyGroup, 0).parent, &bodyGroup);
    EXPECT_EQ(rawLocal(bodyGroup.children[1]), "#text");
    const Group& table = groupAt(bodyGroup, 2);
    EXPECT_EQ(table.local(), "tbl");
    EXPECT_EQ(rawLocal(table.children[0]), "tblPr");
    EXPECT_EQ(rawLocal(table.children[1]), "tblGrid");
    const Group& row = groupAt(table, 2);
    EXPECT_EQ(rawLocal(row.children[0]), "trPr");
    const Group& cell = groupAt(row, 1);
    EXPECT_EQ(cell.local(), "tc");
    EXPECT_EQ(rawLocal(cell.children[0]), "tcPr");
    EXPECT_EQ(paragraphAt(cell, 1).parent, &cell);
    EXPECT_EQ(rawLocal(bodyGroup.children[4]), "sectPr");
    EXPECT_EQ(story->paragraphs().size(), 3u);
    EXPECT_FALSE(story->checkInvariants());
}

// Content controls, smart tags and moves used to be kept whole as one object each, so
// their text could be neither found nor replaced. A block-level content control is read as
// groups around its paragraphs; a run-level one, a smart tag and either side of a move as
// containers around their runs. Row-level controls stay whole, and every byte is kept.
TEST(StoryParser, ContentControlsSmartTagsAndMovesHoldTheirText) {
    IdentityMint mint;
    const std::string xml =
        body("<w:sdt><w:sdtPr><w:id w:val=\"4\"/></w:sdtPr><w:sdtContent><w:p><w:r><w:t>x</w:t></w:r></w:p>"
             "</w:sdtContent></w:sdt><w:p><w:smartTag w:element=\"place\"><w:smartTagPr/><w:r><w:t>ab</w:t></w:r>"
             "</w:smartTag><w:sdt><w:sdtPr/><w:sdtContent><w:r><w:t>cd</w:t></w:r></w:sdtContent></w:sdt>"
             "<w:moveFrom w:id=\"1\"><w:r><w:t>ef</w:t></w:r></w:moveFrom><w:moveTo w:id=\"2\"><w:r><w:t>gh</w:t></w:r>"
             "</w:moveTo></w:p><w:tbl><w:sdt><w:sdtContent><w:tr><w:tc><w:p/></w:tc></w:tr></w:sdtContent></w:sdt>"
             "</w:tbl>");
    const auto story = parse(xml, mint);
    const Group& bodyGroup = groupAt(*story->root, 0);
    const Group& control = groupAt(bodyGroup, 0);
    EXPECT_EQ(control.local(), "sdt");
    EXPECT_EQ(rawLocal(control.children.at(0)), "sdtPr");
    const std::vector<Paragraph*> paragraphs = story->paragraphs();
    ASSERT_EQ(paragraphs.size(), 2u);  // the row-level control's paragraph is not walked into
    EXPECT_EQ(paragraphs[0]->parent->local(), "sdtContent");
    EXPECT_EQ(DisplayText::visibleText(paragraphs[1]->inlines), u"abcdefgh");
    std::vector<Container::Kind> kinds;
    for (const Inline& node : paragraphs[1]->inlines) kinds.push_back(std::get<std::unique_ptr<Container>>(node)->kind);
    const std::vector<Container::Kind> expected = {Container::Kind::wrapper, Container::Kind::wrapper,
                                                   Container::Kind::moveFrom, Container::Kind::moveTo};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(rawLocal(groupAt(bodyGroup, 2).children.at(0)), "sdt");
    const Bytes out = story->serialized();
    EXPECT_EQ(std::string(out.begin(), out.end()), xml);
    EXPECT_FALSE(story->checkInvariants());
}

TEST(StoryParser, EmptyParagraphHasNoPropsNoInlinesNoEndTag) {
    IdentityMint mint;
    const auto story = parse(body("<w:p/>"), mint);
    const Paragraph& p = *story->paragraphs().at(0);
    EXPECT_FALSE(p.props);
    EXPECT_TRUE(p.inlines.empty());
    EXPECT_FALSE(p.tags.end());
    EXPECT_EQ(p.original->chars(), "<w:p/>");
}

TEST(StoryParser, RunItemsByElement) {
    IdentityMint mint;
    const auto story = parse(body(
        "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:rPr><w:b/></w:rPr>"
        "<w:t xml:space=\"preserve\"> a </w:t><w:tab/><w:br w:type=\"column\"/><w:br w:type=\"page\"/><w:cr/>"
        "<w:footnoteReference/><w:endnoteReference w:id=\"7\"/><w:commentReference w:id=\"x\"/>"
        "<w:fldChar w:fldCharType=\"begin\"/><w:instrText>PAGE</w:instrText><w:delText>gone</w:delText>"
        "<w:drawing/><w:lastRenderedPageBreak/></w:r></w:p>"), mint);
    const Paragraph& p = *story->paragraphs().at(0);
    ASSERT_TRUE(p.props);
    EXPECT_TRUE(std::holds_alternative<PropsMarker>(p.inlines.at(0)));
    const rovuvuz::Run& run = runAt(p, 1);
    ASSERT_TRUE(run.props);
    EXPECT_EQ(run.props->toggle("b"), true);
    using K = RunItem::Kind;
    using T = RunItem::Type;
    const std::vector<K> expected = {
        K::make(T::props),       K::makeText(u" a "),      K::make(T::tab),          K::makeColumnBreak(),
        K::make(T::pageBreak),   K::make(T::lineBreak),    K::makeNoteRef(-1),       K::makeNoteRef(7, true),
        K::makeCommentRef(-1),   K::make(T::fieldChar),    K::make(T::instrText),    K::makeDelText(u"gone"),
        K::makeObject("drawing"), K::make(T::hidden)};
    ASSERT_EQ(run.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(run.items[i].kind, expected[i]) << "item " << i;
        EXPECT_TRUE(run.items[i].isPristine()) << "item " << i;
    }
    EXPECT_EQ(run.items[1].original.chars(), "<w:t xml:space=\"preserve\"> a </w:t>");
}

TEST(StoryParser, ContainersNestAndKeepTheirTags) {
    IdentityMint mint;
    const auto story = parse(body(
        "<w:p><w:ins w:id=\"1\" w:author=\"Ann\"><w:hyperlink r:id=\"rId4\"><w:r><w:t>link</w:t></w:r></w:hyperlink>"
        "</w:ins><w:del w:id=\"2\"><w:r><w:delText>old</w:delText></w:r></w:del><w:bookmarkStart w:id=\"0\"/></w:p>"), mint);
    const Paragraph& p = *story->paragraphs().at(0);
    const Container& ins = *std::get<std::unique_ptr<Container>>(p.inlines.at(0));
    EXPECT_EQ(ins.kind, Container::Kind::insert);
    EXPECT_EQ(ins.attribute("author"), "Ann");
    EXPECT_EQ(ins.attribute("id"), "1");
    const Container& link = *std::get<std::unique_ptr<Container>>(ins.inlines.at(0));
    EXPECT_EQ(link.kind, Container::Kind::hyperlink);
    EXPECT_EQ(std::get<std::unique_ptr<Container>>(p.inlines.at(1))->kind, Container::Kind::remove);
    const Raw& bookmark = std::get<Raw>(p.inlines.at(2));
    EXPECT_EQ(bookmark.local(), "bookmarkStart");
    EXPECT_EQ(bookmark.wid(), "0");
}

TEST(StoryParser, IdentitiesAreUniqueAcrossStoriesOfOneMint) {
    IdentityMint mint;
    const auto first = parse(body("<w:p/><w:p/>"), mint);
    const auto second = parse(body("<w:p/>"), mint);
    std::set<uint64_t> ids;
    for (const auto* story : {first.get(), second.get()})
        for (const Paragraph* p : story->paragraphs()) ids.insert(p->id.raw);
    EXPECT_EQ(ids.size(), 3u);
}

TEST(StoryParser, NestingPastTheDepthLimitStaysRawAndRoundTrips) {
    // A hostile part nesting thousands of insertions or tables must neither overflow the
    // stack nor lose a byte: past the limit the subtree is one raw piece.
    IdentityMint mint;
    std::string inlines, tables;
    for (int i = 0; i < 5000; ++i) inlines += "<w:ins>";
    inlines += "<w:r><w:t>deep</w:t></w:r>";
    for (int i = 0; i < 5000; ++i) inlines += "</w:ins>";
    for (int i = 0; i < 3000; ++i) tables += "<w:tbl><w:tr><w:tc>";
    tables += "<w:p/>";
    for (int i = 0; i < 3000; ++i) tables += "</w:tc></w:tr></w:tbl>";
    const std::string xml = body("<w:p>" + inlines + "</w:p>" + tables);
    const auto story = parse(xml, mint);
    for (Paragraph* p : story->paragraphs()) p->setDirty(true);
    const Bytes out = story->serialized();
    EXPECT_EQ(std::string(out.begin(), out.end()), xml);
    EXPECT_FALSE(story->checkInvariants());
}

TEST(StoryParser, EndTagsWithJunkAfterTheNameRebuildWellFormed) {
    // The scanner accepts "</w:p/<>" as the end of w:p; its end tag must be all of it, so
    // that a rebuilt paragraph ends exactly as it was read.
    IdentityMint mint;
    const std::string xml = body("<w:p><w:r><w:t>x</w:t></w:r></w:p/<><w:p></w:p junk='<'>");
    const auto story = parse(xml, mint);
    for (Paragraph* p : story->paragraphs()) p->setDirty(true);
    const Bytes out = story->serialized();
    EXPECT_EQ(std::string(out.begin(), out.end()), xml);
}
