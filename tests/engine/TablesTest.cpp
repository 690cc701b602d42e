// Table edits: cloned rows and cells, tracked row markers, vertical merges, grid and cell
// widths, and edits refused before anything changes.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/XMLTree.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));

std::string cell(std::string_view props, std::string_view text) {
    return "<w:tc><w:tcPr>" + std::string(props) +
           "</w:tcPr><w:p w14:paraId=\"1A2B3C4D\"><w:pPr><w:jc w:val=\"center\"/>"
           "<w:rPr><w:b/></w:rPr></w:pPr><w:r><w:t>" +
           std::string(text) + "</w:t></w:r></w:p></w:tc>";
}
std::string width(int w) {
    return "<w:tcW w:w=\"" + std::to_string(w) + "\" w:type=\"dxa\"/>";
}
std::string grid(std::initializer_list<int> widths) {
    std::string out = "<w:tblGrid>";
    for (int w : widths) out += "<w:gridCol w:w=\"" + std::to_string(w) + "\"/>";
    return out + "</w:tblGrid>";
}

struct Fixture {
    DocxDocument document;
    explicit Fixture(std::string_view table) : document(makePackage(minimalDocument(table))) {}

    BlockID table() {
        for (const BlockSnapshot& block : document.snapshot(StoryID::body()).blocks)
            if (const auto* t = std::get_if<TableSnapshot>(&block.value)) return t->id;
        throw std::logic_error("no table");
    }
    TableSnapshot snapshot() {
        for (const BlockSnapshot& block : document.snapshot(StoryID::body()).blocks)
            if (const auto* t = std::get_if<TableSnapshot>(&block.value)) return *t;
        throw std::logic_error("no table");
    }
    // The table as a save would write it.
    std::string xml() {
        const Bytes data = document.storyData(StoryID::body());
        const std::string text(data.begin(), data.end());
        const size_t from = text.find("<w:tbl>");
        const size_t to = text.find("</w:tbl>");
        return text.substr(from, to + 8 - from);
    }
    void apply(TableEdit::Value edit, const EditMode& mode = EditMode::direct()) {
        document.apply(TableEdit{edit}, table(), StoryID::body(), mode);
        const auto problem = document.story(StoryID::body()).checkInvariants();
        EXPECT_FALSE(problem) << *problem;
    }
    void expectRefused(TableEdit::Value edit, DocxErrorCode code) {
        const std::string before = xml();
        try {
            document.apply(TableEdit{edit}, table(), StoryID::body(), EditMode::direct());
            ADD_FAILURE() << "not refused";
        } catch (const DocxError& error) {
            EXPECT_EQ(error.code(), code);
        }
        EXPECT_EQ(xml(), before);
    }
};

const std::string shading = "<w:shd w:val=\"clear\" w:fill=\"FF0000\"/>";

}  // namespace

TEST(Tables, RowInsertedAtTheEndClonesTheLastRowEmpty) {
    Fixture f("<w:tbl>" + grid({2000}) +
              "<w:tr w14:paraId=\"0A0B0C0D\" w:rsidR=\"00AB\"><w:trPr><w:ins w:id=\"3\" "
              "w:author=\"X\"/></w:trPr>" +
              cell(width(2000) + "<w:vMerge/>" + shading, "a") + "</w:tr></w:tbl>");
    f.apply(TableEdit::InsertRow{1});
    const std::string xml = f.xml();
    const std::string added = xml.substr(xml.rfind("<w:tr "));
    EXPECT_EQ(added, "<w:tr w:rsidR=\"00AB\"><w:trPr></w:trPr><w:tc><w:tcPr>" + width(2000) + shading +
                         "</w:tcPr><w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr></w:p></w:tc></w:tr></w:tbl>");
    EXPECT_EQ(f.snapshot().rows.size(), 2u);
}

TEST(Tables, TrackedRowsCarryTheirMarkers) {
    const std::string table = "<w:tbl>" + grid({2000}) + "<w:tr>" + cell(width(2000), "a") + "</w:tr><w:tr>" +
                              "<w:trPr><w:jc w:val=\"center\"/></w:trPr>" + cell(width(2000), "b") +
                              "</w:tr></w:tbl>";
    Fixture f(table);
    const EditMode byA = EditMode::trackedBy("A", when);
    f.apply(TableEdit::InsertRow{0}, byA);
    f.apply(TableEdit::RemoveRow{2}, byA);
    const std::string xml = f.xml();
    EXPECT_NE(xml.find("<w:tr><w:trPr><w:ins w:id="), std::string::npos) << xml;
    EXPECT_NE(xml.find("<w:trPr><w:jc w:val=\"center\"/><w:del w:id="), std::string::npos) << xml;
    EXPECT_NE(xml.find("w:author=\"A\" w:date=\"2024-03-01T09:30:00Z\"/></w:trPr>"), std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<w:delText>b</w:delText>"), std::string::npos) << xml;
    EXPECT_EQ(f.snapshot().rows.size(), 3u);
}

TEST(Tables, RemovingTheFirstRowOfAVerticalMergeRestartsIt) {
    Fixture f("<w:tbl>" + grid({2000, 1000}) + "<w:tr>" +
              cell(width(2000) + "<w:vMerge w:val=\"restart\"/>", "a") + cell(width(1000), "b") +
              "</w:tr><w:tr>" + cell(width(2000) + "<w:vMerge/>", "") + cell(width(1000), "d") +
              "</w:tr></w:tbl>");
    f.apply(TableEdit::RemoveRow{0});
    const TableSnapshot table = f.snapshot();
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_EQ(table.rows[0][0].vMerge, VMerge::restart);
    EXPECT_NE(f.xml().find("<w:vMerge w:val=\"restart\"/>"), std::string::npos);
}

// A new column used to take half of the column it was copied from, which then clipped the
// text it held ("Leaving Clevelan"): now it takes an equal share of the whole grid, every
// column gives up the same fraction, and the table keeps its width.
TEST(Tables, ColumnInsertSharesOutTheGridsWidth) {
    const std::string table = "<w:tbl>" + grid({2000, 1001}) + "<w:tr>" + cell(width(2000), "a") +
                              cell(width(1001), "b") + "</w:tr><w:tr>" + cell(width(2000), "c") +
                              cell(width(1001), "d") + "</w:tr></w:tbl>";
    const auto occurrences = [](const std::string& xml, const std::string& piece) {
        size_t n = 0;
        for (size_t at = xml.find(piece); at != std::string::npos; at = xml.find(piece, at + 1)) ++n;
        return n;
    };
    Fixture first(table);
    first.apply(TableEdit::InsertColumn{0});
    // 3001 in three: 1000 for the new column, 2001 shared 2000:1001 (the odd unit to the widest).
    EXPECT_NE(first.xml().find(grid({1000, 1334, 667})), std::string::npos) << first.xml();
    for (const auto& row : first.snapshot().rows) ASSERT_EQ(row.size(), 3u);
    // Every cell's width follows its grid column, the new cells' included.
    EXPECT_EQ(occurrences(first.xml(), width(1000)), 2u) << first.xml();
    EXPECT_EQ(occurrences(first.xml(), width(1334)), 2u);
    EXPECT_EQ(occurrences(first.xml(), width(667)), 2u);

    Fixture last(table);
    last.apply(TableEdit::InsertColumn{2});
    EXPECT_NE(last.xml().find(grid({1334, 667, 1000})), std::string::npos) << last.xml();

    // Percentages shrink by the same fraction; the new cell takes the model's share of it.
    const std::string percent = "<w:tcW w:w=\"2500\" w:type=\"pct\"/>";
    Fixture relative("<w:tbl>" + grid({3000, 3000}) + "<w:tr>" + cell(percent, "a") + cell(percent, "b") +
                     "</w:tr></w:tbl>");
    relative.apply(TableEdit::InsertColumn{2});
    EXPECT_NE(relative.xml().find(grid({2000, 2000, 2000})), std::string::npos) << relative.xml();
    EXPECT_EQ(occurrences(relative.xml(), "<w:tcW w:w=\"1666\" w:type=\"pct\"/>"), 3u) << relative.xml();

    // Without a grid there is no total to share: the model cell's width is split.
    Fixture gridless("<w:tbl><w:tr>" + cell(width(2000), "a") + "</w:tr></w:tbl>");
    gridless.apply(TableEdit::InsertColumn{1});
    EXPECT_EQ(occurrences(gridless.xml(), width(1000)), 2u) << gridless.xml();

    Fixture removed(table);
    removed.apply(TableEdit::RemoveColumn{0});
    EXPECT_NE(removed.xml().find(grid({1001})), std::string::npos);
    EXPECT_EQ(removed.xml().find(">a<"), std::string::npos);
    removed.expectRefused(TableEdit::RemoveColumn{0}, DocxErrorCode::rangeOutOfBounds);
}

TEST(Tables, RefusedEditsChangeNothing) {
    const std::string spanned = "<w:tbl>" + grid({1000, 1000}) + "<w:tr>" +
                                cell(width(2000) + "<w:gridSpan w:val=\"2\"/>", "a") + "</w:tr><w:tr>" +
                                cell(width(1000), "b") + cell(width(1000), "c") + "</w:tr></w:tbl>";
    Fixture merged(spanned);
    merged.expectRefused(TableEdit::InsertColumn{0}, DocxErrorCode::unsupported);
    merged.expectRefused(TableEdit::RemoveColumn{1}, DocxErrorCode::unsupported);
    merged.apply(TableEdit::InsertRow{2});
    merged.apply(TableEdit::RemoveRow{0});
    EXPECT_EQ(merged.snapshot().rows.size(), 2u);

    // A grid holding a tracked grid change cannot be rewritten: the cells stay as well.
    Fixture tracked(
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"1000\"/><w:gridCol w:w=\"1000\"/><w:tblGridChange "
        "w:id=\"1\"><w:tblGrid/></w:tblGridChange></w:tblGrid><w:tr>" +
        cell(width(1000), "a") + cell(width(1000), "b") + "</w:tr></w:tbl>");
    tracked.expectRefused(TableEdit::InsertColumn{1}, DocxErrorCode::unsupported);
    tracked.expectRefused(TableEdit::RemoveColumn{1}, DocxErrorCode::unsupported);

    Fixture single("<w:tbl>" + grid({1000}) + "<w:tr>" + cell(width(1000), "a") + "</w:tr></w:tbl>");
    single.expectRefused(TableEdit::RemoveRow{0}, DocxErrorCode::unsupported);
    single.expectRefused(TableEdit::InsertRow{2}, DocxErrorCode::rangeOutOfBounds);
    single.expectRefused(TableEdit::RemoveColumn{0}, DocxErrorCode::rangeOutOfBounds);
    single.expectRefused(TableEdit::InsertColumn{2}, DocxErrorCode::unsupported);

    Fixture uneven("<w:tbl>" + grid({1000, 1000}) + "<w:tr>" + cell(width(1000), "a") +
                   cell(width(1000), "b") + "</w:tr><w:tr>" + cell(width(1000), "c") + "</w:tr></w:tbl>");
    uneven.expectRefused(TableEdit::InsertColumn{0}, DocxErrorCode::unsupported);
    uneven.expectRefused(TableEdit::RemoveColumn{1}, DocxErrorCode::rangeOutOfBounds);

    try {
        single.document.apply(TableEdit{TableEdit::InsertRow{0}}, BlockID{999999}, StoryID::body(),
                              EditMode::direct());
        ADD_FAILURE() << "unknown table accepted";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::unknownParagraph);
    }
}

TEST(Tables, OneTableIsSnapshotByIDAfterACellEdit) {
    Fixture f("<w:tbl>" + grid({2000, 3000}) + "<w:tr>" +
              cell(width(2000) + "<w:gridSpan w:val=\"2\"/>", "a") + "</w:tr><w:tr>" +
              cell(width(2000), "b") +
              "<w:tc><w:p/><w:tbl><w:tr><w:tc><w:p><w:r><w:t>in</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/"
              "></w:tc>" +
              "</w:tr></w:tbl>");
    const TableSnapshot before = f.snapshot();
    const auto& first = std::get<ParagraphSnapshot>(before.rows[1][0].blocks.front().value);
    f.document.replaceText(first.id, StoryID::body(), {1, 1}, u"ee", EditMode::direct());

    const TableSnapshot after = f.document.snapshot(before.id, StoryID::body());
    EXPECT_EQ(after.id, before.id);
    EXPECT_EQ(after.columns, (std::vector<double>{100, 150}));
    ASSERT_EQ(after.rows.size(), 2u);
    EXPECT_EQ(after.rows[0][0].gridSpan, 2);
    EXPECT_EQ(std::get<ParagraphSnapshot>(after.rows[1][0].blocks.front().value).text, u"bee");

    // A nested table is found too; a paragraph's or an unknown ID is not a table.
    const BlockSnapshot& nestedBlock = before.rows[1][1].blocks.at(1);
    ASSERT_TRUE(std::holds_alternative<TableSnapshot>(nestedBlock.value)) << before.rows[1][1].blocks.size();
    const BlockID nested = std::get<TableSnapshot>(nestedBlock.value).id;
    EXPECT_EQ(
        std::get<ParagraphSnapshot>(f.document.snapshot(nested, StoryID::body()).rows[0][0].blocks[0].value)
            .text,
        u"in");
    EXPECT_THROW(f.document.snapshot(before.rows[0][0].id, StoryID::body()), DocxError);
    EXPECT_THROW(f.document.snapshot(BlockID{987654}, StoryID::body()), DocxError);
}

namespace {

constexpr std::string_view mainURI = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// A table as a producer writes it that binds the main namespace to ns0 and quotes with
// apostrophes: the first row's properties hold a recorded change, the first column is
// merged vertically, the second row is a tracked insertion.
DocxDocument ns0Table() {
    const auto tc = [](std::string_view props, std::string_view text) {
        return "<ns0:tc><ns0:tcPr>" + std::string(props) + "</ns0:tcPr><ns0:p><ns0:r><ns0:t>" +
               std::string(text) + "</ns0:t></ns0:r></ns0:p></ns0:tc>";
    };
    const std::string table =
        "<ns0:tbl><ns0:tblGrid><ns0:gridCol ns0:w='2000'/><ns0:gridCol ns0:w='1000'/></ns0:tblGrid>"
        "<ns0:tr><ns0:trPr><ns0:cantSplit/><ns0:trPrChange ns0:id='5' "
        "ns0:author='X'><ns0:trPr/></ns0:trPrChange>"
        "</ns0:trPr>" +
        tc("<ns0:tcW ns0:w='2000' ns0:type='dxa'/><ns0:vMerge ns0:val='restart'/>", "a") +
        tc("<ns0:tcW ns0:w='1000' ns0:type='dxa'/>", "b") +
        "</ns0:tr><ns0:tr><ns0:trPr><ns0:ins ns0:id='3' ns0:author='Y'/></ns0:trPr>" +
        tc("<ns0:tcW ns0:w='2000' ns0:type='dxa'/><ns0:vMerge/>", "") +
        tc("<ns0:tcW ns0:w='1000' ns0:type='dxa'/>", "d") + "</ns0:tr></ns0:tbl>";
    auto parts = minimalDocument("");
    for (auto& [name, xml] : parts)
        if (name == "word/document.xml")
            xml = "<?xml version='1.0'?><ns0:document xmlns:ns0='" + std::string(mainURI) + "'><ns0:body>" +
                  table + "<ns0:p/></ns0:body></ns0:document>";
    return DocxDocument(makePackage(parts));
}

BlockID firstTable(DocxDocument& document) {
    for (const BlockSnapshot& block : document.snapshot(StoryID::body()).blocks)
        if (const auto* t = std::get_if<TableSnapshot>(&block.value)) return t->id;
    throw std::logic_error("no table");
}

// Saved, opened again, and the body part read as a tree: what another reader sees.
struct Reopened {
    DocxDocument document;
    std::string xml;
    explicit Reopened(DocxDocument& edited) : document(edited.data()) {
        const SharedBytes bytes = document.partData(PartName("word/document.xml"));
        xml.assign(asChars(*bytes));
    }
    // The start tags of every element with a local name, as (qualified name, attributes).
    std::vector<std::pair<std::string, Markup::Attributes>> elements(std::string_view local) const {
        const XMLTree tree(asBytes(xml));
        std::vector<std::pair<std::string, Markup::Attributes>> found;
        for (size_t i = 0; i < tree.nodeCount(); ++i) {
            const int node = static_cast<int>(i);
            if (tree.kind(node) == XMLTree::Kind::element && tree.localName(node) == local)
                found.emplace_back(tree.name(node), Markup::attributes(tree.rawStartTag(node)));
        }
        return found;
    }
};

}  // namespace

TEST(Tables, EditsTakeThePrefixFromThePartAndReadEitherQuote) {
    using Attributes = Markup::Attributes;
    {
        // Inserting a column shares the grid out anew: the new column takes a third of the
        // 3000, the others give up a third of theirs, and the cells follow.
        DocxDocument document = ns0Table();
        document.apply(TableEdit{TableEdit::InsertColumn{0}}, firstTable(document), StoryID::body(),
                       EditMode::direct());
        Reopened saved(document);
        EXPECT_EQ(saved.xml.find("<w:"), std::string::npos) << saved.xml;
        const auto columns = saved.elements("gridCol");
        ASSERT_EQ(columns.size(), 3u) << saved.xml;
        for (const auto& [name, attributes] : columns) EXPECT_EQ(name, "ns0:gridCol");
        EXPECT_EQ(columns[0].second, (Attributes{{"ns0:w", "1000"}}));
        EXPECT_EQ(columns[1].second, (Attributes{{"ns0:w", "1334"}}));
        EXPECT_EQ(columns[2].second, (Attributes{{"ns0:w", "666"}}));
        size_t fitted = 0;
        for (const auto& [name, attributes] : saved.elements("tcW"))
            for (const char* w : {"1000", "1334", "666"})
                fitted += attributes == Attributes{{"ns0:w", w}, {"ns0:type", "dxa"}};
        EXPECT_EQ(fitted, 6u) << saved.xml;  // two new cells and four that follow the grid
        const TableSnapshot table =
            std::get<TableSnapshot>(saved.document.snapshot(StoryID::body()).blocks[0].value);
        EXPECT_EQ(table.columns, (std::vector<double>{50, 66.7, 33.3}));
        ASSERT_EQ(table.rows[0].size(), 3u);
    }
    {
        // A row cloned from a tracked insertion is nobody's change and starts no merge; a
        // tracked removal puts its mark before the recorded row change.
        DocxDocument document = ns0Table();
        const BlockID id = firstTable(document);
        document.apply(TableEdit{TableEdit::InsertRow{2}}, id, StoryID::body(), EditMode::direct());
        document.apply(TableEdit{TableEdit::RemoveRow{0}}, id, StoryID::body(),
                       EditMode::trackedBy("A", when));
        Reopened saved(document);
        EXPECT_EQ(saved.xml.find("<w:"), std::string::npos) << saved.xml;
        EXPECT_EQ(saved.elements("ins").size(), 1u) << saved.xml;
        EXPECT_EQ(saved.elements("vMerge").size(), 2u) << saved.xml;
        EXPECT_NE(saved.xml.find("<ns0:cantSplit/><ns0:del ns0:id=\""), std::string::npos) << saved.xml;
        EXPECT_NE(
            saved.xml.find("ns0:author=\"A\" ns0:date=\"2024-03-01T09:30:00Z\"/><ns0:trPrChange ns0:id='5'"),
            std::string::npos)
            << saved.xml;
        EXPECT_EQ(
            std::get<TableSnapshot>(saved.document.snapshot(StoryID::body()).blocks[0].value).rows.size(),
            3u);
    }
    {
        // Removing the row where a merge starts restarts it in the row below.
        DocxDocument document = ns0Table();
        document.apply(TableEdit{TableEdit::RemoveRow{0}}, firstTable(document), StoryID::body(),
                       EditMode::direct());
        Reopened saved(document);
        const auto merges = saved.elements("vMerge");
        ASSERT_EQ(merges.size(), 1u) << saved.xml;
        EXPECT_EQ(merges[0], (std::pair<std::string, Attributes>{"ns0:vMerge", {{"ns0:val", "restart"}}}));
        const TableSnapshot table =
            std::get<TableSnapshot>(saved.document.snapshot(StoryID::body()).blocks[0].value);
        EXPECT_EQ(table.rows.at(0).at(0).vMerge, VMerge::restart);
    }
}
