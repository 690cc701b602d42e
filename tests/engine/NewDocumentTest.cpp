// New documents: every part of the package reads as XML and is reachable, the engine reads
// the styles, lists and page it promises, an unchanged save returns the same bytes, and the
// locale's territory picks the paper.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/NewDocument.h"
#include "RovuVuz/format/ListDefinitions.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/IsoDate.h"
#include "RovuVuz/xml/XMLTree.h"

using namespace rovuvuz;

namespace {

const auto when = *IsoDate::parse("2024-05-01T12:34:56Z");

NewDocument::Options options(NewDocument::Paper paper, std::string author = "Ada") {
    return {paper, std::move(author), when};
}

// The text of the first element of that qualified name in a part.
std::optional<std::string> elementText(const XMLTree& tree, std::string_view name) {
    for (size_t i = 0; i < tree.nodeCount(); ++i)
        if (tree.kind(int(i)) == XMLTree::Kind::element && tree.nameView(int(i)) == name) return tree.text(int(i));
    return std::nullopt;
}

}  // namespace

TEST(NewDocument, EveryPartParsesAndEveryNameResolves) {
    const auto parts = NewDocument::parts(options(NewDocument::Paper::a4));
    std::map<std::string, XMLTree> trees;
    for (const auto& [name, text] : parts) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(trees.emplace(name, XMLTree(asBytes(text))));
        trees.at(name).checkInvariants();
    }
    // Every content-type override names a part of the package, and every part but the
    // relationship parts has one.
    size_t overrides = 0;
    const XMLTree& types = trees.at("[Content_Types].xml");
    for (int child : types.childElements(types.root())) {
        if (types.localName(child) != "Override") continue;
        ++overrides;
        const std::string part = types.attribute(child, "PartName").value_or("").substr(1);
        EXPECT_TRUE(parts.contains(part)) << part;
    }
    EXPECT_EQ(overrides, parts.size() - 3);  // all but the content types and two .rels parts
    // Every relationship resolves to a part that is there.
    for (const std::string rels : {"_rels/.rels", "word/_rels/document.xml.rels"}) {
        const PartName source(rels == "_rels/.rels" ? "" : "word/document.xml");
        const Relationships read(source, asBytes(parts.at(rels)));
        EXPECT_EQ(read.all.size(), 3u);
        for (const Relationship& r : read.all) EXPECT_TRUE(parts.contains(read.part(r)->rawValue)) << r.target;
    }
}

TEST(NewDocument, ReopensWithItsStylesListsAndPageAndSavesUnchanged) {
    for (const auto paper : {NewDocument::Paper::letter, NewDocument::Paper::a4}) {
        const SharedBytes bytes = NewDocument::package(options(paper));
        DocxDocument document(bytes);
        EXPECT_EQ(document.storyIDs(), std::vector<StoryID>{StoryID::body()});
        const StorySnapshot body = document.snapshot(StoryID::body());
        ASSERT_EQ(body.paragraphs().size(), 1u);
        EXPECT_TRUE(body.paragraphs()[0]->text.empty());

        const PageSetup page = document.pageSetup();
        EXPECT_DOUBLE_EQ(page.width, paper == NewDocument::Paper::letter ? 612 : 595.3);
        EXPECT_DOUBLE_EQ(page.height, paper == NewDocument::Paper::letter ? 792 : 841.9);
        EXPECT_EQ(page.top, 72);
        EXPECT_EQ(page.left, 72);
        EXPECT_EQ(page.footer, 36);

        const StyleSheet& styles = document.styles();
        EXPECT_EQ(styles.defaultParagraphStyle, StyleID{"Normal"});
        const RunFormat run = styles.runFormat(std::nullopt, nullptr);
        EXPECT_EQ(run.font, "Calibri");
        EXPECT_EQ(run.size, 11);
        const ParagraphFormat normal = styles.paragraphFormat(nullptr);
        EXPECT_EQ(normal.spaceAfter, 8);
        EXPECT_NEAR(*normal.lineMultiple, 259.0 / 240, 1e-9);
        for (int level = 0; level < 3; ++level) {
            const auto pPr = PropertyBag::parse(asBytes("<w:pPr><w:pStyle w:val=\"Heading" + std::to_string(level + 1) +
                                                        "\"/></w:pPr>"));
            EXPECT_EQ(styles.paragraphFormat(pPr).outlineLevel, level);
        }
        EXPECT_EQ(styles.menu().front().id, StyleID{"Normal"});
        for (const char* id : {"Title", "Subtitle", "ListParagraph", "Quote", "Hyperlink", "TableGrid",
                               "DefaultParagraphFont", "TableNormal"})
            EXPECT_TRUE(styles.find(StyleID{id})) << id;

        const Numbering& numbering = document.numbering();
        EXPECT_EQ(ListDefinitions::kind(numbering, NumberingID{"1"}), ListKind::bullet);
        EXPECT_EQ(ListDefinitions::kind(numbering, NumberingID{"2"}), ListKind::number);
        for (int level = 0; level < Numbering::levelCount; ++level) {
            const Numbering::Level* item = numbering.level(NumberingID{"2"}, level);
            ASSERT_TRUE(item);
            EXPECT_EQ(item->indentLeft, 36.0 * (level + 1));
        }
        Numbering::Counter counter(numbering);
        EXPECT_EQ(counter.next(NumberingID{"1"}, 0), "\u2022");
        EXPECT_EQ(counter.next(NumberingID{"2"}, 0), "1.");
        EXPECT_EQ(counter.next(NumberingID{"2"}, 1), "a.");

        EXPECT_TRUE(document.dirtyParts().empty());
        EXPECT_EQ(document.data(), bytes);  // nothing to replace: the very buffer it opened
        EXPECT_EQ(*document.checkedData(), *bytes);
    }
}

TEST(NewDocument, PropertiesNameTheAuthorAndTimeEscaped) {
    const auto parts = NewDocument::parts(options(NewDocument::Paper::a4, "A&B <x> \"q\""));
    const XMLTree core(asBytes(parts.at("docProps/core.xml")));
    EXPECT_EQ(elementText(core, "dc:creator"), "A&B <x> \"q\"");
    EXPECT_EQ(elementText(core, "cp:lastModifiedBy"), "A&B <x> \"q\"");
    EXPECT_EQ(elementText(core, "dcterms:created"), "2024-05-01T12:34:56Z");
    EXPECT_EQ(elementText(core, "dcterms:modified"), "2024-05-01T12:34:56Z");
    const XMLTree app(asBytes(parts.at("docProps/app.xml")));
    EXPECT_EQ(elementText(app, "Application"), "Tovin");
}

TEST(NewDocument, TypingIntoTheEmptyParagraphSavesAndReopens) {
    DocxDocument document(NewDocument::package(options(NewDocument::Paper::letter)));
    const ParagraphID first = document.snapshot(StoryID::body()).paragraphs()[0]->id;
    document.replaceText(first, StoryID::body(), {0, 0}, u"Hello", EditMode::direct());
    EXPECT_EQ(document.dirtyParts(), std::set<PartName>{PartName("word/document.xml")});
    DocxDocument reopened(document.checkedData());
    EXPECT_EQ(reopened.snapshot(StoryID::body()).paragraphs()[0]->text, u"Hello");
}

TEST(NewDocument, PaperFollowsTheLocaleTerritory) {
    using NewDocument::Paper;
    struct Row {
        const char* locale;
        Paper paper;
    };
    for (const Row& row : {Row{"en_US.UTF-8", Paper::letter}, Row{"fr_CA", Paper::letter},
                           Row{"es_mx.utf8@euro", Paper::letter}, Row{"fil_PH", Paper::letter},
                           Row{"en_GB.UTF-8", Paper::a4}, Row{"de_DE@euro", Paper::a4}, Row{"C", Paper::a4},
                           Row{"POSIX", Paper::a4}, Row{"C.UTF-8", Paper::a4}, Row{"en", Paper::a4},
                           Row{"", Paper::a4}, Row{"x_toolong", Paper::a4}})
        EXPECT_EQ(NewDocument::paperFor(NewDocument::territory(row.locale)), row.paper) << row.locale;

    // LC_ALL wins over LC_PAPER, which wins over LANG; an empty variable counts as unset.
    const auto environment = [](std::map<std::string, std::string> values) {
        return [values](const char* name) -> std::optional<std::string> {
            const auto found = values.find(name);
            return found == values.end() ? std::nullopt : std::optional(found->second);
        };
    };
    EXPECT_EQ(NewDocument::paperFromEnvironment(environment({{"LANG", "en_US.UTF-8"}})), Paper::letter);
    EXPECT_EQ(NewDocument::paperFromEnvironment(environment({{"LANG", "en_US.UTF-8"}, {"LC_PAPER", "en_GB.UTF-8"}})),
              Paper::a4);
    EXPECT_EQ(NewDocument::paperFromEnvironment(
                  environment({{"LC_ALL", "en_CA.UTF-8"}, {"LC_PAPER", "en_GB.UTF-8"}, {"LANG", "de_DE"}})),
              Paper::letter);
    EXPECT_EQ(NewDocument::paperFromEnvironment(environment({{"LC_ALL", ""}, {"LANG", "en_US"}})), Paper::letter);
    EXPECT_EQ(NewDocument::paperFromEnvironment(environment({})), Paper::a4);
}
