// Real documents from other producers: styles, numbering, settings and the page read
// without error, and every body paragraph and run resolves a format equal to merging
// every level in order by hand.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/xml/Markup.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::corpusFiles;
using rovuvuz::testing::readFile;

namespace {

class CorpusFormatting : public ::testing::TestWithParam<std::filesystem::path> {};

void collectRuns(const std::vector<Inline>& inlines, std::vector<const Run*>& runs) {
    for (const Inline& item : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&item)) runs.push_back(run->get());
        if (const auto* container = std::get_if<std::unique_ptr<Container>>(&item))
            collectRuns((*container)->inlines, runs);
    }
}

// The w:tblStyle of a w:tbl group, from its w:tblPr.
std::optional<StyleID> tableStyle(const Group& table) {
    for (const Block& block : table.children) {
        const Raw* raw = std::get_if<Raw>(&block);
        if (!raw || raw->local() != "tblPr") continue;
        const auto properties = PropertyBag::parse(raw->bytes.view());
        const auto style = properties ? properties->child("tblStyle") : std::nullopt;
        const auto id = style ? Markup::attribute("val", *style) : std::nullopt;
        if (id) return StyleID{*id};
    }
    return std::nullopt;
}

// Every paragraph of a story in document order with the style of the table it stands in.
void collectParagraphs(const Group& group, const std::optional<StyleID>& table,
                       std::vector<std::pair<const Paragraph*, std::optional<StyleID>>>& out) {
    const std::optional<StyleID> inner = group.local() == "tbl" ? tableStyle(group) : table;
    for (const Block& block : group.children) {
        if (const auto* paragraph = std::get_if<std::unique_ptr<Paragraph>>(&block))
            out.emplace_back(paragraph->get(), inner);
        if (const auto* child = std::get_if<std::unique_ptr<Group>>(&block))
            collectParagraphs(**child, inner, out);
    }
}

// What the sheet's cached resolution must equal: every bag of every level merged in order.
RunFormat mergedRun(const StyleSheet& sheet, const std::optional<StyleID>& paragraphStyle,
                    const PropertyBag* direct, const std::optional<StyleID>& table) {
    RunFormat format;
    if (sheet.runDefaults) format.merge(*sheet.runDefaults, sheet.theme);
    for (const Style& style : sheet.chain(table))
        if (style.rPr) format.merge(*style.rPr, sheet.theme);
    for (const Style& style : sheet.chain(paragraphStyle ? paragraphStyle : sheet.defaultParagraphStyle))
        if (style.rPr) format.merge(*style.rPr, sheet.theme);
    if (direct) {
        if (const auto rStyle = direct->child("rStyle")) {
            if (const auto id = Markup::attribute("val", *rStyle))
                for (const Style& style : sheet.chain(StyleID{*id}))
                    if (style.rPr) format.merge(*style.rPr, sheet.theme);
        }
        format.merge(*direct, sheet.theme);
    }
    return format;
}

ParagraphFormat mergedParagraph(const StyleSheet& sheet, const PropertyBag* direct,
                                const std::optional<StyleID>& table) {
    ParagraphFormat format;
    if (sheet.paragraphDefaults) format.merge(*sheet.paragraphDefaults);
    for (const Style& link : sheet.chain(table))
        if (link.pPr) format.merge(*link.pPr);
    std::optional<StyleID> style = sheet.defaultParagraphStyle;
    if (direct)
        if (const auto pStyle = direct->child("pStyle"))
            if (const auto id = Markup::attribute("val", *pStyle)) style = StyleID{*id};
    for (const Style& link : sheet.chain(style))
        if (link.pPr) format.merge(*link.pPr);
    if (direct) format.merge(*direct);
    format.style = style;
    return format;
}

}  // namespace

TEST_P(CorpusFormatting, EveryParagraphAndRunResolvesItsFormat) {
    DocxDocument document(share(readFile(GetParam())));
    const StyleSheet& sheet = document.styles();
    const Numbering& numbering = document.numbering();
    Numbering::Counter counter(numbering);
    size_t paragraphs = 0, runs = 0, labelled = 0;
    std::vector<std::pair<const Paragraph*, std::optional<StyleID>>> body;
    collectParagraphs(*DocumentInternals::story(document, StoryID::body()).root, std::nullopt, body);
    ASSERT_EQ(body.size(), DocumentInternals::story(document, StoryID::body()).paragraphs().size());
    for (const auto& [paragraph, table] : body) {
        const PropertyBag* pPr = paragraph->props ? &*paragraph->props : nullptr;
        const ParagraphFormat format = sheet.paragraphFormat(pPr, table);
        ASSERT_EQ(format, mergedParagraph(sheet, pPr, table)) << "paragraph " << paragraphs;
        ++paragraphs;
        if (format.numbering) {
            const auto label = counter.next(*format.numbering, format.numberingLevel);
            EXPECT_EQ(label.has_value(),
                      numbering.level(*format.numbering, format.numberingLevel) != nullptr);
            if (label) {
                EXPECT_LE(label->size(), 4 * Numbering::longestLabel);
                ++labelled;
            }
        }
        std::vector<const rovuvuz::Run*> found;
        collectRuns(paragraph->inlines, found);
        for (const rovuvuz::Run* run : found) {
            const PropertyBag* rPr = run->props ? &*run->props : nullptr;
            ASSERT_EQ(sheet.runFormat(format.style, rPr, table), mergedRun(sheet, format.style, rPr, table))
                << "run " << runs;
            ++runs;
        }
    }
    for (const Style& style : sheet.menu()) EXPECT_EQ(style.kind, Style::Kind::paragraph);
    const PageSetup page = document.pageSetup();
    EXPECT_GT(page.width, 0);
    EXPECT_GT(page.height, 0);
    if (const auto header = document.defaultHeader()) {
        EXPECT_NO_THROW(DocumentInternals::story(document, *header));
    }
    if (const auto footer = document.defaultFooter()) {
        EXPECT_NO_THROW(DocumentInternals::story(document, *footer));
    }
    document.sumsParagraphSpacing();
    RecordProperty("paragraphs", static_cast<int>(paragraphs));
    RecordProperty("runs", static_cast<int>(runs));
    RecordProperty("labelled", static_cast<int>(labelled));
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFormatting, ::testing::ValuesIn(corpusFiles()),
                         [](const auto& parameter) {
                             return rovuvuz::testing::parameterName(parameter.param);
                         });
