// Tracked table rows as snapshots name them, and accepted or rejected: the saved part
// differs from the file read only by the marker or the row that went, a table whose last
// row goes goes too and leaves its cell or body ending in a paragraph, and rows resolve in
// every story that holds tables.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;
using rovuvuz::testing::rel;

namespace {

using E = StructuralEdit;

const std::string documentPart = "word/document.xml";

// Pieces of a table laid out as a producer might: whitespace between rows, single quotes,
// properties the editor does not model.
const std::string insertedMarker = "<w:ins w:id=\"5\" w:author=\"Ann\" w:date=\"2024-03-01T00:00:00Z\"/>";
const std::string deletedMarker = "<w:del w:id='7' w:author='Bob'/>";
const std::string headRow =
    "<w:tr w:rsidR=\"00A1\"><w:tc><w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/><w:vMerge w:val=\"restart\"/>"
    "</w:tcPr><w:p><w:r><w:t>head</w:t></w:r></w:p></w:tc></w:tr>";
const std::string insertedRow = "<w:tr><w:trPr><w:cantSplit/>" + insertedMarker +
                                "</w:trPr><w:tc><w:p><w:ins w:id=\"6\" w:author=\"Ann\"><w:r><w:t>added</w:t>"
                                "</w:r></w:ins></w:p></w:tc></w:tr>";
const std::string deletedRow = "<w:tr><w:trPr>" + deletedMarker +
                               "</w:trPr><w:tc><w:p><w:del w:id=\"8\" w:author=\"Bob\"><w:r><w:delText>gone"
                               "</w:delText></w:r></w:del></w:p></w:tc></w:tr>";
const std::string lastRow =
    "<w:tr><w:tc><w:tcPr><w:vMerge/></w:tcPr><w:p><w:r><w:t>last</w:t></w:r></w:p>"
    "</w:tc></w:tr>";
const std::string before = "<w:p><w:pPr><w:jc w:val='center'/></w:pPr><w:r><w:t>Before</w:t></w:r></w:p>\n";
const std::string after = "\n<w:p><w:r><w:t xml:space='preserve'>After </w:t></w:r></w:p><w:sectPr/>";

// Rows on lines of their own; removing a row leaves the whitespace around it.
std::string table(std::initializer_list<std::string> rows) {
    std::string out = "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr>";
    for (const std::string& row : rows) out += "\n  " + row;
    return out + "</w:tbl>";
}

std::string partOf(const std::vector<std::pair<std::string, std::string>>& parts, const std::string& name) {
    for (const auto& [partName, text] : parts)
        if (partName == name) return text;
    return {};
}

// The part as saved and read back.
std::string saved(DocxDocument& document, const std::string& name) {
    DocxDocument reopened(document.data());
    return std::string(asChars(*reopened.partData(PartName(name))));
}

std::string without(std::string text, const std::string& piece) {
    const size_t at = text.find(piece);
    EXPECT_NE(at, std::string::npos) << piece;
    if (at != std::string::npos) text.erase(at, piece.size());
    return text;
}

struct Fixture {
    std::string original;
    DocxDocument document;
    explicit Fixture(const std::string& body)
        : original(partOf(minimalDocument(body), documentPart)),
          document(makePackage(minimalDocument(body))) {}

    void apply(E::Value edit, const StoryID& story = StoryID::body()) {
        document.apply(StructuralEdit{std::move(edit)}, story, EditMode::direct());
        const auto problem = DocumentInternals::story(document, story).checkInvariants();
        EXPECT_FALSE(problem) << *problem;
    }
    std::string part() { return saved(document, documentPart); }
    size_t changes() { return document.trackedChanges(StoryID::body()).size(); }
};

}  // namespace

TEST(TrackedRows, ByIDOnlyTheMarkerOrTheRowGoes) {
    const std::string body = before + table({headRow, insertedRow, deletedRow, lastRow}) + after;
    {
        // The inserted row stays without its marker; its w:trPr keeps the row's property.
        Fixture f(body);
        f.apply(E::Accept{RevisionID{5}});
        EXPECT_EQ(f.part(), without(f.original, insertedMarker));
    }
    {
        Fixture f(body);
        f.apply(E::Reject{RevisionID{5}});
        EXPECT_EQ(f.part(), without(f.original, insertedRow));
    }
    {
        Fixture f(body);
        f.apply(E::Accept{RevisionID{7}});
        EXPECT_EQ(f.part(), without(f.original, deletedRow));
    }
    {
        // The deleted row stays; a w:trPr that held only the marker goes with it.
        Fixture f(body);
        f.apply(E::Reject{RevisionID{7}});
        EXPECT_EQ(f.part(), without(f.original, "<w:trPr>" + deletedMarker + "</w:trPr>"));
        // The row's text is still a deletion of its own, listed and resolved by its number.
        EXPECT_EQ(f.changes(), 3u);
        f.apply(E::Reject{RevisionID{8}});
        EXPECT_EQ(f.changes(), 2u);
        EXPECT_NE(f.part().find("<w:t>gone</w:t>"), std::string::npos);
    }
}

TEST(TrackedRows, AllAtOnceWithTheCellsChanges) {
    const std::string body = before + table({headRow, insertedRow, deletedRow, lastRow}) + after;
    const auto texts = [](DocxDocument& document) {
        std::vector<std::u16string> out;
        const StorySnapshot story = document.snapshot(StoryID::body());
        for (const ParagraphSnapshot* p : story.paragraphs()) out.push_back(p->text);
        return out;
    };
    {
        Fixture f(body);
        f.apply(E::AcceptAll{});
        EXPECT_EQ(f.changes(), 0u);
        EXPECT_EQ(texts(f.document),
                  (std::vector<std::u16string>{u"Before", u"head", u"added", u"last", u"After "}));
        const std::string part = f.part();
        // Everything around the table, and the rows no change touched, as read.
        const size_t tableStart = f.original.find("<w:tbl>");
        EXPECT_EQ(part.substr(0, tableStart), f.original.substr(0, tableStart));
        EXPECT_TRUE(part.ends_with(lastRow + "</w:tbl>" + after + "</w:body></w:document>")) << part;
        EXPECT_NE(part.find(headRow + "\n  <w:tr><w:trPr><w:cantSplit/></w:trPr>"), std::string::npos)
            << part;
    }
    {
        Fixture f(body);
        f.apply(E::RejectAll{});
        EXPECT_EQ(f.changes(), 0u);
        EXPECT_EQ(texts(f.document),
                  (std::vector<std::u16string>{u"Before", u"head", u"gone", u"last", u"After "}));
        EXPECT_EQ(f.part().find("trPr"), std::string::npos);
    }
    {
        // A removed row where a vertical merge starts passes the start to the row below.
        const std::string merged =
            "<w:tr><w:trPr>" + deletedMarker +
            "</w:trPr><w:tc><w:tcPr><w:vMerge w:val=\"restart\"/></w:tcPr><w:p/></w:tc>"
            "</w:tr>";
        Fixture f(before + table({merged, lastRow}) + after);
        f.apply(E::Accept{RevisionID{7}});
        EXPECT_NE(f.part().find("<w:tcPr><w:vMerge w:val=\"restart\"/></w:tcPr><w:p><w:r><w:t>last"),
                  std::string::npos)
            << f.part();
    }
}

TEST(TrackedRows, ATableWhoseLastRowGoesGoesWithIt) {
    {
        // The table was all the body held: the body gets a paragraph before its section.
        Fixture f(table({deletedRow}) + "<w:sectPr/>");
        f.apply(E::AcceptAll{});
        EXPECT_NE(f.part().find("<w:body><w:p></w:p><w:sectPr/></w:body>"), std::string::npos) << f.part();
    }
    {
        // A table between paragraphs goes and leaves them as they were.
        Fixture f(before + table({insertedRow}) + after);
        f.apply(E::Reject{RevisionID{5}});
        EXPECT_EQ(f.part(), without(f.original, table({insertedRow})));
    }
    {
        // A nested table that was all of its cell: the cell keeps a paragraph.
        const std::string outer =
            "<w:tbl><w:tr><w:tc><w:tcPr/>" + table({deletedRow}) + "</w:tc></w:tr></w:tbl>";
        Fixture f(before + outer + after);
        f.apply(E::Accept{RevisionID{7}});
        EXPECT_NE(f.part().find("<w:tc><w:tcPr/><w:p></w:p></w:tc>"), std::string::npos) << f.part();
        EXPECT_EQ(f.changes(), 0u);
    }
    {
        // Rows of an outer and an inner table at once: the outer row takes the inner table along.
        const std::string inner = table({insertedRow});
        const std::string outer = "<w:tbl><w:tr><w:trPr>" + deletedMarker + "</w:trPr><w:tc>" + inner +
                                  "<w:p/></w:tc></w:tr>" + lastRow + "</w:tbl>";
        Fixture f(before + outer + after);
        f.apply(E::AcceptAll{});
        EXPECT_EQ(f.part(), without(f.original, "<w:tr><w:trPr>" + deletedMarker + "</w:trPr><w:tc>" + inner +
                                                    "<w:p/></w:tc></w:tr>"));
    }
}

TEST(TrackedRows, HeadersResolveTheirRowsToo) {
    const std::string header =
        "<w:hdr xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">" +
        table({headRow, deletedRow}) + "<w:p/></w:hdr>";
    auto parts = minimalDocument("<w:p/>", rel("rId1", "header", "header1.xml"));
    parts.emplace_back("word/header1.xml", header);
    DocxDocument document(makePackage(parts));
    const StoryID story = StoryID::header(PartName("word/header1.xml"));
    ASSERT_EQ(document.trackedChanges(story).size(), 2u);
    document.apply(StructuralEdit{E::AcceptAll{}}, story, EditMode::direct());
    EXPECT_TRUE(document.trackedChanges(story).empty());
    EXPECT_EQ(saved(document, "word/header1.xml"), without(header, deletedRow));
}

TEST(TrackedRows, TableSnapshotsNameTheTrackedRows) {
    Fixture f(before + table({headRow, insertedRow, deletedRow, lastRow}) + after);
    const StorySnapshot story = f.document.snapshot(StoryID::body());
    const auto& snapshot = std::get<TableSnapshot>(story.blocks.at(1).value);
    const std::vector<RowRevision> expected = {
        {1, RevisionInfo{RevisionID{5}, RevisionKind::insert, "Ann", "2024-03-01T00:00:00Z"}},
        {2, RevisionInfo{RevisionID{7}, RevisionKind::remove, "Bob", std::nullopt}}};
    EXPECT_EQ(snapshot.rowRevisions, expected);
    EXPECT_EQ(f.document.snapshot(snapshot.id, StoryID::body()), snapshot);
}
