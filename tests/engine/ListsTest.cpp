// Lists as a user makes them: many paragraphs made a list and back, with and without a
// numbering part, outright and tracked; joining a neighbouring list; levels; a list the
// paragraph style brings; a numbering part that cannot be read.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/xml/XMLTree.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::count;
using rovuvuz::testing::rel;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));
constexpr std::string_view ns = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

const std::string stylesPart =
    "<w:styles " + std::string(ns) +
    "><w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"ListParagraph\"><w:name w:val=\"List Paragraph\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"ListBullet\"><w:name w:val=\"List Bullet\"/>"
    "<w:pPr><w:numPr><w:numId w:val=\"5\"/></w:numPr></w:pPr></w:style></w:styles>";

// A decimal list (w:num 3 over definition 7), a bullet list (5 over 8), letters (4 over 9).
const std::string numberingPart =
    "<w:numbering " + std::string(ns) +
    ">"
    "<w:abstractNum w:abstractNumId=\"7\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
    "</w:lvl></w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"8\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"bullet\"/><w:lvlText w:val=\"-\"/>"
    "</w:lvl></w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"9\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"upperLetter\"/></w:lvl></w:abstractNum>"
    "<w:num w:numId=\"4\"><w:abstractNumId w:val=\"9\"/></w:num>"
    "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"7\"/></w:num>"
    "<w:num w:numId=\"5\"><w:abstractNumId w:val=\"8\"/></w:num></w:numbering>";

std::string item(size_t i, std::string_view pPr = {}) {
    return "<w:p>" + std::string(pPr) + "<w:r><w:t>item " + std::to_string(i) + "</w:t></w:r></w:p>";
}

std::string numPr(int level, std::string_view id) {
    return "<w:numPr><w:ilvl w:val=\"" + std::to_string(level) + "\"/><w:numId w:val=\"" + std::string(id) +
           "\"/></w:numPr>";
}

struct Fixture {
    std::string body;
    DocxDocument document;
    Fixture(std::string bodyXml, bool withNumbering)
        : body(std::move(bodyXml)), document(rovuvuz::testing::makePackage([&] {
              std::string rels = rel("rS", "styles", "styles.xml");
              if (withNumbering) rels += rel("rN", "numbering", "numbering.xml");
              auto parts = rovuvuz::testing::minimalDocument(body, rels);
              parts.emplace_back("word/styles.xml", stylesPart);
              if (withNumbering) parts.emplace_back("word/numbering.xml", numberingPart);
              return parts;
          }())) {}

    std::vector<ParagraphID> ids(size_t from, size_t to) {
        std::vector<ParagraphID> result;
        const auto all = DocumentInternals::story(document, StoryID::body()).paragraphs();
        for (size_t i = from; i < to; ++i) result.push_back(all.at(i)->id);
        return result;
    }
    ListState state(size_t i) { return document.listState(ids(i, i + 1)[0], StoryID::body()); }
    std::string saved() {
        const Bytes bytes = document.storyData(StoryID::body());
        EXPECT_FALSE(DocumentInternals::story(document, StoryID::body()).checkInvariants());
        return std::string(bytes.begin(), bytes.end());
    }
    std::string original() const {
        const SharedBytes bytes = document.contents("word/document.xml");
        return std::string(bytes->begin(), bytes->end());
    }
    std::string part(std::string_view name) {
        const SharedBytes bytes = document.contents(name);
        return std::string(bytes->begin(), bytes->end());
    }
    std::vector<std::string> labels() {
        std::vector<std::string> result;
        const StorySnapshot snapshot = document.snapshot(StoryID::body());
        for (const ParagraphSnapshot* p : snapshot.paragraphs())
            result.push_back(p->listLabel.value_or(""));
        return result;
    }
};

std::string manyItems(size_t n) {
    std::string body = "<w:p><w:r><w:t>before</w:t></w:r></w:p>";
    for (size_t i = 0; i < n; ++i) body += item(i);
    return body + "<w:p><w:r><w:t>after</w:t></w:r></w:p>";
}

}  // namespace

TEST(Lists, TwoHundredParagraphsWithoutANumberingPartAndBackAgain) {
    Fixture f(manyItems(200), false);
    const std::string before = f.original();
    f.document.setList(f.ids(1, 201), StoryID::body(), ListKind::bullet, EditMode::direct());

    // Each item took the new list and List Paragraph; everything else kept its bytes.
    std::string expected = before;
    for (size_t i = 0; i < 200; ++i) {
        const std::string plain = item(i);
        const size_t at = expected.find(plain);
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, plain.size(),
                         item(i, "<w:pPr><w:pStyle w:val=\"ListParagraph\"/>" + numPr(0, "1") + "</w:pPr>"));
    }
    EXPECT_EQ(f.saved(), expected);
    for (size_t i : {1u, 100u, 200u}) EXPECT_EQ(f.state(i), (ListState{ListKind::bullet, 0, NumberingID{"1"}}));
    EXPECT_EQ(f.state(0).kind, ListKind::none);
    const auto labels = f.labels();
    EXPECT_EQ(labels[1], "\u2022");
    EXPECT_EQ(labels[201], "");

    // The new part, its relationship and its content type.
    const XMLTree numbering(f.document.contents("word/numbering.xml"));
    EXPECT_EQ(numbering.childElements(numbering.root()).size(), 2u);
    EXPECT_EQ(f.document.relationships().of("numbering").size(), 1u);
    EXPECT_NE(f.part("[Content_Types].xml").find("PartName=\"/word/numbering.xml\""), std::string::npos);
    DocxDocument reopened(f.document.checkedData());
    EXPECT_EQ(reopened.snapshot(StoryID::body()).paragraphs()[5]->listLabel, "\u2022");

    // Toggling every item off gives the body back byte for byte.
    f.document.toggleList(f.ids(1, 201), StoryID::body(), ListKind::bullet, EditMode::direct());
    EXPECT_EQ(f.saved(), before);
}

TEST(Lists, TrackedOnAndOffKeepTheFirstRecord) {
    Fixture f(manyItems(200), true);
    const EditMode byA = EditMode::trackedBy("A", when);
    f.document.setList(f.ids(1, 201), StoryID::body(), ListKind::bullet, byA);
    const std::string on = f.saved();
    EXPECT_EQ(count(on, "<w:pPrChange "), 200u);
    EXPECT_NE(on.find(item(0, "<w:pPr><w:pStyle w:val=\"ListParagraph\"/>" + numPr(0, "5") +
                                  "<w:pPrChange w:id=\"1\" w:author=\"A\" w:date=\"2024-03-01T09:30:00Z\">"
                                  "<w:pPr></w:pPr></w:pPrChange></w:pPr>")),
              std::string::npos);
    // The document's own bullet list was used: the numbering part is as it was.
    EXPECT_FALSE(f.document.dirtyParts().contains(PartName("word/numbering.xml")));
    f.document.toggleList(f.ids(1, 201), StoryID::body(), ListKind::bullet, byA);
    const std::string off = f.saved();
    EXPECT_EQ(count(off, "<w:numPr>"), 0u);
    EXPECT_EQ(count(off, "<w:pPrChange w:id=\""), 200u);
    EXPECT_EQ(count(off, "<w:pPrChange w:id=\"201\""), 0u);  // no second record
}

TEST(Lists, NumbersJoinTheListBesideThemOrStartAgain) {
    Fixture f(item(0, "<w:pPr>" + numPr(0, "3") + "</w:pPr>") + item(1) + "<w:p/>" + item(2) + item(3), true);
    // Beside item 0's decimal list: joins it and counts on.
    f.document.setList(f.ids(1, 2), StoryID::body(), ListKind::number, EditMode::direct());
    EXPECT_EQ(f.state(1).list, NumberingID{"3"});
    // Apart from it: a new w:num over the same definition, restarting at 1.
    f.document.setList(f.ids(3, 5), StoryID::body(), ListKind::number, EditMode::direct());
    EXPECT_EQ(f.state(3).list, NumberingID{"6"});
    EXPECT_EQ(f.labels(), (std::vector<std::string>{"1.", "2.", "", "1.", "2."}));
    const std::string numbering = f.part("word/numbering.xml");
    EXPECT_NE(numbering.find("<w:num w:numId=\"5\"><w:abstractNumId w:val=\"8\"/></w:num>"
                             "<w:num w:numId=\"6\"><w:abstractNumId w:val=\"7\"/><w:lvlOverride w:ilvl=\"0\">"
                             "<w:startOverride w:val=\"1\"/></w:lvlOverride></w:num></w:numbering>"),
              std::string::npos)
        << numbering;
    // Switching numbers to bullets keeps the level.
    f.document.changeListLevel(f.ids(4, 5), StoryID::body(), 1, EditMode::direct());
    f.document.setList(f.ids(4, 5), StoryID::body(), ListKind::bullet, EditMode::direct());
    EXPECT_EQ(f.state(4), (ListState{ListKind::bullet, 1, NumberingID{"5"}}));
}

TEST(Lists, ANewDefinitionGoesBeforeTheListsThatExist) {
    Fixture f(item(0), true);
    // Definition 9 counts in letters: not what "numbered" offers; 7 is decimal. Take 7 away
    // and a new definition is made.
    f.document.storePart(PartName("word/numbering.xml"),
                         share(toBytes("<w:numbering " + std::string(ns) +
                                       "><w:abstractNum w:abstractNumId=\"9\"><w:lvl w:ilvl=\"0\"><w:numFmt "
                                       "w:val=\"upperLetter\"/></w:lvl></w:abstractNum><w:num w:numId=\"4\">"
                                       "<w:abstractNumId w:val=\"9\"/></w:num><w:numIdMacAtCleanup w:val=\"2\"/>"
                                       "</w:numbering>")));
    f.document.setList(f.ids(0, 1), StoryID::body(), ListKind::number, EditMode::direct());
    const XMLTree tree(f.document.contents("word/numbering.xml"));
    std::vector<std::string> order;
    for (int child : tree.childElements(tree.root())) order.emplace_back(tree.localName(child));
    EXPECT_EQ(order, (std::vector<std::string>{"abstractNum", "abstractNum", "num", "num", "numIdMacAtCleanup"}));
    EXPECT_EQ(f.state(0), (ListState{ListKind::number, 0, NumberingID{"5"}}));
    EXPECT_EQ(f.labels()[0], "1.");
}

TEST(Lists, LevelsAreBoundedAndOnlyListItemsMove) {
    Fixture f(item(0) + item(1) + item(2), false);
    f.document.setList(f.ids(0, 2), StoryID::body(), ListKind::number, EditMode::direct());
    EXPECT_TRUE(f.document.changeListLevel(f.ids(1, 3), StoryID::body(), 1, EditMode::direct()));
    EXPECT_EQ(f.state(1).level, 1);
    EXPECT_EQ(f.state(2).kind, ListKind::none);
    EXPECT_EQ(f.labels(), (std::vector<std::string>{"1.", "a.", ""}));
    EXPECT_TRUE(f.document.changeListLevel(f.ids(1, 2), StoryID::body(), 100, EditMode::direct()));
    EXPECT_EQ(f.state(1).level, 8);
    EXPECT_FALSE(f.document.changeListLevel(f.ids(1, 2), StoryID::body(), 1, EditMode::direct()));
    EXPECT_TRUE(f.document.changeListLevel(f.ids(0, 2), StoryID::body(), -1, EditMode::direct()));
    EXPECT_EQ(f.state(0).level, 0);
    EXPECT_EQ(f.state(1).level, 7);
    EXPECT_FALSE(f.document.changeListLevel(f.ids(2, 3), StoryID::body(), 1, EditMode::direct()));
}

TEST(Lists, AListFromTheParagraphStyleIsSwitchedOff) {
    Fixture f("<w:p><w:pPr><w:pStyle w:val=\"ListBullet\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>", true);
    EXPECT_EQ(f.state(0), (ListState{ListKind::bullet, 0, NumberingID{"5"}}));
    f.document.toggleList(f.ids(0, 1), StoryID::body(), ListKind::bullet, EditMode::direct());
    EXPECT_EQ(f.state(0).kind, ListKind::none);
    EXPECT_NE(f.saved().find("<w:pStyle w:val=\"ListBullet\"/>" + numPr(0, "0")), std::string::npos);
}

TEST(Lists, AnUnreadableNumberingPartChangesNothing) {
    Fixture f(item(0), true);
    f.document.storePart(PartName("word/numbering.xml"), share(toBytes("<w:numbering><w:num>")));
    try {
        f.document.setList(f.ids(0, 1), StoryID::body(), ListKind::number, EditMode::direct());
        FAIL() << "made a list in a part that does not parse";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::unreadablePart);
        EXPECT_EQ(error.detail().part, PartName("word/numbering.xml"));
    }
    EXPECT_EQ(f.saved(), f.original());
    EXPECT_THROW(f.document.setList({ParagraphID{999999}}, StoryID::body(), ListKind::bullet, EditMode::direct()),
                 DocxError);
}
