// Real documents from other producers: every section, the settings, and what snapshots
// give the page layout (fields, drawings, tab stops, resolved table cells) read without
// error and hold together: ranges inside their text, sections in body order, cells in
// grid order, and a cell paragraph's snapshot taken alone equal to the story's.
#include <gtest/gtest.h>

#include <set>

#include "RovuVuz/document/DocumentSections.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/xml/Utf8.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::corpusFiles;
using rovuvuz::testing::readFile;

namespace {

class CorpusLayout : public ::testing::TestWithParam<std::filesystem::path> {};

struct Counts {
    size_t fields = 0, drawings = 0, tabbed = 0, cells = 0, shaded = 0;
};

void checkBlocks(const std::vector<BlockSnapshot>& blocks, Counts& counts, std::vector<ParagraphID>* cellParagraphs);

void checkParagraph(const ParagraphSnapshot& p, Counts& counts) {
    for (const FieldSnapshot& field : p.fields) {
        ASSERT_LE(field.result.lower, field.result.upper);
        ASSERT_LE(field.result.upper, p.text.size());
        if (!field.simple) {
            EXPECT_EQ(field.resultText, utf8::fromUtf16(std::u16string_view(p.text).substr(
                                            field.result.lower, field.result.upper - field.result.lower)));
        }
        ++counts.fields;
    }
    for (const DrawingSnapshot& drawing : p.drawings) {
        ASSERT_LT(drawing.offset, p.text.size());
        EXPECT_EQ(p.text[drawing.offset], u'\uFFFC');
        EXPECT_GE(drawing.width, 0);
        checkBlocks(drawing.blocks, counts, nullptr);
        ++counts.drawings;
    }
    EXPECT_TRUE(std::is_sorted(p.tabs.begin(), p.tabs.end(),
                               [](const TabStop& a, const TabStop& b) { return a.position < b.position; }));
    if (!p.tabs.empty()) ++counts.tabbed;
}

void checkTable(const TableSnapshot& table, Counts& counts, std::vector<ParagraphID>* cellParagraphs) {
    ASSERT_EQ(table.rowProperties.size(), table.rows.size());
    for (size_t r = 0; r < table.rows.size(); ++r) {
        int64_t column = table.rowProperties[r].gridBefore;
        for (const CellSnapshot& cell : table.rows[r]) {
            EXPECT_EQ(cell.gridColumn, column);
            column += std::clamp<int64_t>(cell.gridSpan, 1, 64);
            EXPECT_GE(cell.format.marginLeft, 0);
            EXPECT_TRUE(cell.format.conditions & conditionBit(TableCondition::wholeTable));
            if (cell.format.shading) ++counts.shaded;
            ++counts.cells;
            for (const BlockSnapshot& block : cell.blocks)
                if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value); p && cellParagraphs)
                    cellParagraphs->push_back(p->id);
            checkBlocks(cell.blocks, counts, cellParagraphs);
        }
    }
}

void checkBlocks(const std::vector<BlockSnapshot>& blocks, Counts& counts, std::vector<ParagraphID>* cellParagraphs) {
    for (const BlockSnapshot& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) checkParagraph(*p, counts);
        if (const auto* table = std::get_if<TableSnapshot>(&block.value)) checkTable(*table, counts, cellParagraphs);
    }
}

}  // namespace

TEST_P(CorpusLayout, SectionsAndSnapshotsHoldTogether) {
    DocxDocument document(share(readFile(GetParam())));
    const std::vector<DocumentSection> sections = document.sections();
    ASSERT_FALSE(sections.empty());
    EXPECT_FALSE(sections.back().lastParagraph);
    EXPECT_EQ(sections.back().setup.page, document.pageSetup());
    const DocumentSettings settings = document.settings();
    EXPECT_GT(settings.defaultTabStop, 0);
    EXPECT_EQ(settings.sumsParagraphSpacing, document.sumsParagraphSpacing());

    std::set<StoryID> bands;
    for (const DocumentSection& section : sections) {
        const PageSetup& page = section.setup.page;
        EXPECT_GE(page.width - page.left - page.right - page.gutter, PageSetup::smallestSide - 1e-9);
        EXPECT_GE(page.height - page.top - page.bottom, PageSetup::smallestSide - 1e-9);
        for (const auto& story : section.headers)
            if (story) bands.insert(*story);
        for (const auto& story : section.footers)
            if (story) bands.insert(*story);
    }

    Counts counts;
    std::vector<ParagraphID> cellParagraphs;
    const StorySnapshot body = document.snapshot(StoryID::body());
    checkBlocks(body.blocks, counts, &cellParagraphs);
    // Each earlier section ends at a body paragraph, in order.
    const std::vector<size_t> owner = sectionOfBlocks(body.blocks, sections);
    ASSERT_EQ(owner.size(), body.blocks.size());
    EXPECT_TRUE(std::is_sorted(owner.begin(), owner.end()));
    if (!owner.empty()) {
        EXPECT_EQ(owner.back(), sections.size() - 1);
    }
    for (const StoryID& band : bands) {
        const StorySnapshot shown = document.snapshot(band);
        checkBlocks(shown.blocks, counts, nullptr);
    }
    // A cell paragraph snapshot alone (the editor's refresh) formats as the story does.
    std::map<ParagraphID, const ParagraphSnapshot*> inStory;
    for (const ParagraphSnapshot* p : body.paragraphs()) inStory.emplace(p->id, p);
    for (size_t i = 0; i < cellParagraphs.size() && i < 200; ++i) {
        const ParagraphSnapshot alone = document.snapshot(cellParagraphs[i], StoryID::body());
        const ParagraphSnapshot& whole = *inStory.at(cellParagraphs[i]);
        ASSERT_EQ(alone.format, whole.format);
        ASSERT_EQ(alone.spans, whole.spans);
        ASSERT_EQ(alone.markFormat, whole.markFormat);
    }
    RecordProperty("sections", static_cast<int>(sections.size()));
    RecordProperty("fields", static_cast<int>(counts.fields));
    RecordProperty("drawings", static_cast<int>(counts.drawings));
    RecordProperty("cells", static_cast<int>(counts.cells));
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusLayout, ::testing::ValuesIn(corpusFiles()),
                         [](const auto& parameter) { return rovuvuz::testing::parameterName(parameter.param); });
