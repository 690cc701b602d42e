// Inline operations: lengths, finding and slots on boundaries, cutting runs and
// containers, splitting text without breaking surrogate pairs, typed text as items, and
// deleting inside runs.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/Serializer.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using namespace rovuvuz::InlineOps;

namespace {

struct Fixture {
    DocxDocument document{rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument("<w:p/>"))};
    std::unique_ptr<Paragraph> p;
    explicit Fixture(std::string_view xml) {
        p = Fragment::paragraph("<w:p xmlns:w=\"w\">" + std::string(xml) + "</w:p>", rovuvuz::testing::mintOf(document));
    }
    std::string xml() {
        Bytes out;
        Serializer::inlines(p->inlines, p->props ? &*p->props : nullptr, out);
        return std::string(out.begin(), out.end());
    }
};

}  // namespace

TEST(InlineOps, LengthsAndSlots) {
    EXPECT_EQ(length(Fixture("").p->inlines), 0u);
    EXPECT_FALSE(slot(Fixture("").p->inlines, 0, Side::before));
    Fixture f("<w:r><w:t>ab</w:t></w:r><w:r><w:tab/><w:t>c</w:t></w:r><w:fldSimple/><w:bookmarkStart/>"
              "<w:del><w:r><w:delText>xyz</w:delText></w:r></w:del>");
    EXPECT_EQ(length(f.p->inlines), 8u);
    EXPECT_EQ(visibleText(f.p->inlines), u"ab\tc\uFFFCxyz");
    const auto after = slot(f.p->inlines, 2, Side::after);
    const auto before = slot(f.p->inlines, 2, Side::before);
    ASSERT_TRUE(after && before);
    EXPECT_NE(after->run, before->run);
    EXPECT_EQ(after->item, 0u);
    EXPECT_EQ(before->offset, 2u);
    EXPECT_FALSE(find(f.p->inlines, 4));  // the visible field
    const auto deleted = find(f.p->inlines, 6);
    ASSERT_TRUE(deleted);
    EXPECT_EQ(deleted->chain.size(), 1u);
    EXPECT_EQ(deleted->starts, std::vector<size_t>{5});
    EXPECT_EQ(deleted->offset, 1u);
}

TEST(InlineOps, CutSplitsRunsAndContainers) {
    Fixture f("<w:pPr><w:jc/></w:pPr><w:ins w:id=\"3\" w:author=\"B\"><w:r w:rsidR=\"1\"><w:t>abcd</w:t></w:r></w:ins>");
    EXPECT_EQ(cut(*f.p, 0, f.document), 1u);  // after the properties marker
    // The second half gets a fresh id (the stored document holds no w:id, so 1).
    EXPECT_EQ(cut(*f.p, 2, f.document), 2u);
    EXPECT_EQ(f.xml(), "<w:pPr><w:jc/></w:pPr><w:ins w:id=\"3\" w:author=\"B\"><w:r w:rsidR=\"1\"><w:t>ab</w:t></w:r>"
                       "</w:ins><w:ins w:id=\"1\" w:author=\"B\"><w:r w:rsidR=\"1\"><w:t>cd</w:t></w:r></w:ins>");
    EXPECT_TRUE(f.p->isDirty());
    EXPECT_EQ(openTags(Tags(ByteSlice::copyOf("<w:r/>"), std::nullopt)).start.chars(), "<w:r>");
}

TEST(InlineOps, TextCutsKeepSurrogatePairs) {
    auto [left, right] = cutText(RunItem::Kind::makeText(u"a\U0001F600b"), 2);
    EXPECT_EQ(left.text, u"a");
    EXPECT_EQ(right.text, u"\U0001F600b");
    auto [whole, none] = cutText(RunItem::Kind::makeDelText(u"ab"), 9);
    EXPECT_EQ(whole, RunItem::Kind::makeDelText(u"ab"));
    EXPECT_EQ(none.text, u"");
}

TEST(InlineOps, TypedTextBecomesItems) {
    using Type = RunItem::Type;
    const auto types = [](std::u16string_view text) {
        std::vector<Type> result;
        for (const RunItem& item : items(text)) result.push_back(item.kind.type);
        return result;
    };
    EXPECT_EQ(types(u"a\tb\nc"), (std::vector{Type::text, Type::tab, Type::text, Type::lineBreak, Type::text}));
    EXPECT_TRUE(items(u"\uFFFC").empty());
    EXPECT_EQ(types(u"\r\n"), std::vector{Type::lineBreak});  // one character, one break
    EXPECT_EQ(items(u"e\u0301\U0001F600").at(0).kind.text, u"e\u0301\U0001F600");
    auto merged = mergeText({RunItem(RunItem::Kind::makeText(u"a")), RunItem(RunItem::Kind::makeText(u"")),
                             RunItem(RunItem::Kind::makeText(u"b"))});
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].kind.text, u"ab");
}

TEST(InlineOps, InsertAndDeleteInRuns) {
    Fixture f("<w:r><w:tab/></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>ab</w:t></w:r><w:r><w:t>keep</w:t><w:t>cd</w:t></w:r>");
    rovuvuz::Run& tab = *std::get<std::unique_ptr<rovuvuz::Run>>(f.p->inlines[0]);
    insert(u"x", tab, 0, 1);
    insert(u"y", tab, 0, 0);
    EXPECT_EQ(visibleText(f.p->inlines).substr(0, 3), u"y\tx");
    deleteDirect(*f.p, 3, 5);  // the whole text of the bold run: it goes
    deleteDirect(*f.p, 0, 1);
    EXPECT_EQ(f.xml(), "<w:r><w:tab/><w:t>x</w:t></w:r><w:r><w:t>keep</w:t><w:t>cd</w:t></w:r>");
    rovuvuz::Run& last = *std::get<std::unique_ptr<rovuvuz::Run>>(f.p->inlines[1]);
    deleteInRun(last, 5, 6);
    EXPECT_TRUE(last.items[0].hasOriginal());
    EXPECT_FALSE(last.items[1].hasOriginal());
    deleteDirect(*f.p, 1, 2);  // all but the tab: the run stays
    EXPECT_EQ(f.xml(), "<w:r><w:tab/></w:r><w:r><w:t>keep</w:t><w:t>c</w:t></w:r>");
}
