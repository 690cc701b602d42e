// Documents built to hurt the layout's inputs: thousands of notes, fields nested ten
// thousand deep, text boxes inside text boxes, tables ten thousand deep. Each opens and
// snapshots with bounded results.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentSections.h"
#include "RovuVuz/document/DocxDocument.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

constexpr int many = 10000;

size_t countParagraphs(const std::vector<BlockSnapshot>& blocks) {
    size_t n = 0;
    for (const BlockSnapshot& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
            ++n;
            for (const DrawingSnapshot& drawing : p->drawings) n += countParagraphs(drawing.blocks);
        }
    }
    return n;
}

}  // namespace

TEST(HostileLayoutInput, TenThousandFootnotes) {
    std::string notes = "<w:footnotes " + std::string(rovuvuz::testing::mainNamespace) + ">";
    std::string body;
    for (int i = 1; i <= many; ++i) {
        const std::string id = std::to_string(i);
        notes += "<w:footnote w:id=\"" + id + "\"><w:p><w:r><w:t>note " + id + "</w:t></w:r>" +
                 "<w:fldSimple w:instr=\"PAGE\"><w:r><w:t>1</w:t></w:r></w:fldSimple></w:p></w:footnote>";
        body += "<w:p><w:r><w:t>x</w:t></w:r><w:r><w:footnoteReference w:id=\"" + id + "\"/></w:r></w:p>";
    }
    notes += "</w:footnotes>";
    DocxDocument document(rovuvuz::testing::packageWith(body, {{"footnotes", "footnotes.xml", notes}}));
    const StorySnapshot text = document.snapshot(StoryID::body());
    EXPECT_EQ(text.blocks.size(), size_t(many));
    const StorySnapshot footnotes = document.snapshot(StoryID::footnotes());
    ASSERT_EQ(footnotes.entries.size(), size_t(many));
    const auto& last = std::get<ParagraphSnapshot>(footnotes.entries.back().blocks.at(0).value);
    EXPECT_EQ(last.fields.at(0).instruction.kind, FieldInstruction::Kind::page);
    EXPECT_EQ(document.sections().size(), 1u);
}

TEST(HostileLayoutInput, FieldsNestedTenThousandDeep) {
    std::string paragraph = "<w:p>";
    for (int i = 0; i < many; ++i)
        paragraph += "<w:r><w:fldChar w:fldCharType=\"begin\"/><w:instrText>IF </w:instrText></w:r>";
    paragraph += "<w:r><w:fldChar w:fldCharType=\"separate\"/><w:t>r</w:t></w:r>";
    for (int i = 0; i < many; ++i) paragraph += "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    // An end without a begin, and a begin never ended.
    paragraph += "<w:r><w:fldChar w:fldCharType=\"end\"/><w:fldChar w:fldCharType=\"begin\"/></w:r></w:p>";
    DocxDocument document(rovuvuz::testing::packageWith(paragraph, {}));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const auto& p = std::get<ParagraphSnapshot>(snapshot.blocks.at(0).value);
    EXPECT_EQ(p.text, u"r");
    // Only the outermost fields are tracked past the nesting limit; the innermost (the
    // one with the result) is among those dropped.
    EXPECT_LE(p.fields.size(), 64u);
    EXPECT_FALSE(p.fields.empty());
}

TEST(HostileLayoutInput, TextBoxesInsideTextBoxesAndDeepTables) {
    std::string nested = "<w:p><w:r><w:t>core</w:t></w:r></w:p>";
    for (int i = 0; i < many; ++i)
        nested = "<w:p><w:r><w:drawing><wp:anchor><wps:txbx><w:txbxContent>" + nested +
                 "</w:txbxContent></wps:txbx></wp:anchor></w:drawing></w:r></w:p>";
    DocxDocument boxes(rovuvuz::testing::packageWith(nested, {}));
    const StorySnapshot snapshot = boxes.snapshot(StoryID::body());
    const size_t shown = countParagraphs(snapshot.blocks);
    EXPECT_GE(shown, 2u);
    EXPECT_LE(shown, 10u);  // a few levels of boxes, not ten thousand

    std::string tables = "<w:p/>";
    for (int i = 0; i < many; ++i)
        tables = "<w:tbl><w:tblPr><w:tblStyle w:val=\"T\"/><w:tblLook w:val=\"FFFF\"/></w:tblPr><w:tr><w:tc>" +
                 tables + "</w:tc></w:tr></w:tbl>";
    DocxDocument deep(rovuvuz::testing::packageWith(tables + "<w:p/>", {}));
    EXPECT_FALSE(deep.snapshot(StoryID::body()).blocks.empty());
}
