// Snapshots: text and offsets as the engine counts them, spans, revisions, links, comment
// marks, list labels and indents, tables, objects and note entries.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/snapshot/SnapshotContext.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

using rovuvuz::testing::rel;

namespace {

constexpr std::string_view wNamespace = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";


const std::string numberingPart =
    "<w:numbering " + std::string(wNamespace) +
    "><w:abstractNum w:abstractNumId=\"0\">"
    "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
    "<w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>"
    "<w:lvl w:ilvl=\"1\"><w:start w:val=\"1\"/><w:numFmt w:val=\"lowerLetter\"/><w:lvlText w:val=\"%2)\"/></w:lvl>"
    "</w:abstractNum><w:num w:numId=\"3\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";

const std::string stylesPart =
    "<w:styles " + std::string(wNamespace) +
    "><w:style w:type=\"table\" w:styleId=\"T\"><w:rPr><w:b/></w:rPr><w:pPr><w:jc w:val=\"center\"/></w:pPr></w:style>"
    "</w:styles>";

DocxDocument documentWith(std::string_view body, std::string rels = {},
                          std::vector<std::pair<std::string, std::string>> extra = {}) {
    rels += rel("rIdN", "numbering", "numbering.xml") + rel("rIdS", "styles", "styles.xml");
    auto parts = minimalDocument(body, rels);
    parts.emplace_back("word/numbering.xml", numberingPart);
    parts.emplace_back("word/styles.xml", stylesPart);
    parts.insert(parts.end(), extra.begin(), extra.end());
    return DocxDocument(makePackage(parts));
}

std::vector<ParagraphSnapshot> paragraphs(DocxDocument& document, StoryID id = StoryID::body()) {
    std::vector<ParagraphSnapshot> result;
    const StorySnapshot snapshot = document.snapshot(id);
    for (const ParagraphSnapshot* p : snapshot.paragraphs()) result.push_back(*p);
    return result;
}

std::vector<TextRange> ranges(const ParagraphSnapshot& p) {
    std::vector<TextRange> result;
    for (const Span& span : p.spans) result.push_back(span.range);
    return result;
}

const TableSnapshot& firstTable(const StorySnapshot& story) {
    for (const BlockSnapshot& block : story.blocks)
        if (const auto* table = std::get_if<TableSnapshot>(&block.value)) return *table;
    throw std::logic_error("no table");
}

}  // namespace

TEST(Snapshot, SpansFollowRunsAndItems) {
    DocxDocument document = documentWith(
        "<w:p><w:r><w:t>ab</w:t><w:tab/><w:t>c</w:t></w:r><w:r><w:t>d</w:t></w:r><w:r><w:t>e</w:t></w:r>"
        "<w:r><w:br/><w:commentReference w:id=\"1\"/><w:fldChar w:fldCharType=\"begin\"/><w:t>\xF0\x9F\x98\x80</w:t>"
        "<w:br w:type=\"page\"/></w:r></w:p>");
    const ParagraphSnapshot p = paragraphs(document).at(0);
    EXPECT_EQ(p.text, u"ab\tcde\u2028\U0001F600\uFFFC");
    // One span per run (equal formats do not merge runs); the page break is its own span.
    const std::vector<TextRange> expected = {{0, 4}, {4, 5}, {5, 6}, {6, 9}, {9, 10}};
    EXPECT_EQ(ranges(p), expected);
    EXPECT_EQ(p.spans[4].content.type, Span::Content::Type::pageBreak);
    EXPECT_NE(p.spans[1].key, p.spans[2].key);
}

// A column break shows as a line break; the snapshot says which line breaks are column
// breaks, so that pages can start a column there.
TEST(Snapshot, ColumnBreaksAreLineBreaksTheSnapshotNames) {
    DocxDocument document =
        documentWith("<w:p><w:r><w:t>a</w:t><w:br/><w:t>b</w:t><w:br w:type=\"column\"/><w:t>c</w:t></w:r></w:p>");
    const ParagraphSnapshot p = paragraphs(document).at(0);
    EXPECT_EQ(p.text, u"a\u2028b\u2028c");
    EXPECT_EQ(p.columnBreaks, std::vector<size_t>{3});
}

TEST(Snapshot, RevisionsLinksAndNotes) {
    DocxDocument document = documentWith(
        "<w:p><w:del w:id=\"4\" w:author=\"Ann\" w:date=\"2024-01-02T03:04:05Z\"><w:r><w:delText>old</w:delText></w:r>"
        "</w:del><w:hyperlink r:id=\"rIdL\"><w:ins w:id=\"x\"><w:r><w:t>new</w:t></w:r></w:ins></w:hyperlink>"
        "<w:hyperlink w:anchor=\"sec\"><w:r><w:t>in</w:t></w:r></w:hyperlink>"
        "<w:hyperlink r:id=\"rIdMissing\"><w:r><w:t>none</w:t></w:r></w:hyperlink>"
        "<w:r><w:footnoteReference w:id=\"2\"/></w:r></w:p>",
        rel("rIdL", "hyperlink", "https://example.org/a?b=1&amp;c=2", true));
    const ParagraphSnapshot p = paragraphs(document).at(0);
    EXPECT_EQ(p.text, u"oldnewinnone\uFFFC");
    ASSERT_EQ(p.spans.size(), 5u);
    const RevisionInfo deletion{RevisionID{4}, RevisionKind::remove, "Ann", "2024-01-02T03:04:05Z"};
    EXPECT_EQ(p.spans[0].revision, deletion);
    EXPECT_EQ(p.spans[1].revision, (RevisionInfo{RevisionID{-1}, RevisionKind::insert, "", std::nullopt}));
    EXPECT_EQ(p.spans[1].link, "https://example.org/a?b=1&c=2");
    EXPECT_EQ(p.spans[2].link, "#sec");
    EXPECT_EQ(p.spans[3].link, std::nullopt);
    EXPECT_EQ(p.spans[4].content.type, Span::Content::Type::noteRef);
    EXPECT_EQ(p.spans[4].content.noteID, 2);
}

TEST(Snapshot, PreservedElementsCommentMarksAndTheParagraphMark) {
    DocxDocument document = documentWith(
        "<w:p><w:pPr><w:rPr><w:ins w:id=\"1\" w:author=\"A\"/><w:del w:id=\"2\" w:author=\"B\"/></w:rPr></w:pPr>"
        "<w:commentRangeStart w:id=\"7\"/><w:r><w:t>ab</w:t></w:r><w:commentRangeEnd w:id=\"7\"/>"
        "<w:commentRangeStart w:id=\"x\"/><w:bookmarkStart w:id=\"0\" w:name=\"b\"/>"
        "<w:fldSimple w:instr=\"PAGE\"><w:r><w:t>12</w:t></w:r></w:fldSimple><w:r><w:t>c</w:t></w:r></w:p>");
    const ParagraphSnapshot p = paragraphs(document).at(0);
    EXPECT_EQ(p.text, u"ab\uFFFCc");
    ASSERT_EQ(p.spans.size(), 3u);
    EXPECT_EQ(p.spans[1].content.type, Span::Content::Type::opaque);
    EXPECT_EQ(p.spans[1].content.name, "fldSimple");
    EXPECT_EQ(p.spans[1].content.preview, "12");
    EXPECT_FALSE(p.spans[1].key);
    const std::vector<CommentMark> marks = {{CommentID{7}, 0, true}, {CommentID{7}, 2, false}};
    EXPECT_EQ(p.commentMarks, marks);
    ASSERT_TRUE(p.markRevision);
    EXPECT_EQ(p.markRevision->kind, RevisionKind::remove);
    EXPECT_EQ(p.markRevision->author, "B");
    EXPECT_FALSE(p.formatRevision);
}

TEST(Snapshot, AParagraphsFormatChangeIsItsFormatRevision) {
    DocxDocument document = documentWith(
        "<w:p><w:pPr><w:jc w:val=\"center\"/><w:pPrChange w:id=\"4\" w:author=\"C\" w:date=\"2024-03-01T09:30:00Z\">"
        "<w:pPr/></w:pPrChange></w:pPr><w:r><w:t>ab</w:t></w:r></w:p><w:p><w:r><w:t>c</w:t></w:r></w:p>");
    const ParagraphSnapshot p = paragraphs(document).at(0);
    ASSERT_TRUE(p.formatRevision);
    EXPECT_EQ(p.formatRevision->id, RevisionID{4});
    EXPECT_EQ(p.formatRevision->author, "C");
    EXPECT_EQ(p.formatRevision->date, "2024-03-01T09:30:00Z");
    EXPECT_FALSE(p.markRevision);
    EXPECT_FALSE(paragraphs(document).at(1).formatRevision);
}

TEST(Snapshot, ListLabelsAndIndents) {
    const std::string item = "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"%\"/><w:numId w:val=\"3\"/></w:numPr>&</w:pPr></w:p>";
    const auto listItem = [&](int level, std::string_view indent = "") {
        std::string p = item;
        p.replace(p.find('%'), 1, std::to_string(level));
        p.replace(p.find('&'), 1, indent);
        return p;
    };
    DocxDocument document = documentWith(listItem(0) + listItem(1) + listItem(1) + listItem(0, "<w:ind w:left=\"100\"/>") +
                                         listItem(1) + listItem(12));
    const auto ps = paragraphs(document);
    const std::vector<std::optional<std::string>> labels = {"1.", "a)", "b)", "2.", "a)", std::nullopt};
    for (size_t i = 0; i < labels.size(); ++i) EXPECT_EQ(ps[i].listLabel, labels[i]) << i;
    EXPECT_EQ(ps[0].format.indentLeft, 36);
    EXPECT_EQ(ps[0].format.firstLine, -18);
    EXPECT_EQ(ps[3].format.indentLeft, 5);  // its own indent wins, and no hanging is taken
    EXPECT_EQ(ps[3].format.firstLine, 0);
    // A single paragraph's snapshot has no label but keeps the level's indents.
    const ParagraphSnapshot single = document.snapshot(ps[0].id, StoryID::body());
    EXPECT_EQ(single.listLabel, std::nullopt);
    EXPECT_EQ(single.format.indentLeft, 36);
}

TEST(Snapshot, TablesGridsSpansMergesAndStyles) {
    DocxDocument document = documentWith(
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"T\"/></w:tblPr><w:tblGrid><w:gridCol w:w=\"4680\"/><w:gridCol w:w=\"x\"/>"
        "<w:gridCol w:w=\"4680\"/></w:tblGrid>"
        "<w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"2\"/><w:vMerge w:val=\"restart\"/></w:tcPr><w:p><w:r><w:t>a</w:t></w:r></w:p>"
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>inner</w:t></w:r></w:p></w:tc></w:tr></w:tbl></w:tc></w:tr>"
        "<w:tr><w:tc><w:tcPr><w:vMerge/><w:gridSpan w:val=\"z\"/></w:tcPr><w:p/></w:tc></w:tr></w:tbl>"
        "<w:p><w:r><w:t>after</w:t></w:r></w:p>");
    const StorySnapshot story = document.snapshot(StoryID::body());
    const TableSnapshot& table = firstTable(story);
    EXPECT_EQ(table.columns, (std::vector<double>{234, 234}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0][0].gridSpan, 2);
    EXPECT_EQ(table.rows[0][0].vMerge, VMerge::restart);
    EXPECT_EQ(table.rows[1][0].vMerge, VMerge::continues);
    EXPECT_EQ(table.rows[1][0].gridSpan, 1);
    // The table style reaches the cells and the nested table, and ends with the table.
    const auto ps = story.paragraphs();
    ASSERT_EQ(ps.size(), 4u);
    EXPECT_TRUE(ps[0]->spans.at(0).format.bold);
    EXPECT_EQ(ps[0]->format.alignment, Alignment::center);
    EXPECT_EQ(ps[1]->text, u"inner");
    EXPECT_TRUE(ps[1]->spans.at(0).format.bold);
    EXPECT_FALSE(ps[3]->spans.at(0).format.bold);
    EXPECT_EQ(ps[3]->format.alignment, Alignment::left);
}

TEST(Snapshot, AParagraphOrTableTakenAloneInsideATableKeepsTheTableStyle) {
    DocxDocument document = documentWith(
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"T\"/></w:tblPr><w:tr><w:tc><w:p><w:r><w:t>a</w:t></w:r></w:p>"
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>inner</w:t></w:r></w:p></w:tc></w:tr></w:tbl></w:tc></w:tr></w:tbl>"
        "<w:p><w:r><w:t>after</w:t></w:r></w:p>");
    const StorySnapshot story = document.snapshot(StoryID::body());
    for (const ParagraphSnapshot* p : story.paragraphs()) {
        SCOPED_TRACE(std::string(p->text.begin(), p->text.end()));
        EXPECT_EQ(document.snapshot(p->id, StoryID::body()), *p);
    }
    const TableSnapshot& outer = firstTable(story);
    const auto& nested = std::get<TableSnapshot>(outer.rows[0][0].blocks.at(1).value);
    EXPECT_EQ(document.snapshot(nested.id, StoryID::body()), nested);
    EXPECT_TRUE(std::get<ParagraphSnapshot>(nested.rows[0][0].blocks[0].value).spans.at(0).format.bold);
}

TEST(Snapshot, ObjectsBecomeImagesOrOpaqueObjects) {
    const auto image = SnapshotContext::object(
        "drawing",
        asBytes(std::string_view("<w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"457200\"/>"
                                 "<a:blip r:embed=\"rId9\"/></wp:inline></w:drawing>")),
        "w");
    EXPECT_EQ(image.type, Span::Content::Type::image);
    EXPECT_EQ(image.image, RelationshipID{"rId9"});
    EXPECT_EQ(image.width, 72);
    EXPECT_EQ(image.height, 36);
    const auto box = SnapshotContext::object(
        "drawing",
        asBytes(std::string_view("<w:drawing><w:txbxContent><w:p><w:r><w:t>boxed</w:t></w:r></w:p>"
                                 "</w:txbxContent></w:drawing>")),
        "w");
    EXPECT_EQ(box.type, Span::Content::Type::opaque);
    EXPECT_EQ(box.preview, "boxed");
    // A story binding the main namespace elsewhere: its own t counts, DrawingML's a:t never.
    const std::string_view rebound =
        "<ns0:drawing><a:p><a:r><a:t>shape</a:t></a:r></a:p><ns0:txbxContent><ns0:p>"
        "<ns0:r><ns0:t>boxed</ns0:t></ns0:r></ns0:p></ns0:txbxContent></ns0:drawing>";
    EXPECT_EQ(SnapshotContext::object("drawing", asBytes(rebound), "ns0").preview, "boxed");
    EXPECT_EQ(SnapshotContext::object("drawing", asBytes(rebound), "w").preview, "");
    const auto alternate = SnapshotContext::object(
        "AlternateContent", asBytes(std::string_view("<x r:id=\"a\" r:embed=\"b\"/>")), "w");
    EXPECT_EQ(alternate.image, RelationshipID{"b"});
    EXPECT_EQ(alternate.width, std::nullopt);
    EXPECT_EQ(SnapshotContext::object("sym", {}, "w").type, Span::Content::Type::opaque);
}

TEST(Snapshot, NoteEntriesAndImageData) {
    const std::string notes = "<w:footnotes " + std::string(wNamespace) +
                              "><w:footnote w:type=\"separator\" w:id=\"-1\"><w:p/></w:footnote>"
                              "<w:footnote w:type=\"continuationSeparator\" w:id=\"0\"><w:p/></w:footnote>"
                              "<w:footnote w:id=\"1\"><w:p><w:r><w:t>note</w:t></w:r></w:p></w:footnote>"
                              "<w:footnote w:type=\"normal\" w:id=\"z\"><w:p/></w:footnote></w:footnotes>";
    DocxDocument document = documentWith("<w:p/>", rel("rIdF", "footnotes", "footnotes.xml") + rel("rIdI", "image", "media/i.png"),
                                         {{"word/footnotes.xml", notes}, {"word/media/i.png", "PNGDATA"}});
    const StorySnapshot story = document.snapshot(StoryID::footnotes());
    EXPECT_TRUE(story.blocks.empty());
    ASSERT_EQ(story.entries.size(), 2u);
    EXPECT_EQ(story.entries[0].id, 1);
    EXPECT_EQ(story.entries[1].id, -1);
    EXPECT_EQ(story.paragraphs().at(0)->text, u"note");
    const auto bytes = document.imageData(RelationshipID{"rIdI"}, StoryID::body());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string((*bytes)->begin(), (*bytes)->end()), "PNGDATA");
    EXPECT_FALSE(document.imageData(RelationshipID{"rIdNone"}, StoryID::body()));
    EXPECT_FALSE(document.imageData(RelationshipID{"rIdI"}, StoryID::footnotes()));
}
