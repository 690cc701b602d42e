// Replacing ranges that hold whole tables: outright the tables go and the end paragraphs
// join; tracked, accepting gives the outright result and rejecting gives the original back.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));
const EditMode byA = EditMode::trackedBy("A", when);

std::string cell(const std::string& text) {
    return "<w:tc><w:p><w:r><w:t>" + text + "</w:t></w:r></w:p></w:tc>";
}
std::string paragraph(const std::string& text) {
    return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}
const std::string table = "<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2000\"/></w:tblGrid><w:tr>" +
                          cell("a") + cell("b") + "</w:tr><w:tr>" + cell("c") + cell("d") + "</w:tr></w:tbl>";
const std::string body = paragraph("Above") + table + paragraph("Middle") + table + paragraph("Below");

struct Document {
    DocxDocument doc{rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body))};

    // The body's blocks: paragraphs' texts, a table as "[table]".
    std::vector<std::string> blocks() {
        std::vector<std::string> out;
        for (const BlockSnapshot& block : doc.snapshot(StoryID::body()).blocks) {
            if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
                std::string text;
                for (const Span& span : p->spans)
                    if (!span.revision || span.revision->kind != RevisionKind::remove)
                        for (char16_t c : p->text.substr(span.range.lower, span.range.size())) text += char(c);
                out.push_back(text);
            } else {
                out.push_back("[table]");
            }
        }
        return out;
    }
    ParagraphID paragraphAt(size_t block) {
        return std::get<ParagraphSnapshot>(doc.snapshot(StoryID::body()).blocks.at(block).value).id;
    }
    BlockID tableAt(size_t block) {
        return std::get<TableSnapshot>(doc.snapshot(StoryID::body()).blocks.at(block).value).id;
    }
    void resolveAll(bool accept) {
        doc.apply(accept ? StructuralEdit{StructuralEdit::AcceptAll{}} : StructuralEdit{StructuralEdit::RejectAll{}},
                  StoryID::body(), EditMode::direct());
    }
    std::string reopened() {
        DocxDocument again(doc.data());
        std::string text;
        const StorySnapshot snapshot = again.snapshot(StoryID::body());
        for (const ParagraphSnapshot* p : snapshot.paragraphs())
            for (char16_t c : p->text) text += char(c);
        return text;
    }
};

using Blocks = std::vector<std::string>;

TEST(SpanningEdit, OutrightTheTablesGoAndTheEndsJoinAroundTheNewText) {
    Document d;
    d.doc.replaceAcross(ParagraphPos{d.paragraphAt(0), 2}, ParagraphPos{d.paragraphAt(4), 3}, StoryID::body(), u"X",
                        EditMode::direct());
    EXPECT_EQ(d.blocks(), (Blocks{"AbXow"}));
    EXPECT_EQ(d.reopened(), "AbXow");
}

TEST(SpanningEdit, TrackedTheRowsAreDeletedAcceptGivesTheOutrightResultRejectTheOriginal) {
    for (const bool accept : {true, false}) {
        Document d;
        d.doc.replaceAcross(ParagraphPos{d.paragraphAt(0), 2}, ParagraphPos{d.paragraphAt(4), 3}, StoryID::body(),
                            u"X\nY", byA);
        // Everything stays until resolved; the new text stands where the range ended.
        EXPECT_EQ(d.blocks(), (Blocks{"Ab", "[table]", "", "[table]", "X", "Yow"}));
        size_t rows = 0;
        for (const TrackedChange& change : d.doc.trackedChanges(StoryID::body()))
            rows += change.kind == TrackedChange::Kind::deletedRow;
        EXPECT_EQ(rows, 4u);
        d.resolveAll(accept);
        const Blocks expected =
            accept ? Blocks{"AbX", "Yow"} : Blocks{"Above", "[table]", "Middle", "[table]", "Below"};
        EXPECT_EQ(d.blocks(), expected);
        EXPECT_TRUE(d.doc.trackedChanges(StoryID::body()).empty());
    }
}

TEST(SpanningEdit, ARangeFromATablesEdgeLeavesTheParagraphsApart) {
    Document d;
    // From just before the first table to just after the second: both tables and the
    // paragraph between them.
    d.doc.replaceAcross(TableEdge{d.tableAt(1), false}, TableEdge{d.tableAt(3), true}, StoryID::body(), u"New",
                        EditMode::direct());
    EXPECT_EQ(d.blocks(), (Blocks{"Above", "NewBelow"}));
    // From just after a table into the next paragraph: the table stays.
    Document e;
    e.doc.replaceAcross(TableEdge{e.tableAt(1), true}, ParagraphPos{e.paragraphAt(2), 3}, StoryID::body(), u"",
                        EditMode::direct());
    EXPECT_EQ(e.blocks(), (Blocks{"Above", "[table]", "dle", "[table]", "Below"}));
    // Tracked, from a paragraph to a table's end: the paragraph keeps its mark.
    Document f;
    f.doc.replaceAcross(ParagraphPos{f.paragraphAt(2), 3}, TableEdge{f.tableAt(3), true}, StoryID::body(), u"",
                        byA);
    f.resolveAll(true);
    EXPECT_EQ(f.blocks(), (Blocks{"Above", "[table]", "Mid", "Below"}));
}

// Tracked, an end at the edge of a table already deleted stands past it, as the reader sees
// the text: deleting the mark before it joins the paragraphs around it, and typed text goes
// to the paragraph after it, where the returned end says.
TEST(SpanningEdit, AnEndAtADeletedTableStandsPastIt) {
    Document d;
    d.doc.replaceAcross(TableEdge{d.tableAt(1), false}, TableEdge{d.tableAt(1), true}, StoryID::body(), u"", byA);
    const ParagraphID middle = d.paragraphAt(2);
    const auto end = d.doc.replaceAcross(ParagraphPos{d.paragraphAt(0), 5}, TableEdge{d.tableAt(1), false},
                                         StoryID::body(), u"Z", byA);
    ASSERT_TRUE(end);
    EXPECT_EQ(*end, (SpanningEdit::TextEnd{middle, 6}));
    d.resolveAll(true);
    EXPECT_EQ(d.blocks(), (Blocks{"AboveZMiddle", "[table]", "Below"}));
    // Direct, the new text's end is in the joined paragraph.
    Document e;
    const auto joined = e.doc.replaceAcross(ParagraphPos{e.paragraphAt(0), 2}, ParagraphPos{e.paragraphAt(4), 3},
                                            StoryID::body(), u"X", EditMode::direct());
    ASSERT_TRUE(joined);
    EXPECT_EQ(*joined, (SpanningEdit::TextEnd{e.paragraphAt(0), 2}));
}

TEST(SpanningEdit, EndsInOtherGroupsOrOutOfOrderChangeNothing) {
    Document d;
    const Bytes before = *d.doc.data();
    const StorySnapshot snapshot = d.doc.snapshot(StoryID::body());
    const ParagraphID inCell = snapshot.paragraphs().at(1)->id;
    const auto refused = [&](const SpanEnd& from, const SpanEnd& to, DocxErrorCode code) {
        try {
            d.doc.replaceAcross(from, to, StoryID::body(), u"X", EditMode::direct());
            ADD_FAILURE() << "not refused";
        } catch (const DocxError& error) {
            EXPECT_EQ(error.code(), code);
        }
    };
    refused(ParagraphPos{d.paragraphAt(0), 0}, ParagraphPos{inCell, 1}, DocxErrorCode::crossesStructure);
    refused(ParagraphPos{d.paragraphAt(4), 0}, ParagraphPos{d.paragraphAt(0), 1}, DocxErrorCode::crossesStructure);
    refused(ParagraphPos{d.paragraphAt(0), 9}, ParagraphPos{d.paragraphAt(4), 1}, DocxErrorCode::rangeOutOfBounds);
    refused(TableEdge{BlockID{999999}, false}, ParagraphPos{d.paragraphAt(4), 1}, DocxErrorCode::unknownParagraph);
    EXPECT_EQ(*d.doc.data(), before);
}

}  // namespace
